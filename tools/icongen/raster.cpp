// Signed distance shapes and the canvas that paints them.
#include "raster.h"

#include <algorithm>
#include <cmath>

namespace {

double Length(double x, double y)
{
    return std::sqrt(x * x + y * y);
}

double Clamp(double v, double lo, double hi)
{
    return std::min(std::max(v, lo), hi);
}

Rgba Mix(Rgba a, Rgba b, double t)
{
    t = Clamp(t, 0, 1);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

} // namespace

Shape Circle(Point c, double r)
{
    return [=](Point p) { return Length(p.x - c.x, p.y - c.y) - r; };
}

Shape Box(Point c, double hw, double hh, double radius, double angle)
{
    const double cs = std::cos(angle);
    const double sn = std::sin(angle);
    return [=](Point p) {
        const double lx = (p.x - c.x) * cs + (p.y - c.y) * sn;
        const double ly = -(p.x - c.x) * sn + (p.y - c.y) * cs;
        const double qx = std::fabs(lx) - hw + radius;
        const double qy = std::fabs(ly) - hh + radius;
        return Length(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
    };
}

Shape Segment(Point a, Point b, double hw)
{
    return [=](Point p) {
        const double px = p.x - a.x, py = p.y - a.y, bx = b.x - a.x, by = b.y - a.y;
        const double h = Clamp((px * bx + py * by) / (bx * bx + by * by), 0, 1);
        return Length(px - bx * h, py - by * h) - hw;
    };
}

Shape Polygon(std::vector<Point> v)
{
    return [v](Point p) {
        double d = (p.x - v[0].x) * (p.x - v[0].x) + (p.y - v[0].y) * (p.y - v[0].y);
        double s = 1;
        for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i, ++i) {
            const double ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
            const double wx = p.x - v[i].x, wy = p.y - v[i].y;
            const double h = Clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0, 1);
            const double bx = wx - ex * h, by = wy - ey * h;
            d = std::min(d, bx * bx + by * by);
            const bool c1 = p.y >= v[i].y, c2 = p.y < v[j].y, c3 = ex * wy > ey * wx;
            if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
                s = -s;
        }
        return s * std::sqrt(d);
    };
}

Shape Union(Shape a, Shape b)
{
    return [=](Point p) { return std::min(a(p), b(p)); };
}

Shape Subtract(Shape a, Shape b)
{
    return [=](Point p) { return std::max(a(p), -b(p)); };
}

Shape Intersect(Shape a, Shape b)
{
    return [=](Point p) { return std::max(a(p), b(p)); };
}

Shape Outline(Shape s, double hw)
{
    return [=](Point p) { return std::fabs(s(p)) - hw; };
}

Shape Grow(Shape s, double by)
{
    return [=](Point p) { return s(p) - by; };
}

Paint Solid(Rgba c)
{
    return [=](Point) { return c; };
}

Paint Linear(Point from, Point to, Rgba c0, Rgba c1)
{
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double len2 = dx * dx + dy * dy;
    return [=](Point p) { return Mix(c0, c1, ((p.x - from.x) * dx + (p.y - from.y) * dy) / len2); };
}

Paint Radial(Point c, double radius, Rgba inner, Rgba outer)
{
    return [=](Point p) { return Mix(inner, outer, Length(p.x - c.x, p.y - c.y) / radius); };
}

Canvas::Canvas(int size) : size_(size), rgba_(static_cast<size_t>(size) * size * 4, 0.0) {}

void Canvas::Fill(const Shape& shape, const Paint& paint, double softness)
{
    const double scale = size_ / 16.0;   // pixels per design unit
    for (int y = 0; y < size_; ++y) {
        for (int x = 0; x < size_; ++x) {
            const Point p = {(x + 0.5) / scale, (y + 0.5) / scale};
            const double cover = Clamp(0.5 - shape(p) * scale / softness, 0, 1);
            if (cover <= 0)
                continue;
            const Rgba c = paint(p);
            const double a = cover * c.a / 255.0;
            double* px = &rgba_[(static_cast<size_t>(y) * size_ + x) * 4];
            px[0] = c.r * a + px[0] * (1 - a);
            px[1] = c.g * a + px[1] * (1 - a);
            px[2] = c.b * a + px[2] * (1 - a);
            px[3] = 255.0 * a + px[3] * (1 - a);
        }
    }
}

std::vector<uint32_t> Canvas::Pixels() const
{
    std::vector<uint32_t> out(static_cast<size_t>(size_) * size_);
    for (size_t i = 0; i < out.size(); ++i) {
        const double* px = &rgba_[i * 4];
        const double a = px[3];
        auto channel = [a](double premultiplied) {
            return static_cast<uint32_t>(std::lround(Clamp(a > 0 ? premultiplied * 255.0 / a : 0, 0, 255)));
        };
        const uint32_t alpha = static_cast<uint32_t>(std::lround(Clamp(a, 0, 255)));
        out[i] = alpha == 0 ? 0 : alpha << 24 | channel(px[0]) << 16 | channel(px[1]) << 8 | channel(px[2]);
    }
    return out;
}
