// A small vector rasteriser for the icon art: shapes as signed distance
// functions in design units (a 16-unit square), painted with analytic
// anti-aliasing onto a premultiplied RGBA canvas of any size.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

struct Point {
    double x;
    double y;
};

struct Rgba {
    double r, g, b, a;   // 0 to 255 each, straight alpha
};

constexpr Rgba Opaque(double r, double g, double b)
{
    return {r, g, b, 255};
}

// Signed distance in design units: negative inside.
using Shape = std::function<double(Point)>;
// Colour at a point in design units.
using Paint = std::function<Rgba(Point)>;

Shape Circle(Point centre, double radius);
// Rounded rectangle by centre, half extents, corner radius and rotation (radians).
Shape Box(Point centre, double halfWidth, double halfHeight, double radius = 0, double angle = 0);
// A stroke between two points with round ends.
Shape Segment(Point a, Point b, double halfWidth);
Shape Polygon(std::vector<Point> corners);
Shape Union(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
// The band of half width w around a shape's outline.
Shape Outline(Shape s, double halfWidth);
// The shape grown (positive) or shrunk (negative).
Shape Grow(Shape s, double by);

Paint Solid(Rgba c);
Paint Linear(Point from, Point to, Rgba c0, Rgba c1);
Paint Radial(Point centre, double radius, Rgba inner, Rgba outer);

class Canvas {
public:
    explicit Canvas(int size);
    int Size() const { return size_; }
    // Paints a shape; softness widens the anti-aliased edge (in pixels).
    void Fill(const Shape& shape, const Paint& paint, double softness = 1.0);
    // Straight-alpha pixels, 0xAARRGGBB, rows top-down.
    std::vector<uint32_t> Pixels() const;

private:
    int size_;
    std::vector<double> rgba_;   // premultiplied
};
