// CNUMICON on real pixels: painting order, shadow passes and the font
// scaled with the icon, centring, and the condensing of wide digits, in
// one table. The whole build of the 616 icons is IconSet's.
#include "icon_pixels.h"
#include "icons/numicon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>

namespace {

const COLORREF MASK = RGB(15, 15, 15);
const uint32_t TEXT = 0xFFFFFFFF;
const uint32_t SHADOW = 0xFF0000FF;
const uint32_t BADGE = 0xFF2040A0;

// The pixels of one colour and their bounds.
struct Ink {
    std::set<std::pair<int, int>> pixels;
    int left = 99, top = 99, right = -1, bottom = -1;
    int Height() const { return bottom - top + 1; }
};

class NumIcon : public ::testing::Test {
protected:
    // With a hard-edged font, so that every pixel is exactly one of the
    // colours involved.
    IconPixels Paint(int size, UINT value, INT32 shadowType, HICON back = nullptr, HICON front = nullptr)
    {
        EXPECT_TRUE(icon_.Create(size, size));
        icon_.m_lfFont.lfQuality = NONANTIALIASED_QUALITY;
        icon_.m_crText = RGB(255, 255, 255);
        icon_.m_crShadow = RGB(0, 0, 255);
        icon_.m_nShadowType = shadowType;
        icon_.m_hBackIcon = back;
        icon_.m_hFrontIcon = front;
        EXPECT_TRUE(icon_.CreateIcon(MASK, value));
        return ReadIcon(icon_.m_hIcon);
    }

    // The number's own pixels, painted alone.
    Ink Glyph(int size, UINT value)
    {
        const IconPixels p = Paint(size, value, 0);
        Ink ink;
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                if (p.At(x, y) == TEXT) {
                    ink.pixels.insert({x, y});
                    ink.left = std::min(ink.left, x), ink.top = std::min(ink.top, y);
                    ink.right = std::max(ink.right, x), ink.bottom = std::max(ink.bottom, y);
                }
            }
        }
        return ink;
    }

    CNUMICON icon_;
};

// The mark covers the lower right from (8, 8) on, at any size.
uint32_t Mark(int x, int y)
{
    return x >= 8 && y >= 8 ? 0xFFFF00FF : 0;
}

struct PaintCase {
    int size;
    INT32 shadowType;
    std::vector<std::pair<int, int>> offsets;   // in pixels of this size
    const char* face;
    UINT value;
};

// The offsets of each type are the platform-free table's (tests/unit); here
// that the painting follows them, one pass and many, scaled with the icon
// as at 200 % display scaling. Windows without Office has no "Arial Narrow"
// and paints a wider face, whose bold digits must be condensed to fit.
const PaintCase PAINT_CASES[] = {
    {16, 0, {}, "Arial Narrow", 7},
    {16, 2, {{+1, -1}}, "Arial Narrow", 99},
    {16, 7, {{0, -1}, {0, +1}, {-1, 0}, {+1, 0}, {-1, -1}, {+1, -1}, {-1, +1}, {+1, +1}}, "Liberation Sans", 48},
    {16, 2, {{+1, -1}}, "Liberation Sans", 88},
    {16, 0, {}, "Liberation Sans", 100},
    {32, 2, {{+2, -2}}, "Arial Narrow", 42},
};

TEST_F(NumIcon, BadgeUnderShadowUnderNumberUnderMarkCentredAndScaledToFit)
{
    for (const PaintCase& c : PAINT_CASES) {
        SCOPED_TRACE(std::string(c.face) + " " + std::to_string(c.value) + " at " + std::to_string(c.size) +
                     ", shadow type " + std::to_string(c.shadowType));
        std::strcpy(icon_.m_lfFont.lfFaceName, c.face);
        const int height16 = Glyph(16, c.value).Height();
        const Ink glyph = Glyph(c.size, c.value);
        EXPECT_NEAR(glyph.Height(), height16 * c.size / 16, 1) << "the font grows with the icon";
        // Placed by the drawn extent in the middle both ways, and not cut,
        // which would fill the icon from edge to edge.
        EXPECT_TRUE(glyph.left > 0 || glyph.right < c.size - 1);
        EXPECT_NEAR(glyph.left + glyph.right, c.size - 1, 2) << glyph.right - glyph.left + 1 << " wide";
        EXPECT_NEAR(glyph.top + glyph.bottom, c.size - 1, 1) << "from row " << glyph.top;
        HICON back = MakeIcon(c.size, Solid<BADGE>);
        HICON front = MakeIcon(c.size, Mark);
        const IconPixels p = Paint(c.size, c.value, c.shadowType, back, front);
        int wrong = 0, shadows = 0, covered = 0;
        for (int y = 0; y < c.size; ++y) {
            for (int x = 0; x < c.size; ++x) {
                bool shadow = false;
                for (auto [dx, dy] : c.offsets)
                    shadow = shadow || glyph.pixels.count({x - dx, y - dy});
                const bool number = glyph.pixels.count({x, y}) != 0;
                const uint32_t expected = Mark(x, y) ? Mark(x, y) : number ? TEXT : shadow ? SHADOW : BADGE;
                wrong += p.At(x, y) != expected;
                shadows += expected == SHADOW;
                covered += Mark(x, y) && number;
            }
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(shadows > 0, !c.offsets.empty());
        EXPECT_GT(covered, 0) << "the number reaches under the mark";
        DestroyIcon(back);
        DestroyIcon(front);
    }
}

} // namespace
