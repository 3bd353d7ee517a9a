// Program (FXP) and bank (FXB) files of IPlugBase. Header fields are big-endian 32-bit values; the
// chunks inside them keep the plug-in's own little-endian layout.

#include "plugin/IPlugBase.h"
#include "plugin/WholeFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kProgramHeaderSize = 56; // up to the chunk size field or the first parameter value
constexpr int kProgramChunkStart = 60;
constexpr int kBankHeaderSize = 156; // up to the chunk size field or the first program record
constexpr int kBankChunkStart = 160;
constexpr int kBankReservedSize = 124;
constexpr int kFileNameSize = 28;
constexpr int kProgramFormatVersion = 1;
constexpr int kBankFormatVersion = 2;

constexpr uint32_t fourCC(const char (&code)[5]) {
    return (static_cast<uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(code[3]));
}

constexpr uint32_t kFileMagic = fourCC("CcnK");
constexpr uint32_t kOpaqueProgramMagic = fourCC("FPCh");
constexpr uint32_t kParamProgramMagic = fourCC("FxCk");
constexpr uint32_t kOpaqueBankMagic = fourCC("FBCh");
constexpr uint32_t kParamBankMagic = fourCC("FxBk");

using Bytes = std::vector<unsigned char>;

void putBE(Bytes* out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<unsigned char>(value >> shift));
}

void putFloatBE(Bytes* out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    putBE(out, bits);
}

// The name field has no room for longer names; one byte stays zero so that readers find an end.
void putName(Bytes* out, const char* name) {
    char field[kFileNameSize] = {};
    std::strncpy(field, name ? name : "", kFileNameSize - 1);
    out->insert(out->end(), field, field + kFileNameSize);
}

void putBytes(Bytes* out, const ByteChunk& chunk) {
    out->insert(out->end(), chunk.GetData(), chunk.GetData() + chunk.Size());
}

// A read-only view that refuses every field outside the file.
class FileView {
public:
    explicit FileView(const Bytes& bytes) : bytes(bytes) {}

    bool has(size_t pos, size_t size) const { return pos <= bytes.size() && size <= bytes.size() - pos; }
    bool getBE(size_t pos, uint32_t* value) const {
        if (!has(pos, 4)) return false;
        *value = (static_cast<uint32_t>(bytes[pos]) << 24) | (static_cast<uint32_t>(bytes[pos + 1]) << 16) |
                 (static_cast<uint32_t>(bytes[pos + 2]) << 8) | static_cast<uint32_t>(bytes[pos + 3]);
        return true;
    }
    bool getFloatBE(size_t pos, float* value) const {
        uint32_t bits = 0;
        if (!getBE(pos, &bits)) return false;
        std::memcpy(value, &bits, sizeof bits);
        return true;
    }
    bool is(size_t pos, uint32_t expected) const {
        uint32_t value = 0;
        return getBE(pos, &value) && value == expected;
    }
    // A field of 28 bytes may fill the field without a terminator.
    std::string name(size_t pos) const {
        if (!has(pos, kFileNameSize)) return "";
        const auto* start = reinterpret_cast<const char*>(bytes.data() + pos);
        return std::string(start, strnlen(start, kFileNameSize));
    }
    // The bytes from pos to the end, skipping the framework's version header when it is there.
    ByteChunk chunkFrom(size_t pos) const {
        static constexpr unsigned char kHeaderMagic[4] = {0x74, 0x66, 0x66, 0x70};
        ByteChunk chunk;
        if (has(pos, 4) && std::memcmp(bytes.data() + pos, kHeaderMagic, 4) == 0) pos += 8;
        if (pos < bytes.size()) chunk.PutBytes(bytes.data() + pos, static_cast<int>(bytes.size() - pos));
        return chunk;
    }

private:
    const Bytes& bytes;
};

// Parameter-variant record: everything a program holds, as normalised floats.
void putParamProgram(Bytes* out, int uniqueID, int version, const char* name,
                     const std::vector<float>& values) {
    putBE(out, kFileMagic);
    putBE(out, 0);
    putBE(out, kParamProgramMagic);
    putBE(out, kProgramFormatVersion);
    putBE(out, static_cast<uint32_t>(uniqueID));
    putBE(out, static_cast<uint32_t>(version));
    putBE(out, static_cast<uint32_t>(values.size()));
    putName(out, name);
    for (const float value : values) putFloatBE(out, value);
}

} // namespace

bool IPlugBase::MakeFXP(Bytes* file) {
    if (!file) return false;
    IMutexLock lock(mutex);
    file->clear();
    const char* name = GetPresetName(currentPresetIdx);
    const int decimalVersion = GetEffectVersion(true);
    if (!DoesStateChunks()) {
        std::vector<float> values;
        for (const IParam& param : params) values.push_back(static_cast<float>(param.GetNormalized()));
        putParamProgram(file, uniqueID, decimalVersion, name, values);
        return true;
    }
    ByteChunk state;
    InitChunkWithIPlugVer(&state);
    SerializeState(&state);
    putBE(file, kFileMagic);
    putBE(file, static_cast<uint32_t>(state.Size() + kProgramChunkStart));
    putBE(file, kOpaqueProgramMagic);
    putBE(file, kProgramFormatVersion);
    putBE(file, static_cast<uint32_t>(uniqueID));
    putBE(file, static_cast<uint32_t>(decimalVersion));
    putBE(file, static_cast<uint32_t>(NParams()));
    putName(file, name);
    putBE(file, static_cast<uint32_t>(state.Size()));
    putBytes(file, state);
    return true;
}

bool IPlugBase::ReadFXP(const Bytes& bytes) {
    const FileView file(bytes);
    if (!file.is(0, kFileMagic) || !file.is(12, kProgramFormatVersion) ||
        !file.is(16, static_cast<uint32_t>(uniqueID)) || !file.has(0, kProgramHeaderSize))
        return false;
    IMutexLock lock(mutex);
    const std::string name = file.name(28);
    if (file.is(8, kOpaqueProgramMagic) && DoesStateChunks()) {
        ByteChunk state = file.chunkFrom(kProgramChunkStart);
        if (UnserializeState(&state, 0) < 1) {
            // What was applied before the state broke off goes back to the program's own sound.
            RestorePreset(currentPresetIdx);
            return false;
        }
    } else if (file.is(8, kParamProgramMagic)) {
        float value = 0.0f;
        for (int i = 0;
             i < NParams() && file.getFloatBE(kProgramHeaderSize + 4 * static_cast<size_t>(i), &value); ++i)
            params[i].SetNormalized(value);
    } else {
        return false;
    }
    ModifyCurrentPreset(name.c_str());
    RestorePreset(currentPresetIdx);
    InformHostOfProgramChange();
    return true;
}

bool IPlugBase::MakeFXB(Bytes* file) {
    if (!file) return false;
    IMutexLock lock(mutex);
    file->clear();
    const bool opaque = DoesStateChunks();
    const int decimalVersion = GetEffectVersion(true);
    ByteChunk bank;
    if (opaque) {
        InitChunkWithIPlugVer(&bank);
        SerializePresets(&bank);
    }
    putBE(file, kFileMagic);
    putBE(file, opaque ? static_cast<uint32_t>(bank.Size() + kBankChunkStart) : 0);
    putBE(file, opaque ? kOpaqueBankMagic : kParamBankMagic);
    putBE(file, kBankFormatVersion);
    putBE(file, static_cast<uint32_t>(uniqueID));
    putBE(file, static_cast<uint32_t>(decimalVersion));
    putBE(file, static_cast<uint32_t>(NPresets()));
    putBE(file, static_cast<uint32_t>(currentPresetIdx));
    file->insert(file->end(), kBankReservedSize, 0);
    if (opaque) {
        putBE(file, static_cast<uint32_t>(bank.Size()));
        putBytes(file, bank);
        return true;
    }
    for (const IPreset& preset : presets) {
        std::vector<float> values;
        int pos = 0;
        for (const IParam& param : params) {
            double value = 0.0;
            pos = preset.chunk.Get(&value, pos);
            if (pos < 0) value = 0.0;
            values.push_back(static_cast<float>(param.GetNormalized(value)));
        }
        putParamProgram(file, uniqueID, decimalVersion, preset.name, values);
    }
    return true;
}

bool IPlugBase::ReadFXB(const Bytes& bytes) {
    const FileView file(bytes);
    if (!file.is(0, kFileMagic) || !file.is(16, static_cast<uint32_t>(uniqueID))) return false;
    IMutexLock lock(mutex);
    if (file.is(8, kOpaqueBankMagic) && DoesStateChunks()) {
        ByteChunk bank = file.chunkFrom(kBankChunkStart);
        // A bank that breaks off must not leave half of itself in the programs.
        const std::vector<IPreset> before = presets;
        if (bank.Size() == 0 || UnserializePresets(&bank, 0) < 0) {
            presets = before;
            RestorePreset(currentPresetIdx);
            return false;
        }
        InformHostOfProgramChange();
        return true;
    }
    if (!file.is(8, kParamBankMagic)) return false;
    uint32_t count = 0;
    uint32_t current = 0;
    if (!file.getBE(24, &count) || !file.getBE(28, &current)) return false;
    const size_t recordSize = kProgramHeaderSize + 4 * static_cast<size_t>(NParams());
    // Records beyond the plug-in's programs have no place to go.
    const int n = static_cast<int>(std::min<uint32_t>(count, static_cast<uint32_t>(NPresets())));
    for (int i = 0; i < n; ++i) {
        const size_t at = kBankHeaderSize + recordSize * static_cast<size_t>(i);
        if (!file.is(at, kFileMagic) || !file.is(at + 8, kParamProgramMagic) ||
            !file.is(at + 12, kProgramFormatVersion) || !file.is(at + 24, static_cast<uint32_t>(NParams())) ||
            !file.has(at, kProgramHeaderSize))
            return false;
        RestorePreset(i);
        float value = 0.0f;
        for (int p = 0;
             p < NParams() && file.getFloatBE(at + kProgramHeaderSize + 4 * static_cast<size_t>(p), &value);
             ++p)
            params[p].SetNormalized(value);
        ModifyCurrentPreset(file.name(at + 28).c_str());
    }
    RestorePreset(static_cast<int>(std::min<uint32_t>(current, 0x7FFFFFFF)));
    InformHostOfProgramChange();
    return true;
}

bool IPlugBase::SaveProgramAsFXP(const char* fileName) {
    if (!fileName || !fileName[0]) return false;
    Bytes file;
    return MakeFXP(&file) && WholeFile::writeReplacing(fileName, file.data(), file.size());
}

bool IPlugBase::LoadProgramFromFXP(const char* fileName) {
    if (!fileName || !fileName[0]) return false;
    Bytes file;
    return WholeFile::read(fileName, &file) && ReadFXP(file);
}

bool IPlugBase::SaveBankAsFXB(const char* fileName) {
    if (!fileName || !fileName[0]) return false;
    Bytes file;
    return MakeFXB(&file) && WholeFile::writeReplacing(fileName, file.data(), file.size());
}

bool IPlugBase::LoadBankFromFXB(const char* fileName) {
    if (!fileName || !fileName[0]) return false;
    Bytes file;
    return WholeFile::read(fileName, &file) && ReadFXB(file);
}
