// The host extension: file operations a VST 2.4 host cannot ask for otherwise, each doing what the
// editor's menu command of the same name does.

#include "instrument/Korvanta.h"
#include "instrument/KorvantaExtension.h"
#include "instrument/WaveImport.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

namespace ext = KorvantaExtension;

void setMessage(ext::Request* request, const std::string& text) {
    const size_t length = std::min(text.size(), static_cast<size_t>(ext::kMessageBytes - 1));
    std::memcpy(request->message, text.data(), length);
    request->message[length] = '\0';
}

// A request this module can read: the host's layout is at least as large as ours and the path is a
// terminated string of a sane length. A host with a newer, larger layout still works.
bool isReadable(const ext::Request* request) {
    if (!request || request->size < static_cast<int32_t>(sizeof(ext::Request)) || !request->path)
        return false;
    return ::strnlen(request->path, ext::kMaxPathBytes) < static_cast<size_t>(ext::kMaxPathBytes) &&
           request->path[0] != '\0';
}

} // namespace

intptr_t Korvanta::HandleVendorCommand(int32_t command, void* data) {
    if (command < ext::kLoadTuning || command > ext::kSaveBank) return ext::kUnknownCommand;
    auto* request = static_cast<ext::Request*>(data);
    if (!isReadable(request)) return ext::kBadRequest;
    request->message[0] = '\0';
    const char* path = request->path;
    switch (command) {
    case ext::kLoadTuning: {
        std::string reason;
        if (loadTuning(path, request->exactTuning != 0, &reason) != TuningEngine::kLoadDone) {
            setMessage(request, reason);
            return ext::kLoadFailed;
        }
        setTuning(eUserTuning);
        return ext::kDone;
    }
    case ext::kLoadWaveTable:
        return loadWaveTableFile(request);
    case ext::kLoadProgram:
        if (LoadProgramFromFXP(path)) return ext::kDone;
        setMessage(request, "not a program file of this plug-in, or it cannot be read");
        return ext::kLoadFailed;
    case ext::kLoadBank:
        if (LoadBankFromFXB(path)) return ext::kDone;
        setMessage(request, "not a bank file of this plug-in, or it cannot be read");
        return ext::kLoadFailed;
    case ext::kSaveProgram:
        if (SaveProgramAsFXP(path)) return ext::kDone;
        setMessage(request, "the file cannot be written");
        return ext::kSaveFailed;
    default:
        // The bank holds the programs as stored: the current one takes its edits first, as a host's
        // program change would.
        ModifyCurrentPreset();
        if (SaveBankAsFXB(path)) return ext::kDone;
        setMessage(request, "the file cannot be written");
        return ext::kSaveFailed;
    }
}

intptr_t Korvanta::loadWaveTableFile(ext::Request* request) {
    if (request->slot < ext::kFirstSlot || request->slot > ext::kLastSlot) return ext::kBadRequest;
    const int k = request->slot - ext::kFirstSlot;
    const WaveImport::ImportVerdict verdict = WaveImport::checkSelectedFile(request->path);
    const bool loaded = verdict.accepted && loadWaveTable(k, request->path);
    // The verdict's text explains most refusals; a file it let pass may still fail to read.
    setMessage(request, !loaded && verdict.message.empty()
                            ? "the file cannot be read as a wave table (WAV or Blofeld SysEx)"
                            : verdict.message);
    if (!loaded) return ext::kLoadFailed;
    // Selecting the loaded table is a parameter change the host and the editor must see.
    const double normalized = (kFirstUserTable + k) / GetParam(kWaveTableParams[k])->GetMax();
    SetParameterFromGUI(kWaveTableParams[k], normalized);
    RedrawParamControls();
    return ext::kDone;
}
