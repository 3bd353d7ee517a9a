#include "synth/MTSClient.h"

#include <cmath>

namespace {

bool isChannel(char channel) {
    return channel >= 0 && channel < MTSLibrary::kChannels;
}

int noteIndex(char note) {
    return static_cast<unsigned char>(note) & 127;
}

bool usesChannelTable(const MTSClient& client, char channel) {
    const MTSLibrary& library = client.library;
    return isChannel(channel) && library.useMultiChannelTuning != nullptr &&
           library.channelTables[static_cast<int>(channel)] != nullptr &&
           library.useMultiChannelTuning(channel);
}

} // namespace

MTSClient::MTSClient(const MTSLibrary& library) : library(library) {
    for (int i = 0; i < kNotes; ++i) retuning[i] = 440.0 * std::pow(2.0, (i - 69) / 12.0);
}

MTSClient* MTS_RegisterClient() {
    return MTS_RegisterClient(MTSLibrary::process());
}

MTSClient* MTS_RegisterClient(const MTSLibrary& library) {
    auto* client = new MTSClient(library);
    if (library.registerClient != nullptr) library.registerClient();
    return client;
}

void MTS_DeregisterClient(MTSClient* client) {
    if (client == nullptr) return;
    if (client->library.deregisterClient != nullptr) client->library.deregisterClient();
    delete client;
}

bool MTS_HasMaster(const MTSClient* client) {
    if (client == nullptr) return false;
    const MTSLibrary& library = client->library;
    return library.masterTable != nullptr && library.hasMaster != nullptr && library.hasMaster();
}

bool MTS_ShouldFilterNote(MTSClient* client, char note, char channel) {
    if (!MTS_HasMaster(client)) return false;
    const MTSLibrary& library = client->library;
    const char key = static_cast<char>(noteIndex(note));
    if (usesChannelTable(*client, channel) && library.shouldFilterNoteMultiChannel != nullptr)
        return library.shouldFilterNoteMultiChannel(key, channel);
    return library.shouldFilterNote != nullptr && library.shouldFilterNote(key, channel);
}

double MTS_NoteToFrequency(MTSClient* client, char note, char channel) {
    const int key = noteIndex(note);
    if (client == nullptr) return 440.0 * std::pow(2.0, (key - 69) / 12.0);
    client->frequencyRequested = true;
    client->channelSupplied = isChannel(channel);
    if (!MTS_HasMaster(client)) return client->retuning[key];
    if (usesChannelTable(*client, channel))
        return client->library.channelTables[static_cast<int>(channel)][key];
    return client->library.masterTable[key];
}

const char* MTS_GetScaleName(MTSClient* client) {
    if (client == nullptr) return "12-TET";
    if (MTS_HasMaster(client) && client->library.getScaleName != nullptr) {
        const char* name = client->library.getScaleName();
        if (name != nullptr) return name;
    }
    return client->scaleName;
}
