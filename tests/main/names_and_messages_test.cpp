// Whole runs on the mistakes a new user makes in kova.inp and in a databank, and on file names
// longer than the old 60-character fields: every stop says what was given and what to give,
// a misspelt instruction is reported and passed over, TABs separate words, and long names of
// the INPUT and DATABANK lines, the databank prompt and KOVA_DB reach the files and the
// listing whole.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support.hpp"

namespace kova {
namespace {

using test::count_containing;
using test::holds_in_order;

std::string data(const std::string& rel) { return test::data_file(rel); }

// The carbon is searched first in the databank.
const std::string& kShelx = test::two_atom_shelx;

// Names of 100 characters: a directory and the file in it.
const std::string kLongShelx = std::string(94, 'd') + "/s.res";             // 94 + 1 + 5
const std::string kLongBank = std::string(92, 'b') + "/bank.db";            // 92 + 1 + 7
const std::string kLongMaster = std::string(94, 'm') + "/x.mas";            // 94 + 1 + 5
const std::string kLongParameters = std::string(94, 'p') + "/x.inp";        // 94 + 1 + 5
const std::string kLongPlaton = std::string(94, 'l') + "/p.pla";            // 94 + 1 + 5

const std::string kChoose = "; give FORMAT *shelx, *xd, *aim2tab or *platon (the star selects)";
const std::string kXdNames =
    "; XD input needs two names on the INPUT line, the master file and the parameter file, with "
    "FORMAT *xd before INPUT";
const std::string kPrompt = " Enter the name of databank file : ";
const std::string kReadChar = " ERROR *** ReadChar *** Unexpected STOP in ReadChar...: ";
const std::string kReadFile = " ERROR *** ReadFile ***  Error reading unit =           47: ";

using Files = std::map<std::string, std::string>;

struct Case {
    const char* what;
    std::string inp;  // kova.inp
    Files files;      // the other files, by name (a name may hold a directory)
    int status = 0;
    // Lines that the terminal and the listing must hold, each in this order; a line of the
    // terminal may be a piece of one (the prompt runs on into the next line).
    std::vector<std::string> terminal, listing;
    std::string answer;                  // standard input
    std::optional<std::string> kova_db;  // KOVA_DB for the run
};


// Sets KOVA_DB for one run and gives back what it was.
class KovaDb {
public:
    explicit KovaDb(const std::optional<std::string>& value) {
        if (const char* old = std::getenv("KOVA_DB")) old_ = old;
        if (value)
            ::setenv("KOVA_DB", value->c_str(), 1);
        else
            ::unsetenv("KOVA_DB");
    }
    ~KovaDb() {
        if (old_)
            ::setenv("KOVA_DB", old_->c_str(), 1);
        else
            ::unsetenv("KOVA_DB");
    }

private:
    std::optional<std::string> old_;
};

Case make(const char* what, std::string inp, Files files, int status,
          std::vector<std::string> terminal, std::vector<std::string> listing = {},
          std::string answer = "", std::optional<std::string> kova_db = std::nullopt) {
    return Case{what,      std::move(inp),     std::move(files),   status, std::move(terminal),
                std::move(listing), std::move(answer), std::move(kova_db)};
}

std::vector<Case> cases() {
    const std::string bank = data("databank/kova_test.db");
    const std::string err_empty = " ERROR *** ReadInp *** Unknown input file format: kova.inp has "
                                  "no FORMAT line" + kChoose;
    std::vector<Case> v;

    // --- the format stop: what the FORMAT lines gave, and the forms that choose
    v.push_back(make("FORMAT without a star", "FORMAT shelx\nINPUT s.res\n", {{"s.res", kShelx}}, 1,
                 {" ERROR *** ReadInp *** Unknown input file format: kova.inp, record 1: "
                  "\"FORMAT shelx\" selects none" + kChoose},
                 {" ERROR *** ReadInp *** Unknown input file format: kova.inp, record 1: "
                  "\"FORMAT shelx\" selects none" + kChoose}));
    v.push_back(make("two FORMAT lines, neither starred, the second after a comment",
                 "FORMAT xd\n! a comment\n\nFORMAT  platon shelx\nINPUT s.res\n",
                 {{"s.res", kShelx}}, 1,
                 {" ERROR *** ReadInp *** Unknown input file format: kova.inp, record 1: "
                  "\"FORMAT xd\", record 4: \"FORMAT  platon shelx\" select none" + kChoose}));
    v.push_back(make("an empty kova.inp", "", {}, 1, {err_empty}, {err_empty}));
    v.push_back(make("a misspelt FORMAT keyword", "FORMATS *shelx\nINPUT s.res\n",
                 {{"s.res", kShelx}}, 1,
                 {" kova.inp, record 1: \"FORMATS\" is no instruction; the line is ignored",
                  err_empty}));

    // --- a TAB separates the words as a blank does (the keyword and its value, the names)
    v.push_back(make("TABs between the words", "FORMAT\t*shelx\nINPUT\ts.res\t\nVERBOSE\t2\n",
                 {{"s.res", kShelx}}, 0, {},
                 {" Verbosity level =  2", " Input file format = SHELX    file(s) = s.res",
                  // a name of up to 60 characters keeps its field of 60 columns
                  " Reading SHELX file : s.res" + std::string(55, ' ')}));

    // --- a line whose keyword is no instruction: one line, the run goes on; blank and
    // comment lines, the fragment lines and a keyword after a number get none
    v.push_back(make("misspelt instructions",
                 "FORMAT *shelx\n\n! NCELLS 1\nNCELL 1\nINPUT s.res\n   \nVerbsoe 2\n"
                 "*KEYGN *XYZUIJ\nNFRAG 1\nFRAG 1 1 2\nCHFRAG 0\n2 VERBOSE 3\n0.1 0.2\n"
                 "TOLS 0.3 \\\n0.1 0.1\nVERBOSE 2 \\\nextra\n",
                 {{"s.res", kShelx}}, 0,
                 {" kova.inp, record 4: \"NCELL\" is no instruction; the line is ignored",
                  " kova.inp, record 7: \"Verbsoe\" is no instruction; the line is ignored",
                  " kova.inp, record 8: \"*KEYGN\" is no instruction; the line is ignored",
                  // a line of numbers only names its first word
                  " kova.inp, record 13: \"0.1\" is no instruction; the line is ignored"},
                 {" kova.inp, record 4: \"NCELL\" is no instruction; the line is ignored",
                  " kova.inp, record 7: \"Verbsoe\" is no instruction; the line is ignored",
                  " kova.inp, record 8: \"*KEYGN\" is no instruction; the line is ignored",
                  " kova.inp, record 13: \"0.1\" is no instruction; the line is ignored",
                  // the continued VERBOSE line (records 16-17) is read, NCELL was not
                  " Verbosity level =  2", " Do not search for complete fragments"}));

    // --- XD input: the names of the INPUT line and the open errors
    v.push_back(make("INPUT before FORMAT *xd", "INPUT x.mas x.inp\nFORMAT *xd\n",
                 {{"x.mas", data("xd/p21c_full.mas")}, {"x.inp", data("xd/p21c.inp")}}, 1,
                 {" ERROR *** ReadXD *** Error opening XD master file: kova.inp gave no XD master "
                  "file (first name); XD input needs two names on the INPUT line, the master "
                  "file and the parameter file, with FORMAT *xd before INPUT"}));
    v.push_back(make("FORMAT *xd and one INPUT name", "FORMAT *xd\nINPUT x.inp\n",
                 {{"x.inp", data("xd/p21c.inp")}}, 1,
                 {kReadChar + "kova.inp, record 2: the INPUT line names no XD parameter file "
                              "(second name)" + kXdNames},
                 {kReadChar + "kova.inp, record 2: the INPUT line names no XD parameter file "
                              "(second name)" + kXdNames}));
    v.push_back(make("INPUT without a name before any FORMAT", "INPUT\nFORMAT *xd\n", {}, 1,
                 {kReadChar + "kova.inp, record 1: the INPUT line names no structure file" +
                  kXdNames}));
    v.push_back(make("a continued INPUT line whose last record holds only the name",
                 "FORMAT *shelx\nINPUT \\\ns.res\n", {{"s.res", kShelx}}, 1,
                 {kReadChar + "kova.inp, record 3: the INPUT line is continued, and its last "
                              "record, \"s.res\", has no word 2 for the structure file: the names "
                              "are read from the line's last record only, from its second word "
                              "on"}));
    v.push_back(make("no XD master file of that name", "FORMAT *xd\nINPUT x.mas x.inp\n",
                 {{"x.inp", data("xd/p21c.inp")}}, 1,
                 {" ERROR *** ReadXD *** Error opening XD master filex.mas: no such file"}));
    v.push_back(make("no XD parameter file of that name", "FORMAT *xd\nINPUT x.mas x.inp\n",
                 {{"x.mas", data("xd/p21c_full.mas")}}, 1,
                 {" ERROR *** ReadXD *** Error opening XD parameter file x.inp: no such file"}));

    // --- databank entries cut short name the file, the record and the entry
    const std::string databank = "FORMAT *shelx\nINPUT s.res\nDATABANK bank.db\nCHFRAG 0\n";
    v.push_back(make("an entry line as the last record", databank,
                 {{"s.res", kShelx}, {"bank.db", "! one entry\nATOM  6  C001  C aromatic\n"}}, 1,
                 {kReadFile + "bank.db, record 3, end of file inside the entry \"ATOM  6  C001  C "
                              "aromatic\" (record 2), looking for its NEIG line"},
                 {kReadFile + "bank.db, record 3, end of file inside the entry \"ATOM  6  C001  C "
                              "aromatic\" (record 2), looking for its NEIG line"}));
    v.push_back(make("an entry line without its description", databank,
                 {{"s.res", kShelx}, {"bank.db", "ATOM  6  C001\n"}}, 1,
                 {kReadChar + "bank.db, record 1: the entry \"ATOM  6  C001\" has no description "
                              "(word 4 of the entry line)"}));

    // --- names longer than 60 characters, whole wherever they go
    v.push_back(make("a 100-character INPUT path", "FORMAT *shelx\nINPUT " + kLongShelx + "\n",
                 {{kLongShelx, kShelx}}, 0, {},
                 {" Input file format = SHELX    file(s) = " + kLongShelx,
                  " Reading SHELX file : " + kLongShelx}));
    v.push_back(make("a 100-character INPUT path that does not exist",
                 "FORMAT *shelx\nINPUT " + kLongShelx + "\n", {}, 1,
                 {" ERROR *** ReadShelx *** Error opening SHELX file... " + kLongShelx +
                  ": no such file"}));
    v.push_back(make("100-character XD names",
                 "FORMAT *xd\nINPUT " + kLongMaster + " " + kLongParameters + "\n",
                 {{kLongMaster, data("xd/p21c_full.mas")}, {kLongParameters, data("xd/p21c.inp")}},
                 0, {},
                 {" Input file format = XD    file(s) = " + kLongMaster + " " + kLongParameters,
                  " Reading data from XD master file: " + kLongMaster,
                  " Reading data from XD parameter file: " + kLongParameters}));
    v.push_back(make("a 100-character PLATON name", "FORMAT *platon\nINPUT " + kLongPlaton + "\n",
                 {{kLongPlaton, data("platon/methanol_like.pla")}}, 0, {},
                 {" Reading PLATON file : " + kLongPlaton}));
    v.push_back(make("a 100-character DATABANK path",
                 "FORMAT *shelx\nINPUT s.res\nDATABANK " + kLongBank + "\nCHFRAG 0\n",
                 {{"s.res", kShelx}, {kLongBank, bank}}, 0, {},
                 {" Read pseudoatom parameters from databank file :", "   " + kLongBank}));
    v.push_back(make("a 100-character DATABANK path that does not exist, then a good answer",
                 "FORMAT *shelx\nINPUT s.res\nDATABANK " + kLongBank + "\nCHFRAG 0\n",
                 {{"s.res", kShelx}, {"bank.db", bank}}, 0,
                 {"\n Error opening databank file " + kLongBank + ": no such file\n" + kPrompt,
                  " ATOMS SEARCHED in DB"},
                 {"   " + kLongBank},
                 "bank.db\n"));
    v.push_back(make("a 100-character answer at the databank prompt",
                 "FORMAT *shelx\nINPUT s.res\nDATABANK missing.db\nCHFRAG 0\n",
                 {{"s.res", kShelx}, {kLongBank, bank}}, 0,
                 // the name of up to 60 characters in its field of 60 columns
                 {"\n Error opening databank file missing.db" + std::string(50, ' ') +
                      ": no such file\n",
                  kPrompt, kPrompt, " ATOMS SEARCHED in DB"},
                 {},
                 "\n" + kLongBank + "\n"));
    v.push_back(make("KOVA_DB of 100 characters",
                 "FORMAT *shelx\nINPUT s.res\nDATABANK\nCHFRAG 0\n",
                 {{"s.res", kShelx}, {kLongBank, bank}}, 0, {},
                 {" Read pseudoatom parameters from databank file :", "   " + kLongBank},
                 "", kLongBank));
    return v;
}

TEST(NamesAndMessages, WholeRuns) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        dir.write("kova.inp", c.inp);
        for (const auto& [name, text] : c.files) {
            std::filesystem::create_directories((dir / name).parent_path());
            dir.write(name, text);
        }
        KovaDb env(c.kova_db);
        const test::RunResult res = test::run_in(dir, {}, c.answer);
        EXPECT_EQ(res.status, c.status) << res.out << res.err;
        EXPECT_EQ(res.err, "");
        // The terminal pieces of a prompt case run over line ends; the others are whole lines.
        const bool pieces = !c.answer.empty();
        EXPECT_TRUE(holds_in_order(res.out, c.terminal, pieces));
        const std::string listing = dir.read("kova.out");
        EXPECT_TRUE(holds_in_order(listing, c.listing, false));
        // Only the lines named report instructions: none for blank, comment, fragment lines.
        int reported = 0;
        for (const std::string& l : c.terminal) reported += l.find("is no instruction") != l.npos;
        EXPECT_EQ(count_containing(res.out, "is no instruction"), reported);
        EXPECT_EQ(count_containing(listing, "is no instruction"), reported);
        // The databank error line comes once for each name that does not open.
        int opened = 0;
        for (const std::string& l : c.terminal)
            opened += l.find("Error opening databank") != l.npos;
        EXPECT_EQ(count_containing(res.out, "Error opening databank"), opened);
        // A stop ends both the terminal and the listing with its line.
        if (c.status == 1 && !c.terminal.empty()) {
            const auto l = test::lines_of(listing);
            ASSERT_GE(l.size(), 2u);
            EXPECT_EQ(l[l.size() - 2], c.terminal.back());
        }
    }
}

}  // namespace
}  // namespace kova
