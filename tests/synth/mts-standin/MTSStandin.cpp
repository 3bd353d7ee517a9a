// The master publishes quarter tones around A4 = 440 Hz, drops every F# and calls its scale
// "Quarter tones". Switched on and off by the tests through MTSStandin_SetMaster.
#include <array>
#include <cmath>

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

bool masterPresent = false;
int registeredClients = 0;
std::array<double, 128> masterTable = [] {
    std::array<double, 128> table{};
    for (int i = 0; i < 128; ++i) table[i] = 440.0 * std::pow(2.0, (i - 69) / 24.0);
    return table;
}();
std::array<double, 128> channelTable = [] {
    std::array<double, 128> table{};
    for (int i = 0; i < 128; ++i) table[i] = 1000.0 + i;
    return table;
}();

} // namespace

STANDIN_EXPORT void MTSStandin_SetMaster(bool present) {
    masterPresent = present;
}
STANDIN_EXPORT int MTSStandin_RegisteredClients() {
    return registeredClients;
}

STANDIN_EXPORT void MTS_RegisterClient() {
    ++registeredClients;
}
STANDIN_EXPORT void MTS_DeregisterClient() {
    --registeredClients;
}
STANDIN_EXPORT bool MTS_HasMaster() {
    return masterPresent;
}
STANDIN_EXPORT bool MTS_ShouldFilterNote(char note, char) {
    return note % 12 == 6;
}
STANDIN_EXPORT bool MTS_ShouldFilterNoteMultiChannel(char, char) {
    return true;
}
STANDIN_EXPORT const double* MTS_GetTuningTable() {
    return masterTable.data();
}
STANDIN_EXPORT const double* MTS_GetMultiChannelTuningTable(char) {
    return channelTable.data();
}
STANDIN_EXPORT bool MTS_UseMultiChannelTuning(char channel) {
    return channel == 3;
}
STANDIN_EXPORT const char* MTS_GetScaleName() {
    return "Quarter tones";
}
