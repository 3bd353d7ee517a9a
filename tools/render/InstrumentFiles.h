#pragma once

#include "tools/render/PluginHost.h"
#include "tools/render/RenderOptions.h"

#include <string>

// The files a user hands the instrument itself: program and bank files, tuning files and wave tables.
// VST 2.4 has no call for them, so they go through the instrument's own host extension (a
// vendor-specific call on the loaded module), the operations its editor menu runs: what is saved here
// loads anywhere the plug-in runs, and any build of the plug-in can be driven.
namespace InstrumentFiles {

enum class Result {
    done,
    refused,     // the plug-in read the file and refused it; the error says why
    unsupported, // the module does not offer the extension, or rejects the request itself
    notWritten,  // a file to save could not be written
};

// Loads --fxb, then chooses --program, then loads --fxp, each --tuning and each --wavetable, in that
// order. Notes about accepted files (a stereo WAV, say) go to standard error.
Result load(PluginHost& host, const RenderOptions& options, std::string* error);

// Saves --save-fxp and --save-fxb from the plug-in's current state.
Result save(PluginHost& host, const RenderOptions& options, std::string* error);

} // namespace InstrumentFiles
