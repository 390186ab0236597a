// One bound UDP/IPv4 socket, over POSIX sockets or Winsock.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Peer {
    uint32_t address = 0;   // network byte order
    uint16_t port = 0;      // host byte order
    std::string Text() const;
};

// Starts and ends the platform's socket layer (Winsock needs it).
class SocketSystem {
public:
    SocketSystem();
    ~SocketSystem();
    SocketSystem(const SocketSystem&) = delete;
    SocketSystem& operator=(const SocketSystem&) = delete;
};

class UdpEndpoint {
public:
    UdpEndpoint() = default;
    ~UdpEndpoint();
    UdpEndpoint(const UdpEndpoint&) = delete;
    UdpEndpoint& operator=(const UdpEndpoint&) = delete;

    // Binds to address:port (port 0: any free port).
    bool Open(const std::string& address, int port, std::string* error);
    uint16_t LocalPort() const;
    // True when a datagram can be read within timeoutMs (false on a
    // time-out or an interrupted wait).
    bool WaitReadable(int timeoutMs);
    // The datagram's size, or -1.
    long Receive(unsigned char* buffer, size_t size, Peer* from);
    bool SendTo(const std::vector<unsigned char>& bytes, const Peer& to);

private:
    intptr_t handle_ = -1;
};
