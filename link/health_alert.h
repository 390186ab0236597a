// When a drive's details balloon comes up by itself: its shown state got
// worse, or it became hot. Platform-free: the refresh feeds it each drive's
// reading and shows the balloon when it says so.
#pragma once
#include <cstdint>

// What one position remembers between refreshes. Zero is a drive not yet
// reported there, so the first report of a drive that is already in caution,
// danger or error, or already hot, alerts.
struct AlertMemory {
    uint8_t rank;   // 0 good, 1 caution, 2 danger, 3 error, as last shown
    bool hot;       // was hot and has not cooled down to Temp - 3 since
};

// A drive as the refresh shows it, after the state override.
struct AlertReading {
    uint8_t state;          // the record's state byte
    int32_t check;          // non-zero: caution and danger marks hidden
    int8_t temperature;
    uint32_t hotThreshold;  // Temp
};

// What keeps a balloon from showing although the drive got worse.
struct AlertGate {
    bool enabled;           // the Alert setting
    bool overrideOn;        // the icons show a pretended state
    bool hostNumberMode;    // the icons show host numbers, no drive data
    bool exchangeOk;        // the server answered
};

struct AlertDecision {
    bool alert;
    AlertMemory next;
};

// Degrees below Temp that a hot drive must reach before it can alert again,
// so that a reading jittering around Temp alerts once.
constexpr int ALERT_REARM_DEGREES = 3;

// Without an answer or in host-number mode nothing was shown, so the memory
// stays. Otherwise it follows the reading; a pretended state or Alert=0 only
// keeps the balloon away.
AlertDecision DecideAlert(AlertMemory previous, const AlertReading& now, const AlertGate& gate);
