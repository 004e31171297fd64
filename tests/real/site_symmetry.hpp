// The operations of the six site symmetries, applied in a frame given by its two axis letters
// and targets, and the check that they map an atom's neighbours onto neighbours of the same
// element. The operations are written in the frame's own axes, as the frames of the rules
// place them: "m" is the XY plane; "mm2" has its twofold axis along Z and mirrors XZ and YZ;
// "3m" its threefold axis along Z and the mirror XZ; "-42m" its fourfold rotoinversion along
// Z and mirrors XZ and YZ; "cyl" every rotation about Z.
#pragma once

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "real/readback.hpp"

namespace kova::test {

using readback::Point;

inline Point sub(const Point& a, const Point& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
inline double dot(const Point& a, const Point& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline Point cross(const Point& a, const Point& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline Point unit(const Point& a) {
    double l = std::sqrt(dot(a, a));
    return {a[0] / l, a[1] / l, a[2] / l};
}

// The generators of a site symmetry as functions of local coordinates.
using Op = Point (*)(const Point&);
inline std::vector<Op> generators(const std::string& sym) {
    static const double c = -0.5, s = std::sqrt(3.0) / 2.0, c37 = std::cos(0.65),
                        s37 = std::sin(0.65);
    if (sym == "m") return {[](const Point& v) { return Point{v[0], v[1], -v[2]}; }};
    if (sym == "mm2")
        return {[](const Point& v) { return Point{-v[0], v[1], v[2]}; },
                [](const Point& v) { return Point{v[0], -v[1], v[2]}; }};
    if (sym == "3m")
        return {[](const Point& v) {
                    return Point{c * v[0] - s * v[1], s * v[0] + c * v[1], v[2]};
                },
                [](const Point& v) {
                    return Point{v[0], -v[1], v[2]};
                }};
    if (sym == "-42m")
        return {[](const Point& v) { return Point{v[1], -v[0], -v[2]}; },
                [](const Point& v) { return Point{-v[0], v[1], v[2]}; }};
    if (sym == "cyl")
        return {[](const Point& v) {
                    return Point{c37 * v[0] - s37 * v[1], s37 * v[0] + c37 * v[1], v[2]};
                },
                [](const Point& v) {
                    return Point{-v[0], v[1], v[2]};
                }};
    return {};  // "NO"
}

struct Neighbour {
    std::string element;
    Point x;  // Cartesian, Å
};

// An empty text when every generator maps every neighbour's direction within tol_deg of the
// direction of a neighbour of the same element; otherwise what failed.
inline std::string symmetry_fault(const std::string& sym, const Point& atom, char ax1,
                                  const Point& t1, char ax2, const Point& t2,
                                  const std::vector<Neighbour>& nei, double tol_deg) {
    auto idx = [](char c) { return c == 'X' ? 0 : c == 'Y' ? 1 : 2; };
    Point e[3];
    const int i1 = idx(ax1), i2 = idx(ax2), i3 = 3 - i1 - i2;
    e[i1] = unit(sub(t1, atom));
    Point w = sub(t2, atom);
    double p = dot(w, e[i1]);
    e[i2] = unit({w[0] - p * e[i1][0], w[1] - p * e[i1][1], w[2] - p * e[i1][2]});
    e[i3] = cross(e[(i3 + 1) % 3], e[(i3 + 2) % 3]);  // right-handed
    auto local = [&](const Point& x) {
        Point d = unit(sub(x, atom));
        return Point{dot(e[0], d), dot(e[1], d), dot(e[2], d)};
    };
    const double cos_tol = std::cos(tol_deg * 3.14159265358979 / 180.0);
    for (Op op : generators(sym)) {
        for (const Neighbour& n : nei) {
            Point image = op(local(n.x));
            bool found = false;
            for (const Neighbour& m : nei)
                found = found || (m.element == n.element && dot(image, local(m.x)) >= cos_tol);
            if (!found)
                return sym + " maps neighbour " + n.element + " onto no neighbour of its element";
        }
    }
    return "";
}

}  // namespace kova::test
