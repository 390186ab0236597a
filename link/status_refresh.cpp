// The status refresh: the server's reply turned into tray icons, tooltips
// and stored records, and the attribute baselines kept up to date.
#include "link/status_refresh.h"

#include "app/app_state.h"
#include "app/tray_set.h"
#include "config/settings.h"
#include "link/baseline.h"
#include "link/drive_alert.h"
#include "link/drive_slot.h"
#include "link/drive_view.h"
#include "link/server_exchange.h"

#include <cstring>

namespace {

// The shell's tooltip field has room for more than the tooltip is given.
static_assert(sizeof(NOTIFYICONDATAA{}.szTip) >= TOOLTIP_ROOM, "tooltip room");

// True when the shell was last handed this very icon handle and tooltip.
// Handing them again changes nothing on screen but costs a round trip to
// the taskbar's process, which under Wine takes milliseconds per icon, far
// longer than the whole exchange with the server. The handle, not only the
// index, is compared: a rebuilt icon set gives an index a new picture.
bool ShellShows(const TaskTrayIcon& tray, UINT image, const char* tip)
{
    return tray.IsShown() && image < tray.m_nImageCount &&
           tray.m_nid.hIcon == tray.m_pImages[image].hIcon && static_cast<UINT>(tray.m_nCurrentImage) == image &&
           (tray.m_nid.uFlags & NIF_TIP) != 0 && std::strncmp(tray.m_nid.szTip, tip, TOOLTIP_ROOM) == 0;
}

// Steps 2e to 2i: tooltip, first showing, image; all under IconTableLock.
void ShowDrive(UINT position, const DriveRecord& reply, UINT image)
{
    DriveSlot& slot = DriveSlots[position];
    TaskTrayIcon& tray = slot.TrayIcon;
    IconTableLock.Enter();
    char tip[TOOLTIP_ROOM];
    // The drive number of the stored record: the one from before this refresh.
    FormatTooltip(tip, sizeof tip, slot.Record.DriveNumber, sizeof slot.Record.DriveNumber, reply.State,
                  Settings.Label);
    // A drive whose icon was removed while its position was reported empty
    // is added again, even when it comes back with the same InUse byte; so
    // is one whose add the shell refused, or whose icon the shell lost.
    const bool appeared = reply.InUse != slot.Record.InUse || !tray.IsShown();
    if (appeared || !ShellShows(tray, image, tip)) {
        if (tray.HasTable()) {
            tray.m_nid.uFlags |= NIF_TIP;
            std::memcpy(tray.m_nid.szTip, tip, sizeof tip);
        }
        // A drive that just appeared is added with its host-number image first.
        if (appeared)
            tray.Add(ICON_HOST_BASE + position);
        tray.Modify(image);
    }
    IconTableLock.Leave();
}

void StoreRecord(DriveSlot& slot, const DriveRecord& reply, UINT image)
{
    slot.Lock.Enter();
    slot.Record = reply;
    slot.ShownImage = image;
    slot.Lock.Leave();
}

void RefreshPosition(UINT position, DriveRecord reply)
{
    DriveSlot& slot = DriveSlots[position];
    if (reply.InUse == 0) {
        // The stored record keeps the drive's last data; only the icon goes.
        // An empty position without an icon costs the shell nothing: most
        // of the 16 positions are empty at every poll.
        if (slot.TrayIcon.IsWanted() || slot.TrayIcon.IsShown())
            slot.TrayIcon.Remove();
        ForgetAlert(position);
        return;
    }
    // Another drive at the position, or one new to it: what the position
    // remembers for alerts was the drive before it.
    if (LoadBaselineOfNewDrive(static_cast<int>(position), reply))
        ForgetAlert(position);
    DriveUpdate update = PlanDriveUpdate(reply, slot.Record, slot.Check, AppState.stateOverride, Settings.Temp);
    slot.Check = update.check;
    ShowDrive(position, reply, update.image);
    StoreRecord(slot, reply, update.image);
    AlertIfWorse(position);
    if (update.attributesChanged)
        SaveAttributeBaseline(static_cast<int>(position));
}

// Every stored drive shows the error image; records and tooltips stay.
void ShowExchangeFailure()
{
    IconTableLock.Enter();
    for (DriveSlot& slot : DriveSlots) {
        if (slot.Record.InUse == 0)
            continue;
        // A removed icon stays removed until its drive is reported again.
        if (slot.TrayIcon.IsShown())
            slot.TrayIcon.Modify(ICON_ERROR);
        slot.ShownImage = ICON_ERROR;
    }
    IconTableLock.Leave();
}

} // namespace

int LoadDriveList()
{
    unsigned char reply[REPLY_SIZE] = {};
    if (!QueryServer(Settings.HostAddress, Settings.Port, reply, 0))
        return -1;
    int count = 0;
    for (UINT i = 0; i < SLOT_COUNT; ++i) {
        DriveRecord record = RecordAt(reply, i);
        if (record.InUse == 0)
            continue;
        DriveSlot& slot = DriveSlots[i];
        slot.Record = record;
        // Stored as empty, so that the first refresh adds the drive's icon.
        slot.Record.InUse = 0;
        LoadAttributeBaseline(static_cast<int>(i));
        ++count;
    }
    return count;
}

int RefreshDrives(HWND window, int showErrors)
{
    (void)window;
    unsigned char reply[REPLY_SIZE] = {};
    if (!QueryServer(Settings.HostAddress, Settings.Port, reply, showErrors)) {
        ShowExchangeFailure();
        return 0;
    }
    for (UINT i = 0; i < SLOT_COUNT; ++i)
        RefreshPosition(i, RecordAt(reply, i));
    return 1;
}

int Redisplay(HWND window, int showErrors)
{
    if (AppState.hostNumberMode) {
        ShowHostNumbers();
        return 1;
    }
    return RefreshDrives(window, showErrors);
}
