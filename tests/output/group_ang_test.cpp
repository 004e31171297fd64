// group.ang: the last group picture drawn, at the positions its atoms had then.
#include "output/group_ang.hpp"

#include <gtest/gtest.h>

#include "writer_fixture.hpp"

namespace kova {
namespace {

TEST(GroupAng, TheRecordedPictureAtItsOwnPositions) {
    test::Writer w;
    test::RunRecords& r = w.r;
    w.atom(1, "N(1)", {});
    w.atom(2, "H(1A)", {});
    // H(1A) was moved after the picture was drawn: the picture keeps where it was
    r.structure.cart[2] = {9.0f, 9.0f, 9.0f};
    r.frames.group_picture = {{1, {0.0f, 1.45f, -0.00004f}}, {2, {-12.3456f, 0.5f, 100.0f}}};
    ASSERT_TRUE(has_group_ang(r));
    test::write_whole(r.io, Files::group_ang, "group.ang", [&] { write_group_ang(r.io, r); });
    // "ATOM " + label A8 + 2 blanks + x, y, z in F12.4
    EXPECT_EQ(test::lines_of(w.dir.read("group.ang")),
              (std::vector<std::string>{
                  "ANGSTROM",
                  std::string("ATOM N(1)    ") + "  " + "      0.0000" "      1.4500" "     -0.0000",
                  std::string("ATOM H(1A)   ") + "  " + "    -12.3456" "      0.5000" "    100.0000"}));
}

// Without a picture no group.ang is written, so that an earlier run's file stays (the whole
// run is in TrustedFiles.FinishedRunReplacesEveryFileItWrites).
TEST(GroupAng, NoPictureWritesNoFile) {
    test::Writer w;
    w.atom(1, "C(1)", {});
    EXPECT_FALSE(has_group_ang(w.r));
}

}  // namespace
}  // namespace kova
