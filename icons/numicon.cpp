// CNUMICON: paints a number with its shadow passes between the state badge
// and the state mark; CreateNumIcons paints the 616 icons of a build.
#include "icons/numicon.h"

#include "app/debug_report.h"
#include "config/settings.h"
#include "icons/gdi_wrappers.h"
#include "icons/num_painter.h"
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

BOOL CNUMICON::CreateIcon(COLORREF maskColor, UINT value)
{
    if (!m_Color.m_hDC || value > NUMBER_MAX)
        return FALSE;
    NumPainter painter(m_Color.m_nWidth, m_Color.m_nHeight, maskColor);
    return CreateIcon(painter, value);
}

BOOL CNUMICON::CreateIcon(NumPainter& painter, UINT value)
{
    if (!m_Color.m_pBits || value > NUMBER_MAX || !painter.Fits(m_Color.m_nWidth, m_Color.m_nHeight))
        return FALSE;
    char text[7];
    std::snprintf(text, sizeof text, m_szFormat, value);
    if (!painter.Paint(*this, text, m_Color.m_pBits))
        return FALSE;
    return MakeIcon(painter.MaskColor());
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

BOOL PaintTemperatureIcons(const OverlaySet& overlays, NumPainter& painter)
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
                if (!icon.CreateIcon(painter, value))
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

BOOL PaintHostIcons(NumPainter& painter)
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
        if (!icon.CreateIcon(painter, HostIconValue(Settings.HostNumber, n)))
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
        // The overlays live for the temperature icons only, and so does the
        // painter that knows them.
        OverlaySet overlays(width, height);
        NumPainter painter(width, height, Settings.MaskColor);
        BOOL painted = PaintTemperatureIcons(overlays, painter);
        ForgetOverlays();
        if (!painted)
            return FALSE;
    }
    NumPainter painter(width, height, Settings.MaskColor);
    return PaintHostIcons(painter);
}
