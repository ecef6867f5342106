#include "PeerClient.h"

#include <ws2tcpip.h>

#include <cstdlib>

#include "HexText.h"

namespace kt::test {

PeerClient::~PeerClient() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
}

std::string PeerClient::ComName() {
    const char* com = std::getenv("KT_WINE_COM");
    return com ? com : "";
}

bool PeerClient::Connect(std::string& error) {
    const char* port = std::getenv("KT_WINE_PEER");
    if (!port || ComName().empty()) {
        error = "KT_WINE_PEER/KT_WINE_COM not set: run this test through kt_pty_peer (ctest does)";
        return false;
    }
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) {
        error = "WSAStartup failed";
        return false;
    }
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(std::atoi(port)));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket_ == INVALID_SOCKET || connect(socket_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        error = "cannot connect to the peer on port " + std::string(port);
        return false;
    }
    return true;
}

std::string PeerClient::Request(const std::string& line) {
    if (socket_ == INVALID_SOCKET) return "";
    const std::string out = line + "\n";
    size_t sent = 0;
    while (sent < out.size()) {
        const int n = send(socket_, out.data() + sent, static_cast<int>(out.size() - sent), 0);
        if (n <= 0) return "";
        sent += static_cast<size_t>(n);
    }
    size_t eol;
    while ((eol = pending_.find('\n')) == std::string::npos) {
        char buffer[65536];
        const int n = recv(socket_, buffer, sizeof buffer, 0);
        if (n <= 0) return "";
        pending_.append(buffer, static_cast<size_t>(n));
    }
    std::string reply = pending_.substr(0, eol);
    pending_.erase(0, eol + 1);
    return reply;
}

bool PeerClient::Send(const std::string& bytes) {
    return Request("SEND " + Hex(bytes)) == "OK";
}

std::string PeerClient::Receive(size_t max, int ms) {
    const std::string reply = Request("RECV " + std::to_string(max) + " " + std::to_string(ms));
    if (reply.rfind("DATA ", 0) != 0) return "";
    return Unhex(reply.substr(5));
}

}  // namespace kt::test
