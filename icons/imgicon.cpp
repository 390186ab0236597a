// CIMGICON: the two drawing surfaces and the colour-keyed icon made from them.
#include "icons/imgicon.h"

#include "icons/gdi_handles.h"

#include <cstdint>
#include <cstring>
#include <vector>

CIMGICON::CBMPDATA::~CBMPDATA()
{
    Release();
}

void CIMGICON::CBMPDATA::Release()
{
    // A bitmap still selected into a DC cannot be deleted.
    Deselect();
    FreeObject(m_hBitmap, GdiKind::Bitmap);
    FreeDC(m_hDC);
    m_hOriginal = nullptr;
    m_pBits = nullptr;
    m_nWidth = 0;
    m_nHeight = 0;
}

void CIMGICON::CBMPDATA::Deselect()
{
    if (m_hDC && m_hOriginal)
        SelectObject(m_hDC, m_hOriginal);
}

void CIMGICON::CBMPDATA::Reselect()
{
    if (m_hDC && m_hOriginal)
        SelectObject(m_hDC, m_hBitmap);
}

CIMGICON::~CIMGICON()
{
    Release();
}

void CIMGICON::Release()
{
    FreeIcon(m_hIcon);
    m_Color.Release();
    m_Mask.Release();
}

namespace {

// 32 bits per pixel, 0xAARRGGBB, rows bottom-up.
BITMAPV5HEADER ColorHeader(int width, int height)
{
    BITMAPV5HEADER h = {};
    h.bV5Size = sizeof h;
    h.bV5Width = width;
    h.bV5Height = height;
    h.bV5Planes = 1;
    h.bV5BitCount = 32;
    h.bV5Compression = BI_BITFIELDS;
    h.bV5RedMask = 0x00FF0000;
    h.bV5GreenMask = 0x0000FF00;
    h.bV5BlueMask = 0x000000FF;
    h.bV5AlphaMask = 0xFF000000;
    return h;
}

// Gives a surface its bitmap (already made, or null when that failed) and a
// memory DC that holds it. A memory DC made without a DC to copy is one of
// the screen's, as one made from the screen's own DC is; asking the window
// manager for that DC on each of the 1,232 surfaces would cost a round trip
// to it each time.
BOOL AttachSurface(CIMGICON::CBMPDATA& surface, HBITMAP bitmap, int width, int height)
{
    surface.m_hBitmap = bitmap;
    if (!surface.m_hBitmap)
        return FALSE;
    surface.m_hDC = Tallied(CreateCompatibleDC(nullptr), GdiKind::Dc);
    if (!surface.m_hDC)
        return FALSE;
    surface.m_hOriginal = SelectObject(surface.m_hDC, surface.m_hBitmap);
    surface.m_nWidth = width;
    surface.m_nHeight = height;
    return TRUE;
}

// With DIB_RGB_COLORS a DIB section takes nothing from a DC.
BOOL MakeColorSurface(CIMGICON::CBMPDATA& surface, int width, int height)
{
    BITMAPV5HEADER header = ColorHeader(width, height);
    HBITMAP bitmap = Tallied(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                              &surface.m_pBits, nullptr, 0),
                             GdiKind::Bitmap);
    return AttachSurface(surface, bitmap, width, height);
}

BOOL MakeMaskSurface(CIMGICON::CBMPDATA& surface, int width, int height)
{
    HBITMAP bitmap = Tallied(CreateBitmap(width, height, 1, 1, nullptr), GdiKind::Bitmap);
    return AttachSurface(surface, bitmap, width, height);
}

// The icon of the two surfaces, made from their pixels as an icon resource
// holds them (header, colour rows, AND-mask rows, both bottom-up), the same
// icon that CreateIconIndirect makes of the bitmaps themselves. Made this
// way the platform copies the pixels once instead of blitting each bitmap
// through a DC of its own, and neither bitmap leaves its DC.
// Whichever call makes it, a colour icon gets a bitmap of the screen's own
// format; under Wine making that bitmap and writing into it each ask for the
// screen's depth, three round trips to the wineserver apiece whether or not a
// screen DC is held. Most of an icon's cost is therefore its handle, which no
// documented input avoids (script/bench: icon_handles_ms beside the build).
HICON IconOfSurfaces(const CIMGICON::CBMPDATA& color, const CIMGICON::CBMPDATA& mask)
{
    const int w = color.m_nWidth;
    const int h = color.m_nHeight;
    if (!color.m_pBits || !mask.m_hBitmap || mask.m_nWidth != w || mask.m_nHeight != h)
        return nullptr;
    const size_t colorBytes = static_cast<size_t>(w) * h * 4;
    const size_t ddbRow = (static_cast<size_t>(w) + 15) / 16 * 2;   // a bitmap's rows: words, top-down
    const size_t dibRow = (static_cast<size_t>(w) + 31) / 32 * 4;   // a resource's rows: dwords, bottom-up
    const size_t imageBytes = sizeof(BITMAPINFOHEADER) + colorBytes + dibRow * h;
    // The image, then the mask's own bits; kept from icon to icon, which
    // the one GUI thread makes one at a time.
    static std::vector<BYTE> buffer;
    buffer.assign(imageBytes + ddbRow * h, 0);
    BYTE* maskBits = buffer.data() + imageBytes;
    if (GetBitmapBits(mask.m_hBitmap, static_cast<LONG>(ddbRow * h), maskBits) != static_cast<LONG>(ddbRow * h))
        return nullptr;
    BITMAPINFOHEADER header = {sizeof header, w, 2 * h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::memcpy(buffer.data(), &header, sizeof header);
    std::memcpy(buffer.data() + sizeof header, color.m_pBits, colorBytes);
    BYTE* andRows = buffer.data() + sizeof header + colorBytes;
    for (int y = 0; y < h; ++y)
        std::memcpy(andRows + dibRow * (h - 1 - y), maskBits + ddbRow * y, ddbRow);
    return CreateIconFromResourceEx(buffer.data(), static_cast<DWORD>(imageBytes), TRUE, 0x00030000, w, h,
                                    LR_DEFAULTCOLOR);
}

} // namespace

BOOL CIMGICON::Create(int width, int height)
{
    FreeIcon(m_hIcon);
    m_Color.Release();
    m_Mask.Release();

    BOOL made = MakeColorSurface(m_Color, width, height) && MakeMaskSurface(m_Mask, width, height);
    if (made) {
        // An all-ones AND mask: transparency comes from the alpha channel alone.
        RECT all = {0, 0, width, height};
        FillRect(m_Mask.m_hDC, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    return made;
}

BOOL CIMGICON::MakeIcon(COLORREF maskColor)
{
    if (m_Color.m_pBits) {
        // The pass reads the pixel memory: every queued drawing must be done.
        GdiFlush();
        const uint32_t key = (static_cast<uint32_t>(GetRValue(maskColor)) << 16) |
                             (static_cast<uint32_t>(GetGValue(maskColor)) << 8) | GetBValue(maskColor);
        auto* pixel = static_cast<uint32_t*>(m_Color.m_pBits);
        const long count = static_cast<long>(m_Color.m_nWidth) * m_Color.m_nHeight;
        // A keyed pixel gets colour 0 as well as alpha 0: an icon whose
        // every alpha is 0 is drawn by its masks, and colour 0 under the
        // all-ones AND mask leaves the screen as it is.
        for (long i = 0; i < count; ++i)
            pixel[i] = (pixel[i] & 0x00FFFFFF) != key ? pixel[i] | 0xFF000000 : 0;
    }
    FreeIcon(m_hIcon);
    m_hIcon = Tallied(IconOfSurfaces(m_Color, m_Mask), GdiKind::Icon);
    return m_hIcon != nullptr;
}
