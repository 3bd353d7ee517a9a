#include "tools/measure-bank/ProgramMeter.h"

#include "tools/measure-bank/SignalMeasures.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kController = 0xB0;
constexpr uint8_t kChannelPressure = 0xD0;
constexpr uint8_t kModWheel = 1;

void addNote(std::vector<PhraseEvent>* events, double on, double off, uint8_t note, uint8_t velocity) {
    events->push_back({on, kNoteOn, note, velocity});
    events->push_back({off, kNoteOff, note, 0});
}

void sortByTime(std::vector<PhraseEvent>* events) {
    std::stable_sort(events->begin(), events->end(),
                     [](const PhraseEvent& a, const PhraseEvent& b) { return a.seconds < b.seconds; });
}

// The run: C major from C2 up four octaves to C6, sixteenths at 120 BPM.
constexpr double kRunStart = 3.0;
constexpr double kSixteenth = 0.125;
constexpr std::array<int, 7> kMajorSteps = {0, 2, 4, 5, 7, 9, 11};
constexpr int kRunNotes = 4 * 7 + 1;

int runNote(int i) {
    return 36 + 12 * (i / 7) + kMajorSteps[i % 7];
}

// A held note whose timbre the velocity and controllers change, set before the note starts.
std::vector<PhraseEvent> heldNote(uint8_t velocity, uint8_t status = 0, uint8_t data1 = 0, uint8_t data2 = 0,
                                  uint8_t note = 60) {
    std::vector<PhraseEvent> events;
    if (status) events.push_back({0.0, status, data1, data2});
    addNote(&events, 0.01, 1.2, note, velocity);
    return events;
}
constexpr double kHeldSeconds = 1.5;

double frequencyOf(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

} // namespace

std::vector<PhraseEvent> ProgramMeter::phrase() {
    std::vector<PhraseEvent> events;
    addNote(&events, 0.0, 1.0, 28, 100);
    for (uint8_t note : {60, 64, 67}) addNote(&events, 1.25, 2.75, note, 100);
    for (int i = 0; i < kRunNotes; ++i)
        addNote(&events, kRunStart + i * kSixteenth, kRunStart + i * kSixteenth + 0.1, runNote(i), 100);
    addNote(&events, 7.0, 8.0, 96, 100);
    addNote(&events, 8.25, 12.25, 69, 100);
    for (uint8_t note : {60, 64, 67, 72}) addNote(&events, 12.5, 14.5, note, 127);
    sortByTime(&events);
    return events;
}

std::vector<PhraseEvent> ProgramMeter::tenNoteChord() {
    std::vector<PhraseEvent> events;
    for (uint8_t note : {36, 43, 48, 52, 55, 60, 64, 67, 72, 76}) addNote(&events, 0.0, 2.0, note, 110);
    sortByTime(&events);
    return events;
}

std::vector<PhraseEvent> ProgramMeter::repeatedNotes() {
    std::vector<PhraseEvent> events;
    for (int i = 0; i < 8; ++i) addNote(&events, i * kRepeatStep, i * kRepeatStep + 0.2, 48, 100);
    sortByTime(&events);
    return events;
}

bool ProgramMeter::measure(int program, ProgramFigures* figures, std::string* error) const {
    using namespace signalmeasures;
    figures->program = program;
    StereoSignal phraseOut;
    if (!player.play(program, phrase(), kPhraseSeconds, &phraseOut, error)) return false;
    figures->loudness = integratedLoudness(phraseOut);
    figures->phrasePeak = peakDb(phraseOut);
    figures->sideToMid = sideToMidDb(phraseOut);
    figures->dc = dcToRmsDb(phraseOut);
    figures->spectrum = thirdOctaveSpectrum(phraseOut);
    figures->envelope = envelope(phraseOut);
    const double runEnd = kRunStart + kRunNotes * kSixteenth;
    figures->runTilt = rmsDb(phraseOut, runEnd - 7 * kSixteenth, runEnd) -
                       rmsDb(phraseOut, kRunStart, kRunStart + 7 * kSixteenth);

    StereoSignal chord;
    if (!player.play(program, tenNoteChord(), kChordSeconds, &chord, error)) return false;
    figures->chordPeak = peakDb(chord);

    StereoSignal soft, hard, plain, wheel, pressure;
    if (!player.play(program, heldNote(40), kHeldSeconds, &soft, error) ||
        !player.play(program, heldNote(127), kHeldSeconds, &hard, error) ||
        !player.play(program, heldNote(100), kHeldSeconds, &plain, error) ||
        !player.play(program, heldNote(100, kController, kModWheel, 127), kHeldSeconds, &wheel, error) ||
        !player.play(program, heldNote(100, kChannelPressure, 127), kHeldSeconds, &pressure, error))
        return false;
    figures->velocityLevel = rmsDb(hard) - rmsDb(soft);
    const double softCentroid = spectralCentroid(soft);
    const double hardCentroid = spectralCentroid(hard);
    figures->velocityBright =
        softCentroid > 0.0 && hardCentroid > 0.0 ? 1200.0 * std::log2(hardCentroid / softCentroid) : 0.0;
    // Vibrato blurs the harmonics across band edges by a few dB but hardly moves the centroid.
    const std::vector<double> plainSpectrum = thirdOctaveSpectrum(plain);
    const double plainCentroid = spectralCentroid(plain);
    for (const StereoSignal* controlled : {&wheel, &pressure}) {
        figures->controlSpectrum =
            std::max(figures->controlSpectrum, distanceDb(thirdOctaveSpectrum(*controlled), plainSpectrum));
        const double centroid = spectralCentroid(*controlled);
        if (centroid > 0.0 && plainCentroid > 0.0)
            figures->controlBright =
                std::max(figures->controlBright, std::fabs(1200.0 * std::log2(centroid / plainCentroid)));
    }
    // Clicks: a high note held through nine sixteenths of the tempo, its attack and release left out.
    // Four of its periods (4 ms) hold whole cycles of fifths and octaves and average noise enough, and
    // are still short against the ramps a gate should make.
    constexpr uint8_t kClickNote = 84;
    StereoSignal high;
    if (!player.play(program, heldNote(100, 0, 0, 0, kClickNote), kHeldSeconds, &high, error)) return false;
    figures->gainStep =
        largestGainStep(high, 4.0 * PhrasePlayer::kSampleRate / frequencyOf(kClickNote), 0.06, 1.2);

    StereoSignal repeated;
    if (!player.play(program, repeatedNotes(), kRepeatSeconds, &repeated, error)) return false;
    double loudest = kSilentDb;
    double quietest = 0.0;
    for (int i = 0; i < 8; ++i) {
        const double peak = peakDb(repeated, i * kRepeatStep, (i + 1) * kRepeatStep);
        loudest = std::max(loudest, peak);
        quietest = std::min(quietest, peak);
    }
    figures->repeatSpread = loudest - quietest;
    return true;
}
