// contact_sheet: builds the icon set from the settings of one KELPRA.INI
// section and draws all 617 icons, each with its index, into one BMP: at
// 1x over a dark and over a light background, and enlarged (4x at 16 px).
//   contact_sheet SECTION OUT.BMP
#include "config/settings.h"
#include "icons/icon_set.h"
#include "icons/numicon.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int COLUMNS = 20;
constexpr int ROWS = 31;          // five rows per block of 100, one for 600-616
constexpr int MARGIN = 12;
constexpr int TITLE_HEIGHT = 22;

const COLORREF DARK = RGB(32, 32, 32);
const COLORREF LIGHT = RGB(240, 240, 240);
const COLORREF SHEET = RGB(96, 96, 104);

struct Grid {
    int left;
    int top;
    int scale;          // 1, or the enlargement
    int iconSize;       // the system's small-icon size: 16 to 32 by display scale
    COLORREF back;
    int cellWidth() const { return iconSize * scale + (scale == 1 ? 10 : 8); }
    int cellHeight() const { return iconSize * scale + (scale == 1 ? 16 : 20); }
    int width() const { return COLUMNS * cellWidth(); }
    int height() const { return ROWS * cellHeight(); }
};

int RowOf(int index)
{
    return index < 600 ? index / COLUMNS : 30;
}

int ColumnOf(int index)
{
    return index < 600 ? index % COLUMNS : index - 600;
}

HICON IconOf(int index)
{
    return index == static_cast<int>(ICON_ERROR) ? ErrorIcon.m_hIcon : NumIconArray[index].m_hIcon;
}

void FillBox(HDC dc, int left, int top, int width, int height, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    RECT r = {left, top, left + width, top + height};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void Label(HDC dc, int x, int y, int width, const char* text, COLORREF colour, UINT align)
{
    SetTextColor(dc, colour);
    RECT r = {x, y, x + width, y + 14};
    DrawTextA(dc, text, -1, &r, align | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
}

// The icon at its own size, then (enlarged grid) blown up pixel for pixel.
void DrawCellIcon(HDC dc, const Grid& g, HICON icon, int x, int y, int iconSize)
{
    if (!icon)
        return;
    const int drawn = iconSize * g.scale;
    if (g.scale == 1) {
        DrawIconEx(dc, x, y, icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
        return;
    }
    HDC small = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, iconSize, iconSize);
    HGDIOBJ previous = SelectObject(small, bitmap);
    FillBox(small, 0, 0, iconSize, iconSize, g.back);
    DrawIconEx(small, 0, 0, icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, x, y, drawn, drawn, small, 0, 0, iconSize, iconSize, SRCCOPY);
    SelectObject(small, previous);
    DeleteObject(bitmap);
    DeleteDC(small);
}

void DrawGrid(HDC dc, const Grid& g, const char* title)
{
    const int iconSize = g.iconSize;
    Label(dc, g.left, g.top - 18, g.width(), title, RGB(255, 255, 255), DT_LEFT);
    FillBox(dc, g.left, g.top, g.width(), g.height(), g.back);
    const COLORREF ink = g.back == DARK ? RGB(170, 170, 170) : RGB(70, 70, 70);
    for (int index = 0; index < static_cast<int>(ICON_COUNT); ++index) {
        const int x = g.left + ColumnOf(index) * g.cellWidth();
        const int y = g.top + RowOf(index) * g.cellHeight();
        char text[8];
        std::snprintf(text, sizeof text, "%d", index);
        Label(dc, x, y + 1, g.cellWidth(), text, ink, DT_CENTER);
        const int drawn = iconSize * g.scale;
        DrawCellIcon(dc, g, IconOf(index), x + (g.cellWidth() - drawn) / 2, y + 14, iconSize);
    }
}

bool WriteBmp(const char* path, const unsigned char* topDownBgra, int width, int height)
{
    const int rowBytes = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(rowBytes) * height;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&info, sizeof info, 1, f);
    std::vector<unsigned char> row(rowBytes, 0);
    for (int y = height - 1; y >= 0; --y) {
        const unsigned char* src = topDownBgra + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x)
            std::memcpy(&row[x * 3], src + x * 4, 3);
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

bool BuildIcons(const char* section)
{
    SetDefaultSettings();
    std::snprintf(Settings.HostAddress, sizeof Settings.HostAddress, "%s", section);
    LoadSettings();
    // As the icon set build does, without its message box: nobody is
    // there to close one when this runs from a script.
    if (!CreateNumIconSurfaces() || !CreateNumIcons())
        return false;
    ErrorIcon.Load("S_ERR.ICO", 202, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: contact_sheet SECTION OUT.BMP\n");
        return 2;
    }
    if (!BuildIcons(argv[1])) {
        std::fprintf(stderr, "contact_sheet: the icon set cannot be built from section [%s]\n", argv[1]);
        return 1;
    }
    // Made at the display scale of the prefix: 16-pixel icons at 96 DPI,
    // 20, 24 and 32 at 120, 144 and 192. The enlarged grid shows them at
    // about 64 pixels.
    const int iconSize = GetSystemMetrics(SM_CXSMICON);
    const int enlarged = iconSize < 32 ? (64 + iconSize / 2) / iconSize : 2;
    Grid darkSmall = {MARGIN, MARGIN + 2 * TITLE_HEIGHT, 1, iconSize, DARK};
    Grid lightSmall = {darkSmall.left + darkSmall.width() + 2 * MARGIN, darkSmall.top, 1, iconSize, LIGHT};
    Grid large = {MARGIN, darkSmall.top + darkSmall.height() + TITLE_HEIGHT + MARGIN, enlarged, iconSize, DARK};
    const int width = large.width() + 2 * MARGIN;
    const int height = large.top + large.height() + MARGIN;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP sheet = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, sheet);
    FillBox(dc, 0, 0, width, height, SHEET);
    SetBkMode(dc, TRANSPARENT);
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, NONANTIALIASED_QUALITY, 0, "Arial");
    SelectObject(dc, font);

    char title[400];
    std::snprintf(title, sizeof title, "KELPRA icon set, settings section [%s]: %d icons, %dx%d", argv[1],
                  static_cast<int>(ICON_COUNT), iconSize, iconSize);
    Label(dc, MARGIN, MARGIN, width, title, RGB(255, 255, 255), DT_LEFT);
    char largeTitle[16];
    std::snprintf(largeTitle, sizeof largeTitle, "%dx", enlarged);
    DrawGrid(dc, darkSmall, "1x, dark background");
    DrawGrid(dc, lightSmall, "1x, light background");
    DrawGrid(dc, large, largeTitle);
    GdiFlush();

    const bool written = WriteBmp(argv[2], static_cast<unsigned char*>(bits), width, height);
    DeleteObject(font);
    DeleteDC(dc);
    DeleteObject(sheet);
    if (!written) {
        std::fprintf(stderr, "contact_sheet: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
