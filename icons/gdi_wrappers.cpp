// The owning icon, bitmap, brush and font wrappers, and the menu pictures.
#include "icons/gdi_wrappers.h"

#include "icons/gdi_handles.h"

#include <cstring>

CBMPICON MenuBitmaps[MENU_BITMAP_COUNT];

AUTOICON::~AUTOICON()
{
    Release();
}

void AUTOICON::Release()
{
    if (!m_hIcon)
        return;
    if (m_bOwned)
        FreeIcon(m_hIcon);
    m_bOwned = 0;
    m_hIcon = nullptr;
}

void AUTOICON::Load(const char* fileName, UINT resourceId, int width, int height)
{
    Release();
    HANDLE fromFile = LoadImageA(nullptr, fileName, IMAGE_ICON, width, height, LR_LOADFROMFILE | LR_VGACOLOR);
    if (fromFile) {
        m_hIcon = Tallied(static_cast<HICON>(fromFile), GdiKind::Icon);
        m_bOwned = 1;
        return;
    }
    // LR_SHARED: a resource icon is never destroyed here, so every build
    // must get the one system-owned copy back instead of a fresh icon that
    // nobody would ever free.
    m_hIcon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                            width, height, LR_VGACOLOR | LR_SHARED));
    m_bOwned = 0;
}

CBMPICON::~CBMPICON()
{
    Release();
}

void CBMPICON::Release()
{
    FreeObject(m_hBitmap, GdiKind::Bitmap);
}

BOOL CBMPICON::CreateFromIcon(HICON icon, int width, int height)
{
    if (!icon)
        return FALSE;
    Release();

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_hBitmap = Tallied(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), GdiKind::Bitmap);
    if (!m_hBitmap)
        return FALSE;

    HDC dc = Tallied(CreateCompatibleDC(nullptr), GdiKind::Dc);
    if (!dc)
        return FALSE;
    HGDIOBJ previous = SelectObject(dc, m_hBitmap);
    BOOL drawn = DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    SelectObject(dc, previous);
    FreeDC(dc);
    return drawn;
}

WINBRUSH::~WINBRUSH()
{
    Release();
}

void WINBRUSH::Create(COLORREF color)
{
    Release();
    m_hBrush = Tallied(CreateSolidBrush(color), GdiKind::Brush);
}

void WINBRUSH::Release()
{
    FreeObject(m_hBrush, GdiKind::Brush);
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
    m_hFont = Tallied(CreateFontIndirectA(&m_lf), GdiKind::Font);
    return m_hFont != nullptr;
}

void WINFONT::Release()
{
    FreeObject(m_hFont, GdiKind::Font);
}

void LoadMenuBitmaps()
{
    for (int i = 0; i < MENU_BITMAP_COUNT; ++i) {
        int width = GetSystemMetrics(SM_CXSMICON);
        int height = GetSystemMetrics(SM_CYSMICON);
        HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(MENU_ICON_FIRST + i),
                                                   IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
        BOOL made = MenuBitmaps[i].CreateFromIcon(icon, width, height);
        // The bitmap holds the picture now; the icon itself is not needed.
        if (icon)
            DestroyIcon(icon);
        if (!made)
            return;
    }
}
