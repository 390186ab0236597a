// The health alert decision.
#include "link/health_alert.h"

#include "wire/drive_record.h"
#include "link/drive_view.h"

namespace {

// The state as the icon shows it, ordered by severity: a hidden status shows
// caution and danger as good, and unknown states show no mark.
uint8_t ShownRank(uint8_t state, int32_t check)
{
    if (state == DS_ERR)
        return state;
    return check == 0 && state < DS_ERR ? state : static_cast<uint8_t>(DS_GOOD);
}

} // namespace

AlertDecision DecideAlert(AlertMemory previous, const AlertReading& now, const AlertGate& gate)
{
    if (!gate.exchangeOk || gate.hostNumberMode)
        return {false, previous};
    const bool hot = IsHot(now.temperature, now.hotThreshold);
    // A failed sensor reads negative and counts as hot, never as cooled down.
    const bool cooled = now.temperature >= 0 &&
                        static_cast<int64_t>(now.temperature) + ALERT_REARM_DEGREES <= now.hotThreshold;
    AlertMemory next;
    next.rank = ShownRank(now.state, now.check);
    next.hot = hot || (previous.hot && !cooled);
    const bool worse = next.rank > previous.rank || (hot && !previous.hot);
    return {worse && gate.enabled && !gate.overrideOn, next};
}
