// The reduced connectivity table and its two files, the ring search and the ring-membership
// query, each also against its plain scan.
#include "topology/rings.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

#include "bench.hpp"
#include "output/reduced_ang.hpp"
#include "scans.hpp"
#include "shared/errors.hpp"
#include "topology/molecules.hpp"

namespace kova {
namespace {

using test::Bench;

// Regular polygon of n carbon atoms, 1.4 Å edges, in the plane z = z0 around (cx, cy).
void polygon(Bench& b, int n, float cx = 0, float cy = 0, float z0 = 0,
             const std::string& stem = "C") {
    const float rad = 1.4f / (2.0f * std::sin(3.14159265f / static_cast<float>(n)));
    for (int k = 0; k < n; ++k) {
        float a = 6.2831853f * static_cast<float>(k) / static_cast<float>(n);
        b.add(stem + std::to_string(b.r.structure.atom_count + 1), 6, cx + rad * std::cos(a),
              cy + rad * std::sin(a), z0);
    }
}

void benzene_with_h(Bench& b) {
    polygon(b, 6);
    for (int k = 0; k < 6; ++k) {
        float a = 6.2831853f * static_cast<float>(k) / 6.0f;
        b.add(test::numbered("H", k + 7), 1, 2.48f * std::cos(a), 2.48f * std::sin(a),
              0);  // 1.08 Å out
    }
}

std::vector<int> ring(const Records& r, int q) {
    return std::vector<int>(r.topology.ring_atom[q].begin() + 1,
                            r.topology.ring_atom[q].begin() + r.topology.ring_size[q] + 1);
}

// Sets the reduced table by hand from undirected bonds (links ascending), atoms 1..n.
void table(Records& r, int n, const std::vector<std::pair<int, int>>& bonds) {
    ReducedTable& t = r.topology.reduced;
    t.count = n;
    t.atom.assign(static_cast<std::size_t>(n) + 1, 0);
    t.links.assign(static_cast<std::size_t>(n) + 1, std::vector<int>(1, 0));
    std::vector<std::vector<int>> adj(static_cast<std::size_t>(n) + 1);
    for (auto [a, c] : bonds) {
        adj[a].push_back(c);
        adj[c].push_back(a);
    }
    for (int l = 1; l <= n; ++l) {
        t.atom[l] = l;
        std::sort(adj[l].begin(), adj[l].end());
        t.links[l].insert(t.links[l].end(), adj[l].begin(), adj[l].end());
    }
}

// The reduction as a run makes it: the table kept, then its two files.
void reduce(Bench& b) {
    b.r.topology.reduced = reduce_connectivity(b.r.io, b.r);
    b.r.io.create(Files::reduced_ang, "reduced.ang");
    b.r.io.create(Files::reduced_1_ang, "reduced_1.ang");
    write_reduced_ang(b.r.io, b.r);
    b.r.io.close(Files::reduced_ang);
    b.r.io.close(Files::reduced_1_ang);
}

// The link table lines of the listing: the entry in 7 columns, a blank, its label, " -", then a
// blank and a label for each link, ten links to a line.
std::vector<std::string> link_table(const Records& r, const std::vector<int>& atom,
                                    const std::vector<std::vector<int>>& links) {
    std::vector<std::string> lines;
    for (std::size_t l = 1; l < atom.size(); ++l) {
        std::string line =
            fi(static_cast<long long>(l), 7) + " " + pad(r.structure.label[atom[l]], 8) + " -";
        for (std::size_t c = 1; c < links[l].size(); ++c) {
            if (c > 1 && (c - 1) % 10 == 0) {
                lines.push_back(line);
                line.clear();
            }
            line += ' ';
            line += pad(r.structure.label[atom[static_cast<std::size_t>(links[l][c])]], 8);
        }
        lines.push_back(line);
    }
    return lines;
}

// The listing of a reduction that went through the scan's cycles.
std::vector<std::string> reduction_listing(const Records& r, const test::ReductionScan& scan) {
    std::vector<std::string> l = {"", std::string(80, '-'), "",
                                  " CREATING CONNECTIVITY TABLE AND ELIMINATING OPEN ATOMS"};
    std::vector<int> every(scan.first_links.size());
    for (std::size_t k = 0; k < every.size(); ++k) every[k] = static_cast<int>(k);
    for (std::size_t c = 0; c < scan.cycles.size(); ++c) {
        l.push_back("");
        l.push_back(" **** ELIMINATION CYCLE =" + fi(static_cast<long long>(c), 5) +
                    "     NUMBER OF ATOMS =" + fi(scan.cycles[c].first, 7));
        if (c == 0 && r.options.verbosity >= 3)
            for (const auto& line : link_table(r, every, scan.first_links)) l.push_back(line);
        l.push_back("        NUMBER OF ATOMS REMOVED FROM THE TABLE = " +
                    fi(scan.cycles[c].second, 7));
    }
    if (r.options.verbosity >= 2) {
        l.push_back("");
        l.push_back(" CONNECTIVITY TABLE AFTER THE FINAL ELIMINATION CYCLE :");
        for (const auto& line : link_table(r, scan.table.atom, scan.table.links)) l.push_back(line);
    }
    return l;
}

// The reduced table against the scan's: the entries, their links and the listing.
void expect_reduction_as_scan(Bench& b) {
    const std::size_t before = b.listing().size();
    const test::ReductionScan plain = test::reduce_connectivity_scan(b.r);
    b.r.topology.reduced = reduce_connectivity(b.r.io, b.r);
    const ReducedTable& fast = b.r.topology.reduced;
    EXPECT_EQ(fast.count, plain.table.count);
    EXPECT_EQ(fast.atom, plain.table.atom);
    EXPECT_EQ(fast.links, plain.table.links);
    const auto l = b.listing();
    EXPECT_EQ(std::vector<std::string>(l.begin() + static_cast<long>(before), l.end()),
              reduction_listing(b.r, plain));
}

// The rings of the search against the scan's, in the order stored.
void expect_rings_as_scan(Bench& b) {
    const std::vector<std::vector<int>> plain = test::find_rings_scan(b.r);
    find_rings(b.r.io, b.r);
    ASSERT_EQ(b.r.topology.ring_count, static_cast<int>(plain.size()));
    for (int q = 1; q <= b.r.topology.ring_count; ++q)
        ASSERT_EQ(ring(b.r, q), plain[static_cast<std::size_t>(q - 1)]) << "ring " << q;
}

TEST(ReducedTable, BenzeneLosesItsHydrogenAtoms) {
    Bench b;
    benzene_with_h(b);
    reduce(b);
    test::expect_lines(b.listing(), {
        "",
        std::string(80, '-'),
        "",
        " CREATING CONNECTIVITY TABLE AND ELIMINATING OPEN ATOMS",
        "",
        " **** ELIMINATION CYCLE =    0     NUMBER OF ATOMS =     12",
        "        NUMBER OF ATOMS REMOVED FROM THE TABLE =       6",
        "",
        " **** ELIMINATION CYCLE =    1     NUMBER OF ATOMS =      6",
        "        NUMBER OF ATOMS REMOVED FROM THE TABLE =       0",
    });
    EXPECT_EQ(b.listing().size(), 10u);
    EXPECT_EQ(b.terminal().size(), 8u);
    const ReducedTable& t = b.r.topology.reduced;
    EXPECT_EQ(t.count, 6);
    for (int k = 1; k <= 6; ++k) {
        EXPECT_EQ(t.atom[k], k);
        EXPECT_EQ(t.links[k].size(), 3u);  // two links after slot 0
    }
    EXPECT_EQ(t.links[1], (std::vector<int>{0, 2, 6}));
    auto red = b.file("reduced.ang");
    ASSERT_EQ(red.size(), 7u);
    EXPECT_EQ(red[0], "ANGSTROM");
    EXPECT_EQ(red[1], "ATOM C1            1.4000      0.0000      0.0000");
    auto red1 = b.file("reduced_1.ang");
    ASSERT_EQ(red1.size(), 7u);
    EXPECT_EQ(red1[0], "ANGSTROM");
    // "C " + I6 of 1, blanks squeezed out: "C1", in 8 columns
    EXPECT_EQ(red1[1], "ATOM C1            1.4000      0.0000      0.0000");
    EXPECT_EQ(red1[6].substr(0, 13), "ATOM C6      ");
}

TEST(ReducedTable, VerboseTablesAndEntryNames) {
    Bench b;
    b.r.options.verbosity = 3;
    polygon(b, 3, 10, 0, 0, "X");  // X1 X2 X3: a triangle that stays
    b.add("CL4", 17, 8.6f, 1.9f, 0);  // 1.56 Å from X2 only (limit 0.77 + 0.2 + 0.99 = 1.96)
    reduce(b);
    auto l = b.listing();
    test::expect_lines(l, {
        " **** ELIMINATION CYCLE =    0     NUMBER OF ATOMS =      4",
        "      1 X1       - X2       X3      ",
        "      2 X2       - X1       X3       CL4     ",
        "      3 X3       - X1       X2      ",
        "      4 CL4      - X2      ",
        "        NUMBER OF ATOMS REMOVED FROM THE TABLE =       1",
    }, 5);
    test::expect_lines(l, {
        "",
        " CONNECTIVITY TABLE AFTER THE FINAL ELIMINATION CYCLE :",
        "      1 X1       - X2       X3      ",
        "      2 X2       - X1       X3      ",
        "      3 X3       - X1       X2      ",
    }, 14);
    auto red1 = b.file("reduced_1.ang");
    EXPECT_EQ(red1[3].substr(0, 13), "ATOM C3      ");
}

TEST(ReducedTable, ChainDisorderAndEmptyList) {
    {   // a chain of five: each cycle removes the two ends
        Bench b;
        for (int k = 0; k < 5; ++k) b.add(test::numbered("C", k + 1), 6, 1.5f * k, 0, 0);
        reduce(b);
        auto t = b.terminal();
        std::vector<std::string> removed;
        for (const auto& s : t)
            if (s.find("REMOVED") != std::string::npos) removed.push_back(s.substr(49));
        EXPECT_EQ(removed, (std::vector<std::string>{"      2", "      2", "      1", "      0"}));
        EXPECT_EQ(b.r.topology.reduced.count, 0);
        EXPECT_EQ(b.file("reduced.ang"), (std::vector<std::string>{"ANGSTROM"}));
        EXPECT_EQ(b.file("reduced_1.ang"), (std::vector<std::string>{"ANGSTROM"}));
    }
    {   // a disordered ring atom goes in cycle 0 and takes the ring apart
        Bench b;
        polygon(b, 6);
        b.r.structure.occupancy_flag[4] = -1;
        reduce(b);
        EXPECT_EQ(b.r.topology.reduced.count, 0);
        auto t = b.terminal();
        EXPECT_EQ(t[4], "        NUMBER OF ATOMS REMOVED FROM THE TABLE =       1");
    }
    {
        Bench b;
        reduce(b);
        EXPECT_EQ(b.file("reduced_1.ang"), (std::vector<std::string>{"ANGSTROM"}));
        auto t = b.terminal();
        EXPECT_EQ(t, (std::vector<std::string>{
                         "", " CREATING CONNECTIVITY TABLE AND ELIMINATING OPEN ATOMS", "",
                         " **** ELIMINATION CYCLE =    0     NUMBER OF ATOMS =      0",
                         "        NUMBER OF ATOMS REMOVED FROM THE TABLE =       0"}));
    }
}

TEST(ReducedTable, SameAsScanOnRandomStructures) {
    for (unsigned seed : {31u, 32u, 33u}) {
        for (int verbosity : {1, 3}) {
            Bench b;
            test::random_cluster(b.r, 700, seed, seed == 33 ? 6.0f : 10.0f);
            b.r.options.verbosity = verbosity;
            SCOPED_TRACE("seed " + std::to_string(seed) + " verbose " + std::to_string(verbosity));
            expect_reduction_as_scan(b);
        }
    }
}

TEST(RingSearch, BenzeneOnce) {
    Bench b;
    benzene_with_h(b);
    b.r.options.rings = RingSearch{3, 8, false};
    reduce(b);
    find_rings(b.r.io, b.r);
    ASSERT_EQ(b.r.topology.ring_count, 1);
    EXPECT_EQ(ring(b.r, 1), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(b.r.topology.ring_planar[1]);
    auto l = b.listing_from(" AUTOMATED SEARCH FOR   3 -  8 - MEMBERED RINGS");
    test::expect_lines(l, {
        " AUTOMATED SEARCH FOR   3 -  8 - MEMBERED RINGS",
        "",
        "",
        " **********  FOUND RING #    1 --->   6 - MEMBERED  **********",
        "",
        "  C1        C2        C3        C4        C5        C6      ",
        "     1         2         3         4         5         6    ",
        "",
        " Planarity test for   6-atom ring : ",
    });
    test::expect_lines(l,
                       {"", " " + std::string(79, '-'), "", " TOTAL RINGS FOUND (nor)  =      1"},
                       l.size() - 4);
    auto t = b.terminal();
    test::expect_lines(t,
                       {"", " AUTOMATED SEARCH FOR   3 -  8 - MEMBERED RINGS", "", "",
                        " TOTAL RINGS FOUND (nor)  =      1"},
                       t.size() - 5);
}

// Naphthalene numbered as in the ring-search example: the first entry with three links is
// atom 9, exchanged into the start.
const std::vector<std::pair<int, int>> kNaphthalene = {
    {1, 2}, {2, 3}, {3, 4}, {4, 10}, {10, 9}, {9, 1}, {10, 5}, {5, 6}, {6, 7}, {7, 8}, {8, 9}};

TEST(RingSearch, NaphthaleneWalk) {
    struct Case { int maxring; std::vector<std::vector<int>> rings; };
    const Case cases[] = {
        {8, {{10, 5, 6, 7, 8, 9}, {9, 10, 4, 3, 2, 1}}},
        {10, {{9, 1, 2, 3, 4, 10, 5, 6, 7, 8}, {10, 5, 6, 7, 8, 9}, {9, 10, 4, 3, 2, 1}}},
    };
    for (const Case& c : cases) {
        Bench b;
        for (int k = 1; k <= 10; ++k) b.add(test::numbered("C", k), 6, float(k), 0, 0);
        table(b.r, 10, kNaphthalene);
        b.r.options.rings = RingSearch{3, c.maxring, false};
        EXPECT_EQ(test::find_rings_scan(b.r), c.rings) << c.maxring;
        find_rings(b.r.io, b.r);
        ASSERT_EQ(b.r.topology.ring_count, static_cast<int>(c.rings.size())) << c.maxring;
        for (int q = 1; q <= b.r.topology.ring_count; ++q)
            EXPECT_EQ(ring(b.r, q), c.rings[q - 1]) << c.maxring << " ring " << q;
        // the exchange: entry 1 is atom 9, entry 9 atom 1, links renumbered in place
        const ReducedTable& t = b.r.topology.reduced;
        EXPECT_EQ(t.atom[1], 9);
        EXPECT_EQ(t.atom[9], 1);
        EXPECT_EQ(t.links[1], (std::vector<int>{0, 9, 8, 10}));
        EXPECT_EQ(t.links[10], (std::vector<int>{0, 4, 5, 1}));
    }
}

TEST(RingSearch, CyclopropaneRangesAndSmallTables) {
    {   // three-membered: planar without a test
        Bench b;
        polygon(b, 3);
        b.r.options.rings = RingSearch{3, 8, false};
        reduce(b);
        find_rings(b.r.io, b.r);
        ASSERT_EQ(b.r.topology.ring_count, 1);
        EXPECT_TRUE(b.r.topology.ring_planar[1]);
        for (const auto& s : b.listing()) EXPECT_EQ(s.find("Planarity"), std::string::npos);
    }
    for (auto [lo, hi] :
         {std::pair{7, 8}, std::pair{3, 5}, std::pair{0, 0}}) {  // benzene outside the range
        Bench b;
        polygon(b, 6);
        b.r.options.rings = RingSearch{lo, hi, false};
        reduce(b);
        find_rings(b.r.io, b.r);
        EXPECT_EQ(b.r.topology.ring_count, 0) << lo << "-" << hi;
    }
    for (int n : {0, 1, 2}) {
        Bench b;
        for (int k = 0; k < n; ++k) b.add("C", 6, float(k), 0, 0);
        table(
            b.r, n,
            n == 2 ? std::vector<std::pair<int, int>>{{1, 2}} : std::vector<std::pair<int, int>>{});
        b.r.options.rings = RingSearch{3, 8, false};
        find_rings(b.r.io, b.r);
        EXPECT_EQ(b.r.topology.ring_count, 0);
        auto l = b.listing();
        test::expect_lines(l, {"", " THERE ARE NO ATOMS IN THE REDUCED CONNECTIVITY TABLE", "",
                               " SEARCH FOR RINGS WILL NOT BE PERFORMED..."},
                           l.size() - 4);
        EXPECT_EQ(b.terminal().size(), 7u);  // heading, blank, the notice; no total line
    }
}

TEST(RingSearch, TooManyRingsStops) {
    Bench b;
    for (int k = 0; k < 1001; ++k) polygon(b, 3, 5.0f * (k % 40), 5.0f * (k / 40));
    b.r.options.rings = RingSearch{3, 8, false};
    reduce(b);
    EXPECT_THROW(find_rings(b.r.io, b.r), RunStop);
    EXPECT_EQ(b.r.topology.ring_count, 1000);
    auto t = b.terminal();
    EXPECT_EQ(t[t.size() - 2], " ERROR *** FindRings *** Too many rings (maxrings)");
}

// The membership query by its index against the walk over every ring, for every atom.
void expect_membership_as_scan(Records& r, int n) {
    for (int a = 0; a <= n + 1; ++a) {
        const RingMembership m1 = ring_membership(r, a), m2 = test::ring_membership_scan(r, a);
        ASSERT_EQ(std::vector<int>({m1.in_ring, m1.planar, m1.fused, m1.ring, m1.size}),
                  std::vector<int>({m2.in_ring, m2.planar, m2.fused, m2.ring, m2.size}))
            << "atom " << a;
    }
}

TEST(RingSearch, WalkSameAsPlainOnRandomGraphs) {
    std::mt19937 g(5);
    for (int trial = 0; trial < 40; ++trial) {
        int n = 6 + static_cast<int>(g() % 60);
        std::vector<std::pair<int, int>> bonds;
        // a spanning chain with random chords keeps every entry at two or more links
        for (int k = 1; k < n; ++k) bonds.emplace_back(k, k + 1);
        bonds.emplace_back(n, 1);
        int chords = static_cast<int>(g() % static_cast<unsigned>(n / 2 + 1));
        for (int c = 0; c < chords; ++c) {
            int a = 1 + static_cast<int>(g() % static_cast<unsigned>(n)),
                d = 1 + static_cast<int>(g() % static_cast<unsigned>(n));
            if (a == d || std::find(bonds.begin(), bonds.end(),
                                    std::pair{std::min(a, d), std::max(a, d)}) != bonds.end())
                continue;
            bonds.emplace_back(std::min(a, d), std::max(a, d));
        }
        std::shuffle(bonds.begin(), bonds.end(), g);
        Bench b;
        for (int k = 1; k <= n; ++k)
            b.add(test::numbered("C", k), 6, float(k % 7), float(k / 7), float(k % 3));
        table(b.r, n, bonds);
        b.r.options.rings = RingSearch{3, 3 + static_cast<int>(trial % 9), false};
        SCOPED_TRACE(trial);
        expect_rings_as_scan(b);
        expect_membership_as_scan(b.r, n);
        // a second search with other sizes: the membership follows it
        b.r.options.rings = RingSearch{3, 4 + static_cast<int>(trial % 5), false};
        expect_rings_as_scan(b);
        expect_membership_as_scan(b.r, n);
    }
}

TEST(RingSearch, SameAsPlainOnRealStructures) {
    // The real files with their molecules completed: reduced table and walk against the scans.
    int rings = 0;
    for (const std::string& rel : test::real_shelx_structures()) {
        const auto path = test::real_structure(rel);
        Bench b;
        if (!test::read_shelx_geometry(b.r, path)) continue;
        SCOPED_TRACE(rel);
        b.r.options.ncells = 1;
        complete_molecules(b.r.io, b.r);
        b.r.options.rings = RingSearch{3, 8, false};
        b.r.options.verbosity = 3;
        expect_reduction_as_scan(b);
        expect_rings_as_scan(b);
        rings += b.r.topology.ring_count;
    }
    EXPECT_GT(rings, 20);
}

TEST(RingQuery, MembershipTable) {
    Bench b;
    Topology& g = b.r.topology;
    // Rings 1-4 and 6 planar, 5 and 8 not; atom 1 in rings 1 and 4, atom 7 in 2 and 5, atom 30
    // in 5 and 6, atom 60 in 7, 8 and 9.
    const std::vector<std::pair<std::vector<int>, bool>> rings = {
        {{1, 2, 3, 4, 5, 6}, true},
        {{7, 8, 9, 10, 11, 12}, true},
        {{13, 14, 15, 16, 17, 18}, true},
        {{1, 2, 20, 21, 22}, true},
        {{7, 30, 31, 32, 33, 34}, false},
        {{35, 30, 40, 41, 42, 43}, true},
        {{60, 61, 62}, true},
        {{60, 63, 64}, false},
        {{60, 65, 66}, true},
    };
    g.ring_count = static_cast<int>(rings.size());
    b.r.ensure_rings(g.ring_count);
    for (int q = 1; q <= g.ring_count; ++q) {
        g.ring_size[q] = static_cast<int>(rings[q - 1].first.size());
        g.ring_atom[q] = {0};
        g.ring_atom[q].insert(g.ring_atom[q].end(), rings[q - 1].first.begin(),
                              rings[q - 1].first.end());
        g.ring_planar[q] = rings[q - 1].second;
    }
    struct Case { int atom; bool in_ring, planar, fused; int ring, size; };
    const Case cases[] = {
        {99, false, false, false, 0, 0},
        {15, true, true, false, 3, 6},    // planar ring 3 only
        {1, true, false, true, 5, 11},    // planar rings 1 (6) and 4 (5)
        {7, true, true, false, 2, 6},     // planar 2 and non-planar 5
        {30, true, true, false, 6, 6},    // non-planar 5 and planar 6
        {31, true, false, false, 0, 0},   // non-planar ring alone
        {60, true, false, false, 0, 0},   // three rings
    };
    for (const Case& c : cases) {
        const RingMembership m = ring_membership(b.r, c.atom);
        EXPECT_EQ(m.in_ring, c.in_ring) << c.atom;
        EXPECT_EQ(m.planar, c.planar) << c.atom;
        EXPECT_EQ(m.fused, c.fused) << c.atom;
        EXPECT_EQ(m.ring, c.ring) << c.atom;
        EXPECT_EQ(m.size, c.size) << c.atom;
    }
    expect_membership_as_scan(b.r, 70);

    // A new ring search that finds as many rings, other ones: a triangle 1-3 and a square
    // 4-7, searched for three- and then four-membered rings.
    Bench t;
    for (int k = 1; k <= 7; ++k) t.add(test::numbered("C", k), 6, float(k), 0, 0);
    table(t.r, 7, {{1, 2}, {2, 3}, {1, 3}, {4, 5}, {5, 6}, {6, 7}, {4, 7}});
    for (int size : {3, 4, 3}) {
        t.r.options.rings = RingSearch{size, size, false};
        find_rings(t.r.io, t.r);
        ASSERT_EQ(t.r.topology.ring_count, 1);
        expect_membership_as_scan(t.r, 7);
    }

    Bench none;  // no ring search: acyclic
    const RingMembership m = ring_membership(none.r, 1);
    EXPECT_FALSE(m.in_ring || m.planar || m.fused || m.ring || m.size);
}

}  // namespace
}  // namespace kova
