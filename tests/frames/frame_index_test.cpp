// The lookup of axis targets by label: the last atom of a label, a dummy before an atom of the
// same label, and 0 for a label that names neither.
#include <gtest/gtest.h>

#include <string>

#include "frame_fixture.hpp"
#include "frames/dummies.hpp"
#include "frames/frame_index.hpp"

namespace kova {
namespace {

TEST(FrameIndex, TargetNumberByLabel) {
    test::FrameRecords f(6);
    const char* labels[] = {"C1", "O1", "C1", "DUM1", "H1A", ""};
    for (int i = 1; i <= 6; ++i) f.atom(i, labels[i - 1], 6);
    Records& r = f.r;
    struct Case {
        const char* label;
        int want;
    };
    const Case before[] = {{"C1      ", 3}, {"C1", 3}, {"O1", 2}, {"H1A     ", 5}, {"DUM1", 4},
                           {"C", 0},        {"C1A", 0}, {"N1", 0}, {"        ", 6}};
    for (const auto& c : before)
        EXPECT_EQ(target_number(r, c.label), c.want) << '"' << c.label << '"';

    label_dummy(r, 1);
    r.frames.dummy_count = 1;
    EXPECT_EQ(target_number(r, "DUM1"), 6 + 1);
    EXPECT_EQ(target_number(r, "DUM2"), 0);

    // more atoms read: the table follows them
    r.structure.atom_count = 8;
    f.atom(7, "O1", 8);
    f.atom(8, "N1", 7);
    EXPECT_EQ(target_number(r, "O1"), 7);
    EXPECT_EQ(target_number(r, "N1"), 8);
    EXPECT_EQ(target_number(r, "C1"), 3);
}

}  // namespace
}  // namespace kova
