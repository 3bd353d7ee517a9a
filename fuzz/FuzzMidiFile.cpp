#include "tools/midifile/MidiFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MidiFile file;
    std::string error;
    if (!file.parse(data, size, &error)) return 0;
    // The renderer times every event and asks the tempo along the song.
    for (const MidiFile::Event& event : file.events()) {
        file.tickToSeconds(event.tick);
        file.tempoAt(event.tick);
        file.tickToQuarters(event.tick);
    }
    file.tickToSeconds(file.lastTick());
    return 0;
}
