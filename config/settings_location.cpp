// The settings files' folder: portable, per-user, and the one-time copy of
// files that earlier versions left in the Windows directory.
#include "config/settings_location.h"

#include "app/debug_report.h"
#include "config/path_text.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* USER_FOLDER = "KELPRA";

struct Location {
    char settings[MAX_PATH];
    char palette[MAX_PATH];
    bool perUser;
};

bool IsFile(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Cuts a path after its folder; false when there is no folder part.
bool CutToFolder(char* path)
{
    char* slash = std::strrchr(path, '\\');
    if (slash == nullptr)
        return false;
    *slash = '\0';
    return true;
}

bool PortableFolder(char* folder, size_t size)
{
    const DWORD length = GetModuleFileNameA(nullptr, folder, static_cast<DWORD>(size));
    char file[MAX_PATH];
    return length > 0 && length < size && CutToFolder(folder) &&
           JoinPath(file, sizeof file, folder, SETTINGS_NAME) && IsFile(file);
}

bool ShellFolder(int id, char* folder)
{
    return SUCCEEDED(SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, folder));
}

bool UserFolder(char* folder, size_t size)
{
    char appData[MAX_PATH];
    return ShellFolder(CSIDL_APPDATA | CSIDL_FLAG_CREATE, appData) && JoinPath(folder, size, appData, USER_FOLDER);
}

bool PlaceFiles(Location& where, const char* folder)
{
    return JoinPath(where.settings, sizeof where.settings, folder, SETTINGS_NAME) &&
           JoinPath(where.palette, sizeof where.palette, folder, PALETTE_NAME);
}

Location FindLocation()
{
    Location where = {};
    char folder[MAX_PATH];
    if (PortableFolder(folder, sizeof folder) && PlaceFiles(where, folder))
        return where;
    if (UserFolder(folder, sizeof folder) && PlaceFiles(where, folder)) {
        where.perUser = true;
        return where;
    }
    // No usable folder: bare names, which the platform keeps in the Windows
    // directory, as earlier versions did.
    DebugReport("SETTINGS FOLDER NOT FOUND, USING %s\n", SETTINGS_NAME);
    where = {};
    std::strcpy(where.settings, SETTINGS_NAME);
    std::strcpy(where.palette, PALETTE_NAME);
    return where;
}

const Location& CurrentLocation()
{
    static const Location where = FindLocation();
    return where;
}

// Where earlier versions kept a file: the user's VirtualStore copy of the
// Windows directory (what a virtualised program saw) before the original.
bool OldFile(const char* name, char* path, size_t size)
{
    char windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length == 0 || length >= sizeof windows)
        return false;
    char localAppData[MAX_PATH];
    if (ShellFolder(CSIDL_LOCAL_APPDATA, localAppData) &&
        VirtualStorePath(path, size, localAppData, windows, name) && IsFile(path))
        return true;
    return JoinPath(path, size, windows, name) && IsFile(path);
}

void MigrateFile(const char* name, const char* target)
{
    char source[MAX_PATH];
    if (GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES || !OldFile(name, source, sizeof source))
        return;
    // Fails, harmlessly, when a copy of the program started beside this one
    // has just made the file.
    if (!MakeFolderOf(target) || !CopyFileA(source, target, TRUE))
        DebugReport("COPY %s TO %s FAILED: %lu\n", source, target, GetLastError());
    else
        DebugReport("COPIED %s TO %s\n", source, target);
}

} // namespace

const char* SettingsFilePath()
{
    return CurrentLocation().settings;
}

const char* PaletteFilePath()
{
    return CurrentLocation().palette;
}

void MigrateOldSettingsFiles()
{
    const Location& where = CurrentLocation();
    if (!where.perUser)
        return;
    MigrateFile(SETTINGS_NAME, where.settings);
    MigrateFile(PALETTE_NAME, where.palette);
}

bool MakeFolderOf(const char* path)
{
    char folder[MAX_PATH];
    const int n = std::snprintf(folder, sizeof folder, "%s", path);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof folder || !CutToFolder(folder))
        return false;
    return CreateDirectoryA(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}
