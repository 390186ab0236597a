// CIMGICON: an icon the program paints itself, on a 32-bit colour surface
// with alpha and an all-white 1-bit mask, each kept selected in its own DC.
#pragma once
#include <windows.h>

class CIMGICON {
public:
    class CBMPDATA {
    public:
        CBMPDATA() = default;
        CBMPDATA(const CBMPDATA&) = delete;
        CBMPDATA& operator=(const CBMPDATA&) = delete;
        virtual ~CBMPDATA();
        void Release();
        // Deselect puts the DC's own bitmap back, so that m_hBitmap is
        // selected nowhere; Reselect selects m_hBitmap again.
        void Deselect();
        void Reselect();

        HBITMAP m_hBitmap = nullptr;
        void* m_pBits = nullptr;
        HDC m_hDC = nullptr;
        INT32 m_nWidth = 0;
        INT32 m_nHeight = 0;
        HGDIOBJ m_hOriginal = nullptr;   // the DC's own bitmap
    };

    CIMGICON() = default;
    CIMGICON(const CIMGICON&) = delete;
    CIMGICON& operator=(const CIMGICON&) = delete;
    virtual ~CIMGICON();

    BOOL Create(int width, int height);
    BOOL MakeIcon(COLORREF maskColor);
    void Release();

    HICON m_hIcon = nullptr;
    CBMPDATA m_Color;
    CBMPDATA m_Mask;
};
