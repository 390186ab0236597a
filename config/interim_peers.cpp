// Interim stand-ins for what the settings dialog and the popup menu call in
// subsystems built on other branches: the GDI wrappers and the icon set
// build, and the tray set, status refresh, timer, balloon and baseline
// store. Each part is compiled only while its real source file is missing
// (see config/CMakeLists.txt); this file goes away once they are all in.
// The stand-in refresh reaches no server, so kelpra.exe takes the
// unreachable-server path at start-up.
#include <windows.h>

#ifdef KELPRA_INTERIM_GDI_WRAPPERS
#include "icons/gdi_wrappers.h"

#include <cstring>

CBMPICON MenuBitmaps[MENU_BITMAP_COUNT];

CBMPICON::~CBMPICON()
{
    Release();
}

void CBMPICON::Release()
{
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
    m_hBitmap = nullptr;
}

WINBRUSH::~WINBRUSH()
{
    Release();
}

void WINBRUSH::Create(COLORREF color)
{
    Release();
    m_hBrush = CreateSolidBrush(color);
}

void WINBRUSH::Release()
{
    if (m_hBrush)
        DeleteObject(m_hBrush);
    m_hBrush = nullptr;
}

WINFONT::WINFONT() : m_lf()
{
    m_lf.lfWeight = FW_NORMAL;
    m_lf.lfPitchAndFamily = FIXED_PITCH;
    std::strcpy(m_lf.lfFaceName, "System");
}

WINFONT::~WINFONT()
{
    Release();
}

BOOL WINFONT::Create(const LOGFONTA& description)
{
    m_lf = description;
    Release();
    m_hFont = CreateFontIndirectA(&m_lf);
    return m_hFont != nullptr;
}

void WINFONT::Release()
{
    if (m_hFont)
        DeleteObject(m_hFont);
    m_hFont = nullptr;
}
#endif

#ifdef KELPRA_INTERIM_ICON_BUILD
#include "icons/icon_set.h"

BOOL BuildIconSet()
{
    return TRUE;
}
#endif

#ifdef KELPRA_INTERIM_TRAY
#include "app/poll_timer.h"
#include "app/tray_set.h"
#include "link/balloon.h"
#include "link/baseline.h"
#include "link/status_refresh.h"

int LoadDriveList()
{
    return -1;
}

int Redisplay(HWND, int)
{
    return 0;
}

int RestartPollTimer(HWND)
{
    return 0;
}

BOOL ShowHostNumbers()
{
    return TRUE;
}

void ShowDriveDetails(HWND, int)
{
}

int SaveAttributeBaseline(int)
{
    return 0;
}
#endif
