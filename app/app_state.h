// The shell's process-wide state (APPSTATE), the labelled lock WINLOCK, and
// the window messages and identifiers that the subsystems share.
#pragma once
#include <windows.h>

struct APPSTATE {
    INT32 errorBoxOpen;     // 1 while a guarded error box is shown
    HINSTANCE instance;
    INT32 hostNumberMode;
    INT32 settingsOpen;
    INT32 versionOpen;
    UINT32 pollTimerId;     // what SetTimer returned; 0 while no timer runs
    INT32 stateOverride;    // 0 none, 1 normal, 2 caution, 3 danger, 4 error
};

extern APPSTATE AppState;

// A critical section with a label, a state word and a count of failed
// try-enters. A lock that was never created lets its callers go unguarded.
class WINLOCK {
public:
    enum : INT32 { LOCK_NONE = 0, LOCK_CREATED = 1, LOCK_HELD = 2, LOCK_TRYING = 3, LOCK_RELEASED = 4 };

    WINLOCK() = default;
    WINLOCK(const WINLOCK&) = delete;
    WINLOCK& operator=(const WINLOCK&) = delete;
    virtual ~WINLOCK() { Delete(); }

    void Create(const char* label);
    void Enter();
    bool TryEnter();
    void Leave();
    void Delete();

    bool IsCreated() const { return state != LOCK_NONE; }
    INT32 State() const { return state; }
    INT32 MissCount() const { return missCount; }

private:
    CRITICAL_SECTION section = {};
    char name[260] = {};
    INT32 state = LOCK_NONE;
    INT32 missCount = 0;
};

extern WINLOCK IconTableLock;

constexpr const char* MAIN_WINDOW_CLASS = "VELMORA_CLIENT_TASK_TRAY_INDICATOR";
constexpr const char* ICON_TABLE_LOCK_LABEL = "KELPRA_TTICON";
constexpr const char* SLOT_LOCK_LABEL = "KELPRA_HDTEMP";

// Tray callback of slot s: WM_TRAYNOTIFY + s.
constexpr UINT WM_TRAYNOTIFY = WM_APP + 1;
constexpr UINT SLOT_COUNT = 16;
constexpr UINT_PTR POLL_TIMER_ID = 1;

// Captions and types of the program's message boxes.
constexpr const char* ERROR_CAPTION = "エラー情報";
constexpr const char* CONFIRM_CAPTION = "確認情報";
constexpr UINT ERROR_BOX_TYPE = MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST;
constexpr UINT CONFIRM_BOX_TYPE = MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST;

// Popup menu commands.
constexpr UINT IDM_HIDE_STATUS = 0x8011;   // + slot
constexpr UINT IDM_REFRESH = 0x80A0;
constexpr UINT IDM_SAVE_ATTRIBUTES = 0x80A1;
constexpr UINT IDM_HOST_NUMBER_MODE = 0x80A2;
constexpr UINT IDM_OVERRIDE_NONE = 0x80B0;  // to IDM_OVERRIDE_NONE + 4
constexpr UINT IDM_OVERRIDE_NORMAL = 0x80B1;
constexpr UINT IDM_OVERRIDE_WARNING = 0x80B2;
constexpr UINT IDM_OVERRIDE_DANGER = 0x80B3;
constexpr UINT IDM_OVERRIDE_ERROR = 0x80B4;
constexpr UINT IDM_SETTINGS = 0x80F0;
constexpr UINT IDM_VERSION = 0x80FE;
constexpr UINT IDM_EXIT = 0x80FF;
