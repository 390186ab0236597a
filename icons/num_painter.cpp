// NumPainter: the painting of a numeric icon, with what many icons share
// made once: the badge's background copied in, the shadow passes and the
// number drawn by GDI, the mark laid over them pixel by pixel.
#include "icons/num_painter.h"

#include "icons/num_style.h"
#include "icons/numicon.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT TEXT_FLAGS = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX;

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

bool SameFont(const LOGFONTA& a, const LOGFONTA& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// How far the shadow passes reach beyond the number to the left or right.
int ShadowReach(INT32 shadowType, int height)
{
    if (shadowType == 0)
        return 0;
    const ShadowOffset* passes = nullptr;
    const size_t count = ShadowPasses(shadowType, &passes);
    int reach = 0;
    for (size_t i = 0; i < count; ++i)
        reach = std::max(reach, std::abs(ScaledToIcon(passes[i].dx, height)));
    return reach;
}

int TextWidth(HDC dc, const char* text)
{
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
    return size.cx;
}

void DrawOverlay(HDC dc, HICON icon, int w, int h)
{
    if (icon)
        DrawIconEx(dc, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
}

// What a mark is drawn over to learn what it does to each pixel: black and
// white, each with alpha 0 and 255, a grey and a mixed colour. A mark drawn
// at its own size changes each pixel on its own: by the AND and XOR masks
// (bit by bit) or by its alpha (channel by channel, rising with the pixel
// under it). So a pixel that comes out unchanged over black and over white
// is left alone by the mark, and one that comes out the same over both is
// covered; the other probes confirm it.
const uint32_t MARK_PROBES[] = {0x00000000, 0xFFFFFFFF, 0xFF000000, 0x00FFFFFF, 0x00808080, 0xFF5AA53C};

} // namespace

NumPainter::NumPainter(int width, int height, COLORREF maskColor) : width_(width), height_(height), mask_(maskColor)
{
    if (surface_.Create(width, height))
        SetBkMode(surface_.m_Color.m_hDC, TRANSPARENT);
    brush_.Create(maskColor);
}

NumPainter::~NumPainter()
{
    // The fonts are deleted after this, and a selected font cannot be.
    if (firstFont_)
        SelectObject(surface_.m_Color.m_hDC, firstFont_);
}

HFONT NumPainter::FontFor(const LOGFONTA& lf)
{
    for (const std::unique_ptr<Font>& f : fonts_)
        if (SameFont(f->lf, lf))
            return f->font.m_hFont;
    std::unique_ptr<Font> made(new Font{lf, {}});
    if (!made->font.Create(lf))
        return nullptr;
    fonts_.push_back(std::move(made));
    return fonts_.back()->font.m_hFont;
}

// "Arial Narrow" comes with Office, not with Windows: without it GDI takes a
// wider face, whose bold two-digit values would lose their outer pixels.
// Such digits are condensed, with the widest average character width that
// lets them fit together with their shadow: centred, with the shadow's reach
// free on both sides. Should no width leave that room, the widest that fits
// the digits alone; the font's own width when they fit as they are.
LONG NumPainter::FittingWidth(const char* text, const LOGFONTA& lf, int reach)
{
    for (const FittedText& f : fitted_)
        if (SameFont(f.lf, lf) && f.text == text && f.reach == reach)
            return f.width;
    const HDC dc = surface_.m_Color.m_hDC;
    LONG width = lf.lfWidth;
    TEXTMETRICA metrics;
    if (TextWidth(dc, text) > width_ && GetTextMetricsA(dc, &metrics)) {
        bool digitsFit = false;
        LOGFONTA narrower = lf;
        for (narrower.lfWidth = metrics.tmAveCharWidth - 1; narrower.lfWidth > 0; --narrower.lfWidth) {
            const HFONT probe = FontFor(narrower);
            if (!probe)
                break;
            SelectObject(dc, probe);
            const int condensed = TextWidth(dc, text);
            if (condensed <= width_ && !digitsFit) {
                width = narrower.lfWidth;
                digitsFit = true;
            }
            if (condensed <= width_ - 2 * reach) {
                width = narrower.lfWidth;
                break;
            }
        }
    }
    fitted_.push_back({lf, text, reach, width});
    return width;
}

// Selects the font the text is drawn in: lf, condensed if it must be.
HFONT NumPainter::SelectFitting(const char* text, const LOGFONTA& lf, int reach)
{
    const HDC dc = surface_.m_Color.m_hDC;
    const HFONT base = FontFor(lf);
    if (!base)
        return nullptr;
    HGDIOBJ previous = SelectObject(dc, base);
    if (!firstFont_)
        firstFont_ = previous;
    LOGFONTA fitting = lf;
    fitting.lfWidth = FittingWidth(text, lf, reach);
    const HFONT font = FontFor(fitting);
    if (font)
        SelectObject(dc, font);
    return font;
}

// The mask-colour fill with the badge drawn over it, as GDI makes it.
const NumPainter::Background& NumPainter::BackgroundOf(HICON back)
{
    for (const Background& b : backgrounds_)
        if (b.back == back)
            return b;
    const HDC dc = surface_.m_Color.m_hDC;
    const RECT all = {0, 0, width_, height_};
    FillRect(dc, &all, brush_.m_hBrush);
    DrawOverlay(dc, back, width_, height_);
    GdiFlush();
    backgrounds_.push_back({back, std::vector<uint32_t>(Bits(), Bits() + Count())});
    return backgrounds_.back();
}

const NumPainter::Mark& NumPainter::MarkOf(HICON front)
{
    for (const Mark& m : marks_)
        if (m.front == front)
            return m;
    const HDC dc = surface_.m_Color.m_hDC;
    Mark mark = {front, true, std::vector<uint8_t>(Count(), 1), std::vector<uint32_t>(Count(), 0)};
    std::vector<uint8_t> covers(Count(), 1);
    for (uint32_t probe : MARK_PROBES) {
        GdiFlush();
        std::fill(Bits(), Bits() + Count(), probe);
        DrawOverlay(dc, front, width_, height_);
        GdiFlush();
        for (size_t i = 0; i < Count(); ++i) {
            const uint32_t drawn = Bits()[i] & 0xFFFFFF;
            if (probe == MARK_PROBES[0])
                mark.colour[i] = drawn;
            mark.keep[i] = mark.keep[i] && drawn == (probe & 0xFFFFFF);
            covers[i] = covers[i] && drawn == mark.colour[i];
        }
    }
    for (size_t i = 0; i < Count(); ++i)
        mark.byPixels = mark.byPixels && (mark.keep[i] || covers[i]);
    marks_.push_back(std::move(mark));
    return marks_.back();
}

void NumPainter::DrawNumber(const CNUMICON& icon, const char* text)
{
    const HDC dc = surface_.m_Color.m_hDC;
    const RECT rect = {0, 0, width_, height_};
    if (icon.m_nShadowType != 0) {
        SetTextColor(dc, icon.m_crShadow);
        const ShadowOffset* passes = nullptr;
        const size_t count = ShadowPasses(icon.m_nShadowType, &passes);
        for (size_t i = 0; i < count; ++i) {
            RECT moved = rect;
            OffsetRect(&moved, ScaledToIcon(passes[i].dx, height_), ScaledToIcon(passes[i].dy, height_));
            DrawTextA(dc, text, -1, &moved, TEXT_FLAGS);
        }
    }
    SetTextColor(dc, icon.m_crText);
    RECT textRect = rect;
    DrawTextA(dc, text, -1, &textRect, TEXT_FLAGS);
}

// Only the colour of a pixel counts from here on: the icon's alpha is made
// from it (CIMGICON::MakeIcon), so a covered pixel keeps the alpha it had.
void NumPainter::DrawMark(const Mark& mark)
{
    if (!mark.byPixels) {
        DrawOverlay(surface_.m_Color.m_hDC, mark.front, width_, height_);
        return;
    }
    GdiFlush();
    uint32_t* pixel = Bits();
    for (size_t i = 0; i < Count(); ++i)
        if (!mark.keep[i])
            pixel[i] = (pixel[i] & 0xFF000000) | mark.colour[i];
}

BOOL NumPainter::Paint(const CNUMICON& icon, const char* text, void* pixels)
{
    if (!Bits() || !brush_.m_hBrush)
        return FALSE;
    // Backgrounds and marks are learnt on the surface, before it holds this icon.
    const Background& back = BackgroundOf(icon.m_hBackIcon);
    const Mark* mark = icon.m_hFrontIcon ? &MarkOf(icon.m_hFrontIcon) : nullptr;
    if (!SelectFitting(text, FontForIcon(icon.m_lfFont, height_), ShadowReach(icon.m_nShadowType, height_)))
        return FALSE;
    GdiFlush();
    std::memcpy(Bits(), back.pixels.data(), Count() * sizeof(uint32_t));
    DrawNumber(icon, text);
    if (mark)
        DrawMark(*mark);
    GdiFlush();
    std::memcpy(pixels, Bits(), Count() * sizeof(uint32_t));
    return TRUE;
}
