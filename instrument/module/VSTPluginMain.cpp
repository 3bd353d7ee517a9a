// The only symbols the module exports: hosts look for VSTPluginMain, older ones for main.

#include "instrument/Korvanta.h"

#include <algorithm>
#include <mutex>

namespace {
std::recursive_mutex& creationMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}
} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback hostCallback) {
    std::lock_guard<std::recursive_mutex> lock(creationMutex());
    IPlugInstanceInfo instanceInfo;
    instanceInfo.VSTHostCallback = hostCallback;
    auto* plug = new Korvanta(instanceInfo);
    plug->EnsureDefaultPreset();
    AEffect* effect = plug->GetAEffect();
    effect->numPrograms = std::max(effect->numPrograms, 1);
    return effect;
}

// A C++ function cannot be called main, so the entry takes the name through its assembler label.
extern "C" __attribute__((visibility("default"))) AEffect*
VSTPluginMainAlias(audioMasterCallback hostCallback) __asm__("main");

AEffect* VSTPluginMainAlias(audioMasterCallback hostCallback) {
    return VSTPluginMain(hostCallback);
}
