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
    r.atoms.label[1] = "C(1)    ";
    r.resi1.reslab[1] = "C1       1  GLY  ";
    r.atoms1.occ[1] = 0.5f;
    r.neighbors.at[1].nnei = 2;
    r.neighbors.at[1].inei = {0, 7, 9};
    for (int n : {2, 3, 40}) r.ensure_atoms(n);
    ASSERT_EQ(r.atom_slots(), 40);
    r.ensure_atoms(12);
    EXPECT_EQ(r.atom_slots(), 40);

    EXPECT_EQ(r.atoms.label[1], "C(1)    ");
    EXPECT_EQ(r.resi1.reslab[1], "C1       1  GLY  ");
    EXPECT_EQ(r.atoms1.occ[1], 0.5f);
    EXPECT_EQ(r.neighbors.at[1].inei, (std::vector<int>{0, 7, 9}));

    struct Text {
        const char* name;
        const std::vector<std::string>& slots;
        std::size_t width;
    } texts[] = {
        {"label", r.atoms.label, 8},    {"sitesym", r.atoms.sitesym, 5},
        {"reslab", r.resi1.reslab, 17}, {"resatm", r.resi1.resatm, 10},
        {"exname", r.except.exname, 40}, {"mopro", r.mopro.mopro, 90},
        {"mcon", r.mcon.mcon, 90},      {"cons", r.cons.cons, 100},
    };
    for (const Text& t : texts) {
        ASSERT_EQ(t.slots.size(), 41u) << t.name;
        for (int i = 2; i <= 40; ++i) EXPECT_EQ(t.slots[i], std::string(t.width, ' ')) << t.name << " " << i;
    }
    for (int i = 2; i <= 40; ++i) {
        EXPECT_EQ(r.atoms1.occ[i], 1.0f) << i;
        EXPECT_EQ(r.atoms.iz[i] + r.atoms1.tp[i] + r.cryst.isq[i] + r.kappaset.kset[i] +
                      r.at_types.iztype[i] + r.mpoles.itab[i][11],
                  0)
            << i;
        EXPECT_EQ(r.atoms.xf[i], (Vec3f{0, 0, 0})) << i;
        EXPECT_EQ(r.mpoles.plm[i][4][8], 0.0f) << i;
        EXPECT_EQ(r.neighbors.at[i].nnei, 0) << i;
        EXPECT_TRUE(r.neighbors.at[i].inei.empty()) << i;
    }
}

}  // namespace
}  // namespace kova
