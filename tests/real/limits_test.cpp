// Capacities of the data model at their limit and one past it: ring members (100), links of
// the reduced table (20 places), text words of a line (40), the logical line (255
// characters), free variables (200) and the atoms of a SHELX file (100000). The limits that
// other tests already take to their edge (1000 neighbours of one search, 20 stored
// neighbours, 1000 rings, 999 dummies, 192 operators, 200-character databank records, 100000
// atoms of the other readers and of the working list) are not repeated here.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/text.hpp"
#include "support.hpp"
#include "topology/bench.hpp"
#include "topology/rings.hpp"

namespace kova {
namespace {

using test::Bench;

void search_rings(Bench& b, int minring, int maxring) {
    b.r.options.search_rings = true;
    b.r.options.rings.min_size = minring;
    b.r.options.rings.max_size = maxring;
    b.r.topology.reduced = reduce_connectivity(b.r.io, b.r);
    find_rings(b.r.io, b.r);
}

// A regular polygon of n carbon atoms 1.5 Å apart (the next-nearest are 3.0 Å apart).
void polygon(Bench& b, int n) {
    const double pi = 3.14159265358979323846;
    const double radius = 1.5 / (2.0 * std::sin(pi / n));
    for (int k = 0; k < n; ++k)
        b.add(test::numbered("C", k + 1), 6,
              static_cast<float>(radius * std::cos(2.0 * pi * k / n)),
              static_cast<float>(radius * std::sin(2.0 * pi * k / n)), 0.0f);
}

TEST(Limits, RingsOfAHundredMembersAndMore) {
    Bench hundred;
    polygon(hundred, 100);
    search_rings(hundred, 3, 100);
    ASSERT_EQ(hundred.r.topology.ring_count, 1);
    EXPECT_EQ(hundred.r.topology.ring_size[1], 100);
    EXPECT_TRUE(hundred.r.topology.ring_planar[1]);

    // One member more than the data model holds: found only when the largest size allows it,
    // and then stored whole.
    Bench over;
    polygon(over, 101);
    search_rings(over, 3, 100);
    EXPECT_EQ(over.r.topology.ring_count, 0);
    Bench whole;
    polygon(whole, 101);
    search_rings(whole, 3, 101);
    ASSERT_EQ(whole.r.topology.ring_count, 1);
    EXPECT_EQ(whole.r.topology.ring_size[1], 101);
    std::vector<int> members(whole.r.topology.ring_atom[1].begin() + 1,
                             whole.r.topology.ring_atom[1].end());
    std::sort(members.begin(), members.end());
    ASSERT_EQ(members.size(), 101u);
    for (int k = 0; k < 101; ++k) EXPECT_EQ(members[static_cast<std::size_t>(k)], k + 1);
    EXPECT_NE(std::find(whole.listing().begin(), whole.listing().end(),
                        " **********  FOUND RING #    1 ---> 101 - MEMBERED  **********"),
              whole.listing().end());
}

// A wheel: a hub linked to every atom of a rim of 24 carbon atoms (1.5 Å apart, 5.75 Å from
// the hub, whose radius is widened for it), so that the hub's entry of the reduced table has
// 24 links. Every triangle hub-rim-rim is a ring.
TEST(Limits, MoreThanTwentyLinksOfOneEntry) {
    Bench b;
    b.r.elements.covalent_radius[53] = 5.0f;  // 5.75 <= 5.0 + 0.2 + 0.77
    b.add("I1", 53, 0.0f, 0.0f, 0.0f);
    const double pi = 3.14159265358979323846;
    const double radius = 1.5 / (2.0 * std::sin(pi / 24));
    for (int k = 0; k < 24; ++k)
        b.add(test::numbered("C", k + 1), 6,
              static_cast<float>(radius * std::cos(2.0 * pi * k / 24)),
              static_cast<float>(radius * std::sin(2.0 * pi * k / 24)), 0.0f);
    search_rings(b, 3, 3);
    EXPECT_EQ(b.r.topology.reduced.count, 25);
    ASSERT_EQ(b.r.topology.reduced.atom[1], 1);  // the hub, the first entry with more than 2 links
    EXPECT_EQ(b.r.topology.reduced.links[1].size(), 25u);  // 24 links after slot 0
    EXPECT_GT(b.r.topology.ring_count, 0);
    for (int q = 1; q <= b.r.topology.ring_count; ++q) {
        const auto& m = b.r.topology.ring_atom[static_cast<std::size_t>(q)];
        EXPECT_NE(std::find(m.begin() + 1, m.end(), 1), m.end())
            << "ring " << q << " without the hub";
    }
}

TEST(Limits, FortyTextWordsAndTheFortyFirst) {
    std::string line;
    // WA ... WZ, XA ... XO: no word of them reads as a number
    auto word = [](int k) {
        return std::string(1, k <= 26 ? 'W' : 'X') + static_cast<char>('A' + (k - 1) % 26);
    };
    for (int k = 1; k <= 41; ++k) line += word(k) + " " + std::to_string(k % 10) + " ";
    line = pad(line, 255);
    const TextWords words = split_text_words(line);
    EXPECT_EQ(words.count, 40);
    EXPECT_EQ(words.at(40), "XN      ");
    // the 41st is not stored but is blanked out like the others: only the numbers stay
    std::string numbers;
    for (int k = 1; k <= 41; ++k) numbers += std::to_string(k % 10) + " ";
    std::string squeezed;
    for (std::size_t k = 0; k < line.size(); ++k)
        if (line[k] != ' ' || (!squeezed.empty() && squeezed.back() != ' ')) squeezed += line[k];
    EXPECT_EQ(squeezed, numbers);
}

// A continued record whose backslash stands in column 253 leaves room for one character of
// the next record (one blank after the backslash, then column 255); in column 254 the
// backslash still fits but nothing of the next record does; column 255 is one past.
TEST(Limits, TheLogicalLineOf255Characters) {
    struct Case {
        std::size_t backslash;  // its column
        std::string tail;       // the logical line from column 253 on
    };
    for (const Case& c : {Case{253, "\\ X"}, Case{254, "A\\ "}}) {
        test::Workspace w({.errors_on_terminal = true});
        w.dir.write("in.txt", std::string(c.backslash - 1, 'A') + "\\\nXY\nNEXT\n");
        test::RunRecords& r = w.r;
        r.io.open_old(test::input_channel, "in.txt");
        std::optional<LogicalLine> line =
            read_logical_line(r.io, Files::listing, test::input_channel);
        ASSERT_TRUE(line);
        ASSERT_EQ(line->text.size(), 255u);
        EXPECT_EQ(line->text.substr(252), c.tail) << c.backslash;
        line = read_logical_line(r.io, Files::listing, test::input_channel);
        ASSERT_TRUE(line);
        EXPECT_EQ(trim(line->text), "NEXT");
    }
}

// SHELX files with FVAR cards of ten values each; free variable k is k/1000 after the scale 1.
std::string fvar_file(int count) {
    std::string s = "TITL fv\nCELL 0.71073 10.0 10.0 10.0 90 90 90\nLATT -1\nSFAC C\nUNIT 1\n";
    for (int k = 1; k <= count; k += 10) {
        s += "FVAR";
        for (int j = k; j < k + 10 && j <= count; ++j) {
            s += ' ';
            s += j == 1 ? std::string("1.0") : ff(j / 1000.0f, 5, 3);
        }
        s += "\n";
    }
    // occupancy 2001: once free variable 200 (0.200)
    return s + "C1 1 0.100000 0.200000 0.300000 2001.0 0.02\nEND\n";
}

TEST(Limits, TwoHundredFreeVariablesAndTheNext) {
    {
        test::TempDir dir;
        dir.write("fv.res", fvar_file(200));
        dir.write("kova.inp", "FORMAT *shelx\nINPUT fv.res *toxd\n");
        auto res = test::run_in(dir);
        ASSERT_EQ(res.status, 0) << res.err;
        auto xd = test::lines_of(dir.read("xd_kova.inp"));
        auto atom = std::find_if(xd.begin(), xd.end(),
                                 [](const std::string& rec) { return rec.rfind("C(1) ", 0) == 0; });
        ASSERT_NE(atom, xd.end());
        EXPECT_EQ(atom->substr(88), "  0.2000");  // the occupancy
        // the tail: free variables 2 to 9 and the scale, E11.4 and E13.6
        EXPECT_EQ(xd[xd.size() - 3],
                  " 0.2000E-02 0.3000E-02 0.4000E-02 0.5000E-02 0.6000E-02 0.7000E-02 0.8000E-02");
        EXPECT_EQ(xd[xd.size() - 2], " 0.9000E-02");
        EXPECT_EQ(xd[xd.size() - 1], " 0.100000E+01");
    }
    test::TempDir dir;
    dir.write("fv.res", fvar_file(201));
    dir.write("kova.inp", "FORMAT *shelx\nINPUT fv.res *toxd\n");
    auto res = test::run_in(dir);
    EXPECT_EQ(res.status, 1) << res.err;
    auto t = test::lines_of(res.out);
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(t[t.size() - 2],
              " ERROR *** ReadShelx *** More than 200 free variables on the FVAR cards");
}

// n carbon atoms 3 Å apart on a cubic grid in a cell of 150 Å, with nothing bonded. The
// names C00001 ... C99999, CA0000, CA0001 make labels of 8 characters.
std::string atom_name(int k) {
    std::string digits = std::to_string(k % 100000);
    std::string name = k < 100000 ? "C" : "CA";
    name.append(6 - name.size() - digits.size(), '0');
    return name + digits;
}

std::string grid_atoms(int n) {
    std::string s =
        "TITL big\nCELL 0.71073 150.0 150.0 150.0 90 90 90\nLATT -1\nSFAC C\nUNIT 1\nFVAR 1.0\n";
    s.reserve(static_cast<std::size_t>(n) * 48 + 200);
    for (int k = 0; k < n; ++k) {
        int i = k % 48, j = (k / 48) % 48, l = k / (48 * 48);
        s += atom_name(k + 1) + " 1 " + ff(0.02f * static_cast<float>(i), 8, 5) + " " +
             ff(0.02f * static_cast<float>(j), 8, 5) + " " +
             ff(0.02f * static_cast<float>(l), 8, 5) + " 11.0 0.02\n";
    }
    return s + "END\n";
}

TEST(Limits, HundredThousandAtomsReadAndTheNext) {
#ifndef NDEBUG
    GTEST_SKIP() << "a whole run of 100000 atoms: release builds only";
#endif
    {
        test::TempDir dir;
        dir.write("big.res", grid_atoms(100000));
        dir.write("kova.inp", "FORMAT *shelx\nINPUT big.res\n");
        auto res = test::run_in(dir);
        ASSERT_EQ(res.status, 0) << res.err;
        auto ang = test::lines_of(dir.read("kova.ang"));
        ASSERT_EQ(ang.size(), 1u + 100000u);
        EXPECT_EQ(ang.back().substr(0, 13), "ATOM C(A0000)");
        auto t = test::lines_of(res.out);
        EXPECT_EQ(t[t.size() - 2].substr(0, 39), " Total program elapsed times u,s,t (s) ");
    }
    test::TempDir dir;
    dir.write("big.res", grid_atoms(100001));
    dir.write("kova.inp", "FORMAT *shelx\nINPUT big.res\n");
    auto res = test::run_in(dir);
    EXPECT_EQ(res.status, 1) << res.err;
    auto t = test::lines_of(res.out);
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(t[t.size() - 2], " ERROR *** ReadShelx *** Too many atoms");
}

}  // namespace
}  // namespace kova
