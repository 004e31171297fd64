// The smallest inputs of the faults that the runs on the real structures showed. A frame whose
// axis points at its own atom, or whose two targets lie on one line with it, defines no local
// coordinate system. The tests of faults still open are disabled; each is the acceptance test
// of its mending.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "real/readback.hpp"
#include "support.hpp"

namespace kova {
namespace {

using namespace test::readback;

const std::string kHead = "TITL t\nCELL 0.71073 10.0 10.0 10.0 90 90 90\n";

struct SmallRun {
    test::TempDir dir;
    test::RunResult res;
    SmallRun(const std::string& shelx, const std::string& options) {
        dir.write("t.res", shelx);
        dir.write("kova.inp", "FORMAT *shelx\n" + options);
        res = test::run_in(dir);
    }
    Master master() const { return read_master(test::lines_of(dir.read("xd_kova.mas"))); }
    std::vector<std::string> listing() const { return test::lines_of(dir.read("kova.out")); }
    XdParameters parameters() const { return read_xd_parameters(test::lines_of(dir.read("xd_kova.inp"))); }
};

// An ordered C(1) bonded to its own inversion image (1.5 Å across the centre) and to a
// half-occupied O(1): next to a disordered atom it takes the NO rule, X towards O(1) and Y
// towards the image, which the XD table can name only through a dummy at the image. Under
// the image's label "C(1)" the Y axis pointed at C(1) itself.
const std::string kOwnImage = kHead +
                              "LATT 1\nSFAC C O\nUNIT 2 1\nFVAR 1.0\n"
                              "C1 1 0.075000 0.000000 0.000000 11.0 0.02\n"
                              "O1 2 0.075000 0.140000 0.000000 10.5 0.03\nEND\n";

TEST(FoundFaults, ImageTargetsBecomeDummiesNextToDisorderAndUnderToxd) {
    for (const char* options : {"INPUT t.res\nNCELLS 0\n", "INPUT t.res *toxd\nNCELLS 0\n"}) {
        SCOPED_TRACE(options);
        SmallRun run(kOwnImage, options);
        ASSERT_EQ(run.res.status, 0) << run.res.err;
        Master m = run.master();
        ASSERT_EQ(m.atoms.size(), 2u);
        EXPECT_EQ(m.atoms[0].at1, "O(1)");
        EXPECT_EQ(m.atoms[0].at2, "DUM1");
        ASSERT_GE(m.dummies.size(), 1u);
        // the inversion image of (0.075, 0, 0)
        EXPECT_EQ(m.dummies[0], (Point{-0.075, 0.0, 0.0}));
        auto l = run.listing();
        EXPECT_NE(std::find(l.begin(), l.end(),
                            " Atom C(1) used in definition of Y-axis is symmetry-generated; replace with dummy    1"),
                  l.end());
    }
}

// Two isolated atoms more than 20 Å apart find no neighbours: X points at a dummy at the cell
// origin, Y at one at the cell centre. C(1) sits on the origin, so its X axis has no length.
// Open: the rule gives no other point.
TEST(FoundFaults, DISABLED_AnIsolatedAtomOnTheCellOriginHasNoXAxis) {
    SmallRun run(kHead + "LATT -1\nSFAC C\nUNIT 1\nFVAR 1.0\nC1 1 0.0 0.0 0.0 11.0 0.02\nEND\n", "INPUT t.res\n");
    ASSERT_EQ(run.res.status, 0) << run.res.err;
    Master m = run.master();
    Ang ang = read_ang(test::lines_of(run.dir.read("kova.ang")));
    ASSERT_EQ(m.atoms.size(), 1u);
    ASSERT_EQ(ang.dummies.size(), m.dummies.size());
    for (const std::string& target : {m.atoms[0].at1, m.atoms[0].at2}) {
        ASSERT_EQ(target.substr(0, 3), "DUM");
        const Point& p = ang.dummies[static_cast<std::size_t>(std::stoi(target.substr(3)) - 1)];
        EXPECT_GT(distance(p, ang.atoms[0]), 0.01) << target;
    }
}

// Water whose two hydrogen atoms are both named H1 (as residues of one file name them): the
// frame of the second H(1) points Y at the first, but the label H(1) names the last atom of
// that label, the atom itself, in xd_kova.mas and in the frame integers of xd_kova.inp.
// Open: RENAME avoids it; a run does not warn.
TEST(FoundFaults, DISABLED_ARepeatedLabelDoesNotNameTheAtomItself) {
    SmallRun run(kHead +
                     "LATT -1\nSFAC O H\nUNIT 1 2\nFVAR 1.0\n"
                     "O1 1 0.100000 0.100000 0.100000 11.0 0.02\n"
                     "H1 2 0.175700 0.158600 0.100000 11.0 0.03\n"
                     "H1 2 0.024300 0.158600 0.100000 11.0 0.03\nEND\n",
                 "INPUT t.res\nExtend_H\n");
    ASSERT_EQ(run.res.status, 0) << run.res.err;
    XdParameters xd = run.parameters();
    ASSERT_EQ(xd.atoms.size(), 3u);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_NE(xd.atoms[i - 1].itab[2], i) << "atom " << i;
        EXPECT_NE(xd.atoms[i - 1].itab[4], i) << "atom " << i;
    }
}

// Linear CO2 under TOXD: every atom with two or more neighbours takes the NO rule, X and Y
// towards the first two neighbours of the canonical order, here on one line with C(1); the
// same happens to atoms on a three-fold axis next to disorder, and to an O(1) of the same
// molecule, whose search takes the two nearest atoms. Open: the rules have no other choice.
TEST(FoundFaults, DISABLED_TheNoRuleGivesTwoAxesOffOneLine) {
    SmallRun run(kHead +
                     "LATT -1\nSFAC C O\nUNIT 1 2\nFVAR 1.0\n"
                     "C1 1 0.300000 0.300000 0.300000 11.0 0.02\n"
                     "O1 2 0.416000 0.300000 0.300000 11.0 0.03\n"
                     "O2 2 0.184000 0.300000 0.300000 11.0 0.03\nEND\n",
                 "INPUT t.res *toxd\n");
    ASSERT_EQ(run.res.status, 0) << run.res.err;
    XdParameters xd = run.parameters();
    ASSERT_EQ(xd.atoms.size(), 3u);
    auto at = [&](int n) { return xd.atoms[static_cast<std::size_t>(n - 1)].xf; };
    const XdAtom& c = xd.atoms[0];
    Point p = at(1), u{}, v{};
    for (int k = 0; k < 3; ++k) {
        u[k] = at(c.itab[2])[k] - p[k];
        v[k] = at(c.itab[4])[k] - p[k];
    }
    Point n = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    EXPECT_GT(distance(n, {0, 0, 0}), 1e-3) << "targets " << c.itab[2] << " and " << c.itab[4];
}

}  // namespace
}  // namespace kova
