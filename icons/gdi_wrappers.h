// Owning wrappers of one GDI or USER handle each: freed by the destructor,
// the old handle freed before a new one is taken, null accepted everywhere.
#pragma once
#include <windows.h>

class AUTOICON {
public:
    AUTOICON() = default;
    AUTOICON(const AUTOICON&) = delete;
    AUTOICON& operator=(const AUTOICON&) = delete;
    virtual ~AUTOICON();

    void Release();
    // From the bare file name in the current directory (owned), else from
    // the program's resource (not owned).
    void Load(const char* fileName, UINT resourceId, int width, int height);

    HICON m_hIcon = nullptr;
    INT32 m_bOwned = 0;
};

class CBMPICON {
public:
    CBMPICON() = default;
    CBMPICON(const CBMPICON&) = delete;
    CBMPICON& operator=(const CBMPICON&) = delete;
    virtual ~CBMPICON();

    BOOL CreateFromIcon(HICON icon, int width, int height);
    void Release();

    HBITMAP m_hBitmap = nullptr;
};

class WINBRUSH {
public:
    WINBRUSH() = default;
    WINBRUSH(const WINBRUSH&) = delete;
    WINBRUSH& operator=(const WINBRUSH&) = delete;
    virtual ~WINBRUSH();

    void Create(COLORREF color);
    void Release();

    HBRUSH m_hBrush = nullptr;
};

class WINFONT {
public:
    WINFONT();
    WINFONT(const WINFONT&) = delete;
    WINFONT& operator=(const WINFONT&) = delete;
    virtual ~WINFONT();

    BOOL Create(const LOGFONTA& description);
    void Release();

    HFONT m_hFont = nullptr;
    LOGFONTA m_lf;
};

// Pictures of the popup menu's items, from icon resources 210 to 215.
constexpr int MENU_BITMAP_COUNT = 6;
constexpr UINT MENU_ICON_FIRST = 210;   // resources 210 to 215, in menu order
extern CBMPICON MenuBitmaps[MENU_BITMAP_COUNT];
void LoadMenuBitmaps();
