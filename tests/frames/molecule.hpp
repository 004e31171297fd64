// Small molecules with ideal geometry for the functional-group and X-H tests: atoms are placed
// by bond length and direction from an atom already placed, Cartesian input, and the
// neighbour stage is run once; the bonds it finds must be the bonds the test built.
#pragma once

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/records.hpp"
#include "support.hpp"
#include "topology/neighbours.hpp"

namespace kova::test {

inline Vec3f unit(Vec3f v) {
    float l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / l, v[1] / l, v[2] / l};
}
inline Vec3f plus(Vec3f a, Vec3f b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
inline Vec3f times(Vec3f a, float s) { return {a[0] * s, a[1] * s, a[2] * s}; }

// Bond directions. Trigonal, in the xy plane: 90, 210 and 330 degrees.
inline const Vec3f tri[3] = {
    {0.0f, 1.0f, 0.0f}, {-0.8660254f, -0.5f, 0.0f}, {0.8660254f, -0.5f, 0.0f}};
// Tetrahedral: the four body diagonals of a cube.
inline const Vec3f tet[4] = {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};

// The three further bonds of a tetrahedral atom reached along u (109.5 degrees from the bond
// back to its parent), k = 0, 1, 2.
inline Vec3f fan(Vec3f u, int k) {
    u = unit(u);
    Vec3f a = std::fabs(u[2]) < 0.9f ? Vec3f{0, 0, 1} : Vec3f{1, 0, 0};
    Vec3f e1 =
        unit({a[1] * u[2] - a[2] * u[1], a[2] * u[0] - a[0] * u[2], a[0] * u[1] - a[1] * u[0]});
    Vec3f e2 = {u[1] * e1[2] - u[2] * e1[1], u[2] * e1[0] - u[0] * e1[2],
                u[0] * e1[1] - u[1] * e1[0]};
    float phi = 2.0943951f * static_cast<float>(k);
    return plus(times(u, 0.3338f),
                plus(times(e1, 0.9426f * std::cos(phi)), times(e2, 0.9426f * std::sin(phi))));
}

class Molecule : public Workspace {
public:
    Molecule() : Workspace({.listing = true}) { r.options.crystal_input = false; }

    // A new atom; its element comes from the label as the readers give it.
    int at(const std::string& label, Vec3f x) {
        int i = ++n_;
        r.ensure_atoms(i);
        r.structure.label[i] = pad(label, 8);
        r.structure.cart[i] = Cartesian{x};
        r.structure.atomic_number[i] = atomic_number(label);
        return i;
    }
    // A new atom bonded to `from`, `len` Å away along `dir`.
    int on(int from, const std::string& label, Vec3f dir, float len) {
        int i = at(label, plus(r.structure.cart[from], times(unit(dir), len)));
        bonds_.insert({from, i});
        return i;
    }
    // Three H atoms fanned out from atom c, reached from its parent along u.
    void methyl_h(int c, Vec3f u, const std::string& stem) {
        for (int k = 0; k < 3; ++k) on(c, stem + std::to_string(k + 1) + ")", fan(u, k), 1.09f);
    }
    // A bond between two atoms already placed (ring closures).
    void bond(int a, int b) { bonds_.insert({std::min(a, b), std::max(a, b)}); }
    // A ring as the ring search stores it (`add_ring`), planar unless said otherwise.
    void ring(const std::vector<int>& members, bool planar = true) {
        add_ring(r, members, planar);
    }

    // The neighbour stage; the bonds found must be exactly those built.
    void neighbours() {
        r.structure.atom_count = n_;
        r.topology.list_size = n_;
        find_all_neighbours(r.io, r);
        std::set<std::pair<int, int>> found;
        for (int i = 1; i <= n_; ++i)
            for (int k = 1; k <= r.topology.neighbours[i].count; ++k) {
                int j = r.topology.neighbours[i].atom[k];
                found.insert({std::min(i, j), std::max(i, j)});
            }
        std::set<std::pair<int, int>> built;
        for (auto [a, b] : bonds_) built.insert({std::min(a, b), std::max(a, b)});
        ASSERT_EQ(found, built) << "the test geometry bonds other atoms than it means to";
    }

    // The listing from the given line on (lines written after `mark()`).
    int mark() { return static_cast<int>(file("kova.out").size()); }
    std::vector<std::string> listing(int from = 0) {
        auto all = file("kova.out");
        return {all.begin() + std::min<std::size_t>(from, all.size()), all.end()};
    }

private:
    int n_ = 0;
    std::set<std::pair<int, int>> bonds_;
};

}  // namespace kova::test
