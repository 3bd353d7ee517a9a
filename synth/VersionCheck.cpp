#include "synth/VersionCheck.h"

#include <curl/curl.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <mutex>

namespace {

constexpr char kTitle[] = "Check Online for Update";
constexpr char kProduct[] = "Korvanta";
constexpr char kMaker[] = "Marrow Lane Audio";
constexpr long kMaxRedirects = 3;

struct Download {
    std::string body;
    size_t limit = 0;
    bool tooLarge = false;
};

size_t collect(char* data, size_t size, size_t count, void* user) {
    auto* download = static_cast<Download*>(user);
    const size_t bytes = size * count;
    if (download->body.size() + bytes > download->limit) {
        download->tooLarge = true;
        return 0; // ends the transfer with a write error
    }
    download->body.append(data, bytes);
    return bytes;
}

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

std::string trimmed(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
    return text.substr(first, last - first);
}

VersionCheck::Result failure(const std::string& detail) {
    return {VersionCheck::Verdict::failed, "", detail};
}

} // namespace

std::string VersionCheck::requestUrl(const std::string& serverUrl) {
    const size_t authority = serverUrl.find("://");
    const size_t path =
        authority == std::string::npos ? std::string::npos : serverUrl.find('/', authority + 3);
    if (path != std::string::npos && path + 1 < serverUrl.size()) return serverUrl;
    const std::string root = path == std::string::npos ? serverUrl : serverUrl.substr(0, path);
    return root + kRequestPath;
}

std::string VersionCheck::versionText(const std::string& digits) {
    if (digits.size() < 3) return digits;
    const size_t rest = digits[2] == '0' && digits.size() > 3 ? 3 : 2;
    return std::string(1, digits[0]) + "." + digits[1] + "." + digits.substr(rest);
}

VersionCheck::Result VersionCheck::judge(const std::string& body) {
    // A server may end its number with a line break; it is not part of the number.
    const std::string answer = trimmed(body);
    if (answer.empty()) return failure("the server sent no answer");
    if (answer.find('<') != std::string::npos) return {Verdict::invalid, "", ""};
    errno = 0;
    char* end = nullptr;
    const long version = std::strtol(answer.c_str(), &end, 10);
    if (end == answer.c_str() || errno == ERANGE) return {Verdict::invalid, "", ""};
    if (version <= kRunningVersion) return {Verdict::upToDate, "", ""};
    return {Verdict::newer, versionText(answer.substr(0, static_cast<size_t>(end - answer.c_str()))), ""};
}

VersionCheck::Result VersionCheck::ask(const Settings& settings) {
    if (settings.serverUrl.empty()) return {Verdict::noServer, "", ""};
    const bool secure = startsWith(settings.serverUrl, "https://");
    if (!secure && !startsWith(settings.serverUrl, "http://"))
        return failure("the update server's address must start with http:// or https://");

    initialiseCurlOnce();
    CURL* curl = curl_easy_init();
    if (!curl) return failure("the network library could not be started");
    const std::string url = requestUrl(settings.serverUrl);
    Download download;
    download.limit = settings.maxBodyBytes;
    char reason[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // A redirect may move the request, never to another scheme (a secure request stays secure).
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, settings.connectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, settings.totalTimeoutMs);
    // Inside a host's process: no signals for time-outs, which would disturb the host's threads.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Korvanta/1.1.5");
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, reason);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &download);
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_cleanup(curl);

    if (download.tooLarge) return failure("the server's answer is too large to be a version number");
    if (code != CURLE_OK) return failure(reason[0] ? reason : curl_easy_strerror(code));
    return judge(download.body);
}

VersionCheck::Message VersionCheck::messageFor(const Result& result, const Settings& settings,
                                               const std::string& configFile) {
    const std::string maker = kMaker;
    switch (result.verdict) {
    case Verdict::noServer:
        return {kTitle,
                "No update server is configured.\n\nTo check for updates, set VersionCheckURL in the "
                "[Global] section of " +
                    configFile + " to the address of the update server (http:// or https://).",
                false};
    case Verdict::failed:
        return {kTitle, "Contacting the " + maker + " update server failed: " + result.detail + ".", false};
    case Verdict::invalid:
        return {kTitle, "The call to the " + maker + " update server was invalid.", false};
    case Verdict::upToDate:
        return {kTitle, "Your version is up to date.", false};
    case Verdict::newer:
        break;
    }
    const std::string title = std::string("New Version of ") + kProduct + " Detected";
    std::string text = std::string("A new version of ") + kProduct + " is available.\n\n" +
                       "\tYour version: \t" + kRunningVersionText + "\n" + "\tNew version: \t" +
                       result.newVersion + "\n";
    if (settings.websiteUrl.empty())
        return {title,
                text + "To open the " + maker +
                    " web site from here, set WebsiteURL in the [Global] "
                    "section of " +
                    configFile + ".",
                false};
    return {title,
            text + "Do you want to go to the " + maker + " web site (" + settings.websiteUrl +
                ") to get the new version?",
            true};
}
