// HostNetworks with Winsock's interface list (SIO_GET_INTERFACE_LIST), so
// that nothing beyond ws2_32 is linked.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "host_networks.h"

std::vector<Ipv4Net> HostNetworks()
{
    std::vector<Ipv4Net> networks;
    SOCKET s = WSASocketA(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET)
        return networks;
    INTERFACE_INFO interfaces[64];
    DWORD bytes = 0;
    if (WSAIoctl(s, SIO_GET_INTERFACE_LIST, nullptr, 0, interfaces, sizeof interfaces, &bytes, nullptr, nullptr) == 0) {
        for (DWORD i = 0; i < bytes / sizeof interfaces[0]; ++i) {
            const INTERFACE_INFO& info = interfaces[i];
            if (!(info.iiFlags & IFF_UP) || info.iiAddress.Address.sa_family != AF_INET)
                continue;
            uint32_t address = ntohl(info.iiAddress.AddressIn.sin_addr.s_addr);
            uint32_t mask = ntohl(info.iiNetmask.AddressIn.sin_addr.s_addr);
            networks.push_back({address, __builtin_popcount(mask)});
        }
    }
    closesocket(s);
    return networks;
}
