// The lookup tables of the frame analysis: axis targets by label (the last atom of a label, a
// dummy before an atom of the same label, 0 for a label that names neither), the first earlier
// equivalent atom, and the free-atom kappa sets as the writes through the index leave them.
#include "frames/atom_and_kappa_set_index.hpp"

#include <gtest/gtest.h>

#include <string>

#include "frame_fixture.hpp"
#include "frames/dummies.hpp"

namespace kova {
namespace {

TEST(AtomAndKappaSetIndex, TargetNumberByLabel) {
    test::FrameRecords f(6);
    const char* labels[] = {"C1", "O1", "C1", "DUM1", "H1A", ""};
    for (int i = 1; i <= 6; ++i) f.atom(i, labels[i - 1], 6);
    test::RunRecords& r = f.r;
    AtomAndKappaSetIndex index(r);
    struct Case {
        const char* label;
        int want;
    };
    const Case before[] = {{"C1      ", 3}, {"C1", 3},  {"O1", 2}, {"H1A     ", 5}, {"DUM1", 4},
                           {"C", 0},        {"C1A", 0}, {"N1", 0}, {"        ", 6}};
    for (const auto& c : before)
        EXPECT_EQ(target_number(r, index, c.label), c.want) << '"' << c.label << '"';

    label_dummy(r.io, r, 1);
    r.frames.dummy_count = 1;
    EXPECT_EQ(target_number(r, index, "DUM1"), 6 + 1);
    EXPECT_EQ(target_number(r, index, "DUM2"), 0);

    // more atoms read: the table follows them
    r.structure.atom_count = 8;
    f.atom(7, "O1", 8);
    f.atom(8, "N1", 7);
    EXPECT_EQ(target_number(r, index, "O1"), 7);
    EXPECT_EQ(target_number(r, index, "N1"), 8);
    EXPECT_EQ(target_number(r, index, "C1"), 3);
}

// Four carbon atoms with two hydrogen neighbours each, told apart by their site symmetry and
// group; the tables answer as the scans over the earlier atoms do, also for a new pass.
TEST(AtomAndKappaSetIndex, FirstEquivalentAtomOfTheEarlierOnes) {
    test::FrameRecords f(6);
    test::RunRecords& r = f.r;
    for (int i = 1; i <= 4; ++i) f.atom(i, test::numbered("C", i), 6);
    f.atom(5, "H5", 1);
    f.atom(6, "H6", 1);
    for (int i : {1, 2, 4}) f.neighbours(i, {5, 6});
    f.neighbours(3, {6, 5});
    f.neighbours(5, {1});
    f.neighbours(6, {1});
    const char* symmetry[] = {"", "mm2", "m", "mm2", "mm2"};
    for (int i = 1; i <= 4; ++i) r.structure.site_symmetry[i] = pad(symmetry[i], 5);
    r.frames.group_name[4] = pad("KETONE", 40);
    AtomAndKappaSetIndex index(r);

    EXPECT_EQ(first_equivalent(r.io, r, index, 2), 0);  // site symmetry m, not mm2
    EXPECT_EQ(first_equivalent(r.io, r, index, 3), 1);  // the neighbours' order does not count
    EXPECT_EQ(first_equivalent(r.io, r, index, 4), 0);  // the group differs from those of 1 and 3

    // Asked about an earlier atom again, the tables start afresh from the records.
    r.structure.site_symmetry[1] = pad("m", 5);
    EXPECT_EQ(first_equivalent(r.io, r, index, 3), 0);
    EXPECT_EQ(first_equivalent(r.io, r, index, 2), 1);

    // Hydrogen atoms compare group, scattering table and parent data, whatever the element:
    // the carbon atoms, without parent data, differ from them.
    for (int h : {5, 6}) {
        r.frames.parent_atomic_number[h] = 6;
        r.frames.parent_neighbours[h] = 2;
        r.frames.parent_hydrogens[h] = 2;
    }
    EXPECT_EQ(first_h_equivalent(r, index, 6), 5);
    r.structure.scattering_table[6] = 2;
    EXPECT_EQ(first_h_equivalent(r, index, 6), 0);
}

// Sets of table 1: set 1 with kappa 1.02, set 3 free; set 2 of table 2 free. The index takes
// the sets as they stand when it is made, and each change written through it; a set beyond
// frames.kappa_count has no values yet, and counts again once kappa_count reaches it.
TEST(AtomAndKappaSetIndex, FreeKappaSetsFollowTheWritesThroughTheIndex) {
    test::FrameRecords f(1);
    test::RunRecords& r = f.r;
    r.ensure_kappa_sets(3);
    r.frames.kappa_count = 3;
    const int table[] = {0, 1, 2, 1};
    const float kappa[] = {0.0f, 1.02f, 1.0f, 1.0f};
    for (int k = 1; k <= 3; ++k) {
        r.frames.kappa_table[k] = table[k];
        r.frames.kappa[k] = {0.0f, kappa[k], 1.0f};
    }
    AtomAndKappaSetIndex index(r);
    EXPECT_EQ(free_kappa_set(r, index, 1), 3);
    EXPECT_EQ(free_kappa_set(r, index, 2), 2);
    EXPECT_EQ(free_kappa_set(r, index, 3), 0);

    set_kappas(r, index, 3, 0.98f, 1.0f);
    EXPECT_EQ(r.frames.kappa[3][1], 0.98f);
    EXPECT_EQ(free_kappa_set(r, index, 1), 0);
    set_kappa_table(r, index, 2, 1);  // the free set 2 now of table 1
    EXPECT_EQ(r.frames.kappa_table[2], 1);
    EXPECT_EQ(free_kappa_set(r, index, 1), 2);
    EXPECT_EQ(free_kappa_set(r, index, 2), 0);
    set_kappas(r, index, 1, 1.00005f, 0.99991f);  // both within 0.0001 of 1: the lower set wins
    EXPECT_EQ(free_kappa_set(r, index, 1), 1);
    set_kappas(r, index, 1, 1.0f, 0.9998f);  // kappa' 0.0002 off
    EXPECT_EQ(free_kappa_set(r, index, 1), 2);

    r.frames.kappa_count = 1;  // sets 2 and 3 have no values yet
    EXPECT_EQ(free_kappa_set(r, index, 1), 0);
    r.frames.kappa_count = 3;
    EXPECT_EQ(free_kappa_set(r, index, 1), 2);
}

}  // namespace
}  // namespace kova
