// The socket library, bound at run time: "WSOCK32.DLL" is loaded from the
// system directory and its entry points resolved into WS32LIB_ProcTable.
// kelpra.exe imports no socket library; every socket call goes through the
// table. The five WS32LIB_ functions are exported from the executable.
#pragma once
#include <winsock2.h>
#include <windows.h>

// One entry per export, typed exactly as the platform header declares the
// function of the same name. The order is the order of resolution.
struct WS32LIB_PROCTABLE {
    decltype(&::__WSAFDIsSet) __WSAFDIsSet;
    decltype(&::WSACleanup) WSACleanup;
    decltype(&::WSAStartup) WSAStartup;
    decltype(&::accept) accept;
    decltype(&::bind) bind;
    decltype(&::closesocket) closesocket;
    decltype(&::connect) connect;
    decltype(&::gethostname) gethostname;
    decltype(&::gethostbyaddr) gethostbyaddr;
    decltype(&::gethostbyname) gethostbyname;
    decltype(&::htonl) htonl;
    decltype(&::htons) htons;
    decltype(&::inet_addr) inet_addr;
    decltype(&::inet_ntoa) inet_ntoa;
    decltype(&::listen) listen;
    decltype(&::ntohl) ntohl;
    decltype(&::ntohs) ntohs;
    decltype(&::select) select;
    decltype(&::send) send;
    decltype(&::sendto) sendto;
    decltype(&::setsockopt) setsockopt;
    decltype(&::socket) socket;
    decltype(&::shutdown) shutdown;
    decltype(&::recv) recv;
    decltype(&::recvfrom) recvfrom;
};

constexpr int WS32LIB_ENTRY_COUNT = 25;
static_assert(sizeof(WS32LIB_PROCTABLE) == WS32LIB_ENTRY_COUNT * sizeof(FARPROC), "one pointer per entry");

extern WS32LIB_PROCTABLE WS32LIB_ProcTable;
// Filled by the start-up's WSAStartup.
extern WSADATA WS32LIB_WsaData;

extern "C" {
// 0 on success, -1 on failure. Only the first load binds the library;
// later ones count.
__declspec(dllexport) int WS32LIB_LoadDLL(void);
// Releases the library at a count of 1, otherwise counts down.
__declspec(dllexport) void WS32LIB_UnloadDLL(void);
__declspec(dllexport) int WS32LIB_IsLoadDLL(void);
__declspec(dllexport) unsigned int WS32LIB_GetLoadCount(void);
__declspec(dllexport) HINSTANCE WS32LIB_GetDLLHandle(void);
}

// Resolves all entries of table from module, in table order. Returns the
// number resolved: WS32LIB_ENTRY_COUNT on success; at the first missing
// export it stops, and the entries before it keep their addresses.
int WS32LIB_ResolveEntries(HMODULE module, WS32LIB_PROCTABLE* table);

// The load of WS32LIB_LoadDLL from a given full path (tests give it a DLL
// of their own). A failed load releases the library again: nothing stays
// loaded and the handle stays null.
int WS32LIB_LoadFrom(const char* path);

// Full path of "WSOCK32.DLL" in the system directory; empty on failure.
// Loading by bare name would search the program's own folder first, where
// a planted file of that name would run inside this process.
bool WS32LIB_SystemLibraryPath(char* path, size_t size);
