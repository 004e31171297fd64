// Functional-group blocks that the molecule tests do not reach, on neighbour tables written
// by hand from bond lists (graph.hpp): every group planarity test says planar.
#include <gtest/gtest.h>

#include "frames/groups.hpp"
#include "graph.hpp"
#include "group_listing.hpp"

namespace kova {
namespace {

using test::cand;
using test::Graph;
using test::Lines;
using test::unknown;
using test::operator+;

// A free-format line: the leading blank, the text, each integer as a blank and I11.
std::string free3(const std::string& text, std::initializer_list<int> v) {
    std::string s = " " + text;
    for (int x : v) s += fi(x, 12);
    return s;
}

struct Case {
    const char* bonds;
    const char* rings;
    const char* atom;
    std::string name;  // blank: none found
    Lines lines;       // the listing of the call
};

void expect_cases(const std::vector<Case>& cases) {
    for (const auto& c : cases) {
        Graph g(c.bonds, c.rings);
        int from = static_cast<int>(g.f.file("kova.out").size());
        const FunctionalGroup group = find_functional_group(g.f.r.io, g.f.r, g[c.atom]);
        auto all = g.f.file("kova.out");
        Lines got(all.begin() + from, all.end());
        std::string what = std::string(c.atom) + " in " + c.bonds;
        EXPECT_EQ(trim(group.name), c.name) << what;
        EXPECT_EQ(group.found, !c.name.empty()) << what;
        EXPECT_EQ(got, c.lines) << what;
    }
}

// Three-neighbour carbons, block by block (named by their tags); C1 is the carbon asked about.
TEST(FindFunctionalGroupPaths, CarbonWithThreeNeighbours) {
    expect_cases({
        // c2Cb(?): {1 B, 2 C}; X is B1's first neighbour other than C1
        {"C1-B1 C1-C2 C1-C3 B1-F1", "", "C1", "C-b-F3", cand("c2Cb(?)")},
        {"C1-B1 C1-C2 C1-C3 B1-O1", "", "C1", "", cand("c2Cb(?)") + unknown("(?)")},
        {"C1-B1 C1-C2 C1-C3", "", "C1", "", cand("c2Cb(?)")},
        // c2Co: the O has two neighbours
        {"C1-C2 C1-C3 C1-O1 O1-H1", "", "C1", "", cand("c2Co") + unknown("c2--C--o-")},
        // Coo(?) with {1 C, 2 O}: neither O has 2 neighbours (O1 has 3)
        {"C1-C2 C1-O1 C1-O2 O1-H1 O1-H2", "", "C1", "", cand("Coo(?)") + unknown("cOO(?)")},
        // Coo(?) with {1 N, 2 O}; O2 decides
        {"C1-N1 C1-O1 C1-O2", "", "C1", "carbamate", cand("Coo(?)")},
        {"C1-N1 C1-O1 C1-O2 O2-H1", "", "C1", "carbamic acid", cand("Coo(?)")},
        {"C1-N1 C1-O1 C1-O2 O2-C2 C2-H1 C2-H2 C2-H3", "", "C1", "carbamate ester", cand("Coo(?)")},
        // X with 3 neighbours is no carbamate name
        {"C1-N1 C1-O1 C1-O2 O2-C2 C2-H1 C2-H2", "", "C1", "", cand("Coo(?)") + unknown("cOO(?)")},
        // C(cyc)-o-x: the O in the carbon's own planar ring
        {"C1-O1 C1-C2 C1-C3 O1-C4 C4-C3", "C1 O1 C4 C3", "C1", "furano", cand("C(cyc)-o-x")},
        {"C1-O1 C1-C2 C1-C3 O1-N1 N1-C3", "C1 O1 N1 C3", "C1", "furanoN", cand("C(cyc)-o-x")},
        // {2 N, 1 O} in a planar ring: the O outside it with 1 neighbour, or in it with 2
        {"C1-N1 C1-N2 C1-O1 N1-C2 C2-N2", "C1 N1 C2 N2", "C1", "aromaturea",
         cand("Cn2(cyc)=o/Cno(cyc)-n(?)")},
        {"C1-N1 C1-N2 C1-O1 O1-C2 C2-N2", "C1 O1 C2 N2", "C1", "pirofurano",
         cand("Cn2(cyc)=o/Cno(cyc)-n(?)")},
        // Ccno(?): nearest N and O; the O in the ring, or outside with an H
        {"C1-N1 C1-O1 C1-C2 O1-C3 C3-N1", "C1 O1 C3 N1", "C1", "o-Cc-n", cand("Ccno(?)")},
        {"C1-O1 C1-N1 C1-C2 O1-H1 N1-C2", "C1 N1 C2", "C1", "amidoH", cand("Ccno(?)")},
        // C(cyc)-n=: the N outside the ring with 2, 4 (all H), 4 (an O) and 1 neighbours
        {"C1-N1 C1-C2 C1-C3 C2-C3 N1-O1", "C1 C2 C3", "C1", "ph-noh", cand("C(cyc)-n=")},
        {"C1-N1 C1-C2 C1-C3 C2-C3 N1-H1 N1-H2 N1-H3", "C1 C2 C3", "C1", "protonated aminophenyl",
         cand("C(cyc)-n=")},
        {"C1-N1 C1-C2 C1-C3 C2-C3 N1-H1 N1-H2 N1-O1", "C1 C2 C3", "C1", "",
         cand("C(cyc)-n=") + unknown("C(cyc)-n=")},
        {"C1-N1 C1-C2 C1-C3 C2-C3", "C1 C2 C3", "C1", "", cand("C(cyc)-n=")},
        // C(2cyc)-n=: C1 in two planar rings, its N in one planar five-ring
        {"C1-N1 C1-C2 C1-C5 N1-C3 C3-C4 C4-C2 C2-C6 C6-C7 C7-C8 C8-C5",
         "C1 N1 C3 C4 C2/C1 C2 C6 C7 C8 C5", "C1", "C(2cyc)-n5", cand("C(2cyc)-n=")},
        // c(sp3,cyc)-C(cyc)=x: its first C neighbour has 4 neighbours and lies in the same ring
        {"C1-C2 C1-C3 C1-H1 C2-C3 C2-H2 C2-H3", "C1 C2 C3", "C1", "cycloene",
         cand("c(sp3,cyc)-C(cyc)=x")},
        // c-C(=s)-n(?): the S neighbour's count, 4, 2 and 3
        {"C1-C2 C1-N1 C1-S1 S1-C3 S1-C4 S1-C5", "", "C1", "SX4", cand("c-C(=s)-n(?)")},
        {"C1-C2 C1-N1 C1-S1 S1-C3", "", "C1", "THIO-X", cand("c-C(=s)-n(?)")},
        {"C1-C2 C1-N1 C1-S1 S1-C3 S1-C4", "", "C1", "",
         cand("c-C(=s)-n(?)") + unknown("c-C(=s)-n(?)")},
    });
}

// A planar-ring carbon between two N; the walk lines name each neighbour's ring number and
// the carbon's (1).
TEST(FindFunctionalGroupPaths, CarbonBetweenTwoNitrogens) {
    const std::string tag = "n-C(cyc)-n";
    {   // N2 in another planar ring: neighbour counts 3 + 4 + 1 = 8
        expect_cases({
            {"C1-N1 C1-N2 C1-H1 N1-C2 N1-H2 N2-C3 N2-C4 N2-H3", "C1 N1 C2/N2 C3 C4", "C1",
             "NNring1",
             cand(tag) + Lines{free3(" iatr, iCr = ", {1, 1}), free3(" iatr, iCr = ", {2, 1})}},
            // without N2's H: 3 + 3 + 1
            {"C1-N1 C1-N2 C1-H1 N1-C2 N1-H2 N2-C3 N2-C4", "C1 N1 C2/N2 C3 C4", "C1", "NNring2",
             cand(tag) + Lines{free3(" iatr, iCr = ", {1, 1}), free3(" iatr, iCr = ", {2, 1})}},
        });
    }
    {   // the nearest N outside every ring, bonded to two O: counts 3 (N2), 2 (N1), 3 (C3)
        Graph g("C1-N2 C1-N1 C1-C3 N2-O1 N2-O2 N1-C2 C3-H1 C3-H2", "C1 N1 C2");
        int n2 = g["N2"], n1 = g["N1"], c3 = g["C3"];
        expect_cases(
            {{"C1-N2 C1-N1 C1-C3 N2-O1 N2-O2 N1-C2 C3-H1 C3-H2", "C1 N1 C2", "C1", "nitro-n2n3c3",
              cand(tag) + Lines{free3(" iatr, iCr = ", {0, 1})} + cand(" n-=Cn=-c (?) ") +
                  Lines{free3(" ia1, ia2, ia3 = ", {n2, n1, c3})}}});
        // the same counts with H atoms on N2 instead of the O atoms (atoms numbered alike)
        expect_cases(
            {{"C1-N2 C1-N1 C1-C3 N2-H3 N2-H4 N1-C2 C3-H1 C3-H2", "C1 N1 C2", "C1", "n2n3c3",
              cand(tag) + Lines{free3(" iatr, iCr = ", {0, 1})} + cand(" n-=Cn=-c (?) ") +
                  Lines{free3(" ia4, ia5, ia6 = ", {n2, n1, c3})}}});
    }
    {   // both N in the carbon's ring; a Zn on the first one
        Graph g("C1-N1 C1-N2 C1-H1 N1-C2 N1-ZN1 N2-C3 N2-H2 C2-C3", "C1 N1 C2 C3 N2");
        int n1 = g["N1"], n2 = g["N2"];
        const Lines walk = {free3(" iatr, iCr = ", {1, 1}), free3(" iatr, iCr = ", {1, 1}),
                            free3(" iatr, iCr = ", {0, 1}), free3(" i1N, i2N = ", {n1, n2})};
        expect_cases({
            {"C1-N1 C1-N2 C1-H1 N1-C2 N1-ZN1 N2-C3 N2-H2 C2-C3", "C1 N1 C2 C3 N2", "C1", "ZNnCn",
             cand(tag) + walk + Lines{free3(" i1Nn, i2Nn = ", {3, 3})}},
            {"C1-N1 C1-N2 C1-H1 N1-C2 N1-C4 N2-C3 N2-H2 C2-C3", "C1 N1 C2 C3 N2", "C1",
             "substituted nitrogens", cand(tag) + walk + Lines{free3(" i1Nn, i2Nn = ", {3, 3})}},
            {"C1-N1 C1-N2 C1-H1 N1-C2 N2-C3 C2-C3", "C1 N1 C2 C3 N2", "C1",
             "non-substituted nitrogens",
             cand(tag) + walk + Lines{free3(" i1Nn, i2Nn = ", {2, 2})}},
        });
    }
}

TEST(FindFunctionalGroupPaths, CarbonWithFourNeighbours) {
    expect_cases({
        // n-C-(c/h)3: a type lighter than N that is neither H nor C
        {"C1-N1 C1-B1 C1-H1 C1-H2", "", "C1", "", cand("n-C-(c/h)3") + unknown("n-C-(x/y/z)")},
        // C-s(?): {3 H, 1 S} or {2 H, 1 C, 1 S}; the S atom's lightest or second type Zn
        {"C1-S1 C1-H1 C1-H2 C1-H3 S1-ZN1", "", "C1", "C-s-Zn", cand("C-s(?)")},
        {"C1-S1 C1-C2 C1-H1 C1-H2 S1-ZN1", "", "C1", "C-s-Zn", cand("C-s(?)")},
        {"C1-S1 C1-H1 C1-H2 C1-H3 S1-C2", "", "C1", "", cand("C-s(?)") + unknown("c-s-(?)")},
    });
}

TEST(FindFunctionalGroupPaths, NitrogenOxygenPhosphorusSulfurHalogens) {
    expect_cases({
        // c--N--o(?): {C, O} with two neighbours
        {"N1-C1 N1-O1", "", "N1", "N=O", cand("c--N--o(?)")},
        {"N1-C1 N1-O1 O1-H1", "", "N1", "N-OH", cand("c--N--o(?)")},
        {"N1-C1 N1-O1 O1-C2", "", "N1", "", cand("c--N--o(?)") + unknown("c--N--c?")},
        // c-O-h: the other O with 2 neighbours; a C with 2 neighbours; three O on the C
        {"O1-H1 O1-C1 C1-O2 C1-C2 O2-C3", "", "O1", "alcohol", cand("c-O-h")},  // other O with 2
        {"O1-H1 O1-C1 C1-C2", "", "O1", "", cand("c-O-h") + unknown("c-O-h")},  // C with 2
        {"O1-H1 O1-C1 C1-O2 C1-O3", "", "O1", "", cand("c-O-h") + unknown("x-O-h")},  // three O
        // c-O-c: a carbamate ester; a C with 2 neighbours
        {"O1-C1 O1-C2 C1-N1 C1-O2 C2-H1 C2-H2 C2-H3", "", "O1", "carbamate ester", cand("c-O-c")},
        {"O1-C1 O1-C2 C1-N1 C1-O2 C2-H1", "", "O1", "", cand("c-O-c") + unknown("c-O-c")},
        // (?)c=O, one step each
        {"O1-C1 C1-N1 C1-N2 N1-C2 C2-N2", "C1 N1 C2 N2", "O1", "aromaturea", cand("(?)c=O")},
        {"O1-C1 C1-C2 C1-O2 C2-C3 C3-O2", "C1 C2 C3 O2", "O1", "aromatester", cand("(?)c=O")},
        {"O1-C1 C1-C2 C1-N1 C2-N1", "C1 C2 N1", "O1", "aromatamide", cand("(?)c=O")},
        {"O1-C1 C1-N1 C1-N2", "", "O1", "urea", cand("(?)c=O")},
        {"O1-C1 C1-N1 C1-O2", "", "O1", "carbamate", cand("(?)c=O")},
        {"O1-C1 C1-N1 C1-O2 O2-H1", "", "O1", "carbamic acid", cand("(?)c=O")},
        {"O1-C1 C1-C2 C1-S1", "", "O1", "thioester", cand("(?)c=O")},
        // the ester O's other neighbour X2 with 3 neighbours and one O (silent), then with 2
        {"O1-C1 C1-C2 C1-O2 O2-C3 C3-C4 C3-C5", "", "O1", "", cand("(?)c=O")},
        {"O1-C1 C1-C2 C1-O2 O2-C3 C3-C4", "", "O1", "", cand("(?)c=O") + unknown("(?)c=O [2]")},
        {"O1-C1 C1-F1 C1-F2", "", "O1", "", cand("(?)c=O") + unknown("(?)c=O [3]")},
        {"O1-C1 C1-C2", "", "O1", "", cand("(?)c=O") + unknown("(?)c=O [1]")},
        // (?)N-O
        {"O1-N1 N1-C1", "", "O1", "NO", cand("(?)N-O")},
        {"O1-N1 N1-N2 N1-O2", "", "O1", "NO2N", cand("(?)N-O")},
        {"O1-N1 N1-C1 N1-C2", "", "O1", "", cand("(?)N-O")},
        {"O1-N1", "", "O1", "", cand("(?)N-O") + unknown("(?)N-O [1]")},
        // (?)p=O: {3 C, 1 O}; {1 C, 3 O} with O counts summing 4 and 6; P with 3; four O summing 5
        {"O1-P1 P1-C1 P1-C2 P1-C3", "", "O1", "C3PO", cand("(?)p=O")},
        {"O1-P1 P1-C1 P1-O2 P1-O3 O3-H1", "", "O1", "CPO2(O-X)", cand("(?)p=O") + cand("cpOoo(?)")},
        {"O1-P1 P1-C1 P1-O2 P1-O3 O2-H1 O3-H2 O3-H3", "", "O1", "",
         cand("(?)p=O") + cand("cpOoo(?)") + unknown("cpOoo(?)")},  // 1 + 2 + 3
        {"O1-P1 P1-C1 P1-C2", "", "O1", "", cand("(?)p=O") + unknown("(?)p=O [1]")},
        {"O1-P1 P1-O2 P1-O3 P1-O4 O2-H1", "", "O1", "O3-p(ox)", cand("(?)p=O") + cand("pOooo(?)")},
        // cPooo(?) sums 3, 5, 6; Poooo(?) sum 5; P with 3 neighbours
        {"P1-C1 P1-O1 P1-O2 P1-O3", "", "P1", "CPO3", cand("cPooo(?)")},
        {"P1-C1 P1-O1 P1-O2 P1-O3 O1-H1 O2-H2", "", "P1", "CPO(O-X)2", cand("cPooo(?)")},
        {"P1-C1 P1-O1 P1-O2 P1-O3 O1-H1 O2-H2 O3-H3", "", "P1", "",
         cand("cPooo(?)") + unknown("cPooo(?)")},
        {"P1-O1 P1-O2 P1-O3 P1-O4 O1-H1", "", "P1", "o3-P(ox)", cand("Poooo(?)")},
        {"P1-O1 P1-O2 P1-O3", "", "P1", "", {}},
        // sulfur on a planar-ring carbon
        {"S1-C1 C1-N1 C1-N2 N1-C2 C2-N2", "C1 N1 C2 N2", "S1", "PHthiourea", cand("(?)c=S")},
        {"S1-C1 C1-C2 C1-C3 C2-C3", "C1 C2 C3", "S1", "PH=S", cand("(?)c=S")},
        {"S1-C1 C1-C2 C1-N1 C2-N1", "C1 C2 N1", "S1", "aromathioamide", cand("(?)c=S")},
        {"S1-C1 C1-C2 C1-O1 C2-O1", "C1 C2 O1", "S1", "", cand("(?)c=S")},
        {"S1-C1 C1-N1 C1-C2 N1-C2", "- C1 N1 C2", "S1", "", cand("(?)c=S")},  // ring not planar
        {"S1-C1 C1-C2", "", "S1", "", cand("(?)c=S") + unknown("(?)c=S [1]")},
        // halogens on an aromatic C, and on an atom other than C
        {"F1-C1 C1-C2 C1-C3 C2-C3", "C1 C2 C3", "F1", "PH-F", cand("(?)c-F")},
        {"BR1-C1 C1-C2 C1-C3 C2-C3", "C1 C2 C3", "BR1", "PH-Br", cand("(?)c-Br")},
        {"CL1-N1", "", "CL1", "", {}},
    });
}

}  // namespace
}  // namespace kova
