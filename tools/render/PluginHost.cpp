#include "tools/render/PluginHost.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>

namespace {
using EntryProc = AEffect* (*)(audioMasterCallback);

void copyText(void* dest, const char* text) {
    // Hosts promise plug-ins at least the interface's 64 bytes for names.
    std::snprintf(static_cast<char*>(dest), kVstMaxProductStrLen, "%s", text);
}

// The plug-in calls back from inside the entry point, before the host has its AEffect to mark.
PluginHost* hostBeingCreated = nullptr;
} // namespace

PluginHost::~PluginHost() {
    Close();
}

bool PluginHost::Load(const std::string& modulePath) {
    Close();
    module = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* reason = dlerror();
        error = "cannot load " + modulePath + ": " + (reason ? reason : "unknown error");
        return false;
    }
    auto entry = reinterpret_cast<EntryProc>(dlsym(module, "VSTPluginMain"));
    if (!entry) entry = reinterpret_cast<EntryProc>(dlsym(module, "main"));
    if (!entry) {
        error = modulePath + " exports no VST 2.4 entry point";
        return false;
    }
    hostBeingCreated = this;
    effect = entry(hostCallback);
    hostBeingCreated = nullptr;
    if (!effect || effect->magic != kEffectMagic) {
        error = modulePath + " did not create a VST 2.4 plug-in";
        effect = nullptr;
        return false;
    }
    effect->user = this;
    return true;
}

void PluginHost::Close() {
    if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    effect = nullptr;
    // The module itself stays mapped until the tool exits: unloading it just before exit gains nothing.
}

void PluginHost::Start(double rate, int frames) {
    sampleRate = rate;
    blockSize = frames;
    Dispatch(effOpen);
    Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    Dispatch(effSetBlockSize, 0, frames);
    Dispatch(effMainsChanged, 0, 1);
}

VstIntPtr PluginHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) const {
    return effect ? effect->dispatcher(effect, opcode, index, value, ptr, opt) : 0;
}

std::string PluginHost::DispatchText(VstInt32 opcode, VstInt32 index) const {
    char text[256] = "";
    Dispatch(opcode, index, 0, text);
    text[sizeof text - 1] = '\0';
    return text;
}

int PluginHost::FindParameter(const std::string& name) const {
    if (!effect) return -1;
    for (int i = 0; i < effect->numParams; ++i)
        if (DispatchText(effGetParamName, i) == name) return i;
    return -1;
}

VstIntPtr PluginHost::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    PluginHost* host = effect && effect->user ? static_cast<PluginHost*>(effect->user) : hostBeingCreated;
    if (opcode == audioMasterVersion) return 2400;
    return host ? host->answer(opcode, ptr) : 0;
}

VstIntPtr PluginHost::answer(VstInt32 opcode, void* ptr) {
    switch (opcode) {
    case audioMasterGetTime:
        return timeInfo.flags ? reinterpret_cast<VstIntPtr>(&timeInfo) : 0;
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(sampleRate);
    case audioMasterGetBlockSize:
        return blockSize;
    case audioMasterGetProductString:
        if (ptr) copyText(ptr, kProductString);
        return ptr ? 1 : 0;
    case audioMasterGetVendorString:
        if (ptr) copyText(ptr, kVendorString);
        return ptr ? 1 : 0;
    case audioMasterGetVendorVersion:
        return kVendorVersion;
    case audioMasterGetCurrentProcessLevel:
        return kVstProcessLevelOffline;
    default:
        return 0;
    }
}
