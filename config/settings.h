// SETTINGS: the one process-wide settings record, and its store in
// "KELPRA.INI" (one section per server host; where it lives: settings_location.h).
#pragma once
#include <windows.h>

struct SETTINGS {
    INT32 Debug;
    char HostAddress[256];
    char Label[256];
    UINT32 Port;
    UINT32 TimeOut;
    UINT32 Timer;
    UINT32 Temp;
    UINT32 HostNumber;
    INT32 CommandError;
    INT32 ViewType;
    INT32 ShadowType;
    COLORREF CoolTextColor;
    COLORREF CoolShadowColor;
    COLORREF HotTextColor;
    COLORREF HotShadowColor;
    COLORREF MaskColor;
    LOGFONTA TextFont;
    // Fixed style of the host-number icons: never loaded or saved.
    COLORREF NumberTextColor;
    COLORREF NumberShadowColor;
    LOGFONTA NumberFont;
    // Non-zero: a drive's balloon comes up by itself when the drive gets worse.
    INT32 Alert;
};

extern SETTINGS Settings;

// Texts longer than this are cut when Label is read from the file.
constexpr DWORD LABEL_READ_MAX = 31;

void SetDefaultSettings();
BOOL LoadSettings();
// FALSE when the file refused a write; what was written before stays.
BOOL SaveSettings();
