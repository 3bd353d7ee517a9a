#pragma once

#include <atomic>
#include <string>
#include <thread>

// A one-connection-at-a-time HTTP server on the loopback address that answers every request with the
// same raw response, or holds the connection open without a word when the response is empty.
class LoopbackServer {
public:
    explicit LoopbackServer(std::string response);
    ~LoopbackServer();
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port); }
    std::string requestLine() const { return firstLine; }

private:
    void serve();

    std::string response;
    int listener = -1;
    int port = 0;
    std::atomic<bool> stopping{false};
    std::string firstLine;
    std::thread worker;
};

// A complete "200 OK" response carrying body.
std::string ok(const std::string& body);
