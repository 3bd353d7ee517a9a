#pragma once

#include "plugin/vst2/Vst2.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// One instance of the built plug-in, reached only through the module's exported entry point and the
// AEffect it returns, with a host that reports no transport.
class PluginUnderTest {
public:
    explicit PluginUnderTest(double sampleRate = 44100.0, int maxBlockSize = 256) {
        // Kept loaded, as hosts keep a scanned module: unloading it with the X and font libraries it pulls in
        // leaves their thread-local blocks to the leak checker's exit scan, which then crashes now and then.
        module = dlopen(KORVANTA_MODULE, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        auto entry = module
                         ? reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(module, "VSTPluginMain"))
                         : nullptr;
        effect = entry ? entry(callback) : nullptr;
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
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) const {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void SetParameter(int index, float value) const { effect->setParameter(effect, index, value); }
    float GetParameter(int index) const { return effect->getParameter(effect, index); }
    Bytes Chunk(int isProgram) const {
        void* data = nullptr;
        const VstIntPtr size = Dispatch(effGetChunk, isProgram, 0, &data);
        const auto* bytes = static_cast<const unsigned char*>(data);
        return size > 0 ? Bytes(bytes, bytes + size) : Bytes{};
    }
    VstIntPtr SetChunk(int isProgram, Bytes bytes) const {
        return Dispatch(effSetChunk, isProgram, static_cast<VstIntPtr>(bytes.size()), bytes.data());
    }
    std::string ProgramName(int index) const {
        char name[kVstMaxProgNameLen + 8] = {};
        Dispatch(effGetProgramNameIndexed, index, 0, name);
        return name;
    }
    void NoteOn(int note) const {
        VstMidiEvent event{
            kVstMidiType, sizeof event, 0, 0, 0, 0, {char(0x90), char(note), 100, 0}, 0, 0, 0, 0};
        VstEvents events{1, 0, {reinterpret_cast<VstEvent*>(&event), nullptr}};
        Dispatch(effProcessEvents, 0, 0, &events);
    }
    // The left channel of the given number of frames, rendered in blocks of the given size.
    std::vector<double> Render(int frames, int blockSize) const {
        std::vector<double> left(frames), right(frames);
        for (int start = 0; start < frames; start += blockSize) {
            double* outputs[] = {left.data() + start, right.data() + start};
            effect->processDoubleReplacing(effect, nullptr, outputs, std::min(blockSize, frames - start));
        }
        return left;
    }

    AEffect* effect = nullptr;

private:
    static VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
        if (opcode == audioMasterGetProductString && ptr)
            std::snprintf(static_cast<char*>(ptr), kVstMaxProductStrLen, "%s", "Sound Test Host");
        return opcode == audioMasterVersion ? 2400 : 0;
    }

    void* module = nullptr;
};
