// The instruction file: each keyword sets its record, and the options are listed.
#include "input/instructions.hpp"

#include <cstdlib>

#include <gtest/gtest.h>

#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/errors.hpp"
#include "support.hpp"

namespace kova {
namespace {

struct Inp : test::Workspace, test::Ending {
    explicit Inp(const std::string& text) : Workspace({.listing = true}) {
        dir.write("kova.inp", text);
        run_to_end([&] { read_instructions(r.io, Files::listing, r.options, r.elements); });
        r.io.close_all();
    }
    std::vector<std::string> listing() { return file("kova.out"); }
    bool listed(const std::string& line) {
        for (const auto& l : listing())
            if (l == line) return true;
        return false;
    }
};

TEST(Instructions, ErrorsThroughFatalError) {
    struct Case {
        const char* inp;
        const char* msg;
    } cases[] = {
        {"! only comments\n\n   \n",
         " ERROR *** ReadInp *** Unknown input file format: kova.inp has no FORMAT line; give "
         "FORMAT *shelx, *xd, *aim2tab or *platon (the star selects)"},
        {"FORMAT xd\n",
         " ERROR *** ReadInp *** Unknown input file format: kova.inp, record 1: \"FORMAT xd\" "
         "selects none; give FORMAT *shelx, *xd, *aim2tab or *platon (the star selects)"},
        {"FORMAT *shelx\nVERBOSE 2.5\n",
         " ERROR *** ReadInp *** Error while reading file kova.inp"},
        {"FORMAT *shelx\nTOLS bond 0.2 ring E5 0.1\n",
         " ERROR *** ReadInp *** Error while reading file kova.inp"},
        {"FORMAT *shelx\nRADII C 0.8 N\n",
         " ERROR *** ReadInp *** Error while reading file kova.inp"},
        {"FORMAT *shelx\nNCELLS 1.5\n", " ERROR *** ReadInp *** Error while reading file kova.inp"},
        {"FORMAT *shelx\nINPUT\n",
         " ERROR *** ReadChar *** Unexpected STOP in ReadChar...: kova.inp, record 2: the INPUT "
         "line names no structure file"},
    };
    for (const auto& c : cases) {
        Inp t(c.inp);
        EXPECT_TRUE(t.stopped) << c.inp;
        auto l = t.listing();
        ASSERT_GE(l.size(), 3u) << c.inp;
        EXPECT_EQ(l[l.size() - 2], c.msg) << c.inp;
        EXPECT_EQ(l.back(), "");
    }
    // the options header comes before the format error
    Inp t("! only comments\n");
    auto l = t.listing();
    ASSERT_GE(l.size(), 5u);
    EXPECT_EQ(l[1], " " + std::string(71, '-'));
    EXPECT_EQ(l[3], " KOVA options : ");
}

TEST(Instructions, TooFewNumbersIsARunTimeError) {
    Inp t("FORMAT *shelx\nVERBOSE\n");
    EXPECT_FALSE(t.stopped);
    EXPECT_NE(t.fault.find("kova.inp, record 2"), std::string::npos) << t.fault;
}

TEST(Instructions, FormatAndInput) {
    {
        Inp t("FORMAT *xd *shelx\nINPUT a.res *rename 1 *toxd\n");
        EXPECT_EQ(t.r.options.input_format, InputFormat::shelx);
        EXPECT_TRUE(t.r.options.rename_atoms);
        EXPECT_EQ(t.r.options.rename_mode, RenameMode::per_type);
        EXPECT_TRUE(t.r.options.to_xd);
        EXPECT_EQ(trim(t.r.options.structure_file), "a.res");
        // " inum = " and the count in 12 columns, on the terminal
        EXPECT_NE(t.out.str().find("  inum =            1\n"), std::string::npos);
    }
    {
        Inp t("FORMAT *shelx\nINPUT a.res *toxd b c\n");
        EXPECT_FALSE(t.r.options.to_xd);  // TOXD is not among the last two text words
    }
    {
        Inp t("FORMAT *aim2tab\nFORMAT *shelx\nINPUT Mixed.Case\n");
        EXPECT_EQ(t.r.options.input_format, InputFormat::shelx);
        EXPECT_FALSE(t.r.options.crystal_input);
        EXPECT_EQ(trim(t.r.options.structure_file), "Mixed.Case");
    }
    {
        Inp t("FORMAT *xd\nINPUT xd.mas xd.inp\n");
        EXPECT_EQ(trim(t.r.options.xd_master_file), "xd.mas");
        EXPECT_EQ(trim(t.r.options.structure_file), "xd.inp");
        EXPECT_TRUE(t.listed(" Input file format = XD    file(s) = xd.mas xd.inp"));
    }
    {
        Inp t("INPUT xd.mas xd.inp\nFORMAT *xd\n");
        EXPECT_EQ(trim(t.r.options.xd_master_file), "");
        EXPECT_EQ(trim(t.r.options.structure_file), "xd.mas");
    }
    {
        Inp t("FORMAT *shelx\nINPUT a.res *rename 7\n");
        EXPECT_EQ(t.r.options.rename_mode, RenameMode::per_type);
        EXPECT_TRUE(t.listed(" Change SHELX atom names ( irs=1 : counting atoms types ) "));
    }
    {
        Inp t("FORMAT *shelx\nINPUT a.res *rename\n");
        EXPECT_EQ(t.r.options.rename_mode, RenameMode::all_atoms);
        EXPECT_TRUE(t.listed(" Change SHELX atom names ( irs=0 : straightforward counting ) "));
    }
}

TEST(Instructions, NumbersSwitchesAndListing) {
    Inp t("2 VERBOSE 3\nFORMAT *shelx\nINPUT s.res\nTOLS bond 0.4 ring 0.15 group 0.05\n"
          "NCELLS -3\nDISORD *extendH db\nCHEMCON *hydrogen\nRINGS 3 8 *special\n"
          "SCALE *sigma *frac\nExtend_H\nSIMPLE\nRADII Cl 1.0 Cs 2.0\n");
    const test::RunRecords& r = t.r;
    EXPECT_EQ(r.options.verbosity, 2);  // the number before the keyword is read first
    EXPECT_FLOAT_EQ(r.options.tolerances.bond, 0.4f);
    EXPECT_EQ(r.options.ncells, 3);
    EXPECT_TRUE(r.options.disorder_extend_h);
    EXPECT_FALSE(r.options.disorder_databank);
    EXPECT_TRUE(r.options.chem_constraints_h);
    EXPECT_FALSE(r.options.chem_constraints_other);
    EXPECT_TRUE(r.options.search_rings);
    EXPECT_EQ(r.options.rings.min_size, 3);
    EXPECT_EQ(r.options.rings.max_size, 8);
    EXPECT_TRUE(r.options.rings.special);
    EXPECT_EQ(r.options.pv_scaling, PvScaling::fraction);
    EXPECT_TRUE(r.options.extend_h);
    EXPECT_TRUE(r.options.simple);
    EXPECT_EQ(r.elements.covalent_radius[17], 1.0f);
    EXPECT_EQ(r.elements.covalent_radius[55], 2.44f);
    const std::string want[] = {
        " Changing covalent radius of Cl to    1.000 Angstroms",
        " Verbosity level =  2",
        " Input file format = SHELX    file(s) = s.res",
        " Search for complete fragments within  -3 ...  +3 unit cells",
        " Threshold / Tolerance parameters : ",
        "   bond criterion (tol1) : d(i-j) < covR(i) + covR(j) +  0.400 Angstroms",
        "   ring  planarity criterion (tol2) : sigpln <   0.150 Angstroms",
        "   group planarity criterion (tol3) : sigpln <   0.050 Angstroms",
        " Treatment of disorder :",
        "   apply Extend_H option",
        "   do NOT apply DB",
        " Instructions for KEY table generation:",
        "   XYZUIJ=.F. all=.F. ordered=.F.",
        "     MULT=.F. all=.F. ordered=.F. kappas=.F.",
        " Use simple model for determination of chemical equivalency",
        " Use chemical/kappa constraints for H-atoms",
        " Do NOT use chemical/kappa constraints for non-H atoms",
        " Find rings with   3 -   8 atoms",
        " Treatment of atoms that belong to 1 planar ring :",
        "   always m-symmetry : X - towards center, Y - neighbor in the ring",
        " Extend H-atoms to standard/neutron distances and create files : ",
        "   'reset.bond' with RESET BOND instructions",
        "   'const.bond' with CONSTRAINTS instructions",
        "",
        " " + std::string(71, '-'),
        "",
        " Atomic covalent radii (Angstroms) : ",
        "",
        "   H  0.40   He 0.93   Li 1.23   Be 0.90   B  0.82   C  0.77   N  0.75",
    };
    auto l = t.listing();
    auto it = l.begin();
    for (const std::string& w : want) {
        it = std::find(it, l.end(), w);
        ASSERT_NE(it, l.end()) << "missing in order: [" << w << "]";
    }
    // 54 radii, seven a line: the last line holds Z 50-54; Cl (row Z 15-21) shows its new radius
    EXPECT_NE(std::find(l.begin(), l.end(),
                        "   Sn 1.41   Sb 1.40   Te 1.36   I  1.33   Xe 1.31"),
              l.end());
    EXPECT_NE(std::find(l.begin(), l.end(),
                        "   P  1.06   S  1.02   Cl 1.00   Ar 0.98   K  2.03   Ca 1.74   Sc 1.44"),
              l.end());
}

TEST(Instructions, KeygenChemconScaleAndNcells) {
    struct Case {
        const char* inp;
        const char* line;
    } cases[] = {
        {"KEYGEN *XYZUIJ *all *ordered\n", "   XYZUIJ=.T. all=.F. ordered=.T."},
        {"KEYGEN XYZUIJ *all\n", "   XYZUIJ=.F. all=.F. ordered=.F."},
        {"KEYGEN *XYZUIJ *all ordered *MULT all *ordered *kappas\n",
         "     MULT=.T. all=.F. ordered=.T. kappas=.T."},
        {"CHEMCON\n", " Do NOT use chemical/kappa constraints for H-atoms"},
        {"NCELLS -1\n", " Do not search for complete fragments"},
        {"\n", " Do not search for complete fragments"},
        {"RINGS 3 6\n", "   as other atoms (only mark with iring=1)"},
        // -n in I3 and n with its sign in SP,I3: 0 is "  0" and " +0"; 100 needs four
        // columns on both sides ("-100", "+100"), so both fields fill with "*"
        {"NCELLS 0\n", " Search for complete fragments within   0 ...  +0 unit cells"},
        {"NCELLS -99\n", " Search for complete fragments within -99 ... +99 unit cells"},
        {"NCELLS 100\n", " Search for complete fragments within *** ... *** unit cells"},
    };
    for (const auto& c : cases) {
        Inp t(std::string("FORMAT *shelx\nINPUT a.res\n") + c.inp);
        EXPECT_TRUE(t.listed(c.line)) << c.inp;
    }
    Inp f("FORMAT *shelx\nINPUT a.res\nSCALE *fract\n");
    EXPECT_EQ(f.r.options.pv_scaling, PvScaling::difference);
}

TEST(Instructions, ToxdSwitchesTheRestOff) {
    Inp t("FORMAT *shelx\nINPUT a.res *toxd\nExtend_H\nRINGS 3 8\nDATABANK x.db\n"
          "KEYGEN XYZUIJ *all\n");
    EXPECT_FALSE(t.r.options.extend_h);
    EXPECT_FALSE(t.r.options.databank);
    EXPECT_FALSE(t.r.options.search_rings);
    EXPECT_TRUE(t.r.options.keys.xyz_all);  // stays as read: no normalisation after TOXD
    auto l = t.listing();
    ASSERT_GE(l.size(), 4u);
    EXPECT_EQ(l[l.size() - 3],
              " ALL OTHER OPTIONS WILL BE IGNORED !!!!!!");  // then the rule: "" and dashes
    EXPECT_EQ(l.back(), " " + std::string(71, '-'));
    EXPECT_FALSE(t.listed(" Threshold / Tolerance parameters : "));
}

TEST(Instructions, DatabankNameFromLineOrEnvironment) {
    {
        Inp t("FORMAT *shelx\nINPUT a.res\nDatabank_file My/Bank.db\n");
        EXPECT_TRUE(t.r.options.databank);
        EXPECT_EQ(trim(t.r.options.databank_file), "My/Bank.db");
        EXPECT_TRUE(t.listed("   My/Bank.db"));
        EXPECT_TRUE(t.listed(" Scale total population using difference method"));
    }
    ::setenv("KOVA_DB", "/env/bank.db", 1);
    Inp t("FORMAT *shelx\nINPUT a.res\nDATABANK\nDISORD extendH *db\n");
    ::unsetenv("KOVA_DB");
    EXPECT_EQ(trim(t.r.options.databank_file), "/env/bank.db");
    EXPECT_TRUE(t.listed("   WARNING!!! Applying DB to disordered H-atoms"));
    EXPECT_TRUE(t.listed("              w/o extending distances is CRAZY !!!"));
}

// A line whose keyword is no instruction gets one line, in the listing and on the terminal,
// naming the record where the line starts and the word as written; the run reads on. Lines
// that another stage reads, or that the keyword rule selects, get none.
TEST(Instructions, LinesOfNoInstructionAreReported) {
    struct Case {
        const char* line;  // record 3 on, after FORMAT and INPUT
        const char* word;  // the word reported, "" for none
    } cases[] = {
        {"NCELL 1\n", "NCELL"},
        {"*Verbsoe 2\n", "*Verbsoe"},
        {"VERBOSITY 2\n", "VERBOSITY"},  // cut to VERBOSIT: no keyword; shown whole
        {"  ! note\n", "!"},              // "!" only in column 1 makes a comment
        {"12 15\n", "12"},                // numbers only: the first word
        {"NCELL \\\n1\n", "NCELL"},      // a continued line: its first record
        {"ncells 1\n", ""},
        {"DATABANKS x.db\n", ""},  // the first 8 characters are DATABANK
        {"2 VERBOSE 3\n", ""},
        {"NFRAG 2\n", ""},
        {"FRAG 1 1 -3\n", ""},
        {"chfrag 0 1\n", ""},
        {"FRAGMENT 1 1 2\n", ""},  // read as a FRAG line by the rescaling
        {"! comment\n\n\t\n", ""},
        {"TOLS\t0.3 0.1 0.1\n", ""},
    };
    for (const auto& c : cases) {
        Inp t(std::string("FORMAT *shelx\nINPUT a.res\n") + c.line);
        EXPECT_FALSE(t.stopped) << c.line;
        const std::string want = std::string(" kova.inp, record 3: \"") + c.word +
                                 "\" is no instruction; the line is ignored";
        int reported = 0;
        for (const auto& l : t.listing()) reported += l.find("no instruction") != l.npos;
        EXPECT_EQ(reported, *c.word ? 1 : 0) << c.line;
        if (*c.word) {
            EXPECT_TRUE(t.listed(want)) << c.line;
            EXPECT_NE(t.out.str().find(want + "\n"), std::string::npos) << c.line;
        } else {
            EXPECT_EQ(t.out.str().find("no instruction"), std::string::npos) << c.line;
        }
    }
    // a fragment line the rescaling would not find, as its keyword is not in column 1
    for (const char* line : {"  FRAG 1 2\n", "2 NFRAG 2\n"}) {
        Inp t(std::string("FORMAT *shelx\nINPUT a.res\n") + line);
        const std::string word = std::string(line).find("NFRAG") != std::string::npos ? "NFRAG"
                                                                                      : "FRAG";
        EXPECT_TRUE(t.listed(" kova.inp, record 3: \"" + word +
                             "\" is read only from column 1; the line is ignored"))
            << line;
    }
    // the line of TOLS after a TAB is read as TOLS 0.3 0.1 0.1
    Inp t("FORMAT *shelx\nINPUT a.res\nTOLS\t0.3 0.1 0.1\n");
    EXPECT_FLOAT_EQ(t.r.options.tolerances.bond, 0.3f);
}

// Names are held as written, whatever their length: nothing cut, no blanks added.
TEST(Instructions, NamesKeptWhole) {
    const std::string a(100, 'a'), b(100, 'b');
    {
        Inp t("FORMAT *shelx\nINPUT " + a + "\nDATABANK " + b + "\n");
        EXPECT_EQ(t.r.options.structure_file, a);
        EXPECT_EQ(t.r.options.databank_file, b);
        EXPECT_TRUE(t.listed(" Input file format = SHELX    file(s) = " + a));
        EXPECT_TRUE(t.listed("   " + b));
    }
    {
        Inp t("FORMAT *xd\nINPUT " + a + " " + b + "\n");
        EXPECT_EQ(t.r.options.xd_master_file, a);
        EXPECT_EQ(t.r.options.structure_file, b);
        EXPECT_TRUE(t.listed(" Input file format = XD    file(s) = " + a + " " + b));
    }
    // KOVA_DB as set, less trailing blanks, which are no part of a name
    ::setenv("KOVA_DB", (a + "  ").c_str(), 1);
    Inp t("FORMAT *shelx\nINPUT s.res\nDATABANK\n");
    ::unsetenv("KOVA_DB");
    EXPECT_EQ(t.r.options.databank_file, a);
}

// The stop for a missing INPUT name names the record and the name, and for XD (or no format
// yet) how the two names are given; a continued line is read for its names in its last record.
TEST(Instructions, MissingInputNames) {
    const std::string xd =
        "; XD input needs two names on the INPUT line, the master file and the parameter file, "
        "with FORMAT *xd before INPUT";
    struct Case {
        const char* inp;
        std::string tail;  // after the stop's own text
    } cases[] = {
        {"FORMAT *aim2tab\nINPUT\n",
         ": kova.inp, record 2: the INPUT line names no structure file"},
        {"INPUT\n", ": kova.inp, record 1: the INPUT line names no structure file" + xd},
        {"FORMAT *xd\nINPUT\n",
         ": kova.inp, record 2: the INPUT line names no XD master file (first name)" + xd},
        {"FORMAT *xd\n! c\nINPUT x.mas\n",
         ": kova.inp, record 3: the INPUT line names no XD parameter file (second name)" + xd},
        // a continued line: the names are words 2 and 3 of its last record, which has
        // one word here, two in the second case
        {"FORMAT *xd\nINPUT x.mas \\\nx.inp\n",
         ": kova.inp, record 3: the INPUT line is continued, and its last record, \"x.inp\", has "
         "no word 2 for the XD master file (first name): the names are read from the line's last "
         "record only, from its second word on" + xd},
        {"FORMAT *xd\nINPUT \\\n\n  INPUT x.mas\n",
         ": kova.inp, record 4: the INPUT line is continued, and its last record, \"INPUT "
         "x.mas\", has no word 3 for the XD parameter file (second name): the names are read from "
         "the line's last record only, from its second word on" + xd},
    };
    for (const auto& c : cases) {
        Inp t(c.inp);
        EXPECT_TRUE(t.stopped) << c.inp;
        auto l = t.listing();
        ASSERT_GE(l.size(), 2u) << c.inp;
        EXPECT_EQ(l[l.size() - 2],
                  " ERROR *** ReadChar *** Unexpected STOP in ReadChar..." + c.tail)
            << c.inp;
    }
}

// The fragment lines of the rescaling are taken with the other lines, by their own rules:
// keyword in column 1 in any case, TAB as a blank, FRAG's columns 1-4 blanked and every word
// left an integer, CHFRAG's text words passed over. A value that does not read stops nothing
// here; it is kept for the rescaling, with the last record of its line.
TEST(Instructions, FragmentLinesIntoTheOptions) {
    using Lines = std::vector<std::vector<int>>;
    struct Case {
        const char* lines;  // from record 3 on, after FORMAT and INPUT
        int count;
        Lines atoms;
        std::vector<float> charge;  // slot 0 unused
        bool any_atom_line, any_charge_line, unreadable_atom_line;
        int unreadable_record;  // 0 for none
        const char* expected;
    } cases[] = {
        {"NFRAG 2\nFRAG 1 1 -10\nFRAG 2 11 -20\nCHFRAG 0 -1\n", 2, {{1, 1, -10}, {2, 11, -20}},
         {0.0f, 0.0f, -1.0f}, true, true, false, 0, ""},
        {"nfrag\t3\nfrag\t1\t5\n", 3, {{1, 5}}, {0.0f}, true, false, false, 0, ""},
        // not in column 1: no fragment line
        {" NFRAG 2\n  FRAG 1 2\n\tCHFRAG 1\n", 0, {}, {0.0f}, false, false, false, 0, ""},
        // one logical line over two records: FRAG 1 3 -6; the backslash stays in the line,
        // a word of its own that is no integer (CHFRAG passes it over as a text word)
        {"FRAG 1 3 \\\n-6\n", 0, {}, {0.0f}, true, false, true, 0, ""},
        // a continued line that the file ends before its continuation is no line at all
        {"FRAG 1 3 -6 \\\n\n! c\n \n", 0, {}, {0.0f}, false, false, false, 0, ""},
        {"NFRAG \\\n2\nFRAG 1 3\\\n-6\n", 0, {}, {0.0f}, true, false, true, 4,
         "expected the number of fragments after NFRAG, found \"NFRAG \\ 2\""},
        // a FRAG line without numbers counts as one, but names no atom
        {"FRAG 1\nFRAG\n", 0, {{1}}, {0.0f}, true, false, false, 0, ""},
        // text words are no charges; a later line with fewer values keeps the ones after them
        {"CHFRAG charge 2.5 of all\nCHFRAG 1 2\nCHFRAG -3\n", 0, {}, {0.0f, -3.0f, 2.0f}, false,
         true, false, 0, ""},
        // "FRAGMENT" is a FRAG line whose first word left, "MENT", is no integer
        {"FRAGMENT 1 2\n", 0, {}, {0.0f}, true, false, true, 0, ""},
        {"NFRAG 1\nFRAG 1 1 -25 ! peptide\n", 1, {}, {0.0f}, true, false, true, 0, ""},
        // the first NFRAG or CHFRAG line that does not read is kept, upper-cased as read
        // (the charges: room for the two the CHFRAG line names)
        {"NFRAG two\nCHFRAG 0 -\nFRAG 1 x\n", 0, {}, {0.0f, 0.0f, 0.0f}, true, true, true, 3,
         "expected the number of fragments after NFRAG, found \"NFRAG TWO\""},
        {"NFRAG 1\nCHFRAG 1 \\\n -\nNFRAG\n", 1, {}, {0.0f, 1.0f, 0.0f}, false, true, false, 5,
         "expected the net charges of the fragments on the CHFRAG line, found \"CHFRAG 1 \\  -\""},
    };
    for (const auto& c : cases) {
        Inp t(std::string("FORMAT *shelx\nINPUT a.res\n") + c.lines);
        ASSERT_TRUE(t.text().empty()) << c.lines << t.text();
        // the reading went on to the end: the options block is whole
        EXPECT_TRUE(t.listed(" Atomic covalent radii (Angstroms) : ")) << c.lines;
        const FragmentLines& f = t.r.options.fragments;
        EXPECT_EQ(f.count, c.count) << c.lines;
        EXPECT_EQ(f.atom_lines, c.atoms) << c.lines;
        EXPECT_EQ(f.charge, c.charge) << c.lines;
        EXPECT_EQ(f.any_atom_line, c.any_atom_line) << c.lines;
        EXPECT_EQ(f.any_charge_line, c.any_charge_line) << c.lines;
        EXPECT_EQ(f.unreadable_atom_line, c.unreadable_atom_line) << c.lines;
        ASSERT_EQ(f.unreadable.has_value(), c.unreadable_record != 0) << c.lines;
        if (f.unreadable) {
            EXPECT_EQ(f.unreadable->record, c.unreadable_record) << c.lines;
            EXPECT_EQ(f.unreadable->expected, c.expected) << c.lines;
        }
    }
}

}  // namespace
}  // namespace kova
