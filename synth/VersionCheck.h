#pragma once

#include <cstddef>
#include <string>

// "Check Online for Update": one GET to an update server the user has named in the configuration file,
// and the message that tells what it answered. Korvanta contacts nothing the user has not named.
class VersionCheck {
public:
    // The running version in the server's scheme: 1.1.5 is 1105.
    static constexpr long kRunningVersion = 1105;
    static constexpr const char* kRunningVersionText = "1.1.5";
    // Added to a server address that names no path of its own.
    static constexpr const char* kRequestPath = "/music/version/?file=korvanta";

    enum class Verdict { noServer, failed, invalid, upToDate, newer };

    struct Settings {
        std::string serverUrl;  // http:// or https://; empty when none is configured
        std::string websiteUrl; // the maker's download page; empty when none is configured
        long connectTimeoutMs = 5000;
        long totalTimeoutMs = 15000;
        size_t maxBodyBytes = 64 * 1024;
    };

    struct Result {
        Verdict verdict = Verdict::failed;
        std::string newVersion; // "1.1.6" when verdict is newer
        std::string detail;     // why an exchange failed, for the message
    };

    // What the user sees: a message box, or a yes/no question whose "yes" opens the web site.
    struct Message {
        std::string title;
        std::string text;
        bool asksToVisit = false;
    };

    // Asks the server and judges its answer. Blocks for at most the total time-out.
    static Result ask(const Settings& settings);
    // The answer body of a completed exchange, judged.
    static Result judge(const std::string& body);
    // The address requested of a server address.
    static std::string requestUrl(const std::string& serverUrl);
    // "1106" gives "1.1.6", "1112" gives "1.1.12": first digit, second digit, then the rest from the
    // third on, or from the fourth when the third is "0".
    static std::string versionText(const std::string& digits);
    // The message for a result; configFile names where the two addresses are set.
    static Message messageFor(const Result& result, const Settings& settings, const std::string& configFile);
};
