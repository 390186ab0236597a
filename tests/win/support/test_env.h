// Paths, processes and windows of the Windows tests: the profile files of
// the test prefix, the build's programs, child processes, their windows.
#pragma once
#include <windows.h>

#include "config/settings_location.h"

#include <string>
#include <utility>
#include <vector>

// Deletes a profile file given by its full path, the profile cache flushed.
void RemoveProfile(const std::string& path);
// Writes these keys into a section of KELPRA.INI, flushed so a child process reads them.
using Setting = std::pair<const char*, std::string>;
void WriteSection(const char* section, const std::vector<Setting>& keys);
// Replaces KELPRA.INI with one section holding these keys.
void WriteOnlySection(const char* section, const std::vector<Setting>& keys);
// A value of KELPRA.INI (or of the file given); "<missing>" when there is none.
std::string IniValue(const char* section, const char* key, const char* path = SettingsFilePath());
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& data);
bool FileExists(const std::string& path);
// A new empty folder under the temporary directory, named prefix-pid-n.
std::string MakeTempFolder(const char* prefix);
void RemoveFolder(const std::string& path);

inline std::string Quoted(const std::string& text) { return "\"" + text + "\""; }
// A program of the Windows build (KELPRA_BUILD_DIR), e.g. "kelpra.exe".
std::string BuildPath(const char* relative);

// A child process; killed at destruction if still running.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const std::string& commandLine, const char* directory = nullptr);
    // True when it ended within timeoutMs; the exit code is then in *code.
    bool WaitExit(DWORD timeoutMs, DWORD* code = nullptr);
    void Kill();
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }

private:
    PROCESS_INFORMATION info_ = {};
};

// The top-level windows of a class (case ignored) in a given process, in
// z-order, visible or (unless visibleOnly) not.
std::vector<HWND> TopLevelWindows(DWORD processId, const char* className, bool visibleOnly = false);

// The top-level window of a class in a given process, waiting up to timeoutMs.
HWND WaitForWindow(const char* className, DWORD processId, DWORD timeoutMs);

// Expects exactly these boxes, in order, each with this caption, owner, icon and one button.
struct SeenBox;
void ExpectBoxes(const std::vector<SeenBox>& boxes, const char* caption, HWND owner, bool errorIcon,
                 const std::vector<std::string>& texts);

// Polls `done` every stepMs until it holds or timeoutMs passed.
template <typename Done>
bool WaitUntil(Done done, DWORD timeoutMs, DWORD stepMs = 100)
{
    for (DWORD start = GetTickCount(); !done(); Sleep(stepMs))
        if (GetTickCount() - start > timeoutMs)
            return false;
    return true;
}
