// Run-time binding of the socket library and the load count.
#include "link/ws32lib.h"

#include <cstddef>
#include <cstring>

WS32LIB_PROCTABLE WS32LIB_ProcTable;
WSADATA WS32LIB_WsaData;

namespace {

HINSTANCE LibraryHandle = nullptr;
unsigned int LoadCount = 0;

struct EntryName {
    const char* name;
    size_t offset;
};

#define WS32LIB_ENTRY(n) { #n, offsetof(WS32LIB_PROCTABLE, n) }
const EntryName ENTRY_NAMES[WS32LIB_ENTRY_COUNT] = {
    WS32LIB_ENTRY(__WSAFDIsSet), WS32LIB_ENTRY(WSACleanup),    WS32LIB_ENTRY(WSAStartup),
    WS32LIB_ENTRY(accept),       WS32LIB_ENTRY(bind),          WS32LIB_ENTRY(closesocket),
    WS32LIB_ENTRY(connect),      WS32LIB_ENTRY(gethostname),   WS32LIB_ENTRY(gethostbyaddr),
    WS32LIB_ENTRY(gethostbyname), WS32LIB_ENTRY(htonl),        WS32LIB_ENTRY(htons),
    WS32LIB_ENTRY(inet_addr),    WS32LIB_ENTRY(inet_ntoa),     WS32LIB_ENTRY(listen),
    WS32LIB_ENTRY(ntohl),        WS32LIB_ENTRY(ntohs),         WS32LIB_ENTRY(select),
    WS32LIB_ENTRY(send),         WS32LIB_ENTRY(sendto),        WS32LIB_ENTRY(setsockopt),
    WS32LIB_ENTRY(socket),       WS32LIB_ENTRY(shutdown),      WS32LIB_ENTRY(recv),
    WS32LIB_ENTRY(recvfrom),
};
#undef WS32LIB_ENTRY

constexpr char LIBRARY_NAME[] = "WSOCK32.DLL";

} // namespace

int WS32LIB_ResolveEntries(HMODULE module, WS32LIB_PROCTABLE* table)
{
    for (int i = 0; i < WS32LIB_ENTRY_COUNT; ++i) {
        FARPROC address = GetProcAddress(module, ENTRY_NAMES[i].name);
        if (!address)
            return i;
        // Every entry is a function pointer of the same size and
        // representation; the byte copy stores it under its own type.
        std::memcpy(reinterpret_cast<char*>(table) + ENTRY_NAMES[i].offset, &address, sizeof address);
    }
    return WS32LIB_ENTRY_COUNT;
}

int WS32LIB_LoadFrom(const char* path)
{
    if (LoadCount > 0) {
        ++LoadCount;
        return 0;
    }
    HINSTANCE module = LoadLibraryA(path);
    if (!module)
        return -1;
    if (WS32LIB_ResolveEntries(module, &WS32LIB_ProcTable) != WS32LIB_ENTRY_COUNT) {
        FreeLibrary(module);
        return -1;
    }
    LibraryHandle = module;
    LoadCount = 1;
    return 0;
}

bool WS32LIB_SystemLibraryPath(char* path, size_t size)
{
    UINT length = GetSystemDirectoryA(path, static_cast<UINT>(size));
    // 0: failure; >= size: the directory alone does not fit.
    if (length == 0 || length + 1 + sizeof LIBRARY_NAME > size) {
        if (size > 0)
            path[0] = '\0';
        return false;
    }
    if (path[length - 1] != '\\')
        path[length++] = '\\';
    std::memcpy(path + length, LIBRARY_NAME, sizeof LIBRARY_NAME);
    return true;
}

extern "C" int WS32LIB_LoadDLL(void)
{
    if (LoadCount > 0)
        return WS32LIB_LoadFrom(nullptr);
    char path[MAX_PATH];
    if (!WS32LIB_SystemLibraryPath(path, sizeof path))
        return -1;
    return WS32LIB_LoadFrom(path);
}

extern "C" void WS32LIB_UnloadDLL(void)
{
    if (LoadCount == 0)
        return;   // nothing to release; never wraps the count
    if (LoadCount == 1) {
        FreeLibrary(LibraryHandle);
        LibraryHandle = nullptr;
    }
    --LoadCount;
}

extern "C" int WS32LIB_IsLoadDLL(void)
{
    return LoadCount > 0 ? 1 : 0;
}

extern "C" unsigned int WS32LIB_GetLoadCount(void)
{
    return LoadCount;
}

extern "C" HINSTANCE WS32LIB_GetDLLHandle(void)
{
    return LibraryHandle;
}
