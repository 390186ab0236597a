// WIN32VER: reader of a program file's version resource (the block, and the
// language and code page of its one translation).
#pragma once
#include <windows.h>

class WIN32VER {
public:
    WIN32VER() = default;
    WIN32VER(const WIN32VER&) = delete;
    WIN32VER& operator=(const WIN32VER&) = delete;
    virtual ~WIN32VER();

    // Reads the block of the file at path. Fails when there is none, when it
    // can't be read, or when its translation list is not exactly one pair.
    BOOL Load(const char* path);
    // The text of a StringFileInfo entry of the translation: "(null)" for an
    // empty entry, "(error)" for a missing one. Valid until Free.
    const char* Entry(const char* name) const;
    void Free();

private:
    BYTE* m_pBlock = nullptr;
    WORD m_wLanguage = 0;
    WORD m_wCodePage = 0;
};
