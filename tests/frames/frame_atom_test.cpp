// The frame decision of single atoms, on small molecules with ideal geometry (Cartesian input,
// Å). Bond lengths differ slightly inside each molecule so that the distance order of the
// neighbours is not left to rounding; every expected frame is worked from the rules, with the
// deciding distances and angles noted beside the molecule.
#include "frames/frame_driver.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "frame_fixture.hpp"
#include "frames/atom_table.hpp"
#include "frames/frame_rules.hpp"
#include "frames/shape_symmetry.hpp"
#include "real/site_symmetry.hpp"
#include "shared/errors.hpp"
#include "topology/neighbours.hpp"

namespace kova {
namespace {

using test::At;

// The framed structure with its records read back as the master file and the dummies get them.
struct Framed : test::FramedAtoms {
    using FramedAtoms::FramedAtoms;
    // Atom i's line of the XD atom table, as the master file gets it.
    std::string atom_line(int i) { return atom_table_line(r.structure, r.frames, i); }
    // "sym X>T1 Y>T2" read from the atom-table line: site symmetry, letters and targets.
    std::string frame_of(int i) {
        std::string l = atom_line(i) + std::string(80, ' ');
        return trim(r.structure.site_symmetry[static_cast<std::size_t>(i)]) + " " + l[19] + ">" +
               trim(l.substr(9, 8)) + " " + l[40] + ">" + trim(l.substr(31, 8));
    }
    Vec3f dummy(int k) const { return coordinates(r.frames.dummy_xyz[static_cast<std::size_t>(k)]); }
};

// True when every (empty line, text) pair of `want` appears in the listing in this order.
::testing::AssertionResult listed_in_order(const std::vector<std::string>& lines,
                                           const std::vector<std::string>& want) {
    std::size_t at = 1;
    for (const auto& w : want) {
        while (at < lines.size() && !(lines[at] == w && lines[at - 1].empty())) ++at;
        if (at >= lines.size()) return ::testing::AssertionFailure() << "not listed: [" << w << "]";
        ++at;
    }
    return ::testing::AssertionSuccess();
}

bool near(const Vec3f& a, const Vec3f& b) {
    for (int k = 0; k < 3; ++k)
        if (std::fabs(a[k] - b[k]) > 1e-4f) return false;
    return true;
}

// --- The molecules -------------------------------------------------------------------------

// O at the origin, O-H 0.95 and 0.96, H-O-H 104.5 deg.
const std::vector<At> kWater = {
    {"O(1)", 8, {0.0f, 0.0f, 0.0f}}, {"H(1)", 1, {0.7513f, 0.5815f, 0.0f}},
    {"H(2)", 1, {-0.7592f, 0.5876f, 0.0f}}};

// C-C 1.54 along x; tetrahedral C-H 1.08, 1.09, 1.10 on each carbon (H-C-C 109.47 deg).
const std::vector<At> kEthane = {
    {"C(1)", 6, {0.0f, 0.0f, 0.0f}},        {"C(2)", 6, {1.54f, 0.0f, 0.0f}},
    {"H(1)", 1, {-0.36f, 1.0182f, 0.0f}},   {"H(2)", 1, {-0.3633f, -0.5138f, 0.89f}},
    {"H(3)", 1, {-0.3667f, -0.5185f, -0.8981f}}, {"H(4)", 1, {1.9f, 0.5091f, 0.8818f}},
    {"H(5)", 1, {1.9033f, -1.0277f, 0.0f}}, {"H(6)", 1, {1.9067f, 0.5185f, -0.8981f}}};

// C=O 1.21 along z; C-H 1.10 and 1.11 at 121.8 deg from the C=O bond, all in the xz plane.
const std::vector<At> kFormaldehyde = {
    {"C(1)", 6, {0.0f, 0.0f, 0.0f}}, {"O(1)", 8, {0.0f, 0.0f, 1.21f}},
    {"H(1)", 1, {0.9349f, 0.0f, -0.5797f}}, {"H(2)", 1, {-0.9434f, 0.0f, -0.5849f}}};

// N#C 1.16 and C-C 1.46 on the x axis; methyl H as in ethane. Seen from C(1), the nearest
// methyl H (H(1), 2.086 A) makes N-C(1)-H(1) 150.8 deg and C(2)-C(1)-H(1) 29.2 deg.
const std::vector<At> kAcetonitrile = {
    {"N(1)", 7, {1.16f, 0.0f, 0.0f}},   {"C(1)", 6, {0.0f, 0.0f, 0.0f}},
    {"C(2)", 6, {-1.46f, 0.0f, 0.0f}},  {"H(1)", 1, {-1.82f, 1.0182f, 0.0f}},
    {"H(2)", 1, {-1.8233f, -0.5138f, 0.89f}}, {"H(3)", 1, {-1.8267f, -0.5185f, -0.8981f}}};

// Cl-Cl 1.99, nothing else.
const std::vector<At> kChlorine = {{"CL(1)", 17, {5.0f, 5.0f, 5.0f}},
                                   {"CL(2)", 17, {6.99f, 5.0f, 5.0f}}};

// Linear CO2 (C-O 1.15 and 1.16 along x) and a neon atom 3.2 A from C, perpendicular.
const std::vector<At> kCO2Ne = {{"C(1)", 6, {3.0f, 4.0f, 5.0f}},
                                {"O(1)", 8, {4.15f, 4.0f, 5.0f}},
                                {"O(2)", 8, {1.84f, 4.0f, 5.0f}},
                                {"NE(1)", 10, {3.0f, 7.2f, 5.0f}}};

// Planar, C-O 1.28, 1.29, 1.30 at 120 deg.
const std::vector<At> kCarbonate = {
    {"C(1)", 6, {0.0f, 0.0f, 0.0f}}, {"O(1)", 8, {1.28f, 0.0f, 0.0f}},
    {"O(2)", 8, {-0.645f, 1.1172f, 0.0f}}, {"O(3)", 8, {-0.65f, -1.1258f, 0.0f}}};

// Pyramidal, N-H 1.01, 1.02, 1.03, H-N-H 106.8 deg; N lies 0.38 A above the H plane, so the
// group's plane esd is about 0.33 A.
const std::vector<At> kAmmonia = {
    {"N(1)", 7, {0.0f, 0.0f, 0.0f}}, {"H(1)", 1, {0.9365f, 0.0f, -0.3784f}},
    {"H(2)", 1, {-0.4729f, 0.819f, -0.3821f}}, {"H(3)", 1, {-0.4775f, -0.8271f, -0.3858f}}};

// Planar, C-H 1.10, C-O 1.25 and 1.26 at 120 deg.
const std::vector<At> kFormate = {
    {"C(1)", 6, {0.0f, 0.0f, 0.0f}}, {"H(1)", 1, {-1.1f, 0.0f, 0.0f}},
    {"O(1)", 8, {0.625f, 1.0825f, 0.0f}}, {"O(2)", 8, {0.63f, -1.0912f, 0.0f}}};

// Tetrahedral CH2 with C-O 1.43, C-C 1.52, C-H 1.09 and 1.10; the hydroxyl H at 0.96 A with
// C-O-H 109 deg.
const std::vector<At> kEthanol = {
    {"C(1)", 6, {0.0f, 0.0f, 0.0f}},          {"O(1)", 8, {0.8256f, 0.8256f, 0.8256f}},
    {"C(2)", 6, {0.8776f, -0.8776f, -0.8776f}}, {"H(1)", 1, {-0.6293f, 0.6293f, -0.6293f}},
    {"H(2)", 1, {-0.6351f, -0.6351f, 0.6351f}}, {"H(3)", 1, {1.6479f, 0.3642f, 1.0061f}}};

// Tetrahedral, N-H 1.01 to 1.04.
const std::vector<At> kAmmonium = {
    {"N(1)", 7, {0.0f, 0.0f, 0.0f}},          {"H(1)", 1, {0.5831f, 0.5831f, 0.5831f}},
    {"H(2)", 1, {0.5889f, -0.5889f, -0.5889f}}, {"H(3)", 1, {-0.5947f, 0.5947f, -0.5947f}},
    {"H(4)", 1, {-0.6004f, -0.6004f, 0.6004f}}};

// Tetrahedral, S-O 1.47 to 1.50.
const std::vector<At> kSulfate = {
    {"S(1)", 16, {0.0f, 0.0f, 0.0f}},         {"O(1)", 8, {0.8487f, 0.8487f, 0.8487f}},
    {"O(2)", 8, {0.8545f, -0.8545f, -0.8545f}}, {"O(3)", 8, {-0.8603f, 0.8603f, -0.8603f}},
    {"O(4)", 8, {-0.866f, -0.866f, 0.866f}}};

// Tetrahedral, C-H 1.08 and 1.09, C-Cl 1.77 and 1.78.
const std::vector<At> kCH2Cl2 = {
    {"C(1)", 6, {0.0f, 0.0f, 0.0f}},          {"H(1)", 1, {0.6235f, 0.6235f, 0.6235f}},
    {"H(2)", 1, {0.6293f, -0.6293f, -0.6293f}}, {"CL(1)", 17, {-1.0219f, 1.0219f, -1.0219f}},
    {"CL(2)", 17, {-1.0277f, -1.0277f, 1.0277f}}};

// Octahedral, S-F 1.56 to 1.61.
const std::vector<At> kSF6 = {
    {"S(1)", 16, {0.0f, 0.0f, 0.0f}}, {"F(1)", 9, {1.56f, 0.0f, 0.0f}},
    {"F(2)", 9, {-1.57f, 0.0f, 0.0f}}, {"F(3)", 9, {0.0f, 1.58f, 0.0f}},
    {"F(4)", 9, {0.0f, -1.59f, 0.0f}}, {"F(5)", 9, {0.0f, 0.0f, 1.6f}},
    {"F(6)", 9, {0.0f, 0.0f, -1.61f}}};

// H-F 0.92, nothing else.
const std::vector<At> kHF = {{"F(1)", 9, {2.0f, 2.0f, 2.0f}}, {"H(1)", 1, {2.92f, 2.0f, 2.0f}}};

// A diborane-like B2H6 with the B atoms 1.90 apart (not bonded): on each B two terminal H
// (1.19, 1.20) and the two bridging H (1.3225, 1.3294). The terminal pair and the bridging
// pair of a B atom both begin with a hydrogen atom.
const std::vector<At> kDiborane = {
    {"B(1)", 5, {-0.95f, 0.0f, 0.0f}},     {"B(2)", 5, {0.95f, 0.0f, 0.0f}},
    {"H(1)", 1, {-1.545f, 0.0f, 1.0306f}}, {"H(2)", 1, {-1.55f, 0.0f, -1.0392f}},
    {"H(3)", 1, {1.545f, 0.0f, 1.0306f}},  {"H(4)", 1, {1.55f, 0.0f, -1.0392f}},
    {"H(5)", 1, {0.0f, 0.92f, 0.0f}},      {"H(6)", 1, {0.0f, -0.93f, 0.0f}}};

struct FrameCase {
    const char* what;
    const std::vector<At>* atoms;
    int atom;
    const char* want;  // "sym X>T1 Y>T2" as frame_of gives it
};

TEST(FrameAtom, SmallMoleculesGetTheirFrames) {
    const FrameCase cases[] = {
        // water: two equal H, bent: Z to their midpoint (DUM1), Y to the nearer H
        {"water O", &kWater, 1, "mm2 Z>DUM1 Y>H(1)"},
        // the parent O carries H only and has two neighbours: Y to the other H, no search
        {"water H", &kWater, 2, "cyl Z>O(1) Y>H(2)"},
        {"water H'", &kWater, 3, "cyl Z>O(1) Y>H(1)"},
        // three pairs among four: Z to the neighbour in no pair, X to the nearest H
        {"methyl C", &kEthane, 1, "3m Z>C(2) X>H(1)"},
        // the parent has two types: the 10 A search gives the first heavy atom (109.5 deg)
        {"methyl H", &kEthane, 3, "cyl Z>C(1) Y>C(2)"},
        // C's nearest other neighbour H(1) makes 121.8 deg
        {"carbonyl O", &kFormaldehyde, 2, "m X>C(1) Y>H(1)"},
        // planar, one pair (the H), odd neighbour O: rule 301
        {"CH2 of formaldehyde", &kFormaldehyde, 1, "mm2 Z>O(1) X>H(1)"},
        // N-C-C is 180 deg: Z and cyl; the 4 A search around C(1) skips N, rejects C(2)
        // (180 deg) and takes H(1) (150.8 deg)
        {"nitrile N", &kAcetonitrile, 1, "cyl Z>C(1) Y>H(1)"},
        // linear: Z to the second neighbour; searches at 2.0 A hold only the neighbours, at
        // 2.5 A the third atom is H(1) at 29.2 deg
        {"nitrile C", &kAcetonitrile, 2, "cyl Z>C(2) X>H(1)"},
        // the partner has no other neighbour: all five searches accept nothing
        {"diatomic", &kChlorine, 1, "m X>CL(2) Y>DUM1"},
        {"diatomic partner", &kChlorine, 2, "m X>CL(1) Y>DUM1"},
        // linear: Z to O(2); searches up to 3.0 A hold only the two O atoms, 3.5 A adds Ne
        {"CO2 C", &kCO2Ne, 1, "cyl Z>O(2) X>NE(1)"},
        {"CO2 O", &kCO2Ne, 2, "cyl Z>C(1) Y>NE(1)"},
        // no neighbours: the 5 A search finds C (3.20), O(1) (3.40), O(2) (3.40)
        {"lone Ne", &kCO2Ne, 4, "NO X>C(1) Y>O(1)"},
        {"carbonate C", &kCarbonate, 1, "3m X>O(1) Y>O(2)"},
        // not planar, three pairs: Z to the centroid dummy of the three H
        {"ammonia N", &kAmmonia, 1, "3m Z>DUM1 X>H(1)"},
        // planar, one pair (the O atoms), odd neighbour H: Z to the O-O midpoint
        {"formate C", &kFormate, 1, "mm2 Z>DUM1 X>O(1)"},
        // one pair (the H atoms): X and Y to the heavy neighbours, heaviest first
        {"CH2 with O and C", &kEthanol, 1, "m X>O(1) Y>C(2)"},
        // bent, one H and no pair: X to the second neighbour (C), Y to the first (H)
        {"hydroxyl O", &kEthanol, 2, "m X>C(1) Y>H(3)"},
        {"ammonium N", &kAmmonium, 1, "-42m Z>DUM1 Y>H(3)"},
        {"sulfate S", &kSulfate, 1, "-42m Z>DUM1 Y>O(3)"},
        // two pairs: Z to the midpoint of the first pair not led by H (the Cl atoms)
        {"CH2Cl2 C", &kCH2Cl2, 1, "mm2 Z>DUM1 Y>H(1)"},
        // F(2) is trans to F(1), on one line with S: Y goes on to F(3)
        {"SF6 S", &kSF6, 1, "NO X>F(1) Y>F(3)"},
        // the only atom near F is the H itself: nothing qualifies, Y to the dummy at 0,0,0
        {"H on F", &kHF, 2, "cyl Z>F(1) Y>DUM1"},
        {"F of HF", &kHF, 1, "m X>H(1) Y>DUM1"},
        // both pairs led by H: Z to the midpoint of the first pair, Y to the second pair
        {"B with two H pairs", &kDiborane, 1, "mm2 Z>DUM1 Y>H(5)"},
        {"bridging H", &kDiborane, 7, "mm2 Z>DUM3 Y>B(1)"},
        // B carries hydrogen only (one type, four neighbours): Y to its next H
        {"terminal H on B", &kDiborane, 3, "cyl Z>B(1) Y>H(2)"},
    };
    for (const auto& c : cases) {
        Framed f(*c.atoms);
        f.frame();
        EXPECT_EQ(f.frame_of(c.atom), c.want) << c.what;
    }
}

// Planar HCOF: C-H 1.09, C-O 1.21, C-F 1.34 along 90, 210 and 330 deg in the xy plane.
const std::vector<At> kFormylFluoride = {
    {"C(1)", 6, {0.0f, 0.0f, 0.0f}}, {"H(1)", 1, {0.0f, 1.09f, 0.0f}},
    {"O(1)", 8, {-1.0479f, -0.605f, 0.0f}}, {"F(1)", 9, {1.1605f, -0.67f, 0.0f}}};

// Pyramids on N with the directions of ammonia (106.8 deg apart, 22 deg below the xy plane):
// NHFCl with N-H 1.01, N-F 1.40, N-Cl 1.75, and NH2Cl with N-H 1.01 and 1.02.
const std::vector<At> kNHFCl = {
    {"N(1)", 7, {0.0f, 0.0f, 0.0f}}, {"H(1)", 1, {0.9365f, 0.0f, -0.3784f}},
    {"F(1)", 9, {-0.649f, 1.1242f, -0.5246f}}, {"CL(1)", 17, {-0.8113f, -1.4053f, -0.6557f}}};
const std::vector<At> kNH2Cl = {
    {"N(1)", 7, {0.0f, 0.0f, 0.0f}}, {"H(1)", 1, {0.9365f, 0.0f, -0.3784f}},
    {"H(2)", 1, {-0.4729f, 0.8191f, -0.3822f}}, {"CL(1)", 17, {-0.8113f, -1.4053f, -0.6557f}}};

// Each of the six three-neighbour rules lists its code before it sets the frame.
TEST(FrameAtom, ThreeNeighbourRulesListTheirCodes) {
    struct Case {
        const char* what;
        const std::vector<At>* atoms;
        const char* code;
        const char* want;
    };
    const Case cases[] = {
        // planar, no pair: X and Y by the canonical order F, O, H
        {"HCOF C", &kFormylFluoride, " Label =   300", "m X>F(1) Y>O(1)"},
        {"formaldehyde C", &kFormaldehyde, " Label =   301", "mm2 Z>O(1) X>H(1)"},
        {"carbonate C", &kCarbonate, " Label =   303", "3m X>O(1) Y>O(2)"},
        // pyramidal, no pair: canonical order Cl, F, H
        {"NHFCl N", &kNHFCl, " Label =   310", "NO X>CL(1) Y>F(1)"},
        // pyramidal, the H pair: X to its midpoint, Y to the odd neighbour
        {"NH2Cl N", &kNH2Cl, " Label =   311", "m X>DUM1 Y>CL(1)"},
        {"ammonia N", &kAmmonia, " Label =   312", "3m Z>DUM1 X>H(1)"},
    };
    for (const Case& c : cases) {
        Framed f(*c.atoms);
        f.frame();
        EXPECT_EQ(f.frame_of(1), c.want) << c.what;
        EXPECT_TRUE(listed_in_order(f.file("kova.out"), {c.code})) << c.what;
    }
}

// --- Shapes whose rules gave no defined frame, and the shapes they must leave alone ---------

// Acetylene as in a PLATON file: C-C 1.203, C-H 1.06 along x at y = 0, z = 5.
const std::vector<At> kAcetylene = {
    {"C(1)", 6, {5.0f, 0.0f, 5.0f}}, {"C(2)", 6, {6.203f, 0.0f, 5.0f}},
    {"H(1)", 1, {3.94f, 0.0f, 5.0f}}, {"H(2)", 1, {7.264f, 0.0f, 5.0f}}};

// CO2 with its carbon on the origin, C-O 1.15 and 1.16 along x.
const std::vector<At> kCO2Origin = {{"C(1)", 6, {0.0f, 0.0f, 0.0f}},
                                    {"O(1)", 8, {1.15f, 0.0f, 0.0f}},
                                    {"O(2)", 8, {-1.16f, 0.0f, 0.0f}}};

// HCN along x, so that its axis passes through the origin: H-C 1.06, C-N 1.15.
const std::vector<At> kHCN = {{"H(1)", 1, {0.94f, 0.0f, 0.0f}},
                              {"C(1)", 6, {2.0f, 0.0f, 0.0f}},
                              {"N(1)", 7, {3.15f, 0.0f, 0.0f}}};

// Square-planar NiCl4 at (1,2,3), Ni-Cl 2.20 to 2.23: the nearest two cis (+x, +y) or trans
// (+x, -x). Cis Cl lie 3.1 A apart, beyond a Cl-Cl bond.
const std::vector<At> kNiCl4Cis = {{"NI(1)", 28, {1.0f, 2.0f, 3.0f}},
                                   {"CL(1)", 17, {3.2f, 2.0f, 3.0f}},
                                   {"CL(2)", 17, {1.0f, 4.21f, 3.0f}},
                                   {"CL(3)", 17, {-1.22f, 2.0f, 3.0f}},
                                   {"CL(4)", 17, {1.0f, -0.23f, 3.0f}}};
const std::vector<At> kNiCl4Trans = {{"NI(1)", 28, {1.0f, 2.0f, 3.0f}},
                                     {"CL(1)", 17, {3.2f, 2.0f, 3.0f}},
                                     {"CL(2)", 17, {-1.21f, 2.0f, 3.0f}},
                                     {"CL(3)", 17, {1.0f, 4.22f, 3.0f}},
                                     {"CL(4)", 17, {1.0f, -0.23f, 3.0f}}};

// trans-NiCl2N2: Ni-N 1.90 and 1.91 along y, Ni-Cl 2.20 and 2.21 along x.
const std::vector<At> kNiCl2N2 = {{"NI(1)", 28, {1.0f, 2.0f, 3.0f}},
                                  {"CL(1)", 17, {3.2f, 2.0f, 3.0f}},
                                  {"CL(2)", 17, {-1.21f, 2.0f, 3.0f}},
                                  {"N(1)", 7, {1.0f, 3.9f, 3.0f}},
                                  {"N(2)", 7, {1.0f, 0.09f, 3.0f}}};

// T-shaped ClF3: the stem F(1) 1.60 along y, the arms 1.70 and 1.71 along x (F-F 2.33 apart).
const std::vector<At> kClF3 = {{"CL(1)", 17, {1.0f, 2.0f, 3.0f}},
                               {"F(1)", 9, {1.0f, 3.6f, 3.0f}},
                               {"F(2)", 9, {2.7f, 2.0f, 3.0f}},
                               {"F(3)", 9, {-0.71f, 2.0f, 3.0f}}};

// Linear BeCl2, Be-Cl 1.80 and 1.81 along x.
const std::vector<At> kBeCl2 = {{"BE(1)", 4, {1.0f, 2.0f, 3.0f}},
                                {"CL(1)", 17, {2.8f, 2.0f, 3.0f}},
                                {"CL(2)", 17, {-0.81f, 2.0f, 3.0f}}};

// Tetrahedral CH4, C-H 1.08 to 1.11 along the cube diagonals.
const std::vector<At> kMethane = {
    {"C(1)", 6, {0.0f, 0.0f, 0.0f}},          {"H(1)", 1, {0.6235f, 0.6235f, 0.6235f}},
    {"H(2)", 1, {0.6293f, -0.6293f, -0.6293f}}, {"H(3)", 1, {-0.6351f, 0.6351f, -0.6351f}},
    {"H(4)", 1, {-0.6409f, -0.6409f, 0.6409f}}};

// Seesaw SF4: the twofold axis along +z; equatorial S-F 1.545 and 1.55 in the xz plane at
// 50.8 deg from it (F-S-F 101.6), axial S-F 1.646 and 1.65 in the yz plane at 86.5 deg from it
// (F-S-F 173.0); every axial-equatorial angle 87.8 deg, F-F at least 2.21 A.
const std::vector<At> kSF4 = {
    {"S(1)", 16, {0.0f, 0.0f, 0.0f}},        {"F(1)", 9, {1.1973f, 0.0f, 0.9765f}},
    {"F(2)", 9, {-1.2012f, 0.0f, 0.9796f}},  {"F(3)", 9, {0.0f, 1.6429f, 0.1005f}},
    {"F(4)", 9, {0.0f, -1.6469f, 0.1007f}}};

// Square-planar PtCl3Br: Br 2.42 along +z, the nearest Cl trans to it (2.30 along -z), the
// other two along +x and -x (2.31, 2.32); Cl-Cl and Cl-Br at least 3.26 A.
const std::vector<At> kPtCl3Br = {{"PT(1)", 78, {0.0f, 0.0f, 0.0f}},
                                  {"CL(1)", 17, {0.0f, 0.0f, -2.3f}},
                                  {"CL(2)", 17, {2.31f, 0.0f, 0.0f}},
                                  {"CL(3)", 17, {-2.32f, 0.0f, 0.0f}},
                                  {"BR(1)", 35, {0.0f, 0.0f, 2.42f}}};

// The position of a frame target named by its label (an atom or, Cartesian input, a dummy).
test::Point target_position(const Records& r, const std::string& label) {
    for (int k = 1; k <= r.frames.dummy_count; ++k)
        if (trim(r.frames.dummy_label[static_cast<std::size_t>(k)]) == label) {
            const Vec3f p = coordinates(r.frames.dummy_xyz[static_cast<std::size_t>(k)]);
            return {p[0], p[1], p[2]};
        }
    for (int i = 1; i <= r.structure.atom_count; ++i)
        if (trim(r.structure.label[static_cast<std::size_t>(i)]) == label) {
            const Vec3f& p = r.structure.cart[static_cast<std::size_t>(i)];
            return {p[0], p[1], p[2]};
        }
    ADD_FAILURE() << "no target " << label;
    return {};
}

// Every atom's frame: both targets more than 0.1 A from the atom, neither within 1 degree of
// the line through the atom and the other, and the site symmetry's operations, applied in the
// frame, map the neighbours onto neighbours of the same element (within 2 degrees: only the
// bond lengths of the molecules differ from ideal).
void expect_defined_and_true(Framed& f) {
    const test::RunRecords& r = f.r;
    for (int i = 1; i <= r.structure.atom_count; ++i) {
        const std::string line = f.atom_line(i) + std::string(80, ' ');
        SCOPED_TRACE("atom " + std::to_string(i) + ": " + f.frame_of(i));
        const Vec3f& xa = r.structure.cart[static_cast<std::size_t>(i)];
        const test::Point a{xa[0], xa[1], xa[2]};
        const test::Point t1 = target_position(r, trim(line.substr(9, 8)));
        const test::Point t2 = target_position(r, trim(line.substr(31, 8)));
        EXPECT_GT(test::readback::distance(t1, a), 0.1);
        EXPECT_GT(test::readback::distance(t2, a), 0.1);
        const double c = test::dot(test::unit(test::sub(t1, a)), test::unit(test::sub(t2, a)));
        EXPECT_LT(std::fabs(c), std::cos(1.0 * 3.14159265358979 / 180.0)) << "targets in line";
        std::vector<test::Neighbour> nei;
        const NeighbourTable& t = r.topology.neighbours[static_cast<std::size_t>(i)];
        for (int m = 1; m <= t.count; ++m) {
            const auto n = static_cast<std::size_t>(t.atom[static_cast<std::size_t>(m)]);
            nei.push_back(
                {std::to_string(r.structure.atomic_number[n]),
                 {r.structure.cart[n][0], r.structure.cart[n][1], r.structure.cart[n][2]}});
        }
        EXPECT_EQ(test::symmetry_fault(trim(r.structure.site_symmetry[static_cast<std::size_t>(i)]),
                                       a, line[19], t1, line[40], t2, nei, 2.0),
                  "");
    }
}

TEST(FrameAtom, EveryFrameDefinedAndItsSiteSymmetryTrue) {
    const FrameCase cases[] = {
        // linear C: Z to C(2); H(2) beyond C(2) lies at 0 deg and is passed over (an X target
        // must be more than 10 deg off the Z line); nothing else: the origin, 135 deg off
        {"acetylene C", &kAcetylene, 1, "cyl Z>C(2) X>DUM1"},
        // the heavy atom of the 10 A search, C(2), is at 180 deg: the origin
        {"acetylene H", &kAcetylene, 3, "cyl Z>C(1) Y>DUM1"},
        // 0,0,0 is the atom: 0.5,0.5,0.5 (125 deg from O(2)) stands in
        {"CO2 C on the origin", &kCO2Origin, 1, "cyl Z>O(2) X>DUM1"},
        // 0,0,0 is the partner C on the Z line: 0.5,0.5,0.5 (47 deg off), the same dummy
        {"CO2 O beside the origin", &kCO2Origin, 2, "cyl Z>C(1) Y>DUM1"},
        // the origin lies on the x axis of all three: 0.5,0.5,0.5 each time
        {"HCN H", &kHCN, 1, "cyl Z>C(1) Y>DUM1"},
        {"HCN C", &kHCN, 2, "cyl Z>N(1) X>DUM1"},
        {"HCN N", &kHCN, 3, "cyl Z>C(1) Y>DUM1"},
        // a square: Z along the normal (a dummy 1 A above Ni on +z), Y to the nearest Cl
        {"NiCl4, nearest two cis", &kNiCl4Cis, 1, "-42m Z>DUM1 Y>CL(1)"},
        {"NiCl4, nearest two trans", &kNiCl4Trans, 1, "-42m Z>DUM1 Y>CL(1)"},
        // the first pair (the N atoms) has its midpoint on Ni: Z to N(1), on the same line
        {"trans-NiCl2N2", &kNiCl2N2, 1, "mm2 Z>N(1) Y>CL(1)"},
        // rule 303 found no threefold axis in a T: Z along the stem, Y to the nearer arm
        {"ClF3", &kClF3, 1, "mm2 Z>F(1) Y>F(2)"},
        // the origin lies 74.5 deg off the Cl-Be-Cl line
        {"BeCl2", &kBeCl2, 1, "cyl Z>CL(2) X>DUM1"},
        // four equal F, one trans pair: -42m about the F(1)-F(2) bisector sends F(1) 42 deg
        // from F(3); nothing maps onto a threefold axis; the first twofold axis found is the
        // bisector of F(1) and F(2) (the trans pair's midpoint lies 0.10 A from S and is not
        // tried), Y towards F(1): the equatorial pair in one mirror, the axial in the other
        {"SF4 seesaw", &kSF4, 1, "mm2 Z>DUM1 Y>F(1)"},
        // three equal Cl: rule 3m puts Z towards Br and X towards CL(1), on the Z line; the
        // Cl-Pt-Br line is a twofold axis, CL(1) its first point, CL(2) the first cis Cl
        {"PtCl3Br", &kPtCl3Br, 1, "mm2 Z>CL(1) Y>CL(2)"},
        {"CH4", &kMethane, 1, "-42m Z>DUM1 Y>H(3)"},
        {"ammonium N", &kAmmonium, 1, "-42m Z>DUM1 Y>H(3)"},
        {"sulfate S", &kSulfate, 1, "-42m Z>DUM1 Y>O(3)"},
        {"carbonate C", &kCarbonate, 1, "3m X>O(1) Y>O(2)"},
        {"water O", &kWater, 1, "mm2 Z>DUM1 Y>H(1)"},
        {"nitrile C", &kAcetonitrile, 2, "cyl Z>C(2) X>H(1)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Framed f(*c.atoms);
        f.frame();
        EXPECT_EQ(f.frame_of(c.atom), c.want);
        expect_defined_and_true(f);
    }
    {
        Framed f(kCO2Origin);
        f.frame();
        ASSERT_EQ(f.r.frames.dummy_count, 1);
        EXPECT_TRUE(near(f.dummy(1), Vec3f{0.5f, 0.5f, 0.5f}));
        const std::string why = ": 0,0,0 lies on the atom or on the line of its other axis";
        EXPECT_TRUE(listed_in_order(
            f.file("kova.out"),
            {" No neighbors of atom C(1)     were found within      10.00 Angstroms",
             " Will make dummy at 0.5,0.5,0.5" + why,
             " No neighbors of atom C(1)     were found within      12.00 Angstroms",
             " Will make dummy at 0.5,0.5,0.5" + why}));
    }
    {
        Framed f(kNiCl4Trans);
        f.frame();
        EXPECT_TRUE(near(f.dummy(1), Vec3f{1.0f, 2.0f, 4.0f}));
        EXPECT_TRUE(listed_in_order(f.file("kova.out"), {" SQUARE-PLANAR conformation !"}));
    }
    {
        Framed f(kNiCl2N2);
        f.frame();
        EXPECT_TRUE(listed_in_order(
            f.file("kova.out"),
            {" Midpoint of N(1) and N(2) lies on the atom; Z-axis towards N(1) instead"}));
    }
    {
        Framed f(kClF3);
        f.frame();
        EXPECT_TRUE(
            listed_in_order(f.file("kova.out"), {" Label =   303", " T-SHAPED conformation !"}));
    }
    {
        // The rule's dummy at the same midpoint is taken back and made again: one dummy.
        Framed f(kSF4);
        f.frame();
        ASSERT_EQ(f.r.frames.dummy_count, 1);
        EXPECT_TRUE(
            near(f.dummy(1), Vec3f{(1.1973f - 1.2012f) * 0.5f, 0.0f, (0.9765f + 0.9796f) * 0.5f}));
        EXPECT_TRUE(listed_in_order(
            f.file("kova.out"),
            {" The neighbours lack the site symmetry -42m in the rule's axes; mm2 with"
             " Z-axis towards DUM1 and Y-axis towards F(1)"}));
    }
    {
        Framed f(kPtCl3Br);
        f.frame();
        EXPECT_EQ(f.r.frames.dummy_count, 0);
        EXPECT_TRUE(listed_in_order(
            f.file("kova.out"),
            {" The neighbours lack the site symmetry 3m in the rule's axes; mm2 with"
             " Z-axis towards CL(1) and Y-axis towards CL(2)"}));
    }
    // The unchanged molecules of the other tests keep defined and true frames too.
    for (const auto* m :
         {&kWater, &kEthane, &kFormaldehyde, &kAcetonitrile, &kChlorine, &kCO2Ne, &kCarbonate,
          &kAmmonia, &kFormate, &kEthanol, &kAmmonium, &kSulfate, &kCH2Cl2, &kSF6, &kHF}) {
        Framed f(*m);
        f.frame();
        expect_defined_and_true(f);
    }
}

TEST(FrameAtom, DummyTargetsLieWhereTheRulesPutThem) {
    {
        Framed f(kWater);
        f.frame();
        ASSERT_EQ(f.r.frames.dummy_count, 1);
        EXPECT_TRUE(
            near(f.dummy(1), Vec3f{(0.7513f - 0.7592f) * 0.5f, (0.5815f + 0.5876f) * 0.5f, 0.0f}));
    }
    {
        Framed f(kAmmonia);
        f.frame();
        EXPECT_TRUE(near(f.dummy(1), Vec3f{(0.9365f - 0.4729f - 0.4775f) / 3.0f,
                                           (0.0f + 0.819f - 0.8271f) / 3.0f,
                                           (-0.3784f - 0.3821f - 0.3858f) / 3.0f}));
    }
    {
        // B(2) makes DUM2 at its own terminal pair; the bridging H reuse nothing: DUM3 is the
        // B-B midpoint, the origin.
        Framed f(kDiborane);
        f.frame();
        EXPECT_TRUE(
            near(f.dummy(1), Vec3f{(-1.545f - 1.55f) * 0.5f, 0.0f, (1.0306f - 1.0392f) * 0.5f}));
        EXPECT_TRUE(near(f.dummy(3), Vec3f{0.0f, 0.0f, 0.0f}));
        EXPECT_EQ(f.r.frames.final_frame[1].target1, 8 + 1);  // the frame integer names the dummy
    }
}

// The rules only read the records: the dummies they ask for and a hydrogen atom's parent data
// travel on the FrameDraft, and the commit stores them. Water, with the frames built as the
// decision builds them: O has the equal pair (H(1), H(2)); H(1)'s parent O carries H atoms only.
TEST(FrameAtom, RulesAskAndTheCommitRecords) {
    Framed f(kWater);
    find_all_neighbours(f.r.io, f.r);
    FrameAnalysis analysis(f.r, nullptr);
    const Records& records = f.r;
    FrameDraft o;
    o.equal_pairs = {{2, 3}};
    o.hydrogens = 2;
    frame_rules(f.r.io, records, analysis.neighbours, 1, o);
    EXPECT_EQ(o.site_symmetry, "mm2");
    EXPECT_EQ(o.label1, "DUM1    ");  // the number the dummy is to get
    ASSERT_EQ(o.new_dummies.size(), 1u);
    EXPECT_EQ(f.r.frames.dummy_count, 0);
    FrameDraft h;
    frame_rules(f.r.io, records, analysis.neighbours, 2, h);
    EXPECT_EQ(h.parent, 1);
    EXPECT_EQ(h.parent_data.neighbours, 2);
    EXPECT_EQ(h.parent_data.atomic_number, 8);
    EXPECT_EQ(h.parent_data.hydrogens, 2);
    EXPECT_EQ(f.r.frames.parent_atomic_number[2], 0);

    commit_frame_and_results(f.r.io, f.r, 1, o, analysis);
    ASSERT_EQ(f.r.frames.dummy_count, 1);
    EXPECT_TRUE(
        near(f.dummy(1), Vec3f{(0.7513f - 0.7592f) * 0.5f, (0.5815f + 0.5876f) * 0.5f, 0.0f}));
    EXPECT_EQ(f.r.frames.final_frame[1].target1, 3 + 1);
    EXPECT_EQ(trim(f.r.structure.site_symmetry[1]), "mm2");
    commit_frame_and_results(f.r.io, f.r, 2, h, analysis);
    EXPECT_EQ(f.r.frames.parent_neighbours[2], 2);
    EXPECT_EQ(f.r.frames.parent_atomic_number[2], 8);
    EXPECT_EQ(f.r.frames.parent_hydrogens[2], 2);
}

// A rule frame that the site-symmetry check gives up takes the dummies it asked for with it; a
// frame it keeps keeps them. PtCl3Br: rule 3m puts X on the Z line (see above), so it is given
// up for mm2 Z>CL(1) Y>CL(2), which needs no dummy; a dummy asked for on the Z line beyond the
// Br atom stands for one the rule made. CH4: the rule's -42m holds, with its midpoint dummy.
TEST(FrameAtom, AFrameGivenUpDropsItsDummies) {
    {
        Framed f(kPtCl3Br);
        find_all_neighbours(f.r.io, f.r);
        FrameAnalysis analysis(f.r, nullptr);
        const Records& records = f.r;
        FrameDraft fr;
        fr.equal_pairs = {{2, 3}, {2, 4}, {3, 4}};  // the three Cl, in distance order
        frame_rules(f.r.io, records, analysis.neighbours, 1, fr);
        target_dummy(f.r.io, records, fr, 1, Cartesian{0.0f, 0.0f, 5.0f});
        ASSERT_EQ(fr.new_dummies.size(), 1u);
        check_site_symmetry_or_fall_back(f.r.io, records, 1, fr);
        EXPECT_EQ(fr.site_symmetry, "mm2");
        EXPECT_EQ(fr.label1, "CL(1)   ");
        EXPECT_EQ(fr.label2, "CL(2)   ");
        EXPECT_TRUE(fr.new_dummies.empty());
        commit_frame_and_results(f.r.io, f.r, 1, fr, analysis);
        EXPECT_EQ(f.r.frames.dummy_count, 0);
    }
    {
        Framed f(kMethane);
        find_all_neighbours(f.r.io, f.r);
        FrameAnalysis analysis(f.r, nullptr);
        const Records& records = f.r;
        FrameDraft fr;
        fr.equal_pairs = {{2, 3}, {2, 4}, {2, 5}, {3, 4}, {3, 5}, {4, 5}};
        frame_rules(f.r.io, records, analysis.neighbours, 1, fr);
        check_site_symmetry_or_fall_back(f.r.io, records, 1, fr);
        EXPECT_EQ(fr.site_symmetry, "-42m");
        EXPECT_EQ(fr.label1, "DUM1    ");
        EXPECT_EQ(fr.new_dummies.size(), 1u);
        commit_frame_and_results(f.r.io, f.r, 1, fr, analysis);
        EXPECT_EQ(f.r.frames.dummy_count, 1);
    }
}

// Two SF4 molecules 20 A apart (the second keeps the labels of the first): each rule frame is
// given up for mm2 about the midpoint of its equatorial pair; the second molecule's listing
// names the next number, DUM2.
TEST(FrameAtom, NumbersAfterAFrameGivenUp) {
    Framed f(kSF4);
    f.add(kSF4, {20.0f, 0.0f, 0.0f});
    f.frame();
    EXPECT_EQ(f.r.frames.dummy_count, 2);
    EXPECT_EQ(f.frame_of(6), "mm2 Z>DUM2 Y>F(1)");
    EXPECT_TRUE(listed_in_order(
        f.file("kova.out"),
        {" The neighbours lack the site symmetry -42m in the rule's axes; mm2 with"
         " Z-axis towards DUM1 and Y-axis towards F(1)",
         " The neighbours lack the site symmetry -42m in the rule's axes; mm2 with"
         " Z-axis towards DUM2 and Y-axis towards F(1)"}));
}

TEST(FrameAtom, HydrogenRuleRecordsTheParent) {
    struct Case { const std::vector<At>* atoms; int h; int isp, ihp, ihnei; };
    for (Case c : {Case{&kWater, 2, 2, 8, 2}, Case{&kEthane, 3, 4, 6, 3}, Case{&kHF, 2, 1, 9, 1}}) {
        Framed f(*c.atoms);
        f.frame();
        const auto h = static_cast<std::size_t>(c.h);
        EXPECT_EQ(f.r.frames.parent_neighbours[h], c.isp);
        EXPECT_EQ(f.r.frames.parent_atomic_number[h], c.ihp);
        EXPECT_EQ(f.r.frames.parent_hydrogens[h], c.ihnei);
    }
    Framed f(kEthane);
    f.frame();
    EXPECT_EQ(f.r.frames.parent_neighbours[1], 0);  // a carbon keeps 0, 0, 0
}

TEST(FrameAtom, FailedSearchesSayWhereTheyLooked) {
    {
        Framed f(kChlorine);
        f.frame();
        const std::string no =
            " No neighbors of atom CL(2)    were found within      12.00 Angstroms";
        EXPECT_TRUE(listed_in_order(f.file("kova.out"), {no, " Will make dummy at 0,0,0"}));
        EXPECT_TRUE(
            listed_in_order(test::lines_of(f.out.str()), {no, " Will make dummy at 0,0,0"}));
    }
    {
        Framed f(kHF);
        f.frame();
        EXPECT_TRUE(listed_in_order(
            f.file("kova.out"),
            {" No neighbors of atom F(1)     were found within      10.00 Angstroms",
             " Will make dummy at 0,0,0"}));
        EXPECT_EQ(f.r.frames.dummy_count, 1);  // the H reuses the F atom's dummy at 0,0,0
    }
    {
        // An isolated atom: searches 5, 6, ..., 20 A, then two dummies (seen from Ar they lie
        // 4.3 deg apart).
        Framed f({{"AR(1)", 18, {10.0f, 0.0f, 0.0f}}});
        f.frame();
        EXPECT_EQ(f.frame_of(1), "NO X>DUM1 Y>DUM2");
        EXPECT_TRUE(near(f.dummy(1), Vec3f{0.0f, 0.0f, 0.0f}));
        EXPECT_TRUE(near(f.dummy(2), Vec3f{0.5f, 0.5f, 0.5f}));
        const std::vector<std::string> want = {
            " No neighbors of atom AR(1)    were found within      20.00 Angstroms",
            " Will make dummies at 0,0,0 and 0.5,0.5,0.5"};
        EXPECT_TRUE(listed_in_order(f.file("kova.out"), want));
        EXPECT_TRUE(listed_in_order(test::lines_of(f.out.str()), want));
    }
}

// An atom with no neighbour within 20 A, in a cubic 10 A cell (fixed points in fractional
// coordinates) or from Cartesian input (in A). The dummies at 0,0,0 and 0.5,0.5,0.5 stay unless
// one lies within 0.1 A of the atom or both lie within 1 deg of one line through it; then the
// next point of 0,0,0, 0.5,0.5,0.5, 0.5,0,0, 0,0.5,0, 0,0,0.5 that is neither stands in.
TEST(FrameAtom, FixedPointsOffTheAtomAndOffOneLine) {
    struct Case {
        const char* what;
        bool crystal;
        Vec3f at;  // fractional for a crystal, else Cartesian
        const char* points;
        Vec3f d1, d2;  // the stored dummies
    };
    const Vec3f o{0.0f, 0.0f, 0.0f}, c{0.5f, 0.5f, 0.5f}, a{0.5f, 0.0f, 0.0f};
    const Case cases[] = {
        // X's point on the atom: 0.5,0.5,0.5 is Y's own (in line with itself), 0.5,0,0 is 54.7
        // deg off the body diagonal
        {"on 0,0,0", true, o, "0.5,0,0 and 0.5,0.5,0.5", a, c},
        {"0.09 A from 0,0,0", true, {0.009f, 0.0f, 0.0f}, "0.5,0,0 and 0.5,0.5,0.5", a, c},
        {"0.11 A from 0,0,0", true, {0.011f, 0.0f, 0.0f}, "0,0,0 and 0.5,0.5,0.5", o, c},
        // Y's point on the atom: 0.5,0,0 is 35.3 deg off the line to 0,0,0
        {"on 0.5,0.5,0.5", true, c, "0,0,0 and 0.5,0,0", o, a},
        // the other fixed points are used only in place of these two
        {"on 0.5,0,0", true, a, "0,0,0 and 0.5,0.5,0.5", o, c},
        {"on 0,0.5,0", true, {0.0f, 0.5f, 0.0f}, "0,0,0 and 0.5,0.5,0.5", o, c},
        {"on 0,0,0.5", true, {0.0f, 0.0f, 0.5f}, "0,0,0 and 0.5,0.5,0.5", o, c},
        // on the x=y=z line: 0,0,0 and 0.5,0.5,0.5 lie at 180 deg; 0.5,0,0 at 70.5 deg
        {"between on x=y=z", true, {0.25f, 0.25f, 0.25f}, "0,0,0 and 0.5,0,0", o, a},
        {"on x=y=z, Cartesian", false, {2.0f, 2.0f, 2.0f}, "0,0,0 and 0.5,0,0", o, a},
        // 52 A from the origin every point lies within 1 deg of the line to 0,0,0: 0.5,0.5,0.5
        // at 0.13 deg, 0.5,0,0 at 0.48, 0,0.5,0 at 0.45, 0,0,0.5 at 0.41; the widest is taken
        {"far away, Cartesian", false, {25.0f, 30.0f, 35.0f}, "0,0,0 and 0.5,0,0", o, a},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        const float s = k.crystal ? 10.0f : 1.0f;
        Framed f({{"C(1)", 6, {k.at[0] * s, k.at[1] * s, k.at[2] * s}}});
        if (k.crystal) {
            f.r.options.crystal_input = true;
            f.r.structure.frac_to_cart =
                Mat3f{{{10.0f, 0.0f, 0.0f}, {0.0f, 10.0f, 0.0f}, {0.0f, 0.0f, 10.0f}}};
            f.r.structure.cart_to_frac =
                Mat3f{{{0.1f, 0.0f, 0.0f}, {0.0f, 0.1f, 0.0f}, {0.0f, 0.0f, 0.1f}}};
            f.r.structure.frac[1] = Fractional{k.at};
        }
        f.frame();
        EXPECT_EQ(f.frame_of(1), "NO X>DUM1 Y>DUM2");
        EXPECT_TRUE(near(f.dummy(1), k.d1));
        EXPECT_TRUE(near(f.dummy(2), k.d2));
        const std::string line = std::string(" Will make dummies at ") + k.points;
        EXPECT_TRUE(listed_in_order(f.file("kova.out"), {line}));
        EXPECT_TRUE(listed_in_order(test::lines_of(f.out.str()), {line}));
    }
}

// The NO rule and the search with two atoms found: Y leaves the line through the atom and X
// for the next atom of the order, or else for a dummy at the first fixed point off that line.
TEST(FrameAtom, SecondAxisOffTheLineOfTheFirst) {
    const float d1 = 1.15f / std::sqrt(3.0f), d2 = 1.16f / std::sqrt(3.0f);
    // Linear CO2 on the body diagonal: seen from C the origin and 0.5,0.5,0.5 lie on the line,
    // 0.5,0,0 is 7.3 deg off it.
    const std::vector<At> diagonal = {{"C(1)", 6, {2.0f, 2.0f, 2.0f}},
                                      {"O(1)", 8, {2.0f + d1, 2.0f + d1, 2.0f + d1}},
                                      {"O(2)", 8, {2.0f - d2, 2.0f - d2, 2.0f - d2}}};
    struct Case {
        const char* what;
        const std::vector<At>* atoms;
        int atom;
        const char* want;
        const char* dummy_line;  // " Will make dummy at ..." or none
    };
    const Case cases[] = {
        // C: O(1) and O(2) in line, no third neighbour; the origin lies 115 deg from O(1)
        {"TOXD CO2 C", &kCO2Ne, 1, "NO X>O(1) Y>DUM1", " Will make dummy at 0,0,0"},
        // O(1): the 5 A search gives C(1) 1.15, O(2) 2.31 (in line), NE(1) 3.40
        {"TOXD CO2 O", &kCO2Ne, 2, "NO X>C(1) Y>NE(1)", nullptr},
        // Ne: C(1), then O(1) 19.8 deg from it
        {"TOXD Ne", &kCO2Ne, 4, "NO X>C(1) Y>O(1)", nullptr},
        {"TOXD CO2 on x=y=z", &diagonal, 1, "NO X>O(1) Y>DUM1", " Will make dummy at 0.5,0,0"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        Framed f(*k.atoms);
        f.r.options.to_xd = true;
        f.frame();
        EXPECT_EQ(f.frame_of(k.atom), k.want);
        if (k.dummy_line) {
            EXPECT_TRUE(listed_in_order(f.file("kova.out"), {k.dummy_line}));
            EXPECT_TRUE(listed_in_order(test::lines_of(f.out.str()), {k.dummy_line}));
        }
    }
    {
        Framed f(diagonal);
        f.r.options.to_xd = true;
        f.frame();
        EXPECT_TRUE(near(f.dummy(1), Vec3f{0.5f, 0.0f, 0.0f}));
        EXPECT_EQ(f.r.frames.dummy_count, 1);  // both O atoms reuse it
    }
    {
        // An ordered Cl whose only neighbour, a disordered C, lies on the x=y=z line with it:
        // Y skips 0,0,0 and 0.5,0.5,0.5.
        Framed f({{"CL(1)", 17, {3.0f, 3.0f, 3.0f}}, {"C(1)", 6, {4.0f, 4.0f, 4.0f}}});
        f.r.structure.occupancy[2] = 0.5f;
        f.r.structure.occupancy_flag[2] = -1;
        f.frame();
        EXPECT_EQ(f.frame_of(1), "NO X>C(1) Y>DUM1");
        EXPECT_TRUE(near(f.dummy(1), Vec3f{0.5f, 0.0f, 0.0f}));
        EXPECT_TRUE(listed_in_order(f.file("kova.out"), {" Will make dummy at 0.5,0,0"}));
    }
}

TEST(FrameAtom, ListingOfTheDecision) {
    Framed f(kWater);
    f.frame();
    EXPECT_TRUE(listed_in_order(f.file("kova.out"),
                                {" Number of covalently-bonded H-atoms =    2",
                                 " Same atoms :      2     3", " is =    1", " BENT conformation !",
                                 " Calling DetExcept...", " New kappa set =    1",
                                 " Symmetry = [mm2  ]", " Local coordinate system definition : ",
                                 " Atom O(1) :: will skip reading databank",
                                 " CKS :: Atom=     1  kset=   1  nsft=   1"}));

    // Five or more neighbours: the NO rule, with no planarity line and no pair count.
    Framed s(kSF6);
    s.frame();
    auto l = s.file("kova.out");
    EXPECT_TRUE(
        listed_in_order(l, {" Number of covalently-bonded H-atoms =    0", " Symmetry = [NO   ]"}));
    for (const auto& line : l) {
        EXPECT_NE(line.rfind(" Atomic group (", 0), 0u);
        if (line == " Symmetry = [NO   ]") break;
        EXPECT_NE(line.rfind(" is = ", 0), 0u);
    }
    // Three neighbours: the rule label; four: none.
    Framed n(kAmmonia);
    n.frame();
    EXPECT_TRUE(listed_in_order(n.file("kova.out"),
                                {" Atomic group ( 4 atoms) planarity (lPG) = .F.", " is =    3",
                                 " Label =   312"}));
}

// Benzene with radii growing by 1 mA per atom (C 1.390 to 1.395, H 2.470 to 2.475 from the
// centre) so that C(2) is C(1)'s nearer ring neighbour and C(1) is C(2)'s.
std::vector<At> benzene() {
    const float c = 0.5f, s = 0.8660254f;
    const float dx[6] = {1.0f, c, -c, -1.0f, -c, c}, dy[6] = {0.0f, s, s, 0.0f, -s, -s};
    static const char* const cl[6] = {"C(1)", "C(2)", "C(3)", "C(4)", "C(5)", "C(6)"};
    static const char* const hl[6] = {"H(1)", "H(2)", "H(3)", "H(4)", "H(5)", "H(6)"};
    std::vector<At> v;
    for (int k = 0; k < 6; ++k) {
        const float rc = 1.39f + 0.001f * k;
        v.push_back({cl[k], 6, {rc * dx[k], rc * dy[k], 0.0f}});
    }
    for (int k = 0; k < 6; ++k) {
        const float rh = 2.47f + 0.001f * k;
        v.push_back({hl[k], 1, {rh * dx[k], rh * dy[k], 0.0f}});
    }
    return v;
}

TEST(FrameAtom, BenzeneWithAndWithoutRingFrames) {
    {
        Framed f(benzene());
        f.ring({1, 2, 3, 4, 5, 6}, true);
        f.r.options.rings.special = true;
        f.frame();
        EXPECT_EQ(f.frame_of(1), "m X>DUM1 Y>C(2)");
        EXPECT_EQ(f.frame_of(2), "m X>DUM1 Y>C(1)");  // the same centre dummy
        EXPECT_EQ(f.frame_of(7), "cyl Z>C(1) Y>C(2)");
        EXPECT_EQ(f.r.topology.ring_dummy[1], 1);
        Vec3f centre{};
        for (int k = 0; k < 6; ++k)
            for (int j = 0; j < 3; ++j) centre[j] += benzene()[k].xc[j] / 6.0f;
        EXPECT_TRUE(near(f.dummy(1), centre));
        auto l = f.file("kova.out");
        EXPECT_TRUE(listed_in_order(l, {" Atom belongs to only one planar ring ( #     1 )",
                                        " Dummy atom which defines the ring center = DUM1  ",
                                        " Atom belongs to only one planar ring ( #     1 )",
                                        " Dummy atom which defines the ring center = DUM1  "}));
        // A ring frame skips the planarity test and the pair count.
        for (const auto& line : l) {
            if (line.rfind(" Symmetry = [", 0) == 0) break;
            EXPECT_NE(line.rfind(" is = ", 0), 0u);
        }
    }
    {
        // Without *special the ring is reported and the three-neighbour rules decide:
        // planar, the two ring C equal, odd neighbour H: Z to the midpoint of C(2) and C(6).
        Framed f(benzene());
        f.ring({1, 2, 3, 4, 5, 6}, true);
        f.frame();
        EXPECT_EQ(f.frame_of(1), "mm2 Z>DUM1 X>C(2)");
        EXPECT_TRUE(listed_in_order(f.file("kova.out"),
                                    {" Atom belongs to only one planar ring ( #     1 )",
                                     " Label =   301"}));
    }
    {
        // A ring that is not planar: two lines, and no ring situation.
        Framed f(benzene());
        f.ring({1, 2, 3, 4, 5, 6}, false);
        f.r.options.rings.special = true;
        find_all_neighbours(f.r.io, f.r);
        f.r.frames.dummy_count = 0;
        FrameAnalysis analysis(f.r, nullptr);
        const FrameDraft fr = frame_atom(f.r.io, f.r, 1, analysis);
        EXPECT_EQ(fr.planar.rings, 0);
        EXPECT_EQ(fr.planar.ring_size, 0);
        EXPECT_TRUE(listed_in_order(f.file("kova.out"),
            {" This atom belongs to 1 or 2 rings which are NOT planar ' or it belongs to >2 rings",
             " Will be treated as if it DOES NOT belong to a ring"}));
    }
}

// Naphthalene without H: fusion atoms C(9), C(10) 1.42 apart on the y axis; ring B's outer
// atoms pushed 0.01 A outwards, so C(9)'s neighbours are C(1) 1.395, C(8) 1.404, C(10) 1.420.
const std::vector<At> kNaphthalene = {
    {"C(9)", 6, {0.0f, 0.71f, 0.0f}},        {"C(10)", 6, {0.0f, -0.71f, 0.0f}},
    {"C(1)", 6, {-1.2124f, 1.4f, 0.0f}},     {"C(2)", 6, {-2.4248f, 0.7f, 0.0f}},
    {"C(3)", 6, {-2.4248f, -0.7f, 0.0f}},    {"C(4)", 6, {-1.2124f, -1.4f, 0.0f}},
    {"C(5)", 6, {1.2224f, -1.4f, 0.0f}},     {"C(6)", 6, {2.4348f, -0.7f, 0.0f}},
    {"C(7)", 6, {2.4348f, 0.7f, 0.0f}},      {"C(8)", 6, {1.2224f, 1.4f, 0.0f}}};

// Two regular pentagons (side 1.40) sharing the bond C(1)-C(2), pulled to 1.42.
const std::vector<At> kPentalene = {
    {"C(1)", 6, {0.0f, 0.71f, 0.0f}},        {"C(2)", 6, {0.0f, -0.71f, 0.0f}},
    {"C(3)", 6, {-1.3315f, 1.1326f, 0.0f}},  {"C(4)", 6, {-2.1544f, 0.0f, 0.0f}},
    {"C(5)", 6, {-1.3315f, -1.1326f, 0.0f}}, {"C(6)", 6, {1.3415f, -1.1326f, 0.0f}},
    {"C(7)", 6, {2.1644f, 0.0f, 0.0f}},      {"C(8)", 6, {1.3415f, 1.1326f, 0.0f}}};

TEST(FrameAtom, FusionAtoms) {
    {
        // X to the other fusion atom (ring sizes 6 + 6 = 12), Y to the first neighbour in one
        // planar six-membered ring (canonical order: the two-neighbour atoms first).
        Framed f(kNaphthalene);
        f.ring({1, 3, 4, 5, 6, 2}, true);
        f.ring({1, 10, 9, 8, 7, 2}, true);
        f.r.options.rings.special = true;
        f.frame();
        EXPECT_EQ(f.frame_of(1), "m X>C(10) Y>C(1)");
        EXPECT_EQ(f.frame_of(2), "m X>C(9) Y>C(4)");
        EXPECT_TRUE(listed_in_order(f.file("kova.out"),
                                    {" Atom belongs to 2 planar rings of tot numb ( #    3 )"}));
        // C(1) of ring 1: the ring-centre frame, Y to C(2) (two neighbours, before C(9)).
        EXPECT_EQ(f.frame_of(3), "m X>DUM1 Y>C(2)");
    }
    {
        // Sizes 5 + 5 = 10: the fusion frame is dropped and rule 301 decides (one pair, the
        // two outer neighbours; odd neighbour the other fusion atom).
        Framed f(kPentalene);
        f.ring({1, 3, 4, 5, 2}, true);
        f.ring({1, 8, 7, 6, 2}, true);
        f.r.options.rings.special = true;
        find_all_neighbours(f.r.io, f.r);
        f.r.frames.dummy_count = 0;
        FrameAnalysis analysis(f.r, nullptr);
        const FrameDraft fr = frame_atom(f.r.io, f.r, 1, analysis);
        EXPECT_EQ(fr.planar.rings, 2);
        EXPECT_EQ(fr.planar.ring_size, 10);
        f.r.io.flush_all();
        EXPECT_EQ(f.frame_of(1), "mm2 Z>C(2) X>C(3)");
    }
}

// A ring frame that finds no atom for an axis stops the run, naming the atom. The rings are
// set by hand around ethane's C(1) (neighbours C(2), H(1)-H(3)), with four neon atoms far
// away as further members, so that the neighbours the frame looks for are not there.
TEST(FrameAtom, RingFramesWithoutTheirTargetStop) {
    std::vector<At> atoms = kEthane;  // atoms 1-8
    const char* const ne[] = {"NE(1)", "NE(2)", "NE(3)", "NE(4)"};  // atoms 9-12, 5 A apart
    for (int k = 0; k < 4; ++k)
        atoms.push_back({ne[k], 10, {20.0f + 5.0f * static_cast<float>(k), 0.0f, 0.0f}});
    struct Case {
        const char* what;
        std::vector<std::vector<int>> rings;  // all planar
        const char* line;
    } cases[] = {
        // one planar ring none of whose members is a neighbour: no Y target
        {"ring centre", {{1, 9, 10}},
         " ERROR *** DefLoc *** Could not find atom to direct Y-axis of atom C(1)"},
        // two planar rings, no neighbour in a ring: no X target
        {"fusion, first axis", {{1, 9, 10}, {1, 11, 12}},
         " ERROR *** DefLoc *** Could not find atom to direct X-axis of atom C(1)"},
        // C(2) shares both rings (sizes 5 + 6 = 11), no neighbour in one planar six-ring
        {"fusion, second axis", {{1, 2, 9, 10, 11}, {1, 2, 9, 10, 11, 12}},
         " ERROR *** DefLoc *** Could not find atom to direct Y-axis of atom C(1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Framed f(atoms);
        for (const auto& members : c.rings) f.ring(members, true);
        f.r.options.rings.special = true;
        find_all_neighbours(f.r.io, f.r);
        f.r.frames.dummy_count = 0;
        FrameAnalysis analysis(f.r, nullptr);
        EXPECT_THROW(frame_atom(f.r.io, f.r, 1, analysis), RunStop);
        const auto l = f.file("kova.out");
        ASSERT_GE(l.size(), 2u);
        EXPECT_EQ(l[l.size() - 2], c.line);
        EXPECT_NE(f.out.str().find(std::string("\n") + c.line + "\n"), std::string::npos);
    }
}

// Methanol-like fragment with a disordered carbon (occupancy 0.5): the ordered O and Cl next
// to it, and a second disordered carbon bonded to the first.
std::vector<At> disordered() {
    return {{"O(1)", 8, {0.0f, 0.0f, 0.0f}},       {"H(1)", 1, {0.96f, 0.0f, 0.0f}},
            {"C(1)", 6, {-0.4767f, 1.3484f, 0.0f}}, {"CL(1)", 17, {-1.3f, 2.9f, 0.0f}},
            {"C(2)", 6, {0.6f, 2.3f, 0.0f}}};
}

TEST(FrameAtom, DisorderedNeighbours) {
    Framed f(disordered());
    for (int i : {3, 5}) {
        f.r.structure.occupancy[static_cast<std::size_t>(i)] = 0.5f;
        f.r.structure.occupancy_flag[static_cast<std::size_t>(i)] = -1;
    }
    f.frame();
    // O: ordered next to disordered C: NO, X and Y to the canonical order (C before H).
    EXPECT_EQ(f.frame_of(1), "NO X>C(1) Y>H(1)");
    // Cl: its only neighbour is disordered: Y to the dummy at 0,0,0, nothing of O's frame.
    EXPECT_EQ(f.frame_of(4), "NO X>C(1) Y>DUM1");
    EXPECT_TRUE(near(f.dummy(1), Vec3f{0.0f, 0.0f, 0.0f}));
    // The disordered C next to a disordered C is framed by the rules.
    EXPECT_NE(trim(f.r.structure.site_symmetry[3]), "NO");
    // Kappa sets: O opens set 1 (free atom); Cl takes that free-atom set of its table.
    EXPECT_EQ(f.r.frames.kappa_set[1], 1);
    EXPECT_EQ(f.r.frames.kappa_set[4], 1);
    auto l = f.file("kova.out");
    EXPECT_TRUE(listed_in_order(l, {" Using old [IAM] kappa set =    1"}));
    // No functional group for the atoms next to disorder.
    int calls = 0;
    for (const auto& line : l) calls += line == " Calling DetExcept..." ? 1 : 0;
    EXPECT_EQ(calls, 3);  // H(1), C(1), C(2)
}

TEST(FrameAtom, ToxdFramesByTheNoRuleAndUsesTheTables) {
    Framed f(kWater);
    f.r.options.to_xd = true;
    f.r.structure.scattering_table[2] = f.r.structure.scattering_table[3] = 2;
    f.frame();
    EXPECT_EQ(f.frame_of(1), "NO X>H(1) Y>H(2)");
    // one neighbour under TOXD: the 5 A search gives O (nearest) and the other H
    EXPECT_EQ(f.frame_of(2), "NO X>O(1) Y>H(2)");
    EXPECT_EQ(f.r.frames.kappa_set[1], 1);
    EXPECT_EQ(f.r.frames.kappa_set[3], 2);
    EXPECT_EQ(f.r.frames.kappa_set_count, 2);
    EXPECT_EQ(f.atom_line(3).substr(49, 7), "  2   2");  // TBL and KAP columns
}

}  // namespace
}  // namespace kova
