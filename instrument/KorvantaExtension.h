#pragma once

#include <cstdint>

// Korvanta's own host extension: the file operations a VST 2.4 host has no opcode for, reached through
// effVendorSpecific so that a host (korvanta-render, a test host, a script host) needs nothing but the
// loaded module. They are the operations behind the editor's menu commands.
//
//   dispatcher(effect, effVendorSpecific, kTag, command, &request, 0.0f)
//
// `index` is the plug-in's unique id 'korv', so the other vendor-specific calls hosts make (indices 7
// and 8) keep their meaning. The answer is one of the Result values; a module that does not know the
// extension answers 0 (kUnknownCommand). This header is the whole interface: it includes nothing of
// the instrument and stays stable across versions (new commands get new numbers; the request grows only
// at its end, and `size` tells which layout the host filled).
namespace KorvantaExtension {

constexpr int32_t kTag = 0x6B6F7276; // 'korv'

enum Command : int32_t {
    kLoadTuning = 1,    // read a TUN, SCL or KBM file into the user tuning and select it
    kLoadWaveTable = 2, // read a WAV or Blofeld SysEx file into user wave `slot` and select it there
    kLoadProgram = 3,   // read an FXP file into the current program
    kLoadBank = 4,      // read an FXB file into all programs
    kSaveProgram = 5,   // write the current program as an FXP file
    kSaveBank = 6,      // write all programs (the current one with its edits) as an FXB file
};

enum Result : int32_t {
    kUnknownCommand = 0, // not a command of this extension (what any other plug-in answers)
    kDone = 1,
    kBadRequest = -1, // no request, a size this module does not know, no path, a path too long, a bad slot
    kLoadFailed = -2, // the file was refused; `message` says why
    kSaveFailed = -3, // the file could not be written; `message` says why
};

constexpr int kMaxPathBytes = 4096; // terminator included
constexpr int kMessageBytes = 512;  // terminator included
constexpr int kFirstSlot = 1;       // user wave slots count from 1, like the oscillators in the menus
constexpr int kLastSlot = 3;

struct Request {
    int32_t size = sizeof(Request);
    int32_t slot = 0;           // kLoadWaveTable: the oscillator and user wave, 1..3
    int32_t exactTuning = 1;    // kLoadTuning: a TUN file's exact tuning wins over its functional one
    const char* path = nullptr; // UTF-8, terminated, shorter than kMaxPathBytes
    // Filled by the module: why a file was refused, or a note about one that was accepted (for instance
    // that only the first channel of a stereo file is used); empty otherwise. Always terminated.
    char message[kMessageBytes] = {};
};

} // namespace KorvantaExtension
