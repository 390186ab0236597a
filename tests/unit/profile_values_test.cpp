// The value grammar of the settings file.
#include "config/profile_values.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

FontFields DefaultTextFont()
{
    FontFields f = {};
    f.height = -17;
    f.weight = 700;
    f.pitchAndFamily = 2;
    std::strcpy(f.faceName, "Arial Narrow");
    return f;
}

TEST(ProfileUInt, ReadsDecimalNumbersAndDefaults)
{
    struct Case { const char* text; uint32_t def; uint32_t expected; } cases[] = {
        {"", 120, 120},                 // empty value: the default
        {"30", 120, 30},
        {"4294967295", 0, 0xFFFFFFFFu},  // the bit pattern of -1
        {"4294967296", 7, 0},           // wraps like the platform conversion
        {"12abc", 0, 12},               // number at the start only
        {"abc", 9, 0},                  // no digit first: 0, not the default
        {"-1", 7, 0}, {"+3", 7, 0}, {" 42", 7, 0}, {"-", 3, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseProfileUInt(c.text, c.def), c.expected) << '"' << c.text << '"';
}

TEST(ProfileColor, ScansRedGreenBlueOverTheCurrentColour)
{
    const uint32_t start = Rgb(10, 20, 30);
    struct Case { const char* text; uint32_t expected; } cases[] = {
        {"", start},                        // empty: unchanged
        {"0,255,0", Rgb(0, 255, 0)},
        {"255", Rgb(255, 20, 30)},          // only red reached
        {"200,100", Rgb(200, 100, 30)},
        {"300,0,0", Rgb(44, 0, 0)},         // low 8 bits
        {"256,0,0", Rgb(0, 0, 0)},
        {" 1, 2, 3", Rgb(1, 2, 3)},         // blanks before each number
        {"1 ,2,3", Rgb(1, 20, 30)},         // comma must follow its number
        {"-1,0,0", Rgb(255, 0, 0)},
        {"x,1,2", start},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseProfileColor(c.text, start), c.expected) << '"' << c.text << '"';
}

TEST(ProfileFont, ThirteenNumbersAndTheFaceAfterTheLastComma)
{
    FontFields f = DefaultTextFont();
    ASSERT_TRUE(ParseProfileFont("-12,1,2,3,400,1,1,1,128,4,5,6,49,ＭＳ ゴシック", f));
    EXPECT_EQ(f.height, -12);
    EXPECT_EQ(f.width, 1);
    EXPECT_EQ(f.escapement, 2);
    EXPECT_EQ(f.orientation, 3);
    EXPECT_EQ(f.weight, 400);
    EXPECT_EQ(f.italic, 1);
    EXPECT_EQ(f.charSet, 128);
    EXPECT_EQ(f.quality, 6);
    EXPECT_EQ(f.pitchAndFamily, 49);
    EXPECT_STREQ(f.faceName, "ＭＳ ゴシック");
}

TEST(ProfileFont, PartialValuesKeepWhatTheScanDoesNotReach)
{
    FontFields f = DefaultTextFont();
    ASSERT_TRUE(ParseProfileFont("-20,5,0,0,400,1,Tahoma", f));   // six numbers, then the face
    EXPECT_EQ(f.height, -20);
    EXPECT_EQ(f.width, 5);
    EXPECT_EQ(f.weight, 400);
    EXPECT_EQ(f.italic, 1);
    EXPECT_EQ(f.pitchAndFamily, 2);                                // not reached
    EXPECT_STREQ(f.faceName, "Tahoma");

    f = DefaultTextFont();
    ASSERT_TRUE(ParseProfileFont("-9,0,0,0,700,0,0,0,0,0,0,0,300,", f));   // empty face
    EXPECT_EQ(f.height, -9);
    EXPECT_EQ(f.pitchAndFamily, 44);
    EXPECT_STREQ(f.faceName, "Arial Narrow");

    f = DefaultTextFont();
    ASSERT_TRUE(ParseProfileFont("-17,0,0,0,700,0,0,0,0,0,0,0,2,Face, with comma", f));
    EXPECT_STREQ(f.faceName, " with comma");   // cut at its last comma
}

TEST(ProfileFont, RejectedValuesLeaveTheFontByteForByte)
{
    for (const char* text : {"", "Arial", "-17"}) {
        FontFields f = DefaultTextFont();
        const FontFields before = f;
        EXPECT_FALSE(ParseProfileFont(text, f)) << text;
        EXPECT_EQ(std::memcmp(&f, &before, sizeof f), 0) << text;
    }
}

TEST(ProfileFont, LongFaceIsCutOnACharacterBoundary)
{
    FontFields f = DefaultTextFont();
    // 30 ASCII bytes then a two-byte character: 32 bytes do not fit in 31.
    std::string text = "0,0,0,0,0,0,0,0,0,0,0,0,0," + std::string(30, 'A') + "\x83\x5C";
    ASSERT_TRUE(ParseProfileFont(text.c_str(), f));
    EXPECT_EQ(std::string(f.faceName), std::string(30, 'A'));
}

TEST(ProfileFormat, WritesWhatTheReadsReadBack)
{
    char text[256];
    FormatProfileColor(Rgb(31, 63, 31), text, sizeof text);
    EXPECT_STREQ(text, "31,63,31");
    FontFields f = DefaultTextFont();
    FormatProfileFont(f, text, sizeof text);
    EXPECT_STREQ(text, "-17,0,0,0,700,0,0,0,0,0,0,0,2,Arial Narrow");

    FontFields back = {};
    ASSERT_TRUE(ParseProfileFont(text, back));
    EXPECT_EQ(std::memcmp(&back, &f, sizeof f), 0);
}

} // namespace
