#include "synth/VersionCheck.h"
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

VersionCheck::Settings quick(const std::string& server) {
    VersionCheck::Settings settings;
    settings.serverUrl = server;
    settings.websiteUrl = "https://example.invalid/download";
    settings.connectTimeoutMs = 500;
    settings.totalTimeoutMs = 800;
    return settings;
}

} // namespace

TEST(VersionCheck, ServerAnswersAreJudged) {
    using V = VersionCheck::Verdict;
    // What the server answers, the verdict and the new version found.
    const std::tuple<const char*, std::string, V, const char*> cases[] = {
        {"same version", ok("1105\n"), V::upToDate, ""},
        {"older version", ok("1021"), V::upToDate, ""},
        {"next patch", ok("1106\n"), V::newer, "1.1.6"},
        {"two-digit patch", ok("1112"), V::newer, "1.1.12"},
        {"html page", ok("<html><body>1200</body></html>"), V::invalid, ""},
        {"not a number", ok("soon"), V::invalid, ""},
        {"empty body", ok(""), V::failed, ""},
        {"body beyond the cap", ok(std::string(3 * 1024 * 1024, '7')), V::failed, ""},
        {"not found", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\n1200", V::failed, ""},
        {"redirect to another scheme",
         "HTTP/1.1 302 Found\r\nLocation: https://127.0.0.1:1/\r\nContent-Length: 0\r\n\r\n", V::failed, ""},
        {"never answers", "", V::failed, ""}};
    for (const auto& [name, response, verdict, newVersion] : cases) {
        LoopbackServer server(response);
        const VersionCheck::Result result = VersionCheck::ask(quick(server.url()));
        EXPECT_EQ(std::tuple(result.verdict, result.newVersion, result.detail.empty(), server.requestLine()),
                  std::tuple(verdict, newVersion, verdict != V::failed,
                             "GET /music/version/?file=korvanta HTTP/1.1"))
            << name << ": " << result.detail;
    }
}

TEST(VersionCheck, NothingIsContactedUnlessTheUserNamedAServer) {
    LoopbackServer listening(ok("1106"));
    const std::string port = listening.url().substr(listening.url().rfind(':') + 1);
    EXPECT_EQ(VersionCheck::ask(quick("")).verdict, VersionCheck::Verdict::noServer);
    EXPECT_EQ(VersionCheck::ask(quick("ftp://127.0.0.1:" + port)).verdict, VersionCheck::Verdict::failed);
    EXPECT_EQ(listening.requestLine(), "");
    std::string refused;
    {
        LoopbackServer gone(ok("1106"));
        refused = gone.url();
    }
    EXPECT_EQ(VersionCheck::ask(quick(refused)).verdict, VersionCheck::Verdict::failed);
    // The exchange gives up on its own: five seconds to connect, fifteen in all.
    const VersionCheck::Settings defaults;
    EXPECT_EQ(std::tuple(defaults.connectTimeoutMs, defaults.totalTimeoutMs, defaults.maxBodyBytes),
              std::tuple(5000, 15000, 64u * 1024u));
}

TEST(VersionCheck, MessagesNameTheVersionsAndWhereToConfigure) {
    using V = VersionCheck::Verdict;
    VersionCheck::Settings settings = quick("http://updates.example");
    const VersionCheck::Message newer = VersionCheck::messageFor({V::newer, "1.1.12", ""}, settings, "k.ini");
    EXPECT_EQ(newer.title, "New Version of Korvanta Detected");
    EXPECT_EQ(newer.text.rfind("A new version of Korvanta is available.\n\n\tYour version: \t1.1.5\n"
                               "\tNew version: \t1.1.12\n",
                               0),
              0u);
    EXPECT_TRUE(newer.asksToVisit);
    settings.websiteUrl.clear();
    EXPECT_FALSE(VersionCheck::messageFor({V::newer, "1.1.12", ""}, settings, "k.ini").asksToVisit);
    const VersionCheck::Message upToDate = VersionCheck::messageFor({V::upToDate, "", ""}, settings, "k.ini");
    EXPECT_EQ(std::tie(upToDate.title, upToDate.text),
              std::tuple("Check Online for Update", "Your version is up to date."));
    const VersionCheck::Message none = VersionCheck::messageFor({V::noServer, "", ""}, settings, "k.ini");
    EXPECT_NE(none.text.find("VersionCheckURL"), std::string::npos);
    EXPECT_NE(none.text.find("k.ini"), std::string::npos);
}
