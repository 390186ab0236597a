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
        {"00", 0x00}, {"FF", 0xFF}, {"af", 0xAF}, {"\t9", 0x09}, {"-1", 0xFF}, {"+A", 0x0A},
        {"G5", 0x00}, {"5G", 0x05}, {"--", 0x00}, {"- ", 0x00}, {"-F", 0xF1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LenientHexPair(c.pair[0], c.pair[1]), c.expected) << c.pair;
}

TEST(PaletteText, PairsInMemoryOrderBothWaysAndAValueOfAnyOtherLengthIgnored)
{
    std::string text = "FF000000" + Repeat("00000000", 14) + "1234567a";
    PaletteColor colors[PALETTE_COLORS] = {};
    ASSERT_TRUE(DecodePalette(text.c_str(), colors));
    EXPECT_EQ(colors[0], 0x000000FFu);   // red
    EXPECT_EQ(colors[14], 0u);
    EXPECT_EQ(colors[15], 0x7A563412u);
    char back[PALETTE_TEXT_LENGTH + 1];
    EncodePalette(colors, back);
    EXPECT_EQ(std::string(back), "FF000000" + Repeat("00000000", 14) + "1234567A");   // upper case

    for (const std::string& other : {std::string(), Repeat("F", 127), Repeat("F", 129), Repeat("F", 300)}) {
        for (PaletteColor& c : colors)
            c = 0x00123456;
        EXPECT_FALSE(DecodePalette(other.c_str(), colors)) << other.size();
        for (PaletteColor c : colors)
            EXPECT_EQ(c, 0x00123456u) << other.size();
    }
}

} // namespace
