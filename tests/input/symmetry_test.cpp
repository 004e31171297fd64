// Symmetry cards, operator texts, lattice centring, inversion partners and the listings.
#include "input/symmetry.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "input/session.hpp"
#include "input/shelx_atoms.hpp"
#include "shared/errors.hpp"
#include "shared/format.hpp"

namespace kova {
namespace {

// An operator in the order of the numeric card: t1 r11 r12 r13 t2 r21 r22 r23 t3 r31 r32 r33,
// component k = t_k + r_k1 x + r_k2 y + r_k3 z.
using Op = std::array<float, 12>;

Op stored(const Records& r, int n) {
    Op o{};
    for (int k = 0; k < 3; ++k) {
        o[4 * k] = r.structure.symmetry.translation[n][k];
        for (int j = 0; j < 3; ++j) o[4 * k + 1 + j] = r.structure.symmetry.rotation[n][j][k];
    }
    return o;
}

// The routines on a session's records: its listing, its verbosity and its operator table.
SymmCardReading parse_card(test::Session& s, std::string_view card) {
    return parse_symm_card(s.r.io, Files::listing, pad(card, 255), 255, s.r.structure.symmetry);
}
void read_cards(test::Session& s, int unit) {
    read_symmetry(s.r.io, Files::listing, unit, s.r.structure.symmetry);
}
void centre(test::Session& s, char lattice) {
    add_lattice_centring(s.r.io, Files::listing, s.r.options.verbosity, lattice,
                         s.r.structure.symmetry);
}
void add_partners(test::Session& s) {
    add_inversion_partners(s.r.io, Files::listing, s.r.structure.symmetry);
}

void store(Records& r, int n, const Op& o) {
    for (int k = 0; k < 3; ++k) {
        r.structure.symmetry.translation[n][k] = o[4 * k];
        for (int j = 0; j < 3; ++j) r.structure.symmetry.rotation[n][j][k] = o[4 * k + 1 + j];
    }
}

const Op identity{0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void start_list(Records& r) {
    r.structure.symmetry.count = 1;
    store(r, 1, identity);
}

TEST(ParseSymmCard, CardForms) {
    struct Case {
        const char* card;
        std::vector<Op> ops;
        SymmCardStatus status;
        const char* listed;  // the illegal-operator line, or nullptr
    };
    using enum SymmCardStatus;
    const float h = 0.5f;
    const Case cases[] = {
        {"SYMM X, Y, Z", {}, read, nullptr},
        {"SYMM -X,-Y,-Z; X,1/2-Y,1/2+Z",
         {{0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1}, {0, 1, 0, 0, h, 0, -1, 0, h, 0, 0, 1}},
         read,
         nullptr},
        {"SYMM 0.5 -1 0 0 0 0 1 0 0.5 0 0 -1",
         {{h, -1, 0, 0, 0, 0, 1, 0, h, 0, 0, -1}},
         read,
         nullptr},
        // "SYM" alone, lower case, blank-separated components
        {"sym -x -y+1/6 z+5/6",
         {{0, -1, 0, 0, 1.0f / 6, 0, -1, 0, 5.0f / 6, 0, 0, 1}},
         read,
         nullptr},
        {"SYMM X-Y, X, Z+1/3", {{0, 1, -1, 0, 0, 1, 0, 0, 1.0f / 3, 0, 0, 1}}, read, nullptr},
        // "-1/2+X": the signed term goes first and leaves "-1/2"; blanks inside are squeezed
        {"SYMM -1/2+X, Y+0.25, 2/3 - Z",
         {{-h, 1, 0, 0, 0.25f, 0, 1, 0, 2.0f / 3, 0, 0, -1}},
         read,
         nullptr},
        {"SYMM -X,Y,-Z; -X,Y,-Z",
         {{0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1}, {0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1}},
         read,
         nullptr},
        {"SYMM X, Y", {}, illegal_operator, " * * * Symmetry card no.  2 illegal * * *"},
        // the operators before the illegal one stay, those after it are not read
        {"SYMM -X,-Y,-Z; X,Y; -X,Y,-Z",
         {{0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1}},
         illegal_operator,
         " * * * Symmetry card no.  3 illegal * * *"},
        {"SYMM 0.5 -1 0 0 0 0 1 0 0.5 0 0 Q",
         {},
         illegal_operator,
         " * * * Symmetry card no.  2 illegal * * *"},
        // fractions of several digits: 1/12 and 11/12, not 1/2
        {"SYMM -X, -Y, Z+1/12; X, Y+11/12, Z",
         {{0, -1, 0, 0, 0, 0, -1, 0, 1.0f / 12, 0, 0, 1},
          {0, 1, 0, 0, 11.0f / 12, 0, 1, 0, 0, 0, 0, 1}},
         read,
         nullptr},
        // a translation that reads as no value: refused, with no listing line; the operators
        // before it stay, the refused one and those after it are not stored
        {"SYMM -X,-Y,-Z; X,Y,Z+1/0; -X,Y,-Z",
         {{0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1}},
         inexact_translation,
         nullptr},
    };
    for (const Case& c : cases) {
        test::Session s;
        start_list(s.r);
        const SymmCardStatus status = parse_card(s, c.card).status;
        EXPECT_EQ(status, c.status) << c.card;
        ASSERT_EQ(s.r.structure.symmetry.count, 1 + static_cast<int>(c.ops.size())) << c.card;
        EXPECT_EQ(stored(s.r, 1), identity) << c.card;
        for (std::size_t k = 0; k < c.ops.size(); ++k)
            EXPECT_EQ(stored(s.r, 2 + static_cast<int>(k)), c.ops[k]) << c.card << " op " << k;
        auto lines = s.listing();
        if (c.listed) {
            ASSERT_EQ(lines.size(), 1u) << c.card;
            EXPECT_EQ(lines[0], c.listed);
        } else {
            EXPECT_TRUE(lines.empty()) << c.card;
        }
    }
}

TEST(ParseSymmComponent, FractionsAndNumbers) {
    struct Case {
        const char* comp;
        float trn, cx, cy, cz;
        bool reads = true;
    };
    const Case cases[] = {
        {"-X+1/2", 0.5f, -1, 0, 0}, {"X-Y", 0.0f, 1, -1, 0},
        {"1/6+Y", 0.16666667f, 0, 1, 0}, {"5/6-Z", 0.8333333f, 0, 0, -1},
        {"+1/2", 0.5f, 0, 0, 0},    {"0.5", 0.5f, 0, 0, 0},
        {"-1/2", -0.5f, 0, 0, 0},   {"Z+0.25", 0.25f, 0, 0, 1},
        {" - Y + 1 / 2 ", 0.5f, 0, -1, 0},
        // numerators and denominators of any length, decimals of any length
        {"Z+1/12", 0.083333333f, 0, 0, 1}, {"Y+11/12", 0.91666667f, 0, 1, 0},
        {"-7/24-X", -0.29166667f, -1, 0, 0}, {"Z+0.0833333", 0.0833333f, 0, 0, 1},
        {"X+10/20", 0.5f, 1, 0, 0},
        // what reads as no exact value is refused: letters, a zero denominator, two slashes,
        // a sum, a signed denominator
        {"+X+A", 0.0f, 1, 0, 0, false},       {"Z+1/0", 0.0f, 0, 0, 1, false},
        {"Z+1/2/3", 0.0f, 0, 0, 1, false},    {"Z+1/2+1/4", 0.0f, 0, 0, 1, false},
        {"Z+1/-2", 0.0f, 0, 0, 1, false},     {"Y+/2", 0.0f, 0, 1, 0, false},
    };
    test::Session s;
    for (const Case& c : cases) {
        std::string comp = pad(c.comp, 32);
        const SymmComponent got = parse_symm_component(s.r.io, Files::listing, comp, 32);
        EXPECT_EQ(got.trn.has_value(), c.reads) << c.comp;
        if (c.reads && got.trn) {
            EXPECT_NEAR(*got.trn, c.trn, 1e-7f) << c.comp;
        }
        EXPECT_EQ(got.coef[0], c.cx) << c.comp;
        EXPECT_EQ(got.coef[1], c.cy) << c.comp;
        EXPECT_EQ(got.coef[2], c.cz) << c.comp;
    }
}

TEST(AppendOperatorText, ComponentTexts) {
    struct Case {
        float cx, cy, cz, trn;
        const char* text;
    };
    const Case cases[] = {
        {-1, 0, 0, 0.0f, " - X"},
        {1, 0, 0, 0.5f, " 1/2 + X"},
        {0, -1, 0, -0.5f, "-1/2 - Y"},
        {0, 0, 1, -0.25f, "-1/4 + Z"},
        {1, -1, 0, 1.0f / 6, " 1/6 + X - Y"},
        {0, 0, -1, 5.0f / 6, " 5/6 - Z"},
        {0, 0, 1, 2.0f / 3, " 2/3 + Z"},
        {1, 0, 0, 1.0f / 12, " 1/12 + X"},
        {0, 0, 0, 0.75f, " 3/4"},
        // below 1/24 the twelfths round to 0; a whole cell shows as 2/2
        {1, 0, 0, 0.01f, " 0/2 + X"},
        {1, 0, 0, 1.0f, " 2/2 + X"},
        {2, 0, 0, 0.0f, " + 2.0X"},
        {0, -0.5f, 0, 0.0f, " - 0.5Y"},
    };
    for (const Case& c : cases) {
        std::string line = "ab";
        int pos = 2;
        const float coef[3] = {c.cx, c.cy, c.cz};
        append_operator_text(line, pos, coef, c.trn);
        EXPECT_EQ(line.substr(0, static_cast<std::size_t>(pos)), std::string("ab") + c.text);
    }
}

TEST(ReadSymmetry, ReadsEveryCardAndListsTheOperators) {
    test::Session s;
    s.dir.write("t.res",
                "TITL symm test\n"
                "CELL 0.71073 5 6 7 90 100 90\n"
                "SYMM -X, 1/2+Y, 1/2-Z\n"
                "symm x,y,z\n"
                "REM SYMM lines are found only at the start of a record\n"
                "SYMM 0.5 -1 0 0 0 0 1 0 0.5 0 0 -1\n"
                "SFAC C\n");
    s.r.io.open_old(Files::shelx_input, "t.res");
    std::string first;
    s.r.io.in(Files::shelx_input).read(first);  // read_symmetry rewinds whatever was read
    read_cards(s, Files::shelx_input);
    EXPECT_EQ(s.r.structure.symmetry.count, 3);
    EXPECT_TRUE(s.r.io.in(Files::shelx_input).at_end());
    auto lines = s.listing();
    const std::vector<std::string> want = {
        "   SYMM  1      + X, + Y, + Z",
        "   SYMM  2      - X, 1/2 + Y, 1/2 - Z",
        "   SYMM  3      1/2 - X, + Y, 1/2 - Z",
    };
    EXPECT_EQ(lines, want);
}

TEST(ReadSymmetry, CommentEndsTheCard) {
    // The text from "!" on is no part of the operators: "1/2-Z ! see 1/4" is 1/2 - Z, and the
    // fraction rule must not take the digits of the comment (it would give 1/4).
    test::Session s;
    s.dir.write("t.res",
                "TITL comments\n"
                "SYMM -X, Y, 1/2-Z ! see 1/4\n"
                "SYMM X, -Y, Z; -X, -Y, -Z !; 1/2+X, Y, Z\n");
    s.r.io.open_old(Files::shelx_input, "t.res");
    read_cards(s, Files::shelx_input);
    ASSERT_EQ(s.r.structure.symmetry.count, 4);
    EXPECT_EQ(stored(s.r, 2), (Op{0, -1, 0, 0, 0, 0, 1, 0, 0.5f, 0, 0, -1}));
    EXPECT_EQ(stored(s.r, 3), (Op{0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(stored(s.r, 4), (Op{0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1}));
    const std::vector<std::string> want = {
        "   SYMM  1      + X, + Y, + Z",
        "   SYMM  2      - X, + Y, 1/2 - Z",
        "   SYMM  3      + X, - Y, + Z",
        "   SYMM  4      - X, - Y, - Z",
    };
    EXPECT_EQ(s.listing(), want);
}

TEST(ReadSymmetry, TranslationThatDoesNotReadEndsTheRun) {
    // Any value made of "1/0" would be another operator than the card's: a run-time error
    // that names the file, the record and the card as written.
    test::Session s;
    s.dir.write("t.res",
                "TITL bad\n"
                "SYMM -X, 1/2+Y, 1/2-Z\n"
                "SYMM -X, -Y, Z+1/0 ! a typing slip\n");
    s.r.io.open_old(Files::shelx_input, "t.res");
    try {
        read_cards(s, Files::shelx_input);
        ADD_FAILURE() << "no run-time error";
    } catch (const RunFault& f) {
        EXPECT_STREQ(f.what(),
                     "t.res, record 3: expected a translation that reads exactly (a number or a "
                     "fraction such as 1/12), found \"+1/0\" in the card \"SYMM -X, -Y, Z+1/0 ! "
                     "a typing slip\"");
    }
}

TEST(ReadSymmetry, NoCardsLeavesTheIdentity) {
    test::Session s;
    s.dir.write("t.res", "TITL none\nCELL 0.71 5 5 5 90 90 90\n");
    s.r.io.open_old(Files::shelx_input, "t.res");
    s.r.structure.symmetry.count = 7;  // an earlier list is replaced
    read_cards(s, Files::shelx_input);
    EXPECT_EQ(s.r.structure.symmetry.count, 1);
    EXPECT_EQ(stored(s.r, 1), identity);
    EXPECT_EQ(s.listing(), std::vector<std::string>{"   SYMM  1      + X, + Y, + Z"});
}

TEST(AddLatticeCentring, CentringThenInversion) {
    test::Session s;
    start_list(s.r);
    parse_card(s, "SYMM -X,Y,-Z; -X,-Y,-Z; X,-Y,Z");
    ASSERT_EQ(s.r.structure.symmetry.count, 4);
    std::vector<Op> first;
    for (int n = 1; n <= 4; ++n) first.push_back(stored(s.r, n));

    centre(s, 'C');
    ASSERT_EQ(s.r.structure.symmetry.count, 8);
    for (int n = 1; n <= 4; ++n) {
        Op want = first[n - 1];
        want[0] += 0.5f;
        want[4] += 0.5f;
        EXPECT_EQ(stored(s.r, n + 4), want) << n;
    }
    add_partners(s);
    ASSERT_EQ(s.r.structure.symmetry.count, 16);
    for (int n = 1; n <= 8; ++n) {
        Op want = stored(s.r, n);
        for (int k = 0; k < 3; ++k)
            for (int j = 1; j <= 3; ++j) want[4 * k + j] = -want[4 * k + j];
        EXPECT_EQ(stored(s.r, n + 8), want) << n;
    }

    auto lines = s.listing();
    ASSERT_GE(lines.size(), 10u);
    const std::vector<std::string> head = {
        "",
        " Non-Primitive lattice...",
        " Lattice centring type is [ C ]",
        " Number of lattice points per cell = 2",
        "",
        " Symmetry operations after applying the lattice centering:",
        "",
        " Number of symmetry operations =    8",
        "",
        " Symmetry operations with Center of Symmetry applied:   16",
    };
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 10), head);
    // 16 blocks of a blank line, the number and three matrix lines, whatever the VERBOSE
    ASSERT_EQ(lines.size(), 10u + 16u * 5u);
    EXPECT_EQ(lines[10], "");
    EXPECT_EQ(lines[11], " SYMM    1");
    EXPECT_EQ(lines[12], "    1.000000    0.000000    0.000000         0.000000");
}

TEST(AddLatticeCentring, FaceCentringOrder) {
    test::Session s;
    start_list(s.r);
    s.r.structure.symmetry.count = 2;
    store(s.r, 2, Op{0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1});
    centre(s, 'F');
    ASSERT_EQ(s.r.structure.symmetry.count, 8);
    // copies for (1/2,1/2,0), then (0,1/2,1/2), then (1/2,0,1/2), each over operators 1, 2
    const float t[8][3] = {{0, 0, 0},     {0, 0, 0},     {.5f, .5f, 0}, {.5f, .5f, 0},
                           {0, .5f, .5f}, {0, .5f, .5f}, {.5f, 0, .5f}, {.5f, 0, .5f}};
    for (int n = 1; n <= 8; ++n) {
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(s.r.structure.symmetry.translation[n][k], t[n - 1][k]) << n << k;
        EXPECT_EQ(s.r.structure.symmetry.rotation[n][0][0], n % 2 ? 1.0f : -1.0f) << n;
    }
    auto lines = s.listing();
    EXPECT_EQ(lines[3], " Number of lattice points per cell = 4");
}

TEST(AddLatticeCentring, FoldsEveryTranslation) {
    test::Session s;
    start_list(s.r);
    parse_card(s, "SYMM X+1, -Y, Z");
    ASSERT_EQ(s.r.structure.symmetry.count, 2);  // x + 1 is not the identity
    centre(s, 'I');
    ASSERT_EQ(s.r.structure.symmetry.count, 4);
    EXPECT_EQ(s.r.structure.symmetry.translation[2], (Vec3f{0, 0, 0}));
    EXPECT_EQ(s.r.structure.symmetry.translation[4], (Vec3f{0.5f, 0.5f, 0.5f}));  // 1.5 -> 0.5

    s.r.structure.symmetry.translation[3] = Vec3f{-1.5f, -1.0f, 0.999f};
    fold_translations(s.r.structure.symmetry, s.r.structure.symmetry.count);
    EXPECT_EQ(s.r.structure.symmetry.translation[3],
              (Vec3f{-0.5f, 0.0f, 0.999f}));  // the sign stays
}

TEST(AddLatticeCentring, UnsupportedLetterStops) {
    for (char latt : {'P', 'R', 'c'}) {
        test::Session s;
        start_list(s.r);
        EXPECT_THROW(centre(s, latt), RunStop);
        EXPECT_EQ(s.terminal(), std::vector<std::string>{std::string("  Lattice type ") + latt +
                                                          " is not supported"});
        EXPECT_EQ(s.r.structure.symmetry.count, 1);
    }
}

TEST(AddInversionPartners, PartnerKeepsTheTranslation) {
    test::Session s;
    start_list(s.r);
    s.r.structure.symmetry.count = 2;
    store(s.r, 2, Op{0, -1, 0, 0, 0.5f, 0, 1, 0, 0.5f, 0, 0, -1});  // -x, y+1/2, -z+1/2
    add_partners(s);
    ASSERT_EQ(s.r.structure.symmetry.count, 4);
    EXPECT_EQ(stored(s.r, 3), (Op{0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1}));
    EXPECT_EQ(stored(s.r, 4), (Op{0, 1, 0, 0, 0.5f, 0, -1, 0, 0.5f, 0, 0, 1}));  // x, -y+1/2, z+1/2
    auto lines = s.listing();
    ASSERT_EQ(lines.size(), 2u + 4u * 5u);
    EXPECT_EQ(lines[1], " Symmetry operations with Center of Symmetry applied:    4");
    // operator 4: its stored rows are the negated rows of operator 2, so the zeros carry a
    // minus sign (negative zero, as the F12.6 field writes it)
    EXPECT_EQ(lines[17], "");
    EXPECT_EQ(lines[18], " SYMM    4");
    EXPECT_EQ(lines[19], "    1.000000   -0.000000   -0.000000         0.000000");
    EXPECT_EQ(lines[20], "   -0.000000   -1.000000   -0.000000         0.500000");
    EXPECT_EQ(lines[21], "   -0.000000   -0.000000    1.000000         0.500000");
}

TEST(ListSymmetryOperators, MatricesOnlyAtVerbose2) {
    for (int verb : {1, 2}) {
        test::Session s;
        s.r.options.verbosity = verb;
        start_list(s.r);
        s.r.structure.symmetry.count = 2;
        // component 1 = y + 1/4: coefficient of y (j = 2) in component 1 sits in stored row 2
        store(s.r, 2, Op{0.25f, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, -1});
        list_symmetry_operators(s.r.io, Files::listing, s.r.options.verbosity,
                                s.r.structure.symmetry);
        auto lines = s.listing();
        std::vector<std::string> want = {"", " Number of symmetry operations =    2"};
        if (verb == 2) {
            for (const char* l :
                 {"", " SYMM  1", "    1.000000    0.000000    0.000000         0.000000",
                  "    0.000000    1.000000    0.000000         0.000000",
                  "    0.000000    0.000000    1.000000         0.000000", "", " SYMM  2",
                  "    0.000000    1.000000    0.000000         0.250000",
                  "    1.000000    0.000000    0.000000         0.000000",
                  "    0.000000    0.000000   -1.000000         0.000000"})
                want.push_back(l);
        }
        EXPECT_EQ(lines, want) << verb;
    }
}

// Room for 192 operators: a full F-centred cubic set fits, one more stops the run.
TEST(SymmetryTable, StopsBeyondItsCapacity) {
    {
        test::Session s;
        start_list(s.r);
        s.r.structure.symmetry.count = 48;
        centre(s, 'F');
        EXPECT_EQ(s.r.structure.symmetry.count, 192);
        EXPECT_THROW(add_partners(s), RunStop);
        EXPECT_EQ(s.r.structure.symmetry.count, 192);
        auto t = s.terminal();
        ASSERT_EQ(t.size(), 3u);
        EXPECT_EQ(t[1], " ERROR *** AddCentSymm *** Too many symmetry operators: 384 needed, "
                        "room for 192");
    }
    {
        test::Session s;
        start_list(s.r);
        s.r.structure.symmetry.count = 191;
        // the identity is dropped before it needs room
        parse_card(s, "SYMM -X,-Y,-Z; X,Y,Z");
        EXPECT_EQ(s.r.structure.symmetry.count, 192);
        EXPECT_THROW(parse_card(s, "SYMM X,Y,Z; -X,Y,Z"), RunStop);
        EXPECT_EQ(s.r.structure.symmetry.count, 192);
    }
}

}  // namespace
}  // namespace kova

namespace kova {
namespace {

// Real SHELX files: their cards, with the centring and inversion the SHELX reader adds, must
// give a closed group of distinct operators (translations compared modulo whole cells).
bool same_op(const Records& r, int a, const Mat3f& rot, const Vec3f& trn) {
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            if (r.structure.symmetry.rotation[a][j][k] != rot[j][k]) return false;
    for (int k = 0; k < 3; ++k) {
        float d = r.structure.symmetry.translation[a][k] - trn[k];
        if (std::fabs(d - std::round(d)) > 1e-4f) return false;
    }
    return true;
}

struct GroupCase {
    const char* file;
    int cards;  // operators read, the identity included
    char latt;
    bool centro;
    int total;
};

void expect_closed_group(const GroupCase& c) {
    test::Session s;
    ASSERT_TRUE(s.r.io.try_open_old(Files::shelx_input, test::real_structure(c.file).string()))
        << c.file;
    read_cards(s, Files::shelx_input);
    ASSERT_EQ(s.r.structure.symmetry.count, c.cards) << c.file;
    if (c.latt != 'P') centre(s, c.latt);
    if (c.centro) add_partners(s);
    const int n = s.r.structure.symmetry.count;
    ASSERT_EQ(n, c.total) << c.file;
    for (int a = 1; a <= n; ++a) {
        for (int b = 1; b < a; ++b)
            EXPECT_FALSE(same_op(s.r, b, s.r.structure.symmetry.rotation[a],
                                 s.r.structure.symmetry.translation[a]))
                << c.file << " " << a << " repeats " << b;
        for (int b = 1; b <= n; ++b) {
            // a after b: x -> Ra (Rb x + tb) + ta, in the stored (transposed) layout
            Mat3f rot{};
            Vec3f trn{};
            for (int k = 0; k < 3; ++k) {
                trn[k] = s.r.structure.symmetry.translation[a][k];
                for (int m = 0; m < 3; ++m)
                    trn[k] += s.r.structure.symmetry.rotation[a][m][k] *
                              s.r.structure.symmetry.translation[b][m];
                for (int j = 0; j < 3; ++j)
                    for (int m = 0; m < 3; ++m)
                        rot[j][k] += s.r.structure.symmetry.rotation[b][j][m] *
                                     s.r.structure.symmetry.rotation[a][m][k];
            }
            bool found = false;
            for (int m = 1; m <= n && !found; ++m) found = same_op(s.r, m, rot, trn);
            EXPECT_TRUE(found) << c.file << ": " << a << " after " << b;
            if (!found) break;
        }
    }
}

TEST(ReadSymmetry, RealFilesGiveClosedGroups) {
    for (const GroupCase& c : {GroupCase{"shx-nacl-fm3m/NaCl.res", 24, 'F', true, 192},
                               GroupCase{"shx-i43d-ni/I-43d.res", 24, 'I', false, 48}})
        expect_closed_group(c);
}

// The same on the files that only the shared structures hold.
TEST(ReadSymmetry, SharedOnlyFilesGiveClosedGroups) {
    const GroupCase cases[] = {
        {"shx-l-alanine-23k/iam.res", 4, 'P', false, 4},
        {"shx-c2m-fecl/dom1_mC.res", 2, 'C', true, 8},
    };
    for (const GroupCase& c : cases)
        if (test::real_structure(c.file).empty()) GTEST_SKIP() << test::absent_structure(c.file);
    for (const GroupCase& c : cases) expect_closed_group(c);
}

}  // namespace
}  // namespace kova
