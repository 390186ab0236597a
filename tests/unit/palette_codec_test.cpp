// The "PALLET" value of CPALLET.INI: 128 hex digits to sixteen colours and back.
#include "config/palette_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Repeat(const std::string& part, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += part;
    return text;
}

TEST(LenientHexPair, ReadsLikeABaseSixteenConversionCutToItsLowByte)
{
    struct Case { const char* pair; unsigned expected; } cases[] = {
        {"00", 0x00}, {"FF", 0xFF}, {"ff", 0xFF}, {"a5", 0xA5}, {"7C", 0x7C},
        {" 5", 0x05},   // a leading blank
        {"\t9", 0x09},
        {"-1", 0xFF},   // a sign, then the low byte of -1
        {"+A", 0x0A},
        {"G5", 0x00},   // no digit at all
        {"5G", 0x05},   // stops at the first non-digit
        {"--", 0x00}, {"  ", 0x00}, {"- ", 0x00}, {"-F", 0xF1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LenientHexPair(c.pair[0], c.pair[1]), c.expected) << c.pair;
}

TEST(DecodePalette, TakesPairsInMemoryOrderRedGreenBlueZero)
{
    std::string text = "FF000000" + Repeat("00000000", 14) + "1234567A";
    PaletteColor colors[PALETTE_COLORS] = {};
    ASSERT_TRUE(DecodePalette(text.c_str(), colors));
    EXPECT_EQ(colors[0], 0x000000FFu);   // red
    for (size_t i = 1; i < 15; ++i)
        EXPECT_EQ(colors[i], 0u) << i;
    EXPECT_EQ(colors[15], 0x7A563412u);
}

TEST(DecodePalette, ReadsLowerCaseDigits)
{
    std::string text = Repeat("abcdef00", 16);
    PaletteColor colors[PALETTE_COLORS] = {};
    ASSERT_TRUE(DecodePalette(text.c_str(), colors));
    for (PaletteColor c : colors)
        EXPECT_EQ(c, 0x00EFCDABu);
}

TEST(DecodePalette, IgnoresAValueOfAnyOtherLength)
{
    const std::string texts[] = {"", "FF", Repeat("FF", 63), Repeat("F", 127), Repeat("F", 129), Repeat("F", 300)};
    for (const std::string& text : texts) {
        PaletteColor colors[PALETTE_COLORS];
        for (PaletteColor& c : colors)
            c = 0x00123456;
        EXPECT_FALSE(DecodePalette(text.c_str(), colors)) << text.size();
        for (PaletteColor c : colors)
            EXPECT_EQ(c, 0x00123456u) << text.size();
    }
}

TEST(DecodePalette, ConvertsMalformedPairsLeniently)
{
    std::string text = "-1G5 7ZZ" + Repeat("00000000", 15);
    PaletteColor colors[PALETTE_COLORS] = {};
    ASSERT_TRUE(DecodePalette(text.c_str(), colors));
    EXPECT_EQ(colors[0], 0x00070000u | 0xFFu);   // FF, 00, 07, 00
}

TEST(EncodePalette, WritesUpperCaseTwoDigitsPerByte)
{
    PaletteColor colors[PALETTE_COLORS] = {};
    colors[0] = 0x000000FF;
    colors[1] = 0x00ABCDEF;
    char text[PALETTE_TEXT_LENGTH + 1];
    EncodePalette(colors, text);
    EXPECT_EQ(std::string(text), "FF000000" "EFCDAB00" + Repeat("00000000", 14));
}

TEST(EncodePalette, RoundTripsThroughDecode)
{
    PaletteColor colors[PALETTE_COLORS];
    for (size_t i = 0; i < PALETTE_COLORS; ++i)
        colors[i] = static_cast<PaletteColor>(0x01020304u * (i + 1) + 0xF0u * i);
    char text[PALETTE_TEXT_LENGTH + 1];
    EncodePalette(colors, text);
    PaletteColor back[PALETTE_COLORS] = {};
    ASSERT_TRUE(DecodePalette(text, back));
    for (size_t i = 0; i < PALETTE_COLORS; ++i)
        EXPECT_EQ(back[i], colors[i]) << i;
}

} // namespace
