// The dummy store, the symmetry-image replacement, the axes of the frame picture and the
// geometry helpers.
#include "frames/dummies.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "frame_fixture.hpp"
#include "frames/frame_atom.hpp"
#include "shared/errors.hpp"

namespace kova {
namespace {

using test::FrameRecords;

int add(test::RunRecords& r, const AnyPosition& p, Vec3f* back = nullptr) {
    const DummyPlace d = add_dummy_atom(r.io, r, p);
    if (back) *back = d.position;
    return d.number;
}

TEST(LabelDummy, LabelsGrowWithTheNumber) {
    FrameRecords f(0);
    struct Case {
        int k;
        const char* want;
    };
    for (Case c : {Case{1, "DUM1  "},
                   {9, "DUM9  "},
                   {10, "DUM10 "},
                   {99, "DUM99 "},
                   {100, "DUM100"},
                   {999, "DUM999"}}) {
        label_dummy(f.r.io, f.r, c.k);
        EXPECT_EQ(f.r.frames.dummy_label[static_cast<std::size_t>(c.k)], c.want) << c.k;
    }
}

TEST(LabelDummy, TheThousandthDummyStopsTheRun) {
    FrameRecords f(0);
    f.r.frames.dummy_count = 0;
    for (int k = 1; k <= 999; ++k)
        ASSERT_EQ(add(f.r, Cartesian{static_cast<float>(k), 0.0f, 0.0f}), k);
    EXPECT_THROW(add(f.r, Cartesian{0.0f, 5.0f, 0.0f}), RunStop);
    EXPECT_EQ(f.r.frames.dummy_label[999], "DUM999");
    EXPECT_EQ(f.r.frames.dummy_xyz[999], AnyPosition(Cartesian{999.0f, 0.0f, 0.0f}));
    auto out = test::lines_of(f.out.str());
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out[1], " ERROR *** DummyLab *** DUMMY label exceeds format...");
}

TEST(AddDummyAtom, ReusesOnlyStrictlyWithinATenthOfAnAngstrom) {
    FrameRecords f(0);  // Cartesian input: points compared and stored as given, in Å
    Vec3f back;
    EXPECT_EQ(add(f.r, Cartesian{0.0f, 0.0f, 0.0f}), 1);
    EXPECT_EQ(add(f.r, Cartesian{0.1f, 0.0f, 0.0f}), 2);  // exactly 0.1 Å: new
    // a fractional point is taken in Å: there is no cell
    EXPECT_EQ(add(f.r, Fractional{0.0f, 0.0999f, 0.0f}, &back), 1);
    EXPECT_EQ(back, (Vec3f{0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(add(f.r, Cartesian{0.05f, 0.0f, 0.0f}), 1);  // near both: the first made wins
    EXPECT_EQ(f.r.frames.dummy_count, 2);
    EXPECT_EQ(f.r.frames.dummy_xyz[2], AnyPosition(Cartesian{0.1f, 0.0f, 0.0f}));
}

TEST(AddDummyAtom, CrystalInputStoresFractionalAndComparesCartesian) {
    FrameRecords f(0, true);
    f.r.structure.frac_to_cart = Mat3f{{{10, 0, 0}, {0, 20, 0}, {0, 0, 30}}};
    f.r.structure.cart_to_frac = Mat3f{{{0.1f, 0, 0}, {0, 0.05f, 0}, {0, 0, 1.0f / 30.0f}}};
    Vec3f back;
    EXPECT_EQ(add(f.r, Fractional{0.0f, 0.0f, 0.0f}), 1);  // the cell origin, made once
    EXPECT_EQ(add(f.r, Fractional{0.0f, 0.0f, 0.0f}), 1);
    EXPECT_EQ(add(f.r, Fractional{0.5f, 0.5f, 0.5f}, &back), 2);
    EXPECT_EQ(back, (Vec3f{5.0f, 10.0f, 15.0f}));
    EXPECT_EQ(f.r.frames.dummy_xyz[2], AnyPosition(Fractional{0.5f, 0.5f, 0.5f}));
    // the same place given in Å reuses it
    EXPECT_EQ(add(f.r, Cartesian{5.0f, 10.05f, 15.0f}, &back), 2);
    EXPECT_EQ(back, (Vec3f{5.0f, 10.0f, 15.0f}));
    // a Cartesian point is stored as tinv times it: (2, 4, 6) Å is (0.2, 0.2, 0.2)
    EXPECT_EQ(add(f.r, Cartesian{2.0f, 4.0f, 6.0f}, &back), 3);
    EXPECT_EQ(back, (Vec3f{2.0f, 4.0f, 6.0f}));
    const Fractional* stored = std::get_if<Fractional>(&f.r.frames.dummy_xyz[3]);
    ASSERT_NE(stored, nullptr);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR((*stored)[k], 0.2f, 1e-6f);
}

// Points the grid cannot bin (beyond 1e5 Å, or not finite) are compared with every query: far
// out the 0.1 Å rule holds as near the origin, and a point that is no number is never reused.
TEST(AddDummyAtom, FarAndNonFinitePoints) {
    FrameRecords f(0);
    const float far = 2.0e5f;  // float steps of 1/64 Å out there
    EXPECT_EQ(add(f.r, Cartesian{far, 0.0f, 0.0f}), 1);
    EXPECT_EQ(add(f.r, Cartesian{far + 0.0625f, 0.0f, 0.0f}), 1);
    EXPECT_EQ(add(f.r, Cartesian{far + 0.125f, 0.0f, 0.0f}), 2);
    EXPECT_EQ(add(f.r, Cartesian{far + 0.1875f, 0.0f, 0.0f}), 2);  // 0.0625 from 2, 0.1875 from 1
    const float nan = std::nanf("");
    EXPECT_EQ(add(f.r, Cartesian{nan, 0.0f, 0.0f}), 3);
    EXPECT_EQ(add(f.r, Cartesian{nan, 0.0f, 0.0f}), 4);
    EXPECT_EQ(add(f.r, Cartesian{0.0f, 0.0f, 0.0f}), 5);
    EXPECT_EQ(add(f.r, Cartesian{0.0f, 0.05f, 0.0f}), 5);
    EXPECT_EQ(add(f.r, Cartesian{far, 0.0f, 0.0f}), 1);
}

// The grid must give exactly what the scan over all dummies gives, also for points on cell
// boundaries, in a skewed cell, and after the store is emptied for a new analysis.
TEST(AddDummyAtom, SameChoiceAsTheScanOverAllDummies) {
    FrameRecords f(0, true);
    f.r.structure.frac_to_cart = Mat3f{{{7.1f, -1.3f, 0.4f}, {0, 6.2f, 2.1f}, {0, 0, 9.7f}}};
    f.r.structure.cart_to_frac =
        Mat3f{{{1 / 7.1f, 0.03f, -0.05f}, {0, 1 / 6.2f, -0.03f}, {0, 0, 1 / 9.7f}}};
    std::mt19937 gen(12345);
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    std::uniform_int_distribution<int> pick(0, 3);
    int reused = 0;
    for (int pass = 0; pass < 2; ++pass) {
        f.r.frames.dummy_count = 0;
        std::vector<Vec3f> seen;  // requested points, to come back near earlier ones
        for (int n = 0; n < 900 && f.r.frames.dummy_count < 990; ++n) {
            bool fractional = pick(gen) % 2 == 1;
            Vec3f p;
            if (!seen.empty() && pick(gen) == 0) {
                p = seen[static_cast<std::size_t>(gen() % seen.size())];
                p[0] += 0.14f * (u(gen) - 0.5f);
                p[1] += 0.14f * (u(gen) - 0.5f);
                fractional = false;
            } else if (fractional) {
                p = {u(gen), u(gen), 0.25f * std::round(4.0f * u(gen))};
            } else {
                p = {6.0f * u(gen), 0.25f * std::round(24.0f * u(gen)), 9.0f * u(gen)};
            }
            Vec3f pc = p;
            if (fractional)
                for (int k = 0; k < 3; ++k)
                    pc[k] = f.r.structure.frac_to_cart[k][0] * p[0] +
                            f.r.structure.frac_to_cart[k][1] * p[1] +
                            f.r.structure.frac_to_cart[k][2] * p[2];
            int want = 0;
            for (int k = 1; k <= f.r.frames.dummy_count && want == 0; ++k) {
                const Vec3f s = coordinates(f.r.frames.dummy_xyz[static_cast<std::size_t>(k)]);
                Vec3f pd;
                for (int c = 0; c < 3; ++c)
                    pd[c] = f.r.structure.frac_to_cart[c][0] * s[0] +
                            f.r.structure.frac_to_cart[c][1] * s[1] +
                            f.r.structure.frac_to_cart[c][2] * s[2];
                float dx = pc[0] - pd[0], dy = pc[1] - pd[1], dz = pc[2] - pd[2];
                if (std::sqrt(dx * dx + dy * dy + dz * dz) < 0.1f) want = k;
            }
            if (want == 0)
                want = f.r.frames.dummy_count + 1;
            else
                ++reused;
            const AnyPosition asked =
                fractional ? AnyPosition(Fractional{p}) : AnyPosition(Cartesian{p});
            ASSERT_EQ(add(f.r, asked), want) << "pass " << pass << " request " << n;
            seen.push_back(pc);
        }
    }
    EXPECT_GT(reused, 100);
}

// A frame's dummies are chosen before any is stored: the store's first, then the frame's own
// new ones in the order asked for, each reused strictly within 0.1 Å; a new one is numbered
// after both. The store is only read.
TEST(ChooseDummy, TheFramesNewDummiesFollowTheStore) {
    FrameRecords f(0);  // Cartesian input
    ASSERT_EQ(add(f.r, Cartesian{10.0f, 0.0f, 0.0f}), 1);
    const std::vector<NewDummy> pending = {{2, Cartesian{0.0f, 0.0f, 0.0f}},
                                           {3, Cartesian{0.0f, 0.3f, 0.0f}}};
    struct Case {
        Cartesian point;
        int number;
        Vec3f position;
        bool made;
    };
    const Case cases[] = {
        {{10.0f, 0.05f, 0.0f}, 1, {10.0f, 0.0f, 0.0f}, false},  // the stored dummy
        {{0.0f, 0.0999f, 0.0f}, 2, {0.0f, 0.0f, 0.0f}, false},  // the first new one
        {{0.0f, 0.25f, 0.0f}, 3, {0.0f, 0.3f, 0.0f}, false},    // 0.25 from 2, 0.05 from 3
        {{0.0f, 1.0f, 0.0f}, 4, {0.0f, 1.0f, 0.0f}, true},      // none near: after both
    };
    const Records& records = f.r;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        const DummyChoice choice = choose_dummy(records, pending, c.point);
        EXPECT_EQ(choice.place.number, c.number);
        EXPECT_EQ(choice.place.position, c.position);
        ASSERT_EQ(choice.made.has_value(), c.made);
        if (c.made) {
            EXPECT_EQ(choice.made->number, c.number);
            EXPECT_EQ(choice.made->stored, AnyPosition(c.point));
        }
    }
    EXPECT_EQ(f.r.frames.dummy_count, 1);
}

// Crystal input: a new dummy keeps its fractional point, and reusing it gives the Cartesian
// position of that stored point, as the store would.
TEST(ChooseDummy, CrystalInputKeepsTheFractionalPoint) {
    FrameRecords f(0, true);
    f.r.structure.frac_to_cart = Mat3f{{{10, 0, 0}, {0, 20, 0}, {0, 0, 30}}};
    f.r.structure.cart_to_frac = Mat3f{{{0.1f, 0, 0}, {0, 0.05f, 0}, {0, 0, 1.0f / 30.0f}}};
    const std::vector<NewDummy> pending = {{1, Fractional{0.5f, 0.5f, 0.5f}}};
    const DummyChoice same = choose_dummy(f.r, pending, Cartesian{5.0f, 10.05f, 15.0f});
    EXPECT_EQ(same.place.number, 1);
    EXPECT_EQ(same.place.position, (Vec3f{5.0f, 10.0f, 15.0f}));
    EXPECT_FALSE(same.made);
    // (2, 4, 6) Å is (0.2, 0.2, 0.2): a new dummy 2 at the Cartesian point asked for
    const DummyChoice other = choose_dummy(f.r, pending, Cartesian{2.0f, 4.0f, 6.0f});
    EXPECT_EQ(other.place.number, 2);
    EXPECT_EQ(other.place.position, (Vec3f{2.0f, 4.0f, 6.0f}));
    ASSERT_TRUE(other.made);
    const Fractional* stored = std::get_if<Fractional>(&other.made->stored);
    ASSERT_NE(stored, nullptr);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR((*stored)[k], 0.2f, 1e-6f);
}

// The two axes of one frame asking for points 0.05 Å apart share one new dummy; nothing is
// stored until the frame's commit.
TEST(TargetDummy, TheAxesOfOneFrameShareANewDummy) {
    FrameRecords f(0);
    ASSERT_EQ(add(f.r, Cartesian{10.0f, 0.0f, 0.0f}), 1);
    const Records& records = f.r;
    FrameDraft frame;
    target_dummy(f.r.io, records, frame, 1, Cartesian{1.0f, 0.0f, 0.0f});
    target_dummy(f.r.io, records, frame, 2, Cartesian{1.05f, 0.0f, 0.0f});
    EXPECT_EQ(frame.label1, "DUM2    ");
    EXPECT_EQ(frame.label2, "DUM2    ");
    EXPECT_EQ(frame.target2, (Vec3f{1.0f, 0.0f, 0.0f}));  // the first point asked for
    ASSERT_EQ(frame.new_dummies.size(), 1u);
    EXPECT_EQ(frame.new_dummies[0].number, 2);
    EXPECT_EQ(f.r.frames.dummy_count, 1);
}

// The 1000th dummy stops the run where a frame asks for it; a point near a stored dummy still
// reuses that one.
TEST(TargetDummy, TheThousandthStopsTheRunWhereItIsAskedFor) {
    FrameRecords f(0);
    for (int k = 1; k <= 999; ++k)
        ASSERT_EQ(add(f.r, Cartesian{static_cast<float>(k), 0.0f, 0.0f}), k);
    FrameDraft frame;
    EXPECT_NO_THROW(target_dummy(f.r.io, f.r, frame, 1, Cartesian{5.0f, 0.05f, 0.0f}));
    EXPECT_EQ(frame.label1, "DUM5    ");
    EXPECT_THROW(target_dummy(f.r.io, f.r, frame, 2, Cartesian{0.0f, 5.0f, 0.0f}), RunStop);
    EXPECT_TRUE(frame.new_dummies.empty());
    EXPECT_EQ(f.r.frames.dummy_count, 999);
    auto out = test::lines_of(f.out.str());
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out[1], " ERROR *** DummyLab *** DUMMY label exceeds format...");
}

TEST(ReplaceImageTargets, AxisPointsOnImagesBecomeNewDummies) {
    // atoms 1-2 read, 3-4 images; the images' fractional positions become the dummies'
    struct Case {
        Cartesian p1, p2;
        const char* first_line;
        const char* lab1;
        const char* lab2;
    };
    const Cartesian img3{1.0f, 1.0f, 1.0f}, img4{3.0f, 0.0f, 0.0f};
    for (Case c : {Case{img3,
                        {img4[0] + 0.0009f, 0.0f, 0.0f},
                        " Atom C(3) used in definition of X-axis is symmetry-generated; replace "
                        "with dummy    2",
                        "DUM2    ",
                        "DUM3    "},
                   Case{img4, img3,
                        " Atom C(3) used in definition of Y-axis is symmetry-generated; replace "
                        "with dummy    2",
                        "DUM3    ", "DUM2    "}}) {
        FrameRecords f(2, true);
        f.atom(3, "C(3)", 6, img3);
        f.atom(4, "C(4)", 6, img4);
        f.r.structure.frac[3] = {0.1f, 0.1f, 0.1f};
        f.r.structure.frac[4] = {0.3f, 0.0f, 0.0f};
        f.r.topology.list_size = 4;
        f.r.frames.dummy_count = 1;  // an existing dummy at the same place is not reused
        f.r.ensure_dummies(1);
        f.r.frames.dummy_xyz[1] = Fractional{0.1f, 0.1f, 0.1f};
        const auto [lab1, lab2] =
            replace_image_targets(f.r.io, f.r, c.p1, c.p2, c.p1 == img3 ? "C(3)    " : "C(4)    ",
                                  c.p2 == img3 ? "C(3)    " : "C(4)    ", 'X', 'Y');
        EXPECT_EQ(lab1, c.lab1);
        EXPECT_EQ(lab2, c.lab2);
        EXPECT_EQ(f.r.frames.dummy_count, 3);
        // image 3 comes first
        EXPECT_EQ(f.r.frames.dummy_xyz[2], AnyPosition(Fractional{0.1f, 0.1f, 0.1f}));
        EXPECT_EQ(f.r.frames.dummy_xyz[3], AnyPosition(Fractional{0.3f, 0.0f, 0.0f}));
        auto lines = f.file("kova.out");
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[0], "");
        EXPECT_EQ(lines[1], c.first_line);
    }
}

TEST(ReplaceImageTargets, AtomsReadAndFarImagesAreLeftAlone) {
    FrameRecords f(2, true);
    f.atom(1, "C(1)", 6, {0.0f, 0.0f, 0.0f});
    f.atom(3, "C(3)", 6, {0.0f, 0.0f, 0.0011f});
    f.r.topology.list_size = 3;
    const auto [lab1, lab2] =
        replace_image_targets(f.r.io, f.r, Cartesian{0.0f, 0.0f, 0.0f}, Cartesian{5.0f, 5.0f, 5.0f},
                              "C(1)    ", "O(1)    ", 'Z', 'X');
    EXPECT_EQ(lab1, "C(1)    ");
    EXPECT_EQ(lab2, "O(1)    ");
    EXPECT_EQ(f.r.frames.dummy_count, 0);
    EXPECT_TRUE(f.file("kova.out").empty());
}

TEST(FrameAxisEnds, RightHandedAxesOfTheFramePicture) {
    // the atom at (1, 2, 3); the end points lie 0.2 Å along each axis
    struct Case {
        Cartesian a1, a2;
        char l1, l2;
        Vec3f x, y, z;
    };
    const Vec3f px{1.2f, 2.0f, 3.0f}, py{1.0f, 2.2f, 3.0f}, pz{1.0f, 2.0f, 3.2f};
    for (Case c : {
             // X along r1 = (2,0,0); Y along w = (r1 x r2) x r1 = (0,4,0); Z along r1 x r2
             Case{{3, 2, 3}, {2, 3, 3}, 'X', 'Y', px, py, pz},
             // Z toward (0,0,1), Y in the plane: r1 x r2 = (-1,0,0), but X = Y x Z = (1,0,0)
             Case{{1, 2, 4}, {1, 3, 3}, 'Z', 'Y', px, py, pz},
             // X toward r1 = (0,0,1), Z in the plane along w = (1,0,0):
             // r1 x r2 = (0,0,1) x (1,0,0) = (0,1,0); Y = Z x X = (1,0,0) x (0,0,1) = (0,-1,0)
             Case{{1, 2, 4}, {2, 2, 3}, 'X', 'Z', pz, {1.0f, 1.8f, 3.0f}, px},
             // both points on one line with the atom: X kept, completed by the Cartesian
             // axis it is least along (y), Y = that axis, Z = X x Y
             Case{{2, 2, 3}, {3, 2, 3}, 'X', 'Y', px, py, pz},
             // the first point on the atom: the Cartesian x axis stands in for X
             // (Z along x, X along y, Y = Z x X along z)
             Case{{1, 2, 3}, {1, 2, 2}, 'Z', 'X', py, pz, px},
         }) {
        const auto ends = frame_axis_ends({1.0f, 2.0f, 3.0f}, c.a1, c.a2, c.l1, c.l2);
        const Vec3f want[3] = {c.x, c.y, c.z};
        for (int k = 0; k < 3; ++k)
            for (int j = 0; j < 3; ++j)
                EXPECT_NEAR(ends[static_cast<std::size_t>(k)][static_cast<std::size_t>(j)],
                            want[k][static_cast<std::size_t>(j)], 1e-6f)
                    << c.l1 << c.l2 << ", axis " << "XYZ"[k];
    }
}

TEST(GeometryHelpers, AnglesAndMidpoints) {
    const Vec3f vertex{0, 0, 0};
    EXPECT_NEAR(angle_of_points({1, 0, 0}, vertex, {0, 2, 0}), 90.0f, 1e-4f);
    EXPECT_NEAR(angle_of_points({-1, 0, 0}, vertex, {3, 0, 0}), 180.0f,
                1e-3f);  // cosine -1 exactly
    // nearly straight: the rounded cosine may pass -1; the angle stays a number
    const float ang = angle_of_points({-0.1f, 1e-4f, 0}, vertex, {0.3f, -1e-4f, 0});
    EXPECT_FALSE(std::isnan(ang));
    EXPECT_GT(ang, 179.9f);
    EXPECT_EQ(angle_of_points(vertex, vertex, {1, 0, 0}), 0.0f);

    EXPECT_EQ(midpoint({1, 2, 3}, {2, 4, -3}), (Vec3f{1.5f, 3.0f, 0.0f}));
}

TEST(GeometryHelpers, WriteAngleLineListsTheAcceptedAngle) {
    FrameRecords f(3);
    f.atom(1, "H(1)", 1);
    f.atom(2, "C(1)", 6);
    f.atom(3, "C(12)", 6);
    write_angle_line(f.r.io, f.r, Files::listing, 1, 2, 3, 109.4712f);
    auto lines = f.file("kova.out");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], " Angle   H(1) - C(1) - C(12) =   109.47 deg.");
}

}  // namespace
}  // namespace kova
