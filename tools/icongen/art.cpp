// The pictures. Coordinates are design units of a 16-unit square, so a
// picture scales to every image size of its group; 16-pixel images put
// their edges on whole units to stay crisp.
#include "art.h"

#include "raster.h"

#include <cmath>
#include <functional>

namespace {

const double PI = 3.14159265358979323846;

using Picture = std::function<void(Canvas&)>;

const Rgba INK = {28, 32, 40, 255};        // dark outline of the menu pictures
const Rgba WHITE = Opaque(255, 255, 255);

// --- State badges ------------------------------------------------------------
// A disc filling the icon with a soft edge. The middle, where the digits
// stand, is kept dark so that both the bright green and the red digits of
// the default colours stand out; the state colour lives in the rim.
struct BadgeTones {
    Rgba middle;
    Rgba outer;
    Rgba rim;
};

void PaintBadge(Canvas& c, const BadgeTones& t)
{
    const Point centre = {8, 8};
    c.Fill(Circle(centre, 7.55), Radial({8, 8.6}, 7.5, t.middle, t.outer), 1.6);
    c.Fill(Outline(Circle(centre, 6.75), 0.55), Solid(t.rim), 1.2);
    // A faint gloss on the upper rim.
    c.Fill(Intersect(Outline(Circle(centre, 6.75), 0.45), Box({8, 3}, 5, 2.4)), Solid({255, 255, 255, 70}), 1.2);
}

const BadgeTones GOOD_TONES = {Opaque(6, 52, 26), Opaque(20, 104, 48), Opaque(64, 196, 96)};
const BadgeTones CAUTION_TONES = {Opaque(58, 34, 0), Opaque(132, 82, 6), Opaque(250, 178, 32)};
const BadgeTones DANGER_TONES = {Opaque(34, 2, 10), Opaque(96, 10, 24), Opaque(252, 88, 88)};

// --- State marks (4-bit pixel art, lower right) ------------------------------
// '.' transparent, 'W' white, 'R' red.
void PaintPixelArt(Canvas& c, int left, int top, const std::vector<std::string>& rows)
{
    for (size_t y = 0; y < rows.size(); ++y) {
        for (size_t x = 0; x < rows[y].size(); ++x) {
            const char k = rows[y][x];
            if (k == '.')
                continue;
            const Rgba colour = k == 'W' ? WHITE : Opaque(255, 0, 0);
            c.Fill(Box({left + x + 0.5, top + y + 0.5}, 0.5, 0.5), Solid(colour), 0.01);
        }
    }
}

// Four columns wide, the lower nine rows.
void PaintCautionMark(Canvas& c)
{
    PaintPixelArt(c, 12, 7,
                  {".WW.",
                   "WRRW",
                   "WRRW",
                   "WRRW",
                   "WRRW",
                   "WWWW",
                   "WRRW",
                   "WRRW",
                   ".WW."});
}

// A diagonal cross in the lower-right 9 x 9 pixels.
void PaintDangerMark(Canvas& c)
{
    PaintPixelArt(c, 7, 7,
                  {"WW.....WW",
                   "WRW...WRW",
                   ".WRW.WRW.",
                   "..WRWRW..",
                   "...WRW...",
                   "..WRWRW..",
                   ".WRW.WRW.",
                   "WRW...WRW",
                   "WW.....WW"});
}

// The marks at 20, 24 and 32 pixels: the same figures in the same place and
// proportions, drawn as shapes for the size instead of enlarged pixels.
bool PixelArtSize(const Canvas& c)
{
    return c.Size() == 16;
}

void PaintCautionMarkShapes(Canvas& c)
{
    c.Fill(Box({14, 11.5}, 2, 4.5, 1), Solid(WHITE));
    c.Fill(Box({14, 10}, 1, 2, 0.4), Solid(Opaque(255, 0, 0)));
    c.Fill(Box({14, 14}, 1, 1, 0.4), Solid(Opaque(255, 0, 0)));
}

void PaintDangerMarkShapes(Canvas& c)
{
    // The white edge reaches from 7 to 16 units, as the 9 x 9 pixel art does.
    const Shape cross = Union(Segment({8.45, 8.45}, {14.55, 14.55}, 0.5), Segment({14.55, 8.45}, {8.45, 14.55}, 0.5));
    c.Fill(Grow(cross, 0.95), Solid(WHITE));
    c.Fill(cross, Solid(Opaque(255, 0, 0)));
}

void PaintMark(Canvas& c, void (*pixelArt)(Canvas&), void (*shapes)(Canvas&))
{
    (PixelArtSize(c) ? pixelArt : shapes)(c);
}

// --- Error sign ----------------------------------------------------------------
void PaintProhibition(Canvas& c)
{
    const Point centre = {8, 8};
    const Rgba red = Opaque(214, 28, 32);
    c.Fill(Circle(centre, 7.5), Solid(Opaque(120, 8, 12)));
    c.Fill(Circle(centre, 6.9), Solid(red));
    c.Fill(Circle(centre, 4.9), Solid(Opaque(250, 250, 250)));
    c.Fill(Intersect(Segment({3.6, 3.6}, {12.4, 12.4}, 1.15), Circle(centre, 5.2)), Solid(red));
}

// --- Menu pictures -------------------------------------------------------------
// Two arrows chasing each other round a circle, clockwise.
Point OnCircle(Point c, double r, double angle)
{
    return {c.x + r * std::cos(angle), c.y + r * std::sin(angle)};
}

// The arc of a ring from one angle to another (clockwise on screen, less
// than half a turn) with an arrowhead at its end.
Shape ArrowArc(Point c, double r, double halfWidth, double from, double to)
{
    const Shape wedge = Polygon({c, OnCircle(c, 12, from), OnCircle(c, 12, (from + to) / 2), OnCircle(c, 12, to)});
    const Shape arc = Intersect(Outline(Circle(c, r), halfWidth), wedge);
    const Point tangent = {-std::sin(to), std::cos(to)};
    const Point base = OnCircle(c, r, to);
    const double spread = halfWidth + 1.5;
    const Point outer = {base.x + std::cos(to) * spread, base.y + std::sin(to) * spread};
    const Point inner = {base.x - std::cos(to) * spread, base.y - std::sin(to) * spread};
    const Point tip = {base.x + tangent.x * 2.9, base.y + tangent.y * 2.9};
    return Union(arc, Polygon({outer, tip, inner}));
}

void PaintRefresh(Canvas& c)
{
    const Point centre = {8, 8};
    const double deg = PI / 180;
    const Shape arrows = Union(ArrowArc(centre, 5.0, 1.0, 195 * deg, 320 * deg),
                               ArrowArc(centre, 5.0, 1.0, 15 * deg, 140 * deg));
    c.Fill(Grow(arrows, 0.55), Solid(Opaque(12, 64, 130)));
    c.Fill(arrows, Linear({3, 3}, {13, 13}, Opaque(110, 200, 255), Opaque(26, 120, 214)));
}

// A floppy disk.
void PaintSave(Canvas& c)
{
    const Shape body = Subtract(Box({8, 8}, 6.5, 6.5, 1.0), Polygon({{12, 0}, {16, 0}, {16, 4}}));
    c.Fill(Grow(body, 0.6), Solid(INK));
    c.Fill(body, Linear({8, 1.5}, {8, 14.5}, Opaque(70, 120, 220), Opaque(30, 70, 160)));
    c.Fill(Box({7.5, 4.0}, 3.5, 2.5, 0.3), Solid(Opaque(200, 208, 220)));
    c.Fill(Box({9.2, 4.0}, 0.8, 1.7), Solid(Opaque(40, 60, 110)));
    c.Fill(Box({8, 11.4}, 4.5, 2.6, 0.4), Solid(Opaque(250, 250, 250)));
    c.Fill(Box({8, 10.6}, 3.4, 0.35), Solid(Opaque(150, 160, 180)));
    c.Fill(Box({8, 12.2}, 3.4, 0.35), Solid(Opaque(150, 160, 180)));
}

// Three state badges fanned out: pick the state to show.
void PaintOverride(Canvas& c)
{
    const struct {
        Point at;
        Rgba light;
        Rgba deep;
    } discs[] = {
        {{5.0, 5.0}, Opaque(110, 220, 120), Opaque(20, 130, 50)},
        {{8.0, 8.0}, Opaque(255, 214, 90), Opaque(200, 120, 0)},
        {{11.0, 11.0}, Opaque(255, 120, 110), Opaque(190, 20, 30)},
    };
    for (const auto& d : discs) {
        c.Fill(Circle(d.at, 4.3), Solid(INK));
        c.Fill(Circle(d.at, 3.5), Radial({d.at.x - 1.2, d.at.y - 1.2}, 4.5, d.light, d.deep));
    }
}

// A gear.
void PaintSettings(Canvas& c)
{
    const Point centre = {8, 8};
    Shape gear = Circle(centre, 4.9);
    for (int i = 0; i < 4; ++i)   // each bar gives two opposite teeth
        gear = Union(gear, Box(centre, 1.35, 7.0, 0.5, i * PI / 4));
    gear = Subtract(gear, Circle(centre, 2.1));
    c.Fill(Grow(gear, 0.6), Solid(INK));
    c.Fill(gear, Linear({3, 2}, {13, 14}, Opaque(210, 216, 226), Opaque(110, 120, 138)));
}

// A blue information disc.
void PaintVersion(Canvas& c)
{
    const Point centre = {8, 8};
    c.Fill(Circle(centre, 7.4), Solid(Opaque(14, 60, 140)));
    c.Fill(Circle(centre, 6.6), Radial({6.5, 5.5}, 8, Opaque(90, 170, 255), Opaque(24, 96, 200)));
    c.Fill(Circle({8, 4.6}, 1.25), Solid(WHITE));
    c.Fill(Box({8, 10.0}, 1.1, 3.0, 0.3), Solid(WHITE));
}

// A red power symbol.
void PaintExit(Canvas& c)
{
    const Point centre = {8, 8.6};
    const Shape ring = Subtract(Outline(Circle(centre, 5.2), 1.15), Polygon({{8, 8.6}, {3.2, -1}, {12.8, -1}}));
    const Shape bar = Segment({8, 1.6}, {8, 7.6}, 1.15);
    const Shape all = Union(ring, bar);
    c.Fill(Grow(all, 0.6), Solid(Opaque(100, 10, 14)));
    c.Fill(all, Linear({8, 1}, {8, 15}, Opaque(255, 96, 90), Opaque(200, 20, 26)));
}

// --- Application icon: a hard disk with a thermometer ----------------------------
void PaintApplication(Canvas& c)
{
    // Drive body, top view.
    const Shape body = Box({6.6, 8.2}, 5.7, 7.0, 1.2);
    c.Fill(Grow(body, 0.5), Solid(INK));
    c.Fill(body, Linear({1, 1}, {12, 15}, Opaque(176, 184, 198), Opaque(92, 100, 116)));
    // Platter and spindle.
    c.Fill(Circle({6.4, 7.0}, 4.4), Solid(Opaque(60, 66, 80)));
    c.Fill(Circle({6.4, 7.0}, 3.9), Radial({5.2, 5.6}, 5.4, Opaque(246, 248, 252), Opaque(150, 160, 178)));
    c.Fill(Circle({6.4, 7.0}, 1.0), Solid(Opaque(70, 76, 92)));
    // Head arm.
    c.Fill(Segment({10.2, 13.4}, {7.4, 8.6}, 0.55), Solid(Opaque(44, 48, 60)));
    c.Fill(Circle({10.2, 13.4}, 0.95), Solid(Opaque(44, 48, 60)));

    // Thermometer in front, on the right.
    const Shape tube = Union(Segment({12.8, 2.6}, {12.8, 11.0}, 1.55), Circle({12.8, 12.8}, 2.55));
    c.Fill(Grow(tube, 0.55), Solid(INK));
    c.Fill(tube, Solid(Opaque(248, 248, 250)));
    const Shape column = Union(Segment({12.8, 6.0}, {12.8, 11.5}, 0.75), Circle({12.8, 12.8}, 1.75));
    c.Fill(column, Linear({11, 6}, {14.5, 14}, Opaque(255, 80, 60), Opaque(200, 0, 16)));
}

IcoImage Render(const Picture& picture, int size, int bitCount)
{
    Canvas canvas(size);
    picture(canvas);
    IcoImage image;
    image.size = size;
    image.bitCount = bitCount;
    image.pixels = canvas.Pixels();
    return image;
}

struct Variant {
    int size;
    int bitCount;
};

IconFile Make(const char* name, const Picture& picture, const std::vector<Variant>& variants)
{
    IconFile file;
    file.name = name;
    for (const Variant& v : variants)
        file.images.push_back(Render(picture, v.size, v.bitCount));
    return file;
}

} // namespace

std::vector<IconFile> AllIconFiles()
{
    const std::vector<Variant> small = {{16, 32}};
    // Loaded at the system's small-icon size: 16 pixels at 100 % display
    // scaling, 20, 24 and 32 at 125, 150 and 200 %; each size is drawn.
    const std::vector<Variant> scaled = {{16, 32}, {20, 32}, {24, 32}, {32, 32}};
    const std::vector<Variant> larger = {{20, 32}, {24, 32}, {32, 32}};
    const auto badge = [](const BadgeTones& t) { return [t](Canvas& c) { PaintBadge(c, t); }; };
    const auto mark = [](void (*pixelArt)(Canvas&), void (*shapes)(Canvas&)) {
        return [pixelArt, shapes](Canvas& c) { PaintMark(c, pixelArt, shapes); };
    };
    const auto with = [](std::vector<Variant> variants, const std::vector<Variant>& more) {
        variants.insert(variants.end(), more.begin(), more.end());
        return variants;
    };
    return {
        Make("app.ico", PaintApplication,
             {{256, 32}, {128, 32}, {72, 32}, {64, 32}, {48, 32}, {32, 32}, {24, 32}, {16, 32}}),
        Make("app_small.ico", PaintApplication, small),
        Make("error_sign.ico", PaintProhibition, scaled),
        Make("menu_refresh.ico", PaintRefresh, with({{16, 32}, {16, 8}, {16, 4}}, larger)),
        Make("menu_save.ico", PaintSave, scaled),
        Make("menu_override.ico", PaintOverride, scaled),
        Make("menu_settings.ico", PaintSettings, scaled),
        Make("menu_version.ico", PaintVersion, scaled),
        Make("menu_exit.ico", PaintExit, scaled),
        Make("badge_good.ico", badge(GOOD_TONES), scaled),
        Make("badge_warn.ico", badge(CAUTION_TONES), scaled),
        Make("badge_dngr.ico", badge(DANGER_TONES), scaled),
        Make("mark_warn.ico", mark(PaintCautionMark, PaintCautionMarkShapes), with({{16, 4}}, larger)),
        Make("mark_dngr.ico", mark(PaintDangerMark, PaintDangerMarkShapes), with({{16, 4}}, larger)),
    };
}
