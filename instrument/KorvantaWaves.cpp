#include "instrument/Korvanta.h"

#include <algorithm>

namespace {
constexpr double kWaveTableRange = 65535.0;

bool isWaveTableParam(int idx) {
    return std::find(kWaveTableParams.begin(), kWaveTableParams.end(), idx) != kWaveTableParams.end();
}
} // namespace

const char* Korvanta::getWaveTableName(int paramIdx) {
    const IParam* param = GetParam(paramIdx);
    if (!param) return "";
    return tableDefs.getTableName(static_cast<uint16_t>(param->Int()));
}

const char* Korvanta::getUserWaveName(int k) const {
    if (k < 0 || k >= kNumOscillators) return "";
    return userWaves[k].getName();
}

bool Korvanta::isWaveUsed(int k) const {
    const int id = kFirstUserTable + k;
    for (const int idx : kWaveTableParams) {
        if (GetParam(idx)->Int() == id) return true;
    }
    return false;
}

void Korvanta::incrementWaveTable(int paramIdx, bool down) {
    if (!isWaveTableParam(paramIdx)) return;
    const TableDef* current = tableDefs.getTable(static_cast<uint16_t>(GetParam(paramIdx)->Int()));
    if (!current) return;
    const uint16_t sortId = tableDefs.getNeighbourSortId(current->sortId, down);
    const double normalized = tableDefs.getIdBySortId(sortId) / kWaveTableRange;
    SetParameterFromGUI(paramIdx, normalized);
    // The editor would now be told to show the new table; there is none yet.
}

int Korvanta::restoreUserWave(int k, const ByteChunk* chunk, int pos) {
    for (const std::vector<Wave>* pool : {&wavePool, &retiredPool}) {
        for (const Wave& known : *pool) {
            const int end = known.matches(chunk, pos);
            if (end < 0) continue;
            userWaves[k] = known;
            keepInPool(known);
            return end;
        }
    }
    const int end = userWaves[k].unserialize(chunk, pos);
    if (end >= 0) keepInPool(userWaves[k]);
    return end;
}

void Korvanta::keepInPool(const Wave& wave) {
    if (!wave.isValid()) return;
    for (const Wave& known : wavePool)
        if (known.sharesContentWith(wave)) return;
    wavePool.push_back(wave);
}
