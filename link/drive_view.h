// What a drive's tray icon shows, worked out from its records: the state
// override, the watched-attribute comparison, the image index, the tooltip,
// the details balloon's text and icon, the baseline section name, and the
// polling period. Platform-free: the Win32 code hands the results to the
// shell and the profile functions.
#pragma once
#include "wire/drive_record.h"

#include <cstddef>
#include <cstdint>

// Room of the texts, terminating 0 included. The shell's szTip holds 128
// bytes, but the tooltip is kept to the 63 bytes older shells display.
constexpr size_t TOOLTIP_ROOM = 64;
constexpr size_t BALLOON_TEXT_ROOM = 256;    // szInfo
constexpr size_t BALLOON_TITLE_ROOM = 64;    // szInfoTitle
constexpr size_t BALLOON_BUILD_ROOM = 512;   // the whole text before the cut
constexpr size_t SECTION_NAME_ROOM = 128;

// The label that marks the local server: no label part in the tooltip.
constexpr const char* LOCAL_LABEL = "127.0.0.1";

// What one refresh decides for a drive position, before it touches the shell.
struct DriveUpdate {
    bool attributesChanged;   // A05, AC4, AC5 or AC6 differ from the stored record
    int32_t check;            // the status-hidden flag after the comparison
    uint32_t image;           // index into the tray icon's image table
};

// The state shown for mode 0 (none) to 4 (error); other modes change nothing.
uint8_t OverriddenState(uint8_t state, int32_t mode);
// True for the modes that pretend a state (1 to 4).
bool OverrideOn(int32_t mode);

// Above the threshold, compared unsigned, so a negative reading (a failed
// sensor) counts as hot.
bool IsHot(int8_t temperature, uint32_t hotThreshold);

// True when a watched attribute differs; A09 (power-on hours) is not watched.
bool WatchedAttributesDiffer(const DriveRecord& reply, const DriveRecord& stored);

// Image index of a reply record: number, hot variant above hotThreshold,
// caution or danger mark unless check hides them, error image for state 3.
uint32_t ChooseImageIndex(const DriveRecord& reply, uint32_t hotThreshold, int32_t check);

// One position of a refresh: writes the overridden state into reply, then
// compares it with stored and chooses the image.
DriveUpdate PlanDriveUpdate(DriveRecord& reply, const DriveRecord& stored, int32_t check, int32_t overrideMode,
                            uint32_t hotThreshold);

// "<drive number> <state text>", then " (<label>)" unless the label is the
// local one. Writes at most room - 1 bytes, cut on a character boundary, and
// returns the length of the whole text.
size_t FormatTooltip(char* out, size_t room, const char* driveNumber, size_t driveNumberWidth, uint8_t state,
                     const char* label);

// Balloon icon by state; the values are the shell's NIIF_ flags.
enum BalloonIcon : uint32_t { BALLOON_INFO = 1, BALLOON_WARNING = 2, BALLOON_ERROR = 3 };
BalloonIcon BalloonIconFor(uint8_t state);

// The nine lines of the details balloon of position, into out (room bytes,
// BALLOON_BUILD_ROOM in the program). Returns the text's length.
size_t FormatBalloonText(char* out, size_t room, int position, const DriveRecord& record);

// "<model>:<firmware>:<serial>", each field read no further than its width;
// control bytes (which no drive identity holds) become '?'.
size_t FormatBaselineSection(char* out, size_t room, const DriveRecord& record);

// Polling period for a Timer setting in seconds. 0 would make the timer fire
// as fast as the platform allows and hammer the server, so it polls at the
// default period instead; a period beyond the platform's longest timer (about
// 24.8 days, also where Timer x 1000 stops fitting 32 bits) becomes that
// longest timer.
constexpr uint32_t DEFAULT_POLL_SECONDS = 120;
constexpr uint32_t LONGEST_POLL_MS = 0x7FFFFFFF;
uint32_t PollPeriodMs(uint32_t timerSeconds);

// The wait for a reply and the sleep after a failed attempt, in seconds,
// from TimeOut: 0 would wait without limit and counts as 1; a value whose
// milliseconds do not fit a signed 32-bit count (the select limit and the
// sleep) is held to the largest that does.
constexpr uint32_t LONGEST_WAIT_SECONDS = LONGEST_POLL_MS / 1000;
uint32_t ExchangeWaitSeconds(uint32_t timeOut);
