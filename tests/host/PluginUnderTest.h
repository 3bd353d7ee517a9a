#pragma once

#include "plugin/vst2/Vst2.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// One instance of the built plug-in, reached only through the module's exported entry point and the
// AEffect it returns, with a host that reports no transport. Events are placed at frames counted from
// the start of the next Render call, which cuts its frames into host blocks and hands each block the
// events that fall into it.
class PluginUnderTest {
public:
    struct Stereo {
        std::vector<double> left;
        std::vector<double> right;
    };

    PluginUnderTest(double sampleRate, int maxBlockSize) {
        module = dlopen(KORVANTA_MODULE, RTLD_NOW | RTLD_LOCAL);
        if (!module) return;
        using EntryProc = AEffect* (*)(audioMasterCallback);
        auto entry = reinterpret_cast<EntryProc>(dlsym(module, "VSTPluginMain"));
        if (!entry) return;
        effect = entry(callback);
        if (!effect) return;
        Dispatch(effOpen);
        Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
        Dispatch(effSetBlockSize, 0, maxBlockSize);
        Dispatch(effMainsChanged, 0, 1);
    }
    ~PluginUnderTest() {
        if (effect) Dispatch(effClose);
        if (module) dlclose(module);
    }
    PluginUnderTest(const PluginUnderTest&) = delete;
    PluginUnderTest& operator=(const PluginUnderTest&) = delete;

    bool Ready() const { return effect != nullptr; }
    AEffect* Effect() const { return effect; }
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) const {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void SetParameter(int index, float value) { effect->setParameter(effect, index, value); }

    void Midi(int64_t frame, uint8_t status, uint8_t data1, uint8_t data2 = 0) {
        pending.push_back({frame, {status, data1, data2}});
        std::stable_sort(pending.begin(), pending.end(),
                         [](const Pending& a, const Pending& b) { return a.frame < b.frame; });
    }
    void NoteOn(int64_t frame, int note, int velocity = 100) {
        Midi(frame, 0x90, static_cast<uint8_t>(note), static_cast<uint8_t>(velocity));
    }
    void NoteOff(int64_t frame, int note) { Midi(frame, 0x80, static_cast<uint8_t>(note), 0); }

    Stereo Render(int frames, int blockSize) {
        Stereo out{std::vector<double>(frames), std::vector<double>(frames)};
        for (int start = 0; start < frames; start += blockSize) {
            const int n = std::min(blockSize, frames - start);
            SendEvents(start, n);
            double* outputs[] = {out.left.data() + start, out.right.data() + start};
            effect->processDoubleReplacing(effect, nullptr, outputs, n);
        }
        for (Pending& p : pending) p.frame -= frames;
        return out;
    }

private:
    struct Pending {
        int64_t frame;
        uint8_t bytes[3];
    };

    void SendEvents(int start, int n) {
        std::vector<VstMidiEvent> block;
        while (!pending.empty() && pending.front().frame < start + n) {
            VstMidiEvent event{};
            event.type = kVstMidiType;
            event.byteSize = sizeof event;
            event.deltaFrames = static_cast<VstInt32>(std::max<int64_t>(0, pending.front().frame - start));
            for (int i = 0; i < 3; ++i) event.midiData[i] = static_cast<char>(pending.front().bytes[i]);
            block.push_back(event);
            pending.erase(pending.begin());
        }
        if (block.empty()) return;
        std::vector<unsigned char> storage(offsetof(VstEvents, events) + block.size() * sizeof(VstEvent*));
        auto* list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = static_cast<VstInt32>(block.size());
        for (size_t i = 0; i < block.size(); ++i) list->events[i] = reinterpret_cast<VstEvent*>(&block[i]);
        Dispatch(effProcessEvents, 0, 0, list);
    }

    static VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
        switch (opcode) {
        case audioMasterVersion:
            return 2400;
        case audioMasterGetProductString:
            if (ptr) std::snprintf(static_cast<char*>(ptr), kVstMaxProductStrLen, "%s", "Sound Test Host");
            return ptr ? 1 : 0;
        default:
            return 0;
        }
    }

    void* module = nullptr;
    AEffect* effect = nullptr;
    std::vector<Pending> pending;
};
