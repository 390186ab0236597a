// TaskTrayIcon: one notification-area icon with its table of prepared
// images (borrowed from the icon set) and the record handed to the shell.
#pragma once
#include <windows.h>
#include <shellapi.h>

struct TRAYIMAGE {
    HICON hIcon;
    INT32 bOwned;   // non-zero: the table destroys hIcon
};

// The record up to, without, hBalloonIcon; no NIM_SETVERSION is ever sent,
// so callbacks come in the first form (id in wParam, mouse message in lParam).
constexpr DWORD TRAY_NID_SIZE = NOTIFYICONDATAA_V3_SIZE;
static_assert(TRAY_NID_SIZE == 520, "NOTIFYICONDATAA up to hBalloonIcon");

class TaskTrayIcon {
public:
    TaskTrayIcon();
    TaskTrayIcon(const TaskTrayIcon&) = delete;
    TaskTrayIcon& operator=(const TaskTrayIcon&) = delete;
    virtual ~TaskTrayIcon();

    BOOL Init(HWND window, UINT id, UINT callbackMessage, UINT imageCount);
    void SetImage(UINT index, HICON icon, BOOL owned);
    BOOL Add(UINT index);
    BOOL Modify(UINT index);
    void Remove();
    void Destroy();
    BOOL ReAdd(UINT message);

    bool HasTable() const { return m_pImages != nullptr; }
    // In the notification area: the shell accepted an add (or a modify, which
    // it accepts only for an icon it holds), and no delete or refusal since.
    bool IsShown() const { return m_bShown; }
    // The program means the icon to be shown: added and not removed since,
    // whether or not the shell took it.
    bool IsWanted() const { return m_bWanted; }

    UINT m_uTaskbarCreated = 0;
    UINT m_nImageCount = 0;
    TRAYIMAGE* m_pImages = nullptr;
    NOTIFYICONDATAA m_nid = {};
    INT32 m_nCurrentImage = 0;

private:
    BOOL Show(DWORD action, UINT index);
    void Delete();

    bool m_bWanted = false;
    bool m_bShown = false;
};
