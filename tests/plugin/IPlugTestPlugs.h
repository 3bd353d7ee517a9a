#pragma once

// Small plug-ins and an editor stand-in that record what the framework does with them.

#include "plugin/IPlugBase.h"
#include "plugin/IPlugVST.h"

#include <cstdio>
#include <string>
#include <vector>

class RecordingEditor : public IPlugEditor {
public:
    explicit RecordingEditor(std::vector<std::string>* log, bool* deleted = nullptr)
        : log(log), deleted(deleted) {}
    ~RecordingEditor() override {
        if (deleted) *deleted = true;
    }
    void SetParameterFromPlug(int paramIdx, double value, bool normalized) override {
        char line[64];
        std::snprintf(line, sizeof line, "editor %d %g %s", paramIdx, value, normalized ? "norm" : "plain");
        log->push_back(line);
    }
    void PrepDraw() override { log->push_back("prepdraw"); }
    int Width() const override { return width; }
    int Height() const override { return height; }
    bool OpenWindow(void*) override {
        log->push_back("open");
        return openSucceeds;
    }
    void CloseWindow() override { log->push_back("close"); }

    int width = 1127;
    int height = 776;
    bool openSucceeds = true;

private:
    std::vector<std::string>* log;
    bool* deleted;
};

// Records the calls the framework makes into the operations a host adapter or instrument supplies.
template <class Base>
class Recorder : public Base {
public:
    using Base::Base;

    void OnParamChange(int idx) override {
        Base::OnParamChange(idx);
        log.push_back("change " + std::to_string(idx));
    }
    void PresetsChangedByHost() override { log.push_back("presets changed"); }

    std::vector<std::string> log;
};

class TestPlug : public Recorder<IPlugBase> {
public:
    explicit TestPlug(const char* channelIO = "0-2", int nParams = 4, int nPresets = 3,
                      const char* effectName = "Test Plug")
        : Recorder<IPlugBase>(nParams, channelIO, nPresets, effectName, "Test Product", "Test Vendor",
                              0x00010105, 0x6B6F7276, 0x4D614C61, 0, true, true, true, kAPIVST2) {}

    void BeginInformHostOfParamChange(int idx) override { log.push_back("begin " + std::to_string(idx)); }
    void InformHostOfParamChange(int idx, double normalized) override {
        char line[64];
        std::snprintf(line, sizeof line, "inform %d %g", idx, normalized);
        log.push_back(line);
    }
    void EndInformHostOfParamChange(int idx) override { log.push_back("end " + std::to_string(idx)); }
    void InformHostOfProgramChange() override { log.push_back("program change"); }
    int GetSamplePos() override { return 0; }
    double GetTempo() override { return 0.0; }
    void GetTimeSig(int* num, int* den) override { *num = *den = 4; }
    void GetTime(ITimeInfo*) override {}
    void ResizeGraphics(int, int) override {}
    bool SendMidiMsg(IMidiMsg* msg) override {
        sent.push_back(*msg);
        return sent.size() != failOnMessage;
    }

    // Renders a ramp so that routing can be told apart from silence.
    void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override {
        if (!renderRamp) return IPlugBase::ProcessDoubleReplacing(inputs, outputs, nFrames);
        for (int c = 0; c < NOutChannels(); ++c)
            for (int s = 0; s < nFrames; ++s) outputs[c][s] = (c + 1) * 0.25 + s * 0.001;
    }

    const std::vector<double>& InScratch(int c) const { return inChannels[c].scratchBuf; }
    const std::vector<double>& OutScratch(int c) const { return outChannels[c].scratchBuf; }
    double* InSlot(int c) const { return inData[c]; }

    bool renderRamp = false;
    size_t failOnMessage = 0; // 1-based index of the message the "host" refuses; 0 = none
    std::vector<IMidiMsg> sent;
};
