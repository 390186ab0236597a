// The version box of the popup menu.
#pragma once
#include <windows.h>

#include <cstddef>

constexpr const char* VERSION_CAPTION = "バージョン情報";
constexpr const char* PLATFORM_TAG = "x64";
constexpr const char* ICON_CREDIT = "アイコン: KELPRA Project オリジナル";

// The box's text from the version resource of the file at path, cut on a
// character boundary to fit size bytes; FALSE when the file has no usable
// version block.
BOOL ComposeVersionText(const char* path, char* message, size_t size);

void ShowVersionBox(HWND owner);
