// The value grammar of the settings file.
#include "config/profile_values.h"

#include <gtest/gtest.h>

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

FontFields DefaultTextFont()
{
    FontFields f = {};
    f.height = -17;
    f.weight = 700;
    f.pitchAndFamily = 2;
    std::strcpy(f.faceName, "Arial Narrow");
    return f;
}

TEST(ProfileFont, ThirteenNumbersThenTheFaceAfterTheLastCommaOverTheCurrentFont)
{
    struct Case { std::string text; bool accepted; void (*expect)(FontFields&); } cases[] = {
        {"-12,1,2,3,400,1,1,1,128,4,5,6,49,ＭＳ ゴシック", true, [](FontFields& f) {
             f = {-12, 1, 2, 3, 400, 1, 1, 1, 128, 4, 5, 6, 49, {}};
             std::strcpy(f.faceName, "ＭＳ ゴシック");
         }},
        {"-20,5,0,0,400,1,Tahoma", true, [](FontFields& f) {   // six numbers: the rest is kept
             f.height = -20, f.width = 5, f.weight = 400, f.italic = 1;
             std::strcpy(f.faceName, "Tahoma");
         }},
        {"-9,0,0,0,700,0,0,0,0,0,0,0,300,", true, [](FontFields& f) { f.height = -9, f.pitchAndFamily = 44; }},
        {"-17,0,0,0,700,0,0,0,0,0,0,0,2,Face, with comma", true,
         [](FontFields& f) { std::strcpy(f.faceName, " with comma"); }},
        // 30 bytes and a two-byte character do not fit the 31 of the face.
        {"0,0,0,0,0,0,0,0,0,0,0,0,0," + std::string(30, 'A') + "\x83\x5C", true, [](FontFields& f) {
             f = {};
             std::strcpy(f.faceName, std::string(30, 'A').c_str());
         }},
        {"", false, [](FontFields&) {}},
        {"Arial", false, [](FontFields&) {}},
        {"-17", false, [](FontFields&) {}},
    };
    for (const Case& c : cases) {
        FontFields f = DefaultTextFont(), expected = DefaultTextFont();
        c.expect(expected);
        EXPECT_EQ(ParseProfileFont(c.text.c_str(), f), c.accepted) << c.text;
        EXPECT_EQ(std::memcmp(&f, &expected, sizeof f), 0) << c.text;
    }
}

} // namespace
