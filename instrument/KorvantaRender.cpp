#include "instrument/Korvanta.h"

#include "engine/RandomSequence.h"

#include <xmmintrin.h>

#include <algorithm>
#include <cstring>
#include <span>

std::atomic<int32_t> Korvanta::noiseSeed{1};

static_assert(Korvanta::kMaxVoices <= VoiceGroup::kMaxVoices, "every voice count takes the lanes");

namespace {

constexpr double kOneOver127 = 0.007874015748031496;
constexpr int kAllSoundOff = 120;
constexpr int kAllNotesOff = 123;
constexpr int kLastLearnableCC = 119;
constexpr int kModWheelCC = 1;
constexpr int kSustainCC = 64;

bool isNoteEvent(const IMidiMsg& msg) {
    const int status = msg.StatusMsg();
    return status == IMidiMsg::kNoteOff || status == IMidiMsg::kNoteOn ||
           (status == IMidiMsg::kControlChange && msg.ControlChangeIdx() == kSustainCC);
}

// Denormals-are-zero and flush-to-zero for the duration of one process call; the host's own
// settings come back afterwards.
class DenormalGuard {
public:
    DenormalGuard() : saved(_mm_getcsr()) { _mm_setcsr(saved | 0x8040); }
    ~DenormalGuard() { _mm_setcsr(saved); }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
    unsigned int saved;
};

} // namespace

double Korvanta::getNoise() {
    const int32_t seed = RandomSequence::next(noiseSeed.load(std::memory_order_relaxed));
    noiseSeed.store(seed, std::memory_order_relaxed);
    return RandomSequence::toUnit(seed);
}

void Korvanta::fillNoise(double* out, int count) {
    int32_t seed = noiseSeed.load(std::memory_order_relaxed);
    for (int i = 0; i < count; ++i) {
        seed = RandomSequence::next(seed);
        out[i] = RandomSequence::toUnit(seed);
    }
    noiseSeed.store(seed, std::memory_order_relaxed);
}

void Korvanta::ProcessMidiMsg(IMidiMsg* msg) {
    if (!msg) return;
    if (midiThru) SendMidiMsg(msg);

    bool delayed = false;
    switch (msg->StatusMsg()) {
    case IMidiMsg::kNoteOff:
        break;
    case IMidiMsg::kNoteOn:
        if (msg->Velocity() == 0) msg->status = IMidiMsg::kNoteOff << 4;
        break;
    case IMidiMsg::kPolyAftertouch:
    case IMidiMsg::kChannelAftertouch:
    case IMidiMsg::kPitchWheel:
        delayed = true;
        break;
    case IMidiMsg::kControlChange: {
        const int cc = msg->ControlChangeIdx();
        if (cc > kLastLearnableCC) {
            if (cc == kAllSoundOff || cc == kAllNotesOff) allNotesOff();
            return;
        }
        if (midiLearnOn) {
            setMidiLearnCC(cc);
            return;
        }
        delayed = cc != kSustainCC;
        break;
    }
    case IMidiMsg::kProgramChange:
        if (!ignoreProgramChange) RestorePreset(msg->Program());
        return;
    default:
        return;
    }

    // A controller late in a sub-block takes effect at the nearest boundary rather than the one before.
    if (delayed && msg->offset > subBlockLength) msg->offset += subBlockLength / 2;
    midiQueue.Add(msg);
}

void Korvanta::handleSync2Host() {
    ITimeInfo timeInfo;
    GetTime(&timeInfo);
    clockTime.tempo = timeInfo.tempo;
    clockTime.samplePos = timeInfo.samplePos;
    clockTime.ppqPos = timeInfo.ppqPos;
    clockTime.transportRunning = timeInfo.transportIsRunning;
    clock.synchronize(&clockTime);
    if (timeInfo.transportIsRunning != transportRunning) {
        transportRunning = timeInfo.transportIsRunning;
        // Tempo-synced generators restart in step with the host's start.
        if (transportRunning) clock.reset();
    }
}

void Korvanta::addNoteEvent(const IMidiMsg& msg) {
    if (noteEventCount >= static_cast<int>(noteEvents.size())) return;
    int i = noteEventCount++;
    // Usually appended at the end; a host's unsorted offsets are put in order.
    while (i > noteEventFirst && noteEvents[i - 1].offset > msg.offset) {
        noteEvents[i] = noteEvents[i - 1];
        --i;
    }
    noteEvents[i] = msg;
}

void Korvanta::applyNoteEvent(const IMidiMsg& msg) {
    switch (msg.StatusMsg()) {
    case IMidiMsg::kNoteOff:
        setNoteOff(msg.NoteNumber());
        break;
    case IMidiMsg::kNoteOn:
        setNoteOn(msg.NoteNumber(), msg.Velocity());
        break;
    case IMidiMsg::kControlChange:
        setSustain(msg.data2 != 0);
        break;
    default:
        break;
    }
}

void Korvanta::applyLeftoverNoteEvents() {
    // Left over when a reset shortened the sub-block: late, but never held back.
    while (noteEventFirst < noteEventCount) applyNoteEvent(noteEvents[noteEventFirst++]);
    noteEventFirst = noteEventCount = 0;
}

void Korvanta::handleController(const IMidiMsg& msg) {
    const int cc = msg.ControlChangeIdx();
    const double value = msg.data2 * kOneOver127;
    if (cc == kModWheelCC) {
        modWheel = value;
        return;
    }
    const int p = midiCC[cc];
    if (p < 0 || p >= kNumParams) return;
    if (value != GetParam(p)->GetNormalized()) SetParameterFromGUI(p, value);
    // The editor would be told here as well; there is none yet.
}

void Korvanta::handleMidiEvents() {
    while (!midiQueue.Empty() && midiQueue.Peek()->offset < subBlockLength) {
        const IMidiMsg msg = *midiQueue.Peek();
        if (isNoteEvent(msg)) {
            // A host flooding one sub-block with more notes than the list holds: the rest wait for the
            // next sub-block start.
            if (noteEventCount >= static_cast<int>(noteEvents.size())) break;
            addNoteEvent(msg);
        } else {
            switch (msg.StatusMsg()) {
            case IMidiMsg::kControlChange:
                if (msg.ControlChangeIdx() < kNumLearnableCCs) handleController(msg);
                break;
            case IMidiMsg::kPolyAftertouch:
                setPolyAfterTouch(msg.NoteNumber(), msg.PolyAfterTouch() * kOneOver127);
                break;
            case IMidiMsg::kChannelAftertouch:
                channelAfterTouch = msg.ChannelAfterTouch() * kOneOver127;
                break;
            case IMidiMsg::kPitchWheel:
                pitchBend = msg.PitchWheel();
                break;
            default:
                break;
            }
        }
        midiQueue.Remove();
    }
    midiQueue.Flush(subBlockLength);
}

void Korvanta::carryOverIntoOpenSubBlock() {
    if (subBlockLeft <= 0) return;
    // The block begins inside a sub-block opened by the previous call: offsets count from this block's
    // first sample, which is subBlockPosition samples into that sub-block.
    const int pending = midiQueue.ToBeProcessed();
    for (int n = 0; n < pending && !midiQueue.Empty() && midiQueue.Peek()->offset < subBlockLeft; ++n) {
        IMidiMsg msg = *midiQueue.Peek();
        midiQueue.Remove();
        if (isNoteEvent(msg) && noteEventCount < static_cast<int>(noteEvents.size())) {
            msg.offset += subBlockPosition;
            addNoteEvent(msg);
        } else {
            // Controllers, pressure and the wheel take effect at the next sub-block start.
            msg.offset = subBlockLeft;
            midiQueue.Add(&msg);
        }
    }
    midiQueue.Flush(subBlockLeft);
}

void Korvanta::startSubBlock() {
    applyLeftoverNoteEvents();
    subBlockPosition = 0;
    handleMidiEvents();
    clock.update();
    for (MG& generator : generators) generator.update();
    chorus.update();
    for (int i = 0; i < numVoices; ++i) voices[i].update(false);
}

void Korvanta::renderChunk(double* left, double* right, int nFrames, double gain) {
    std::fill_n(left, nFrames, 0.0);
    std::fill_n(right, nFrames, 0.0);
    const std::span<Voice> playing(voices.data(), static_cast<size_t>(std::clamp(numVoices, 0, kMaxVoices)));
    for (int s = 0; s < nFrames;) {
        clock.tick();
        while (noteEventFirst < noteEventCount && noteEvents[noteEventFirst].offset <= subBlockPosition)
            applyNoteEvent(noteEvents[noteEventFirst++]);
        // The voices run together up to the next note event; nothing they do reads the clock.
        int run = nFrames - s;
        if (noteEventFirst < noteEventCount)
            run = std::clamp(noteEvents[noteEventFirst].offset - subBlockPosition, 1, run);
        for (int k = 1; k < run; ++k) clock.tick();
        voiceGroup.render(playing, left + s, right + s, run);
        s += run;
        subBlockPosition += run;
    }
    for (int s = 0; s < nFrames; ++s) {
        if (chorusOn) chorus.process(&left[s], &right[s]);
        left[s] *= gain;
        right[s] *= gain;
    }
    if (noteEventFirst == noteEventCount) noteEventFirst = noteEventCount = 0;
}

void Korvanta::ProcessDoubleReplacing(double**, double** outputs, int nFrames) {
    if (!outputs || !outputs[0] || !outputs[1] || nFrames <= 0) return;
    const DenormalGuard denormalGuard;
    // A host that renders before it ever reset the plug-in still gets whole sub-blocks.
    if (subBlockLength < 1) subBlockLength = std::max(1, static_cast<int>(GetSampleRate()) / 1000);
    handleSync2Host();
    std::fill_n(outputs[0], nFrames, 0.0);
    std::fill_n(outputs[1], nFrames, 0.0);
    carryOverIntoOpenSubBlock();

    int done = 0;
    while (done < nFrames) {
        const int remaining = nFrames - done;
        int chunk;
        if (subBlockLeft > 0) {
            chunk = std::min(subBlockLeft, remaining);
            subBlockLeft -= chunk;
        } else {
            startSubBlock();
            chunk = std::min(subBlockLength, remaining);
            subBlockLeft = subBlockLength - chunk;
        }
        const double gain = unison ? volume * unisonGain : volume;
        renderChunk(outputs[0] + done, outputs[1] + done, chunk, gain);
        done += chunk;
    }
}
