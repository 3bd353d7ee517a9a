#pragma once

#include "synth/MTSLibrary.h"

#include <array>

// What one plug-in instance knows of MTS-ESP: its own equal-tempered fall-back table and scale name,
// and the library record it registered with.
struct MTSClient {
    static constexpr int kNotes = 128;

    explicit MTSClient(const MTSLibrary& library);

    const MTSLibrary& library;
    std::array<double, kNotes> retuning{};
    const char* scaleName = "12-TET";
    bool channelSupplied = false;
    bool frequencyRequested = false;
};

// Registers with the process's library record (or a given one) and returns the new client record.
MTSClient* MTS_RegisterClient();
MTSClient* MTS_RegisterClient(const MTSLibrary& library);
void MTS_DeregisterClient(MTSClient* client);
bool MTS_HasMaster(const MTSClient* client);
// Note and channel are MIDI bytes; a channel outside 0..15 means "any channel".
bool MTS_ShouldFilterNote(MTSClient* client, char note, char channel);
double MTS_NoteToFrequency(MTSClient* client, char note, char channel);
const char* MTS_GetScaleName(MTSClient* client);
