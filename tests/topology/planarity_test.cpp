// The planarity test and the small vector routines.
#include "topology/planarity.hpp"

#include <cmath>
#include <gtest/gtest.h>

#include "bench.hpp"

namespace kova {
namespace {

using test::Bench;

std::vector<int> all_of(const Records& r) {
    std::vector<int> l(1, 0);
    for (int k = 1; k <= r.structure.atom_count; ++k) l.push_back(k);
    return l;
}

// The square of the edge cases: (0,0,d), (1,0,-d), (1,1,d), (0,1,-d); the plane is z = 0,
// the distances are +-d and sigpln = sqrt(4 d^2 / (4 - 3)) = 2d.
void square(Bench& b, float d) {
    b.add("C1", 6, 0, 0, d);
    b.add("C2", 6, 1, 0, -d);
    b.add("C3", 6, 1, 1, d);
    b.add("C4", 6, 0, 1, -d);
}

TEST(Planarity, SquareWithinAndBeyondTolerance) {
    struct Case { float d; bool planar; const char* esd; };
    for (const Case& c : {Case{0.04f, true, "      0.0800"}, Case{0.06f, false, "      0.1200"}}) {
        Bench b;
        b.r.options.verbosity = 2;
        square(b, c.d);
        bool lplan = !c.planar;
        lplan = planarity(b.r.io, b.r, true, 4, all_of(b.r), PlanarityKind::ring);
        EXPECT_EQ(lplan, c.planar) << c.d;
        auto l = b.listing();
        ASSERT_EQ(l.size(), 15u);
        test::expect_lines(l, {"", " Planarity test for   4-atom ring : ", "",
                               "  C1        C2        C3        C4      ", ""});
        // the normal is +-(0, 0, 1) through the centroid (0.5, 0.5, 0): P Q R S = 0 0 +-1 0
        ASSERT_EQ(l[5].substr(0, 15), "     P Q R S = ");
        const float want[4] = {0.0f, 0.0f, 1.0f, 0.0f};
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(std::fabs(std::stof(l[5].substr(15 + 12 * k, 12))), want[k], 1e-4f) << l[5];
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(
                l[7 + k].substr(0, 41),
                "       dist. from " + pad(b.r.structure.label[k + 1], 8) + " to lsq plane =");
            EXPECT_NEAR(std::fabs(std::stof(l[7 + k].substr(41, 11))), c.d, 1e-3f);
        }
        EXPECT_EQ(l[12], std::string("     Esd atoms from the plane (sigpln) = ") + c.esd +
                             " ( tol =   0.1000 )");
        EXPECT_EQ(l[14],
                  std::string("     This ring is planar = .") + (c.planar ? "T" : "F") + ".");
    }
}

TEST(Planarity, ExactPlaneCollinearAndThreeAtoms) {
    // In z = 0 every distance is exactly 0: planar even with a tolerance of 0 (equality).
    Bench flat;
    square(flat, 0.0f);
    flat.r.options.tolerances.group = 0.0f;
    bool lplan = false;
    lplan = planarity(flat.r.io, flat.r, true, 4, all_of(flat.r), PlanarityKind::group);
    EXPECT_TRUE(lplan);
    auto l = flat.listing();
    EXPECT_EQ(l[1], " Planarity test for   4-atom group : ");
    EXPECT_EQ(l[l.size() - 3],
              "     Esd atoms from the plane (sigpln) =       0.0000 ( tol =   0.0000 )");
    EXPECT_EQ(l.back(), "     This group is planar = .T.");

    Bench line;
    for (int k = 0; k < 5; ++k) line.add("C", 6, 0.7f * k, 0.3f * k, -0.2f * k);
    lplan = false;
    lplan = planarity(line.r.io, line.r, false, 5, all_of(line.r), PlanarityKind::group);
    EXPECT_TRUE(lplan);

    // Three atoms always lie in a plane; the divisor n - 3 is zero and not used.
    Bench three;
    three.add("N1", 7, 0, 0, 0);
    three.add("C2", 6, 1.4f, 0, 0.3f);
    three.add("C3", 6, 0, 1.4f, -0.7f);
    lplan = false;
    lplan = planarity(three.r.io, three.r, true, 3, all_of(three.r), PlanarityKind::group);
    EXPECT_TRUE(lplan);
    EXPECT_EQ(three.listing()[5],
              "     Esd atoms from the plane (sigpln) =       0.0000 ( tol =   0.1000 )");
}

TEST(Planarity, PrintSwitchLabelsAndOrder) {
    Bench b;
    b.r.options.verbosity = 3;
    for (int k = 0; k < 7; ++k)  // a puckered ring of seven atoms
        b.add(test::numbered("C", k + 1), 6, 1.5f * std::cos(0.8975979f * k),
              1.5f * std::sin(0.8975979f * k), (k % 2) ? 0.3f : -0.3f);
    bool silent = true, loud = true;
    silent = planarity(b.r.io, b.r, false, 7, all_of(b.r), PlanarityKind::ring);
    EXPECT_TRUE(b.listing().empty());
    loud = planarity(b.r.io, b.r, true, 7, all_of(b.r), PlanarityKind::ring);
    EXPECT_FALSE(loud);
    EXPECT_EQ(silent, loud);
    auto l = b.listing();
    EXPECT_EQ(l[3], "  C1        C2        C3        C4        C5        C6      ");
    EXPECT_EQ(l[4], "  C7      ");
    // reversed list: the same verdict
    std::vector<int> rev = {0, 7, 6, 5, 4, 3, 2, 1};
    bool back = true;
    back = planarity(b.r.io, b.r, false, 7, rev, PlanarityKind::ring);
    EXPECT_EQ(back, loud);
}

TEST(AppendAtom, AppendsOnlyAnAtomNotListed) {
    std::vector<int> list = {0, 4, 9};
    int n = 2;
    EXPECT_TRUE(append_atom(list, n, 9));
    EXPECT_EQ(n, 2);
    EXPECT_FALSE(append_atom(list, n, 5));
    EXPECT_EQ(n, 3);
    EXPECT_EQ(list[3], 5);
}

}  // namespace
}  // namespace kova
