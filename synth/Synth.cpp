#include "Synth.h"

#include <dlfcn.h>

#include <climits>
#include <cstdlib>

namespace {
constexpr char kBundleBinaryFolder[] = "Korvanta.vst/Contents/x86_64-linux/";
// Any object of this module serves to ask the loader which file it came from.
const char moduleAnchor = 0;
} // namespace

Synth::Synth(IPlugInstanceInfo instanceInfo)
    : IPlugVST(instanceInfo, kNumParams, "0-2", kNumPrograms, "Korvanta", "", "Marrow Lane Audio",
               kVendorVersion, kUniqueID, kMfrID, 0, true, true, true),
      pluginPath(FindPluginPath()) {}

void Synth::initPreset() {
    IMutexLock lock(mutex);
    for (int i = 0; i < NParams(); ++i) {
        const IParam* param = GetParam(i);
        SetParameterFromGUI(i, param->GetNormalized(param->GetDefault()));
    }
    ModifyCurrentPreset("Init");
    RedrawParamControls();
    DirtyParameters();
}

std::string Synth::PluginPathFromModule(const std::string& modulePath) {
    const size_t slash = modulePath.rfind('/');
    std::string folder = slash == std::string::npos ? "./" : modulePath.substr(0, slash + 1);
    const std::string bundleTail = kBundleBinaryFolder;
    if (folder.size() >= bundleTail.size() &&
        folder.compare(folder.size() - bundleTail.size(), bundleTail.size(), bundleTail) == 0)
        folder.resize(folder.size() - bundleTail.size());
    return folder;
}

std::string Synth::FindPluginPath() {
    Dl_info info{};
    if (!dladdr(&moduleAnchor, &info) || !info.dli_fname) return "";
    char resolved[PATH_MAX];
    const char* file = realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
    return PluginPathFromModule(file);
}
