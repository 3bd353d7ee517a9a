#pragma once

#include <array>
#include <initializer_list>

// The outside MTS-ESP library, bound at run time. Without it every entry stays null and the instrument
// keeps its own tuning. One record serves the whole process: it is built before the first instance
// registers and only read afterwards.
class MTSLibrary {
public:
    using RegisterClientFn = void (*)();
    using DeregisterClientFn = void (*)();
    using HasMasterFn = bool (*)();
    using ShouldFilterNoteFn = bool (*)(char note, char channel);
    using ShouldFilterNoteMultiChannelFn = bool (*)(char note, char channel);
    using GetTuningTableFn = const double* (*)();
    using GetMultiChannelTuningTableFn = const double* (*)(char channel);
    using UseMultiChannelTuningFn = bool (*)(char channel);
    using GetScaleNameFn = const char* (*)();

    static constexpr int kChannels = 16;

    MTSLibrary() = default;
    ~MTSLibrary();
    MTSLibrary(const MTSLibrary&) = delete;
    MTSLibrary& operator=(const MTSLibrary&) = delete;

    // The record of this process, bound once from the two places the library is installed.
    static const MTSLibrary& process();

    // Opens the first of the paths that loads and binds the nine functions and the master's tables.
    // Any earlier binding is released first. False when no path loads.
    bool bind(std::initializer_list<const char*> paths);
    void release();
    bool isLoaded() const { return handle != nullptr; }

    RegisterClientFn registerClient = nullptr;
    DeregisterClientFn deregisterClient = nullptr;
    HasMasterFn hasMaster = nullptr;
    ShouldFilterNoteFn shouldFilterNote = nullptr;
    ShouldFilterNoteMultiChannelFn shouldFilterNoteMultiChannel = nullptr;
    GetTuningTableFn getTuningTable = nullptr;
    GetMultiChannelTuningTableFn getMultiChannelTuningTable = nullptr;
    UseMultiChannelTuningFn useMultiChannelTuning = nullptr;
    GetScaleNameFn getScaleName = nullptr;
    // The master's 128 frequencies and its per-channel tables, owned by the library.
    const double* masterTable = nullptr;
    std::array<const double*, kChannels> channelTables{};

private:
    void* handle = nullptr;
};

// The places the library is installed, tried in this order.
inline constexpr const char* kMTSLibraryMacPath = "/Library/Application Support/MTS-ESP/libMTS.dylib";
inline constexpr const char* kMTSLibraryLinuxPath = "/usr/local/lib/libMTS.so";
