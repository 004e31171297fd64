// complete.ang and reduced.ang / reduced_1.ang from hand-filled records.
#include <gtest/gtest.h>

#include "output/complete_ang.hpp"
#include "output/reduced_ang.hpp"
#include "writer_fixture.hpp"

namespace kova {
namespace {

void place(test::Writer& w, int i, const std::string& label, int z, Vec3f xc) {
    w.atom(i, label, {});
    w.r.structure.atomic_number[static_cast<std::size_t>(i)] = z;
    w.r.structure.cart[static_cast<std::size_t>(i)] = Cartesian{xc};
}

// Two atoms read and one image: every atom of the working list, images after the atoms read.
TEST(CompleteAng, EveryAtomOfTheWorkingListWhenImagesWereAdded) {
    test::Writer w;
    place(w, 1, "C(1)", 6, {1.0f, 2.0f, 3.0f});
    place(w, 2, "CL12345", 17, {-0.5f, 0.25f, 10.0f});
    place(w, 3, "C(1)", 6, {-1.0f, -2.0f, -3.0f});
    w.r.structure.atom_count = 2;
    w.r.topology.list_size = 3;
    ASSERT_TRUE(has_complete_ang(w.r.structure, w.r.topology));
    test::write_whole(w.r.io, Files::complete_ang, "complete.ang",
                      [&] { write_complete_ang(w.r.io, w.r.structure, w.r.topology); });
    // "ATOM " + the 8-character label right-justified in 10 columns + 3 blanks + 3F12.4
    const std::string head = "ATOM ", gap = "   ";
    EXPECT_EQ(test::lines_of(w.dir.read("complete.ang")),
              (std::vector<std::string>{
                  head + "  C(1)    " + gap + "      1.0000      2.0000      3.0000",
                  head + "  CL12345 " + gap + "     -0.5000      0.2500     10.0000",
                  head + "  C(1)    " + gap + "     -1.0000     -2.0000     -3.0000",
              }));
}

// Without images no complete.ang is written, so that an earlier run's file stays (the whole
// run is in TrustedFiles.FinishedRunReplacesEveryFileItWrites).
TEST(CompleteAng, NoImagesWriteNoFile) {
    test::Writer w;
    place(w, 1, "C(1)", 6, {1.0f, 2.0f, 3.0f});
    w.r.structure.atom_count = 1;
    w.r.topology.list_size = 1;
    EXPECT_FALSE(has_complete_ang(w.r.structure, w.r.topology));
}

// Both files as the road makes them around the writer.
void reduced_files(test::Writer& w) {
    w.r.io.create(Files::reduced_ang, "reduced.ang");
    w.r.io.create(Files::reduced_1_ang, "reduced_1.ang");
    write_reduced_ang(w.r.io, w.r);
    w.r.io.close(Files::reduced_ang);
    w.r.io.close(Files::reduced_1_ang);
}

// Entries are not atom numbers: entry 1 is atom 3 in the table made here by hand,
// and the names of reduced_1.ang count entries; a two-letter symbol keeps both letters.
TEST(ReducedAng, LabelsAndEntryNames) {
    test::Writer w;
    place(w, 1, "N1", 7, {0.0f, 0.0f, 0.0f});
    place(w, 2, "CL2", 17, {1.5f, 0.0f, 0.0f});
    place(w, 3, "C3", 6, {0.0f, 1.5f, -2.25f});
    w.r.topology.list_size = 3;
    ReducedTable& t = w.r.topology.reduced;
    t.count = 2;
    t.atom = {0, 3, 2};
    t.links = {{0}, {0, 2}, {0, 1}};
    reduced_files(w);
    // "ATOM " + an 8-character name + 3F12.4
    const std::string first = "      0.0000      1.5000     -2.2500";
    const std::string second = "      1.5000      0.0000      0.0000";
    EXPECT_EQ(test::lines_of(w.dir.read("reduced.ang")),
              (std::vector<std::string>{"ANGSTROM", "ATOM C3      " + first,
                                        "ATOM CL2     " + second}));
    // "C " + I6 of 1 and "Cl" + I6 of 2, blanks squeezed out
    EXPECT_EQ(test::lines_of(w.dir.read("reduced_1.ang")),
              (std::vector<std::string>{"ANGSTROM", "ATOM C1      " + first,
                                        "ATOM Cl2     " + second}));
}

TEST(ReducedAng, AnEmptyTableWritesTheHeadingsOnly) {
    test::Writer w;
    reduced_files(w);
    EXPECT_EQ(w.dir.read("reduced.ang"), "ANGSTROM\n");
    EXPECT_EQ(w.dir.read("reduced_1.ang"), "ANGSTROM\n");
}

}  // namespace
}  // namespace kova
