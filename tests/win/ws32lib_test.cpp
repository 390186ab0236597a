// The socket library loader: the load count, the handle, the resolution of
// all 25 entry points, and where the library is loaded from.
#include "link/ws32lib.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string ModulePath(HMODULE module)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, sizeof path);
    return path;
}

// The address held in a function pointer of any type, to compare with
// what GetProcAddress gives.
template <class F>
const void* Address(F function)
{
    const void* p = nullptr;
    static_assert(sizeof function == sizeof p, "function pointers are pointer-sized");
    std::memcpy(&p, &function, sizeof p);
    return p;
}

void ExpectLoaded(unsigned count, HINSTANCE handle)
{
    EXPECT_EQ(WS32LIB_GetLoadCount(), count);
    EXPECT_EQ(WS32LIB_IsLoadDLL(), count > 0 ? 1 : 0);
    EXPECT_EQ(WS32LIB_GetDLLHandle(), handle);
}

// Each test leaves the loader as it found it: not loaded.
class Ws32Lib : public ::testing::Test {
protected:
    void TearDown() override
    {
        while (WS32LIB_GetLoadCount() > 0)
            WS32LIB_UnloadDLL();
    }
};

TEST_F(Ws32Lib, TwoLoadsBindOnceAndTheSecondUnloadReleases)
{
    ExpectLoaded(0, nullptr);
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    HINSTANCE first = WS32LIB_GetDLLHandle();
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    ExpectLoaded(2, first);
    WS32LIB_UnloadDLL();
    ExpectLoaded(1, first);
    WS32LIB_UnloadDLL();
    ExpectLoaded(0, nullptr);
}

// A stand-in named WSOCK32.DLL in the program's own folder (and the
// current directory), the first places a search by bare name would look,
// is passed over for the system's library, whose entries work.
TEST_F(Ws32Lib, LoadResolvesEveryEntryFromTheSystemLibraryNotAFileBesideTheProgram)
{
    const std::string self = ModulePath(nullptr);
    const std::string planted = self.substr(0, self.find_last_of('\\')) + "\\WSOCK32.DLL";
    ASSERT_TRUE(CopyFileA(BuildPath("tests\\win\\ws32_without_recvfrom.dll").c_str(), planted.c_str(), FALSE));
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    EXPECT_EQ(GetModuleHandleA(planted.c_str()), nullptr);
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof system);
    const std::string loaded = ModulePath(WS32LIB_GetDLLHandle());
    EXPECT_EQ(lstrcmpiA(loaded.c_str(), (std::string(system) + "\\wsock32.dll").c_str()), 0) << loaded;
    HMODULE module = WS32LIB_GetDLLHandle();
    EXPECT_EQ(Address(WS32LIB_ProcTable.__WSAFDIsSet), Address(GetProcAddress(module, "__WSAFDIsSet")));
    EXPECT_EQ(Address(WS32LIB_ProcTable.recvfrom), Address(GetProcAddress(module, "recvfrom")));
    WSADATA data = {};
    ASSERT_EQ(WS32LIB_ProcTable.WSAStartup(MAKEWORD(2, 0), &data), 0);
    EXPECT_EQ(WS32LIB_ProcTable.inet_addr("127.0.0.1"), 0x0100007Fu);
    EXPECT_EQ(WS32LIB_ProcTable.WSACleanup(), 0);
    WS32LIB_UnloadDLL();
    EXPECT_TRUE(DeleteFileA(planted.c_str()));
}

// A library without "recvfrom" resolves the 24 entries before it, and a
// load of it, or of no library at all, fails and leaves nothing loaded.
TEST_F(Ws32Lib, AFailedLoadLeavesNothingLoaded)
{
    const std::string partial = BuildPath("tests\\win\\ws32_without_recvfrom.dll");
    HMODULE stub = LoadLibraryA(partial.c_str());
    ASSERT_NE(stub, nullptr);
    WS32LIB_PROCTABLE table = {};
    EXPECT_EQ(WS32LIB_ResolveEntries(stub, &table), WS32LIB_ENTRY_COUNT - 1);
    EXPECT_EQ(Address(table.recv), Address(GetProcAddress(stub, "recv")));
    EXPECT_EQ(table.recvfrom, nullptr);
    FreeLibrary(stub);
    for (const std::string& path : {partial, BuildPath("tests\\win\\no_such_library.dll")}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(WS32LIB_LoadFrom(path.c_str()), -1);
        ExpectLoaded(0, nullptr);
        EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr) << "freed again";
    }
    // A good load afterwards is a first load again.
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    EXPECT_EQ(WS32LIB_GetLoadCount(), 1u);
}

TEST(Ws32LibPath, ABufferTooSmallGivesAnEmptyPath)
{
    char path[8] = "xxxxxxx";
    EXPECT_FALSE(WS32LIB_SystemLibraryPath(path, sizeof path));
    EXPECT_STREQ(path, "");
}

} // namespace
