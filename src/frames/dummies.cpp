// The dummy-atom store (make or reuse within 0.1 Å, labels, symmetry-image axis atoms), the
// axes of the frame picture in kova.spf and the small geometry helpers of the frame rules.
// The reuse test and the image test look only at the grid cells around the point, and take
// the lowest index that the plain scans over all dummies or all images would have taken first.
#include "frames/dummies.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/geometry.hpp"

namespace kova {

namespace {

constexpr float reuse_dist = 0.1f;    // Å, strictly closer reuses a dummy
constexpr float image_dist = 0.001f;  // Å, at most this far is "on the image"

// Cell edges of the two grids (Å); a query visits the few cells its distance reaches.
constexpr double dummy_cell = 0.5;
constexpr double image_cell = 1.0;

// How far from a point a grid query must reach for the points that a test of `limit` (Å) on
// the single-precision distance can accept: a little slack for the rounding of that distance.
double reach(float limit) { return static_cast<double>(limit) * (1.0 + 1e-5) + 1e-6; }

// Brings the dummy grid in line with the store: dummies only ever grow, so new ones are
// added; a shorter store (a new frame analysis) or another matrix starts it afresh.
void sync_dummies(const Records& r) {
    DummyIndex& ix = r.index.dummies;
    const int stored = std::max(
        0, std::min(r.frames.dummy_count, static_cast<int>(r.frames.dummy_xyz.size()) - 1));
    if (!ix.made || ix.indexed_count > stored || ix.frac_to_cart != r.structure.frac_to_cart) {
        ix = DummyIndex{};
        ix.made = true;
        ix.frac_to_cart = r.structure.frac_to_cart;
        ix.cart.assign(1, Cartesian{});
        ix.grid.build(dummy_cell, {}, 1);
    }
    for (int k = ix.indexed_count + 1; k <= stored; ++k) {
        const Cartesian p = dummy_cartesian(r, k);
        ix.cart.push_back(p);
        ix.grid.insert(k, widen(p));
    }
    ix.indexed_count = stored;
}

// The first stored dummy (the lowest number) strictly closer than 0.1 Å to pc; 0 when none.
int reusable_dummy(const Records& r, const Cartesian& pc) {
    sync_dummies(r);
    const DummyIndex& ix = r.index.dummies;
    int best = 0;
    ix.grid.visit(widen(pc), reach(reuse_dist), [&](int k) {
        if ((best == 0 || k < best) &&
            distance(pc, ix.cart[static_cast<std::size_t>(k)]) < reuse_dist)
            best = k;
    });
    return best;
}

void sync_images(const Records& r) {
    ImageIndex& ix = r.index.images;
    if (ix.atom_count == r.structure.atom_count && ix.list_size == r.topology.list_size) return;
    ix = ImageIndex{};
    ix.atom_count = r.structure.atom_count;
    ix.list_size = r.topology.list_size;
    const int first = std::max(r.structure.atom_count, 0) + 1;
    const int last = std::min(r.topology.list_size, r.atom_slots());
    std::vector<Vec3d> pts;
    for (int j = first; j <= last; ++j)
        pts.push_back(widen(r.structure.cart[static_cast<std::size_t>(j)]));
    ix.grid.build(image_cell, pts, first);
}

// The images j (ascending) whose Cartesian position is within 0.001 Å of p.
std::vector<int> images_at(const Records& r, const Cartesian& p) {
    std::vector<int> hits;
    r.index.images.grid.visit(widen(p), reach(image_dist), [&](int j) {
        if (distance(r.structure.cart[static_cast<std::size_t>(j)], p) <= image_dist)
            hits.push_back(j);
    });
    std::sort(hits.begin(), hits.end());
    return hits;
}

// The label of a new dummy at the position of image j, which replaces the axis label `lab`
// (no reuse test).
std::string replace_by_dummy(Io& io, Records& r, int j, const std::string& lab, char let) {
    const int k = r.frames.dummy_count + 1;
    r.frames.dummy_count = k;
    r.ensure_dummies(k);
    label_dummy(io, r, k);
    io.write(Files::listing, "");
    io.write(Files::listing, " Atom " + trim(lab) + " used in definition of " +
                                 std::string(1, let) + "-axis is" +
                                 " symmetry-generated; replace with dummy " + fi(k, 4));
    r.frames.dummy_xyz[static_cast<std::size_t>(k)] = r.structure.frac[static_cast<std::size_t>(j)];
    return pad(r.frames.dummy_label[static_cast<std::size_t>(k)], 8);
}

int axis_code(char c) { return c == 'X' ? 0 : c == 'Y' ? 1 : c == 'Z' ? 2 : -1; }

}  // namespace

Cartesian dummy_cartesian(const Records& r, int k) {
    return to_cartesian(r.structure.frac_to_cart, r.frames.dummy_xyz[static_cast<std::size_t>(k)]);
}

DummyChoice choose_dummy(const Records& r, const std::vector<NewDummy>& pending,
                         const AnyPosition& point) {
    // The point in Å for the reuse test, and as the store keeps it.
    Cartesian pc;
    AnyPosition stored;
    if (!r.options.crystal_input) {
        pc = Cartesian{coordinates(point)};
        stored = pc;
    } else if (const Fractional* pf = std::get_if<Fractional>(&point)) {
        pc = to_cartesian(r.structure.frac_to_cart, *pf);
        stored = *pf;
    } else {
        pc = std::get<Cartesian>(point);
        stored = to_fractional(r.structure.cart_to_frac, pc);
    }
    if (r.frames.dummy_count > 0) {
        if (const int k = reusable_dummy(r, pc); k > 0)
            return {{k, r.index.dummies.cart[static_cast<std::size_t>(k)]}, std::nullopt};
    }
    // The pending dummies follow the store's, so the first of them near the point is the one a
    // store already holding them would give.
    for (const NewDummy& d : pending) {
        const Cartesian c = to_cartesian(r.structure.frac_to_cart, d.stored);
        if (distance(pc, c) < reuse_dist) return {{d.number, c}, std::nullopt};
    }
    const int k = r.frames.dummy_count + static_cast<int>(pending.size()) + 1;
    return {{k, pc}, NewDummy{k, stored}};
}

int store_dummy(Io& io, Records& r, const AnyPosition& stored) {
    const int k = r.frames.dummy_count + 1;
    r.frames.dummy_count = k;
    r.ensure_dummies(k);
    label_dummy(io, r, k);
    r.frames.dummy_xyz[static_cast<std::size_t>(k)] = stored;
    return k;
}

DummyPlace add_dummy_atom(Io& io, Records& r, const AnyPosition& point) {
    const DummyChoice choice = choose_dummy(r, {}, point);
    if (choice.made) store_dummy(io, r, choice.made->stored);
    return choice.place;
}

std::string dummy_label(int k) { return pad("DUM" + std::to_string(k), 6); }

void check_dummy_number(Io& io, int k) {
    if (k >= 1000) fatal_error(io, Files::listing, "DummyLab", "DUMMY label exceeds format...");
}

void label_dummy(Io& io, Records& r, int k) {
    check_dummy_number(io, k);
    if (k < 1) return;
    r.ensure_dummies(k);
    r.frames.dummy_label[static_cast<std::size_t>(k)] = dummy_label(k);
}

std::pair<std::string, std::string> replace_image_targets(Io& io, Records& r,
                                                          const Cartesian& target1,
                                                          const Cartesian& target2,
                                                          std::string label1, std::string label2,
                                                          char axis1, char axis2) {
    if (r.topology.list_size <= r.structure.atom_count) return {label1, label2};
    sync_images(r);
    std::vector<int> on1 = images_at(r, target1), on2 = images_at(r, target2);
    // Image by image, axis 1 before axis 2, as a walk over all images would meet them.
    std::size_t a = 0, b = 0;
    while (a < on1.size() || b < on2.size()) {
        int j = std::min(a < on1.size() ? on1[a] : r.topology.list_size + 1,
                         b < on2.size() ? on2[b] : r.topology.list_size + 1);
        if (a < on1.size() && on1[a] == j) {
            label1 = replace_by_dummy(io, r, j, label1, axis1);
            ++a;
        }
        if (b < on2.size() && on2[b] == j) {
            label2 = replace_by_dummy(io, r, j, label2, axis2);
            ++b;
        }
    }
    return {label1, label2};
}

std::array<Cartesian, 3> frame_axis_ends(const Cartesian& p, const Cartesian& target1,
                                         const Cartesian& target2, char axis1, char axis2) {
    Vec3f r1 = difference(target1, p), r2 = difference(target2, p);
    Vec3f n = cross_product(r1, r2);
    Vec3f w = cross_product(n, r1);
    if (!(vector_length(n) > 0.0f) || !(vector_length(w) > 0.0f) || !(vector_length(r1) > 0.0f)) {
        // Axis points on one line with the atom: keep the first axis (the Cartesian x axis when
        // it has no length) and complete it with the Cartesian axis it is least along.
        float l1 = vector_length(r1);
        Vec3f u = l1 > 0.0f ? Vec3f{r1[0] / l1, r1[1] / l1, r1[2] / l1} : Vec3f{1.0f, 0.0f, 0.0f};
        int least = 0;
        for (int k = 1; k < 3; ++k)
            if (std::fabs(u[k]) < std::fabs(u[least])) least = k;
        Vec3f e{};
        e[static_cast<std::size_t>(least)] = 1.0f;
        r1 = u;
        n = cross_product(u, e);
        w = cross_product(n, u);
    }

    int c1 = axis_code(axis1), c2 = axis_code(axis2);
    if (c1 < 0 || c2 < 0 || c1 == c2) {  // not a frame the rules make: draw it as X, Y
        c1 = 0;
        c2 = 1;
    }
    int c3 = 3 - c1 - c2;
    // The third axis completes a right-handed set, as the XD atom line declares: for the
    // cyclic pairs (X,Y), (Y,Z), (Z,X) that is r1 x r2, for the others its opposite.
    bool cyclic = (c2 - c1 + 3) % 3 == 1;
    Vec3f third = cyclic ? n : Vec3f{-n[0], -n[1], -n[2]};
    std::array<Vec3f, 3> axes;
    axes[static_cast<std::size_t>(c1)] = r1;
    axes[static_cast<std::size_t>(c2)] = w;
    axes[static_cast<std::size_t>(c3)] = third;

    return place_axis_ends(p, axes[0], axes[1], axes[2]);
}

std::array<Cartesian, 3> place_axis_ends(const Cartesian& p, const Vec3f& dir1,
                                         const Vec3f& dir2, const Vec3f& dir3) {
    auto end = [&p](const Vec3f& v) {
        Cartesian e;
        float l = vector_length(v);
        for (int k = 0; k < 3; ++k) e[k] = l > 0.0f ? p[k] + 0.2f * v[k] / l : p[k];
        return e;
    };
    return {end(dir1), end(dir2), end(dir3)};
}

Cartesian midpoint(const Cartesian& a, const Cartesian& b) {
    return {(a[0] + b[0]) * 0.5f, (a[1] + b[1]) * 0.5f, (a[2] + b[2]) * 0.5f};
}

float angle_of_points(const Vec3f& a, const Vec3f& vertex, const Vec3f& c) {
    Vec3f d1{a[0] - vertex[0], a[1] - vertex[1], a[2] - vertex[2]};
    Vec3f d2{c[0] - vertex[0], c[1] - vertex[1], c[2] - vertex[2]};
    float dot = d1[0] * d2[0] + d1[1] * d2[1] + d1[2] * d2[2];
    float den = vector_length(d1) * vector_length(d2);
    if (!(den > 0.0f)) return 0.0f;  // a point on the vertex: no angle; 0 rather than NaN
    // Rounding can push the cosine of a straight or folded triple just past 1.
    float cosine = std::clamp(dot / den, -1.0f, 1.0f);
    return static_cast<float>(static_cast<double>(std::acos(cosine)) * 57.29577791868205);
}

void write_angle_line(Io& io, const Records& r, int channel, int i1, int i2, int i3, float angle) {
    std::string rec = " Angle   ";
    rec.reserve(64);
    auto lab = [&r, &rec](int i) {
        if (i >= 1 && i <= r.atom_slots())
            put_trim(rec, r.structure.label[static_cast<std::size_t>(i)]);
    };
    lab(i1);
    rec += " - ";
    lab(i2);
    rec += " - ";
    lab(i3);
    rec += " = ";
    put_ff(rec, angle, 8, 2);
    rec += " deg.";
    io.write(channel, "");
    io.write(channel, rec);
}

}  // namespace kova
