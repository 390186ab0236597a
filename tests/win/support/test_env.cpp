// Profile files, paths, child processes and windows of the Windows tests.
#include "test_env.h"

#include "msgbox_watcher.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {
// The tests write settings with the profile functions, which make no
// folder, before any kelpra.exe has made the per-user one.
const bool settingsFolderMade = MakeFolderOf(SettingsFilePath());
} // namespace

void RemoveProfile(const std::string& path)
{
    // Flush the platform's profile cache before the file goes away.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    DeleteFileA(path.c_str());
}

void WriteSection(const char* section, const std::vector<Setting>& keys)
{
    for (const Setting& k : keys)
        WritePrivateProfileStringA(section, k.first, k.second.c_str(), SettingsFilePath());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFilePath());
}

void WriteOnlySection(const char* section, const std::vector<Setting>& keys)
{
    RemoveProfile(SettingsFilePath());
    WriteSection(section, keys);
}

std::string IniValue(const char* section, const char* key, const char* path)
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path);
    char value[512] = "";
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, path);
    return value;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteWholeFile(const std::string& path, const std::string& data)
{
    const std::string folder = path.substr(0, path.rfind('\\'));
    SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
    std::ofstream(path, std::ios::binary) << data;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string MakeTempFolder(const char* prefix)
{
    char base[MAX_PATH] = "";
    GetTempPathA(sizeof base, base);
    static unsigned counter = 0;
    std::string dir;
    do
        dir = std::string(base) + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(++counter);
    while (!CreateDirectoryA(dir.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    return dir;
}

void RemoveFolder(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string BuildPath(const char* relative)
{
    const char* dir = std::getenv("KELPRA_BUILD_DIR");
    std::string path = dir ? dir : ".";
    // The build directory comes as a Unix path; Wine maps it through Z:.
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path + "\\" + relative;
}

bool ChildProcess::Start(const std::string& commandLine, const char* directory)
{
    Kill();
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string line = commandLine;
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, directory, &si, &info_) != 0;
}

bool ChildProcess::WaitExit(DWORD timeoutMs, DWORD* code)
{
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (code)
        GetExitCodeProcess(info_.hProcess, code);
    return true;
}

void ChildProcess::Kill()
{
    if (!info_.hProcess)
        return;
    if (WaitForSingleObject(info_.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
    info_ = {};
}

std::vector<HWND> TopLevelWindows(DWORD processId, const char* className, bool visibleOnly)
{
    struct Search {
        DWORD processId;
        const char* className;
        bool visibleOnly;
        std::vector<HWND> found;
    } search{processId, className, visibleOnly, {}};
    EnumWindows([](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        char cls[256] = "";
        GetClassNameA(window, cls, sizeof cls);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == s->processId && lstrcmpiA(cls, s->className) == 0 && (!s->visibleOnly || IsWindowVisible(window)))
            s->found.push_back(window);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const char* className, DWORD processId, DWORD timeoutMs)
{
    std::vector<HWND> found;
    WaitUntil([&] { return !(found = TopLevelWindows(processId, className)).empty(); }, timeoutMs, 20);
    return found.empty() ? nullptr : found.front();
}

void ExpectBoxes(const std::vector<SeenBox>& boxes, const char* caption, HWND owner, bool errorIcon,
                 const std::vector<std::string>& texts)
{
    ASSERT_EQ(boxes.size(), texts.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].caption, caption);
        EXPECT_EQ(boxes[i].text, texts[i]);
        EXPECT_EQ(boxes[i].owner, owner);
        // Not MB_TOPMOST: Wine 8 sets WS_EX_TOPMOST for MB_SYSTEMMODAL only.
        EXPECT_EQ(boxes[i].errorIcon, errorIcon);
        EXPECT_EQ(boxes[i].buttons, 1);
    }
}
