#include "shared/records.hpp"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kova {
namespace {

// Slots grown in steps within the room made beforehand, then beyond it (the storage moves):
// every new slot holds its initial value and the values already set are kept.
TEST(Records, GrownAtomSlotsHoldTheirInitialValues) {
    Records r;
    r.reserve_atoms(3);
    EXPECT_EQ(r.atom_slots(), 0);
    r.ensure_atoms(1);
    r.structure.label[1] = "C(1)    ";
    r.structure.residue_label[1] = "C1       1  GLY  ";
    r.structure.occupancy[1] = 0.5f;
    r.topology.neighbours[1].count = 2;
    r.topology.neighbours[1].atom = {0, 7, 9};
    for (int n : {2, 3, 40}) r.ensure_atoms(n);
    ASSERT_EQ(r.atom_slots(), 40);
    r.ensure_atoms(12);
    EXPECT_EQ(r.atom_slots(), 40);

    EXPECT_EQ(r.structure.label[1], "C(1)    ");
    EXPECT_EQ(r.structure.residue_label[1], "C1       1  GLY  ");
    EXPECT_EQ(r.structure.occupancy[1], 0.5f);
    EXPECT_EQ(r.topology.neighbours[1].atom, (std::vector<int>{0, 7, 9}));

    struct Text {
        const char* name;
        const std::vector<std::string>& slots;
        std::size_t width;
    } texts[] = {
        {"label", r.structure.label, 8},    {"sitesym", r.structure.site_symmetry, 5},
        {"reslab", r.structure.residue_label, 17}, {"resatm", r.structure.residue_atom, 10},
        {"exname", r.frames.group_name, 40}, {"mopro", r.frames.mopro_axes, 90},
        {"mcon", r.frames.mopro_similarity, 90},
    };
    for (const Text& t : texts) {
        ASSERT_EQ(t.slots.size(), 41u) << t.name;
        for (int i = 2; i <= 40; ++i)
            EXPECT_EQ(t.slots[i], std::string(t.width, ' ')) << t.name << " " << i;
    }
    for (int i = 2; i <= 40; ++i) {
        EXPECT_EQ(r.structure.occupancy[i], 1.0f) << i;
        EXPECT_EQ(r.structure.atomic_number[i] + r.structure.adp_order[i] +
                      r.topology.source_atom[i] + r.frames.kappa_set[i] +
                      r.structure.type_atomic_number[i] + r.frames.xd_atom_row[i].equivalent_atom,
                  0)
            << i;
        EXPECT_EQ(r.structure.frac[i], (Vec3f{0, 0, 0})) << i;
        EXPECT_EQ(r.frames.frame_axes[i].target2, std::string(8, ' ')) << i;
        EXPECT_EQ(r.frames.plm[i][4][8], 0.0f) << i;
        EXPECT_EQ(r.topology.neighbours[i].count, 0) << i;
        EXPECT_TRUE(r.topology.neighbours[i].atom.empty()) << i;
    }
}

}  // namespace
}  // namespace kova
