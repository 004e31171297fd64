// Completion of molecules and complete.ang, and the incremental completion against the
// restarting scan.
#include "topology/molecules.hpp"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>

#include "bench.hpp"
#include "output/complete_ang.hpp"
#include "scans.hpp"
#include "shared/cpu_time.hpp"
#include "shared/errors.hpp"

namespace kova {
namespace {

using test::Bench;
using Rows = std::array<std::array<float, 3>, 3>;
constexpr Rows kIdentity = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
constexpr Rows kInversion = {{{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}}};

// complete.ang as the road makes it, when images were added.
void write_complete_file(Bench& b) {
    if (has_complete_ang(b.r.structure, b.r.topology))
        test::write_whole(b.r.io, Files::complete_ang, "complete.ang",
                          [&] { write_complete_ang(b.r.io, b.r.structure, b.r.topology); });
}

// The completion as a run makes it: the stage, then its file.
void complete(Bench& b) {
    complete_molecules(b.r.io, b.r);
    write_complete_file(b);
}

// The restarting scan, listed and written as the stage and the writer do.
void complete_by_scan(Bench& b) {
    test::complete_molecules_scan(b.r);
    list_complete_fragments(b.r.io, b.r);
    write_complete_file(b);
}

void crystal(Bench& b, const std::array<float, 6>& cell, int ncells) {
    b.r.structure.cell = cell;
    b.r.structure.frac_to_cart = test::cell_matrix(cell);
    b.r.options.ncells = ncells;
    b.r.structure.symmetry.count = 0;
    test::add_operator(b.r, kIdentity, {0, 0, 0});
}

// An atom at fractional (x, y, z), its Cartesian place from the cell.
int atom(Bench& b, const std::string& label, int z, float x, float y, float zf) {
    int k = b.add(label, z, 0, 0, 0);
    b.r.structure.frac[k] = {x, y, zf};
    test::set_cartesian(b.r, k, k);
    return k;
}

std::vector<float> xs(const Records& r) {
    std::vector<float> v;
    for (int k = 1; k <= r.topology.list_size; ++k) v.push_back(r.structure.cart[k][0]);
    return v;
}

// Half of a molecule on an inversion centre in a 10 Å cube: C1 (0.5, 0.5, 0.5 Å) and C2
// (1.5, 0.5, 0.5 Å), and O3 on the centre. C1' is 1.732 Å from C1 (limit 1.74), C2' 1.0 Å
// from C1'; O3' coincides with O3.
void inversion_half(Bench& b, int extra_inversions = 1) {
    crystal(b, {10, 10, 10, 90, 90, 90}, 0);
    for (int k = 0; k < extra_inversions; ++k) test::add_operator(b.r, kInversion, {0, 0, 0});
    atom(b, "C1", 6, 0.05f, 0.05f, 0.05f);
    atom(b, "C2", 6, 0.15f, 0.05f, 0.05f);
    atom(b, "O3", 8, 0.0f, 0.0f, 0.0f);
}

TEST(Completion, HalfMoleculeOnInversionCentre) {
    Bench b;
    inversion_half(b);
    complete(b);
    ASSERT_EQ(b.r.topology.list_size, 5);
    EXPECT_EQ(b.r.structure.atom_count, 3);
    EXPECT_EQ(b.r.topology.source_atom, (std::vector<int>{0, 0, 0, 0, 1, 2}));
    EXPECT_EQ(b.r.topology.image_count, (std::vector<int>{0, 1, 1, 0, 0, 0}));
    EXPECT_EQ(b.r.structure.label[4], pad("C1", 8));
    EXPECT_EQ(b.r.structure.atomic_number[5], 6);
    // columns: I6, 1X, A8, 1X, 3F9.4, 1X, 3F8.3, I8, I4
    test::expect_lines(
        b.listing(),
        {
            "",
            " List of atoms in complete fragment(s) :",
            "",
            "       ATOM        ------ FRACTIONAL ------    ----- CARTESIAN -----     ISQ NSQ",
            std::string("     1 C1       ") + "   0.0500   0.0500   0.0500" + " " +
                "   0.500   0.500   0.500" + "       0   1",
            std::string("     2 C2       ") + "   0.1500   0.0500   0.0500" + " " +
                "   1.500   0.500   0.500" + "       0   1",
            std::string("     3 O3       ") + "   0.0000   0.0000   0.0000" + " " +
                "   0.000   0.000   0.000" + "       0   0",
            std::string("     4 C1       ") + "  -0.0500  -0.0500  -0.0500" + " " +
                "  -0.500  -0.500  -0.500" + "       1   0",
            std::string("     5 C2       ") + "  -0.1500  -0.0500  -0.0500" + " " +
                "  -1.500  -0.500  -0.500" + "       2   0",
            "",
            " File with complete fragment(s) in PLATON format : complete.ang",
        });
    EXPECT_EQ(b.listing().size(), 11u);
    auto ang = b.file("complete.ang");
    ASSERT_EQ(ang.size(), 5u);  // no ANGSTROM line
    // "ATOM " + label right-justified in 10 + 3 blanks + 3F12.4
    EXPECT_EQ(ang[0],
              std::string("ATOM ") + "  C1      " + "   " + "      0.5000      0.5000      0.5000");
    EXPECT_EQ(ang[4],
              std::string("ATOM ") + "  C2      " + "   " + "     -1.5000     -0.5000     -0.5000");

    Bench twice;  // an operator repeated gives only coincident images
    inversion_half(twice, 2);
    complete(twice);
    EXPECT_EQ(twice.r.topology.list_size, 5);
}

TEST(Completion, AcrossCellEdgeNeedsShifts) {
    // A at x = 0.92, B at 0.06 of a 10 Å axis: 8.6 Å apart in the cell, 1.4 Å across the edge.
    for (int ncells : {0, 1}) {
        Bench b;
        crystal(b, {10, 10, 10, 90, 90, 90}, ncells);
        atom(b, "A", 6, 0.92f, 0.5f, 0.5f);
        atom(b, "B", 6, 0.06f, 0.5f, 0.5f);
        b.dir.write("complete.ang", "from an earlier run\n");
        complete(b);
        if (ncells == 0) {
            EXPECT_EQ(b.r.topology.list_size, 2);
            EXPECT_TRUE(b.listing().empty());
            EXPECT_EQ(b.dir.read("complete.ang"), "from an earlier run\n");
            continue;
        }
        // A shifted by -1 comes first in the scan (source 1), then B shifted by +1
        ASSERT_EQ(b.r.topology.list_size, 4);
        EXPECT_FLOAT_EQ(b.r.structure.frac[3][0], 0.92f - 1.0f);
        EXPECT_FLOAT_EQ(b.r.structure.frac[4][0], 0.06f + 1.0f);
        EXPECT_EQ(b.r.topology.source_atom[3], 1);
        EXPECT_EQ(b.r.topology.source_atom[4], 2);
    }
}

TEST(Completion, ImageBondedOnlyToAnImageAndTheRestart) {
    // One carbon in a cell 1.5 Å long on a: its images at -1.5 and +1.5 Å bond it, those at
    // -3.0 and +3.0 Å bond only the images. After -1.5 is accepted the scan starts again and
    // meets -3.0 (shift -2) before +1.5 (shift +1).
    for (bool plain : {false, true}) {
        Bench b;
        crystal(b, {1.5f, 10, 10, 90, 90, 90}, 2);
        atom(b, "C1", 6, 0, 0, 0);
        plain ? complete_by_scan(b) : complete(b);
        EXPECT_EQ(xs(b.r), (std::vector<float>{0.0f, -1.5f, -3.0f, 1.5f, 3.0f})) << plain;
        EXPECT_EQ(b.r.topology.image_count[1], 4);
    }
}

TEST(Completion, ImageExactlyAtTheBondLimit) {
    const float lim = (0.77f + 0.77f) + 0.2f;  // covrad(m) + covrad(i) + tol1
    for (float a : {lim, std::nextafter(lim, 9.0f)}) {
        Bench b;
        b.r.structure.frac_to_cart = {{{a, 0, 0}, {0, 10, 0}, {0, 0, 10}}};
        b.r.options.ncells = 1;
        test::add_operator(b.r, kIdentity, {0, 0, 0});
        atom(b, "C1", 6, 0, 0, 0);
        complete_molecules(b.r.io, b.r);
        EXPECT_EQ(b.r.topology.list_size, a == lim ? 3 : 1) << a;
    }
}

TEST(Completion, TooManyAtomsStops) {
    // The chain of images of the restart test, long enough to pass 100000 atoms.
    Bench b;
    crystal(b, {1.5f, 10, 10, 90, 90, 90}, 60000);
    atom(b, "C1", 6, 0, 0, 0);
    CpuClock clock;
    EXPECT_THROW(complete_molecules(b.r.io, b.r), RunStop);
    std::printf("completion, 100000 images: %.2f s\n", clock.lap().user);
    EXPECT_EQ(b.r.topology.list_size, max_atoms);
    auto t = b.terminal();
    EXPECT_EQ(t,
              (std::vector<std::string>{"", " ERROR *** GenCompleteFrags *** Too many atoms", ""}));
}

// Cartesian to fractional for the upper-triangular cell matrix.
Vec3f frac_of(const Mat3f& m, const Vec3f& x) {
    Vec3f f{};
    f[2] = x[2] / m[2][2];
    f[1] = (x[1] - m[1][2] * f[2]) / m[1][1];
    f[0] = (x[0] - m[0][1] * f[1] - m[0][2] * f[2]) / m[0][0];
    return f;
}

// A random crystal: a cell, the operators of one of five space groups, and chains of atoms
// (C, N, O, S with H) wandering from random places, often across the symmetry elements.
void random_crystal(Bench& b, unsigned seed, int ncells) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<float> u(0, 1);
    std::array<float, 6> cell = {6 + 6 * u(g), 6 + 6 * u(g), 6 + 6 * u(g), 90, 90 + 20 * u(g), 90};
    if (seed % 3 == 0)
        cell = {7 + 5 * u(g),   7 + 5 * u(g),   7 + 5 * u(g),
                80 + 20 * u(g), 80 + 20 * u(g), 80 + 20 * u(g)};
    crystal(b, cell, ncells);
    const float h = 0.5f;
    switch (seed % 5) {
        case 0: break;  // P1
        case 1: test::add_operator(b.r, kInversion, {0, 0, 0}); break;  // P-1
        case 2:  // P21/c
            test::add_operator(b.r, {{{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}}, {0, h, h});
            test::add_operator(b.r, kInversion, {0, 0, 0});
            test::add_operator(b.r, {{{1, 0, 0}, {0, -1, 0}, {0, 0, 1}}}, {0, h, h});
            break;
        case 3:  // P212121
            test::add_operator(b.r, {{{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}}}, {h, 0, h});
            test::add_operator(b.r, {{{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}}, {0, h, h});
            test::add_operator(b.r, {{{1, 0, 0}, {0, -1, 0}, {0, 0, -1}}}, {h, h, 0});
            break;
        default:  // C2/c: four operators and their C-centred partners
            for (Vec3f c : {Vec3f{0, 0, 0}, Vec3f{h, h, 0}}) {
                if (c[0] != 0) test::add_operator(b.r, kIdentity, c);
                test::add_operator(b.r, {{{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}}, {c[0], c[1], h});
                test::add_operator(b.r, kInversion, c);
                test::add_operator(b.r, {{{1, 0, 0}, {0, -1, 0}, {0, 0, 1}}}, {c[0], c[1], h});
            }
    }
    const int zs[] = {6, 6, 6, 7, 8, 16};
    int chains = 1 + static_cast<int>(g() % 3);
    for (int c = 0; c < chains; ++c) {
        Vec3f p = {cell[0] * (u(g) - 0.2f), cell[1] * (u(g) - 0.2f), cell[2] * (u(g) - 0.2f)};
        int len = 2 + static_cast<int>(g() % 6);
        for (int k = 0; k < len; ++k) {
            int z = zs[g() % 6];
            int at = atom(b,
                          test::numbered(z == 6   ? "C"
                                         : z == 7 ? "N"
                                         : z == 8 ? "O"
                                                  : "S",
                                         b.r.structure.atom_count + 1),
                          z, 0, 0, 0);
            b.r.structure.frac[at] = Fractional{frac_of(b.r.structure.frac_to_cart, p)};
            test::set_cartesian(b.r, at, at);
            if (g() % 3 == 0) {  // a hydrogen atom on it
                int hk = atom(b, test::numbered("H", b.r.structure.atom_count + 1), 1, 0, 0, 0);
                Vec3f q = {p[0] + 0.6f, p[1] - 0.5f, p[2] + 0.6f};
                b.r.structure.frac[hk] = Fractional{frac_of(b.r.structure.frac_to_cart, q)};
                test::set_cartesian(b.r, hk, hk);
            }
            float th = 6.2831853f * u(g), ph = std::acos(2 * u(g) - 1);
            p = {p[0] + 1.5f * std::sin(ph) * std::cos(th),
                 p[1] + 1.5f * std::sin(ph) * std::sin(th), p[2] + 1.5f * std::cos(ph)};
        }
    }
}

void expect_same_completion(Bench& fast, Bench& plain) {
    ASSERT_EQ(fast.r.topology.list_size, plain.r.topology.list_size);
    for (int k = 1; k <= fast.r.topology.list_size; ++k) {
        ASSERT_EQ(fast.r.structure.cart[k], plain.r.structure.cart[k]) << k;
        ASSERT_EQ(fast.r.structure.frac[k], plain.r.structure.frac[k]) << k;
        ASSERT_EQ(fast.r.topology.source_atom[k], plain.r.topology.source_atom[k]) << k;
        ASSERT_EQ(fast.r.topology.image_count[k], plain.r.topology.image_count[k]) << k;
        ASSERT_EQ(fast.r.structure.label[k], plain.r.structure.label[k]) << k;
    }
    EXPECT_EQ(fast.listing(), plain.listing());
    EXPECT_EQ(fast.dir.exists("complete.ang"), plain.dir.exists("complete.ang"));
    if (fast.dir.exists("complete.ang")) {
        EXPECT_EQ(fast.dir.read("complete.ang"), plain.dir.read("complete.ang"));
    }
}

TEST(Completion, SameAsScanOnRandomCrystals) {
#ifdef NDEBUG
    const unsigned seeds = 150;
#else
    const unsigned seeds = 50;  // sanitizer builds
#endif
    int grown = 0, compared = 0;
    for (unsigned seed = 1; seed <= seeds; ++seed)
        for (int ncells : {0, 1}) {
            Bench fast, plain;
            random_crystal(fast, seed, ncells);
            random_crystal(plain, seed, ncells);
            complete(fast);
#ifdef NDEBUG
            const int longest = 400;
#else
            const int longest = 150;  // sanitizer builds
#endif
            if (fast.r.topology.list_size > longest)
                continue;  // a polymer: too long for the restarting scan
            complete_by_scan(plain);
            SCOPED_TRACE("seed " + std::to_string(seed) + " ncells " + std::to_string(ncells));
            expect_same_completion(fast, plain);
            ++compared;
            if (fast.r.topology.list_size > fast.r.structure.atom_count) ++grown;
        }
    std::printf("completion against the scan: %d crystals, %d with images\n", compared, grown);
    EXPECT_GT(grown, static_cast<int>(seeds) / 2);
}

TEST(Completion, SameAsScanOnRealStructures) {
    int seen = 0;
    for (const std::string& rel : test::real_shelx_structures()) {
        const auto path = test::real_structure(rel);
        for (int ncells : {0, 1}) {
            Bench fast, plain;
            if (!test::read_shelx_geometry(fast.r, path) ||
                !test::read_shelx_geometry(plain.r, path))
                break;
                // the restarting scan is slow: real files up to a hundred atoms
#ifdef NDEBUG
            if (fast.r.structure.atom_count * fast.r.structure.symmetry.count > 800) break;
#else
            if (fast.r.structure.atom_count * fast.r.structure.symmetry.count > 200)
                break;  // sanitizer builds
#endif
            fast.r.options.ncells = plain.r.options.ncells = ncells;
            complete(fast);
            if (fast.r.topology.list_size > 300) break;
            complete_by_scan(plain);
            SCOPED_TRACE(rel + " ncells " + std::to_string(ncells));
            expect_same_completion(fast, plain);
            ++seen;
        }
    }
    EXPECT_GT(seen, 5);
}

}  // namespace
}  // namespace kova
