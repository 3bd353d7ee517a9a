// A configuration file read as the instrument reads it at start-up: every section and key it asks for.

#include "fuzz/FuzzInput.h"
#include "synth/IniStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = writeInput(data, size, "ini");
    IniStore& store = IniStore::instance();
    store.clearCache();
    char value[1024];
    const char* file = path.c_str();
    store.GetPrivateProfileString("Startup Bank", "File", "", value, sizeof value, file);
    store.GetPrivateProfileString("Global", "Path to Program Files", "", value, sizeof value, file);
    store.GetPrivateProfileString("MIDI Global", "MIDI Thru", "false", value, sizeof value, file);
    store.GetPrivateProfileString("MIDI Global", "Ignore Program Change", "false", value, sizeof value, file);
    for (int cc = 0; cc < 120; ++cc) {
        const std::string key = "CC" + std::to_string(cc);
        store.GetPrivateProfileString("MIDI Control", key.c_str(), "-1", value, sizeof value, file);
    }
    return 0;
}
