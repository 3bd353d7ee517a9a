// The online version check as the editor runs it: one exchange, one message.

#include "synth/Synth.h"

void Synth::checkVersionAgainstWeb() {
    const VersionCheck::Result result = VersionCheck::ask(versionCheck);
    const VersionCheck::Message message = VersionCheck::messageFor(result, versionCheck, iniFile);
    constexpr int kNo = 7;
    if (!message.asksToVisit) {
        showMessageBox(message.text.c_str(), message.title.c_str(), false);
        return;
    }
    if (showMessageBox(message.text.c_str(), message.title.c_str(), true) != kNo)
        openURL(versionCheck.websiteUrl.c_str());
}
