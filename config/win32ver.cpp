// WIN32VER over GetFileVersionInfoA and VerQueryValueA.
#include "config/win32ver.h"

#include <cstdio>

WIN32VER::~WIN32VER()
{
    Free();
}

void WIN32VER::Free()
{
    delete[] m_pBlock;
    m_pBlock = nullptr;
    m_wLanguage = 0;
    m_wCodePage = 0;
}

BOOL WIN32VER::Load(const char* path)
{
    Free();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return FALSE;
    m_pBlock = new BYTE[size];
    if (!GetFileVersionInfoA(path, 0, size, m_pBlock)) {
        Free();
        return FALSE;
    }
    void* value = nullptr;
    UINT length = 0;
    // One translation only: a list of several would leave the entry paths
    // ambiguous, so such a file is treated as having no usable block.
    if (!VerQueryValueA(m_pBlock, "\\VarFileInfo\\Translation", &value, &length) || length != 4) {
        Free();
        return FALSE;
    }
    const WORD* pair = static_cast<const WORD*>(value);
    m_wLanguage = pair[0];
    m_wCodePage = pair[1];
    return TRUE;
}

const char* WIN32VER::Entry(const char* name) const
{
    if (m_pBlock == nullptr)
        return "(error)";
    char query[256];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", m_wLanguage, m_wCodePage, name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(m_pBlock, query, &value, &length))
        return "(error)";
    if (length == 0)
        return "(null)";
    return static_cast<const char*>(value);
}
