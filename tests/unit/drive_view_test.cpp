// What a drive's icon, tooltip and balloon show, and when its balloon comes up by itself.
#include "link/drive_view.h"
#include "link/health_alert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <tuple>

namespace {

// A text of the field's whole width is left without its terminating 0.
template <size_t N>
void SetText(char (&field)[N], const std::string& text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N));
}

TEST(ImageIndex, NumberHotVariantMarkAndErrorImage)
{
    struct Case { int8_t temperature; uint8_t state; int32_t check; uint32_t index; } cases[] = {
        {0, DS_GOOD, 0, 0},       {44, DS_GOOD, 0, 44},     {45, DS_GOOD, 0, 45},    {46, DS_GOOD, 0, 146},
        {99, DS_GOOD, 0, 199},    {120, DS_GOOD, 0, 199},   {-1, DS_GOOD, 0, 199},   {-128, DS_GOOD, 0, 199},
        {40, DS_ERR, 0, ICON_ERROR}, {-1, DS_ERR, 1, ICON_ERROR}, {127, DS_ERR, 0, ICON_ERROR},
        {40, 7, 0, 40},           {40, 255, 0, 40},
    };
    // Every drive's maximum is 99: hot is decided by the reading.
    for (const Case& c : cases)
        EXPECT_EQ(ChooseImageIndex({1, c.temperature, 99, c.state, 0, {}, 0, 1000}, 45, c.check), c.index)
            << int(c.temperature) << " state " << int(c.state) << " check " << c.check;
}

TEST(RefreshPlan, WatchedAttributesShowTheMarkAgainAndOverridesRewriteTheState)
{
    struct Case { int32_t DriveRecord::* field; int delta; uint8_t state; int32_t check, mode; bool changed;
                  int32_t checkAfter; uint8_t shown; uint32_t image; } cases[] = {
        {&DriveRecord::A05, 0, DS_WARN, 1, 0, false, 1, DS_WARN, 40},
        {&DriveRecord::A05, 1, DS_WARN, 1, 0, true, 0, DS_WARN, 240},
        {&DriveRecord::AC4, -1, DS_WARN, 1, 0, true, 0, DS_WARN, 240},
        {&DriveRecord::AC5, 1, DS_WARN, 1, 0, true, 0, DS_WARN, 240},
        {&DriveRecord::AC6, -1, DS_WARN, 1, 0, true, 0, DS_WARN, 240},
        {&DriveRecord::A09, 5, DS_DNGR, 1, 0, false, 1, DS_DNGR, 40},   // power-on hours are not watched
        {&DriveRecord::A05, 0, DS_DNGR, 0, 1, false, 0, DS_GOOD, 40},
        {&DriveRecord::A05, 0, DS_DNGR, 0, 2, false, 0, DS_WARN, 240},
        {&DriveRecord::A05, 0, DS_GOOD, 0, 3, false, 0, DS_DNGR, 440},
        {&DriveRecord::A05, 0, DS_DNGR, 0, 4, false, 0, DS_ERR, ICON_ERROR},
        {&DriveRecord::A05, 0, DS_DNGR, 0, 5, false, 0, DS_DNGR, 440},
        {&DriveRecord::A05, 0, DS_DNGR, 0, -1, false, 0, DS_DNGR, 440},
    };
    for (const Case& c : cases) {
        const DriveRecord stored = {1, 40, 0, c.state, 0, {}, 0, 1000};
        DriveRecord reply = stored;
        reply.*c.field += c.delta;
        DriveUpdate u = PlanDriveUpdate(reply, stored, c.check, c.mode, 45);
        EXPECT_EQ(std::make_tuple(u.attributesChanged, u.check, int(reply.State), u.image),
                  std::make_tuple(c.changed, c.checkAfter, int(c.shown), c.image))
            << "row " << &c - cases;
    }
}

TEST(Tooltip, DriveNumberStateAndLabelCutTo63BytesOnACharacterBoundary)
{
    const std::string wide = "アアアアアアアアアアアアアアアアアアアアアアアアアアアアアア";   // 30 two-byte characters
    const std::string longLabel(100, 'L');
    struct Case { std::string number; uint8_t state; std::string label; size_t full; std::string tip; } cases[] = {
        {"Disk 0", DS_GOOD, "127.0.0.1", 11, "Disk 0 正常"},
        {"Disk 1", DS_DNGR, "nas", 17, "Disk 1 危険 (nas)"},
        {"", DS_GOOD, "lab", 11, " 正常 (lab)"},
        {"Disk 3", DS_GOOD, "127.0.0.1 ", 24, "Disk 3 正常 (127.0.0.1 )"},
        {"Disk 3", DS_GOOD, "", 14, "Disk 3 正常 ()"},
        {wide, DS_WARN, "127.0.0.1", 65, wide + " 注"},          // "注" ends exactly at byte 63
        {"x" + wide, DS_WARN, "127.0.0.1", 66, "x" + wide + " "},   // byte 63 would be a lead byte
        {"Disk 0", DS_GOOD, longLabel, 114, ("Disk 0 正常 (" + longLabel).substr(0, 63)},
        {std::string(64, 'N'), DS_GOOD, "127.0.0.1", 69, std::string(63, 'N')},   // no 0 in the field
    };
    for (const Case& c : cases) {
        char field[64];
        SetText(field, c.number);
        char out[TOOLTIP_ROOM];
        EXPECT_EQ(FormatTooltip(out, sizeof out, field, sizeof field, c.state, c.label.c_str()), c.full) << c.tip;
        EXPECT_EQ(std::string(out), c.tip);
    }
}

// InUse, Temperature, MaxTemperature, State, UsageRate, -, A05, A09, AC4, AC5, AC6 and the texts.
const DriveRecord BALLOON_DRIVE = {1, 38, 51, DS_WARN, 73, {}, 2, 4800, 3, 4, 5, "", "FW1.2", "SN0042", "Disk 0"};

const char* const BALLOON_LINES[] = {
    "デバイス番号：15", "ドライブ番号：Disk 0", "バージョン　：FW1.2", "シリアル番号：SN0042",
    "温度（最大）：38℃（51℃）", "使用量割合　：73％", "総通電日数　：200日", "監視属性値　：05:2 C4:3 C5:4 C6:5",
    "ステータス　：注意"};

TEST(BalloonText, NineLinesEachFromItsFieldAndTheIconOfTheState)
{
    struct Case { void (*set)(DriveRecord&); std::map<int, std::string> lines; BalloonIcon icon; } cases[] = {
        {[](DriveRecord&) {}, {}, BALLOON_WARNING},
        {[](DriveRecord& r) { r.A09 = 47; }, {{6, "総通電日数　：1日"}}, BALLOON_WARNING},   // whole days, toward zero
        {[](DriveRecord& r) { r.A09 = -47; }, {{6, "総通電日数　：-1日"}}, BALLOON_WARNING},
        {[](DriveRecord& r) { r.Temperature = -1, r.MaxTemperature = -128; }, {{4, "温度（最大）：-1℃（-128℃）"}},
         BALLOON_WARNING},
        {[](DriveRecord& r) { std::memset(r.Firmware, 'F', sizeof r.Firmware); },   // runs into Serial
         {{2, "バージョン　：" + std::string(16, 'F')}}, BALLOON_WARNING},
        {[](DriveRecord& r) { r.State = DS_GOOD; }, {{8, "ステータス　：正常"}}, BALLOON_INFO},
        {[](DriveRecord& r) { r.State = DS_DNGR; }, {{8, "ステータス　：危険"}}, BALLOON_ERROR},
        {[](DriveRecord& r) { r.State = DS_ERR; }, {{8, "ステータス　：異常"}}, BALLOON_ERROR},
        {[](DriveRecord& r) { r.State = 255; }, {{8, "ステータス　：無効"}}, BALLOON_ERROR},
        // Longer than the shell's 255 bytes: the whole text, cut only when shown.
        {[](DriveRecord& r) {
             SetText(r.DriveNumber, std::string(63, 'D'));
             SetText(r.Serial, std::string(31, 'S'));
             r.A05 = r.AC4 = r.AC5 = r.AC6 = INT_MIN;
         },
         {{1, "ドライブ番号：" + std::string(63, 'D')}, {3, "シリアル番号：" + std::string(31, 'S')},
          {7, "監視属性値　：05:-2147483648 C4:-2147483648 C5:-2147483648 C6:-2147483648"}},
         BALLOON_WARNING},
    };
    for (const Case& c : cases) {
        DriveRecord r = BALLOON_DRIVE;
        c.set(r);
        std::string expected;
        for (int i = 0; i < 9; ++i)
            expected += (i ? "\n" : "") + (c.lines.count(i) ? c.lines.at(i) : std::string(BALLOON_LINES[i]));
        char out[BALLOON_BUILD_ROOM];
        EXPECT_EQ(FormatBalloonText(out, sizeof out, 15, r), expected.size()) << "row " << &c - cases;
        EXPECT_EQ(std::string(out), expected);
        EXPECT_EQ(BalloonIconFor(r.State), c.icon) << int(r.State);
    }
}

TEST(BaselineSection, ModelFirmwareSerialWithinTheirWidthsAndNoControlBytes)
{
    struct Case { std::string model, firmware, serial, name; } cases[] = {
        {"ABC-1000", "1.0", "XYZ123", "ABC-1000:1.0:XYZ123"},
        {"", "", "", "::"},
        {std::string(64, 'M'), std::string(16, 'F'), std::string(32, 'S'),
         std::string(64, 'M') + ":" + std::string(16, 'F') + ":" + std::string(32, 'S')},
        {"A\r\nfoo=1", "", "\t", "A??foo=1::?"},
        {"\x1f\x01", "", "]", "??::]"},
        {"\x83\x5C", "", "\x81", "\x83\x5C::\x81"},   // double-byte characters and a lone lead stay
    };
    for (const Case& c : cases) {
        DriveRecord r = {};
        SetText(r.Model, c.model);
        SetText(r.Firmware, c.firmware);
        SetText(r.Serial, c.serial);
        char name[SECTION_NAME_ROOM];
        EXPECT_EQ(FormatBaselineSection(name, sizeof name, r), c.name.size()) << c.name;
        EXPECT_EQ(std::string(name), c.name);
    }
}

TEST(Periods, PollAndExchangeWaitFromSecondsWithSoundLimits)
{
    // Timer or TimeOut; the poll period in milliseconds; the exchange's wait in seconds.
    struct Case { uint32_t seconds, pollMs, waitSeconds; } cases[] = {
        {0, 120000, 1}, {1, 1000, 1}, {10, 10000, 10}, {120, 120000, 120}, {2147483, 2147483000u, 2147483},
        {2147484, 0x7FFFFFFF, 2147483}, {4294968, 0x7FFFFFFF, 2147483}, {0xFFFFFFFFu, 0x7FFFFFFF, 2147483},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::make_pair(PollPeriodMs(c.seconds), ExchangeWaitSeconds(c.seconds)),
                  std::make_pair(c.pollMs, c.waitSeconds))
            << c.seconds;
}

constexpr AlertMemory NEW = {DS_GOOD, false};
constexpr AlertGate ON = {true, false, false, true};
constexpr AlertGate OFF = {false, false, false, true};
constexpr AlertGate OVERRIDE = {true, true, false, true};
constexpr AlertGate HOST_NUMBERS = {true, false, true, true};
constexpr AlertGate NO_ANSWER = {true, false, false, false};

TEST(HealthAlert, AlertsWhenTheShownStateGetsWorseOrTheDriveTurnsHot)
{
    // now: state, check, temperature, Temp
    struct Case { const char* what; AlertMemory previous; AlertReading now; AlertGate gate; bool alert;
                  AlertMemory next; } cases[] = {
        {"first report, caution", NEW, {DS_WARN, 0, 40, 45}, ON, true, {DS_WARN, false}},
        {"first report, caution hidden", NEW, {DS_WARN, 1, 40, 45}, ON, false, {DS_GOOD, false}},
        {"first report, error: Check hides no error", NEW, {DS_ERR, 1, 40, 45}, ON, true, {DS_ERR, false}},
        {"first report, hot", NEW, {DS_GOOD, 0, 46, 45}, ON, true, {DS_GOOD, true}},
        {"first report, at Temp is not hot", NEW, {DS_GOOD, 0, 45, 45}, ON, false, {DS_GOOD, false}},
        {"caution stays caution", {DS_WARN, false}, {DS_WARN, 0, 40, 45}, ON, false, {DS_WARN, false}},
        {"caution to danger", {DS_WARN, false}, {DS_DNGR, 0, 40, 45}, ON, true, {DS_DNGR, false}},
        {"error to an unknown state shows good", {DS_ERR, false}, {7, 0, 40, 45}, ON, false, {DS_GOOD, false}},
        {"down to Temp - 2: not re-armed", {DS_GOOD, true}, {DS_GOOD, 0, 43, 45}, ON, false, {DS_GOOD, true}},
        {"down to Temp - 3: re-armed", {DS_GOOD, true}, {DS_GOOD, 0, 42, 45}, ON, false, {DS_GOOD, false}},
        {"a failed sensor reads hot", NEW, {DS_GOOD, 0, -1, 45}, ON, true, {DS_GOOD, true}},
        {"a failed sensor never cools down", {DS_GOOD, true}, {DS_GOOD, 0, -1, 45}, ON, false, {DS_GOOD, true}},
        {"Temp below 3 never re-arms", {DS_GOOD, true}, {DS_GOOD, 0, 0, 2}, ON, false, {DS_GOOD, true}},
        {"Alert=0: remembered, not shown", NEW, {DS_DNGR, 0, 50, 45}, OFF, false, {DS_DNGR, true}},
        {"override: remembered, not shown", NEW, {DS_ERR, 0, 40, 45}, OVERRIDE, false, {DS_ERR, false}},
        {"host numbers: nothing changes", {DS_WARN, true}, {DS_ERR, 0, 30, 45}, HOST_NUMBERS, false, {DS_WARN, true}},
        {"no answer: nothing changes", {DS_WARN, true}, {DS_ERR, 0, 30, 45}, NO_ANSWER, false, {DS_WARN, true}},
    };
    for (const Case& c : cases) {
        AlertDecision d = DecideAlert(c.previous, c.now, c.gate);
        EXPECT_EQ(std::make_tuple(d.alert, int(d.next.rank), d.next.hot),
                  std::make_tuple(c.alert, int(c.next.rank), c.next.hot))
            << c.what;
    }
}

} // namespace
