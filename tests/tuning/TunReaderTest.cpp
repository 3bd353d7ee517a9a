#include "tests/support/ScratchFolder.h"
#include "tuning/CSingleScale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <sstream>
#include <string>

using TUN::CSingleScale;
using namespace std::string_literals;

namespace {

int readTun(CSingleScale& scale, const std::string& text) {
    std::istringstream stream(text);
    TUN::CStringParser parser;
    return scale.Read(stream, parser);
}

const std::string kVersion2Head = "[Scale Begin]\nFormat = \"AnaMark-TUN\"\nFormatVersion = 200\n";

std::string version2(const std::string& body) {
    return kVersion2Head + body + "[Scale End]\n";
}

double hzFromNoteZero(double cents) {
    return 8.17579891564371 * std::pow(2.0, cents / 1200.0);
}

// Reads text and checks the frequencies of the given notes.
void expectHz(const std::string& text, std::initializer_list<std::pair<int, double>> notes,
              bool preferExact = false) {
    CSingleScale scale;
    scale.SetExactTuningPreference(preferExact);
    scale.Reset();
    ASSERT_EQ(readTun(scale, text), 1) << scale.GetErrorText();
    for (const auto& [note, hz] : notes)
        EXPECT_NEAR(scale.GetFrequency(note), hz, 1e-12 * hz) << text << note;
}

} // namespace

TEST(TunReader, TuningSectionAloneReadsAsVersion1) {
    CSingleScale scale;
    ASSERT_EQ(readTun(scale, "[Tuning]\nnote 69 = 6900\nnote 0=50\n"), 1);
    EXPECT_EQ(scale.GetInfo().formatVersion, 100);
    expectHz("[Tuning]\nnote 69 = 6900\nnote 0=50\n",
             {{69, 440.0}, {0, hzFromNoteZero(50)}, {70, hzFromNoteZero(7000)}});
    for (const char* section : {"[Info]", "[Scale End]", "[Functional Tuning]", "[Mapping]", "[Assignment]",
                                "[Editor Specifics]", "[_DataSet_]"}) {
        EXPECT_EQ(readTun(scale, std::string("[Tuning]\nnote 1 = 100\n") + section + "\n"), -1) << section;
        EXPECT_EQ(scale.GetErrorText(), "Section not version compliant.") << section;
    }
    EXPECT_EQ(readTun(scale, "[Exact Tuning]\nnote 1 = 99.5\n[Unknown Stuff]\nanything at all\n"), 1);
}

TEST(TunReader, Version2ReadsEverySectionAndKey) {
    const std::string text = version2(
        "FormatSpecs = \"http://example.org/spec\"\n"
        "[Info]\nName = \"Test scale\"\nID = \"id-1\"\nFilename = \"test.tun\"\nAuthor = \"Ann\"\n"
        "Location = \"Here\"\nContact = \"ann@example.org\"\nDate = \"2024-02-29\"\nEditor = \"Ed\"\n"
        "EditorSpecs = \"v1\"\nDescription = \"A \\\"quoted\\\" \\x414\\tB\"\nKeyword = \"k\"\nHistory = "
        "\"h\"\n"
        "Geography = \"g\"\nInstrument = \"i\"\nComments = \"c\"\n"
        "Composition = \"Band|Album|Title|1999|misc\"\nComposition = \"\"\nComposition = \"A|B|C|D|E\"\n"
        "Note 5 = \"ignored: listed for another section\"\n[Editor Specifics]\nthis is not a key line\n"
        "[Exact Tuning]\nBaseFreq = 10.0\nNote 0 = 0.0\nNote 1 = 150.5\n"
        "[Mapping]\nKeyboard 3 = 7\nLoopSize = 12\n[Assignment]\nMIDIChannel = \"1, 3 - 5,16\"\n");
    CSingleScale scale;
    ASSERT_EQ(readTun(scale, text + "lines after the end are never read\n"), 1) << scale.GetErrorText();
    using Info = CSingleScale::Info;
    using F = std::pair<std::string Info::*, const char*>;
    for (const auto& [field, value] :
         {F{&Info::formatSpecs, "http://example.org/spec"}, F{&Info::name, "Test scale"},
          F{&Info::id, "id-1"}, F{&Info::filename, "test.tun"}, F{&Info::author, "Ann"},
          F{&Info::location, "Here"}, F{&Info::contact, "ann@example.org"}, F{&Info::date, "2024-02-29"},
          F{&Info::editor, "Ed"}, F{&Info::editorSpecs, "v1"}, F{&Info::description, "A \"quoted\" A4\tB"},
          F{&Info::keyword, "k"}, F{&Info::history, "h"}, F{&Info::geography, "g"}, F{&Info::instrument, "i"},
          F{&Info::comments, "c"}})
        EXPECT_EQ(scale.GetInfo().*field, value);
    EXPECT_EQ(scale.GetInfo().formatVersion, 200);
    EXPECT_EQ(scale.GetInfo().composition,
              (std::vector<std::string>{"Band|Album|Title|1999|misc", "A|B|C|D|E"}));
    EXPECT_DOUBLE_EQ(scale.GetFrequency(1), 10.0 * std::pow(2.0, 150.5 / 1200.0));
    // Exact tuning leaves the identity mapping, whatever [Mapping] said.
    EXPECT_EQ(std::tuple(scale.GetKeyboardMapping(3), scale.GetMappingLoopSize()), std::tuple(3, 0));
    for (const int channel : {2, 4, 16}) EXPECT_EQ(scale.AppliesToChannel(channel), channel != 2) << channel;
    ASSERT_EQ(
        readTun(scale,
                version2("[Info]\nName = \"\\\"\\'\\?\\\\\\a\\b\\f\\n\\r\\t\\v\\x7e\\q\\0b\"\n[Tuning]\n")),
        1);
    EXPECT_EQ(scale.GetInfo().name, "\"'?\\\a\b\f\n\r\t\v~\\q\0b"s);
}

TEST(TunReader, FailsWithTheTextOfEachError) {
    // Each error text and the files that give it; only a file without a dataset reads as 0.
    const auto v2 = version2;
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"No scale dataset found", {"", "Note 5 = 500\nrandom words\n"}},
        {"[Scale End] missing at file end or read error.", {kVersion2Head + "[Tuning]\nNote 5 = 500\n"}},
        {"No tuning data found!", {v2("[Info]\n")}},
        {"Section not version compliant.", {v2("[_DataSet_]\n")}},
        {"Syntax error", {v2("[Tuning]\nNote 5 500\n")}},
        {"Format not supported.", {"[Scale Begin]\nFormat = \"Other\"\n"}},
        {"Value type mismatch. String expected!", {v2("[Info]\nName = Bob\n")}},
        {"Value type mismatch. Integer expected!", {v2("[Tuning]\nNote 5 = 4.5\n")}},
        {"Value type mismatch. Float expected!",
         {v2("[Exact Tuning]\nNote 5 = abc\n"), v2("[Exact Tuning]\nNote 5 = nan\n")}},
        {"Value type mismatch. Function parameter block expected!",
         {v2("[Functional Tuning]\nInitEqual = 60, 440\n")}},
        {"Coma after parameter 1 missing!", {v2("[Functional Tuning]\nInitEqual = (60 440)\n")}},
        {"No more data expected after parameter 2!", {v2("[Functional Tuning]\nInitEqual = (60, 440 x)\n")}},
        {"Formula syntax error or parameter refers to invalid note index!",
         {v2("[Functional Tuning]\nNote 5 = \"$\"\n"), v2("[Functional Tuning]\nNote 120 = \"#>6 ~3\"\n")}},
        {"Date format mismatch. YYYY-MM-DD expected!", {v2("[Info]\nDate = \"2024-2-29\"\n")}},
        {"Composition format mismatch. \"Musician or Band|Album|Title|Year|Misc\" expected!",
         {v2("[Info]\nComposition = \"a|b|c\"\n")}},
        {"Error in MIDI channel range: syntax error or values exceed the range 1-65535!",
         {v2("[Assignment]\nMIDIChannel = \"0\"\n"), v2("[Assignment]\nMIDIChannel = \"1-65536\"\n")}}};
    ScratchFolder files;
    for (const auto& [error, texts] : cases)
        for (const std::string& text : texts) {
            CSingleScale fromFile;
            EXPECT_EQ(fromFile.Read(files.write("case.tun", text).c_str()),
                      std::string(error) == "No scale dataset found" ? 0 : -1)
                << text;
            EXPECT_EQ(fromFile.GetErrorText(), error) << text;
        }
    CSingleScale scale;
    EXPECT_EQ(scale.Read("/nonexistent/folder/scale.tun"), 0);
    EXPECT_EQ(scale.GetErrorText(), "Error opening the file.");
    // What was read before an error stays.
    EXPECT_EQ(readTun(scale, version2("[Info]\nName = \"kept\"\nDate = \"bad\"\n")), -1);
    EXPECT_EQ(scale.GetInfo().name, "kept");
}

TEST(TunReader, IgnoresUnknownKeysAndMatchesAnyLetterCase) {
    expectHz(version2("[Tuning]\nNote 128 = x\nNote = x\nNote -1 = x\nNotes = x\nColour = x\n"
                      "_private = x\nNote60=6050\nNote +61 = 6150\n"),
             {{60, hzFromNoteZero(6050)}, {61, hzFromNoteZero(6150)}});
    expectHz("[exact TUNING]\nNOTE 5 = 550\nbasefreq = 20\n", {{5, 20.0 * std::pow(2.0, 550.0 / 1200.0)}});
}

TEST(TunReader, ReadsTheSameFromEveryLineEndNulAndLocale) {
    const std::string text =
        version2("[Info]\nDescription = \"d\"\n[Exact Tuning]\nNote 1 = 130.5\nNote 2 = 170\n");
    CSingleScale lf;
    ASSERT_EQ(readTun(lf, text), 1);
    for (const std::string& lineEnd : {"\r"s, "\0"s, "\r\n"s}) {
        std::string converted;
        for (const char c : text) c == '\n' ? converted += lineEnd : converted += c;
        CSingleScale scale;
        ASSERT_EQ(readTun(scale, converted), 1);
        EXPECT_EQ(scale.GetFrequencies(), lf.GetFrequencies());
        EXPECT_EQ(scale.GetInfo().description, "d");
    }
    CSingleScale scale;
    // A host may run with a locale whose decimal separator is a comma.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
        const int result = readTun(scale, text);
        std::setlocale(LC_NUMERIC, "C");
        ASSERT_EQ(result, 1);
        EXPECT_EQ(scale.GetFrequencies(), lf.GetFrequencies());
    }
}

TEST(TunReader, ContinuesExactTuningAboveTheHighestNoteGiven) {
    std::string body = "[Exact Tuning]\nBaseFreq = 8.0\n";
    const double pattern[13] = {0, 90, 210, 290, 400, 510, 590, 700, 790, 910, 1000, 1110, 1200};
    for (int i = 0; i <= 12; ++i)
        body += "Note " + std::to_string(i) + " = " + std::to_string(pattern[i]) + "\n";
    CSingleScale scale;
    ASSERT_EQ(readTun(scale, body), 1);
    EXPECT_EQ(scale.GetFormulas().size(), 128u); // one formula documents each note
    for (int n = 0; n < 128; ++n) {
        const double hz = 8.0 * std::pow(2.0, (1200.0 * (n / 12) + pattern[n % 12]) / 1200.0);
        EXPECT_NEAR(scale.GetFrequency(n), hz, 1e-9 * hz) << n;
    }
    expectHz("[Exact Tuning]\nNote 127 = 12000\n",
             {{127, hzFromNoteZero(12000)}, {126, hzFromNoteZero(12600)}});
}

TEST(TunReader, HigherTuningSectionsDecide) {
    // [Tuning] after [Exact Tuning] is skipped whole, even lines that would not parse.
    expectHz("[Exact Tuning]\nNote 1 = 150.0\n[Tuning]\nNote 1 = 1.5\nNote 2 = 250\n",
             {{1, hzFromNoteZero(150.0)}, {2, hzFromNoteZero(300.0)}});
    expectHz("[Tuning]\nNote 1 = 130\n[Exact Tuning]\nNote 2 = 250.0\n",
             {{1, hzFromNoteZero(100.0)}, {2, hzFromNoteZero(250.0)}});
    expectHz(version2("[Functional Tuning]\nInitEqual = (0, 10)\n[Exact Tuning]\nNote 2 = 250.0\n"),
             {{2, 10.0 * std::pow(2.0, 2.0 / 12.0)}});
}

TEST(TunReader, ExactTuningPreferenceOutranksFunctionalTuning) {
    const std::string exact = "[Exact Tuning]\nNote 3 = 333.0\n";
    const std::string functional = "[Functional Tuning]\nNote 3 = \"#1000\"\n";
    for (const std::string& body : {exact + functional, functional + exact})
        expectHz(version2(body), {{3, hzFromNoteZero(333.0)}}, true);
    expectHz(version2(exact + functional), {{3, 1000.0}});
    CSingleScale onlyFunctional;
    onlyFunctional.SetExactTuningPreference(true);
    EXPECT_EQ(readTun(onlyFunctional, version2(functional)), -1);
    EXPECT_EQ(onlyFunctional.GetErrorText(), "No tuning data found!");
}

TEST(TunReader, FunctionalTuningAppliesFormulasInOrder) {
    CSingleScale scale;
    ASSERT_EQ(readTun(scale, version2("[Functional Tuning]\nNote 61 = \"#>-1 %100\"\nNote 69 = \"!440\"\n")),
              1);
    // Note 61 was 100 cents above the reset note 60, and stays so after the rescale to 440 Hz at note 69.
    EXPECT_DOUBLE_EQ(scale.GetFrequency(69), 440.0);
    EXPECT_NEAR(scale.GetFrequency(61) / scale.GetFrequency(60), std::pow(2.0, 100.0 / 1200.0), 1e-12);
    ASSERT_EQ(readTun(scale, version2("[Functional Tuning]\nNote 61 = \"#>-1 %100\"\nNote 69 = \"!440\"\n"
                                      "InitEqual = (60, 200)\nNote 62 = \"#>-2 %200 ~2\"\n"
                                      "[Mapping]\nKeyboard 5 = 500\nKeyboard 6 = -7\nLoopSize = -3\n")),
              1);
    EXPECT_DOUBLE_EQ(scale.GetFrequency(60), 200.0);
    EXPECT_NEAR(scale.GetFrequency(62), 200.0 * std::pow(2.0, 2.0 / 12.0), 1e-9);
    EXPECT_NEAR(scale.GetFrequency(63), 200.0 * std::pow(2.0, 3.0 / 12.0), 1e-9);
    EXPECT_EQ(scale.GetBaseNote(), 60);
    // Mapping values are kept as read; the looped mapping and the engine clamp them.
    EXPECT_EQ(std::tuple(scale.MapMIDI2Scale(5), scale.GetKeyboardMapping(6), scale.GetMappingLoopSize()),
              std::tuple(500, -7, 0));
}
