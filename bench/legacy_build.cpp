// The earlier icon set build, painting each icon on its own (legacy_build.h).
#include "legacy_build.h"

#include "app/app_state.h"
#include "config/settings.h"
#include "icons/gdi_handles.h"
#include "icons/gdi_wrappers.h"
#include "icons/icon_set.h"
#include "icons/num_style.h"
#include "icons/numicon.h"
#include "link/drive_slot.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr UINT TEXT_FLAGS = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX;

void DrawOverlay(HDC dc, HICON icon, int w, int h)
{
    if (icon)
        DrawIconEx(dc, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
}

int ScaledToIcon(int design, int height)
{
    return MulDiv(design, height, 16);
}

int TextWidth(HDC dc, const char* text)
{
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
    return size.cx;
}

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

BOOL LegacyMakeIcon(CNUMICON& icon, COLORREF maskColor)
{
    GdiFlush();
    const uint32_t key = (static_cast<uint32_t>(GetRValue(maskColor)) << 16) |
                         (static_cast<uint32_t>(GetGValue(maskColor)) << 8) | GetBValue(maskColor);
    auto* pixel = static_cast<uint32_t*>(icon.m_Color.m_pBits);
    for (long i = 0; i < static_cast<long>(icon.m_Color.m_nWidth) * icon.m_Color.m_nHeight; ++i)
        pixel[i] = (pixel[i] & 0x00FFFFFF) != key ? pixel[i] | 0xFF000000 : 0;
    FreeIcon(icon.m_hIcon);
    ICONINFO info = {};
    info.fIcon = TRUE;
    info.hbmMask = icon.m_Mask.m_hBitmap;
    info.hbmColor = icon.m_Color.m_hBitmap;
    icon.m_Color.Deselect();
    icon.m_Mask.Deselect();
    icon.m_hIcon = Tallied(CreateIconIndirect(&info), GdiKind::Icon);
    icon.m_Color.Reselect();
    icon.m_Mask.Reselect();
    return icon.m_hIcon != nullptr;
}

BOOL LegacyCreateIcon(CNUMICON& icon, COLORREF maskColor, UINT value)
{
    if (!icon.m_Color.m_hDC || value > NUMBER_MAX)
        return FALSE;
    WINBRUSH brush;
    brush.Create(maskColor);
    if (!brush.m_hBrush)
        return FALSE;
    HDC dc = icon.m_Color.m_hDC;
    const int w = icon.m_Color.m_nWidth;
    const int h = icon.m_Color.m_nHeight;
    const RECT rect = {0, 0, w, h};
    LOGFONTA lf = icon.m_lfFont;
    lf.lfHeight = ScaledToIcon(lf.lfHeight, h);
    lf.lfWidth = ScaledToIcon(lf.lfWidth, h);
    WINFONT font;
    if (!font.Create(lf))
        return FALSE;
    HGDIOBJ previousFont = SelectObject(dc, font.m_hFont);
    char text[7];
    std::snprintf(text, sizeof text, icon.m_szFormat, value);
    LOGFONTA fitting = lf;
    fitting.lfWidth = FittingWidth(dc, text, w, lf);
    if (fitting.lfWidth != lf.lfWidth) {
        SelectObject(dc, previousFont);
        if (!font.Create(fitting))
            return FALSE;
        SelectObject(dc, font.m_hFont);
    }
    SetBkMode(dc, TRANSPARENT);
    FillRect(dc, &rect, brush.m_hBrush);
    DrawOverlay(dc, icon.m_hBackIcon, w, h);
    if (icon.m_nShadowType != 0) {
        SetTextColor(dc, icon.m_crShadow);
        const ShadowOffset* passes = nullptr;
        const size_t count = ShadowPasses(icon.m_nShadowType, &passes);
        for (size_t i = 0; i < count; ++i) {
            RECT moved = rect;
            OffsetRect(&moved, ScaledToIcon(passes[i].dx, h), ScaledToIcon(passes[i].dy, h));
            DrawTextA(dc, text, -1, &moved, TEXT_FLAGS);
        }
    }
    SetTextColor(dc, icon.m_crText);
    RECT textRect = rect;
    DrawTextA(dc, text, -1, &textRect, TEXT_FLAGS);
    DrawOverlay(dc, icon.m_hFrontIcon, w, h);
    BOOL made = LegacyMakeIcon(icon, maskColor);
    SelectObject(dc, previousFont);
    return made;
}

struct Overlays {
    Overlays(int w, int h)
    {
        const struct { const char* file; UINT resource; } sources[] = {
            {"B_GOOD.ICO", 220}, {"B_WARN.ICO", 221}, {"B_DNGR.ICO", 222}, {"F_WARN.ICO", 230}, {"F_DNGR.ICO", 231}};
        for (int i = 0; i < 5; ++i)
            icons[i].Load(sources[i].file, sources[i].resource, w, h);
    }
    AUTOICON icons[5];   // good, caution, danger badges; caution, danger marks
};

BOOL LegacyCreateNumIcons()
{
    const int w = GetSystemMetrics(SM_CXSMICON);
    const int h = GetSystemMetrics(SM_CYSMICON);
    {
        Overlays overlays(w, h);
        const ViewOverlays view = OverlaysOfView(Settings.ViewType);
        const int fronts[STATE_BLOCK_COUNT] = {-1, 3, 4};
        BOOL painted = TRUE;
        for (int heat = 0; heat < HEAT_LEVEL_COUNT && painted; ++heat) {
            for (int block = 0; block < STATE_BLOCK_COUNT && painted; ++block) {
                for (uint32_t value = 0; value < VALUES_PER_BLOCK && painted; ++value) {
                    CNUMICON& icon = NumIconArray[TemperatureIconIndex(block, heat, value)];
                    icon.m_crText = heat ? Settings.HotTextColor : Settings.CoolTextColor;
                    icon.m_crShadow = heat ? Settings.HotShadowColor : Settings.CoolShadowColor;
                    icon.m_nShadowType = Settings.ShadowType;
                    icon.m_lfFont = Settings.TextFont;
                    icon.m_hBackIcon = view.back ? overlays.icons[block].m_hIcon : nullptr;
                    icon.m_hFrontIcon = view.front && fronts[block] >= 0 ? overlays.icons[fronts[block]].m_hIcon : nullptr;
                    painted = LegacyCreateIcon(icon, Settings.MaskColor, value);
                }
            }
        }
        for (uint32_t i = 0; i < ICON_HOST_BASE; ++i)
            NumIconArray[i].m_hBackIcon = NumIconArray[i].m_hFrontIcon = nullptr;
        if (!painted)
            return FALSE;
    }
    for (uint32_t n = 0; n < HOST_ICON_COUNT; ++n) {
        CNUMICON& icon = NumIconArray[ICON_HOST_BASE + n];
        std::strcpy(icon.m_szFormat, "%02X");
        icon.m_crText = Settings.NumberTextColor;
        icon.m_crShadow = Settings.NumberShadowColor;
        icon.m_nShadowType = 4;
        icon.m_lfFont = Settings.NumberFont;
        if (!LegacyCreateIcon(icon, Settings.MaskColor, HostIconValue(Settings.HostNumber, n)))
            return FALSE;
    }
    return TRUE;
}

} // namespace

BOOL LegacyBuildIconSet()
{
    IconTableLock.Enter();
    BOOL ok = LegacyCreateNumIcons();
    if (ok)
        ErrorIcon.Load("S_ERR.ICO", 202, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    for (DriveSlot& slot : DriveSlots) {
        for (uint32_t i = 0; i < NUMERIC_ICON_COUNT; ++i)
            slot.TrayIcon.SetImage(i, NumIconArray[i].m_hIcon, FALSE);
        slot.TrayIcon.SetImage(ICON_ERROR, ErrorIcon.m_hIcon, FALSE);
    }
    IconTableLock.Leave();
    return ok;
}
