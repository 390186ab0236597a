// Where the settings files live. Beside kelpra.exe when a KELPRA.INI stands
// there (portable use); otherwise in the user's roaming application data,
// %APPDATA%\KELPRA, since a standard user may not write the Windows
// directory that a bare file name would mean. CPALLET.INI sits beside it.
#pragma once
#include <windows.h>

constexpr const char* SETTINGS_NAME = "KELPRA.INI";
constexpr const char* PALETTE_NAME = "CPALLET.INI";

// Full paths of the files in use, found once per process.
const char* SettingsFilePath();
const char* PaletteFilePath();

// Before the settings are first read: a per-user file that does not exist
// yet is copied once from the Windows directory, or from the user's
// VirtualStore copy of it. The old file stays as it was.
void MigrateOldSettingsFiles();

// Makes the folder that holds a file; true when it exists afterwards.
bool MakeFolderOf(const char* path);
