// The site symmetry of a frame checked against the positions of the neighbours, and the
// highest true one chosen where the rule's is not. The operations are written in the frame's
// own axes, as the rules place them: "m" is the XY plane; "mm2" has its twofold axis along Z
// and the mirrors XZ and YZ; "3m" its threefold axis along Z and the mirror XZ; "-42m" its
// fourfold rotoinversion along Z and the mirrors XZ and YZ.
#include "frames/shape_symmetry.hpp"

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "frames/dummies.hpp"
#include "shared/format.hpp"

namespace kova {

namespace {

using Mat = std::array<std::array<float, 3>, 3>;

// A neighbour within the shape tolerance of its ideal direction and the image of another
// likewise lie within twice that of each other, so that distorted groups keep the symmetry of
// their ideal shapes.
constexpr float kMapTolerance = 2.0f * shape_tolerance;
constexpr float kTransAngle = 180.0f - shape_tolerance;

std::vector<Mat> generators(std::string_view sym) {
    const float c = -0.5f, s = std::sqrt(3.0f) / 2.0f;
    const Mat mirror_xy{{{1, 0, 0}, {0, 1, 0}, {0, 0, -1}}};
    const Mat mirror_yz{{{-1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    const Mat mirror_xz{{{1, 0, 0}, {0, -1, 0}, {0, 0, 1}}};
    if (sym == "m") return {mirror_xy};
    if (sym == "mm2") return {mirror_yz, mirror_xz};
    if (sym == "3m") return {Mat{{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}}, mirror_xz};
    if (sym == "-42m") return {Mat{{{0, 1, 0}, {-1, 0, 0}, {0, 0, -1}}}, mirror_yz};
    return {};
}

Vec3f unit(const Vec3f& a) {
    const float length = vector_length(a);
    return {a[0] / length, a[1] / length, a[2] / length};
}
int axis_index(char axis) { return axis == 'X' ? 0 : axis == 'Y' ? 1 : 2; }

bool equal_neighbours(const FrameDraft& f, int a, int b) {
    if (a == b) return true;
    for (const auto& [p, q] : f.equal_pairs)
        if ((p == a && q == b) || (p == b && q == a)) return true;
    return false;
}

// A candidate axis target: a neighbour, or the midpoint of an equal pair.
struct Point {
    Cartesian x;
    int atom = 0;  // the neighbour, or 0 for a midpoint
};

// The neighbours in distance order, then the midpoints of the equal pairs in the order found.
// A trans pair's midpoint lies next to the atom and gives its bisector no reliable direction.
std::vector<Point> candidate_targets(const Records& r, int i, const FrameDraft& f) {
    const NeighbourTable& t = r.topology.neighbours[i];
    std::vector<Point> candidates;
    for (int m = 1; m <= t.count; ++m)
        candidates.push_back({r.structure.cart[t.atom[m]], t.atom[m]});
    for (const auto& [a, b] : f.equal_pairs) {
        if (angle_at(r, r.structure.cart[a], i, b) >= kTransAngle) continue;
        Point p{};
        p.x = midpoint(r.structure.cart[a], r.structure.cart[b]);
        candidates.push_back(p);
    }
    return candidates;
}

struct Choice {
    const char* sym;
    char axis1, axis2;
};
// From the highest site symmetry to the lowest; the second axis lies in a mirror.
constexpr Choice kChoices[] = {
    {"-42m", 'Z', 'Y'}, {"3m", 'Z', 'X'}, {"mm2", 'Z', 'Y'}, {"m", 'X', 'Y'}};

void target_point(Io& io, const Records& r, FrameDraft& f, int which, const Point& p) {
    if (p.atom != 0)
        target_atom(r, f, which, p.atom);
    else
        target_dummy(io, r, f, which, p.x);
}

}  // namespace

bool shape_has(const Records& r, int i, const FrameDraft& f, std::string_view sym, char axis1,
               const Vec3f& target1, char axis2, const Vec3f& target2) {
    const Vec3f& atom = r.structure.cart[i];
    std::array<Vec3f, 3> e{};
    const int first = axis_index(axis1), second = axis_index(axis2), third = 3 - first - second;
    e[first] = unit(difference(target1, atom));
    const Vec3f w = difference(target2, atom);
    const float p = dot_product(w, e[first]);
    e[second] = unit({w[0] - p * e[first][0], w[1] - p * e[first][1], w[2] - p * e[first][2]});
    e[third] = cross_product(e[(third + 1) % 3], e[(third + 2) % 3]);  // right-handed

    const NeighbourTable& t = r.topology.neighbours[i];
    std::vector<Vec3f> local;
    for (int m = 1; m <= t.count; ++m) {
        const Vec3f d = unit(difference(r.structure.cart[t.atom[m]], atom));
        local.push_back({dot_product(e[0], d), dot_product(e[1], d), dot_product(e[2], d)});
    }
    const float cos_tolerance = std::cos(kMapTolerance * 3.14159265f / 180.0f);
    for (const Mat& g : generators(sym)) {
        for (int m = 0; m < t.count; ++m) {
            const Vec3f& v = local[m];
            const Vec3f image{dot_product(g[0], v), dot_product(g[1], v), dot_product(g[2], v)};
            bool found = false;
            for (int n = 0; n < t.count && !found; ++n)
                found = equal_neighbours(f, t.atom[m + 1], t.atom[n + 1]) &&
                        dot_product(image, local[n]) >= cos_tolerance;
            if (!found) return false;
        }
    }
    return true;
}

namespace {

// The highest site symmetry, and the two candidate targets of its axes, that the shape of the
// neighbours makes true; no choice when not even a mirror is.
struct HighestTrueSymmetry {
    const Choice* choice = nullptr;
    const Point* first = nullptr;
    const Point* second = nullptr;
};
HighestTrueSymmetry highest_true_symmetry(const Records& r, int i, const FrameDraft& f,
                                          const std::vector<Point>& candidates) {
    for (const Choice& c : kChoices) {
        for (const Point& p : candidates) {
            for (const Point& q : candidates) {
                FrameDraft trial;
                trial.target1 = p.x;
                trial.target2 = q.x;
                if (&p != &q && frame_defined(r, i, trial) &&
                    shape_has(r, i, f, c.sym, c.axis1, p.x, c.axis2, q.x))
                    return {&c, &p, &q};
            }
        }
    }
    return {};
}

}  // namespace

void check_site_symmetry_or_fall_back(Io& io, const Records& r, int i, FrameDraft& f) {
    const std::string rule(f.site_symmetry);
    if (rule != "-42m" && rule != "3m" && rule != "mm2") return;
    // A frame the rule could not define realises no symmetry either.
    if (frame_defined(r, i, f) && shape_has(r, i, f, rule, f.axis1, f.target1, f.axis2, f.target2))
        return;

    // The check follows the rule at once, so every new dummy of the frame is the rule's: it
    // goes with the frame, never made.
    f.new_dummies.clear();
    const std::vector<Point> candidates = candidate_targets(r, i, f);
    if (const HighestTrueSymmetry found = highest_true_symmetry(r, i, f, candidates);
        found.choice) {
        f.site_symmetry = found.choice->sym;
        f.axis1 = found.choice->axis1;
        target_point(io, r, f, 1, *found.first);
        f.axis2 = found.choice->axis2;
        target_point(io, r, f, 2, *found.second);
        list_after_empty_line(io, " The neighbours lack the site symmetry " + rule +
                                      " in the rule's axes; " + found.choice->sym + " with " +
                                      f.axis1 + "-axis towards " + trim(f.label1) + " and " +
                                      f.axis2 + "-axis towards " + trim(f.label2));
        return;
    }
    // No mirror either: the frame of an atom without equal neighbours, by the canonical order.
    canonical_order_frame(r, f, "NO");
    list_after_empty_line(io, " The neighbours lack the site symmetry " + rule +
                                  " in the rule's axes; NO with X-axis towards " + trim(f.label1) +
                                  " and Y-axis towards " + trim(f.label2));
}

}  // namespace kova
