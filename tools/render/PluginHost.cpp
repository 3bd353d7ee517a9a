#include "PluginHost.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>

namespace {
using EntryProc = AEffect* (*)(audioMasterCallback);

void copyText(void* dest, const char* text) {
    // Hosts promise plug-ins at least the interface's 64 bytes for names.
    std::snprintf(static_cast<char*>(dest), kVstMaxProductStrLen, "%s", text);
}
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
    effect = entry(hostCallback);
    if (!effect || effect->magic != kEffectMagic) {
        error = modulePath + " did not create a VST 2.4 plug-in";
        effect = nullptr;
        return false;
    }
    return true;
}

void PluginHost::Close() {
    if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    effect = nullptr;
    // The module itself stays mapped until the tool exits: unloading it just before exit gains nothing.
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

VstIntPtr PluginHost::hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
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
