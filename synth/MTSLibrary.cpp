#include "synth/MTSLibrary.h"

#include <dlfcn.h>

namespace {

template <typename Fn>
void lookUp(void* handle, const char* name, Fn& entry) {
    entry = reinterpret_cast<Fn>(dlsym(handle, name));
}

// Bound while the module loads, before the host can create an instance.
[[maybe_unused]] const MTSLibrary& boundAtLoad = MTSLibrary::process();

} // namespace

MTSLibrary::~MTSLibrary() {
    release();
}

const MTSLibrary& MTSLibrary::process() {
    static MTSLibrary library;
    static const bool bound = library.bind({kMTSLibraryMacPath, kMTSLibraryLinuxPath});
    (void)bound;
    return library;
}

bool MTSLibrary::bind(std::initializer_list<const char*> paths) {
    release();
    for (const char* path : paths) {
        handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (handle != nullptr) break;
    }
    if (handle == nullptr) return false;
    lookUp(handle, "MTS_RegisterClient", registerClient);
    lookUp(handle, "MTS_DeregisterClient", deregisterClient);
    lookUp(handle, "MTS_HasMaster", hasMaster);
    lookUp(handle, "MTS_ShouldFilterNote", shouldFilterNote);
    lookUp(handle, "MTS_ShouldFilterNoteMultiChannel", shouldFilterNoteMultiChannel);
    lookUp(handle, "MTS_GetTuningTable", getTuningTable);
    lookUp(handle, "MTS_GetMultiChannelTuningTable", getMultiChannelTuningTable);
    lookUp(handle, "MTS_UseMultiChannelTuning", useMultiChannelTuning);
    lookUp(handle, "MTS_GetScaleName", getScaleName);
    masterTable = getTuningTable != nullptr ? getTuningTable() : nullptr;
    for (int channel = 0; channel < kChannels; ++channel)
        channelTables[channel] = getMultiChannelTuningTable != nullptr
                                     ? getMultiChannelTuningTable(static_cast<char>(channel))
                                     : nullptr;
    return true;
}

void MTSLibrary::release() {
    registerClient = nullptr;
    deregisterClient = nullptr;
    hasMaster = nullptr;
    shouldFilterNote = nullptr;
    shouldFilterNoteMultiChannel = nullptr;
    getTuningTable = nullptr;
    getMultiChannelTuningTable = nullptr;
    useMultiChannelTuning = nullptr;
    getScaleName = nullptr;
    masterTable = nullptr;
    channelTables.fill(nullptr);
    if (handle != nullptr) dlclose(handle);
    handle = nullptr;
}
