// Cell matrices, point conversion, the degree-based trigonometry and the occupancy flags.
#include "input/cell.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "input/session.hpp"
#include "shared/errors.hpp"

namespace kova {
namespace {

void set_cell(Records& r, std::array<float, 6> cell) { r.structure.cell = cell; }

TEST(MakeCellMatrices, OrthogonalCellAndListing) {
    test::Session s;
    set_cell(s.r, {10, 20, 30, 90, 90, 90});
    make_cell_matrices(s.r.io, Files::listing, s.r.structure);
    const Mat3f& t = s.r.structure.frac_to_cart;
    const Mat3f& ti = s.r.structure.cart_to_frac;
    const float diag[3] = {10, 20, 30};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            EXPECT_NEAR(t[i][j], i == j ? diag[i] : 0.0f, 1e-5f) << i << j;
            EXPECT_NEAR(ti[i][j], i == j ? 1.0f / diag[i] : 0.0f, 1e-7f) << i << j;
        }
    auto lines = s.listing();
    ASSERT_EQ(lines.size(), 11u);
    // cos(90 deg) in single precision is -4.371139e-8: b cos gamma = -8.74e-7 and
    // c cos beta = t = -1.31e-6 show in the eighth decimal
    const std::vector<std::string> head = {
        "",
        " Transformation matrix CRYSTAL --> GLOBAL CARTESIAN :",
        "    10.00000000    -0.00000087    -0.00000131",
        "     0.00000000    20.00000000    -0.00000131",
        "     0.00000000     0.00000000    30.00000000",
        "",
        " Transformation matrix GLOBAL CARTESIAN --> CRYSTAL :",
    };
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7), head);
    EXPECT_EQ(lines[7].substr(0, 15), "     0.10000000");
    EXPECT_EQ(lines[9].substr(30, 15), "     0.03333333");
    EXPECT_EQ(lines[9].size(), 45u);
    EXPECT_EQ(lines.back(), "  ");
    EXPECT_EQ(s.terminal(), std::vector<std::string>{"  "});
}

TEST(MakeCellMatrices, HexagonalAndMonoclinicCells) {
    {
        test::Session s;
        set_cell(s.r, {5, 5, 7, 90, 90, 120});
        make_cell_matrices(s.r.io, Files::listing, s.r.structure);
        const Mat3f& t = s.r.structure.frac_to_cart;
        EXPECT_NEAR(t[0][1], -2.5f, 1e-5f);                     // -b/2
        EXPECT_NEAR(t[1][1], 5.0f * std::sqrt(3.0f) / 2, 1e-5f);  // b sqrt(3)/2
        EXPECT_NEAR(t[2][2], 7.0f, 1e-5f);
    }
    {
        test::Session s;
        set_cell(s.r, {5, 6, 7, 90, 100, 90});
        make_cell_matrices(s.r.io, Files::listing, s.r.structure);
        const Mat3f& t = s.r.structure.frac_to_cart;
        EXPECT_NEAR(t[1][2], 0.0f, 1e-5f);         // t vanishes with alpha = gamma = 90
        EXPECT_NEAR(t[0][2], -1.2155373f, 1e-5f);  // 7 cos 100 deg
        EXPECT_NEAR(t[2][2], 6.8936543f, 1e-5f);   // 7 sin 100 deg
        EXPECT_NEAR(t[1][1], 6.0f, 1e-5f);
    }
}

TEST(CellMatrices, ConversionsRoundTripInATriclinicCell) {
    test::Session s;
    set_cell(s.r, {7.1f, 8.3f, 9.5f, 75, 85, 110});
    make_cell_matrices(s.r.io, Files::listing, s.r.structure);
    const Fractional p = {0.1f, -0.7f, 1.3f};
    Cartesian c = to_cartesian(s.r.structure.frac_to_cart, p);
    const Fractional f = to_fractional(s.r.structure.cart_to_frac, c);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(f[k], p[k], 2e-6f) << k;
    // x is along a: the a axis itself goes to (a, 0, 0)
    c = to_cartesian(s.r.structure.frac_to_cart, Fractional{1, 0, 0});
    EXPECT_EQ(c[0], 7.1f);
    EXPECT_EQ(c[1], 0.0f);
    EXPECT_EQ(c[2], 0.0f);
}

TEST(CellErrors, StopThroughFatalError) {
    struct Case {
        std::array<float, 6> cell;
        const char* line;
    };
    const Case cases[] = {
        // gamma may not exceed alpha + beta: nothing is left for the third axis
        {{10, 10, 10, 30, 30, 120},
         " ERROR *** TranMat *** Cell angles 30.000, 30.000, 120.000 admit no real third axis"},
        // gamma 0 divides by sin gamma = 0
        {{10, 10, 10, 90, 90, 0},
         " ERROR *** TranMat *** Cell angles 90.000, 90.000, 0.000 admit no real third axis"},
        {{0, 10, 10, 90, 90, 90}, " ERROR *** Inverse *** Determinant = 0"},
    };
    for (const Case& c : cases) {
        test::Session s;
        set_cell(s.r, c.cell);
        EXPECT_THROW(make_cell_matrices(s.r.io, Files::listing, s.r.structure), RunStop);
        auto t = s.terminal();
        ASSERT_EQ(t.size(), 3u);
        EXPECT_EQ(t[1], c.line);
        EXPECT_EQ(s.listing(), t);  // the same lines in the listing
    }
}

// A 10 Å cubic cell; atoms get their Cartesian positions from their fractional ones.
struct OccCase {
    const char* what;
    Fractional xf;
    float occ;
    int flag;
};

void run_occ(test::Session& s, const std::vector<OccCase>& cases) {
    set_cell(s.r, {10, 10, 10, 90, 90, 90});
    make_cell_matrices(s.r.io, Files::listing, s.r.structure);
    int n = static_cast<int>(cases.size());
    s.r.ensure_atoms(n);
    s.r.structure.atom_count = n;
    for (int i = 1; i <= n; ++i) {
        const OccCase& c = cases[static_cast<std::size_t>(i - 1)];
        s.r.structure.frac[i] = c.xf;
        s.r.structure.occupancy[i] = c.occ;
        s.r.structure.occupancy_flag[i] = 7;
        s.r.structure.cart[i] = to_cartesian(s.r.structure.frac_to_cart, c.xf);
    }
    set_occupancy_flags(s.r.structure);
    for (int i = 1; i <= n; ++i)
        EXPECT_EQ(s.r.structure.occupancy_flag[i], cases[static_cast<std::size_t>(i - 1)].flag)
            << cases[static_cast<std::size_t>(i - 1)].what;
}

void set_ops(Records& r, const std::vector<std::pair<Mat3f, Vec3f>>& ops) {
    r.structure.symmetry.count = static_cast<int>(ops.size());
    for (std::size_t n = 0; n < ops.size(); ++n) {
        r.structure.symmetry.rotation[n + 1] = ops[n].first;
        r.structure.symmetry.translation[n + 1] = ops[n].second;
    }
}

const Mat3f unit{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
const Mat3f inv{{{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}}};
const Mat3f mirror_y{{{1, 0, 0}, {0, -1, 0}, {0, 0, 1}}};  // x, -y, z

TEST(SetOccupancyFlags, CentrosymmetricCell) {
    test::Session s;
    set_ops(s.r, {{unit, {}}, {inv, {}}});
    run_occ(s, {
                   {"half atom at the origin", {0, 0, 0}, 0.5f, 1},
                   {"half atom on a general position", {0.1f, 0.2f, 0.3f}, 0.5f, -1},
                   {"full atom at the origin is not searched", {0, 0, 0}, 1.0f, 0},
                   {"0.99999 is searched", {0, 0, 0}, 0.99999f, 1},
                   {"0.99999 on a general position", {0.1f, 0.2f, 0.3f}, 0.99999f, -1},
                   // inversion then the shift (1, 1, 1)
                   {"half atom at the cell centre", {0.5f, 0.5f, 0.5f}, 0.5f, 1},
               });
}

TEST(SetOccupancyFlags, MirrorFoundThroughALatticeShift) {
    test::Session s;
    set_ops(s.r, {{unit, {}}, {mirror_y, {}}});
    run_occ(s, {
                   // y = 1/2 goes to -1/2, back on the atom with the shift v = 1
                   {"on the plane y = 1/2", {0.1f, 0.5f, 0.2f}, 0.5f, 1},
                   {"on the plane y = 0", {0.1f, 0.0f, 0.2f}, 0.5f, 1},
                   {"off the plane", {0.1f, 0.3f, 0.2f}, 0.5f, -1},
                   // y = 3.5 maps to -3.5: a shift of 7 cells along b is needed
                   {"far outside the cell", {0.1f, 3.5f, 0.2f}, 0.5f, -1},
                   // y = 1.0 maps to -1.0: the shift 2 still reaches it
                   {"two cells away", {0.1f, 1.0f, 0.2f}, 0.5f, 1},
               });
}

TEST(SetOccupancyFlags, IdentityAloneOrNoOperators) {
    {
        test::Session s;
        set_ops(s.r, {{unit, {}}});  // the identity's shifted copies are a cell away
        run_occ(s, {{"identity only", {0.1f, 0.2f, 0.3f}, 0.5f, -1}});
    }
    {
        test::Session s;
        set_ops(s.r, {});
        run_occ(s, {{"no operators", {0, 0, 0}, 0.5f, -1}, {"full", {0, 0, 0}, 1.0f, 0}});
    }
}

}  // namespace
}  // namespace kova
