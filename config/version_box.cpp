// The version box: description, platform, version, legal notice and the
// icon credit, from the running program's own version resource.
#include "config/version_box.h"

#include "wire/sjis_text.h"
#include "config/win32ver.h"

#include <cstdio>

namespace {
constexpr DWORD PATH_ROOM = 1024;
// Room to compose in before the cut to the box's buffer, so that a long
// entry is cut on a character boundary rather than by the formatter.
constexpr size_t COMPOSE_ROOM = 4 * PATH_ROOM;
}

BOOL ComposeVersionText(const char* path, char* message, size_t size)
{
    WIN32VER version;
    if (!version.Load(path))
        return FALSE;
    const char* legal = version.Entry("LegalCopyright");
    const char* fileVersion = version.Entry("FileVersion");
    const char* description = version.Entry("FileDescription");
    char composed[COMPOSE_ROOM];
    int length = std::snprintf(composed, sizeof composed, "%s (%s)\r\nVersion %s\r\n\r\n%s\r\n\r\n%s", description,
                               PLATFORM_TAG, fileVersion, legal, ICON_CREDIT);
    if (length < 0)
        return FALSE;
    SjisCopy(message, size, composed, sizeof composed);
    return TRUE;
}

void ShowVersionBox(HWND owner)
{
    char text[PATH_ROOM];
    DWORD length = GetModuleFileNameA(nullptr, text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return;
    if (!ComposeVersionText(text, text, sizeof text))
        return;
    MessageBoxA(owner, text, VERSION_CAPTION, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST);
}
