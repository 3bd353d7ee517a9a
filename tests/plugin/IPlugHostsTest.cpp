#include "plugin/Hosts.h"

#include <gtest/gtest.h>

TEST(IPlugHosts, ProductStringsFindTheirHostInOrder) {
    using Case = std::tuple<const char*, EHost>;
    for (const auto& [product, host] :
         {Case{"REAPER", kHostReaper}, Case{"Cubase and Nuendo", kHostCubase}, Case{"AU Lab", kHostUnknown},
          Case{"Fruity Wrapper", kHostFL}, Case{nullptr, kHostUnknown},
          // "live" hides in more names than Ableton's, and it comes early in the order.
          Case{"Deliverance Logic", kHostAbletonLive}})
        EXPECT_EQ(LookUpHost(product), host) << (product ? product : "(null)");
}
