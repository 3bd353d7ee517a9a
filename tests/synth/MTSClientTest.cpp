#include "synth/MTSClient.h"
#include "synth/TuningEngine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <dlfcn.h>

namespace {

using SetMasterFn = void (*)(bool);
using CountFn = int (*)();

// The stand-in library built for these tests: a master publishing quarter tones around A4 that drops
// every F# and calls its scale "Quarter tones".
class MTSStandIn : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.bind({"/nonexistent/libMTS.so", KORVANTA_MTS_STANDIN}))
            << "stand-in library not loadable: " << KORVANTA_MTS_STANDIN;
        control = dlopen(KORVANTA_MTS_STANDIN, RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(control, nullptr);
        setMaster = reinterpret_cast<SetMasterFn>(dlsym(control, "MTSStandin_SetMaster"));
        registeredClients = reinterpret_cast<CountFn>(dlsym(control, "MTSStandin_RegisteredClients"));
        ASSERT_NE(setMaster, nullptr);
        ASSERT_NE(registeredClients, nullptr);
        setMaster(false);
    }
    void TearDown() override {
        if (setMaster != nullptr) setMaster(false);
        if (control != nullptr) dlclose(control);
    }

    static double quarterTone(int note) { return 440.0 * std::pow(2.0, (note - 69) / 24.0); }

    MTSLibrary library;
    void* control = nullptr;
    SetMasterFn setMaster = nullptr;
    CountFn registeredClients = nullptr;
};

} // namespace

TEST_F(MTSStandIn, BindsAllNineFunctionsAndEnginesRegisterAndDeregister) {
    EXPECT_TRUE(library.isLoaded());
    for (const bool bound :
         {library.registerClient != nullptr, library.deregisterClient != nullptr,
          library.hasMaster != nullptr, library.shouldFilterNote != nullptr,
          library.shouldFilterNoteMultiChannel != nullptr, library.getTuningTable != nullptr,
          library.getMultiChannelTuningTable != nullptr, library.useMultiChannelTuning != nullptr,
          library.getScaleName != nullptr, library.masterTable != nullptr})
        EXPECT_TRUE(bound);
    for (const double* table : library.channelTables) EXPECT_NE(table, nullptr);
    const int before = registeredClients();
    {
        TuningEngine first(library), second(library);
        EXPECT_EQ(registeredClients(), before + 2);
    }
    EXPECT_EQ(registeredClients(), before);
}

TEST_F(MTSStandIn, AMasterTakesOverPitchFilteringAndName) {
    TuningEngine engine(library);
    engine.setTuning(eJust);
    setMaster(true);
    ASSERT_TRUE(engine.hasMTSMaster());
    EXPECT_EQ(engine.getFrequency(69), 8832);
    for (int note = 0; note < 128; ++note) {
        const int pitch = engine.getFrequency(note);
        const double f = quarterTone(note);
        ASSERT_TRUE(pitch >= 4 && pitch <= 17276) << note;
        // The halved steps 135, 67, 33 drop a step each, so the search ends within four steps of the
        // master's frequency rather than one.
        EXPECT_LE(TuningEngine::convert2Hz(pitch - 4), f) << note;
        EXPECT_GE(TuningEngine::convert2Hz(pitch + 4), f) << note;
    }
    EXPECT_NEAR(engine.getFrequency(71), 8832 + 128, 1);
    // The note travels as a MIDI byte: 128 + 69 reads note 69.
    EXPECT_EQ(engine.getFrequency(128 + 69), 8832);
    for (const int note : {66, 67, 78}) EXPECT_EQ(engine.noteShouldBeSkipped(note), note != 67) << note;
    for (int index : {-1, 0, 14, 99}) EXPECT_STREQ(engine.getTuningName(index), "Quarter tones");

    setMaster(false);
    EXPECT_EQ(std::tuple(engine.getFrequency(71), engine.noteShouldBeSkipped(66),
                         std::string(engine.getTuningName(-1))),
              std::tuple(engine.tuningTable[71], false, "Just"));
}

TEST(MTSClient, WithoutTheLibraryEverythingFallsBack) {
    MTSLibrary missing;
    EXPECT_FALSE(missing.bind({"/nonexistent/a/libMTS.so", "/nonexistent/b/libMTS.so"}));
    EXPECT_FALSE(missing.isLoaded());
    TuningEngine engine(missing);
    engine.setTuning(eMeantoneQuarterComma);
    EXPECT_EQ(std::tuple(engine.hasMTSMaster(), engine.noteShouldBeSkipped(66), engine.getFrequency(60),
                         std::string(engine.getTuningName(-1))),
              std::tuple(false, false, engine.tuningTable[60], "Meantone 1/4 comma"));
    EXPECT_DOUBLE_EQ(MTS_NoteToFrequency(engine.mtsClient, 69, -1), 440.0);
    EXPECT_STREQ(MTS_GetScaleName(engine.mtsClient), "12-TET");
    EXPECT_FALSE(MTS_HasMaster(nullptr) || MTS_ShouldFilterNote(nullptr, 60, -1));
    EXPECT_DOUBLE_EQ(MTS_NoteToFrequency(nullptr, 69, -1), 440.0);
    EXPECT_STREQ(MTS_GetScaleName(nullptr), "12-TET");
    MTS_DeregisterClient(nullptr);
}

TEST(MTSClient, TheProcessRecordUsesOnlyTheInstalledPaths) {
    // The machine has no MTS-ESP installation; the record then stays empty rather than failing.
    const MTSLibrary& process = MTSLibrary::process();
    EXPECT_EQ(&process, &MTSLibrary::process());
    EXPECT_STREQ(kMTSLibraryMacPath, "/Library/Application Support/MTS-ESP/libMTS.dylib");
    EXPECT_STREQ(kMTSLibraryLinuxPath, "/usr/local/lib/libMTS.so");
    TuningEngine engine;
    EXPECT_EQ(engine.hasMTSMaster(), process.isLoaded() && engine.hasMTSMaster());
    EXPECT_EQ(engine.getFrequency(60), 60 * 128);
}
