// The health alerts of the status refresh.
#include "link/drive_alert.h"

#include "app/app_state.h"
#include "config/settings.h"
#include "link/balloon.h"
#include "link/drive_slot.h"
#include "link/drive_view.h"
#include "link/health_alert.h"

namespace {

// What each position showed at the last refresh whose alert, if it had one,
// the shell took; zero until a drive is reported there.
AlertMemory Memory[SLOT_COUNT];

} // namespace

void AlertIfWorse(UINT position)
{
    if (position >= SLOT_COUNT)
        return;
    const DriveSlot& slot = DriveSlots[position];
    AlertReading now = {slot.Record.State, slot.Check, slot.Record.Temperature, Settings.Temp};
    // Called only after a reply, so the exchange went well.
    AlertGate gate = {Settings.Alert != 0, OverrideOn(AppState.stateOverride), AppState.hostNumberMode != 0, true};
    AlertDecision decision = DecideAlert(Memory[position], now, gate);
    if (decision.alert && !ShowDriveAlert(static_cast<int>(position)))
        return;
    Memory[position] = decision.next;
}

void ForgetAlert(UINT position)
{
    if (position < SLOT_COUNT)
        Memory[position] = AlertMemory{};
}
