// Whole runs on the input a new user gives by mistake: empty and binary files, a directory
// or an unreadable file where a file must be, CRLF line ends, truncated lines, words where
// numbers belong, NaN and huge numbers, a zero cell. Every run must end the way a run ends:
// the fatal-error lines (status 1), or one line "kova: file, record n: what" (status 2).
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>

#include <gtest/gtest.h>

#include "support.hpp"

namespace kova {
namespace {

std::string data(const std::string& rel) { return test::data_file(rel); }

const std::string kXdInp = "FORMAT *xd\nINPUT x.mas x.inp\n";
const std::string kAimInp = "FORMAT *aim2tab\nINPUT a.out\n";
const std::string kPlaInp = "FORMAT *platon\nINPUT p.pla\n";
const std::string kShelxInp = "FORMAT *shelx\nINPUT s.res\n";
const std::string kNoFormat =
    " ERROR *** ReadInp *** Unknown input file format: kova.inp has no FORMAT line; give FORMAT "
    "*shelx, *xd, *aim2tab or *platon (the star selects)";

const std::string& kShelx = test::two_atom_shelx;

using Files = std::map<std::string, std::string>;

test::RunResult run_files(const test::TempDir& dir, const Files& files,
                          const std::string& answer = "") {
    for (const auto& [name, text] : files) dir.write(name, text);
    return test::run_in(dir, {}, answer);
}

bool has_line(const std::string& text, const std::string& line) {
    auto lines = test::lines_of(text);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The run ended through err with this line, listing and terminal alike.
void expect_err(const test::TempDir& dir, const test::RunResult& res, const std::string& line,
                const std::string& what) {
    EXPECT_EQ(res.status, 1) << what;
    EXPECT_EQ(res.err, "") << what;
    EXPECT_TRUE(has_line(res.out, line)) << what << "\n" << res.out;
    auto l = test::lines_of(dir.read("kova.out"));
    ASSERT_GE(l.size(), 2u) << what;
    EXPECT_EQ(l[l.size() - 2], line) << what;
}

// The run ended with a run-time error: status 2 and the one line, of which `head` is the
// start ("kova: file, record n: ") and `part` a piece of the rest.
void expect_fault(const test::RunResult& res, const std::string& head, const std::string& part,
                  const std::string& what) {
    EXPECT_EQ(res.status, 2) << what;
    EXPECT_EQ(res.err.rfind(head, 0), 0u) << what << "\n" << res.err;
    EXPECT_NE(res.err.find(part), std::string::npos) << what << "\n" << res.err;
    EXPECT_EQ(std::count(res.err.begin(), res.err.end(), '\n'), 1) << what << "\n" << res.err;
}

// A run that read its structure and went on to the end of the road.
void expect_clean_end(const test::RunResult& res, const std::string& what) {
    EXPECT_EQ(res.status, 0) << what;
    EXPECT_EQ(res.err, "") << what;
    EXPECT_EQ(res.out.find(" ERROR *** "), std::string::npos) << what << "\n" << res.out;
}

std::string crlf(const std::string& s) {
    std::string t;
    for (char c : s) {
        if (c == '\n') t.push_back('\r');
        t.push_back(c);
    }
    return t;
}

// 1 KiB of bytes of every value, NUL, CR and LF among them, in no order a file format has.
std::string binary_blob() {
    std::string b;
    unsigned v = 12345;
    for (int i = 0; i < 1024; ++i) {
        v = v * 1103515245u + 12345u;
        b.push_back(static_cast<char>((v >> 16) & 0xff));
    }
    return b;
}

TEST(BadInput, EmptyFiles) {
    {
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", ""}});
        expect_err(dir, res, kNoFormat, "empty kova.inp");
    }
    {
        // no CELL line leaves the cell at zero: gamma 0 leaves no third axis
        test::TempDir dir;
        auto res =
            run_files(dir, {{"kova.inp", kXdInp}, {"x.mas", ""}, {"x.inp", data("xd/p21c.inp")}});
        expect_err(
            dir, res,
            " ERROR *** TranMat *** Cell angles 0.000, 0.000, 0.000 admit no real third axis",
            "empty XD master file");
    }
    {
        test::TempDir dir;
        auto res = run_files(
            dir, {{"kova.inp", kXdInp}, {"x.mas", data("xd/p21c_full.mas")}, {"x.inp", ""}});
        expect_err(dir, res, " ERROR *** ReadXD *** Error reading XD parameter file",
                   "empty XD parameter file");
    }
    {
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kAimInp}, {"a.out", ""}});
        expect_clean_end(res, "empty AIM2TAB listing");
        EXPECT_TRUE(has_line(res.out, " Total atoms read from AIM2TAB output file =     0"));
    }
    {
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kPlaInp}, {"p.pla", ""}});
        expect_clean_end(res, "empty PLATON file");
        EXPECT_TRUE(has_line(res.out, " Total atoms read from PLATON file =        0"));
    }
    {
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kShelxInp}, {"s.res", ""}});
        expect_err(dir, res, " ERROR *** ReadShelx *** No CELL card in SHELX file s.res",
                   "empty SHELX file");
    }
}

TEST(BadInput, BinaryData) {
    const std::string blob = binary_blob();
    {
        // no line of it is a FORMAT line
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", blob}});
        expect_err(dir, res, kNoFormat, "binary kova.inp");
    }
    {
        // no "CELL " record: the cell stays zero
        test::TempDir dir;
        auto res =
            run_files(dir, {{"kova.inp", kXdInp}, {"x.mas", blob}, {"x.inp", data("xd/p21c.inp")}});
        expect_err(
            dir, res,
            " ERROR *** TranMat *** Cell angles 0.000, 0.000, 0.000 admit no real third axis",
            "binary XD master file");
    }
    {
        // the first record stands as the model line, whose four integers do not read
        test::TempDir dir;
        auto res = run_files(
            dir, {{"kova.inp", kXdInp}, {"x.mas", data("xd/p21c_full.mas")}, {"x.inp", blob}});
        expect_fault(res, "kova: x.inp, record ", "integers for the model line",
                     "binary XD parameter file");
    }
    for (const auto& [inp, name] : {std::pair{kAimInp, "a.out"}, std::pair{kPlaInp, "p.pla"}}) {
        // neither marker nor ATOM line: no atoms, and the run goes on
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", inp}, {name, blob}});
        expect_clean_end(res, std::string("binary ") + name);
    }
    {
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kShelxInp}, {"s.res", blob}});
        expect_err(dir, res, " ERROR *** ReadShelx *** No CELL card in SHELX file s.res",
                   "binary SHELX file");
    }
}

TEST(BadInput, DirectoryGivenAsAFileName) {
    struct Case {
        std::string inp, dirname, line;
    };
    const Case cases[] = {
        {"", "kova.inp",
         " ERROR *** ReadInp *** Unable to open KOVA input file kova.inp: is a directory, not a "
         "file"},
        {kXdInp, "x.mas",
         " ERROR *** ReadXD *** Error opening XD master filex.mas: is a directory, not a file"},
        {kXdInp, "x.inp",
         " ERROR *** ReadXD *** Error opening XD parameter file x.inp: is a directory, not a file"},
        {kAimInp, "a.out",
         " ERROR *** ReadAim2Tab *** Error opening AIM2TAB output file... a.out: is a directory, "
         "not a file"},
        {kPlaInp, "p.pla",
         " ERROR *** ReadPlaton *** Error opening PLATON file p.pla: is a directory, not a file"},
        {kShelxInp, "s.res",
         " ERROR *** ReadShelx *** Error opening SHELX file... s.res: is a directory, not a file"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        if (!c.inp.empty()) dir.write("kova.inp", c.inp);
        dir.write("x.mas", data("xd/p21c_full.mas"));
        dir.write("x.inp", data("xd/p21c.inp"));
        std::filesystem::remove(dir / c.dirname);
        std::filesystem::create_directory(dir / c.dirname);
        auto res = test::run_in(dir);
        expect_err(dir, res, c.line, c.dirname);
    }
}

TEST(BadInput, UnreadableFiles) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads a file whatever its mode says";
    for (const auto& [inp, name, line] :
         {std::tuple{std::string(), "kova.inp",
                     " ERROR *** ReadInp *** Unable to open KOVA input file kova.inp: cannot read "
                     "the file"},
          std::tuple{kPlaInp, "p.pla",
                     " ERROR *** ReadPlaton *** Error opening PLATON file p.pla: cannot read the file"}}) {
        test::TempDir dir;
        if (!inp.empty()) dir.write("kova.inp", inp);
        dir.write(name, "ATOM C1 0 0 0\n");
        ::chmod((dir / name).c_str(), 0);
        auto res = test::run_in(dir);
        expect_err(dir, res, line, name);
    }
}

// The listing without the lines that hold measured CPU times.
std::vector<std::string> listing_without_times(const test::TempDir& dir) {
    auto l = test::lines_of(dir.read("kova.out"));
    l.erase(std::remove_if(l.begin(), l.end(),
                           [](const std::string& s) {
                               return s.find(" times u,s,t (s)") != std::string::npos ||
                                      s.find("Timing for") != std::string::npos;
                           }),
            l.end());
    return l;
}

TEST(BadInput, CrlfLineEndsReadAsLineFeeds) {
    const Files inputs[] = {
        {{"kova.inp", kXdInp + "VERBOSE 2\nTOLS 0.3 0.1 \\\n 0.1\n"},
         {"x.mas", data("xd/p21c_full.mas")},
         {"x.inp", data("xd/p21c.inp")}},
        {{"kova.inp", kAimInp}, {"a.out", data("aim2tab/water_like.out")}},
        {{"kova.inp", kPlaInp}, {"p.pla", data("platon/methanol_like.pla")}},
        {{"kova.inp", kShelxInp + "RINGS 3 8\nExtend_H\n"},
         {"s.res", data("shelx/riding_and_free_variables.res")}},
    };
    for (const Files& files : inputs) {
        test::TempDir lf, cr, cut;
        // CR LF line ends, and the same without the last line feed: every file then ends in
        // a CR ("INPUT s.res\r", "END\r"), which is no part of its last record either
        Files converted, no_last_lf;
        for (const auto& [name, text] : files) {
            converted[name] = crlf(text);
            no_last_lf[name] = converted[name].substr(0, converted[name].size() - 1);
        }
        auto a = run_files(lf, files);
        auto b = run_files(cr, converted);
        auto c = run_files(cut, no_last_lf);
        const std::string what = files.begin()->second;
        expect_clean_end(a, what);
        EXPECT_EQ(a.status, b.status) << what;
        EXPECT_EQ(a.err, b.err) << what;
        EXPECT_EQ(listing_without_times(lf), listing_without_times(cr)) << what;
        EXPECT_EQ(a.status, c.status) << what;
        EXPECT_EQ(a.err, c.err) << what;
        EXPECT_EQ(listing_without_times(lf), listing_without_times(cut)) << what;
    }
}

TEST(BadInput, CrBeforeTheEndOfAFileWithoutLineFeed) {
    // The instruction file's last record names the structure, the structure's last is END.
    test::TempDir dir;
    std::string shx = crlf(kShelx);
    shx.pop_back();
    auto res = run_files(dir, {{"kova.inp", "FORMAT *shelx\r\nINPUT s.res\r"}, {"s.res", shx}});
    expect_clean_end(res, "INPUT s.res<CR>, END<CR>");
    EXPECT_TRUE(has_line(dir.read("kova.out"), " Input file format = SHELX    file(s) = s.res"));
    EXPECT_TRUE(has_line(res.out, " Total atoms read from SHELX file =     2")) << res.out;
}

TEST(BadInput, TolerancesAndRadiiThatAreNoFiniteNumbers) {
    // Stopped as an unreadable number is, naming the record and the word.
    const std::string head = " ERROR *** ReadInp *** Error while reading file kova.inp, record ";
    const struct {
        std::string lines;  // after FORMAT and INPUT
        std::string tail;   // of the err line
    } cases[] = {
        {"TOLS NaN 0.1 0.1\n", "3: TOLS bond tolerance \"NaN\" is not a finite number"},
        {"TOLS 0.2 1e39 0.1\n", "3: TOLS ring tolerance \"1e39\" is not a finite number"},
        {"VERBOSE 2\nTOLS bond 0.2 ring 0.1 group Inf\n",
         "4: TOLS group tolerance \"Inf\" is not a finite number"},
        {"RADII C NaN\n", "3: RADII radius for C \"NaN\" is not a finite number"},
        // a symbol that changes no radius does not make its value harmless
        {"RADII H 0.3 Cs -infinity\n",
         "3: RADII radius for CS \"-infinity\" is not a finite number"},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kPlaInp + c.lines}, {"p.pla", "ATOM C1 0 0 0\n"}});
        expect_err(dir, res, head + c.tail, c.lines);
    }
}

TEST(BadInput, SymmetryTranslationsOfSeveralDigits) {
    {
        std::string shx = kShelx;
        shx.replace(shx.find("SYMM -X, 1/2+Y, 1/2-Z"), 21, "SYMM -X, -Y, Z+1/12");
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kShelxInp}, {"s.res", shx}});
        expect_clean_end(res, "Z+1/12");
        // 1/12 is one twelfth, written back as such (not 1/2)
        EXPECT_TRUE(has_line(dir.read("kova.out"), "   SYMM  2      - X, - Y, 1/12 + Z"));
    }
    {
        std::string shx = kShelx;
        shx.replace(shx.find("SYMM -X, 1/2+Y, 1/2-Z"), 21, "SYMM -X, -Y, Z+1/0");
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kShelxInp}, {"s.res", shx}});
        expect_fault(res,
                     "kova: s.res, record 4: ", "found \"+1/0\" in the card \"SYMM -X, -Y, Z+1/0\"",
                     "Z+1/0");
    }
}

TEST(BadInput, StopsEndWithStatusOne) {
    // The stops with a message of their own end as err does: a failed run, status 1.
    std::string riding = kShelx;
    riding.replace(riding.find("   0.02000\nO1"), 10, "  -1.20000");
    std::string rhombohedral = kShelx;
    rhombohedral.replace(rhombohedral.find("LATT 1"), 6, "LATT 3");
    {
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kShelxInp}, {"s.res", riding}});
        EXPECT_EQ(res.status, 1);
        // the stop's own line, then the atom refused and where it stands
        EXPECT_EQ(res.err, " ProcessU :: Could not find parent atom C1 (s.res, record 6)\n");
    }
    {
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kShelxInp}, {"s.res", rhombohedral}});
        EXPECT_EQ(res.status, 1);
        EXPECT_EQ(res.err, "");
        EXPECT_TRUE(has_line(res.out, "  Lattice type R is not supported")) << res.out;
    }
}

TEST(BadInput, TruncatedLines) {
    {
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kPlaInp + "TOLS 0.3\n"}, {"p.pla", ""}});
        expect_fault(res, "kova: kova.inp, record 3: ", "three tolerances", "TOLS with one number");
    }
    {
        // the INPUT line without its file name
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", "FORMAT *platon\nINPUT\n"}});
        expect_err(dir, res,
                   " ERROR *** ReadChar *** Unexpected STOP in ReadChar...: kova.inp, record 2: "
                   "the INPUT line names no structure file",
                   "INPUT alone");
    }
    {
        std::string mas = data("xd/p21c_full.mas");
        mas.replace(mas.find("CELL"), mas.find('\n', mas.find("CELL")) - mas.find("CELL"),
                    "CELL   5.000   6.000");
        test::TempDir dir;
        auto res =
            run_files(dir, {{"kova.inp", kXdInp}, {"x.mas", mas}, {"x.inp", data("xd/p21c.inp")}});
        expect_fault(res, "kova: x.mas, record 4: ", "six cell constants", "CELL with two numbers");
    }
    {
        // An atom line that does not read is passed over and the next line taken for the same
        // atom: the first one then lines up with C(1), the third finds no atom line before
        // the end of the file.
        std::string par = data("xd/p21c.inp");
        std::size_t p = par.find("0.300000 1.0000");
        par.erase(p, std::string("0.300000 1.0000").size());
        test::TempDir dir;
        auto res = run_files(
            dir, {{"kova.inp", kXdInp}, {"x.mas", data("xd/p21c_full.mas")}, {"x.inp", par}});
        expect_err(dir, res, " ERROR *** ReadXD *** Error reading XD parameter file",
                   "XD atom line cut");
        EXPECT_TRUE(has_line(res.out, "   1   C(1)        6          4            2"));
    }
    {
        // a row cut inside the y field: what is missing of a fixed field reads as blanks
        // y = "   1.00" + 2 blanks = 1.0 bohr = 0.52917725 Å -> F9.4 "   0.5292"
        std::string out = " NUMBER OF ATOMS READ =      1\n NO. ATOM       AT.MASS\n ---\n"
                          "    1O1        15.9994     0.0000   1.00\n";
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kAimInp}, {"a.out", out}});
        expect_clean_end(res, "AIM2TAB row cut");
        EXPECT_TRUE(has_line(
            dir.read("kova.out"),
            "      1  O1         0.00000  0.00000  0.00000     0.0000   0.5292   0.0000     0"));
    }
    {
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kPlaInp}, {"p.pla", "ATOM C1 1.0 2.0\n"}});
        expect_fault(res, "kova: p.pla, record 1: ", "expected three coordinates",
                     "PLATON line cut");
    }
    {
        // an atom line with four numbers after its SFAC number: neither isotropic nor
        // anisotropic; the stop writes to the terminal only
        std::string res_file = kShelx;
        res_file.replace(res_file.find("   11.00000   0.02000\nO1"), 21, "");
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kShelxInp}, {"s.res", res_file}});
        EXPECT_EQ(res.status, 1);
        EXPECT_EQ(res.err, "");
        EXPECT_TRUE(has_line(res.out, " Error reading atom: C(1)")) << res.out;
        // C1 is record 6, after TITL, CELL, LATT, SYMM and SFAC
        EXPECT_TRUE(has_line(res.out, " File s.res, record 6")) << res.out;
    }
    {
        // without END the atoms end at the end of the file
        std::string res_file = kShelx.substr(0, kShelx.size() - 4);
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kShelxInp}, {"s.res", res_file}});
        expect_clean_end(res, "SHELX file without END");
        EXPECT_TRUE(has_line(res.out, " Total atoms read from SHELX file =     2")) << res.out;
    }
}

TEST(BadInput, WordsWhereNumbersBelong) {
    struct Case {
        Files files;
        std::string head, part;  // a run-time error, or (head empty) the err line in part
    };
    std::string mas = data("xd/p21c_full.mas");
    std::string mas_word = mas;
    mas_word.replace(mas_word.find("7.000"), 5, "seven");
    std::string par_word = data("xd/p21c.inp");
    par_word.replace(par_word.find("nat  2000"), 9, "nat  2OOO");
    const Case cases[] = {
        {{{"kova.inp", kPlaInp + "VERBOSE 2.5\n"}},
         "",
         " ERROR *** ReadInp *** Error while reading file kova.inp"},
        {{{"kova.inp", kPlaInp + "NCELLS one\n"}},
         "kova: kova.inp, record 3: ",
         "the number of cells"},
        {{{"kova.inp", kXdInp}, {"x.mas", mas_word}, {"x.inp", data("xd/p21c.inp")}},
         "",
         " ERROR *** ReadXD *** Error reading XD master file"},
        // "2OOO" is a text word: the LIMITS line is left with seven numbers
        {{{"kova.inp", kXdInp}, {"x.mas", mas}, {"x.inp", par_word}},
         "kova: x.inp, record 3: ",
         "the LIMITS line"},
        {{{"kova.inp", kAimInp}, {"a.out", " NUMBER OF ATOMS READ =   four\n"}},
         "kova: a.out, record 1: ",
         "the number of atoms in columns 24-30, found \"four\""},
        {{{"kova.inp", kAimInp},
          {"a.out",
           " NUMBER OF ATOMS READ =      1\n NO. ATOM       AT.MASS\n\n    1O1        15.9994     0.0O00   0.0000   0.0000\n"}},
         "kova: a.out, record 4: ",
         "the x coordinate of atom 1 in columns 25-33, found \"0.0O00\""},
        {{{"kova.inp", kPlaInp}, {"p.pla", "ATOM C1 1.0 two 3.0\n"}},
         "kova: p.pla, record 1: ",
         "expected three coordinates"},
        {{{"kova.inp", kShelxInp},
          {"s.res", std::string(kShelx).replace(kShelx.find("0.100000"), 8, "0.1OOOOO")}},
         "kova: s.res, record 6: ",
         "0.1OOOOO"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        auto res = run_files(dir, c.files);
        if (c.head.empty())
            expect_err(dir, res, c.part, c.part);
        else
            expect_fault(res, c.head, c.part, c.part);
    }
}

TEST(BadInput, CellsWithoutAFiniteMatrix) {
    struct Case {
        const char* cell;
        const char* line;
    };
    const Case cases[] = {
        {"CELL 0 0 0 90 90 90", " ERROR *** Inverse *** Determinant = 0"},
        {"CELL 0 0 0 0 0 0",
         " ERROR *** TranMat *** Cell angles 0.000, 0.000, 0.000 admit no real third axis"},
        {"CELL NaN 6 7 90 100 90",
         " ERROR *** TranMat *** Cell NaN, 6.000, 7.000, 90.000, 100.000, 90.000 gives no finite transformation matrix"},
        {"CELL 5 6 7 90 inf 90",
         " ERROR *** TranMat *** Cell 5.000, 6.000, 7.000, 90.000, Infinity, 90.000 gives no finite transformation matrix"},
        // 1e39 is beyond single precision: it reads as infinity
        {"CELL 5 6 1e39 90 100 90",
         " ERROR *** TranMat *** Cell 5.000, 6.000, Infinity, 90.000, 100.000, 90.000 gives no finite transformation matrix"},
        // c squared overflows: no matter of the angles
        {"CELL 5 6 1e20 90 100 90",
         " ERROR *** TranMat *** Cell 5.000, 6.000, **********, 90.000, 100.000, 90.000 gives no finite transformation matrix"},
    };
    for (const Case& c : cases) {
        std::string mas = "CELL " + std::string(c.cell).substr(5) + "\nSYMM -X, 1/2+Y, 1/2-Z\n";
        test::TempDir dir;
        auto res =
            run_files(dir, {{"kova.inp", kXdInp}, {"x.mas", mas}, {"x.inp", data("xd/p21c.inp")}});
        expect_err(dir, res, c.line, c.cell);
        // the same cell in a SHELX file, after the wavelength
        std::string res_file = kShelx;
        res_file.replace(res_file.find("5.0 6.0 7.0 90.0 100.0 90.0"), 27,
                         std::string(c.cell).substr(5));
        test::TempDir sdir;
        auto sres = run_files(sdir, {{"kova.inp", kShelxInp}, {"s.res", res_file}});
        expect_err(sdir, sres, c.line, std::string("SHELX ") + c.cell);
    }
    {
        // a large but finite cell is a cell
        test::TempDir dir;
        std::string mas = data("xd/p21c_full.mas");
        std::size_t p = mas.find("CELL ");
        mas.replace(p, mas.find('\n', p) - p, "CELL 1e6 1e6 1e6 90 90 90");
        auto res =
            run_files(dir, {{"kova.inp", kXdInp}, {"x.mas", mas}, {"x.inp", data("xd/p21c.inp")}});
        expect_clean_end(res, "cell of 1e6");
    }
}

TEST(BadInput, CoordinatesThatAreNoFiniteNumbers) {
    std::string nan_par = data("xd/p21c.inp");
    nan_par.replace(nan_par.find("0.100000  0.200000"), 8, "     NaN");
    std::string big_par = data("xd/p21c.inp");
    // 1e38 fractional times a = 5 Å overflows in Cartesian
    big_par.replace(big_par.find("0.100000  0.200000"), 8, "   1e38 ");
    struct Case {
        Files files;
        std::string head;
    };
    std::string nan_shx = kShelx;
    nan_shx.replace(nan_shx.find("0.100000"), 8, "     NaN");
    const Case cases[] = {
        // record 6: the C1 line of the SHELX file
        {{{"kova.inp", kShelxInp}, {"s.res", nan_shx}}, "kova: s.res, record 6: "},
        {{{"kova.inp", kXdInp}, {"x.mas", data("xd/p21c_full.mas")}, {"x.inp", nan_par}},
         "kova: x.inp, record 9: "},
        {{{"kova.inp", kXdInp}, {"x.mas", data("xd/p21c_full.mas")}, {"x.inp", big_par}},
         "kova: x.inp, record 9: "},
        {{{"kova.inp", kPlaInp}, {"p.pla", "ATOM C1 0 0 0\nATOM C2 nan 0 0\n"}},
         "kova: p.pla, record 2: "},
        {{{"kova.inp", kPlaInp}, {"p.pla", "ATOM C1 0 0 -Infinity\n"}}, "kova: p.pla, record 1: "},
        {{{"kova.inp", kPlaInp}, {"p.pla", "ATOM C1 0 1e39 0\n"}}, "kova: p.pla, record 1: "},
        {{{"kova.inp", kAimInp},
          {"a.out",
           " NUMBER OF ATOMS READ =      1\n NO. ATOM       AT.MASS\n\n    1O1        15.9994        NaN   0.0000   0.0000\n"}},
         "kova: a.out, record 4: "},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        auto res = run_files(dir, c.files);
        expect_fault(res, c.head, "are not finite numbers in single precision", c.head);
    }
    {
        // huge but finite coordinates are coordinates; the listing shows them as asterisks
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kPlaInp}, {"p.pla", "ATOM C1 1e38 0 -1e38\n"}});
        expect_clean_end(res, "huge PLATON coordinates");
        EXPECT_TRUE(has_line(
            dir.read("kova.out"),
            "      1  C1         0.00000  0.00000  0.00000  *********   0.0000*********     0"));
    }
}

TEST(BadInput, EndOfInputAtAPrompt) {
    const std::string pla = "ATOM C1 0 0 0\nATOM O1 1.42 0 0\n";
    {
        // the databank file does not open: its name is asked for, and nobody answers
        test::TempDir dir;
        auto res = run_files(dir, {{"kova.inp", kPlaInp + "DATABANK none.db\n"}, {"p.pla", pla}});
        expect_fault(res, "kova: standard input",
                     "end of input at the prompt for the databank file name", "databank prompt");
        EXPECT_NE(res.out.find(" Enter the name of databank file : "), std::string::npos);
    }
    {
        // a blank answer asks again; then the input ends
        test::TempDir dir;
        auto res =
            run_files(dir, {{"kova.inp", kPlaInp + "DATABANK none.db\n"}, {"p.pla", pla}}, "\n\n");
        expect_fault(res, "kova: standard input",
                     "end of input at the prompt for the databank file name",
                     "databank prompt, blank answers");
    }
    {
        // no CHFRAG line: the charge of the fragment is asked for
        test::TempDir dir;
        const std::string db = std::string(KOVA_TEST_DATA) + "/databank/kova_test.db";
        auto res =
            run_files(dir, {{"kova.inp", kPlaInp + "DATABANK " + db + "\n"}, {"p.pla", pla}});
        expect_fault(res, "kova: standard input",
                     "end of input at the prompt for the net charge of fragment 1",
                     "charge prompt");
    }
}

}  // namespace
}  // namespace kova
