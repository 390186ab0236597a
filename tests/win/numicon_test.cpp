// CNUMICON and CreateNumIcons on real pixels: painting order, shadow
// passes, centring, the value limit, view types and the host numbers.
#include "config/settings.h"
#include "icon_pixels.h"
#include "icons/numicon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>

namespace {

const COLORREF MASK = RGB(15, 15, 15);
const COLORREF TEXT = RGB(255, 255, 255);
const COLORREF SHADOW = RGB(0, 0, 255);

using PixelSet = std::set<std::pair<int, int>>;

// A surface of the small-icon size painted with a hard-edged font, so that
// every pixel is exactly one of the colours involved.
class NumIcon : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(icon_.Create(16, 16));
        icon_.m_lfFont.lfQuality = NONANTIALIASED_QUALITY;
        icon_.m_crText = TEXT;
        icon_.m_crShadow = SHADOW;
    }

    IconPixels Paint(UINT value, INT32 shadowType)
    {
        icon_.m_nShadowType = shadowType;
        EXPECT_TRUE(icon_.CreateIcon(MASK, value));
        return ReadIcon(icon_.m_hIcon);
    }

    static PixelSet Having(const IconPixels& p, uint32_t rgb)
    {
        PixelSet s;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                if (p.Alpha(x, y) == 0xFF && p.Rgb(x, y) == rgb)
                    s.insert({x, y});
        return s;
    }

    // The number's own pixels, painted alone.
    PixelSet Glyph(UINT value) { return Having(Paint(value, 0), PixelRgb(TEXT)); }

    CNUMICON icon_;
};

// The offsets of each type are the platform-free table's (tests/unit); here
// only that the painting follows them, one pass and many.
struct ShadowCase {
    INT32 type;
    std::vector<std::pair<int, int>> offsets;
};

const ShadowCase SHADOW_CASES[] = {
    {0, {}},
    {2, {{+1, -1}}},
    {7, {{0, -1}, {0, +1}, {-1, 0}, {+1, 0}, {-1, -1}, {+1, -1}, {-1, +1}, {+1, +1}}},
};

TEST_F(NumIcon, ShadowTypesPaintTheirOffsetsUnderTheNumber)
{
    const PixelSet glyph = Glyph(42);
    ASSERT_GT(glyph.size(), 20u);
    for (const ShadowCase& c : SHADOW_CASES) {
        const IconPixels p = Paint(42, c.type);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                bool shadow = false;
                for (auto [dx, dy] : c.offsets)
                    shadow = shadow || glyph.count({x - dx, y - dy});
                const bool number = glyph.count({x, y}) != 0;
                if (number) {
                    EXPECT_EQ(p.At(x, y), 0xFF000000 | PixelRgb(TEXT)) << "type " << c.type << " at " << x << "," << y;
                } else if (shadow) {
                    EXPECT_EQ(p.At(x, y), 0xFF000000 | PixelRgb(SHADOW)) << "type " << c.type << " at " << x << "," << y;
                } else {
                    EXPECT_EQ(p.Alpha(x, y), 0u) << "type " << c.type << " at " << x << "," << y;
                }
            }
        }
    }
}

uint32_t BlueBadge(int, int)
{
    return 0xFF2040A0;
}

uint32_t MagentaCorner(int x, int y)
{
    return x >= 12 && y >= 12 ? 0xFFFF00FF : 0x00000000;
}

TEST_F(NumIcon, BadgeUnderShadowUnderNumberUnderMark)
{
    const PixelSet glyph = Glyph(88);
    HICON back = MakeIcon(16, BlueBadge);
    HICON front = MakeIcon(16, MagentaCorner);
    icon_.m_hBackIcon = back;
    icon_.m_hFrontIcon = front;
    const IconPixels p = Paint(88, 4);
    int marks = 0, numbers = 0, shadows = 0, badges = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            uint32_t expected = 0xFF2040A0;
            if (x >= 12 && y >= 12)
                expected = 0xFFFF00FF, ++marks;
            else if (glyph.count({x, y}))
                expected = 0xFF000000 | PixelRgb(TEXT), ++numbers;
            else if (glyph.count({x - 1, y - 1}))
                expected = 0xFF000000 | PixelRgb(SHADOW), ++shadows;
            else
                ++badges;
            EXPECT_EQ(p.At(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_GT(numbers, 0);
    EXPECT_GT(shadows, 0);
    EXPECT_GT(badges, 0);
    // The number reaches into the mark's corner, which covers it.
    bool covered = false;
    for (auto [x, y] : glyph)
        covered = covered || (x >= 12 && y >= 12);
    EXPECT_TRUE(covered);
    DestroyIcon(back);
    DestroyIcon(front);
}

struct Box {
    int left = 99, top = 99, right = -1, bottom = -1;
};

Box Bounds(const PixelSet& s)
{
    Box b;
    for (auto [x, y] : s) {
        b.left = std::min(b.left, x), b.top = std::min(b.top, y);
        b.right = std::max(b.right, x), b.bottom = std::max(b.bottom, y);
    }
    return b;
}

// Where the text lands when placed by its measured extent in the middle.
Box ReferenceBounds(const LOGFONTA& lf, const char* text)
{
    CIMGICON ref;
    ref.Create(16, 16);
    HFONT font = CreateFontIndirectA(&lf);
    HDC dc = ref.m_Color.m_hDC;
    RECT all = {0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(dc, font);
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &extent);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, (16 - extent.cx) / 2, (16 - extent.cy) / 2, text, static_cast<int>(std::strlen(text)));
    GdiFlush();
    PixelSet s;
    const auto* px = static_cast<const uint32_t*>(ref.m_Color.m_pBits);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if ((px[(15 - y) * 16 + x] & 0xFFFFFF) == 0xFFFFFF)
                s.insert({x, y});
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
    return Bounds(s);
}

TEST_F(NumIcon, NumbersAreCentredInTheIcon)
{
    const struct {
        UINT value;
        const char* text;
    } cases[] = {{7, "7"}, {99, "99"}};
    for (const auto& c : cases) {
        const Box painted = Bounds(Glyph(c.value));
        const Box reference = ReferenceBounds(icon_.m_lfFont, c.text);
        ASSERT_GE(painted.right, painted.left) << c.text;
        EXPECT_NEAR(painted.left, reference.left, 1) << c.text;
        EXPECT_NEAR(painted.right, reference.right, 1) << c.text;
        EXPECT_NEAR(painted.top, reference.top, 1) << c.text;
        EXPECT_NEAR(painted.bottom, reference.bottom, 1) << c.text;
    }
}

// Windows without Office has no "Arial Narrow" and paints a wider face: its
// digits are condensed until they fit, centred, instead of being cut.
TEST_F(NumIcon, DigitsOfAWideFaceAreCondensedToFitCentred)
{
    std::strcpy(icon_.m_lfFont.lfFaceName, "Liberation Sans");
    for (UINT value : {48u, 88u, 100u}) {
        // Cut digits would fill the icon from edge to edge.
        const Box ink = Bounds(Glyph(value));
        EXPECT_TRUE(ink.left > 0 || ink.right < 15) << value;
        EXPECT_NEAR(ink.left + ink.right, 15, 2) << value << " is centred, " << ink.right - ink.left + 1 << " wide";
    }
}

// --- The whole build of the 616 numeric icons -----------------------------------

uint32_t GoodBack(int, int) { return 0xFF108010; }
uint32_t CautionBack(int, int) { return 0xFFC08000; }
uint32_t DangerBack(int, int) { return 0xFF900010; }
uint32_t CautionFront(int x, int y) { return x >= 13 && y >= 13 ? 0xFF00FFFF : 0; }
uint32_t DangerFront(int x, int y) { return x >= 13 && y >= 13 ? 0xFFFFFF00 : 0; }

class NumIconBuild : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(&Settings, 0, sizeof Settings);
        SetDefaultSettings();
        Settings.ViewType = 3;
        Settings.ShadowType = 1;
        const int w = GetSystemMetrics(SM_CXSMICON), h = GetSystemMetrics(SM_CYSMICON);
        ASSERT_EQ(w, 16);
        for (uint32_t i = 0; i < NUMERIC_ICON_COUNT; ++i)
            ASSERT_TRUE(NumIconArray[i].Create(w, h));
        WriteIconFile(dir_.Path() + "\\B_GOOD.ICO", 16, GoodBack);
        WriteIconFile(dir_.Path() + "\\B_WARN.ICO", 16, CautionBack);
        WriteIconFile(dir_.Path() + "\\B_DNGR.ICO", 16, DangerBack);
        WriteIconFile(dir_.Path() + "\\F_WARN.ICO", 16, CautionFront);
        WriteIconFile(dir_.Path() + "\\F_DNGR.ICO", 16, DangerFront);
    }
    void TearDown() override
    {
        for (CNUMICON& icon : NumIconArray)
            icon.Release();
    }
    ScratchDirectory dir_;
};

struct ViewCase {
    INT32 viewType;
    bool back;
    bool front;
};

const ViewCase VIEW_CASES[] = {
    {0, false, false}, {1, true, false}, {2, false, true}, {3, true, true}, {7, false, false},
};

TEST_F(NumIconBuild, ViewTypesChooseTheOverlays)
{
    const struct {
        uint32_t index;
        uint32_t back;
        uint32_t front;   // 0: the state has no mark
    } blocks[] = {{150, 0x108010, 0}, {250, 0xC08000, 0x00FFFF}, {550, 0x900010, 0xFFFF00}};
    for (const ViewCase& v : VIEW_CASES) {
        Settings.ViewType = v.viewType;
        ASSERT_TRUE(CreateNumIcons());
        for (const auto& b : blocks) {
            const IconPixels p = ReadIcon(NumIconArray[b.index].m_hIcon);
            ASSERT_EQ(p.width, 16);
            if (v.back)
                EXPECT_EQ(p.Rgb(0, 0), b.back) << "view " << v.viewType << " icon " << b.index;
            else
                EXPECT_EQ(p.Alpha(0, 0), 0u) << "view " << v.viewType << " icon " << b.index;
            const bool markShown = b.front && v.front;
            EXPECT_EQ(p.Rgb(15, 15) == b.front && p.Alpha(15, 15) == 0xFF, markShown)
                << "view " << v.viewType << " icon " << b.index;
        }
    }
}

TEST_F(NumIconBuild, HeatChoosesTheColours)
{
    Settings.ViewType = 0;
    Settings.ShadowType = 0;
    Settings.TextFont.lfQuality = NONANTIALIASED_QUALITY;
    ASSERT_TRUE(CreateNumIcons());
    const struct {
        uint32_t index;
        COLORREF text;
    } cases[] = {{88, Settings.CoolTextColor}, {188, Settings.HotTextColor}, {288, Settings.CoolTextColor},
                 {388, Settings.HotTextColor}, {488, Settings.CoolTextColor}, {588, Settings.HotTextColor}};
    for (const auto& c : cases) {
        const IconPixels p = ReadIcon(NumIconArray[c.index].m_hIcon);
        int textPixels = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                textPixels += p.Alpha(x, y) == 0xFF && p.Rgb(x, y) == PixelRgb(c.text);
        EXPECT_GT(textPixels, 20) << c.index;
    }
}

TEST_F(NumIconBuild, HostNumbersInTwoUpperCaseHexDigits)
{
    Settings.HostNumber = 15;
    ASSERT_TRUE(CreateNumIcons());
    CNUMICON reference;
    ASSERT_TRUE(reference.Create(16, 16));
    reference.m_crText = Settings.NumberTextColor;
    reference.m_crShadow = Settings.NumberShadowColor;
    reference.m_nShadowType = 4;
    reference.m_lfFont = Settings.NumberFont;
    // "F0" to "FF" by another road: format, shadow and no badge show in the pixels.
    std::strcpy(reference.m_szFormat, "F%X");
    for (UINT n = 0; n < 16; ++n) {
        const CNUMICON& host = NumIconArray[ICON_HOST_BASE + n];
        ASSERT_TRUE(reference.CreateIcon(Settings.MaskColor, n));
        EXPECT_EQ(ReadIcon(host.m_hIcon).argb, ReadIcon(reference.m_hIcon).argb) << "F" << std::hex << n;
    }
}

} // namespace
