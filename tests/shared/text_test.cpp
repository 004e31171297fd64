#include "shared/text.hpp"

#include <gtest/gtest.h>

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

// A records object whose channel 23 reads the given records.
struct Fixture {
    test::TempDir dir;
    std::istringstream in;
    std::unique_ptr<std::ostringstream> out = std::make_unique<std::ostringstream>();
    Records r;
    explicit Fixture(const std::string& text) {
        dir.write("in.txt", text);
        r.io.bind(dir.path(), &in, out.get(), out.get());
        r.io.open_old(23, "in.txt");
    }
};

TEST(LogicalLines, ContinuationCommentsAndEnd) {
    Fixture f("! comment\n\nTOLS 0.3 \\\n! inside\n\n0.1 0.1\n  ! note\nLAST \\\n");
    std::string line;
    ASSERT_TRUE(read_logical_line(f.r, 23, line));
    EXPECT_EQ(line.size(), line_length);
    EXPECT_EQ(trim(line), "TOLS 0.3 \\ 0.1 0.1");
    split_text_words(f.r, line);
    EXPECT_EQ(f.r.line_words.count, 2);
    EXPECT_EQ(f.r.line_words.word[1], "TOLS    ");
    EXPECT_EQ(f.r.line_words.word[2], "\\       ");
    ASSERT_TRUE(read_logical_line(f.r, 23, line));
    split_text_words(f.r, line);
    EXPECT_EQ(f.r.line_words.count, 2);
    EXPECT_EQ(f.r.line_words.word[1], "!       ");
    EXPECT_EQ(f.r.line_words.word[2], "NOTE    ");
    EXPECT_FALSE(read_logical_line(f.r, 23, line));  // the continued LAST is lost
}

// kova.inp is written by hand: a TAB separates its words as a blank does, also before a
// continuation mark and in a record of TABs only (skipped as a blank record). The number of
// a line's first record is given for its messages.
TEST(LogicalLines, TabsAreBlanksAndTheFirstRecordIsKnown) {
    Fixture f("FORMAT\t*shelx\n\t\t\nTOLS\t0.3\t\\\t\n! c\n0.1\t0.1\nNCELLS 1\n");
    std::string line;
    int first = 0;
    ASSERT_TRUE(read_logical_line(f.r, 23, line, &first));
    EXPECT_EQ(trim(line), "FORMAT *shelx");
    EXPECT_EQ(first, 1);
    ASSERT_TRUE(read_logical_line(f.r, 23, line, &first));
    // "TOLS 0.3 \" then the continuation after one blank
    EXPECT_EQ(trim(line), "TOLS 0.3 \\ 0.1 0.1");
    EXPECT_EQ(first, 3);  // record 2 (TABs only) skipped; the line ends at record 5
    EXPECT_EQ(f.r.io.in(23).recno(), 5);
    split_text_words(f.r, line);
    EXPECT_EQ(f.r.line_words.count, 2);
    EXPECT_EQ(f.r.line_words.word[1], "TOLS    ");
    ASSERT_TRUE(read_logical_line(f.r, 23, line));  // no place given: none written
    EXPECT_EQ(trim(line), "NCELLS 1");
    EXPECT_FALSE(read_logical_line(f.r, 23, line, &first));
    EXPECT_EQ(first, 3);  // at the end of the file it keeps the last line's
}

TEST(LogicalLines, LongRecordsAndTheLimit) {
    std::string longrec = std::string(300, 'A');
    Fixture f(longrec + "\n" + std::string(254, 'B') + "\\\nX\n");
    std::string line;
    ASSERT_TRUE(read_logical_line(f.r, 23, line));
    EXPECT_EQ(line, std::string(255, 'A'));
    // a backslash in column 255 does not fit
    f.r.files.listing = 35;
    EXPECT_THROW(read_logical_line(f.r, 23, line), RunStop);
    EXPECT_NE(
        f.out->str().find(" ERROR *** ReadInputLine *** Line exceeds limit of 255 characters"),
        std::string::npos);
}

TEST(WordSplitter, StarsNumbersAndLastColumn) {
    Records r;
    std::string line = pad("KEYGEN *XYZUIJ all 2.5 * *5 verylongword9", 60);
    split_text_words(r, line);
    const auto& le = r.line_words;
    ASSERT_EQ(le.count, 6);
    EXPECT_EQ(le.word[2], "XYZUIJ  ");
    EXPECT_EQ(le.starred[2], 1);
    EXPECT_EQ(le.word[3], "ALL     ");
    EXPECT_EQ(le.starred[3], 0);
    EXPECT_EQ(le.word[4], "        ");
    EXPECT_EQ(le.starred[4], 1);
    EXPECT_EQ(le.word[5], "5       ");
    EXPECT_EQ(le.word[6], "VERYLONG");
    EXPECT_EQ(trim(line), std::string(19, ' ') + "2.5");
    // a word reaching the last column is not seen
    std::string edge = "TOLS 0.2 ABC";
    EXPECT_EQ(count_blank_ended_words(edge), 2);
    split_text_words(r, edge);
    EXPECT_EQ(r.line_words.count, 1);
}

TEST(WordSplitter, FortyTextWords) {
    Records r;
    std::string line;
    for (int k = 0; k < 40; ++k) line += test::numbered("W", k) + " 1 ";
    line = pad(line, 255);
    split_text_words(r, line);
    EXPECT_EQ(r.line_words.count, 40);
    EXPECT_EQ(r.line_words.word[40], "W39     ");
}

TEST(FindWordColumns, ColumnsAndMissingWord) {
    Records r;
    const WordColumns c = find_word_columns(r, "  ab cde  ", 2);
    EXPECT_EQ(c.first, 6);
    EXPECT_EQ(c.last, 8);
    EXPECT_THROW(find_word_columns(r, "  ab cde  ", 3), RunStop);
}

// The stop for a missing word keeps its text and adds what its caller says is missing.
TEST(FindWordColumns, MissingWordNamedByTheCaller) {
    test::TempDir dir;
    std::istringstream in;
    std::ostringstream out;
    Records r;
    r.io.bind(dir.path(), &in, &out, &out);
    EXPECT_THROW(find_word_columns(r, "ATOM 6 X ", 4, ": test.db, record 3: no word 4"), RunStop);
    EXPECT_EQ(out.str(),
              "\n ERROR *** ReadChar *** Unexpected STOP in ReadChar...: test.db, record 3: no "
              "word 4\n\n");
}

TEST(ReadSplitRecord, SkipsBangRecordsKeepsBlankOnes) {
    Fixture f("! skipped\n\nc(1) sp2 1.5\n");
    std::string line(40, ' ');
    read_split_record(f.r, 23, line);
    EXPECT_EQ(f.r.line_words.count, 0);
    read_split_record(f.r, 23, line);
    EXPECT_EQ(f.r.line_words.count, 2);
    EXPECT_EQ(f.r.line_words.word[1], "C(1)    ");
    f.r.files.listing = 35;
    EXPECT_THROW(read_split_record(f.r, 23, line), RunStop);
    EXPECT_NE(f.out->str().find(" ERROR *** ReadFile ***  Error reading unit =           23"),
              std::string::npos);
}

TEST(Split, Pieces) {
    std::vector<std::string> p;
    std::vector<int> l;
    int n = 12;
    split_pieces("x, y, z", ',', n, p, l, 32, 1);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(trim(p[1]), "x");
    EXPECT_EQ(trim(p[3]), "z");
    EXPECT_EQ(l[2], 1);
    n = 12;
    split_pieces("a,,b", ',', n, p, l, 32, 0);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(l[2], 0);
    EXPECT_EQ(trim(p[3]), "b");
    n = 12;
    split_pieces("a  b", ' ', n, p, l, 32, 1);
    EXPECT_EQ(n, 2);
    n = 3;
    split_pieces("-x;y+1/2 ;z", ';', n, p, l, 80, 3);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(trim(p[1]), "-X");
    EXPECT_EQ(trim(p[2]), "Y+1/2");
    EXPECT_EQ(l[2], 5);
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
    Records r;
    std::string s = " - x + 1 / 2 ";
    remove_blanks(r, s);
    EXPECT_EQ(s, "-x+1/2       ");
    std::string big(257, ' ');
    r.files.listing = 35;
    EXPECT_THROW(remove_blanks(r, big), RunStop);
}

TEST(Elements, AtomicNumber) {
    struct Case {
        const char* s;
        int z;
    } cases[] = {{"he", 2}, {"He", 2}, {"HE", 2}, {"Cl", 17}, {"C(", 6}, {"Te", 52}, {"Mt", 109},
                 {"Q ", 0}, {"  ", 0}, {"CL", 17}, {"C1", 6}, {"C ", 6}, {"HG", 80}, {"HX", 1},
                 {"IN", 49}, {"IX", 53}, {"D ", 0}, {"X1", 0}};
    for (const auto& c : cases) EXPECT_EQ(atomic_number(c.s), c.z) << c.s;
    Records r;
    EXPECT_EQ(r.elements.symbol[52], "Te");
    EXPECT_EQ(r.elements.symbol[1], "H ");
    EXPECT_EQ(r.elements.covalent_radius[6], 0.77f);
    EXPECT_EQ(r.elements.covalent_radius[1], 0.40f);
}

}  // namespace
}  // namespace kova
