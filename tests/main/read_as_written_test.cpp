// Whole runs on kova.inp lines and answers that are not read as they are written: a choice
// line read by place, a starred word that is no choice, a missing CHEMCON word, a charge
// answer that holds more than its number. Each gets one line and the run goes on as before.
// And the stops and errors on the input side that say why: a file that does not open, a file
// name cut at a blank, a continued line that lacks its names or its continuation.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support.hpp"

namespace kova {
namespace {

using test::count_containing;
using test::holds_in_order;

std::string data(const std::string& rel) { return test::data_file(rel); }

const std::string kShelxInp = "FORMAT *shelx\nINPUT s.res\n";
const std::string kChoose = "; give FORMAT *shelx, *xd, *aim2tab or *platon (the star selects)";
const std::string kPrompt = " Enter the name of databank file : ";
const std::string kRead = " kova.inp, record ";  // how the lines on kova.inp begin
const std::string kByPlace = " reads its choices by place, not by name: ";
const std::string kByName = " selects only the choices it names: ";
const std::string kAnswerRule =
    ", its first value; a blank, a comma or a \"/\" ends a value, and the rest of the answer is "
    "not read";

using Files = std::map<std::string, std::string>;

struct Case {
    const char* what;
    std::string inp;  // kova.inp
    Files files;      // the other files
    int status = 0;
    // Lines of the terminal and of the listing, each in this order. With an answer the
    // terminal lines are pieces of its text, since a prompt runs on into the next line.
    std::vector<std::string> terminal = {}, listing = {};
    std::string answer = "";  // standard input
};


int count_beginning(const std::string& text, const std::string& start) {
    int n = 0;
    for (const std::string& l : test::lines_of(text)) n += l.rfind(start, 0) == 0;
    return n;
}

std::vector<Case> cases() {
    const Files shelx = {{"s.res", test::two_atom_shelx}};
    Files with_bank = shelx;
    with_bank["bank.db"] = data("databank/kova_test.db");
    std::vector<Case> v;

    // --- positional lines: the word in each place is read as that place's choice. The
    // options block shows that the position rule still decides.
    {
        // KEYGEN places: XYZUIJ all ordered MULT all ordered kappas; "*all" stands in its
        // place; all and ordered both on keep ordered
        const std::string l = kRead + "3: KEYGEN" + kByPlace +
                              "\"*MULT\" is read as XYZUIJ, \"*kappas\" is read as XYZUIJ "
                              "ordered; on: XYZUIJ, XYZUIJ all, XYZUIJ ordered";
        v.push_back({"KEYGEN by name", kShelxInp + "KEYGEN *MULT *all *kappas\n", shelx, 0,
                     {l}, {l, "   XYZUIJ=.T. all=.F. ordered=.T.",
                           "     MULT=.F. all=.F. ordered=.F. kappas=.F."}});
    }
    {
        const std::string l =
            kRead + "3: KEYGEN" + kByPlace + "\"*XYZUJI\" is read as XYZUIJ; on: XYZUIJ";
        v.push_back({"KEYGEN misspelt", kShelxInp + "KEYGEN *XYZUJI\n", shelx, 0, {l},
                     {l, "   XYZUIJ=.T. all=.F. ordered=.F."}});
    }
    {
        // the other of hydrogen and other is off: its word is missing
        const std::string l = kRead + "3: CHEMCON" + kByPlace +
                              "\"*other\" is read as hydrogen, other is missing, which switches "
                              "it off; on: hydrogen";
        v.push_back({"CHEMCON *other", kShelxInp + "CHEMCON *other\n", shelx, 0, {l},
                     {l, " Use chemical/kappa constraints for H-atoms",
                      " Do NOT use chemical/kappa constraints for non-H atoms"}});
    }
    {
        const std::string l = kRead + "3: CHEMCON" + kByPlace +
                              "hydrogen and other are missing, which switches them off; on: none";
        v.push_back({"CHEMCON alone", kShelxInp + "CHEMCON\n", shelx, 0, {l},
                     {l, " Do NOT use chemical/kappa constraints for H-atoms",
                      " Do NOT use chemical/kappa constraints for non-H atoms"}});
    }
    {
        // words are compared as the splitter keeps them: "*Hydrogens" cut to 8 characters is
        // HYDROGEN; "*others" is no OTHER
        const std::string l =
            kRead + "3: CHEMCON" + kByPlace + "\"*others\" is read as other; on: hydrogen, other";
        v.push_back({"CHEMCON, a word cut to 8 characters",
                     kShelxInp + "CHEMCON *Hydrogens *others\n", shelx, 0, {l}, {l}});
    }
    {
        const std::string l =
            kRead + "3: DISORD" + kByPlace + "\"*db\" is read as extendH; on: extendH";
        v.push_back({"DISORD *db", kShelxInp + "DISORD *db\n", shelx, 0, {l},
                     {l, "   apply Extend_H option", "   do NOT apply DB"}});
    }
    {
        // after the two numbers, the one place of special; "on" counts an earlier DISORD
        const std::string rings =
            kRead + "4: RINGS" + kByPlace + "\"*specail\" is read as special; on: special";
        const std::string disord = kRead + "5: DISORD" + kByPlace +
                                   "\"*x\" stands past the last choice and is ignored; on: "
                                   "extendH, db";
        v.push_back({"RINGS misspelt, DISORD with a word too many",
                     kShelxInp + "DISORD *extendH\nRINGS 3 8 *specail\nDISORD extendH *db *x\n",
                     shelx, 0, {rings, disord},
                     {rings, disord, " Find rings with   3 -   8 atoms",
                      "   always m-symmetry : X - towards center, Y - neighbor in the ring"}});
    }

    // --- named choices: a starred word that is none of them selects nothing
    {
        const std::string l = kRead + "1: FORMAT" + kByName +
                              "\"*shelxl\" is none of shelx, xd, aim2tab, platon and selects "
                              "nothing; on: shelx";
        v.push_back({"FORMAT with a starred word that is no format",
                     "FORMAT *shelx *shelxl\nINPUT s.res\n", shelx, 0, {l},
                     {l, " Input file format = SHELX    file(s) = s.res"}});
    }
    {
        // FRACT is no choice: the method stays difference
        const std::string l = kRead + "4: SCALE" + kByName +
                              "\"*fract\" is none of sigma, diff, frac and selects nothing; on: "
                              "diff";
        v.push_back({"SCALE *fract", kShelxInp + "DATABANK bank.db\nSCALE *fract\nCHFRAG 0\n",
                     with_bank, 0, {l},
                     {l, " Scale total population using difference method",
                      " Using difference method for rescaling..."}});
    }
    {
        // RENAME and TOXD count among the last two text words only (here "B" and "C")
        const std::string early = kRead + "2: INPUT reads rename and toxd only as its last two "
                                          "words: \"*toxd\" is not among them and is ignored; "
                                          "on: none";
        v.push_back({"INPUT with TOXD too early", "FORMAT *shelx\nINPUT s.res *toxd b c\n", shelx,
                     0, {early}, {early, " Input file format = SHELX    file(s) = s.res"}});
        const std::string misspelt = kRead + "2: INPUT reads rename and toxd only as its last "
                                             "two words: \"*renam\" is neither rename nor toxd "
                                             "and selects nothing; on: none";
        v.push_back({"INPUT with RENAME misspelt", "FORMAT *shelx\nINPUT s.res *renam 1\n", shelx,
                     0, {misspelt}, {misspelt}});
    }
    // Every word in its place, unstarred words included, and unstarred words that are no
    // choice: no line at all.
    v.push_back({"choice lines read as written",
                 "FORMAT *shelx xd aim2tab platon extra\nINPUT s.res rename 0 toxd\n"
                 "KEYGEN *xyzuij all *Ordered *MULT *all ordered *kappas\nDISORD *extendH db\n"
                 "CHEMCON hydrogen *other\nRINGS 3 8\nDATABANK bank.db\nSCALE *sigma diff fract\n"
                 "CHFRAG 0\n",
                 with_bank, 0, {}, {" Do NOT use chemical/kappa constraints for H-atoms",
                                    " Scale total population using sigmaPv method"}});

    // --- the charge prompt: the first value of the answer is the charge; an answer that holds
    // more is told. Two atoms C and O: free-atom sum 4 + 6 = 10, the target 10 - q.
    const std::string bank_inp = kShelxInp + "DATABANK bank.db\n";
    struct Answer {
        const char* what;
        const char* answer;
        const char* read;    // the charge the line names, "" when the answer is its number
        const char* target;  // F13.6
        const char* charge;  // SP,F8.3
    } answers[] = {
        {"a comma for a decimal point", "1,5", "+1.000", "     9.000000", "  +1.000"},
        {"a fraction", "2/3", "+2.000", "     8.000000", "  +2.000"},
        {"a unit after the number", "+1 e", "+1.000", "     9.000000", "  +1.000"},
        {"a number between blanks", " -1.5 ", "", "    11.500000", "  -1.500"},
        {"a blank answer", "", "", "    10.000000", "  +0.000"},
    };
    for (const Answer& a : answers) {
        std::vector<std::string> lines;
        if (*a.read)
            lines.push_back(std::string(" Fragment 1: the answer \"") + a.answer +
                            "\" is read as the net charge " + a.read + kAnswerRule);
        lines.push_back(std::string(" Rescaling Sum-of-Pv to ") + a.target +
                        " el.   ( Charge = " + a.charge + " el. )");
        v.push_back({a.what, bank_inp, with_bank, 0, lines, lines, std::string(a.answer) + "\n"});
    }

    // --- open errors with their reasons, and a name cut at a blank
    v.push_back({"a SHELX name cut at a blank", "FORMAT *shelx\nINPUT my s.res *rename 1\n", shelx,
                 1,
                 {" ERROR *** ReadShelx *** Error opening SHELX file... my: no such file; file "
                  "names hold no blank, so \"s.res\" on the INPUT line is no part of a name"}});
    v.push_back({"a missing name followed only by RENAME, TOXD and a number",
                 "FORMAT *shelx\nINPUT my *rename 1 toxd\n", shelx, 1,
                 {" ERROR *** ReadShelx *** Error opening SHELX file... my: no such file"}});
    v.push_back({"a PLATON name cut at a blank", "FORMAT *platon\nINPUT my p.pla\n",
                 {{"p.pla", data("platon/methanol_like.pla")}}, 1,
                 {" ERROR *** ReadPlaton *** Error opening PLATON file my: no such file; file "
                  "names hold no blank, so \"p.pla\" on the INPUT line is no part of a name"}});
    v.push_back({"an XD line with a word after its two names",
                 "FORMAT *xd\nINPUT x.mas x.inp extra\n", {{"x.inp", data("xd/p21c.inp")}}, 1,
                 {" ERROR *** ReadXD *** Error opening XD master filex.mas: no such file; file "
                  "names hold no blank, so \"extra\" on the INPUT line is no part of a name"}});
    // The DATABANK line's further word concerns its own name, not the answers; a directory
    // answered is told as one. Names stand in a field of 60 columns before the reason.
    v.push_back({"a DATABANK name cut at a blank, then a directory, then a good answer",
                 kShelxInp + "DATABANK my bank.db\nCHFRAG 0\n", with_bank, 0,
                 {"\n Error opening databank file my" + std::string(58, ' ') +
                      ": no such file; file names hold no blank, so \"bank.db\" on the DATABANK "
                      "line is no part of a name\n" + kPrompt,
                  "\n Error opening databank file adir" + std::string(56, ' ') +
                      ": is a directory, not a file\n" + kPrompt,
                  " ATOMS SEARCHED in DB"},
                 {}, "adir\nbank.db\n"});

    // --- a last line ending in "\": the logical line is dropped at the end of the file
    {
        const std::string l = kRead + "2: \"FORMAT *platon \\\" ends in \"\\\" and no record "
                                      "follows to continue it; the line is ignored";
        const std::string stop = " ERROR *** ReadInp *** Unknown input file format: kova.inp, "
                                 "record 2: \"FORMAT *platon \\\" ends in \"\\\" and no record "
                                 "follows to continue it, so the line is not read" + kChoose;
        v.push_back({"FORMAT as a last line ending in a backslash",
                     "INPUT p.pla\nFORMAT *platon \\\n",
                     {{"p.pla", data("platon/methanol_like.pla")}}, 1, {l, stop}, {l, stop}});
    }
    {
        // records 3 and 6 joined, with one blank after the backslash; the comment and the
        // blank record between them are passed over
        const std::string l = kRead + "3: \"FORMAT \\ *shelx \\\" ends in \"\\\" and no record "
                                      "follows to continue it; the line is ignored";
        const std::string stop = " ERROR *** ReadInp *** Unknown input file format: kova.inp, "
                                 "record 1: \"FORMAT xd\" selects none; record 3: \"FORMAT \\ "
                                 "*shelx \\\" ends in \"\\\" and no record follows to continue "
                                 "it, so the line is not read" + kChoose;
        v.push_back({"a continued FORMAT line cut off after another FORMAT line",
                     "FORMAT xd\nINPUT s.res\nFORMAT \\\n! note\n\n*shelx \\\n", shelx, 1,
                     {l, stop}});
    }
    {
        // not a FORMAT line: the run goes on without it
        const std::string l = kRead + "3: \"VERBOSE 3 \\\" ends in \"\\\" and no record follows "
                                      "to continue it; the line is ignored";
        v.push_back({"VERBOSE as a last line ending in a backslash",
                     kShelxInp + "VERBOSE 3 \\\n", shelx, 0, {l}, {l, " Verbosity level =  1"}});
    }
    return v;
}

TEST(ReadAsWritten, WholeRuns) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        dir.write("kova.inp", c.inp);
        for (const auto& [name, text] : c.files) dir.write(name, text);
        std::filesystem::create_directory(dir / "adir");
        const test::RunResult res = test::run_in(dir, {}, c.answer);
        EXPECT_EQ(res.status, c.status) << res.out << res.err;
        EXPECT_EQ(res.err, "");
        EXPECT_TRUE(holds_in_order(res.out, c.terminal, !c.answer.empty()));
        const std::string listing = dir.read("kova.out");
        EXPECT_TRUE(holds_in_order(listing, c.listing, false));
        // No line on kova.inp or on an answer beyond those named, on either side.
        int on_inp = 0, on_answer = 0;
        for (const std::string& l : c.terminal) {
            on_inp += l.rfind(kRead, 0) == 0;
            on_answer += l.find("the answer") != std::string::npos;
        }
        EXPECT_EQ(count_beginning(res.out, kRead), on_inp);
        EXPECT_EQ(count_beginning(listing, kRead), on_inp);
        EXPECT_EQ(count_containing(res.out, "the answer"), on_answer);
        EXPECT_EQ(count_containing(listing, "the answer"), on_answer);
        // A stop ends the listing with its line.
        if (c.status == 1) {
            const auto l = test::lines_of(listing);
            ASSERT_GE(l.size(), 2u);
            EXPECT_EQ(l[l.size() - 2], c.terminal.back());
        }
    }
}

// The sample that `kova -h` prints, used as printed, is read as written: it gets no line on
// kova.inp (its SCALE line's "fract" is no choice, but carries no star). Its INPUT line's
// further words are RENAME, a number and TOXD, so the open error names no cut name.
TEST(ReadAsWritten, TheSampleAsPrinted) {
    test::TempDir dir;
    const test::RunResult help = test::run_in(dir, {"-h"});
    std::vector<std::string> lines = test::lines_of(help.out);
    ASSERT_EQ(lines.size(), 11u + 44u);
    std::string sample;
    for (std::size_t k = 11; k < lines.size(); ++k) sample += lines[k] + "\n";
    dir.write("kova.inp", sample);
    const test::RunResult res = test::run_in(dir);
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(count_beginning(res.out, kRead), 0) << res.out;
    const auto term = test::lines_of(res.out);
    ASSERT_GE(term.size(), 2u);
    EXPECT_EQ(term[term.size() - 2],
              " ERROR *** ReadShelx *** Error opening SHELX file... l-dopa.shelx: no such file");
}

}  // namespace
}  // namespace kova
