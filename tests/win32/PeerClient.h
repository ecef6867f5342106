// The test's side of kt_pty_peer's control connection (see PtyPeer.cpp): the
// far end of the Wine COM port, reached over 127.0.0.1.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>

#include <cstdint>
#include <string>

namespace kt::test {

class PeerClient {
  public:
    PeerClient() = default;
    ~PeerClient();
    PeerClient(const PeerClient&) = delete;
    PeerClient& operator=(const PeerClient&) = delete;

    // Connects to the peer named by KT_WINE_PEER; false (and `error`) when
    // the test runs without one.
    bool Connect(std::string& error);
    // The COM port the peer serves ("COM7"), from KT_WINE_COM.
    static std::string ComName();

    // One request, one reply line (without the newline); "" when the
    // connection failed.
    std::string Request(const std::string& line);

    bool Renew() { return Request("RENEW") == "OK"; }
    std::string Settings() { return Request("SETTINGS"); }
    bool Send(const std::string& bytes);
    // The far end reads continuously from now on (until the next Renew).
    bool Drain() { return Request("DRAIN") == "OK"; }
    // Up to `max` bytes from the line, waiting at most `ms` for them.
    std::string Receive(size_t max, int ms);
    bool HangUp() { return Request("HANGUP") == "OK"; }

  private:
    SOCKET socket_ = INVALID_SOCKET;
    std::string pending_;
};

}  // namespace kt::test
