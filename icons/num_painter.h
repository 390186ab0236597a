// NumPainter: what the numeric icons of one build have in common, made once
// and reused by every icon painted through it: a drawing surface of the icon
// size with its DC, the fonts (each text's condensed width found once), the
// background under each back badge (the mask-colour fill with the badge
// drawn over it), and what each front mark does to the pixels it covers.
// An icon painted through it gets the pixels it would get painted alone.
#pragma once
#include "icons/gdi_wrappers.h"
#include "icons/imgicon.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CNUMICON;

class NumPainter {
public:
    NumPainter(int width, int height, COLORREF maskColor);
    NumPainter(const NumPainter&) = delete;
    NumPainter& operator=(const NumPainter&) = delete;
    ~NumPainter();

    COLORREF MaskColor() const { return mask_; }
    bool Fits(int width, int height) const { return width == width_ && height == height_; }
    // Paints text in the icon's style (colours, shadow type, font, badge
    // and mark) into pixels laid out as the icon's colour surface. FALSE
    // when the surface, the brush or a font cannot be made.
    BOOL Paint(const CNUMICON& icon, const char* text, void* pixels);

private:
    struct Font {
        LOGFONTA lf;
        WINFONT font;
    };
    struct FittedText {
        LOGFONTA lf;
        std::string text;
        int reach;   // of the shadow, beyond the number on either side
        LONG width;
    };
    struct Background {
        HICON back;
        std::vector<uint32_t> pixels;
    };
    // Per pixel: the mark leaves it as it is, or sets it to one colour
    // whatever lies under it; byPixels is false for a mark that blends
    // (a soft edge), which is then drawn through GDI on every icon.
    struct Mark {
        HICON front;
        bool byPixels;
        std::vector<uint8_t> keep;
        std::vector<uint32_t> colour;
    };

    size_t Count() const { return static_cast<size_t>(width_) * height_; }
    uint32_t* Bits() const { return static_cast<uint32_t*>(surface_.m_Color.m_pBits); }
    HFONT FontFor(const LOGFONTA& lf);
    HFONT SelectFitting(const char* text, const LOGFONTA& lf, int reach);
    LONG FittingWidth(const char* text, const LOGFONTA& lf, int reach);
    const Background& BackgroundOf(HICON back);
    const Mark& MarkOf(HICON front);
    void DrawNumber(const CNUMICON& icon, const char* text);
    void DrawMark(const Mark& mark);

    int width_;
    int height_;
    COLORREF mask_;
    CIMGICON surface_;
    WINBRUSH brush_;
    HGDIOBJ firstFont_ = nullptr;
    std::vector<std::unique_ptr<Font>> fonts_;
    std::vector<FittedText> fitted_;
    std::vector<Background> backgrounds_;
    std::vector<Mark> marks_;
};
