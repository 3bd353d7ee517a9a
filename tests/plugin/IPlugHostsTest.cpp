#include "plugin/Hosts.h"

#include <gtest/gtest.h>

TEST(IPlugHosts, ProductStringsFindTheirHostInOrder) {
    using Case = std::tuple<const char*, EHost>;
    for (const auto& [product, host] :
         {Case{"REAPER", kHostReaper}, Case{"Ableton Live", kHostAbletonLive},
          Case{"Cubase and Nuendo", kHostCubase}, Case{"Nuendo", kHostNuendo}, Case{"Cakewalk", kHostSonar},
          Case{"Fruity Wrapper", kHostFL}, Case{"vstmanlib", kHostVSTScanner}, Case{"AU Lab", kHostUnknown},
          Case{"AULab", kHostAULab}, Case{"PreSonus Studio One", kHostStudioOne}, Case{"Ardour", kHostArdour},
          Case{"Bitwig Studio", kHostUnknown}, Case{"", kHostUnknown}, Case{nullptr, kHostUnknown},
          // "live" hides in more names than Ableton's, and it comes early in the order.
          Case{"Deliverance Logic", kHostAbletonLive}})
        EXPECT_EQ(LookUpHost(product), host) << (product ? product : "(null)");
}

TEST(IPlugHosts, DisplayNames) {
    using Case = std::tuple<EHost, const char*>;
    for (const auto& [host, name] :
         {Case{kHostReaper, "Reaper"}, Case{kHostFL, "FLStudio"}, Case{kHostTracktion, "Unknown"},
          Case{kHostVST3TestHost, "VST3PluginTestHost"}, Case{kHostUninit, "Unknown"},
          Case{static_cast<EHost>(31), "Unknown"}}) {
        char text[kHostNameSize];
        GetHostNameStr(host, text);
        EXPECT_STREQ(text, name) << host;
    }
    char small[4];
    GetHostNameStr(kHostReaper, small, sizeof small);
    EXPECT_STREQ(small, "Rea");
}
