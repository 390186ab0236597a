// When a drive's balloon comes up by itself, refresh after refresh.
#include "link/drive_record.h"
#include "link/health_alert.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

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
        {"danger back to caution", {DS_DNGR, false}, {DS_WARN, 0, 40, 45}, ON, false, {DS_WARN, false}},
        {"error to an unknown state shows good", {DS_ERR, false}, {7, 0, 40, 45}, ON, false, {DS_GOOD, false}},
        {"caution hidden by Check", {DS_WARN, false}, {DS_WARN, 1, 40, 45}, ON, false, {DS_GOOD, false}},
        {"down to Temp: not re-armed", {DS_GOOD, true}, {DS_GOOD, 0, 45, 45}, ON, false, {DS_GOOD, true}},
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
