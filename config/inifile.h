// INIFILE: the accessor of one private-profile file. Every operation does
// nothing (reads give their default) while no file name is set.
#pragma once
#include <windows.h>

class INIFILE {
public:
    INIFILE() = default;
    INIFILE(const INIFILE&) = delete;
    INIFILE& operator=(const INIFILE&) = delete;
    virtual ~INIFILE();

    void SetFileName(const char* name);

    UINT GetInt(const char* section, const char* key, UINT def) const;
    void GetString(const char* section, const char* key, const char* def, char* buffer, DWORD size) const;
    // False when the platform refused the write.
    bool WriteString(const char* section, const char* key, const char* text) const;
    const char* FileName() const { return m_szFileName; }
    void GetColor(const char* section, const char* key, COLORREF& color) const;
    bool GetFont(const char* section, LOGFONTA& font) const;

private:
    bool HasFile() const { return m_szFileName[0] != '\0'; }

    char m_szFileName[MAX_PATH] = {};
};
