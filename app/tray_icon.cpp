// TaskTrayIcon: add, modify, remove and re-add one notification-area icon.
#include "app/tray_icon.h"

#include "app/debug_report.h"

#include <new>

namespace {

// An identifier for a tray icon whose computed id is 0, from the time of day.
UINT TimeOfDayId()
{
    Sleep(100);
    SYSTEMTIME t;
    GetSystemTime(&t);
    return (static_cast<UINT>(t.wHour) << 28) + (static_cast<UINT>(t.wMinute) << 20) +
           (static_cast<UINT>(t.wSecond) << 12) + t.wMilliseconds;
}

} // namespace

TaskTrayIcon::TaskTrayIcon()
{
    m_uTaskbarCreated = RegisterWindowMessageA("TaskbarCreated");
}

TaskTrayIcon::~TaskTrayIcon()
{
    Destroy();
}

BOOL TaskTrayIcon::Init(HWND window, UINT id, UINT callbackMessage, UINT imageCount)
{
    if (m_pImages)
        return FALSE;
    TRAYIMAGE* table = new (std::nothrow) TRAYIMAGE[imageCount]();
    if (!table)
        return FALSE;
    m_pImages = table;
    m_nImageCount = imageCount;
    m_nid = {};
    m_nid.cbSize = TRAY_NID_SIZE;
    m_nid.hWnd = window;
    m_nid.uID = id != 0 ? id : TimeOfDayId();
    m_nid.uFlags = NIF_ICON | NIF_MESSAGE;
    m_nid.uCallbackMessage = callbackMessage;
    return TRUE;
}

void TaskTrayIcon::SetImage(UINT index, HICON icon, BOOL owned)
{
    if (!m_pImages || index >= m_nImageCount)
        return;
    TRAYIMAGE& entry = m_pImages[index];
    if (entry.hIcon && entry.bOwned)
        DestroyIcon(entry.hIcon);
    entry.hIcon = icon;
    entry.bOwned = owned;
}

BOOL TaskTrayIcon::Show(DWORD action, UINT index)
{
    if (!m_pImages || index >= m_nImageCount)
        return FALSE;
    m_nid.hIcon = m_pImages[index].hIcon;
    m_nCurrentImage = static_cast<INT32>(index);
    return Shell_NotifyIconA(action, &m_nid);
}

// At logon the taskbar may not be ready and refuse the add: the icon then
// stays not shown, and the next refresh or "TaskbarCreated" adds it again.
BOOL TaskTrayIcon::Add(UINT index)
{
    if (!m_pImages || index >= m_nImageCount)
        return FALSE;
    m_bWanted = true;
    const BOOL added = Show(NIM_ADD, index);
    if (added)
        m_bShown = true;
    else
        DebugReport("TaskTrayIcon::Add(%u) REFUSED BY THE SHELL: %lu\n", m_nid.uID, GetLastError());
    return added;
}

// A refused modify means the shell lost the icon (it restarted without a
// "TaskbarCreated" reaching us): it counts as not shown until added again.
BOOL TaskTrayIcon::Modify(UINT index)
{
    if (!m_pImages || index >= m_nImageCount)
        return FALSE;
    const BOOL modified = Show(NIM_MODIFY, index);
    m_bShown = modified != FALSE;
    return modified;
}

void TaskTrayIcon::Delete()
{
    m_nid.hIcon = nullptr;
    Shell_NotifyIconA(NIM_DELETE, &m_nid);
    m_bWanted = false;
    m_bShown = false;
}

void TaskTrayIcon::Remove()
{
    if (m_pImages)
        Delete();
}

void TaskTrayIcon::Destroy()
{
    if (!m_pImages)
        return;
    Delete();
    m_nid = {};
    for (UINT i = 0; i < m_nImageCount; ++i) {
        if (m_pImages[i].hIcon && m_pImages[i].bOwned)
            DestroyIcon(m_pImages[i].hIcon);
        m_pImages[i] = {};
    }
    delete[] m_pImages;
    m_pImages = nullptr;
    m_nImageCount = 0;
}

// The new taskbar holds none of our icons; those the program means to show,
// including one whose earlier add was refused, are added with their last image.
BOOL TaskTrayIcon::ReAdd(UINT message)
{
    if (message != m_uTaskbarCreated)
        return FALSE;
    m_bShown = false;
    return m_bWanted ? Add(static_cast<UINT>(m_nCurrentImage)) : FALSE;
}
