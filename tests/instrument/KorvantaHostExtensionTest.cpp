#include "instrument/KorvantaExtension.h"
#include "tests/support/KorvantaTestHost.h"

#include <gtest/gtest.h>

#include <string>

using namespace KorvantaExtension;
using testhost::makeInstrument;

namespace {

VstIntPtr call(Korvanta& plug, VstIntPtr command, Request* request, VstInt32 tag = kTag) {
    AEffect* effect = plug.GetAEffect();
    return effect->dispatcher(effect, effVendorSpecific, tag, command, request, 0.0f);
}

} // namespace

TEST(KorvantaHostExtension, MalformedRequestsAreRefusedWithoutTouchingTheInstrument) {
    auto plug = makeInstrument();
    const std::string tooLong(kMaxPathBytes, 'a');
    const std::string wav = "/nonexistent/table.wav";
    struct Case {
        const char* name;
        VstIntPtr command;
        Request request;
        bool nullRequest;
        VstIntPtr expected;
    };
    const auto with = [](const char* path, int slot = 1, int size = sizeof(Request)) {
        Request r;
        r.path = path;
        r.slot = slot;
        r.size = size;
        return r;
    };
    const Case cases[] = {
        {"unknown command below", 0, with("x.fxp"), false, kUnknownCommand},
        {"unknown command above", kSaveBank + 1, with("x.fxp"), false, kUnknownCommand},
        {"command beyond 32 bits", VstIntPtr{1} << 40 | kLoadBank, with("x.fxb"), false, kUnknownCommand},
        {"no request", kLoadProgram, {}, true, kBadRequest},
        {"no path", kLoadTuning, with(nullptr), false, kBadRequest},
        {"empty path", kLoadBank, with(""), false, kBadRequest},
        {"path too long", kSaveBank, with(tooLong.c_str()), false, kBadRequest},
        {"older, smaller layout", kLoadBank, with("x.fxb", 1, sizeof(Request) - 1), false, kBadRequest},
        {"slot 0", kLoadWaveTable, with(wav.c_str(), 0), false, kBadRequest},
        {"slot 4", kLoadWaveTable, with(wav.c_str(), 4), false, kBadRequest},
    };
    const double cutoff = plug->GetParam(kFilterCutoff)->Value();
    for (const Case& c : cases) {
        Request request = c.request;
        EXPECT_EQ(call(*plug, c.command, c.nullRequest ? nullptr : &request), c.expected) << c.name;
    }
    // Another vendor's call with the same command number is not ours.
    Request request = with("x.fxb");
    EXPECT_EQ(call(*plug, kLoadBank, &request, 8), 0);
    EXPECT_EQ(plug->GetParam(kFilterCutoff)->Value(), cutoff);
}

TEST(KorvantaHostExtension, RefusedFilesReportTheReadersReasonAndChangeNothing) {
    auto plug = makeInstrument();
    const std::string missing = "/nonexistent/korvanta/file";
    struct Case {
        Command command;
        std::string path;
        VstIntPtr expected;
    };
    const Case cases[] = {
        {kLoadTuning, missing + ".scl", kLoadFailed},    {kLoadWaveTable, missing + ".wav", kLoadFailed},
        {kLoadWaveTable, missing + ".txt", kLoadFailed}, {kLoadProgram, missing + ".fxp", kLoadFailed},
        {kLoadBank, missing + ".fxb", kLoadFailed},      {kSaveProgram, missing + ".fxp", kSaveFailed},
        {kSaveBank, missing + ".fxb", kSaveFailed}};
    const int table = plug->GetParam(kWaveTable2)->Int();
    const std::string tuning = plug->getTuningName(-1);
    for (const Case& c : cases) {
        Request request;
        request.path = c.path.c_str();
        request.slot = 2;
        EXPECT_EQ(call(*plug, c.command, &request), c.expected) << c.path;
        EXPECT_NE(std::string(request.message), "") << c.path;
    }
    EXPECT_EQ(plug->GetParam(kWaveTable2)->Int(), table);
    EXPECT_EQ(plug->getTuningName(-1), tuning);
}
