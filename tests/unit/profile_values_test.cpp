// The settings file's value grammars, CPALLET.INI's "PALLET" (128 hex digits, 16 colours)
// and the paths at which the settings files are looked for.
#include "config/palette_codec.h"
#include "config/path_text.h"
#include "config/profile_values.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

TEST(ProfileUInt, ReadsDecimalNumbersAndDefaults)
{
    // The settings read digits at the very start only; baselines keep a signed read.
    struct Case { const char* text; uint32_t def; uint32_t expected; int32_t asSigned; } cases[] = {
        {"", 120, 120, 120},                // empty value: the default
        {"30", 120, 30, 30},
        {"4294967295", 0, 0xFFFFFFFFu, -1},  // the bit pattern of -1
        {"4294967296", 7, 0, 0},            // wraps like the platform conversion
        {"12abc", 0, 12, 12},               // number at the start only
        {"abc", 9, 0, 0},                   // no digit first: 0, not the default
        {"-1", 7, 0, -1}, {"+3", 7, 0, 3}, {" 42", 7, 0, 42}, {"-", 3, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseProfileUInt(c.text, c.def), c.expected) << '"' << c.text << '"';
        EXPECT_EQ(ParseProfileInt(c.text, static_cast<int32_t>(c.def)), c.asSigned) << '"' << c.text << '"';
    }
}

TEST(ProfileColor, ScansRedGreenBlueOverTheCurrentColour)
{
    const uint32_t start = Rgb(10, 20, 30);
    struct Case { const char* text; uint32_t expected; } cases[] = {
        {"", start},                        // empty: unchanged
        {"0,255,0", Rgb(0, 255, 0)},
        {"255", Rgb(255, 20, 30)},          // only red reached
        {"300,0,0", Rgb(44, 0, 0)},         // low 8 bits
        {" 1, 2, 3", Rgb(1, 2, 3)},         // blanks before each number
        {"1 ,2,3", Rgb(1, 20, 30)},         // comma must follow its number
        {"-1,0,0", Rgb(255, 0, 0)},
        {"x,1,2", start},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseProfileColor(c.text, start), c.expected) << '"' << c.text << '"';
}

// Height, width, escapement, orientation, weight, the eight byte fields, the face.
const FontFields ARIAL_NARROW = {-17, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 2, "Arial Narrow"};

TEST(ProfileFont, ThirteenNumbersThenTheFaceAfterTheLastCommaOverTheCurrentFont)
{
    const struct { std::string text; bool accepted; FontFields font; } cases[] = {
        {"-12,1,2,3,400,1,1,1,128,4,5,6,49,ＭＳ ゴシック", true,
         {-12, 1, 2, 3, 400, 1, 1, 1, 128, 4, 5, 6, 49, "ＭＳ ゴシック"}},
        {"-20,5,0,0,400,1,Tahoma", true, {-20, 5, 0, 0, 400, 1, 0, 0, 0, 0, 0, 0, 2, "Tahoma"}},   // six numbers
        {"-9,0,0,0,700,0,0,0,0,0,0,0,300,", true, {-9, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 44, "Arial Narrow"}},
        {"-17,0,0,0,700,0,0,0,0,0,0,0,2,Face, with comma", true,
         {-17, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 2, " with comma"}},
        // 30 bytes and a two-byte character do not fit the 31 of the face.
        {"0,0,0,0,0,0,0,0,0,0,0,0,0," + std::string(30, 'A') + "\x83\x5C", true,
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"}},
        {"", false, ARIAL_NARROW}, {"Arial", false, ARIAL_NARROW}, {"-17", false, ARIAL_NARROW},
    };
    for (const auto& c : cases) {
        FontFields f = ARIAL_NARROW;
        EXPECT_EQ(ParseProfileFont(c.text.c_str(), f), c.accepted) << c.text;
        EXPECT_EQ(std::memcmp(&f, &c.font, offsetof(FontFields, faceName)), 0) << c.text;
        EXPECT_STREQ(f.faceName, c.font.faceName) << c.text;
    }
}

TEST(LenientHexPair, ReadsLikeABaseSixteenConversionCutToItsLowByte)
{
    struct Case { const char* pair; unsigned expected; } cases[] = {
        {"00", 0x00}, {"FF", 0xFF}, {"af", 0xAF}, {"\t9", 0x09}, {"-1", 0xFF}, {"+A", 0x0A},
        {"G5", 0x00}, {"5G", 0x05}, {"--", 0x00}, {"- ", 0x00}, {"-F", 0xF1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LenientHexPair(c.pair[0], c.pair[1]), c.expected) << c.pair;
}

TEST(PaletteText, PairsInMemoryOrderBothWaysAndAValueOfAnyOtherLengthIgnored)
{
    std::string text = "FF000000" + std::string(112, '0') + "1234567a";
    PaletteColor colors[PALETTE_COLORS] = {};
    ASSERT_TRUE(DecodePalette(text.c_str(), colors));
    EXPECT_EQ(colors[0], 0x000000FFu);   // red
    for (size_t length : {0u, 127u, 129u, 300u})
        EXPECT_FALSE(DecodePalette(std::string(length, 'F').c_str(), colors)) << length;
    char back[PALETTE_TEXT_LENGTH + 1];
    EncodePalette(colors, back);
    text.back() = 'A';   // upper case
    EXPECT_EQ(std::string(back), text);
}

// Each path fits a buffer one byte longer than itself; one of its own length gets none of it.
TEST(SettingsPath, AFolderAndNameOrTheirVirtualStoreCopyWholeOrNoneAtAll)
{
    const char* const local = "C:\\Users\\k\\AppData\\Local";
    const std::string joined = "C:\\KELPRA\\CPALLET.INI";
    const std::string store = std::string(local) + "\\VirtualStore\\windows\\CPALLET.INI";
    for (size_t cut : {0u, 1u}) {
        char a[64], b[64];
        std::memset(a, 'x', sizeof a);
        std::memset(b, 'x', sizeof b);
        EXPECT_EQ(JoinPath(a, joined.size() + 1 - cut, "C:\\KELPRA", "CPALLET.INI"), cut == 0);
        EXPECT_EQ(VirtualStorePath(b, store.size() + 1 - cut, local, "C:\\windows", "CPALLET.INI"), cut == 0);
        EXPECT_EQ(std::string(a) + "|" + b, cut ? "|" : joined + "|" + store);
    }
}

} // namespace
