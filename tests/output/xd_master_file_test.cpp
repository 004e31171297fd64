// The XD master file from its atom table on and kova.ang: keys, refinement block, kappa
// lines, dummy lines, tails per input format and the copying rules for XD input, written in
// the order of the road around the frame analysis. The frame decision itself is stood in for
// by recording each atom's frame by hand.
#include "output/xd_master_file.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "frames/atom_table.hpp"
#include "frames/dummies.hpp"
#include "frames/frame_driver.hpp"
#include "frames/frame_fixture.hpp"
#include "output/kova_ang.hpp"
#include "shared/errors.hpp"

namespace kova {
namespace {

using test::FrameRecords;

std::string numbers(int from, int to) {
    std::string s;
    for (int k = from; k <= to; ++k) s += fi(k, 4);
    return s;
}

// What a frame decision could record for atom i: X towards the next atom, Y towards the one
// after that (TP 2, TBL 1).
void stand_in_frame(Records& r, int i) {
    const int n = r.structure.atom_count;
    const auto u = static_cast<std::size_t>(i);
    r.frames.final_frame[u] = FinalFrame{'X', 'Y', i % n + 1, (i + 1) % n + 1};
    r.structure.adp_order[u] = 2;
    r.structure.scattering_table[u] = 1;
}

// The frame analysis between the files' steps of the road: kova.ang made first, each atom
// stood in for, then the tables and kova.ang written. `dummies` makes the dummy atoms the
// decision would have made for the atom.
void frame_all(FrameRecords& f, const std::function<void(int)>& dummies = {}) {
    test::RunRecords& r = f.r;
    r.io.create(Files::kova_ang, "kova.ang");
    if (r.options.input_format == InputFormat::xd) copy_old_master_head(r.io, r);
    start_frame_analysis(r.io, r);
    for (int i = 1; i <= r.structure.atom_count; ++i) {
        list_atom_start(r.io, r, i);
        if (dummies) dummies(i);
        stand_in_frame(r, i);
    }
    write_xd_master_tables(r.io, r);
    write_kova_ang(r.io, r);
}

// Water framed with two dummies: O(1), H(1), H(2).
void water(FrameRecords& f, InputFormat format) {
    f.r.options.input_format = format;
    f.atom(1, "O(1)", 8, {0.0f, 0.0f, 0.1173f});
    f.atom(2, "H(1)", 1, {0.0f, 0.7572f, -0.4692f});
    f.atom(3, "H(2)", 1, {0.0f, -0.7572f, -0.4692f});
    f.r.frames.kappa_set_count = 2;
    f.r.frames.kappa_set[1] = 1;
    f.r.frames.kappa_set[2] = 2;
    f.r.frames.kappa_set[3] = 2;
}

TEST(AtomKey, KeygenSwitches) {
    FrameRecords f(6);
    struct A {
        const char* sym;
        int z, occflag;
    };
    const A atoms[] = {{"m", 6, 0},    {"cyl", 1, -1}, {"mm2", 8, 1},
                       {"-42m", 7, 0}, {"NO", 6, 0},   {"3m", 6, -1}};
    for (int i = 1; i <= 6; ++i) {
        f.atom(i, "X(" + std::to_string(i) + ")", atoms[i - 1].z);
        f.r.structure.site_symmetry[i] = pad(atoms[i - 1].sym, 5);
        f.r.structure.occupancy_flag[i] = atoms[i - 1].occflag;
    }
    const std::string s0 = "000 000000 0000000000 000000000000000 ";
    const std::string sx = "111 111111 0000000000 000000000000000 ";
    const std::string sh = "111 100000 0000000000 000000000000000 ";
    const std::string m0 = "00 000 00000 0000000 000000000";
    const std::string mk[7] = {"",
                               "10 110 10011 0110011 100110011",   // m
                               "10 001 10000 1000000 100000000",   // cyl
                               "10 001 10010 1001000 100100010",   // mm2
                               "10 000 10000 0001000 100000010",   // -42m: no dipole
                               "10 111 11111 1111111 111111111",   // NO
                               "10 001 10000 1000010 100001000"};  // 3m
    struct Case {
        const char* what;
        Keys keys;
        bool toxd;
        std::string want[7];
    };
    const Case cases[] = {
        {"off", Keys{}, false, {"", s0 + m0, s0 + m0, s0 + m0, s0 + m0, s0 + m0, s0 + m0}},
        {"xyz without all or ordered",
         Keys{true, false, false, false, false, false, false},
         false,
         {"", s0 + m0, s0 + m0, s0 + m0, s0 + m0, s0 + m0, s0 + m0}},
        {"xyz all",
         Keys{true, true, false, false, false, false, false},
         false,
         {"", sx + m0, sh + m0, sx + m0, sx + m0, sx + m0, sx + m0}},
        // ordered: the disordered atoms 2 and 6 keep zeros, the special position 3 is flagged
        {"xyz ordered",
         Keys{true, false, true, false, false, false, false},
         false,
         {"", sx + m0, s0 + m0, sx + m0, sx + m0, sx + m0, s0 + m0}},
        {"mult all",
         Keys{false, false, false, true, true, false, false},
         false,
         {"", s0 + mk[1], s0 + mk[2], s0 + mk[3], s0 + mk[4], s0 + mk[5], s0 + mk[6]}},
        {"mult ordered",
         Keys{false, false, false, true, false, true, false},
         false,
         {"", s0 + mk[1], s0 + m0, s0 + mk[3], s0 + mk[4], s0 + mk[5], s0 + m0}},
        {"toxd",
         Keys{true, true, false, true, true, false, true},
         true,
         {"", sx + m0, sh + m0, sx + m0, sx + m0, sx + m0, sx + m0}},
    };
    for (const Case& c : cases) {
        f.r.options.keys = c.keys;
        f.r.options.to_xd = c.toxd;
        for (int i = 1; i <= 6; ++i) {
            const std::string key = atom_key(f.r.options, f.r.structure, i);
            EXPECT_EQ(key.size(), 68u);
            EXPECT_EQ(key, c.want[i]) << c.what << ", atom " << i;
        }
    }
}

TEST(XdRefinementBlock, KeepKappaLineBreaks) {
    const std::string first = "KEEP  kappa ";
    const std::string bs = " \\";
    struct Case {
        int n;
        std::vector<std::string> want;
    };
    std::vector<std::string> eleven;  // 220 numbers: eleven full lines, no empty line
    for (int l = 0; l < 11; ++l)
        eleven.push_back((l == 0 ? first : "") + numbers(20 * l + 1, 20 * l + 20) + bs);
    std::vector<Case> cases = {
        {0, {first}},
        {5, {first + numbers(1, 5)}},
        {20, {first + numbers(1, 20) + bs, ""}},
        {21, {first + numbers(1, 20) + bs, numbers(21, 21)}},
        {40, {first + numbers(1, 20) + bs, numbers(21, 40) + bs, ""}},
        {220, eleven},
    };
    Case c221{221, eleven};
    c221.want.push_back("");
    c221.want.push_back(" 221");
    Case c240{240, eleven};
    c240.want.push_back("");
    c240.want.push_back(numbers(221, 240) + bs);
    c240.want.push_back("");
    cases.push_back(c221);
    cases.push_back(c240);
    // After the first 220 numbers the passes of the layout hold 200 numbers each, so the
    // counts without a closing empty line and with a separating one are 220, 420, 620, ...
    // (not the multiples of 220). n = 420: the 220 lines, the empty separator (more numbers
    // follow), ten full lines 221..420 and no empty line, since 420 is in that list.
    Case c420{420, eleven};
    c420.want.push_back("");
    for (int l = 11; l < 21; ++l) c420.want.push_back(numbers(20 * l + 1, 20 * l + 20) + bs);
    // n = 440: as 420, then the separator after the 420th number, one full line 421..440 and
    // the empty line that closes a full line whose count is not in the list.
    Case c440 = c420;
    c440.n = 440;
    c440.want.push_back("");
    c440.want.push_back(numbers(421, 440) + bs);
    c440.want.push_back("");
    cases.push_back(c420);
    cases.push_back(c440);
    for (const Case& c : cases) {
        FrameRecords f(0);
        write_xd_refinement_block(f.r.io, Files::xd_master, f.r.structure.weight, c.n);
        auto lines = f.file("xd_kova.mas");
        ASSERT_EQ(lines.size(), c.want.size() + 12) << c.n;
        EXPECT_EQ(lines[0], "!" + std::string(78, '-'));
        for (std::size_t k = 0; k < c.want.size(); ++k)
            EXPECT_EQ(lines[k + 1], c.want[k]) << "n = " << c.n << ", line " << k + 2;
        EXPECT_EQ(lines[c.want.size() + 1], "KEEP  charge group1") << c.n;
    }
}

TEST(XdRefinementBlock, FixedLinesAndTheInitialWeights) {
    FrameRecords f(0);
    write_xd_refinement_block(f.r.io, Files::xd_master, f.r.structure.weight, 1);
    auto l = f.file("xd_kova.mas");
    ASSERT_EQ(l.size(), 13u);
    EXPECT_EQ(l[3], "!KEEP  rigid group1");
    EXPECT_EQ(l[4], "!RESET bond C(1) H(1) 1.09 ...");
    // -2.0, 0.0 x 4, 0.33333334 in F11.5
    EXPECT_EQ(l[5], "WEIGHT     -2.00000    0.00000    0.00000    0.00000    0.00000    0.33333");
    EXPECT_EQ(l[7],
              "PRINT sinthl .0 2. obs 0. 15. delta 0. 10. *del% 80 100 extcn 80. 100. *abssc");
    EXPECT_EQ(l[11], "!CON  num1 par1/iat1 num2 par2/iat2 ... = num0");
    EXPECT_EQ(l[12], "!" + std::string(78, '-'));
}

TEST(XdClosingModules, SixtyOneLinesWithTheAtomCount) {
    FrameRecords f(12);
    write_xd_closing_modules(f.r.io, Files::xd_master, f.r.structure.atom_count);
    auto l = f.file("xd_kova.mas");
    ASSERT_EQ(l.size(), 61u);
    EXPECT_EQ(l[0], "!");
    EXPECT_EQ(l[1], "   MODULE *XDPROP");
    EXPECT_EQ(l[6], "SELECT  cpcut 0.0001 lmax 4  nstep 20  rcut 4.0 ");  // trailing blank kept
    EXPECT_EQ(l[25], "!ATATPOT  *INDUC                  *saptP  saptA");
    EXPECT_EQ(l[35], "!LATEN  frag1 1  -12  *neutral");
    EXPECT_EQ(l[55], "   END XDPROP");
    EXPECT_EQ(l[56], std::string(79, '!'));
    EXPECT_EQ(l[57], "   MODULE XDGEOM");
    EXPECT_EQ(l[59], "   END  XDGEOM");
    EXPECT_EQ(l[60], std::string(79, '!'));
}

TEST(XdClosingModules, AtomCountsBeyondFourColumnsAreWrittenInFull) {
    // -nat in I4 up to 999 atoms; from 1000 on the number is written in full rather than as
    // "****", which would lose the count.
    const struct {
        int nat;
        const char* line;
    } cases[] = {
        {999, "!LATEN  frag1 1 -999  *neutral"},
        {1000, "!LATEN  frag1 1 -1000  *neutral"},
        {100000, "!LATEN  frag1 1 -100000  *neutral"},
    };
    for (const auto& c : cases) {
        FrameRecords f(1);
        write_xd_closing_modules(f.r.io, Files::xd_master, c.nat);
        auto l = f.file("xd_kova.mas");
        ASSERT_EQ(l.size(), 61u);
        EXPECT_EQ(l[35], c.line);
    }
}

TEST(AtomTable, Aim2tabInputHasNoHeadAndTheFixedTail) {
    FrameRecords f(3);
    water(f, InputFormat::aim2tab);
    f.r.options.keys.kappa = true;
    f.r.frames.dummy_count = 4;  // left from before: the analysis starts with an empty store
    frame_all(f, [&f](int i) {
        if (i == 1) add_dummy_atom(f.r.io, f.r, Cartesian{0.0f, 0.0f, -0.4692f});  // between the Hs
        if (i == 3)
            for (int n = 2; n <= 10; ++n)
                add_dummy_atom(f.r.io, f.r, Cartesian{10.0f * n, 0.0f, 0.0f});
    });
    ASSERT_EQ(f.r.frames.dummy_count, 10);

    auto mas = f.file("xd_kova.mas");
    ASSERT_EQ(mas.size(), 1u + 3u + 10u + 1u + 1u + 3u + 2u + 4u);
    EXPECT_EQ(mas[0],
              "ATOM     ATOM0    AX1 ATOM1    ATOM2   AX2 R/L TP TBL KAP LMX SITESYM  CHEMCON");
    // cols 1-8 atom, 10-17 AT1, 20 AX1, 23-30 atom, 32-39 AT2, 41 AX2, 45 R, then TP, TBL,
    // KAP and LMX in I3, I3, I4, I4; the blank site symmetry is cut off
    EXPECT_EQ(mas[1], "O(1)     H(1)      X  O(1)     H(2)     Y   R   2  1   1   0");
    EXPECT_EQ(mas[3], "H(2)     O(1)      X  H(2)     H(1)     Y   R   2  1   2   0");
    EXPECT_EQ(mas[4], "DUM1        0.000000    0.000000   -0.469200");
    EXPECT_EQ(mas[13], "DUM10     100.000000    0.000000    0.000000");
    EXPECT_EQ(mas[14], "END ATOM");
    EXPECT_EQ(mas[15],
              "KEY     XYZ --U2-- ----U3---- ------U4------- M- -D- --Q-- ---O--- ----H----");
    EXPECT_EQ(mas[16],
              "O(1)    000 000000 0000000000 000000000000000 00 000 00000 0000000 000000000");
    EXPECT_EQ(mas[18].substr(0, 8), "H(2)    ");
    EXPECT_EQ(mas[19], "KAPPA   110000");  // the oxygen's set
    EXPECT_EQ(mas[20], "KAPPA   100000");  // hydrogen only
    EXPECT_EQ(mas[21], "EXTCN   0000000");
    EXPECT_EQ(mas[22], "OVTHP   0");
    EXPECT_EQ(mas[23], "SCALE   1");
    EXPECT_EQ(mas[24], "END KEY");

    auto ang = f.file("kova.ang");
    ASSERT_EQ(ang.size(), 1u + 3u + 10u);
    EXPECT_EQ(ang[0], "ANGSTROM");
    EXPECT_EQ(ang[2],
              "ATOM H(1)    " + std::string(3, ' ') + "        0.0000        0.7572       -0.4692");
    EXPECT_EQ(ang[4], "ATOM Li(1)  " + std::string("        0.0000        0.0000       -0.4692"));
    EXPECT_EQ(ang[13], "ATOM Li(10)  " + std::string("      100.0000        0.0000        0.0000"));

    auto term = test::lines_of(f.out.str());
    ASSERT_EQ(term.size(), 2u);
    EXPECT_EQ(term[0], "    ");
    EXPECT_EQ(term[1], mas[0]);

    auto out = f.file("kova.out");
    ASSERT_EQ(out.size(), 12u);
    EXPECT_EQ(out[0], "");
    EXPECT_EQ(out[1], " " + std::string(79, '-'));
    EXPECT_EQ(out[2], "");
    EXPECT_EQ(out[3], " Working with atom       1 : [O(1)    ]     occ =     1.0000");
}

TEST(AtomTable, NoDummiesAndPlatonInput) {
    FrameRecords f(3);
    water(f, InputFormat::platon);
    f.r.structure.occupancy[3] = 0.5f;
    frame_all(f);
    auto mas = f.file("xd_kova.mas");
    ASSERT_EQ(mas.size(), 1u + 3u + 1u + 1u + 3u + 2u + 4u);
    EXPECT_EQ(mas[4], "END ATOM");        // right after the last atom line
    EXPECT_EQ(mas[9], "KAPPA   000000");  // KEYGEN kappas off
    EXPECT_EQ(mas[10], "KAPPA   000000");
    EXPECT_EQ(mas.back(), "END KEY");  // PLATON input closes its key table as AIM2TAB does
    EXPECT_EQ(f.file("kova.ang").size(), 4u);
    EXPECT_EQ(f.file("kova.out")[11],
              " Working with atom       3 : [H(2)    ]     occ =     0.5000");
}

TEST(AtomTable, ShelxInputAddsRefinementClosingAndPropertyModules) {
    FrameRecords f(3, true);
    water(f, InputFormat::shelx);
    f.r.structure.frac_to_cart = Mat3f{{{10, 0, 0}, {0, 10, 0}, {0, 0, 10}}};
    f.r.structure.cart_to_frac = Mat3f{{{0.1f, 0, 0}, {0, 0.1f, 0}, {0, 0, 0.1f}}};
    frame_all(f, [&f](int i) {
        if (i == 2) add_dummy_atom(f.r.io, f.r, Fractional{0.5f, 0.5f, 0.5f});
    });
    auto mas = f.file("xd_kova.mas");
    // header, 3 atoms, dummy, END ATOM, 13 refinement, key header + 3, 2 kappa, 4 tail,
    // 5 closing, 61 property lines
    ASSERT_EQ(mas.size(), 1u + 3u + 1u + 1u + 13u + 4u + 2u + 4u + 5u + 61u);
    EXPECT_EQ(mas[4], "DUM1        0.500000    0.500000    0.500000");  // fractional
    EXPECT_EQ(mas[5], "END ATOM");
    EXPECT_EQ(mas[7], "KEEP  kappa    1   2");
    EXPECT_EQ(mas[18], "!" + std::string(78, '-'));
    EXPECT_EQ(mas[19].substr(0, 3), "KEY");
    EXPECT_EQ(mas[25], "EXTCN   0000000");
    EXPECT_EQ(mas[28], "END KEY");
    EXPECT_EQ(mas[29], "!" + std::string(78, '-'));
    EXPECT_EQ(mas[31], "   END XDLSM");
    EXPECT_EQ(mas[33], std::string(79, '!'));
    EXPECT_EQ(mas[34], "!");
    EXPECT_EQ(mas[35], "   MODULE *XDPROP");
    EXPECT_EQ(mas[69], "!LATEN  frag1 1   -3  *neutral");
    // kova.ang gives the dummy in Å
    EXPECT_EQ(f.file("kova.ang")[4],
              "ATOM Li(1)  " + std::string("        5.0000        5.0000        5.0000"));
}

TEST(AtomTable, KappaLinesUnderToxd) {
    FrameRecords f(3);
    water(f, InputFormat::aim2tab);
    f.r.options.keys.kappa = true;
    f.r.options.to_xd = true;
    f.r.frames.kappa_set_count = 3;  // set 3 holds no atom
    frame_all(f);
    auto mas = f.file("xd_kova.mas");
    EXPECT_EQ(mas[9], "KAPPA   000000");
    EXPECT_EQ(mas[11], "KAPPA   000000");
}

TEST(AtomTable, EmptySetsAreHydrogenLike) {
    FrameRecords f(3);
    water(f, InputFormat::aim2tab);
    f.r.options.keys.kappa = true;
    f.r.frames.kappa_set_count = 3;
    frame_all(f);
    auto mas = f.file("xd_kova.mas");
    EXPECT_EQ(mas[9], "KAPPA   110000");
    EXPECT_EQ(mas[10], "KAPPA   100000");
    EXPECT_EQ(mas[11], "KAPPA   100000");
}

// XD input: the head, refinement block and tail that the XD reader kept of the old master file
// frame the new tables; no file is read (there is none in the working directory).
TEST(AtomTable, XdInputCopiesHeadRefinementAndTailFromTheReadersRecord) {
    FrameRecords f(3, true);
    water(f, InputFormat::xd);
    f.r.options.xd_master_file = "old.mas";
    XdMasterCopy& old = f.r.structure.xd_master;
    old.head = {"! head of the old file", "TITLE water", "", "   MODULE *XDLSM"};
    old.refinement = {"!refinement block", "KEEP  kappa    1   2", "", "KEYS follow"};
    old.tail = {"EXTCN   0000000 ISO", "OVTHP   0", "END KEY", "   END XDLSM"};
    ASSERT_FALSE(f.dir.exists("old.mas"));
    frame_all(f);
    auto mas = f.file("xd_kova.mas");
    const std::string blank(200, ' ');  // a blank line is written as the whole buffer
    const std::vector<std::string> want = {
        "! head of the old file",
        "TITLE water",
        blank,
        "   MODULE *XDLSM",
        "ATOM     ATOM0    AX1 ATOM1    ATOM2   AX2 R/L TP TBL KAP LMX SITESYM  CHEMCON",
        "O(1)     H(1)      X  O(1)     H(2)     Y   R   2  1   1   0",
        "H(1)     H(2)      X  H(1)     O(1)     Y   R   2  1   2   0",
        "H(2)     O(1)      X  H(2)     H(1)     Y   R   2  1   2   0",
        "END ATOM",
        "!refinement block",
        "KEEP  kappa    1   2",
        blank,
        "KEYS follow",
        "KEY     XYZ --U2-- ----U3---- ------U4------- M- -D- --Q-- ---O--- ----H----",
        "O(1)    000 000000 0000000000 000000000000000 00 000 00000 0000000 000000000",
        "H(1)    000 000000 0000000000 000000000000000 00 000 00000 0000000 000000000",
        "H(2)    000 000000 0000000000 000000000000000 00 000 00000 0000000 000000000",
        "KAPPA   000000",  // KEYGEN kappas off
        "KAPPA   000000",
        "EXTCN   0000000 ISO",
        "OVTHP   0",
        "END KEY",
        "   END XDLSM",
    };
    EXPECT_EQ(mas, want);
}

// An old master file that the XD reader found too short for a part of the copy ends the run
// when the writer comes to that part: the head before any atom is framed, the refinement
// block and the tail once the tables are written.
TEST(AtomTable, XdCopyCutShortEndsTheRunAtItsPart) {
    using Part = XdMasterCopy::Part;
    for (Part part : {Part::head, Part::refinement, Part::tail}) {
        FrameRecords f(3, true);
        water(f, InputFormat::xd);
        XdMasterCopy& old = f.r.structure.xd_master;
        old.cut_short = part;
        old.cut_short_fault = "old.mas, record 9: end of file, expected a line beginning \"X\"";
        test::Ending head, tables;
        head.run_to_end([&] { copy_old_master_head(f.r.io, f.r); });
        tables.run_to_end([&] { write_xd_master_tables(f.r.io, f.r); });
        EXPECT_EQ(head.text(), part == Part::head ? old.cut_short_fault : "");
        EXPECT_EQ(tables.text(), part == Part::head ? "" : old.cut_short_fault);
    }
}

}  // namespace
}  // namespace kova
