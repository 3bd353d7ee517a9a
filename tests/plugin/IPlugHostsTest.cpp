#include "plugin/Hosts.h"

#include <gtest/gtest.h>

TEST(IPlugHosts, ProductStringsFindTheirHost) {
    using Case = std::tuple<const char*, EHost>;
    for (const auto& [product, host] :
         {Case{"REAPER", kHostReaper}, Case{"Ableton Live", kHostAbletonLive},
          Case{"Logic Pro X", kHostLogic}, Case{"Cubase and Nuendo", kHostCubase},
          Case{"Nuendo", kHostNuendo}, Case{"Cakewalk", kHostSonar}, Case{"Samplitude", kHostSamplitude},
          Case{"Fruity Wrapper", kHostFL}, Case{"Melodyne", kHostMelodyneStudio},
          Case{"vstmanlib", kHostVSTScanner}, Case{"AU Lab", kHostUnknown}, Case{"AULab", kHostAULab},
          Case{"GarageBand", kHostGarageBand}, Case{"Forte", kHostForte}, Case{"Chainer", kHostChainer},
          Case{"Adobe Audition", kHostAudition}, Case{"Orion", kHostOrion}, Case{"SAWStudio", kHostSAWStudio},
          Case{"Digital Performer", kHostDigitalPerformer}, Case{"AudioMulch", kHostAudioMulch},
          Case{"PreSonus Studio One", kHostStudioOne}, Case{"VST3PluginTestHost", kHostVST3TestHost},
          Case{"ProTools", kHostProTools}, Case{"Ardour", kHostArdour}, Case{"OpenMPT", kHostOpenMPT},
          Case{"Renoise", kHostRenoise}, Case{"Standalone", kHostStandalone},
          Case{"Bitwig Studio", kHostUnknown}, Case{"", kHostUnknown}, Case{nullptr, kHostUnknown},
          // "live" hides in more names than Ableton's, and it comes early in the order.
          Case{"Deliverance Logic", kHostAbletonLive}})
        EXPECT_EQ(LookUpHost(product), host) << (product ? product : "(null)");
}

TEST(IPlugHosts, DisplayNames) {
    using Case = std::tuple<EHost, const char*>;
    for (const auto& [host, name] :
         {Case{kHostReaper, "Reaper"}, Case{kHostVegas, "Vegas"}, Case{kHostFL, "FLStudio"},
          Case{kHostTracktion, "Unknown"}, Case{kHostNTracks, "Unknown"},
          Case{kHostMelodyneStudio, "Unknown"}, Case{kHostBias, "Unknown"},
          Case{kHostDigitalPerformer, "DigitalPerformer"}, Case{kHostVST3TestHost, "VST3PluginTestHost"},
          Case{kHostOpenMPT, "OpenMPT"}, Case{kHostUnknown, "Unknown"}, Case{kHostUninit, "Unknown"},
          Case{static_cast<EHost>(31), "Unknown"}}) {
        char text[kHostNameSize];
        GetHostNameStr(host, text);
        EXPECT_STREQ(text, name) << host;
    }
    char small[4];
    GetHostNameStr(kHostReaper, small, sizeof small);
    EXPECT_STREQ(small, "Rea");
}
