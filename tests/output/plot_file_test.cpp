// kova.spf title, frame pictures and trailer, and the fixedH.ins record.
#include "output/plot_file.hpp"

#include <gtest/gtest.h>

#include "output/fixedh_file.hpp"
#include "writer_fixture.hpp"

namespace kova {
namespace {

const char* const kFixed[] = {
    "SOLID COLOR", "COLOR TYPE X GREEN Y YELLOW Z BROWN D ORANGE", "RADII ATOMS ALL 0.06",
    "RADII ATOMS X 0.02", "RADII ATOMS Y 0.02", "RADII ATOMS Z 0.02", "RADII BONDS ALL 0.01 1",
    "RADII BONDS TO X 0.01 1", "RADII BONDS TO Y 0.01 1", "RADII BONDS TO Z 0.01 1",
    "RADII BONDS TO D 0.00 0", "DETACH X Y", "DETACH X Z", "DETACH Y Z", "DETACH X X",
    "DETACH Y Y", "DETACH Z Z", "LABEL ON", "LABEL H", "UNLABEL X Y Z"};

void types(Records& r, std::initializer_list<int> z) {
    r.ensure_atoms(static_cast<int>(z.size()));
    r.structure.type_count = 0;
    for (int v : z)
        r.structure.type_atomic_number[static_cast<std::size_t>(++r.structure.type_count)] = v;
}

TEST(PlotFile, TitleAndTrailerWithoutDummies) {
    test::Writer w;
    test::RunRecords& r = w.r;
    types(r, {6, 1});
    r.io.create(Files::plot, "kova.spf");
    write_plot_title(r.io);
    r.io.write(Files::plot, "ATOM C(1) ...");  // stands in for the frame pictures
    write_plot_trailer(r.io, r);
    r.io.close(Files::plot);
    std::vector<std::string> want = {
        "TITL X-green, Y-yellow, Z-brown, Dummy(D)-orange",
        "ANGSTROM",
        "ATOM C(1) ...",
        "JOIN RADII  C  0.77 H  0.40  X 0.01  Y 0.01  Z 0.01",
    };
    for (const char* f : kFixed) want.push_back(f);
    want.push_back("PLOT");
    EXPECT_EQ(test::lines_of(w.dir.read("kova.spf")), want);
}

TEST(PlotFile, FramePictureOfEveryAtom) {
    test::Writer w;
    test::RunRecords& r = w.r;
    const int nat = 12345;
    r.ensure_atoms(nat);
    r.structure.atom_count = nat;
    r.structure.label[7] = pad("C(7)", 8);
    r.structure.cart[7] = {1.0f, 2.0f, 3.0f};
    r.frames.axis_ends[7] = {Cartesian{1.2f, 2.0f, 3.0f}, Cartesian{1.0f, 2.2f, 3.0f},
                             Cartesian{1.0f, 2.0f, -3.2f}};
    r.structure.label[nat] = pad("H(99)", 8);
    r.io.create(Files::plot, "kova.spf");
    write_plot_frames(r.io, r);
    auto got = w.file(Files::plot, "kova.spf");
    ASSERT_EQ(got.size(), 4u * nat);
    // the atom with its label A8 left-adjusted; the axis ends named X, Y, Z and the atom's
    // number, right-adjusted in 8 columns; points in F12.4
    EXPECT_EQ(test::slice(got, 4 * 6, 4),
              (std::vector<std::string>{"ATOM C(7)             1.0000      2.0000      3.0000",
                                        "ATOM       X7         1.2000      2.0000      3.0000",
                                        "ATOM       Y7         1.0000      2.2000      3.0000",
                                        "ATOM       Z7         1.0000      2.0000     -3.2000"}));
    EXPECT_EQ(got[4 * (nat - 1)], "ATOM H(99)            0.0000      0.0000      0.0000");
    EXPECT_EQ(got[4 * (nat - 1) + 1].substr(0, 16), "ATOM   X12345   ");
    EXPECT_EQ(got[4 * nat - 1].substr(0, 16), "ATOM   Z12345   ");
}

TEST(PlotFile, TrailerWithDummiesAndChangedRadius) {
    test::Writer w;
    test::RunRecords& r = w.r;
    types(r, {6, 17});
    r.elements.covalent_radius[6] = 0.70f;  // RADII C 0.70
    // crystal input: dummies are stored fractional and written Cartesian
    r.structure.frac_to_cart = {{{10.0f, 0.0f, 0.0f}, {0.0f, 20.0f, 0.0f}, {0.0f, 0.0f, 5.0f}}};
    r.ensure_dummies(12);
    r.frames.dummy_count = 12;
    r.frames.dummy_xyz[1] = Fractional{0.5f, 0.25f, -0.1f};
    r.frames.dummy_xyz[12] = Fractional{0.01234f, 0.0f, 1.0f};
    r.io.create(Files::plot, "kova.spf");
    write_plot_trailer(r.io, r);
    r.io.close(Files::plot);
    auto got = test::lines_of(w.dir.read("kova.spf"));
    ASSERT_EQ(got.size(), 12u + 1u + 20u + 5u + 2u + 1u);
    EXPECT_EQ(got[0], "ATOM D(1)          5.0000        5.0000       -0.5000");
    EXPECT_EQ(got[1], "ATOM D(2)          0.0000        0.0000        0.0000");
    EXPECT_EQ(got[11], "ATOM D(12)          0.1234        0.0000        5.0000");
    EXPECT_EQ(got[12], "JOIN RADII  C  0.70 Cl 0.99  X 0.01  Y 0.01  Z 0.01  D 0.01");
    for (int k = 0; k < 20; ++k) EXPECT_EQ(got[13 + static_cast<std::size_t>(k)], kFixed[k]);
    const std::vector<std::string> dum = {"RADII ATOMS D 0.02", "DETACH D X", "DETACH D Y",
                                          "DETACH D Z",         "LABEL D",    "DETACH D C ",
                                          "DETACH D Cl",        "PLOT"};
    EXPECT_EQ(test::slice(got, 33, 8), dum);

    // Cartesian input: the stored coordinates are written as they are
    test::Writer w2;
    w2.r.options.crystal_input = false;
    w2.r.structure.frac_to_cart = r.structure.frac_to_cart;
    w2.r.ensure_dummies(1);
    w2.r.frames.dummy_count = 1;
    w2.r.frames.dummy_xyz[1] = Cartesian{1.5f, -2.25f, 123456.0f};
    w2.r.io.create(Files::plot, "kova.spf");
    write_plot_trailer(w2.r.io, w2.r);
    w2.r.io.close(Files::plot);
    EXPECT_EQ(test::lines_of(w2.dir.read("kova.spf"))[0],
              "ATOM D(1)          1.5000       -2.2500   123456.0000");
}

TEST(FixedHFile, OneRecordPerAtom) {
    test::Writer w;
    test::RunRecords& r = w.r;
    w.atom(1, "C(1)", {0.1f, 0.2f, 0.3f});
    r.structure.scattering_table[1] = 1;
    r.structure.uij[1] = {0.0123f, 0.02f, 0.03f, 0.0f, 0.0f, 0.0f};
    w.atom(2, "H(1A)", {-0.05f, 1.0f, 0.999999f}, 0.5f);
    r.structure.scattering_table[2] = 12345;
    r.structure.uij[2][0] = -0.001f;
    r.io.create(Files::fixedh, "fixedH.ins");
    write_fixedh_atom(r.io, r, 1);
    write_fixedh_atom(r.io, r, 2);
    const std::vector<std::string> want = {
        "C(1)        1      0.100000    0.200000    0.300000     1.00000   0.0123",
        "H(1A)    ****     -0.050000    1.000000    0.999999     0.50000  -0.0010",
    };
    EXPECT_EQ(w.file(Files::fixedh, "fixedH.ins"), want);
}

}  // namespace
}  // namespace kova
