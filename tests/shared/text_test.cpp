#include "shared/text.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "shared/errors.hpp"
#include "shared/format.hpp"
#include "support.hpp"

namespace kova {
namespace {

TEST(NumberTest, BothLists) {
    const char* numbers[] = {"1.5", "-.5e-3", "1.d10", "2D", "1-2", "5.", "-", "+", ".", "E", "d",
                             "E5", "--1", "INF", "Infinity", "NaN", "NAN(XYZ)", "-inf"};
    const char* texts[] = {"3/4", "1.2.3", "1E+-2", "INF5", "NaNX", "NAN(", "0x1F", "1_2", "*5",
                           "N", "NA", "I", "IN", "C1", "H", "DB", "TOLS\t0.2"};
    for (const char* w : numbers) EXPECT_TRUE(is_number_word(w)) << w;
    for (const char* w : texts) EXPECT_FALSE(is_number_word(w)) << w;
}

// A workspace whose test input channel reads the given records; standard error goes to the
// terminal's stream.
struct Fixture : test::Workspace {
    explicit Fixture(const std::string& text) : Workspace({.errors_on_terminal = true}) {
        dir.write("in.txt", text);
        r.io.open_old(test::input_channel, "in.txt");
    }
};

// The logical lines of the fixture's input channel, their text without trailing blanks.
std::optional<LogicalLine> next_line(Fixture& f) {
    return read_logical_line(f.r.io, Files::listing, test::input_channel);
}

TEST(LogicalLines, ContinuationCommentsAndEnd) {
    Fixture f("! comment\n\nTOLS 0.3 \\\n! inside\n\n0.1 0.1\n  ! note\nLAST \\\n");
    std::optional<LogicalLine> line = next_line(f);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text.size(), line_length);
    EXPECT_EQ(trim(line->text), "TOLS 0.3 \\ 0.1 0.1");
    TextWords words = split_text_words(line->text);
    EXPECT_EQ(words.count, 2);
    EXPECT_EQ(words.at(1), "TOLS    ");
    EXPECT_EQ(words.at(2), "\\       ");
    line = next_line(f);
    ASSERT_TRUE(line);
    words = split_text_words(line->text);
    EXPECT_EQ(words.count, 2);
    EXPECT_EQ(words.at(1), "!       ");
    EXPECT_EQ(words.at(2), "NOTE    ");
    EXPECT_FALSE(next_line(f));  // the continued LAST is lost
}

// kova.inp is written by hand: a TAB separates its words as a blank does, also before a
// continuation mark and in a record of TABs only (skipped as a blank record). The number of
// a line's first record is given for its messages.
TEST(LogicalLines, TabsAreBlanksAndTheFirstRecordIsKnown) {
    Fixture f("FORMAT\t*shelx\n\t\t\nTOLS\t0.3\t\\\t\n! c\n0.1\t0.1\nNCELLS 1\n");
    std::optional<LogicalLine> line = next_line(f);
    ASSERT_TRUE(line);
    EXPECT_EQ(trim(line->text), "FORMAT *shelx");
    EXPECT_EQ(line->first_record, 1);
    line = next_line(f);
    ASSERT_TRUE(line);
    // "TOLS 0.3 \" then the continuation after one blank
    EXPECT_EQ(trim(line->text), "TOLS 0.3 \\ 0.1 0.1");
    EXPECT_EQ(line->first_record, 3);  // record 2 (TABs only) skipped; the line ends at record 5
    EXPECT_EQ(f.r.io.in(test::input_channel).recno(), 5);
    EXPECT_EQ(split_text_words(line->text).at(1), "TOLS    ");
    line = next_line(f);
    ASSERT_TRUE(line);
    EXPECT_EQ(trim(line->text), "NCELLS 1");
    EXPECT_EQ(line->first_record, 6);
    EXPECT_FALSE(next_line(f));
}

TEST(LogicalLines, LongRecordsAndTheLimit) {
    std::string longrec = std::string(300, 'A');
    Fixture f(longrec + "\n" + std::string(254, 'B') + "\\\nX\n");
    std::optional<LogicalLine> line = next_line(f);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text, std::string(255, 'A'));
    // a backslash in column 255 does not fit
    EXPECT_THROW(next_line(f), RunStop);
    EXPECT_NE(
        f.out.str().find(" ERROR *** ReadInputLine *** Line exceeds limit of 255 characters"),
        std::string::npos);
}

TEST(WordSplitter, StarsNumbersAndLastColumn) {
    std::string line = pad("KEYGEN *XYZUIJ all 2.5 * *5 verylongword9", 60);
    const TextWords words = split_text_words(line);
    ASSERT_EQ(words.count, 6);
    EXPECT_EQ(words.at(2), "XYZUIJ  ");
    EXPECT_TRUE(words.is_starred(2));
    EXPECT_EQ(words.at(3), "ALL     ");
    EXPECT_FALSE(words.is_starred(3));
    EXPECT_EQ(words.at(4), "        ");
    EXPECT_TRUE(words.is_starred(4));
    EXPECT_EQ(words.at(5), "5       ");
    EXPECT_EQ(words.at(6), "VERYLONG");
    EXPECT_EQ(trim(line), std::string(19, ' ') + "2.5");
    // a word reaching the last column is not seen
    std::string edge = "TOLS 0.2 ABC";
    EXPECT_EQ(count_blank_ended_words(edge), 2);
    EXPECT_EQ(split_text_words(edge).count, 1);
}

// Words beyond the line's count are blank and never starred; `is` compares without trailing
// blanks, as the keyword table does.
TEST(WordSplitter, WordsBeyondTheCountAndComparisons) {
    std::string line = pad("*FORMAT shelx", 20);
    const TextWords words = split_text_words(line);
    ASSERT_EQ(words.count, 2);
    EXPECT_TRUE(words.is(1, "FORMAT"));
    EXPECT_TRUE(words.is(2, "SHELX   "));
    EXPECT_FALSE(words.is(2, "SHELXL"));
    EXPECT_FALSE(words.is(3, ""));  // no third word, not even a blank one
    EXPECT_FALSE(words.is(0, ""));
    EXPECT_EQ(words.at(3), "        ");
    EXPECT_EQ(words.at(0), "        ");
    EXPECT_TRUE(words.is_starred(1));
    EXPECT_FALSE(words.is_starred(3));
}

TEST(WordSplitter, FortyTextWords) {
    std::string line;
    for (int k = 0; k < 40; ++k) line += test::numbered("W", k) + " 1 ";
    line = pad(line, 255);
    const TextWords words = split_text_words(line);
    EXPECT_EQ(words.count, 40);
    EXPECT_EQ(words.at(40), "W39     ");
}

TEST(FindWordColumns, ColumnsAndMissingWord) {
    test::RunRecords r;
    const WordColumns c = find_word_columns(r.io, Files::listing, "  ab cde  ", 2);
    EXPECT_EQ(c.first, 6);
    EXPECT_EQ(c.last, 8);
    EXPECT_THROW(find_word_columns(r.io, Files::listing, "  ab cde  ", 3), RunStop);
}

// The stop for a missing word keeps its text and adds what its caller says is missing.
TEST(FindWordColumns, MissingWordNamedByTheCaller) {
    test::Workspace w({.errors_on_terminal = true});
    EXPECT_THROW(find_word_columns(w.r.io, Files::listing, "ATOM 6 X ", 4,
                                   ": test.db, record 3: no word 4"),
                 RunStop);
    EXPECT_EQ(w.out.str(),
              "\n ERROR *** ReadChar *** Unexpected STOP in ReadChar...: test.db, record 3: no "
              "word 4\n\n");
}

// The pieces of a split and their lengths, as the symmetry cards are split.
TEST(Split, Pieces) {
    struct Case {
        const char* line;
        char sep;
        int most;
        bool trim;
        PieceCase letters;
        std::vector<std::string> texts;  // without trailing blanks
        std::vector<int> lengths;
    } cases[] = {
        {"x, y, z", ',', 12, true, PieceCase::as_written, {"x", "y", "z"}, {1, 1, 1}},
        // an empty piece between two separators counts
        {"a,,b", ',', 12, false, PieceCase::as_written, {"a", "", "b"}, {1, 0, 1}},
        // trimmed: a run of blanks is one separator
        {"a  b", ' ', 12, true, PieceCase::as_written, {"a", "b"}, {1, 1}},
        // untrimmed, each blank separates
        {"a  b", ' ', 12, false, PieceCase::as_written, {"a", "", "b"}, {1, 0, 1}},
        {"-x;y+1/2 ;z", ';', 3, true, PieceCase::upper, {"-X", "Y+1/2", "Z"}, {2, 5, 1}},
        // at most two pieces; a separator in the last column adds no empty piece
        {"a;b;c", ';', 2, false, PieceCase::as_written, {"a", "b"}, {1, 1}},
        {"A;B;", ';', 5, false, PieceCase::lower, {"a", "b"}, {1, 1}},
    };
    for (const Case& c : cases) {
        const std::vector<Piece> p = split_pieces(c.line, c.sep, c.most, 32, c.trim, c.letters);
        ASSERT_EQ(p.size(), c.texts.size()) << c.line;
        for (std::size_t k = 0; k < p.size(); ++k) {
            EXPECT_EQ(p[k].text.size(), 32u) << c.line << k;
            EXPECT_EQ(trim(p[k].text), c.texts[k]) << c.line << k;
            EXPECT_EQ(p[k].length, c.lengths[k]) << c.line << k;
        }
    }
}

// The keyed search reads on from where the file stands, ignoring the case of the key.
TEST(KeyedSearch, FromTheReadPositionIgnoringCase) {
    Fixture f("TITL x\nsymm -x,y,z\nREM SYMM\nSYMM x,-y,z\n");
    InFile& in = f.r.io.in(test::input_channel);
    std::optional<std::string> line = search_keyed_line(in, "Sym");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->size(), line_length);
    EXPECT_EQ(trim(*line), "symm -x,y,z");
    line = search_keyed_line(in, "SYM");
    ASSERT_TRUE(line);
    EXPECT_EQ(trim(*line), "SYMM x,-y,z");
    EXPECT_FALSE(search_keyed_line(in, "SYM"));
}

TEST(Labels, DummyNamesLoseTheirFirstUm) {
    struct Case {
        const char* in;
        const char* want;
    };
    for (Case c : {Case{"DUM7", "D7        "},
                   {"DUM123", "D123      "},
                   {"  C(1)", "C(1)      "},
                   {"XUMUM", "XUM       "},
                   {"", "          "}}) {
        EXPECT_EQ(strip_um(pad(c.in, 10)), c.want) << c.in;
    }
}

TEST(Labels, CutSqueezeAndLengths) {
    std::string a = "N(3)";
    cut_at_bracket(a);
    EXPECT_EQ(a, "N         ");
    std::string b = "N(3)";
    strip_brackets(b);
    EXPECT_EQ(b, "N3        ");
    std::string c = "  H1";
    strip_brackets(c);
    EXPECT_EQ(c, "H1        ");
    EXPECT_EQ(trimmed_length("        "), 0);
    EXPECT_EQ(first_nonblank("        "), 0);
    EXPECT_EQ(first_nonblank("  x "), 3);
    test::RunRecords r;
    std::string s = " - x + 1 / 2 ";
    remove_blanks(r.io, Files::listing, s);
    EXPECT_EQ(s, "-x+1/2       ");
    std::string big(257, ' ');
    EXPECT_THROW(remove_blanks(r.io, Files::listing, big), RunStop);
}

TEST(Elements, AtomicNumber) {
    struct Case {
        const char* s;
        int z;
    } cases[] = {{"he", 2}, {"He", 2}, {"HE", 2}, {"Cl", 17}, {"C(", 6}, {"Te", 52}, {"Mt", 109},
                 {"Q ", 0}, {"  ", 0}, {"CL", 17}, {"C1", 6}, {"C ", 6}, {"HG", 80}, {"HX", 1},
                 {"IN", 49}, {"IX", 53}, {"D ", 0}, {"X1", 0}};
    for (const auto& c : cases) EXPECT_EQ(atomic_number(c.s), c.z) << c.s;
    test::RunRecords r;
    EXPECT_EQ(r.elements.symbol[52], "Te");
    EXPECT_EQ(r.elements.symbol[1], "H ");
    EXPECT_EQ(r.elements.covalent_radius[6], 0.77f);
    EXPECT_EQ(r.elements.covalent_radius[1], 0.40f);
}

}  // namespace
}  // namespace kova
