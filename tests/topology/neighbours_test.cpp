// The neighbour search, the stored tables and their printouts.
#include "topology/neighbours.hpp"

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <set>
#include <gtest/gtest.h>

#include "bench.hpp"
#include "scans.hpp"
#include "shared/cpu_time.hpp"
#include "shared/errors.hpp"

namespace kova {
namespace {

using test::Bench;

std::vector<int> found(const NeighbourList& g) {
    return std::vector<int>(g.atom.begin() + 1, g.atom.begin() + g.count + 1);
}

TEST(Neighbours, BondLimitIncludesEqualityAndRadiusMode) {
    Bench b;
    const float lim = (0.77f + 0.2f) + 0.77f;  // covrad(C) + tol1 + covrad(C), in that order
    b.add("C1", 6, 0, 0, 0);
    b.add("C2", 6, lim, 0, 0);                             // exactly at the limit: bonded
    b.add("C3", 6, -std::nextafter(lim, 9.0f), 0, 0);      // just beyond: not bonded
    b.add("C4", 6, 0, 2.0f, 0);                            // exactly 2.0
    NeighbourIndex index(b.r);
    NeighbourList g = search_neighbours(b.r.io, b.r, index, 1, 0.0f);
    EXPECT_EQ(found(g), (std::vector<int>{2}));
    EXPECT_FALSE(g.any_disordered);
    g = search_neighbours(b.r.io, b.r, index, 1, -3.0f);  // a negative radius: the covalent rule
    EXPECT_EQ(found(g), (std::vector<int>{2}));
    g = search_neighbours(b.r.io, b.r, index, 1, 2.0f);
    EXPECT_EQ(found(g), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(g.distance[3], 2.0f);
}

TEST(Neighbours, TooCloseAndSameSite) {
    Bench b;
    b.add("H1", 1, 0, 0, 0);
    b.add("H2", 1, 0, 0, 0.5f);     // exactly 0.5: kept
    b.add("H3", 1, 0, 0, -0.49f);   // below 0.5: dropped under either rule
    b.add("H4", 1, 0.8f, 0, 0);
    b.add("H5", 1, 0.805f, 0, 0);   // 0.005 from H4, which has the lower index
    NeighbourIndex index(b.r);
    for (float rmax : {0.0f, 2.0f}) {
        const NeighbourList g = search_neighbours(b.r.io, b.r, index, 1, rmax);
        EXPECT_FALSE(g.any_disordered) << rmax;  // no atom is disordered
        EXPECT_EQ(found(g), (std::vector<int>{2, 4})) << rmax;
    }
}

TEST(Neighbours, DisorderRule) {
    Bench b;
    b.add("C1", 6, 0, 0, 0, 0.5f, -1);
    b.add("C2", 6, 1.5f, 0, 0, 0.5f, -1);   // equal occupancy: neighbour
    b.add("C3", 6, -1.5f, 0, 0, 0.6f, -1);  // differs by 0.1: never
    b.add("C4", 6, 0, 1.5f, 0, 1.0f, 0);    // ordered: neighbour
    b.add("C5", 6, 0, -1.5f, 0, 0.5f, 1);   // special position: neighbour
    NeighbourIndex index(b.r);
    NeighbourList g = search_neighbours(b.r.io, b.r, index, 1, 0.0f);
    EXPECT_EQ(found(g), (std::vector<int>{2, 4, 5}));
    EXPECT_TRUE(g.any_disordered);
    g = search_neighbours(b.r.io, b.r, index, 4, 0.0f);  // C4 sees both disordered atoms
    EXPECT_EQ(found(g), (std::vector<int>{1}));
    EXPECT_TRUE(g.any_disordered);
    g = search_neighbours(b.r.io, b.r, index, 2, 0.0f);
    EXPECT_EQ(found(g), (std::vector<int>{1}));
}

// C1 bonded to C2, C3 and N4 at one distance; C2 carries H5, so C3 has fewer neighbours.
void branched(Bench& b) {
    b.add("C1", 6, 0, 0, 0);
    b.add("C2", 6, 1.4f, 0, 0);
    b.add("C3", 6, -1.4f, 0, 0);
    b.add("N4", 7, 0, 1.4f, 0);
    b.add("H5", 1, 1.4f, -1.0f, 0);
}

TEST(Neighbours, TypesCanonicalOrderAndAllAtomPrintout) {
    Bench b;
    branched(b);
    find_all_neighbours(b.r.io, b.r);
    const NeighbourTable& t = b.r.topology.neighbours[1];
    ASSERT_EQ(t.count, 3);
    EXPECT_EQ((std::vector<int>{t.atom[1], t.atom[2], t.atom[3]}),
              (std::vector<int>{2, 3, 4}));  // ties by index
    ASSERT_EQ(t.type_count, 2);
    EXPECT_EQ(t.type_atomic_number[1], 6);
    EXPECT_EQ(t.type_atomic_number[2], 7);
    // the printout re-sorted the carbon type: C3 (one neighbour of its own) before C2 (two)
    EXPECT_EQ((std::vector<int>{t.type_atom[1][1], t.type_atom[1][2]}), (std::vector<int>{3, 2}));
    const std::vector<int> order = neighbour_order(b.r.io, b.r, 1);
    EXPECT_EQ((std::vector<int>{order[1], order[2], order[3]}), (std::vector<int>{4, 3, 2}));

    // line: 5 blanks, Z (I4), own count (I4), distance (F11.3), index (I8), 3 blanks, label
    test::expect_lines(b.listing(), {
        "",
        " " + std::string(79, '-'),
        "",
        " IDENTIFYING COVALENTLY-BONDED NEIGHBORS FOR EACH ATOM",
        "",
        " Printout of neighbors of all atoms sorted by ",
        "    1) atomic number (descending)",
        "    2) hybridization ( ascending)",
        "    3) distance      ( ascending)",
        "",
        " Atom #      1 = C1       :",
        "        7   1      1.400       4   N4      ",
        "        6   1      1.400       3   C3      ",
        "        6   2      1.400       2   C2      ",
        "",
        " Atom #      2 = C2       :",
        "        6   3      1.400       1   C1      ",
        "        1   1      1.000       5   H5      ",
        "",
        " Atom #      3 = C3       :",
        "        6   3      1.400       1   C1      ",
        "",
        " Atom #      4 = N4       :",
        "        6   3      1.400       1   C1      ",
        "",
        " Atom #      5 = H5       :",
        "        6   2      1.000       2   C2      ",
    });
    EXPECT_EQ(b.listing().size(), 27u);
    EXPECT_EQ(b.terminal(), (std::vector<std::string>{
                                "", " IDENTIFYING COVALENTLY-BONDED NEIGHBORS FOR EACH ATOM"}));
}

TEST(Neighbours, IsolatedAtom) {
    Bench b;
    b.add("O1", 8, 0, 0, 0);
    NeighbourIndex index(b.r);
    const NeighbourList g = find_neighbours(b.r.io, b.r, index, 1, 0.0f, true);
    EXPECT_EQ(g.count, 0);
    EXPECT_EQ(g.type_count, 0);
    find_all_neighbours(b.r.io, b.r);
    auto l = b.listing();
    test::expect_lines(l, {"", " Covalently-bonded neighbors to O1 =    0", "",
                           "     i       n     r(Ang)    atom       occ"});
    EXPECT_EQ(l.back(), " Atom #      1 = O1       :");
    EXPECT_EQ(l[l.size() - 2], "");
}

TEST(Neighbours, ListingWithRadiusDisorderNoteAndTypeSummary) {
    Bench b;
    b.r.options.verbosity = 2;
    b.add("C1", 6, 0, 0, 0);
    for (int k = 1; k <= 7; ++k)  // seven H at 1.0, 1.1, ... Å along alternating axes
        b.add(test::numbered("H", k), 1, (k % 2) ? 0.9f + 0.1f * k : 0,
              (k % 2) ? 0 : 0.9f + 0.1f * k, 0, k == 3 ? 0.5f : 1.0f, k == 3 ? -1 : 0);
    NeighbourIndex index(b.r);
    find_neighbours(b.r.io, b.r, index, 1, 2.0f, true);
    auto l = b.listing();
    test::expect_lines(l, {
        "",
        " Neighbors of C1 within   2.000 Ang =    7",
        "",
        "     i       n     r(Ang)    atom       occ",
        "     1       2      1.000    H1         1.0000",
        "     2       3      1.100    H2         1.0000",
        "     3       4      1.200    H3         0.5000",
        "     4       5      1.300    H4         1.0000",
        "     5       6      1.400    H5         1.0000",
        "     6       7      1.500    H6         1.0000",
        "     7       8      1.600    H7         1.0000",
        "",
        "    Note : at least 1 neighbor is disordered",
        "",
        "    There is(are)    1 atom type(s) among neighbors",
        "",
        "    Type =    1",
        "      atomic number =    1",
        "      neighbors of this type =    7",
        "      atoms : H1       H2       H3       H4       H5       H6       ",
        "              H7       ",
    });
    EXPECT_EQ(l.size(), 21u);

    // The printout of the stored row: covalent heading, no note, a line of one blank per type.
    find_all_neighbours(b.r.io, b.r);
    list_stored_neighbours(b.r.io, b.r, 1, Files::listing);
    // Covalent limit C-H 0.77 + 0.2 + 0.40 = 1.37: H1 to H4. The all-atom printout put the
    // members in order of their own neighbour counts: H1 also bonds H7 (0.6 Å; H3 and H5 are
    // closer than 0.5), H2, H3 and H4 bond C1 alone, so H2, H3, H4 (by distance), then H1.
    auto p = b.listing_from(" Covalently-bonded neighbors to C1 =    4");
    test::expect_lines(p, {
        " Covalently-bonded neighbors to C1 =    4",
        "",
        "     i       n     r(Ang)    atom       occ",
        "     1       2      1.000    H1         1.0000",
        "     2       3      1.100    H2         1.0000",
        "     3       4      1.200    H3         0.5000",
        "     4       5      1.300    H4         1.0000",
        "",
        "    There is(are)    1 atom type(s) among neighbors",
        " ",
        "    Type =    1",
        "      atomic number =    1",
        "      neighbors of this type =    4",
        "      atoms : H2       H3       H4       H1       ",
    });
    EXPECT_EQ(p.size(), 14u);
}

TEST(Neighbours, ThousandNeighboursAllowedTheNextStops) {
    Bench b;
    b.add("X1", 6, 0, 0, 0);
    for (int x = -5; x <= 5 && b.r.structure.atom_count < 1001; ++x)
        for (int y = -5; y <= 5 && b.r.structure.atom_count < 1001; ++y)
            for (int z = -5; z <= 5 && b.r.structure.atom_count < 1001; ++z)
                if (x || y || z) b.add("Q", 1, float(x), float(y), float(z));
    ASSERT_EQ(b.r.structure.atom_count, 1001);  // the centre and 1000 others
    NeighbourIndex index(b.r);
    const NeighbourList g = find_neighbours(b.r.io, b.r, index, 1, 30.0f, false);
    EXPECT_EQ(g.count, 1000);
    const int nearest = g.atom[1];
    EXPECT_EQ(first_neighbour(b.r.io, b.r, index, 1, 30.0f, [](int) { return true; }), nearest);
    b.add("Q", 1, 0, 0, 9.0f);
    NeighbourIndex grown(b.r);  // the list is longer: a new index
    // the nearest atom would do, but the whole search stops the run
    EXPECT_THROW(first_neighbour(b.r.io, b.r, grown, 1, 30.0f, [](int) { return true; }), RunStop);
    b.out.str("");
    b.r.io.create(Files::listing, "kova.out");
    EXPECT_THROW(find_neighbours(b.r.io, b.r, grown, 1, 30.0f, false), RunStop);
    const std::vector<std::string> msg = {
        "",
        " GetNei :: atom =        1  X1      ",
        "           rmax =       30.000",
        "           inei exceeds dimension maxnei (   1000 )",
        "",
    };
    EXPECT_EQ(b.terminal(), msg);
    EXPECT_EQ(b.listing(), msg);
}

TEST(Neighbours, MoreThanTwentyKeptAndCollected) {
    Bench b;
    b.add("AU1", 79, 0, 0, 0);
    for (int k = 0; k < 24; ++k) {  // 24 H at 1.5 Å (limit 1.36 + 0.2 + 0.40), 15 degrees apart
        float a = 0.2617994f * static_cast<float>(k);
        b.add("H", 1, 1.5f * std::cos(a), 1.5f * std::sin(a), 0);
    }
    find_all_neighbours(b.r.io, b.r);
    EXPECT_EQ(b.r.topology.neighbours[1].count, 24);
    EXPECT_EQ(b.r.topology.neighbours[1].type_size[1], 24);
    std::vector<int> list = collect_neighbours(b.r, 1);
    ASSERT_EQ(list.size(), 26u);  // slot 0, 24 neighbours, the atom
    EXPECT_EQ(list[1], b.r.topology.neighbours[1].atom[1]);
    EXPECT_EQ(list[25], 1);
    // H2: the two H 0.78 Å away (30 degrees apart on the circle), then AU1 at 1.5 Å, then itself
    // (the H 15 degrees away are 0.39 Å off, too close)
    list = collect_neighbours(b.r, 2);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ((std::set<int>{list[1], list[2]}), (std::set<int>{4, 24}));
    EXPECT_EQ(list[3], 1);
    EXPECT_EQ(list[4], 2);
    // an atom with no neighbours, and none at all: the atom alone
    EXPECT_EQ(collect_neighbours(Bench().r, 1), (std::vector<int>{0, 1}));
}

TEST(Neighbours, SortCountMismatchStops) {
    Bench b;
    branched(b);
    find_all_neighbours(b.r.io, b.r);
    b.r.topology.neighbours[1].count = 4;
    EXPECT_THROW(neighbour_order(b.r.io, b.r, 1), RunStop);
    auto l = b.listing();
    EXPECT_EQ(l[l.size() - 2], " ERROR *** SortNei *** l.ne.nnei(k)");
}

// The search through `index` against the plain scan, atom by atom, for the covalent rule and
// radii.
void expect_same_as_scan(test::RunRecords& r, NeighbourIndex& index, int step = 1,
                         std::vector<float> radii = {0.0f, 2.0f, 3.5f, 10.0f}) {
    for (int i = 1; i <= r.topology.list_size; i += step)
        for (float rmax : radii) {
            const NeighbourList fast = search_neighbours(r.io, r, index, i, rmax);
            const NeighbourList plain = test::search_neighbours_scan(r, i, rmax);
            ASSERT_EQ(fast.count, plain.count) << "atom " << i << " rmax " << rmax;
            ASSERT_EQ(fast.atom, plain.atom) << "atom " << i << " rmax " << rmax;
            ASSERT_EQ(fast.distance, plain.distance) << "atom " << i << " rmax " << rmax;
            ASSERT_EQ(fast.any_disordered, plain.any_disordered) << "atom " << i;
        }
}

// The same through an index of the records as they stand.
void expect_same_as_scan(test::RunRecords& r, int step = 1,
                         std::vector<float> radii = {0.0f, 2.0f, 3.5f, 10.0f}) {
    NeighbourIndex index(r);
    expect_same_as_scan(r, index, step, std::move(radii));
}

TEST(NeighbourIndex, SameAsScanOnRandomClusters) {
    struct Case { int n; unsigned seed; float volume; };
    for (const Case& c :
         {Case{400, 1, 12.0f}, Case{1500, 2, 8.0f}, Case{800, 3, 60.0f}, Case{300, 4, 1.0f}}) {
        Bench b;
        test::random_cluster(b.r, c.n, c.seed, c.volume);
        SCOPED_TRACE(c.seed);
        expect_same_as_scan(b.r, c.n > 1000 ? 3 : 1);
    }
}

// The same-site rule compares an atom only with the atoms taken at nearly its distance from
// the centre: copies of sites at 0.002 to 0.02 Å in every direction, some in chains of copies,
// must be dropped or kept as the scan does, at small and large radii.
TEST(NeighbourIndex, SameSiteCopiesAsInTheScan) {
    Bench b;
    test::random_cluster(b.r, 600, 21, 12.0f, false);
    for (int k = 1; k <= 600; ++k) b.r.structure.occupancy_flag[k] = 0;
    std::mt19937 g(5);
    std::uniform_real_distribution<float> dir(-1.0f, 1.0f);
    const float offsets[] = {0.002f, 0.0099f, 0.01f, 0.0101f, 0.015f, 0.02f};
    for (int k = 2; k <= 600; k += 3) {
        const int from = k % 9 == 5 ? k - 2 : k - 1;  // sometimes a copy of a copy
        Vec3f v{dir(g), dir(g), dir(g)};
        const float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        const float off = offsets[static_cast<std::size_t>(k / 3) % 6];
        for (int c = 0; c < 3; ++c)
            b.r.structure.cart[k][c] = b.r.structure.cart[from][c] + v[c] / len * off;
    }
    expect_same_as_scan(b.r, 1, {0.0f, 3.5f, 10.0f});
}

// The first accepted atom of a search, found among the nearest atoms when they decide, is the
// one a walk over the whole search gives: sparse and dense clusters, copies of sites near the
// centre, radii below and above the near range, predicates that accept near, far or nothing.
TEST(NeighbourIndex, FirstNeighbourAsTheWholeSearch) {
    struct Case { int n; unsigned seed; float volume; };
    for (const Case& c : {Case{500, 31, 12.0f}, Case{400, 32, 2.0f}, Case{300, 33, 60.0f}}) {
        Bench b;
        test::random_cluster(b.r, c.n, c.seed, c.volume);
        for (int k = 3; k <= c.n; k += 5) {  // copies 0.004 Å away
            b.r.structure.cart[k] = b.r.structure.cart[k - 2];
            b.r.structure.cart[k][1] += 0.004f;
        }
        const std::function<bool(int)> takes[] = {
            [&](int j) { return b.r.structure.atomic_number[j] != 1; },
            [&](int j) { return j % 7 == 0; },
            [&](int j) { return b.r.structure.atomic_number[j] == 53 && j > c.n / 2; },
            [](int) { return false; },
        };
        NeighbourIndex index(b.r);
        for (int i = 1; i <= c.n; i += 7)
            for (float rmax : {2.5f, 4.0f, 10.0f})
                for (const auto& take : takes) {
                    const NeighbourList g = find_neighbours(b.r.io, b.r, index, i, rmax, false);
                    int want = 0;
                    for (int m = 1; m <= g.count && want == 0; ++m)
                        if (take(g.atom[m])) want = g.atom[m];
                    ASSERT_EQ(first_neighbour(b.r.io, b.r, index, i, rmax, take), want)
                        << "seed " << c.seed << " atom " << i << " rmax " << rmax;
                }
    }
    // A site shared across the edge of the near range: C2 (4.005 Å, the lower index) is taken
    // and C3 (3.999 Å, 0.006 Å from it) dropped by the whole search, so C4 at 6 Å comes first.
    Bench e;
    e.add("C1", 6, 0, 0, 0);
    e.add("C2", 6, 4.005f, 0, 0);
    e.add("C3", 6, 3.999f, 0, 0);
    e.add("C4", 6, 0, 6.0f, 0);
    NeighbourIndex near_edge(e.r);
    EXPECT_EQ(first_neighbour(e.r.io, e.r, near_edge, 1, 10.0f, [](int j) { return j != 2; }), 4);
    EXPECT_EQ(first_neighbour(e.r.io, e.r, near_edge, 1, 10.0f, [](int) { return true; }), 2);
}

TEST(NeighbourIndex, SameAsScanWithOddCoordinatesAndTolerances) {
    Bench b;
    test::random_cluster(b.r, 150, 7);
    const float inf = std::numeric_limits<float>::infinity();
    b.r.structure.cart[5] = {std::nanf(""), 0, 0};
    b.r.structure.cart[6] = {inf, 1, 1};
    b.r.structure.cart[7] = {1e30f, 2, 2};
    b.r.structure.cart[8] = {1e30f, 2, 3};   // 1 Å from atom 7, far out
    b.r.structure.cart[9] = {2e5f, 0, 0};
    b.r.structure.cart[10] = {2e5f, 1.2f, 0};
    b.r.structure.atomic_number[11] = 0;              // no element: the fallback radius
    b.r.structure.atomic_number[12] = 120;
    for (float tol : {0.2f, -0.5f, 40.0f, std::nanf(""), inf, -inf}) {
        b.r.options.tolerances.bond = tol;
        SCOPED_TRACE(tol);
        expect_same_as_scan(b.r, 1, {0.0f, 2.0f, inf});
    }
}

// An index follows the atoms that move_atom moves: the searches through it give the plain
// scan's answers wherever the atoms went, near or far, in short lists and long ones.
TEST(NeighbourIndex, MovedAtomsAreFound) {
    // Atom 17 moved 1 Å from atom 3, into bonding distance.
    Bench b;
    test::random_cluster(b.r, 200, 11);
    NeighbourIndex index(b.r);
    expect_same_as_scan(b.r, index, 1, {0.0f});
    Cartesian next_to_3 = b.r.structure.cart[3];
    next_to_3[2] += 1.0f;
    move_atom(b.r, index, 17, next_to_3);
    EXPECT_EQ(b.r.structure.cart[17], next_to_3);
    expect_same_as_scan(b.r, index, 1, {0.0f});

    // In a long list: atom 5999 moved 1.1 Å from atom 1, found from either.
    Bench big;
    test::random_cluster(big.r, 6000, 12);
    big.r.structure.occupancy_flag[1] = big.r.structure.occupancy_flag[5999] = 0;
    NeighbourIndex big_index(big.r);
    search_neighbours(big.r.io, big.r, big_index, 1, 0.0f);
    Cartesian next_to_1 = big.r.structure.cart[1];
    next_to_1[0] += 1.1f;
    move_atom(big.r, big_index, 5999, next_to_1);
    NeighbourList plain;
    for (int i : {5999, 1}) {
        const NeighbourList fast = search_neighbours(big.r.io, big.r, big_index, i, 2.0f);
        plain = test::search_neighbours_scan(big.r, i, 2.0f);
        EXPECT_EQ(fast.any_disordered, plain.any_disordered) << i;
        EXPECT_EQ(fast.atom, plain.atom);
    }
    EXPECT_NE(std::find(plain.atom.begin(), plain.atom.end(), 5999),
              plain.atom.end());  // atom 1's

    // As the X-H extension does, after the neighbour stage: H2 leaves C1 for C3, 30 Å away;
    // C1 then has no neighbour, C3 has H2.
    Bench xh;
    test::random_cluster(xh.r, 6000, 13);
    for (int k : {1, 2, 3}) xh.r.structure.occupancy_flag[k] = 0;
    xh.r.structure.atomic_number[1] = xh.r.structure.atomic_number[3] = 6;
    xh.r.structure.atomic_number[2] = 1;
    xh.r.structure.cart[1] = {-50, -50, -50};
    xh.r.structure.cart[2] = {-50.95f, -50, -50};
    xh.r.structure.cart[3] = {-80, -50, -50};
    find_all_neighbours(xh.r.io, xh.r);
    ASSERT_EQ(xh.r.topology.neighbours[1].count, 1);
    NeighbourIndex xh_index(xh.r);
    move_atom(xh.r, xh_index, 2, {-80.95f, -50, -50});
    EXPECT_EQ(find_neighbours(xh.r.io, xh.r, xh_index, 1, 0.0f, false).count, 0);
    const NeighbourList g = find_neighbours(xh.r.io, xh.r, xh_index, 3, 0.0f, false);
    ASSERT_EQ(g.count, 1);
    EXPECT_EQ(g.atom[1], 2);

    // Many short moves (as the X-H extension makes: the atoms stay filed where they were and
    // the searches reach further) and a few long ones, in a long list.
    Bench many;
    test::random_cluster(many.r, 6000, 14);
    NeighbourIndex many_index(many.r);
    search_neighbours(many.r.io, many.r, many_index, 1, 0.0f);
    for (int j = 1; j <= 6000; j += 3) {
        const int axis = j % 9 / 3;
        Cartesian to = many.r.structure.cart[j];
        to[axis] += (j % 2 ? 0.24f : -0.24f);
        if (j % 300 == 1) to[axis] += 1.5f;
        move_atom(many.r, many_index, j, to);
    }
    expect_same_as_scan(many.r, many_index, 13, {0.0f, 2.0f, 10.0f});
    for (int i = 2; i <= 6000; i += 97) {
        auto heavy = [&](int c) { return many.r.structure.atomic_number[c] != 1; };
        const NeighbourList g = find_neighbours(many.r.io, many.r, many_index, i, 10.0f, false);
        int want = 0;
        for (int m = g.count; m >= 1; --m)
            if (heavy(g.atom[m])) want = g.atom[m];
        EXPECT_EQ(first_neighbour(many.r.io, many.r, many_index, i, 10.0f, heavy), want)
            << "atom " << i;
    }
}

// move_atom changes both coordinates of crystal input (through the cell), the Cartesian ones
// of Cartesian input (whose fractional ones are 0, as the readers give them), and nothing for
// an atom beyond the slots. Cell 8 x 8 x 8 Å, so that the fractional coordinates are exact.
TEST(NeighbourIndex, MoveAtomMovesTheAtomInTheRecords) {
    for (const bool crystal : {true, false}) {
        SCOPED_TRACE(crystal);
        Bench b;
        b.r.options.crystal_input = crystal;
        b.r.structure.frac_to_cart = Mat3f{{{8, 0, 0}, {0, 8, 0}, {0, 0, 8}}};
        b.r.structure.cart_to_frac = Mat3f{{{0.125f, 0, 0}, {0, 0.125f, 0}, {0, 0, 0.125f}}};
        b.add("C1", 6, 0, 0, 0);
        b.add("H1", 1, 1.0f, 0, 0);
        b.r.structure.frac[2] = {0.125f, 0, 0};
        NeighbourIndex index(b.r);
        move_atom(b.r, index, 2, {2.0f, 4.0f, 1.0f});
        EXPECT_EQ(b.r.structure.cart[2], (Vec3f{2.0f, 4.0f, 1.0f}));
        const Vec3f frac = crystal ? Vec3f{0.25f, 0.5f, 0.125f} : Vec3f{0, 0, 0};
        EXPECT_EQ(b.r.structure.frac[2], frac);
        move_atom(b.r, index, 3, {1.0f, 1.0f, 1.0f});  // no such atom
        EXPECT_EQ(b.r.atom_slots(), 2);
        // H1 is 4.6 Å from C1 now: no bond, but within 5 Å
        EXPECT_EQ(search_neighbours(b.r.io, b.r, index, 1, 0.0f).count, 0);
        EXPECT_EQ(found(search_neighbours(b.r.io, b.r, index, 1, 5.0f)), (std::vector<int>{2}));
    }
}

#ifndef NDEBUG
// Test builds catch a stage that changes what an index was made from behind its back: an atom
// written in place, an element changed, the list grown, at the next search of a short list and
// within 256 of a long one.
TEST(NeighbourIndex, ChangesPastTheIndexAreCaughtInTestBuilds) {
    struct Case {
        const char* what;
        int n;
        void (*change)(Records&);
    } const cases[] = {
        {"moved", 200, [](Records& r) { r.structure.cart[17][1] += 0.5f; }},
        {"moved, long list", 6000, [](Records& r) { r.structure.cart[5999][0] += 1.1f; }},
        {"element", 200, [](Records& r) { r.structure.atomic_number[5] += 1; }},
        {"list", 200, [](Records& r) { r.topology.list_size = 150; }},
        {"tolerance", 200, [](Records& r) { r.options.tolerances.bond = 0.3f; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b;
        test::random_cluster(b.r, c.n, 12);
        b.r.topology.list_size = c.n;
        NeighbourIndex index(b.r);
        search_neighbours(b.r.io, b.r, index, 1, 0.0f);
        c.change(b.r);
        EXPECT_THROW(for (int k = 0; k < 300; ++k) search_neighbours(b.r.io, b.r, index, 1, 0.0f),
                     std::logic_error);
    }
}
#endif

TEST(NeighbourIndex, LargeStructureIsFastAndSameAsScan) {
#ifdef NDEBUG
    const int n = 100000;
#else
    const int n = 20000;  // sanitizer builds: the same, smaller
#endif
    Bench b;
    test::random_cluster(b.r, n, 21);
    CpuClock clock;
    find_all_neighbours(b.r.io, b.r);
    double t = clock.lap().user;
#ifdef NDEBUG
    EXPECT_LT(t, 5.0) << "neighbour stage of " << n << " atoms";
#endif
    std::printf("neighbour stage, %d atoms: %.2f s\n", n, t);
    // Stored rows against the plain scan for a sample of atoms.
    for (int i = 1; i <= n; i += n / 300) {
        const NeighbourList plain = test::search_neighbours_scan(b.r, i, 0.0f);
        const NeighbourTable& row = b.r.topology.neighbours[i];
        ASSERT_EQ(row.count, plain.count) << i;
        for (int k = 1; k <= row.count; ++k) {
            ASSERT_EQ(row.atom[k], plain.atom[k]) << i;
            ASSERT_EQ(row.distance[k], plain.distance[k]) << i;
        }
    }
}

TEST(NeighbourIndex, SameAsScanOnRealStructures) {
    int seen = 0;
    for (const std::string& rel : test::real_shelx_structures()) {
        Bench b;
        if (!test::read_shelx_geometry(b.r, test::real_structure(rel))) continue;
        ++seen;
        SCOPED_TRACE(rel);
        expect_same_as_scan(b.r, 1, {0.0f, 2.5f});
    }
    EXPECT_GT(seen, 10);
}

}  // namespace
}  // namespace kova
