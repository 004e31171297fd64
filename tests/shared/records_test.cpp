#include "shared/records.hpp"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kova {
namespace {

// A run starts from the records as built: the options at the defaults the instruction file
// changes, the SHELX free variables and weights at theirs, the model named "TEST", the cell
// matrices the identity (Cartesian input reads no cell), no atoms, kappa sets or rings.
TEST(Records, BuiltAtTheStateARunStartsFrom) {
    const Records r;
    const Options& o = r.options;
    EXPECT_EQ(o.tolerances.bond, 0.2f);
    EXPECT_EQ(o.tolerances.ring, 0.1f);
    EXPECT_EQ(o.tolerances.group, 0.1f);
    EXPECT_EQ(o.verbosity, 1);
    EXPECT_EQ(o.ncells, -1);
    EXPECT_TRUE(o.crystal_input);
    EXPECT_TRUE(o.chem_constraints_h);
    EXPECT_TRUE(o.chem_constraints_other);
    EXPECT_EQ(o.input_format, InputFormat::none);
    EXPECT_EQ(o.pv_scaling, PvScaling::none);  // the instruction reader makes it difference
    EXPECT_EQ(o.rename_mode, RenameMode::all_atoms);
    struct Flag {
        const char* name;
        bool value;
    } const off[] = {
        {"search_rings", o.search_rings}, {"databank", o.databank}, {"extend_h", o.extend_h},
        {"to_xd", o.to_xd}, {"simple", o.simple}, {"rename_atoms", o.rename_atoms},
        {"disorder_extend_h", o.disorder_extend_h}, {"disorder_databank", o.disorder_databank},
        {"rings.special", o.rings.special}, {"keys.xyz", o.keys.xyz},
        {"keys.xyz_all", o.keys.xyz_all}, {"keys.xyz_ordered", o.keys.xyz_ordered},
        {"keys.multipoles", o.keys.multipoles}, {"keys.multipoles_all", o.keys.multipoles_all},
        {"keys.multipoles_ordered", o.keys.multipoles_ordered}, {"keys.kappa", o.keys.kappa},
    };
    for (const Flag& f : off) EXPECT_FALSE(f.value) << f.name;
    EXPECT_EQ(o.rings.min_size + o.rings.max_size, 0);
    EXPECT_TRUE(o.databank_file.empty() && o.structure_file.empty() && o.xd_master_file.empty());

    const Structure& s = r.structure;
    EXPECT_EQ(s.model_name, "TEST                ");  // 20 characters
    EXPECT_EQ(s.free_var[1], 1.0f);
    for (int k = 2; k <= max_free_vars; ++k) EXPECT_EQ(s.free_var[k], 0.0f) << k;
    const float weight[] = {-2.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.33333334f};
    for (int k = 1; k <= 6; ++k) EXPECT_EQ(s.weight[k], weight[k - 1]) << k;
    EXPECT_EQ(s.free_var_count, 0);
    const Mat3f identity{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    EXPECT_EQ(s.frac_to_cart, identity);
    EXPECT_EQ(s.cart_to_frac, identity);

    EXPECT_EQ(r.atom_slots(), 0);
    EXPECT_EQ(s.atom_count + s.type_count + r.topology.list_size + r.topology.ring_count, 0);
    EXPECT_EQ(r.frames.kappa_count + r.frames.kappa_set_count + r.frames.dummy_count, 0);
    EXPECT_EQ(r.databank.searched + r.databank.found + r.databank.not_found, 0);
}

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
        {"label", r.structure.label, 8},           {"sitesym", r.structure.site_symmetry, 5},
        {"reslab", r.structure.residue_label, 17}, {"resatm", r.structure.residue_atom, 10},
        {"exname", r.frames.group_name, 40},       {"mcon", r.frames.mopro_similarity, 90},
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
                      r.structure.type_atomic_number[i] + r.frames.equivalent_atom[i] +
                      r.frames.final_frame[i].target1 + r.frames.final_frame[i].target2,
                  0)
            << i;
        EXPECT_EQ(r.structure.frac[i], (Vec3f{0, 0, 0})) << i;
        EXPECT_EQ(r.frames.final_frame[i].axis1, ' ') << i;
        EXPECT_EQ(r.frames.final_frame[i].axis2, ' ') << i;
        EXPECT_EQ(r.frames.plm[i][4][8], 0.0f) << i;
        EXPECT_EQ(r.topology.neighbours[i].count, 0) << i;
        EXPECT_TRUE(r.topology.neighbours[i].atom.empty()) << i;
    }
}

// A frame target's number names its label: atoms 1..atom_count, then dummy k as
// atom_count + k, blanks for 0 or a number past the dummies. An atom may carry a dummy's label;
// its number still names the atom.
TEST(Records, FrameTargetLabelsFollowFromTheNumbers) {
    Records r;
    r.ensure_atoms(3);
    r.structure.atom_count = 3;
    r.structure.label[1] = "C(1)    ";
    r.structure.label[2] = "DUM1    ";
    r.structure.label[3] = "H(2)";  // as short as a reader may leave it
    r.ensure_dummies(2);
    r.frames.dummy_count = 2;
    r.frames.dummy_label[1] = "DUM1  ";
    r.frames.dummy_label[2] = "DUM2  ";
    struct Case {
        int number;
        const char* want;
    };
    for (const Case c : {Case{1, "C(1)    "}, Case{2, "DUM1    "}, Case{3, "H(2)    "},
                         Case{4, "DUM1    "}, Case{5, "DUM2    "}, Case{0, "        "},
                         Case{6, "        "}})
        EXPECT_EQ(frame_target_label(r.structure, r.frames, c.number), c.want) << c.number;
}

// One routine sets an atom's position: the kind given is kept as given and the other kind
// follows from it, through the cell for crystal input; Cartesian input has no fractional
// coordinates, so they are 0 whatever the slot held.
TEST(Records, PlaceAtomDerivesTheOtherKind) {
    // cell: x = 10 u - 2 w, y = 20 v, z = 5 w; inverse: u = 0.1 x + 0.04 z, v = 0.05 y, w = 0.2 z
    const Mat3f cell{{{10, 0, -2}, {0, 20, 0}, {0, 0, 5}}};
    const Mat3f inverse{{{0.1f, 0, 0.04f}, {0, 0.05f, 0}, {0, 0, 0.2f}}};
    struct Case {
        const char* what;
        bool crystal;
        bool fractional_given;
        Vec3f given;
        Vec3f want_frac, want_cart;
    };
    const Case cases[] = {
        // 5 + 0 - 2 = 3, 20 * 0.25 = 5, 5 * 1 = 5
        {"fractional", true, true, {0.5f, 0.25f, 1.0f}, {0.5f, 0.25f, 1.0f}, {3, 5, 5}},
        // 0.3 + 0.2 = 0.5, 0.05 * 5 = 0.25, 0.2 * 5 = 1
        {"Cartesian, crystal input", true, false, {3, 5, 5}, {0.5f, 0.25f, 1.0f}, {3, 5, 5}},
        {"Cartesian input", false, false, {3, 5, 5}, {0, 0, 0}, {3, 5, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Records r;
        r.ensure_atoms(2);
        r.options.crystal_input = c.crystal;
        if (c.crystal) {
            r.structure.frac_to_cart = cell;
            r.structure.cart_to_frac = inverse;
        }
        r.structure.frac[2] = Fractional{9, 9, 9};  // what the slot held before
        r.structure.cart[2] = Cartesian{9, 9, 9};
        if (c.fractional_given)
            place_atom(r.structure, 2, Fractional{c.given});
        else
            place_atom(r, 2, Cartesian{c.given});
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(r.structure.frac[2][k], c.want_frac[k], 1e-6f) << k;
            EXPECT_NEAR(r.structure.cart[2][k], c.want_cart[k], 1e-6f) << k;
        }
        // the kind given is kept exactly; atom 1 is not touched
        EXPECT_EQ(c.fractional_given ? Vec3f(r.structure.frac[2]) : Vec3f(r.structure.cart[2]),
                  c.given);
        EXPECT_EQ(r.structure.cart[1], (Vec3f{0, 0, 0}));
    }
}

}  // namespace
}  // namespace kova
