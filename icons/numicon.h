// CNUMICON: a number painted over an optional badge, under an optional
// mark, with a shadow or outline, keyed into an icon.
#pragma once
#include "icons/imgicon.h"
#include "wire/drive_record.h"

class NumPainter;

class CNUMICON : public CIMGICON {
public:
    CNUMICON();
    ~CNUMICON() override = default;

    BOOL CreateIcon(COLORREF maskColor, UINT value);
    // The same through a painter that icons of one build share (its mask
    // colour and size are theirs).
    BOOL CreateIcon(NumPainter& painter, UINT value);

    COLORREF m_crText = RGB(255, 255, 255);
    COLORREF m_crShadow = RGB(0, 0, 0);
    INT32 m_nShadowType = 0;
    LOGFONTA m_lfFont;
    HICON m_hBackIcon = nullptr;    // borrowed
    HICON m_hFrontIcon = nullptr;   // borrowed
    char m_szFormat[8] = "%d";
};

// One per icon index; 0 to 615 are painted, 616 is never created.
extern CNUMICON NumIconArray[ICON_COUNT];
// Surfaces at the small-icon size of start-up (16 px at 100 % display
// scaling, 32 at 200 %), kept for the whole run.
BOOL CreateNumIconSurfaces();
BOOL CreateNumIcons();
