// Message-box watcher: a box is a visible "#32770" window with static 0xFFFF.
#include "msgbox_watcher.h"

#include <algorithm>

namespace {

// What the window shows, in Shift-JIS whatever this process's code page.
std::string ShiftJisText(HWND window)
{
    wchar_t wide[2048] = L"";
    GetWindowTextW(window, wide, 2048);
    char text[4096] = "";
    WideCharToMultiByte(932, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

SeenBox Read(HWND box)
{
    SeenBox seen;
    seen.caption = ShiftJisText(box);
    seen.text = ShiftJisText(GetDlgItem(box, 0xFFFF));
    seen.owner = GetWindow(box, GW_OWNER);
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[16] = "";
        GetClassNameA(c, cls, sizeof cls);
        if (lstrcmpiA(cls, "Button") == 0 && IsWindowVisible(c)) {
            ++seen.buttons;
        } else if (lstrcmpiA(cls, "Static") == 0 && (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            HICON icon = reinterpret_cast<HICON>(SendMessageA(c, STM_GETICON, 0, 0));
            seen.errorIcon = icon == LoadIconA(nullptr, IDI_HAND);
            seen.informationIcon = icon == LoadIconA(nullptr, IDI_ASTERISK);
        }
    }
    return seen;
}

} // namespace

MsgBoxWatcher::MsgBoxWatcher(DWORD processId)
    : processId_(processId ? processId : GetCurrentProcessId()), thread_([this] { Run(); })
{
}

MsgBoxWatcher::~MsgBoxWatcher()
{
    stop_ = true;
    thread_.join();
}

void MsgBoxWatcher::Run()
{
    std::vector<HWND> handled;
    while (!stop_) {
        size_t open = 0;
        for (HWND box : TopLevelWindows(processId_, "#32770", true)) {
            if (GetDlgItem(box, 0xFFFF) == nullptr)
                continue;
            ++open;
            if (std::find(handled.begin(), handled.end(), box) == handled.end()) {
                SeenBox seen = Read(box);
                std::lock_guard<std::mutex> lock(mutex_);
                boxes_.push_back(seen);
                handled.push_back(box);
            }
            if (!paused_)
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        open_ = open;
        // Forget closed boxes: a later box may reuse the handle value.
        handled.erase(std::remove_if(handled.begin(), handled.end(), [](HWND h) { return !IsWindow(h); }),
                      handled.end());
        Sleep(20);
    }
}

std::vector<SeenBox> MsgBoxWatcher::Boxes() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}
