// Valence-population rescaling on atoms filled in by hand: fragments from kova.inp, the
// charge prompt, the three methods and the listing table.
#include "databank/rescale.hpp"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "input/instructions.hpp"
#include "shared/fatal.hpp"
#include "shared/errors.hpp"
#include "shared/text.hpp"
#include "support.hpp"

namespace kova {
namespace {

struct Atom {
    const char* label;
    int z;
    float occ, pv, spv;
};

struct Rescale : test::Workspace {
    // `inp`: kova.inp, whose fragment lines are read as the instruction reader reads them at
    // the start of a run, or nullptr for none; `answers`: what the keyboard gives.
    Rescale(const std::vector<Atom>& atoms, const char* inp, const std::string& answers = "",
            PvScaling method = PvScaling::difference)
        : Workspace({.listing = true}) {
        in.str(answers);
        r.options.pv_scaling = method;
        r.ensure_atoms(static_cast<int>(atoms.size()));
        r.structure.atom_count = static_cast<int>(atoms.size());
        for (std::size_t k = 0; k < atoms.size(); ++k) {
            r.structure.label[k + 1] = atoms[k].label;
            r.structure.atomic_number[k + 1] = atoms[k].z;
            r.structure.occupancy[k + 1] = atoms[k].occ;
            r.frames.valence_population[k + 1] = atoms[k].pv;
            r.frames.valence_population_sigma[k + 1] = atoms[k].spv;
        }
        if (inp) {
            dir.write("kova.inp", inp);
            if (!r.io.try_open_old(test::input_channel, "kova.inp")) {
                ADD_FAILURE() << "kova.inp does not open";
                return;
            }
            while (auto line = read_logical_line(r.io, Files::listing, test::input_channel))
                read_fragment_line(line->text, r.io.in(test::input_channel).recno(),
                                   r.options.fragments);
            r.io.close(test::input_channel);
        }
    }
    // "" when the routine ends normally, else "stop" or the fault text.
    std::string run() {
        test::Ending end;
        end.run_to_end([&] { rescale_valence_populations(r.io, r); });
        return end.text();
    }
    std::vector<std::string> listing() { return file("kova.out"); }
    bool listed(const std::string& line) {
        auto l = listing();
        return std::find(l.begin(), l.end(), line) != l.end();
    }
    // The atom numbers of the table rows of fragment f.
    std::vector<int> rows(int f) {
        auto l = listing();
        std::string head =
            " ***** Rescaling Pv's in fragment = " + std::string(f < 10 ? "  " : " ") +
            std::to_string(f) + " *****";
        auto it = std::find(l.begin(), l.end(), head);
        std::vector<int> v;
        if (it == l.end()) return v;
        it = std::find_if(it, l.end(),
                          [](const std::string& s) { return s.rfind("    NO  ATOM", 0) == 0; });
        for (it += 2; it != l.end() && !it->empty(); ++it)
            v.push_back(std::stoi(it->substr(0, 6)));
        return v;
    }
};

std::vector<Atom> carbons(int n, float pv) {
    static const char* const labels[] = {"C(1)",  "C(2)",  "C(3)",  "C(4)",  "C(5)",  "C(6)",
                                         "C(7)",  "C(8)",  "C(9)",  "C(10)", "C(11)", "C(12)",
                                         "C(13)", "C(14)", "C(15)", "C(16)", "C(17)", "C(18)",
                                         "C(19)", "C(20)", "C(21)"};
    std::vector<Atom> v;
    for (int k = 0; k < n; ++k)
        v.push_back({labels[k], 6, 1.0f, pv, 0.05f});
    return v;
}

TEST(RescaleValencePopulations, AllAtomsWithTheChargePromptAndTheTable) {
    // F = 4 + 6 + 1*0.5 = 10.5, S = 4.25 + 6.5 + 0.375 = 11.125; the answer -1 gives
    // T = 11.5 and each of the three atoms Corr = (11.5 - 11.125) / 3 = 0.125.
    Rescale s({{"C(1)", 6, 1.0f, 4.25f, 0.0f},
               {"O(2)", 8, 1.0f, 6.5f, 0.0f},
               {"H(3)", 1, 0.5f, 0.375f, 0.0f}},
              nullptr, "-1\n");
    ASSERT_EQ(s.run(), "");
    std::vector<std::string> want = {
        "",
        " Using difference method for rescaling...",
        "",
        " Using ALL atoms for fragment 1 !",
        "",
        " ***** Rescaling Pv's in fragment =   1 *****",
        "",
        " Sum-of-Pv[free]     =    10.500000 el.",
        " Sum-of-Pv[databank] =    11.125000 el.",
        " Difference          =    -0.625000 el. (   5.95 % )",  // 0.625 / 10.5 = 5.952 %
        "",
        " Rescaling Sum-of-Pv to     11.500000 el.   ( Charge =   -1.000 el. )",
        "",
        "    NO  ATOM       Occup.    Pv(DB)      Pv(free)    +Corr       Pv(new)",
        "",
        "     1  C(1)       1.000     4.25000     4.00000    +0.12500     4.37500",
        "     2  O(2)       1.000     6.50000     6.00000    +0.12500     6.62500",
        "     3  H(3)       0.500     0.37500     0.50000    +0.12500     0.50000",
        "",
        "                    SUM     11.12500    10.50000     0.37500    11.50000",
    };
    EXPECT_EQ(s.listing(), want);
    EXPECT_EQ(s.out.str(),
              "\n Using ALL atoms for fragment 1 !\n"
              "\n ***** Rescaling Pv's in fragment =   1 *****\n"
              "\n Sum-of-Pv[free]     =    10.500000 el.\n"
              " Sum-of-Pv[databank] =    11.125000 el.\n"
              " Difference          =    -0.625000 el. (   5.95 % )\n"
              " Enter net charge of fragment   1 [0.] : "
              "\n Rescaling Sum-of-Pv to     11.500000 el.   ( Charge =   -1.000 el. )\n");
    EXPECT_EQ(s.r.frames.valence_population[1], 4.375f);
    EXPECT_EQ(s.r.frames.valence_population[3], 0.5f);
}

TEST(RescaleValencePopulations, ChargesFromChfragOrTheKeyboard) {
    struct Case {
        const char* inp;
        const char* answers;
        bool prompt;
        const char* charge_line;
    } cases[] = {
        {"CHFRAG 1\n", "", false,
         " Rescaling Sum-of-Pv to      3.000000 el.   ( Charge =   +1.000 el. )"},
        {"chfrag charge 2.5 of all\n", "", false,
         " Rescaling Sum-of-Pv to      1.500000 el.   ( Charge =   +2.500 el. )"},
        {"FORMAT *shelx\n", "   \n", true,
         " Rescaling Sum-of-Pv to      4.000000 el.   ( Charge =   +0.000 el. )"},
        {nullptr, "0.5 ignored\n", true,
         " Rescaling Sum-of-Pv to      3.500000 el.   ( Charge =   +0.500 el. )"},
        // the last CHFRAG line wins
        {"CHFRAG 3\nCHFRAG -2\n", "", false,
         " Rescaling Sum-of-Pv to      6.000000 el.   ( Charge =   -2.000 el. )"},
    };
    for (const auto& c : cases) {
        Rescale s(carbons(1, 4.0f), c.inp, c.answers);
        ASSERT_EQ(s.run(), "") << c.inp;
        EXPECT_EQ(s.out.str().find("Enter net charge") != std::string::npos, c.prompt) << c.inp;
        EXPECT_TRUE(s.listed(c.charge_line)) << (c.inp ? c.inp : "no kova.inp");
    }
}

TEST(RescaleValencePopulations, TwoFragmentsWithTheirCharges) {
    // Atoms 1-10 hold 4.25 and go to 40 electrons: Corr = -0.25; atoms 11-20 hold 3.75 and
    // go to 40 + 1 electrons: Corr = (41 - 37.5) / 10 = 0.35. Atom 21 is in no fragment.
    auto atoms = carbons(21, 4.25f);
    for (int k = 10; k < 20; ++k)
        atoms[static_cast<std::size_t>(k)].pv = 3.75f;
    Rescale s(atoms, "NFRAG 2\nFRAG 1 1 -10\nFRAG 2 11 -20\nCHFRAG 0 -1\n");
    ASSERT_EQ(s.run(), "");
    EXPECT_EQ(s.out.str().find("Enter net charge"), std::string::npos);
    EXPECT_FALSE(s.listed(" Using ALL atoms for fragment 1 !"));
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(s.r.frames.valence_population[k], 4.0f);
    float sum2 = 0.0f;
    for (int k = 11; k <= 20; ++k) {
        EXPECT_NEAR(s.r.frames.valence_population[k], 4.1f, 1e-6f);
        sum2 += s.r.frames.valence_population[k];
    }
    EXPECT_NEAR(sum2, 41.0f, 1e-4f);
    EXPECT_EQ(s.r.frames.valence_population[21], 4.25f);
    EXPECT_TRUE(s.listed(" Rescaling Sum-of-Pv to     41.000000 el.   ( Charge =   -1.000 el. )"));
    EXPECT_TRUE(
        s.listed("    11  C(11)      1.000     3.75000     4.00000    +0.35000     4.10000"));
    std::vector<int> two = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    EXPECT_EQ(s.rows(2), two);
}

TEST(RescaleValencePopulations, FragmentMembers) {
    struct Case {
        const char* frag;
        std::vector<int> members;
    } cases[] = {
        {"FRAG 1 5 -3\n", {5}},         // the range from 5 up to 3 is empty
        {"FRAG 1 -4\n", {1, 2, 3, 4}},  // from the fragment number on
        {"FRAG 1 5 -3\nFRAG 1 -4\n", {1, 2, 3, 4, 5}},
        {"FRAG 1 2 -4 -6 8\n", {2, 3, 4, 8}},  // a range after a range has no start
        {"FRAG 1 0 -3 7\n", {7}},              // nor one after a zero
        {"FRAG 1 9 -30 40\n", {9, 10}},        // atoms beyond the structure select nothing
        {"frag 1 3\nFRAG 2 6 -7\n", {3}},
        {"FRAG 1\n", {}},
        // spans given out of order, overlapping, touching and repeated: each atom once, in order
        {"FRAG 1 7 -9\nFRAG 1 2 -8\nFRAG 1 10 4\nFRAG 1 9 -9 3\n", {2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"FRAG 1 6 4\nFRAG 1 5\nFRAG 1 3\n", {3, 4, 5, 6}},
    };
    for (const auto& c : cases) {
        std::string inp = std::string("NFRAG 1\nCHFRAG 0\n") + c.frag;
        Rescale s(carbons(10, 4.0f), inp.c_str());
        ASSERT_EQ(s.run(), "") << c.frag;
        EXPECT_EQ(s.rows(1), c.members) << c.frag;
    }
}

TEST(RescaleValencePopulations, AFragmentWithoutAtoms) {
    Rescale s(carbons(4, 4.5f), "NFRAG 3\nFRAG 1 1 -2\nFRAG 2 3 -4\nCHFRAG 0 0 0\n");
    ASSERT_EQ(s.run(), "");
    auto l = s.listing();
    auto it = std::find(l.begin(), l.end(), " ***** Rescaling Pv's in fragment =   3 *****");
    ASSERT_NE(it, l.end());
    std::vector<std::string> got(it, l.end());
    // no free-atom electrons: the percentage is shown as 0
    std::vector<std::string> want = {
        " ***** Rescaling Pv's in fragment =   3 *****",
        "",
        " Sum-of-Pv[free]     =     0.000000 el.",
        " Sum-of-Pv[databank] =     0.000000 el.",
        " Difference          =     0.000000 el. (   0.00 % )",
        "",
        " Rescaling Sum-of-Pv to      0.000000 el.   ( Charge =   +0.000 el. )",
        "",
        "    NO  ATOM       Occup.    Pv(DB)      Pv(free)    +Corr       Pv(new)",
        "",
        "",
        "                    SUM      0.00000     0.00000     0.00000     0.00000",
    };
    EXPECT_EQ(got, want);
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(s.r.frames.valence_population[k], 4.0f);
}

TEST(RescaleValencePopulations, FragmentLinesThatSelectNothingOrAll) {
    // " nfrag 2" does not start in column 1: no NFRAG, so all atoms form fragment 1
    Rescale a(carbons(4, 4.5f), " nfrag 2\nFRAG 1 1 -2\nFRAG 2 3 -4\nCHFRAG 0 0\n");
    ASSERT_EQ(a.run(), "");
    EXPECT_TRUE(a.listed(" Using ALL atoms for fragment 1 !"));
    EXPECT_EQ(a.rows(1), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_TRUE(a.rows(2).empty());

    // a negative NFRAG: no fragment, nothing written after the method line
    Rescale b(carbons(4, 4.5f), "NFRAG -1\nFRAG 1 1 -4\n", "1\n");
    ASSERT_EQ(b.run(), "");
    EXPECT_EQ(b.listing(),
              (std::vector<std::string>{"", " Using difference method for rescaling..."}));
    EXPECT_EQ(b.out.str(), "");
    EXPECT_EQ(b.r.frames.valence_population[1], 4.5f);

    // without any FRAG line NFRAG does not count
    Rescale c(carbons(2, 4.5f), "NFRAG 3\nCHFRAG 0\n");
    ASSERT_EQ(c.run(), "");
    EXPECT_TRUE(c.listed(" Using ALL atoms for fragment 1 !"));
    EXPECT_TRUE(c.rows(2).empty());
}

TEST(RescaleValencePopulations, EndsOfTheRun) {
    const std::string errline = " ERROR *** rescalePv *** Error reading fragments from kova.inp";
    struct Case {
        const char* inp;
        const char* answers;
        const char* result;  // "stop" or the start of the fault text
    } cases[] = {
        {"NFRAG 1\nFRAG 1 1 -25 ! peptide\nCHFRAG 0\n", "", "stop"},
        {"NFRAG 1\nFRAG 1 1 -2\nFRAG 2 3 x\nCHFRAG 0\n", "", "stop"},  // whichever fragment
        {"NFRAG 1\nFRAG 1 1.5\nCHFRAG 0\n", "", "stop"},
        {"NFRAG two\nFRAG 1 1\n", "", "kova.inp, record 1: expected the number of fragments"},
        {"NFRAG\nFRAG 1 1\n", "", "kova.inp, record 1: expected the number of fragments"},
        {"FRAG 1 1\nNFRAG 1\nCHFRAG 0 -\n", "", "kova.inp, record 3: expected the net charges"},
        {"NFRAG 1\nFRAG 1 1\n", "", "standard input: end of input at the prompt"},
        {"NFRAG 1\nFRAG 1 1\n", "one\n", "standard input: expected a number for the net charge"},
    };
    for (const auto& c : cases) {
        Rescale s(carbons(3, 4.0f), c.inp, c.answers);
        std::string res = s.run();
        EXPECT_EQ(res.rfind(c.result, 0), 0u) << c.inp << "\n" << res;
        if (res == "stop") {
            EXPECT_NE(s.out.str().find(errline), std::string::npos) << c.inp;
        }
    }
}

TEST(RescaleValencePopulations, EveryMethodReachesTheTarget) {
    struct Case {
        PvScaling method;
        std::vector<float> spv;
        char sign;
    } cases[] = {
        {PvScaling::difference, {0.02f, 0.04f, 0.06f, 0.08f}, '+'},
        {PvScaling::fraction, {0.02f, 0.04f, 0.06f, 0.08f}, '*'},
        {PvScaling::sigma, {0.02f, 0.04f, 0.06f, 0.08f}, 's'},
        {PvScaling::sigma, {0.0f, 0.0f, 0.0f, 0.0f}, 's'},  // no weights: shared equally
    };
    for (const auto& c : cases) {
        std::vector<Atom> atoms = {{"C(1)", 6, 1.0f, 4.1f, c.spv[0]},
                                   {"N(2)", 7, 1.0f, 5.3f, c.spv[1]},
                                   {"O(3)", 8, 0.5f, 3.2f, c.spv[2]},
                                   {"H(4)", 1, 1.0f, 0.8f, c.spv[3]}};
        // F = 4 + 5 + 3 + 1 = 13; the charge +0.5 gives T = 12.5
        Rescale s(atoms, "CHFRAG 0.5\n", "", c.method);
        ASSERT_EQ(s.run(), "");
        float sum = 0.0f;
        for (int k = 1; k <= 4; ++k)
            sum += s.r.frames.valence_population[k];
        EXPECT_NEAR(sum, 12.5f, 2e-5f) << pv_scaling_name(c.method);
        EXPECT_TRUE(s.listed("    NO  ATOM       Occup.    Pv(DB)      Pv(free)    " +
                             std::string(1, c.sign) + "Corr       Pv(new)"));
        if (c.method == PvScaling::sigma && c.spv[0] > 0.0f) {
            // Corr = sigma * (T - S) / sum of sigma = 0.02 * (12.5 - 13.4) / 0.2 = -0.09
            EXPECT_NEAR(s.r.frames.valence_population[1], 4.1f - 0.09f, 1e-5f);
            EXPECT_TRUE(s.listed(" Sum of sigma(Pv)    =     0.200000"));
        }
        if (c.method == PvScaling::fraction) {
            EXPECT_NEAR(s.r.frames.valence_population[2], 5.3f * 12.5f / 13.4f, 1e-5f);
        }
    }
    // the fraction method cannot scale a zero sum: the populations stay
    Rescale z({{"H(1)", 1, 0.0f, 0.0f, 0.0f}}, "CHFRAG 0\n", "", PvScaling::fraction);
    ASSERT_EQ(z.run(), "");
    EXPECT_EQ(z.r.frames.valence_population[1], 0.0f);
    EXPECT_TRUE(
        z.listed("     1  H(1)       0.000     0.00000     0.00000    +1.00000     0.00000"));
}

// The correction of one fragment on its own, each case worked by hand with numbers that floats
// hold exactly.
TEST(CorrectFragment, EachMethodByHand) {
    struct Case {
        const char* what;
        std::vector<float> populations, sigmas;
        float target;
        PvScaling method;
        std::vector<float> corrections, after;
    } cases[] = {
        // S = 10: T - S = 1 is shared by the two atoms
        {"difference", {4.0f, 6.0f}, {0.25f, 0.75f}, 11.0f, PvScaling::difference, {0.5f, 0.5f},
         {4.5f, 6.5f}},
        // S = 9, T = 6: each atom gives one electron
        {"difference down", {1.0f, 3.0f, 5.0f}, {0.0f, 0.0f, 0.0f}, 6.0f, PvScaling::difference,
         {-1.0f, -1.0f, -1.0f}, {0.0f, 2.0f, 4.0f}},
        // one factor T / S = 4 / 8 for every atom
        {"fraction", {2.0f, 6.0f}, {0.25f, 0.75f}, 4.0f, PvScaling::fraction, {0.5f, 0.5f},
         {1.0f, 3.0f}},
        // a zero sum cannot be scaled: the factor is 1
        {"fraction of nothing", {0.0f, 0.0f}, {0.1f, 0.2f}, 3.0f, PvScaling::fraction,
         {1.0f, 1.0f}, {0.0f, 0.0f}},
        // T - S = 2 in proportion to sigma: 0.25 and 0.75 of the sum of sigma 1
        {"sigma", {4.0f, 6.0f}, {0.25f, 0.75f}, 12.0f, PvScaling::sigma, {0.5f, 1.5f},
         {4.5f, 7.5f}},
        // without weights the sigma method shares T - S = 2 equally
        {"sigma without weights", {4.0f, 6.0f}, {0.0f, 0.0f}, 12.0f, PvScaling::sigma,
         {1.0f, 1.0f}, {5.0f, 7.0f}},
        {"no atoms", {}, {}, 5.0f, PvScaling::difference, {}, {}},
    };
    for (const auto& c : cases) {
        FragmentPopulations fragment;
        fragment.populations = c.populations;
        fragment.sigmas = c.sigmas;
        fragment.free_atom.assign(c.populations.size(), 1.0f);  // the target stands for them
        const std::vector<PopulationCorrection> got =
            correct_fragment(fragment, c.target, c.method);
        ASSERT_EQ(got.size(), c.corrections.size()) << c.what;
        for (std::size_t k = 0; k < got.size(); ++k) {
            EXPECT_EQ(got[k].correction, c.corrections[k]) << c.what << ", atom " << k;
            EXPECT_EQ(got[k].population, c.after[k]) << c.what << ", atom " << k;
        }
    }
}

}  // namespace
}  // namespace kova
