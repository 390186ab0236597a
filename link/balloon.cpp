// The details balloon of a drive's tray icon: title, nine lines of text and
// an icon by state, shown with the drive's current image.
#include "link/balloon.h"

#include "app/debug_report.h"
#include "wire/sjis_text.h"
#include "link/drive_slot.h"
#include "link/drive_view.h"

#include <cstring>

static_assert(BALLOON_INFO == NIIF_INFO && BALLOON_WARNING == NIIF_WARNING && BALLOON_ERROR == NIIF_ERROR,
              "balloon icons are the shell's flags");
static_assert(sizeof(NOTIFYICONDATAA{}.szInfo) == BALLOON_TEXT_ROOM, "balloon text room");
static_assert(sizeof(NOTIFYICONDATAA{}.szInfoTitle) == BALLOON_TITLE_ROOM, "balloon title room");

namespace {

constexpr UINT BALLOON_TIMEOUT_MS = 10000;

// Windows 98 and later, 2000 and later refuse SetForegroundWindow from a
// process that is not in the foreground, unless its input is attached to
// the foreground thread's first.
bool NeedsAttachedForeground()
{
    DWORD v = GetVersion();
    unsigned major = LOBYTE(LOWORD(v));
    unsigned minor = HIBYTE(LOWORD(v));
    bool win9x = (v & 0x80000000u) != 0;
    return win9x ? (major >= 4 && minor >= 10) : major >= 5;
}

void BringToForeground(HWND window)
{
    if (!NeedsAttachedForeground()) {
        SetForegroundWindow(window);
        return;
    }
    DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    DWORD self = GetCurrentThreadId();
    AttachThreadInput(self, foregroundThread, TRUE);
    SetForegroundWindow(window);
    AttachThreadInput(self, foregroundThread, FALSE);
    BringWindowToTop(window);
}

void FillBalloon(NOTIFYICONDATAA& nid, const DriveRecord& record, const char* text, size_t length, DWORD icon)
{
    CopyField(nid.szInfoTitle, sizeof nid.szInfoTitle, record.Model);
    nid.dwInfoFlags = icon;
    // Cut on a character boundary; the last byte of the field stays 0.
    size_t cut = SjisCutLength(text, length, sizeof nid.szInfo - 1);
    std::memset(nid.szInfo, 0, sizeof nid.szInfo);
    std::memcpy(nid.szInfo, text, cut);
    nid.uTimeout = BALLOON_TIMEOUT_MS;
}

// Fills the balloon from the slot's stored record and hands it to the shell
// with the image the icon shows; true when the shell took it. The caller
// holds the slot's lock.
bool ShowBalloon(int position)
{
    DriveSlot& slot = DriveSlots[position];
    char text[BALLOON_BUILD_ROOM] = {};
    size_t length = 0;
    DWORD icon = NIIF_INFO;
    if (slot.Record.InUse != 0) {
        icon = BalloonIconFor(slot.Record.State);
        length = FormatBalloonText(text, sizeof text, position, slot.Record);
        if (length > BALLOON_TEXT_ROOM - 1)
            DebugReport("HMM... BALLOON INFO OVERFLOW (MAX 255 BYTES):%d\n", static_cast<int>(length));
    }
    TaskTrayIcon& tray = slot.TrayIcon;
    if (tray.HasTable())
        FillBalloon(tray.m_nid, slot.Record, text, length, icon);
    // NIF_INFO only for this one call, so later icon changes show no balloon.
    tray.m_nid.uFlags |= NIF_INFO;
    const bool taken = tray.Modify(slot.ShownImage) != FALSE;
    tray.m_nid.uFlags &= ~static_cast<UINT>(NIF_INFO);
    return taken;
}

bool ValidPosition(int position)
{
    return position >= 0 && position < static_cast<int>(SLOT_COUNT);
}

} // namespace

void ShowDriveDetails(HWND window, int position)
{
    if (!ValidPosition(position))
        return;
    WINLOCK& lock = DriveSlots[position].Lock;
    // A busy lock means a refresh is storing this record: show nothing.
    if (!lock.TryEnter())
        return;
    BringToForeground(window);
    ShowBalloon(position);
    lock.Leave();
}

bool ShowDriveAlert(int position)
{
    if (!ValidPosition(position))
        return false;
    WINLOCK& lock = DriveSlots[position].Lock;
    lock.Enter();
    const bool taken = ShowBalloon(position);
    lock.Leave();
    return taken;
}
