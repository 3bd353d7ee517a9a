#include "tests/support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

LoopbackServer::LoopbackServer(std::string response) : response(std::move(response)) {
    listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(listener, 4) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    port = ntohs(address.sin_port);
    worker = std::thread([this] { serve(); });
}
LoopbackServer::~LoopbackServer() {
    stopping = true;
    ::shutdown(listener, SHUT_RDWR);
    ::close(listener);
    if (worker.joinable()) worker.join();
}

void LoopbackServer::serve() {
    const int client = ::accept(listener, nullptr, nullptr);
    if (client < 0) return;
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
    }
    firstLine = request.substr(0, request.find("\r\n"));
    for (size_t sent = 0; sent < response.size();) {
        const ssize_t n = ::send(client, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
    }
    while (response.empty() && !stopping) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ::close(client);
}

std::string ok(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}
