// UDP sockets: the few places where POSIX and Winsock differ.
#include "serverkit/udp_endpoint.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using SocketHandle = SOCKET;
using AddressLength = int;
namespace {
void CloseHandle_(SocketHandle s) { closesocket(s); }
}
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
using SocketHandle = int;
using AddressLength = socklen_t;
namespace {
void CloseHandle_(SocketHandle s) { close(s); }
}
#endif

#include <cstring>

namespace {
SocketHandle H(intptr_t h) { return static_cast<SocketHandle>(h); }
}

std::string Peer::Text() const
{
    const unsigned char* b = reinterpret_cast<const unsigned char*>(&address);
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
           std::to_string(b[3]) + ":" + std::to_string(port);
}

SocketSystem::SocketSystem()
{
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
#endif
}

SocketSystem::~SocketSystem()
{
#ifdef _WIN32
    WSACleanup();
#endif
}

UdpEndpoint::~UdpEndpoint()
{
    if (handle_ != -1)
        CloseHandle_(H(handle_));
}

bool UdpEndpoint::Open(const std::string& address, int port, std::string* error)
{
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
        *error = "'" + address + "' is not an IPv4 address";
        return false;
    }
#ifdef _WIN32
    // Not inherited: a child (smartctl) would otherwise keep the port bound.
    SocketHandle s = WSASocketA(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) {
#else
    // Closed on exec, for the same reason.
    SocketHandle s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (s < 0) {
#endif
        *error = "cannot create a UDP socket";
        return false;
    }
    if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        CloseHandle_(s);
        *error = "cannot bind " + address + ":" + std::to_string(port);
        return false;
    }
    handle_ = static_cast<intptr_t>(s);
    return true;
}

uint16_t UdpEndpoint::LocalPort() const
{
    sockaddr_in local = {};
    AddressLength length = sizeof local;
    if (getsockname(H(handle_), reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

bool UdpEndpoint::WaitReadable(int timeoutMs)
{
#ifdef _WIN32
    fd_set set;
    FD_ZERO(&set);
    FD_SET(H(handle_), &set);
    timeval limit = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &limit) > 0;
#else
    pollfd p = {H(handle_), POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN);
#endif
}

long UdpEndpoint::Receive(unsigned char* buffer, size_t size, Peer* from)
{
    sockaddr_in sender = {};
    AddressLength length = sizeof sender;
    long n = static_cast<long>(recvfrom(H(handle_), reinterpret_cast<char*>(buffer), static_cast<int>(size), 0,
                                        reinterpret_cast<sockaddr*>(&sender), &length));
    from->address = sender.sin_addr.s_addr;
    from->port = ntohs(sender.sin_port);
    return n;
}

bool UdpEndpoint::SendTo(const std::vector<unsigned char>& bytes, const Peer& to)
{
    sockaddr_in peer = {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(to.port);
    peer.sin_addr.s_addr = to.address;
    long n = static_cast<long>(sendto(H(handle_), reinterpret_cast<const char*>(bytes.data()),
                                      static_cast<int>(bytes.size()), 0, reinterpret_cast<const sockaddr*>(&peer),
                                      sizeof peer));
    return n == static_cast<long>(bytes.size());
}
