// Rules of the SHELX atom records one by one: scattering rows, free variables, RESI forms
// and the equivalent isotropic U.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "input/session.hpp"
#include "input/shelx_atoms.hpp"
#include "input/shelx_reader.hpp"
#include "shared/fatal.hpp"
#include "shared/errors.hpp"

namespace kova {
namespace {

TEST(ShelxRules, ScatteringRows) {
    struct Case {
        int z;
        std::vector<int> first;  // leading shells 1S 2S 3S 4S 2P 3P 4P 3D; the rest are 0
    };
    const Case cases[] = {
        {0, {}},                              // no element: zeros
        {1, {-1}},
        {2, {-2}},
        {3, {2, -1}},
        {5, {2, -2, 0, 0, -1}},
        {6, {2, -2, 0, 0, -2}},
        {10, {2, -2, 0, 0, -6}},
        {11, {2, 2, -1, 0, 6}},
        {17, {2, 2, -2, 0, 6, -5}},
        {19, {2, 2, 2, -1, 6, 6}},
        {26, {2, 2, 2, -2, 6, 6, 0, -6}},
        {30, {2, 2, 2, -2, 6, 6, 0, -10}},
        {31, {2, 2, 2, -2, 6, 6, -1, -10}},   // the filled 3D is valence from Ga on
        {35, {2, 2, 2, -2, 6, 6, -5, -10}},
        {36, {2, 2, 2, -2, 6, 6, -6, -10}},
        {53, {2, 2, 2, 2, 6, 6, 6, 10, 10, 0, -2, -5}},  // iodine: 4D core
    };
    test::RunRecords r;
    for (const Case& c : cases) {
        const std::array<int, 19> row = shell_occupations(r.io, r, c.z, 1);
        for (int k = 1; k <= 18; ++k) {
            int want = k <= static_cast<int>(c.first.size()) ? c.first[k - 1] : 0;
            EXPECT_EQ(row[k], want) << "Z " << c.z << " shell " << k;
        }
    }
    // The stop names the element, its atomic number and its SFAC type after the message.
    struct Stop {
        int z, type;
        const char* line;
    };
    const Stop stops[] = {
        {37, 1,
         " ERROR *** GetSFT *** atomic number not implemented yet: Rb (Z = 37), SFAC type 1"},
        {44, 2,
         " ERROR *** GetSFT *** atomic number not implemented yet: Ru (Z = 44), SFAC type 2"},
        {52, 3,
         " ERROR *** GetSFT *** atomic number not implemented yet: Te (Z = 52), SFAC type 3"},
        {54, 4,
         " ERROR *** GetSFT *** atomic number not implemented yet: Xe (Z = 54), SFAC type 4"},
        {78, 12,
         " ERROR *** GetSFT *** atomic number not implemented yet: Pt (Z = 78), SFAC type 12"},
    };
    for (const Stop& c : stops) {
        test::Session s;
        EXPECT_THROW(shell_occupations(s.r.io, s.r, c.z, c.type), RunStop) << c.z;
        EXPECT_EQ(s.terminal(), (std::vector<std::string>{"", c.line, ""})) << c.z;
    }
}

TEST(ShelxRules, FreeVariables) {
    test::RunRecords r;
    r.structure.free_var[2] = 0.6f;
    r.structure.free_var[3] = 0.25f;
    struct Case {
        float v, want;
    };
    const Case cases[] = {
        {0.5f, 0.5f},     {-9.5f, -9.5f},   {11.0f, 1.0f},    {10.5f, 0.5f},
        {-10.5f, -0.5f},  {10.0f, 0.0f},    {-10.0f, 0.0f},   {21.0f, 0.6f},
        {-21.0f, 0.4f},   {20.5f, 0.3f},    {31.0f, 0.25f},   {-31.0f, 0.75f},
        {20.0f, 0.0f},    {-20.0f, 0.0f},
        // 10m + p with |p| < 5: 29 = 30 - 1, -26 = -30 + 4; |p| = 5 keeps the smaller m
        {29.0f, -0.25f},  {-26.0f, -3.0f},  {25.0f, 3.0f},    {-25.0f, 2.0f},
        {2001.0f, 0.0f},  // free variable 200, never given
    };
    for (const Case& c : cases) {
        const std::optional<float> out = apply_free_variable(r.structure, c.v);
        ASSERT_TRUE(out) << c.v;
        EXPECT_NEAR(*out, c.want, 1e-6) << c.v;
    }
    EXPECT_FALSE(apply_free_variable(r.structure, 2011.0f));  // free variable 201
    EXPECT_FALSE(apply_free_variable(r.structure, -1.0e30f));
}

TEST(ShelxRules, ResidueCardForms) {
    struct Case {
        const char* card;
        int number;
        const char* resclass;
    };
    const Case cases[] = {
        {"RESI 1 CCF3", 1, "CCF3"},   {"RESI BF4 13", 13, "BF4"}, {"RESI CF3", 0, "CF3"},
        {"RESI 0", 0, ""},            {"RESI    8   SER", 8, "SER"},
        {"RESI 1001 HOH", 1001, "HOH"}, {"RESI CCF3 4 ALIAS", 4, "CCF3"},
    };
    for (const Case& c : cases) {
        const ResidueCard res = parse_resi(c.card);
        EXPECT_EQ(res.number, c.number) << c.card;
        EXPECT_EQ(res.residue_class, c.resclass) << c.card;
    }
}

TEST(ShelxRules, EquivalentIsotropicU) {
    // Expected: a third of the trace of the Cartesian tensor A N U N A^T, worked out apart
    // from the formula the reader uses.
    struct Case {
        std::array<float, 6> cell;
        std::array<float, 6> u;  // U11 U22 U33 U12 U13 U23
        float want;
    };
    const Case cases[] = {
        {{10, 12, 15, 90, 100, 90}, {0.02f, 0.03f, 0.04f, 0.001f, 0.005f, 0.002f}, 0.030025f},
        {{8, 9, 10, 80, 95, 110}, {0.02f, 0.03f, 0.04f, 0.004f, 0.005f, 0.006f}, 0.0323154f},
    };
    for (const Case& c : cases) {
        test::RunRecords r;
        r.ensure_atoms(2);
        r.structure.cell = c.cell;
        r.structure.adp_order[1] = 2;
        r.structure.uij[1] = c.u;
        EXPECT_NEAR(equivalent_u(r.structure, 1), c.want, 2e-7);
        r.structure.adp_order[2] = 1;  // isotropic: U11 itself
        r.structure.uij[2][0] = 0.037f;
        EXPECT_EQ(equivalent_u(r.structure, 2), 0.037f);
    }
}

}  // namespace
}  // namespace kova
