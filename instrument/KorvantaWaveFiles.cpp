// Loading user wave tables from files. The file is read without the lock; only the replacement of
// the record and the rebuilding of the mip-maps that play it hold it, so rendering waits for no disk.

#include "instrument/Korvanta.h"

bool Korvanta::storeImportedWave(int k, const WaveImport::ImportedWaveTable& table) {
    if (k < 0 || k >= kNumOscillators) return false;
    IMutexLock lock(mutex);
    table.storeInto(userWaves[k]);
    const int id = kFirstUserTable + k;
    for (int osc = 0; osc < kNumOscillators; ++osc) {
        if (waveTableId[osc] == id && !loading) buildWaveTable(osc);
    }
    return true;
}

bool Korvanta::readWAV(int k, const std::string& path) {
    WaveImport::ImportedWaveTable table;
    return k >= 0 && k < kNumOscillators && WaveImport::readWAV(path, &table) && storeImportedWave(k, table);
}

bool Korvanta::readBlofeldSYX(int k, const std::string& path) {
    WaveImport::ImportedWaveTable table;
    return k >= 0 && k < kNumOscillators && WaveImport::readBlofeldSYX(path, &table) &&
           storeImportedWave(k, table);
}

bool Korvanta::loadWaveTable(int k, const std::string& path) {
    switch (WaveImport::fileKindOf(path)) {
    case WaveImport::FileKind::eWAV:
        // A WAV file that failed to load is reported as such, not as loaded.
        return readWAV(k, path);
    case WaveImport::FileKind::eBlofeldSYX:
        return readBlofeldSYX(k, path);
    default:
        return false;
    }
}
