// CNUMICON: paints a number with its shadow passes between the state badge
// and the state mark; CreateNumIcons paints the 616 icons of a build.
#include "icons/numicon.h"

#include "app/debug_report.h"
#include "config/settings.h"
#include "icons/gdi_wrappers.h"
#include "icons/num_style.h"

#include <cstdio>
#include <cstring>

CNUMICON NumIconArray[ICON_COUNT];

CNUMICON::CNUMICON() : m_lfFont()
{
    m_lfFont.lfHeight = -17;
    m_lfFont.lfWeight = FW_BOLD;
    std::strcpy(m_lfFont.lfFaceName, "Arial Narrow");
}

namespace {

constexpr UINT TEXT_FLAGS = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX;

void DrawOverlay(HDC dc, HICON icon, int w, int h)
{
    if (icon)
        DrawIconEx(dc, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
}

// The stored font heights and shadow offsets are those of a 16-pixel icon;
// at 125 % to 200 % display scaling the small-icon size grows to 20 to 32
// pixels, and every dimension of the picture grows with it.
constexpr int DESIGN_HEIGHT = 16;

int ScaledToIcon(int design, int height)
{
    return MulDiv(design, height, DESIGN_HEIGHT);
}

LOGFONTA FontForIcon(LOGFONTA lf, int height)
{
    lf.lfHeight = ScaledToIcon(lf.lfHeight, height);
    lf.lfWidth = ScaledToIcon(lf.lfWidth, height);
    return lf;
}

void DrawShadow(HDC dc, const char* text, const RECT& rect, INT32 shadowType, COLORREF color)
{
    if (shadowType == 0)
        return;
    SetTextColor(dc, color);
    const ShadowOffset* passes = nullptr;
    const size_t count = ShadowPasses(shadowType, &passes);
    for (size_t i = 0; i < count; ++i) {
        RECT moved = rect;
        OffsetRect(&moved, ScaledToIcon(passes[i].dx, rect.bottom), ScaledToIcon(passes[i].dy, rect.bottom));
        DrawTextA(dc, text, -1, &moved, TEXT_FLAGS);
    }
}

int TextWidth(HDC dc, const char* text)
{
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
    return size.cx;
}

// "Arial Narrow" comes with Office, not with Windows: without it GDI takes a
// wider face, whose bold two-digit values would lose their outer pixels.
// Such digits are condensed, with the widest average character width that
// lets them fit; the font's own width when they fit as they are.
LONG FittingWidth(HDC dc, const char* text, int room, const LOGFONTA& lf)
{
    TEXTMETRICA metrics;
    if (TextWidth(dc, text) <= room || !GetTextMetricsA(dc, &metrics))
        return lf.lfWidth;
    LOGFONTA narrower = lf;
    for (narrower.lfWidth = metrics.tmAveCharWidth - 1; narrower.lfWidth > 0; --narrower.lfWidth) {
        WINFONT probe;
        if (!probe.Create(narrower))
            break;
        HGDIOBJ previous = SelectObject(dc, probe.m_hFont);
        const int width = TextWidth(dc, text);
        SelectObject(dc, previous);
        if (width <= room)
            return narrower.lfWidth;
    }
    return lf.lfWidth;
}

} // namespace

BOOL CNUMICON::CreateIcon(COLORREF maskColor, UINT value)
{
    if (!m_Color.m_hDC || value > NUMBER_MAX)
        return FALSE;
    WINBRUSH brush;
    brush.Create(maskColor);
    if (!brush.m_hBrush)
        return FALSE;
    HDC dc = m_Color.m_hDC;
    const int w = m_Color.m_nWidth;
    const int h = m_Color.m_nHeight;
    const RECT rect = {0, 0, w, h};
    const LOGFONTA lf = FontForIcon(m_lfFont, h);
    WINFONT font;
    if (!font.Create(lf))
        return FALSE;

    HGDIOBJ previousFont = SelectObject(dc, font.m_hFont);
    char text[7];
    std::snprintf(text, sizeof text, m_szFormat, value);
    LOGFONTA fitting = lf;
    fitting.lfWidth = FittingWidth(dc, text, w, lf);
    if (fitting.lfWidth != lf.lfWidth) {
        // A font is replaced only while it is not selected.
        SelectObject(dc, previousFont);
        if (!font.Create(fitting))
            return FALSE;
        SelectObject(dc, font.m_hFont);
    }
    SetBkMode(dc, TRANSPARENT);

    FillRect(dc, &rect, brush.m_hBrush);
    DrawOverlay(dc, m_hBackIcon, w, h);
    DrawShadow(dc, text, rect, m_nShadowType, m_crShadow);
    SetTextColor(dc, m_crText);
    RECT textRect = rect;
    DrawTextA(dc, text, -1, &textRect, TEXT_FLAGS);
    DrawOverlay(dc, m_hFrontIcon, w, h);

    BOOL made = MakeIcon(maskColor);
    // The font is deleted with its wrapper; it must not stay selected.
    SelectObject(dc, previousFont);
    return made;
}

namespace {

// The five state overlays of one build, in load order.
enum Overlay { BACK_GOOD, BACK_CAUTION, BACK_DANGER, FRONT_CAUTION, FRONT_DANGER, OVERLAY_COUNT };

struct OverlaySource {
    const char* file;
    UINT resource;
};

const OverlaySource OVERLAY_SOURCES[OVERLAY_COUNT] = {
    {"B_GOOD.ICO", 220}, {"B_WARN.ICO", 221}, {"B_DNGR.ICO", 222}, {"F_WARN.ICO", 230}, {"F_DNGR.ICO", 231},
};

// Back and front overlay of each state block; -1: none.
struct BlockOverlays {
    int back;
    int front;
};
const BlockOverlays BLOCK_OVERLAYS[STATE_BLOCK_COUNT] = {
    {BACK_GOOD, -1}, {BACK_CAUTION, FRONT_CAUTION}, {BACK_DANGER, FRONT_DANGER}};

class OverlaySet {
public:
    OverlaySet(const OverlaySet&) = delete;
    OverlaySet& operator=(const OverlaySet&) = delete;
    OverlaySet(int width, int height)
    {
        for (int i = 0; i < OVERLAY_COUNT; ++i)
            icons_[i].Load(OVERLAY_SOURCES[i].file, OVERLAY_SOURCES[i].resource, width, height);
    }
    HICON Get(int overlay, bool shown) const { return shown && overlay >= 0 ? icons_[overlay].m_hIcon : nullptr; }

private:
    AUTOICON icons_[OVERLAY_COUNT];
};

BOOL ReportFailure(uint32_t index)
{
    DebugReport("CNUMICON::CreateIcon(%d) ERROR\n", static_cast<int>(index));
    return FALSE;
}

BOOL PaintTemperatureIcons(const OverlaySet& overlays)
{
    const ViewOverlays view = OverlaysOfView(Settings.ViewType);
    for (int heat = 0; heat < HEAT_LEVEL_COUNT; ++heat) {
        for (int block = 0; block < STATE_BLOCK_COUNT; ++block) {
            for (uint32_t value = 0; value < VALUES_PER_BLOCK; ++value) {
                const uint32_t index = TemperatureIconIndex(block, heat, value);
                CNUMICON& icon = NumIconArray[index];
                icon.m_crText = heat ? Settings.HotTextColor : Settings.CoolTextColor;
                icon.m_crShadow = heat ? Settings.HotShadowColor : Settings.CoolShadowColor;
                icon.m_nShadowType = Settings.ShadowType;
                icon.m_lfFont = Settings.TextFont;
                icon.m_hBackIcon = overlays.Get(BLOCK_OVERLAYS[block].back, view.back);
                icon.m_hFrontIcon = overlays.Get(BLOCK_OVERLAYS[block].front, view.front);
                if (!icon.CreateIcon(Settings.MaskColor, value))
                    return ReportFailure(index);
            }
        }
    }
    return TRUE;
}

// The overlays are released after the temperature icons: no object may keep
// a handle that a file overlay's release has destroyed.
void ForgetOverlays()
{
    for (uint32_t i = 0; i < ICON_HOST_BASE; ++i) {
        NumIconArray[i].m_hBackIcon = nullptr;
        NumIconArray[i].m_hFrontIcon = nullptr;
    }
}

BOOL PaintHostIcons()
{
    for (uint32_t n = 0; n < HOST_ICON_COUNT; ++n) {
        const uint32_t index = ICON_HOST_BASE + n;
        CNUMICON& icon = NumIconArray[index];
        std::strcpy(icon.m_szFormat, "%02X");
        icon.m_crText = Settings.NumberTextColor;
        icon.m_crShadow = Settings.NumberShadowColor;
        icon.m_nShadowType = 4;
        icon.m_lfFont = Settings.NumberFont;
        icon.m_hBackIcon = nullptr;
        icon.m_hFrontIcon = nullptr;
        if (!icon.CreateIcon(Settings.MaskColor, HostIconValue(Settings.HostNumber, n)))
            return ReportFailure(index);
    }
    return TRUE;
}

} // namespace

BOOL CreateNumIconSurfaces()
{
    const int width = GetSystemMetrics(SM_CXSMICON);
    const int height = GetSystemMetrics(SM_CYSMICON);
    for (uint32_t i = 0; i < NUMERIC_ICON_COUNT; ++i) {
        if (!NumIconArray[i].Create(width, height)) {
            DebugReport("CNUMICON[%d]::Create() ERROR\n", static_cast<int>(i));
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CreateNumIcons()
{
    const int width = GetSystemMetrics(SM_CXSMICON);
    const int height = GetSystemMetrics(SM_CYSMICON);
    {
        // The overlays live for the temperature icons only.
        OverlaySet overlays(width, height);
        BOOL painted = PaintTemperatureIcons(overlays);
        ForgetOverlays();
        if (!painted)
            return FALSE;
    }
    return PaintHostIcons();
}
