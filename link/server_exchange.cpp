// The UDP exchange with the monitoring server, through the run-time bound
// socket table only.
#include "link/ws32lib.h"
#include "link/server_exchange.h"

#include "app/app_state.h"
#include "config/settings.h"
#include "wire/sjis_text.h"
#include "wire/drive_record.h"
#include "link/drive_view.h"

#include <cstring>

namespace {

constexpr int ATTEMPTS = 3;
constexpr char REQUEST_BYTE = 0x01;
// Room for a dotted address or the host text itself (at most 255 bytes).
constexpr size_t ADDRESS_TEXT_SIZE = 256;

const char* const BIND_FAILED = "クライアントソケットのバインドに失敗しました。";
const char* const SEND_FAILED = "クライアントソケットの送信に失敗しました。";
const char* const RECEIVE_FAILED = "クライアントソケットの受信に失敗しました。";

// The wait and the sleep of one attempt, in seconds. A TimeOut of 0 (only
// reachable by editing the settings file) would give select no limit and
// block the desktop for good on a silent server: it counts as 1 second.
long WaitSeconds()
{
    return static_cast<long>(ExchangeWaitSeconds(Settings.TimeOut));
}

// The dotted text of the first address the host text resolves to, or the
// host text itself when it does not resolve.
void AddressText(const char* host, char* text)
{
    const WS32LIB_PROCTABLE& ws = WS32LIB_ProcTable;
    SjisCopy(text, ADDRESS_TEXT_SIZE, host, ADDRESS_TEXT_SIZE - 1);
    hostent* entry = ws.gethostbyname(host);
    if (!entry || !entry->h_addr_list || !entry->h_addr_list[0])
        return;
    const char* dotted = ws.inet_ntoa(*reinterpret_cast<in_addr*>(entry->h_addr_list[0]));
    if (dotted)
        SjisCopy(text, ADDRESS_TEXT_SIZE, dotted, ADDRESS_TEXT_SIZE - 1);
}

// The last address of the list that the address text resolves to.
bool ResolveLastAddress(const char* addressText, ULONG* address)
{
    const WS32LIB_PROCTABLE& ws = WS32LIB_ProcTable;
    hostent* entry = ws.gethostbyname(addressText);
    if (!entry || !entry->h_addr_list)
        return false;
    char* last = nullptr;
    for (char** p = entry->h_addr_list; *p; ++p)
        last = *p;
    if (!last)
        return false;
    const char* dotted = ws.inet_ntoa(*reinterpret_cast<in_addr*>(last));
    if (!dotted)
        return false;
    *address = ws.inet_addr(dotted);
    return true;
}

bool WaitReadable(SOCKET s)
{
    const WS32LIB_PROCTABLE& ws = WS32LIB_ProcTable;
    // FD_SET/FD_ISSET are avoided: FD_ISSET calls the imported
    // __WSAFDIsSet, and this program imports no socket library.
    fd_set readSet;
    readSet.fd_count = 1;
    readSet.fd_array[0] = s;
    timeval limit;
    limit.tv_sec = WaitSeconds();
    limit.tv_usec = 0;
    int ready = ws.select(static_cast<int>(s + 1), &readSet, nullptr, nullptr, &limit);
    return ready > 0 && ws.__WSAFDIsSet(s, &readSet);
}

// One attempt on a socket of its own. Returns true on a reply of at least
// one byte; otherwise *errorText is set or left as it was.
bool Attempt(const char* addressText, UINT port, unsigned char* reply, const char** errorText)
{
    const WS32LIB_PROCTABLE& ws = WS32LIB_ProcTable;
    ULONG address = 0;
    if (!ResolveLastAddress(addressText, &address)) {
        *errorText = BIND_FAILED;
        return false;
    }
    sockaddr_in server = {};
    server.sin_family = AF_INET;
    server.sin_port = ws.htons(static_cast<u_short>(port));
    server.sin_addr.s_addr = address;

    SOCKET s = ws.socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        *errorText = BIND_FAILED;
        return false;
    }
    bool received = false;
    if (ws.sendto(s, &REQUEST_BYTE, 1, 0, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 1) {
        *errorText = SEND_FAILED;
    } else if (WaitReadable(s)) {
        sockaddr_in sender = {};
        int senderLength = sizeof sender;
        int n = ws.recvfrom(s, reinterpret_cast<char*>(reply), static_cast<int>(REPLY_SIZE), 0,
                            reinterpret_cast<sockaddr*>(&sender), &senderLength);
        received = n >= 1;
        *errorText = received ? nullptr : RECEIVE_FAILED;
        // A datagram too long for the buffer fails, yet leaves its first
        // bytes there: a later, shorter reply must not inherit them.
        if (!received)
            std::memset(reply, 0, REPLY_SIZE);
    }
    ws.shutdown(s, SD_BOTH);
    ws.closesocket(s);
    return received;
}

void ShowErrorBox(const char* text)
{
    AppState.errorBoxOpen = 1;
    MessageBoxA(nullptr, text, ERROR_CAPTION, ERROR_BOX_TYPE);
    AppState.errorBoxOpen = 0;
}

} // namespace

int QueryServer(const char* host, UINT port, unsigned char* reply, int showErrors)
{
    // Without the socket library there is no exchange, only a failure.
    if (!WS32LIB_IsLoadDLL())
        return 0;
    char addressText[ADDRESS_TEXT_SIZE];
    AddressText(host, addressText);

    const char* errorText = nullptr;
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        if (Attempt(addressText, port, reply, &errorText))
            return 1;
        Sleep(static_cast<DWORD>(WaitSeconds() * 1000));
    }
    if (errorText && showErrors && !AppState.errorBoxOpen)
        ShowErrorBox(errorText);
    return 0;
}
