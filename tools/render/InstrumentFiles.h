#pragma once

#include "tools/render/PluginHost.h"
#include "tools/render/RenderOptions.h"

#include <string>

// The files a user hands the instrument itself: program and bank files, tuning files and wave tables.
// A VST 2.4 host has no call for loading a tuning or a wave table, so these go through the instrument's
// own C++ interface on the object the entry point created; programs and banks use the instrument's own
// file code too, the code its editor menu runs, so that what is saved here loads anywhere the plug-in
// runs. Everything else reaches the plug-in through the dispatcher.
namespace InstrumentFiles {

// Loads --fxb, then chooses --program, then loads --fxp, --tuning and each --wavetable, in that order.
// On failure returns false and error says which file and why.
bool load(PluginHost& host, const RenderOptions& options, std::string* error);

// Saves --save-fxp and --save-fxb from the plug-in's current state.
bool save(PluginHost& host, const RenderOptions& options, std::string* error);

} // namespace InstrumentFiles
