// The per-atom driver with the real frame decision: a Cartesian water molecule framed from its
// neighbour tables, then whole runs that reach the frame analysis through the road.
#include "frames/frame_driver.hpp"

#include <gtest/gtest.h>

#include "frame_fixture.hpp"
#include "output/kova_ang.hpp"
#include "output/plot_file.hpp"
#include "output/xd_master_file.hpp"
#include "topology/neighbours.hpp"

namespace kova {
namespace {

// Water in Å: O–H 0.9578 Å, H–O–H 104.5 degrees.
struct Water : test::FrameRecords {
    Water() : FrameRecords(3) {
        r.options.input_format = InputFormat::platon;
        atom(1, "O(1)", 8, {0.0f, 0.0f, 0.1173f});
        atom(2, "H(1)", 1, {0.0f, 0.7572f, -0.4692f});
        atom(3, "H(2)", 1, {0.0f, -0.7572f, -0.4692f});
        for (int i = 1; i <= 3; ++i)
            r.structure.multipole_level[i] = r.structure.atomic_number[i] == 1 ? 2 : 4;
        find_all_neighbours(r.io, r);
    }
};

TEST(FrameAllAtoms, WaterFillsTheTablesInOrder) {
    Water w;
    w.r.options.keys = Keys{true, true, false, true, true, false, true};
    // as the road has it: kova.ang made before the frame analysis, the files written after
    w.r.io.create(Files::kova_ang, "kova.ang");
    frame_all_atoms(w.r.io, w.r, nullptr);
    write_xd_master_tables(w.r.io, w.r);
    write_kova_ang(w.r.io, w.r);
    write_plot_frames(w.r.io, w.r);
    auto mas = w.file("xd_kova.mas");
    // header, 3 atoms, the dummy between the H atoms, END ATOM, key header + 3, two kappa
    // sets (O; both H share theirs), 4 tail lines
    ASSERT_EQ(mas.size(), 1u + 3u + 1u + 1u + 4u + 2u + 4u);
    EXPECT_EQ(mas[0].substr(0, 9), "ATOM     ");
    EXPECT_EQ(mas[1].substr(0, 21), "O(1)     DUM1      Z ");  // Z toward the H-H midpoint
    EXPECT_EQ(mas[2].substr(0, 21), "H(1)     O(1)      Z ");
    EXPECT_EQ(mas[3].substr(0, 21), "H(2)     O(1)      Z ");
    EXPECT_EQ(mas[4], "DUM1        0.000000    0.000000   -0.469200");
    EXPECT_EQ(mas[5], "END ATOM");
    // mm2 oxygen, cyl hydrogen atoms, all with coordinate keys
    EXPECT_EQ(mas[7],
              "O(1)    111 111111 0000000000 000000000000000 10 001 10010 1001000 100100010");
    EXPECT_EQ(mas[8],
              "H(1)    111 100000 0000000000 000000000000000 10 001 10000 1000000 100000000");
    EXPECT_EQ(mas[10], "KAPPA   110000");
    EXPECT_EQ(mas[11], "KAPPA   100000");
    EXPECT_EQ(mas.back(), "END KEY");

    auto ang = w.file("kova.ang");
    ASSERT_EQ(ang.size(), 5u);
    EXPECT_EQ(ang[1].substr(0, 13), "ATOM O(1)    ");
    EXPECT_EQ(ang[4], "ATOM Li(1)  " + std::string("        0.0000        0.0000       -0.4692"));

    auto out = w.file("kova.out");
    int working = 0;
    for (const auto& l : out)
        if (l.rfind(" Working with atom ", 0) == 0) ++working;
    EXPECT_EQ(working, 3);
    EXPECT_EQ(w.file("kova.spf").size(), 12u);  // the atom and its three axes, per atom
}

std::size_t count_prefix(const std::vector<std::string>& lines, const std::string& p) {
    std::size_t n = 0;
    for (const auto& l : lines)
        if (l.rfind(p, 0) == 0) ++n;
    return n;
}

std::size_t index_of(const std::vector<std::string>& lines, const std::string& l) {
    for (std::size_t k = 0; k < lines.size(); ++k)
        if (lines[k] == l) return k;
    return lines.size();
}

// Whole run: PLATON water, through the road from the instruction file to the summary.
TEST(FrameAllAtomsRun, PlatonWaterWithRings) {
    test::TempDir dir;
    dir.write("kova.inp", "FORMAT  *platon\nINPUT   water.pla\nRINGS  3  8\n");
    dir.write("water.pla",
              "TITL water\nATOM O1 0.0 0.0 0.1173\nATOM H1 0.0 0.7572 -0.4692\n"
              "ATOM H2 0.0 -0.7572 -0.4692\n");
    auto res = test::run_in(dir);
    ASSERT_EQ(res.status, 0) << res.err;
    auto mas = test::lines_of(dir.read("xd_kova.mas"));
    ASSERT_FALSE(mas.empty());
    EXPECT_EQ(mas[0].substr(0, 9), "ATOM     ");  // no head for Cartesian input
    EXPECT_EQ(mas[4].substr(0, 4), "DUM1");
    EXPECT_EQ(mas[5], "END ATOM");
    EXPECT_EQ(mas.back(), "END KEY");
    EXPECT_EQ(test::lines_of(dir.read("kova.ang")).size(), 5u);
    // the ring search is timed between the reduced table and the neighbour tables
    auto out = test::lines_of(res.out);
    std::size_t t = 0;
    while (t < out.size() && out[t].rfind(" Timing for ring search u,s,t (s) :", 0) != 0) ++t;
    ASSERT_LT(t, out.size());
    EXPECT_EQ(out[t].size(), 35u + 3u * 13u);
    EXPECT_LT(t, index_of(out, " IDENTIFYING COVALENTLY-BONDED NEIGHBORS FOR EACH ATOM"));
    EXPECT_LT(index_of(out, " IDENTIFYING COVALENTLY-BONDED NEIGHBORS FOR EACH ATOM"),
              index_of(out, "    "));  // then the frame analysis
}

// A real SHELX structure with ring frames, completed molecules and keys: every block of the
// master file is there, every atom is drawn, and every framed atom has its SYMPLM line.
TEST(FrameAllAtomsRun, RealShelxStructureGivesCompleteFiles) {
    const auto src = test::real_structure("shx-jkd77/jkd77.res");
    if (src.empty()) GTEST_SKIP() << test::absent_structure("shx-jkd77/jkd77.res");
    test::TempDir dir;
    std::filesystem::copy_file(src, dir / "jkd77.res");
    dir.write("kova.inp",
              "FORMAT  *shelx\nINPUT   jkd77.res\nNCELLS  1\nRINGS  3  8  *special\n"
              "KEYGEN  *XYZUIJ all *ordered  *MULT all *ordered *kappas\n");
    auto res = test::run_in(dir);
    ASSERT_EQ(res.status, 0) << res.err;
    auto mas = test::lines_of(dir.read("xd_kova.mas"));
    const std::size_t header = index_of(mas,
                                        "ATOM     ATOM0    AX1 ATOM1    ATOM2   AX2 R/L TP "
                                        "TBL KAP LMX SITESYM  CHEMCON");
    const std::size_t end_atom = index_of(mas, "END ATOM");
    const std::size_t key = index_of(
        mas, "KEY     XYZ --U2-- ----U3---- ------U4------- M- -D- --Q-- ---O--- ----H----");
    ASSERT_LT(header, end_atom);
    ASSERT_LT(end_atom, key);
    const std::size_t ndum = count_prefix(mas, "DUM");
    const std::size_t nat = end_atom - header - 1 - ndum;
    EXPECT_EQ(nat, 44u);  // the atoms read (Q peaks are not atoms)
    EXPECT_GE(ndum, 1u);  // ring centres
    EXPECT_EQ(mas[end_atom + 2].substr(0, 12), "KEEP  kappa ");
    EXPECT_LT(key, index_of(mas, "END KEY"));
    EXPECT_GT(count_prefix(mas, "KAPPA   110000"), 0u);
    EXPECT_GT(count_prefix(mas, "KAPPA   100000"), 0u);
    EXPECT_LT(index_of(mas, "END KEY"), index_of(mas, "   END XDLSM"));
    EXPECT_EQ(mas.back(), std::string(79, '!'));
    EXPECT_EQ(test::lines_of(dir.read("kova.ang")).size(), 1u + nat + ndum);
    EXPECT_EQ(count_prefix(test::lines_of(dir.read("kova.spf")), "ATOM "), 4u * nat + ndum);
    // one SYMPLM line per atom whose site symmetry (columns 64-68) is not "NO"
    std::size_t framed = 0;
    for (std::size_t k = header + 1; k <= header + nat; ++k)
        if (trim(pad(mas[k], 80).substr(63, 5)) != "NO") ++framed;
    EXPECT_GT(framed, 0u);
    EXPECT_EQ(count_prefix(test::lines_of(dir.read("con_mopro.inp")), "SYMPLM "), framed);
}

// Whole run from XD files: the old master file's head, refinement block and tail frame the new
// atom, dummy, key and kappa tables.
TEST(FrameAllAtomsRun, XdInputRebuildsTheMasterFile) {
    test::TempDir dir;
    std::filesystem::copy_file(std::filesystem::path(KOVA_TEST_DATA) / "xd/p21c.inp",
                               dir / "xd.inp");
    const std::string head =
        "TITLE formamide-like test\n"
        "CELL   5.000   6.000   7.000  90.000 100.000  90.000\n"
        "LATT   C P\n"
        "SYMM  -X, 1/2+Y, 1/2-Z\n"
        "MODULE *XDLSM\n";
    dir.write("xd.mas", head +
                            "ATOM     ATOM0    AX1 ATOM1    ATOM2   AX2 R/L TP TBL KAP LMX\n"
                            "O(1)     C(1)      X  O(1)     N(1)     Y   R   2  1   1   4  NO\n"
                            "END ATOM\n"
                            "KEEP  kappa    1   2\n"
                            "KEY     XYZ --U2-- ----U3---- ------U4------- M- -D- --Q--\n"
                            "O(1)    111 111111 0000000000 000000000000000 10 111 11111\n"
                            "KAPPA   110000\n"
                            "Extcn   0000000\n"
                            "END KEY\n"
                            "END XDLSM\n");
    dir.write("kova.inp", "FORMAT  *xd\nINPUT   xd.mas xd.inp\n");
    auto res = test::run_in(dir);
    ASSERT_EQ(res.status, 0) << res.err;
    auto mas = test::lines_of(dir.read("xd_kova.mas"));
    auto old = test::lines_of(head);
    ASSERT_GT(mas.size(), old.size());
    for (std::size_t k = 0; k < old.size(); ++k) EXPECT_EQ(mas[k], old[k]);
    EXPECT_EQ(mas[old.size()],  // the new header, not the old one
              "ATOM     ATOM0    AX1 ATOM1    ATOM2   AX2 R/L TP TBL KAP LMX SITESYM  CHEMCON");
    const std::size_t end_atom = index_of(mas, "END ATOM");
    ASSERT_LT(end_atom, mas.size());
    EXPECT_EQ(mas[end_atom + 1], "KEEP  kappa    1   2");
    EXPECT_EQ(mas[end_atom + 2].substr(0, 4), "KEY ");
    const std::size_t extcn = index_of(mas, "EXTCN   0000000");
    ASSERT_LT(extcn, mas.size());
    // the new key table has the three atoms read, the old key and kappa lines are gone
    EXPECT_EQ(mas[end_atom + 3].substr(0, 8), "O(1)    ");
    EXPECT_EQ(mas[end_atom + 5].substr(0, 8), "H(1)    ");
    EXPECT_EQ(mas[end_atom + 6], "KAPPA   000000");
    EXPECT_EQ(index_of(mas, "KAPPA   110000"), mas.size());
    EXPECT_EQ(count_prefix(mas, "O(1)    111"), 0u);
    EXPECT_EQ(mas[extcn + 1], "END KEY");
    EXPECT_EQ(mas.back(), "END XDLSM");
}

}  // namespace
}  // namespace kova
