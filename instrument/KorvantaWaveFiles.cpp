// Loading user wave tables from files. The file is read and its table built without the lock; only the
// swap of the finished record into the slot and into the oscillators that play it holds it, so rendering
// waits for no disk and no transform.

#include "instrument/Korvanta.h"

bool Korvanta::storeImportedWave(int k, const WaveImport::ImportedWaveTable& table) {
    if (k < 0 || k >= kNumOscillators) return false;
    Wave wave;
    table.storeInto(wave);
    IMutexLock lock(mutex);
    userWaves[k] = wave;
    keepInPool(wave);
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
