// TaskTrayIcon: add, modify, remove and re-add one notification-area icon.
#include "app/tray_icon.h"

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

BOOL TaskTrayIcon::Add(UINT index)
{
    return Show(NIM_ADD, index);
}

BOOL TaskTrayIcon::Modify(UINT index)
{
    return Show(NIM_MODIFY, index);
}

void TaskTrayIcon::Remove()
{
    if (!m_pImages)
        return;
    m_nid.hIcon = nullptr;
    Shell_NotifyIconA(NIM_DELETE, &m_nid);
}

void TaskTrayIcon::Destroy()
{
    if (!m_pImages)
        return;
    m_nid.hIcon = nullptr;
    Shell_NotifyIconA(NIM_DELETE, &m_nid);
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

BOOL TaskTrayIcon::ReAdd(UINT message)
{
    return message == m_uTaskbarCreated ? Add(static_cast<UINT>(m_nCurrentImage)) : FALSE;
}
