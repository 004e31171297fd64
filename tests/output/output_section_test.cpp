// The output section as a whole: which files it writes, and every record in its file order.
#include "output/output_section.hpp"

#include <gtest/gtest.h>

#include "databank/rescale.hpp"
#include "output/fixedh_file.hpp"
#include "output/mopro_files.hpp"
#include "writer_fixture.hpp"

namespace kova {
namespace {

const std::string kRule(80, '-');

// Two atoms, one dummy, two kappa sets; the files the run has open before the section. Both
// atoms point X at each other and Y at the dummy (number 2 + 1).
void structure(test::Writer& w) {
    test::RunRecords& r = w.r;
    w.atom(1, "C(1)", {0.1f, 0.2f, 0.3f});
    r.structure.adp_order[1] = 2;
    r.structure.scattering_table[1] = 1;
    r.frames.kappa_set[1] = 1;
    r.frames.final_frame[1] = FinalFrame{'X', 'Y', 2, 3};
    r.structure.uij[1] = {0.0123f, 0.0111f, 0.0222f, 0.001f, -0.002f, 0.003f};
    r.frames.valence_population[1] = 4.0f;
    w.plm(1, 3, -3, 0.05f);
    w.atom(2, "H(1)", {0.2f, 0.3f, 0.4f}, 0.5f);
    r.structure.adp_order[2] = 1;
    r.structure.scattering_table[2] = 2;
    r.frames.kappa_set[2] = 2;
    r.frames.final_frame[2] = FinalFrame{'X', 'Y', 1, 3};
    r.structure.uij[2][0] = 0.05f;
    r.frames.valence_population[2] = 0.5f;
    w.plm(2, 1, 0, 0.06f);
    r.frames.mopro_similarity[2] = pad("! CONPVM H(1) H(0)", 90);
    r.ensure_dummies(1);
    r.frames.dummy_count = 1;
    r.frames.dummy_label[1] = pad("DUM1", 6);
    r.frames.dummy_xyz[1] = Fractional{0.5f, 0.5f, 0.5f};
    r.ensure_kappa_sets(2);
    r.frames.kappa_count = 2;
    r.frames.kappa[1] = {0.0f, 1.0f, 1.0f};
    r.frames.kappa_table[1] = 1;
    r.frames.kappa[2] = {0.0f, 1.2f, 1.1f};
    r.frames.kappa_table[2] = 2;
    r.structure.table_count = 2;
    r.io.create(Files::listing, "kova.out");
    r.io.create(Files::mopro_parameters, "mopro_kova.par");
    r.io.create(Files::mopro_constraints, "con_mopro.inp");
}

// The output section as the road runs it: xd_kova.inp made and the heading written, unless
// TOXD fixedH.ins made (Extend_H) and the databank statistics (DATABANK), the rescaling when
// asked for, then the records; the files are closed.
void run_output_section(test::RunRecords& r, bool rescale = false) {
    r.io.create(Files::xd_parameters, "xd_kova.inp");
    write_output_section_heading(r.io);
    if (!r.options.to_xd) {
        if (writes_fixedh(r.options)) r.io.create(Files::fixedh, "fixedH.ins");
        if (r.options.databank) write_databank_statistics(r.io, r);
    }
    if (rescale) rescale_valence_populations(r.io, r);
    write_output_section(r.io, r);
    for (int ch : {Files::mopro_constraints, Files::xd_parameters, Files::fixedh}) r.io.close(ch);
}

TEST(OutputSection, ExtendHWritesEveryFileInOrder) {
    test::Writer w;
    test::RunRecords& r = w.r;
    structure(w);
    r.options.extend_h = true;
    ASSERT_TRUE(has_output_section(r));
    run_output_section(r);

    const std::string z = "  0.0000";
    const std::vector<std::string> xd = {
        std::string(80, '!'),
        "!                   CREATED BY PROGRAM << KOVA >>",
        std::string(80, '!'),
        "XDPARFILE VERSION  2",
        "  TEST   MODEL  4  2  1  0",
        "LIMITS nat 300 ntx 31 lmx 4 nzz 30 nto 0 nsc 20 ntb 20 nov 2500",
        "USAGE    2 2 4    2 0 1 0 0    2 0 0 0 0    1",
        "  0.000000  0.000000  0.000000  0.000000  0.000000  0.000000  0.000000  0.000000",
        "  0.000000  0.000000  0.000000  0.000000  0.000000  0.000000",
        "     0.500000     0.500000     0.500000",
        "C(1)      1  2    2    1    3      2    1    1    4    1    0  0.10000  0.20000  0.30000  "
        "1.0000",
        "  0.012300  0.011100  0.022200  0.001000 -0.002000  0.003000",
        "  4.0000" + z + z + z + z + z + z + z + z + z,
        z + z + z + z + z + z + "  0.0500" + z + z + z,
        z + z + z + z + z + z,
        "H(1)      1  2    1    2    3      1    2    2    4    1    0  0.20000  0.30000  0.40000  "
        "0.5000",
        "  0.050000  0.000000  0.000000  0.000000  0.000000  0.000000",
        "  0.5000" + z + z + z + "  0.0600" + z + z + z + z + z,
        z + z + z + z + z + z + z + z + z + z,
        z + z + z + z + z + z,
        "  1  1.000000  1.000000  1.000000  1.000000  1.000000  1.000000",
        "  2  1.200000  1.100000  1.100000  1.100000  1.100000  1.100000",
        " 0.0000E+00 0.0000E+00 0.0000E+00 0.0000E+00 0.0000E+00 0.0000E+00 0.0000E+00",
        " 0.0000E+00",
        " 0.100000E+01",
    };
    EXPECT_EQ(test::lines_of(w.dir.read("xd_kova.inp")), xd);

    const std::vector<std::string> fixedh = {
        "C(1)        1      0.100000    0.200000    0.300000     1.00000   0.0123",
        "H(1)        2      0.200000    0.300000    0.400000     0.50000   0.0500",
    };
    EXPECT_EQ(test::lines_of(w.dir.read("fixedH.ins")), fixedh);

    const std::vector<std::string> par = {
        "DUMMY   1",
        "DUMY     0.500000    0.500000    0.500000  D1     0",
        "",
        "KAPPA   2",
        "  1.000000  1.000000",
        "  1.200000  1.100000",
        "",
        "ATOMS    2",
        "",
        "ATOM   1 C1        MOL   1    0.100000    0.200000    0.300000 1.000  1 C         ",
        // AX1 AX2, the targets' MoPro names in 10 after 3 blanks each, the kind, the set
        pad("XY   H1           D1            HEX     K1       V0  M0  Q0", 90),
        "UANI     0.012300  0.011100  0.022200  0.001000 -0.002000  0.003000",
        " 4.00000 0.00000  0.000  0.000  0.000  0.000  0.000  0.000  0.000  0.000",
        "  0.000  0.000  0.000  0.000  0.000  0.000  -.050",
        "  0.000  0.000  0.000  0.000  0.000  0.000  -.000  0.000  0.000",
        "",
        // Pv 0.5 and P(1,0) 0.06 stored for occupancy 0.5
        "ATOM   2 H1        MOL   1    0.200000    0.300000    0.400000 0.500  1 H         ",
        pad("XY   C1           D1            QUA     K2       V0  M0  Q0", 90),
        "UISO     0.050000",
        " 1.00000 0.00000  0.000  0.000  0.120  0.000  0.000  0.000  0.000  0.000",
        "",
        "",
        "ANHAR    0    3         !  #atoms #order ",
        "! 1         ! atom number ",
        "! 0. 0. 0. 0. 0. 0. 0. 0. ",
        "! 0. 0. ",
        "",
        "STOP ",
    };
    r.io.close(Files::mopro_parameters);
    EXPECT_EQ(test::lines_of(w.dir.read("mopro_kova.par")), par);

    const std::vector<std::string> con = {"!", "! similarity (switched-off)", "!",
                                          pad("! CONPVM H(1) H(0)", 90), "!", "! end", "!"};
    EXPECT_EQ(test::lines_of(w.dir.read("con_mopro.inp")), con);

    EXPECT_EQ(w.terminal(), (std::vector<std::string>{"", " Creating XD parameter file..."}));
    EXPECT_EQ(w.file(Files::listing, "kova.out"),
              (std::vector<std::string>{"", kRule, "", " Creating XD parameter file..."}));
}

TEST(OutputSection, DatabankStatisticsBeforeTheParameterFiles) {
    test::Writer w;
    test::RunRecords& r = w.r;
    structure(w);
    r.options.databank = true;
    r.databank.searched = 2;
    r.databank.found = 123456789;
    r.databank.not_found = -1;
    run_output_section(r);
    const std::string stats =
        " ATOMS SEARCHED in DB, FOUND in DB, NOT FOUND in DB =        2********      -1";
    EXPECT_EQ(w.terminal(),
              (std::vector<std::string>{"", " Creating XD parameter file...", "", stats}));
    EXPECT_EQ(
        w.file(Files::listing, "kova.out"),
        (std::vector<std::string>{"", kRule, "", " Creating XD parameter file...", "", stats}));
    EXPECT_TRUE(w.dir.exists("xd_kova.inp"));
    EXPECT_FALSE(w.dir.exists("fixedH.ins"));  // no Extend_H
}

TEST(OutputSection, RescaledPopulationsReachBothParameterFiles) {
    test::Writer w;
    test::RunRecords& r = w.r;
    structure(w);
    r.structure.atomic_number[1] = 6;
    r.structure.atomic_number[2] = 1;
    r.frames.valence_population[1] = 3.5f;
    r.options.databank = true;
    r.options.pv_scaling = PvScaling::difference;
    r.options.fragments.any_charge_line = true;  // CHFRAG 0.0
    r.options.fragments.charge = {0.0f, 0.0f};
    // the road's order: the start of the section, the rescaling, the records
    run_output_section(r, true);
    // free atoms 4 + 1 * 0.5 = 4.5 electrons against 3.5 + 0.5 = 4.0: each atom gets +0.25
    auto xd = test::lines_of(w.dir.read("xd_kova.inp"));
    ASSERT_EQ(xd.size(), 25u);
    EXPECT_EQ(xd[12].substr(0, 8), "  3.7500");
    EXPECT_EQ(xd[17].substr(0, 8), "  0.7500");
    auto par = w.file(Files::mopro_parameters, "mopro_kova.par");
    ASSERT_GE(par.size(), 20u);
    EXPECT_EQ(par[12].substr(0, 8), " 3.75000");
    EXPECT_EQ(par[19].substr(0, 8), " 1.50000");  // 0.75 for occupancy 0.5
    // the statistics come before the rescaling's own lines
    auto term = w.terminal();
    ASSERT_GE(term.size(), 5u);
    EXPECT_EQ(term[3].substr(0, 36), " ATOMS SEARCHED in DB, FOUND in DB, ");
    EXPECT_EQ(term[5], " Using ALL atoms for fragment 1 !");
}

TEST(OutputSection, ToxdWinsOverExtendHAndDatabank) {
    test::Writer w;
    test::RunRecords& r = w.r;
    structure(w);
    r.options.to_xd = true;
    r.options.extend_h = true;
    r.options.databank = true;
    run_output_section(r);
    EXPECT_FALSE(w.dir.exists("fixedH.ins"));
    EXPECT_EQ(w.terminal(), (std::vector<std::string>{"", " Creating XD parameter file..."}));
    EXPECT_EQ(test::lines_of(w.dir.read("xd_kova.inp")).size(), 25u);
}

}  // namespace
}  // namespace kova
