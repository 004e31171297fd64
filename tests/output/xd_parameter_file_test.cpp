// xd_kova.inp: head, atom groups and tail from hand-filled records.
#include "output/xd_parameter_file.hpp"

#include <gtest/gtest.h>

#include "writer_fixture.hpp"

namespace kova {
namespace {

const std::string kBang(80, '!');
const std::string kZero8 =
    "  0.000000  0.000000  0.000000  0.000000  0.000000  0.000000  0.000000  0.000000";
const std::string kZero6 = "  0.000000  0.000000  0.000000  0.000000  0.000000  0.000000";

TEST(XdParameterFile, HeadWithUsageRecordAndDummies) {
    test::Writer w;
    test::RunRecords& r = w.r;
    r.structure.atom_count = 12;
    r.frames.kappa_count = 5;
    r.structure.table_count = 2;
    r.io.create(Files::xd_parameters, "xd_kova.inp");
    write_xd_parameter_head(r.io, r);
    const std::vector<std::string> want = {
        kBang,
        "!                   CREATED BY PROGRAM << KOVA >>",
        kBang,
        "XDPARFILE VERSION  2",
        "  TEST   MODEL  4  2  1  0",
        "LIMITS nat 300 ntx 31 lmx 4 nzz 30 nto 0 nsc 20 ntb 20 nov 2500",
        "USAGE   12 2 4    5 0 1 0 0    2 0 0 0 0    0",
        kZero8,
        kZero6,
    };
    EXPECT_EQ(w.file(Files::xd_parameters, "xd_kova.inp"), want);

    // model name without its trailing blanks; dummies follow the zero block; counts too wide
    // for I4 are stars
    test::Writer w2;
    test::RunRecords& q = w2.r;
    q.structure.model_name = pad("MYMODEL", 20);
    q.structure.atom_count = 10000;
    q.structure.table_count = 1;
    q.ensure_dummies(2);
    q.frames.dummy_count = 2;
    q.frames.dummy_xyz[1] = Fractional{0.5f, -0.25f, 1.0f};
    q.frames.dummy_xyz[2] = Cartesian{-12.3456f, 0.0f, 123.0f};  // Cartesian input keeps Å
    q.io.create(Files::xd_parameters, "xd_kova.inp");
    write_xd_parameter_head(q.io, q);
    auto got = w2.file(Files::xd_parameters, "xd_kova.inp");
    ASSERT_EQ(got.size(), 11u);
    EXPECT_EQ(got[4], "  MYMODEL   MODEL  4  2  1  0");
    EXPECT_EQ(got[6], "USAGE **** 2 4    0 0 1 0 0    1 0 0 0 0    2");
    EXPECT_EQ(got[9], "     0.500000    -0.250000     1.000000");
    EXPECT_EQ(got[10], "   -12.345600     0.000000   123.000000");
}

TEST(XdParameterFile, AtomGroups) {
    test::Writer w;
    test::RunRecords& r = w.r;
    w.atom(1, "C(1)", {0.1f, 0.2f, 0.3f});
    // X towards atom 2, Y towards dummy 1 (3 of 2 atoms); TP 2, TBL 1, KAP 1
    r.frames.final_frame[1] = FinalFrame{'X', 'Y', 2, 3};
    r.structure.adp_order[1] = 2;
    r.structure.scattering_table[1] = 1;
    r.frames.kappa_set[1] = 1;
    r.structure.uij[1] = {0.0123f, 0.0111f, 0.0222f, 0.001f, -0.002f, 0.003f};
    r.frames.valence_population[1] = 4.0f;
    w.plm(1, 1, 1, 0.1f);
    w.plm(1, 1, 0, 0.07f);
    w.plm(1, 3, -3, 0.05f);
    w.plm(1, 4, -3, -0.02f);
    w.plm(1, 4, 4, 0.3f);
    // stored populations carry the occupancy: a carbon at 0.5 has Pv 2.0
    w.atom(2, "C(2)", {1000.0f, -99.99999f, -100.0f}, 0.5f);
    r.frames.valence_population[2] = 2.0f;
    // Z towards atom 1, X towards dummy 1; TP 1, TBL 2, KAP 1, taken from atom 1 (CHEMCON)
    r.frames.final_frame[2] = FinalFrame{'Z', 'X', 1, 3};
    r.structure.adp_order[2] = 1;
    r.structure.scattering_table[2] = 2;
    r.frames.kappa_set[2] = 1;
    r.frames.equivalent_atom[2] = 1;
    r.io.create(Files::xd_parameters, "xd_kova.inp");
    write_xd_parameter_atom(r.io, r, 1);
    write_xd_parameter_atom(r.io, r, 2);
    const std::vector<std::string> want = {
        //  label  AX1AX2 ATOM0 ATOM1 ATOM2     TP  TBL  KAP  LMX  SYM  CHEM      x        y z occ
        "C(1)      1  2    2    1    3      2    1    1    4    1    0  0.10000  0.20000  0.30000  "
        "1.0000",
        "  0.012300  0.011100  0.022200  0.001000 -0.002000  0.003000",
        // Pv P00 P11 P1-1 P10 P20 P21 P2-1 P22 P2-2
        "  4.0000  0.0000  0.1000  0.0000  0.0700  0.0000  0.0000  0.0000  0.0000  0.0000",
        // P30 P31 P3-1 P32 P3-2 P33 P3-3 P40 P41 P4-1
        "  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000  0.0500  0.0000  0.0000  0.0000",
        // P42 P4-2 P43 P4-3 P44 P4-4
        "  0.0000  0.0000  0.0000 -0.0200  0.3000  0.0000",
        // LMX 4 and SITESYM 1 for every atom; F9.5 has no room for 1000 or -100
        "C(2)      3  1    1    2    3      1    2    1    4    1    1*********-99.99999*********  "
        "0.5000",
        kZero6,
        "  2.0000  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000",
        "  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000",
        "  0.0000  0.0000  0.0000  0.0000  0.0000  0.0000",
    };
    EXPECT_EQ(w.file(Files::xd_parameters, "xd_kova.inp"), want);
}

TEST(XdParameterFile, Tail) {
    test::Writer w;
    test::RunRecords& r = w.r;
    r.ensure_kappa_sets(2);
    r.frames.kappa_count = 2;
    r.frames.kappa[1] = {0.0f, 1.0f, 1.0f};
    r.frames.kappa_table[1] = 1;
    r.frames.kappa[2] = {0.0f, 0.98f, 1.15f};
    r.frames.kappa_table[2] = 12;
    r.structure.free_var[1] = 0.5f;
    r.structure.free_var[2] = 0.25f;
    r.structure.free_var[9] = -1.0f;
    r.structure.free_var[10] = 7.0f;  // beyond the nine written
    r.io.create(Files::xd_parameters, "xd_kova.inp");
    write_xd_parameter_tail(r.io, r);
    const std::vector<std::string> want = {
        "  1  1.000000  1.000000  1.000000  1.000000  1.000000  1.000000",
        " 12  0.980000  1.150000  1.150000  1.150000  1.150000  1.150000",
        " 0.2500E+00 0.0000E+00 0.0000E+00 0.0000E+00 0.0000E+00 0.0000E+00 0.0000E+00",
        "-0.1000E+01",
        " 0.500000E+00",
    };
    EXPECT_EQ(w.file(Files::xd_parameters, "xd_kova.inp"), want);

    // without kappa sets the tail begins with the free variables, here the initial values
    test::Writer w2;
    w2.r.io.create(Files::xd_parameters, "xd_kova.inp");
    write_xd_parameter_tail(w2.r.io, w2.r);
    auto got = w2.file(Files::xd_parameters, "xd_kova.inp");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[1], " 0.0000E+00");
    EXPECT_EQ(got[2], " 0.100000E+01");
}

}  // namespace
}  // namespace kova
