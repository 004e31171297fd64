// Databank matching on atoms filled in by hand: which entry wins, the group rules, the
// defaults, the record stream of an entry and the listing of a search.
#include "databank/databank.hpp"

#include <algorithm>

#include <gtest/gtest.h>

#include "databank/databank_file.hpp"
#include "databank/databank_match.hpp"
#include "shared/fatal.hpp"
#include "shared/errors.hpp"
#include "support.hpp"
#include "topology/neighbours.hpp"

namespace kova {
namespace {

const std::string kTestDb = std::string(KOVA_TEST_DATA) + "/databank/kova_test.db";

struct Type {
    int z, count;
};

// One atom searched against a databank: the atom's neighbour types and planar situation are
// given by hand.
struct Search : test::Workspace {
    NeighbourList neighbours;
    PlanarSituation planar;
    HydrogenParent parent_data;  // as the frame of a hydrogen atom carries it
    PseudoAtom found;            // what the search gave
    Databank bank;               // the databank taken in, with the answers of its searches

    // `db`: a file name, or the text of a databank written for the test.
    explicit Search(const std::string& db, bool text = false, int verbose = 1)
        : Workspace({.listing = true}) {
        r.options.verbosity = verbose;
        if (text) dir.write("test.db", db);
        r.options.databank_file = text ? "test.db" : db;
        bank = open_databank(r.io, r);
        r.ensure_atoms(1);
        r.structure.atom_count = 1;
    }
    // The atom: element, label, site symmetry, neighbour types (ascending Z), ring code and
    // size, group planarity, functional group ("" none).
    void atom(int z, const std::string& label, const std::string& sym, std::vector<Type> types,
              bool planar_group, const std::string& group = "", int planar_rings = 0,
              int ring_size = 0) {
        r.structure.atomic_number[1] = z;
        r.structure.label[1] = label;
        r.structure.site_symmetry[1] = sym;
        neighbours.type_count = static_cast<int>(types.size());
        neighbours.count = 0;
        neighbours.type_atomic_number.assign(types.size() + 1, 0);
        neighbours.type_size.assign(types.size() + 1, 0);
        for (std::size_t t = 0; t < types.size(); ++t) {
            neighbours.type_atomic_number[t + 1] = types[t].z;
            neighbours.type_size[t + 1] = types[t].count;
            neighbours.count += types[t].count;
        }
        planar.group = planar_group;
        planar.rings = planar_rings;
        planar.ring_size = ring_size;
        r.frames.group_found[1] = group.empty() ? 0 : 1;
        r.frames.group_name[1] = group;
    }
    void parent(int atomic_number, int neighbours, int hydrogens) {
        parent_data = {.neighbours = neighbours, .atomic_number = atomic_number,
                       .hydrogens = hydrogens};
    }
    // Runs the search; "" when it ends normally, else "stop" or the fault text.
    std::string match() {
        test::Ending end;
        end.run_to_end([&] {
            found = match_databank_entry(r.io, bank,
                                         databank_query(r, 1, neighbours, planar, parent_data),
                                         r.databank);
        });
        return end.text();
    }
    std::vector<std::string> listing() { return file("kova.out"); }
    // The description between the brackets of the comment line, "" without a match.
    std::string comment() {
        for (const auto& l : listing())
            if (l.rfind(" DB comment for ", 0) == 0)
                return l.substr(l.find('[') + 1, l.size() - l.find('[') - 2);
        return "";
    }
    float plm(int l, int m) const { return found.plm[l][m + 4]; }
};

TEST(AssignFromDatabank, FreeAtomValencePopulation) {
    struct Case {
        int z;
        float pv;
    } cases[] = {{-1, -1}, {0, 0},  {1, 1},   {2, 2},  {3, 1},   {6, 4},  {7, 5},  {8, 6},
                 {10, 8},  {11, 1}, {16, 6},  {17, 7}, {18, 8},  {19, 1}, {26, 8}, {35, 17},
                 {36, 18}, {37, 1}, {54, 18}, {55, 1}, {86, 32}, {87, 1}, {92, 6}};
    for (const auto& c : cases)
        EXPECT_EQ(free_atom_valence(c.z), c.pv) << c.z;
}

TEST(AssignFromDatabank, FirstOfTwoMatchingEntriesWinsWithItsListing) {
    Search s(kTestDb);
    s.atom(6, "C(3)", "3m", {{1, 3}, {6, 1}}, false);
    ASSERT_EQ(s.match(), "");
    EXPECT_TRUE(s.found.matched);
    EXPECT_EQ(s.found.pv, 4.1330f);
    EXPECT_EQ(s.found.kappa[1], 0.9930f);
    EXPECT_EQ(s.found.kappa[2], 0.9400f);
    EXPECT_EQ(s.found.pv_sigma, 0.0520f);
    EXPECT_EQ(s.plm(4, 3), 0.0100f);
    // The whole listing of the search: the atom's data in free format (integers in 12
    // columns after the leading blank), then the result and the parameter block.
    std::vector<std::string> want = {
        "",
        " Searching DataBank for a match : ",
        "  ityp  =            6",
        "  iring =            0",
        "  inei  =            4",
        "  ity   =            2",
        "  imemb =            0",
        "  asymi = [3M   ]",
        "  lPG   =  F",
        "  type =            1  atom =            1  neib =            3",
        "  type =            2  atom =            6  neib =            1",
        " ",
        "",
        " ReadDB :: atom C(3) was found in the DataBank",
        "",
        " DB comment for C(3) = [C methyl, first of two entries of one pattern]",
        "",
        " Pseudoatom parameters assigned to C(3) : ",
        "",
        "   Pval, Kappa, Kappa', sigmaPv =       4.1330      0.9930      0.9400      0.0520",
        "    2nd Monopole:  0.000",
        "         Dipoles:  0.000  0.000  0.000",
        "     Quadrupoles:  0.000  0.000  0.015  0.000  0.000",
        "       Octupoles:  0.000  0.000  0.000  0.134  0.000  0.000  0.000",
        "   Hexadecapoles:  0.000  0.000  0.000  0.000 -0.021  0.000  0.000  0.010  0.000",
    };
    EXPECT_EQ(s.listing(), want);
    EXPECT_EQ(s.r.databank.searched, 1);
    EXPECT_EQ(s.r.databank.found, 1);
    EXPECT_EQ(s.r.databank.not_found, 0);
}

TEST(AssignFromDatabank, FindsTheNeighboursItself) {
    // a methyl carbon: three H at 1.09 A and one C at 1.53 A; a far atom is no neighbour
    Search s(kTestDb);
    s.r.ensure_atoms(6);
    s.r.structure.atom_count = s.r.topology.list_size = 6;
    s.r.options.tolerances.bond = 0.2f;
    const Vec3f xc[] = {{0, 0, 0},
                        {1.09f, 0, 0},
                        {-0.36f, 1.03f, 0},
                        {-0.36f, -0.51f, 0.89f},
                        {-0.51f, -0.51f, -1.36f},
                        {5, 5, 5}};
    const int iz[] = {6, 1, 1, 1, 6, 8};
    for (int k = 1; k <= 6; ++k) {
        s.r.structure.cart[k] = Cartesian{xc[k - 1]};
        s.r.structure.atomic_number[k] = iz[k - 1];
        s.r.structure.label[k] = "A(" + std::to_string(k) + ")";
    }
    s.r.structure.site_symmetry[1] = "3m";
    PseudoAtom m;
    NeighbourIndex index(s.r);
    ASSERT_NO_THROW(m = assign_from_databank(s.r.io, s.r, s.bank, index, 1, PlanarSituation{},
                                             HydrogenParent{}));
    EXPECT_TRUE(m.matched);  // the entry of four neighbours: C with three H and a C
    EXPECT_EQ(s.comment(), "C methyl, first of two entries of one pattern");
    auto l = s.listing();
    EXPECT_EQ(l[1], " Searching DataBank for a match : ");  // no neighbour printout before it
}

TEST(AssignFromDatabank, SiteSymmetryAndPlanarityOfTheNeigLine) {
    // C009 wants -42m and a planar group; C010 has no words 6 and 8 (any site symmetry,
    // planar only below 4 neighbours); C011 the same for two neighbours.
    struct Case {
        const char* sym;
        std::vector<Type> types;
        bool planar_group;
        const char* entry;  // "" for no match
    } cases[] = {
        {"-42m", {{6, 4}}, true, "C four C neighbours in a planar group"},
        {"NO", {{6, 4}}, false, "C four C neighbours, any site symmetry"},
        {"-42m", {{6, 4}}, false, "C four C neighbours, any site symmetry"},
        {"NO", {{6, 4}}, true, ""},
        {"cyl", {{6, 2}}, true, "C two C neighbours, any site symmetry"},
        {"mm2", {{6, 2}}, true, "C two C neighbours, any site symmetry"},
        {"cyl", {{6, 2}}, false, ""},
        {"m", {{1, 3}, {6, 1}}, false, ""},  // the methyl entries want 3m
    };
    for (const auto& c : cases) {
        Search s(kTestDb);
        s.atom(6, "C(1)", c.sym, c.types, c.planar_group);
        ASSERT_EQ(s.match(), "");
        EXPECT_EQ(s.comment(), c.entry) << c.sym << " " << c.planar_group;
        EXPECT_EQ(s.found.matched, *c.entry != '\0');
    }
}

TEST(AssignFromDatabank, RingCodeAndSizeMustAgree) {
    Search s(kTestDb);
    s.atom(6, "C(1)", "m", {{1, 1}, {6, 2}}, true, "", 1, 6);
    ASSERT_EQ(s.match(), "");
    EXPECT_EQ(s.comment(), "C aromatic C-H in a planar six-ring");
    EXPECT_EQ(s.plm(3, -3), 0.2450f);
    EXPECT_EQ(s.plm(4, 0), 0.0110f);

    Search t(kTestDb);
    t.atom(6, "C(1)", "m", {{1, 1}, {6, 2}}, true, "", 1, 5);  // a five-ring
    ASSERT_EQ(t.match(), "");
    EXPECT_FALSE(t.found.matched);
}

TEST(AssignFromDatabank, FunctionalGroupsAndExceptEntries) {
    struct Case {
        int z;
        std::vector<Type> types;
        const char* sym;
        bool planar_group;
        const char* group;
        const char* entry;
    } cases[] = {
        // a carbonyl O named "ketone" skips the carboxylate entry and the one whose name
        // starts with a blank (two blanks after GROUP); "except group Ketone" is upper-cased
        {8, {{6, 1}}, "m", true, "KETONE", "O ketone"},
        {8, {{6, 1}}, "m", true, "CARBOXYLATE", "O carboxylate"},
        {8, {{6, 1}}, "m", true, "ESTER", "O carbonyl of an ester"},
        // a plain atom skips every EXCEPT entry
        {8, {{6, 1}}, "m", true, "", "O terminal, bonded to one C, no group name"},
        {6, {{6, 2}, {8, 1}}, "mm2", true, "", "C carbonyl without a group name"},
        {6, {{6, 2}, {8, 1}}, "mm2", true, "KETONE", "C carbonyl of a ketone"},
        // an "ester" atom skips the plain methyl entries and gets the defaults
        {6, {{1, 3}, {6, 1}}, "3m", false, "ESTER", ""},
        {6, {{1, 2}, {6, 1}, {8, 1}}, "NO", false, "ESTER", "C methylene bonded to an ester O"},
        {6, {{1, 2}, {6, 1}, {8, 1}}, "NO", false, "", ""},
        {6, {{1, 2}, {6, 1}, {8, 1}}, "NO", false, "ALCOHOL", ""},
    };
    for (const auto& c : cases) {
        Search s(kTestDb);
        s.atom(c.z, "X(1)", c.sym, c.types, c.planar_group, c.group);
        ASSERT_EQ(s.match(), "");
        EXPECT_EQ(s.comment(), c.entry) << c.z << " " << c.group;
        auto l = s.listing();
        bool grpline = std::find(l.begin(), l.end(),
                                 std::string(" Functional group = [") + c.group + "]") != l.end();
        EXPECT_EQ(grpline, *c.group && *c.entry) << c.group;
    }
}

TEST(AssignFromDatabank, HydrogenEntriesByParent) {
    struct Case {
        int parent_z, parent_neighbours, parent_hydrogens;
        const char* sym;
        const char* group;
        const char* entry;
    } cases[] = {
        {6, 3, 1, "cyl", "", "H on an aromatic C"},
        {6, 4, 3, "cyl", "", "H of a methyl group"},
        {7, 4, 3, "cyl", "", "H of an ammonium N"},
        {6, 4, 2, "cyl", "", ""},
        {6, 4, 3, "m", "", ""},
        // the parent line without a symmetry word matches no framed H atom; the grouped
        // entry after it is for grouped atoms only
        {8, 2, 1, "cyl", "", ""},
        {8, 2, 1, "cyl", "C-O-H", "H on O of an alcohol"},
        {7, 3, 1, "cyl", "PLANAR AMINE", "H on a planar amine N"},
        {7, 3, 1, "cyl", "", ""},
    };
    for (const auto& c : cases) {
        Search s(kTestDb);
        s.atom(1, "H(1)", c.sym, {{6, 1}}, true, c.group);
        s.parent(c.parent_z, c.parent_neighbours, c.parent_hydrogens);
        // The analysis results hold the parent of the aromatic entry: the search
        // takes the parent its caller hands it, as the atom's frame carries it.
        s.r.frames.parent_atomic_number[1] = 6;
        s.r.frames.parent_neighbours[1] = 3;
        s.r.frames.parent_hydrogens[1] = 1;
        ASSERT_EQ(s.match(), "");
        EXPECT_EQ(s.comment(), c.entry)
            << c.parent_z << " " << c.parent_neighbours << " " << c.parent_hydrogens << " "
            << c.group;
    }
}

TEST(AssignFromDatabank, DefaultsWithoutAMatch) {
    Search s(kTestDb);
    s.atom(35, "BR(1)", "cyl", {{6, 1}}, true);
    ASSERT_EQ(s.match(), "");
    EXPECT_FALSE(s.found.matched);
    EXPECT_EQ(s.found.pv, 17.0f);
    EXPECT_EQ(s.found.pv_sigma, 0.01f);
    EXPECT_EQ(s.found.kappa[1], 1.0f);
    EXPECT_EQ(s.found.kappa[2], 1.0f);
    auto l = s.listing();
    std::vector<std::string> tail(l.end() - 11, l.end());
    std::vector<std::string> want = {
        "",
        " ReadDB :: atom BR(1) was NOT found in the DataBank",
        "",
        " Pseudoatom parameters assigned to BR(1) : ",
        "",
        "   Pval, Kappa, Kappa', sigmaPv =      17.0000      1.0000      1.0000      0.0100",
        "    2nd Monopole:  0.000",
        "         Dipoles:  0.000  0.000  0.000",
        "     Quadrupoles:  0.000  0.000  0.000  0.000  0.000",
        "       Octupoles:  0.000  0.000  0.000  0.000  0.000  0.000  0.000",
        "   Hexadecapoles:  0.000  0.000  0.000  0.000  0.000  0.000  0.000  0.000  0.000",
    };
    EXPECT_EQ(tail, want);
    EXPECT_EQ(s.r.databank.not_found, 1);
    EXPECT_EQ(s.r.databank.found, 0);

    // a second search in the same records counts on, and clears what the first one found
    s.atom(6, "C(3)", "3m", {{1, 3}, {6, 1}}, false);
    ASSERT_EQ(s.match(), "");
    s.atom(6, "C(4)", "NO", {{1, 1}}, false);
    ASSERT_EQ(s.match(), "");
    EXPECT_EQ(s.found.pv, 4.0f);
    EXPECT_EQ(s.plm(2, 0), 0.0f);
    EXPECT_EQ(s.r.databank.searched, 3);
    EXPECT_EQ(s.r.databank.found, 1);
    EXPECT_EQ(s.r.databank.not_found, 2);
}

// The databank is the file as it was when it opened: a change on disk afterwards reaches no
// search, neither a walk nor an answer given again to the same questions.
TEST(AssignFromDatabank, SearchesReadTheDatabankAsItOpened) {
    Search s("ATOM 6 C1 carbon with one C\nNEIG 1 1 0 0\n1 6 1\nPVAL 4.2 1 1 .1\nEND\n", true);
    s.dir.write("test.db", "ATOM 6 C1 changed\nNEIG 1 1 0 0\n1 6 1\nPVAL 3.0 1 1 .1\nEND\n");
    for (const char* label : {"C(1)", "C(2)"}) {
        s.atom(6, label, "m", {{6, 1}}, true);
        ASSERT_EQ(s.match(), "");
        EXPECT_EQ(s.found.pv, 4.2f) << label;
        const auto l = s.listing();
        EXPECT_NE(std::find(l.begin(), l.end(),
                            " DB comment for " + std::string(label) + " = [carbon with one C]"),
                  l.end());
    }
    EXPECT_EQ(s.r.databank.found, 2);
}

TEST(AssignFromDatabank, MultipolePopulationLines) {
    // O005: "PLMS 1 1 0.0100 2 0 -0.0250 2" holds 7 numbers, two triples; the next line
    // adds (2,2). C005 has triples with l = -3 and m = -5, which have no place.
    Search s(kTestDb);
    s.atom(8, "O(1)", "m", {{6, 1}}, true);
    ASSERT_EQ(s.match(), "");
    EXPECT_EQ(s.plm(1, 1), 0.0100f);
    EXPECT_EQ(s.plm(2, 0), -0.0250f);
    EXPECT_EQ(s.plm(2, 2), 0.0450f);
    EXPECT_EQ(s.plm(0, 0), 0.0f);

    Search t(kTestDb);
    t.atom(6, "C(2)", "NO", {{1, 1}, {6, 2}, {7, 1}}, false, "AMMONIUM");
    ASSERT_EQ(t.match(), "");
    EXPECT_TRUE(t.found.matched);
    for (int l = 0; l <= 4; ++l)
        for (int m = -l; m <= l; ++m)
            EXPECT_EQ(t.plm(l, m), l == 3 && m == 2 ? 0.1800f : 0.0f) << l << " " << m;

    // a later triple of the same l, m wins; numbers may be written in any free format
    Search u(
        "ATOM 6 X plms\nNEIG 0 0 0 0\nPVAL 4 1. +1 1e-1\nPLMS 2 0 1.5 2 0 -2.5\nplms 2.4 -0.6 "
        "3e-1\nEND\n",
        true);
    u.atom(6, "C(1)", "NO", {}, true);
    ASSERT_EQ(u.match(), "");
    EXPECT_EQ(u.plm(2, 0), -2.5f);
    EXPECT_EQ(u.plm(2, -1), 0.3f);
    EXPECT_EQ(u.found.pv_sigma, 0.1f);
}

TEST(AssignFromDatabank, RecordStreamOfAnEntry) {
    // An entry without its NEIG line takes the next entry's NEIG line, type lines and
    // parameters; the next entry's own line has then been passed over.
    const std::string db =
        "ATOM 6 A without its NEIG line\n"
        "PVAL 1 1 1 1\n"
        "END\n"
        "ATOM 6 B one C neighbour\n"
        "NEIG 1 1 0 0\n"
        "  1 6 1\n"
        "PVAL 2 2 2 2\n"
        "END\n"
        "ATOM 6 C no neighbour\n"
        "! a comment between the entry line and its NEIG line\n"
        "NEIG 0 0 0 0\n"
        "PVAL 3 3 3 3\n"
        "\n";
    Search s(db, true);
    s.atom(6, "C(1)", "m", {{6, 1}}, true);
    ASSERT_EQ(s.match(), "");
    EXPECT_EQ(s.comment(), "without its NEIG line");
    EXPECT_EQ(s.found.pv, 2.0f);

    // A's borrowed NEIG line does not fit an atom without neighbours: the scan goes on after
    // it and finds C; the blank record after C's PVAL line ends its parameters.
    Search t(db, true);
    t.atom(6, "C(1)", "m", {}, true);
    ASSERT_EQ(t.match(), "");
    EXPECT_EQ(t.comment(), "no neighbour");
    EXPECT_EQ(t.found.pv, 3.0f);

    // entries of other elements, or whose word 2 is another number, are passed over
    Search u(
        "ATOM 8 O first\nNEIG 0 0 0 0\nPVAL 9 9 9 9\nEND\n"
        "ATOM +6 C second\nNEIG 0 0 0 0\nPVAL 5 5 5 5\nEND\n",
        true);
    u.atom(6, "C(1)", "m", {}, true);
    ASSERT_EQ(u.match(), "");
    EXPECT_EQ(u.found.pv, 5.0f);
}

TEST(AssignFromDatabank, EndsOfTheRun) {
    // The stops keep their own text first, then name the file, the record the reader was at
    // (at the end of the file: the one after the last), the entry being read and what the
    // search looked for in it.
    const std::string readfile =
        " ERROR *** ReadFile ***  Error reading unit =           47: test.db, record ";
    const std::string find_word_columns =
        " ERROR *** ReadChar *** Unexpected STOP in ReadChar...: test.db, record ";
    struct Case {
        const char* db;
        const char* result;   // "stop" or the start of the fault text
        std::string errline;  // the error line of a stop
        int z = 6;            // the atom searched: C(1) with one C neighbour, or H(1)
    } cases[] = {
        // the record that ends the parameters must exist
        {"ATOM 6 X pval last\nNEIG 1 1 0 0\n1 6 1\nPVAL 4 1 1 .1\n", "stop",
         readfile + "5, end of file inside the entry \"ATOM 6 X pval last\" (record 1), looking "
                    "for the record that ends it after its PVAL and PLMS lines"},
        {"ATOM 6 X plms last\nNEIG 1 1 0 0\n1 6 1\nPVAL 4 1 1 .1\nPLMS 1 0 .5\n", "stop",
         readfile + "6, end of file inside the entry \"ATOM 6 X plms last\" (record 1), looking "
                    "for the record that ends it after its PVAL and PLMS lines"},
        // no NEIG line up to the end of the file, a type line missing, no record after the
        // type lines to tell whether there is an EXCEPT line (the comment is passed over)
        {"ATOM 6 X no neig\nPVAL 4 1 1 .1\nEND\n", "stop",
         readfile + "4, end of file inside the entry \"ATOM 6 X no neig\" (record 1), looking "
                    "for its NEIG line"},
        {"ATOM 6 X no type line\nNEIG 1 1 0 0\n", "stop",
         readfile + "3, end of file inside the entry \"ATOM 6 X no type line\" (record 1), "
                    "looking for its neighbour type line 1 of 1"},
        {"ATOM 6 X nothing after\nNEIG 1 1 0 0\n1 6 1\n! only a comment\n", "stop",
         readfile + "5, end of file inside the entry \"ATOM 6 X nothing after\" (record 1), "
                    "looking for the record after its neighbour type lines"},
        // the entry read is the last one begun, also when it is not the first of the file
        {"ATOM 6 X other\nNEIG 4 1 0 0\n1 6 4\nPVAL 4 1 1 .1\nEND\nATOM  6  C001  C aromatic\n",
         "stop",
         readfile + "7, end of file inside the entry \"ATOM  6  C001  C aromatic\" (record 6), "
                    "looking for its NEIG line"},
        // hydrogen entries: the PRNT line, and the record after it
        {"ATOM 1 H no prnt\nPVAL 1 1 1 .1\nEND\n", "stop",
         readfile + "4, end of file inside the entry \"ATOM 1 H no prnt\" (record 1), looking "
                    "for its PRNT line",
         1},
        {"ATOM 1 H prnt last\nPRNT 6 4 3 3m\n", "stop",
         readfile + "3, end of file inside the entry \"ATOM 1 H prnt last\" (record 1), looking "
                    "for the record after its PRNT line",
         1},
        // entry lines: fewer than 2 words stops any scan, fewer than 4 only one of its element
        {"ATOM\nATOM 6 X y\nNEIG 1 1 0 0\n1 6 1\nPVAL 4 1 1 .1\nEND\n", "stop",
         find_word_columns +
             "1: the entry \"ATOM\" has no atomic number (word 2 of the entry line)"},
        {"ATOM 8 O y\nATOM  6  C001\nNEIG 1 1 0 0\n1 6 1\nPVAL 4 1 1 .1\nEND\n", "stop",
         find_word_columns +
             "2: the entry \"ATOM  6  C001\" has no description (word 4 of the entry line)"},
        {"ATOM six X y\n",
         "test.db, record 1: expected an integer atomic number as word 2 of the entry line, "
         "found \"six\"",
         ""},
        {"ATOM 6 X y\nNEIG 1 1 0\n1 6 1\nPVAL 4 1 1 .1\nEND\n",
         "test.db, record 2: expected four numbers on the NEIG line, found \"NEIG 1 1 0\"", ""},
        {"ATOM 6 X y\nNEIG 1 1 0 0\n1 6 one\n",
         "test.db, record 3: expected three numbers on a neighbour type line", ""},
        {"ATOM 6 X y\nNEIG 1 1 0 0\n1 6 1\nPVAL 4 1 1\n",
         "test.db, record 4: expected four numbers on the PVAL line", ""},
        {"ATOM 6 X y\nNEIG 1 1 0 0\n1 6 1\nPVAL 4 1 1 .1\nPLMS 1 0 -\n",
         "test.db, record 5: expected the numbers l, m, P(l,m)", ""},
    };
    for (const auto& c : cases) {
        Search s(c.db, true);
        if (c.z == 1) {
            s.atom(1, "H(1)", "3m", {{6, 1}}, true);
            s.parent(6, 4, 3);
        } else {
            s.atom(6, "C(1)", "m", {{6, 1}}, true);
        }
        std::string res = s.match();
        EXPECT_EQ(res.rfind(c.result, 0), 0u) << c.db << "\n" << res;
        if (res == "stop") {
            auto l = s.listing();
            EXPECT_TRUE(std::find(l.begin(), l.end(), c.errline) != l.end())
                << c.db << "\nwant: " << c.errline << "\n" << l.back() << l[l.size() - 2];
            EXPECT_EQ(std::count(l.begin(), l.end(), c.errline), 1) << c.db;
        }
    }
    // an entry line of another element with three words is passed over
    Search s("ATOM 8 O\nATOM 6 X y\nNEIG 1 1 0 0\n1 6 1\nPVAL 4 1 1 .1\nEND\n", true);
    s.atom(6, "C(1)", "m", {{6, 1}}, true);
    EXPECT_EQ(s.match(), "");
    EXPECT_TRUE(s.found.matched);
}

TEST(AssignFromDatabank, VerboseListingOfTheEntriesLookedAt) {
    const std::string db =
        "ATOM 6 A wrong count\n"
        "NEIG nei 2  typ 1  ring 0  size 0  mm2  planar F\n"
        "1 6 2\n"
        "PVAL 1 1 1 1\n"
        "END\n"
        "ATOM 6 B grouped\n"
        "NEIG nei 1  typ 1  ring 0  size 0\n"
        "1 8 1\n"
        "EXCEPT GROUP  ketone\n"
        "PVAL 2 2 2 2\n"
        "END\n"
        "ATOM 6 C plain\n"
        "NEIG nei 1  typ 1  ring 0  size 0\n"
        "1 8 1\n"
        "PVAL 3 3 3 3\n"
        "END\n";
    Search s(db, true, 2);
    s.atom(6, "C(1)", "cyl", {{8, 1}}, true, "KETONE");
    ASSERT_EQ(s.match(), "");
    EXPECT_FALSE(s.found.matched);
    auto l = s.listing();
    auto at = std::find(l.begin(), l.end(), " ");  // the end of the atom's data
    ASSERT_NE(at, l.end());
    std::vector<std::string> got(at + 1, at + 1 + 22);
    std::vector<std::string> want = {
        " Reading atom = " + std::string("ATOM 6 A wrong count") + std::string(180, ' '),
        "   jnei=  2 jty=  1 jring=  0 asymr=[MM2  ] planar=F",
        " jmemb=  0",
        " Reading atom = " + std::string("ATOM 6 B grouped") + std::string(184, ' '),
        "   jnei=  1 jty=  1 jring=  0 asymr=[     ] planar=T",
        " jmemb=  0",
        "   type =  1 jatum =  8 jndt =  1",
        "   Exception entry in DataBank :",
        "      functional group   = [KETONE]",
        "      group read from DB = [ KETONE]",
        "   Wrong functional group... :( ",
        "",
        " Reading atom = " + std::string("ATOM 6 C plain") + std::string(186, ' '),
        "   jnei=  1 jty=  1 jring=  0 asymr=[     ] planar=T",
        " jmemb=  0",
        "   type =  1 jatum =  8 jndt =  1",
        "",
        " Functional group = [KETONE], but no functional group specified for this entry..",
        " Skipping DB entry...",
        "",
        "",
        " ReadDB :: atom C(1) was NOT found in the DataBank",
    };
    EXPECT_EQ(got, want);

    // a plain atom at an EXCEPT entry, and the PRNT line of a hydrogen atom
    Search h(
        "ATOM 1 H grouped\nPRNT z 6 nei 4 nh 3 cyl\nEXCEPT GROUP x\nPVAL 1 1 1 1\nEND\n"
        "ATOM 1 H plain\nPRNT z 6 nei 4 nh 3 cyl\nPVAL 0.9 1.1 1.2 0.03\nEND\n",
        true, 2);
    h.atom(1, "H(1)", "cyl", {{6, 1}}, true);
    h.parent(6, 4, 3);
    ASSERT_EQ(h.match(), "");
    EXPECT_EQ(h.found.pv, 0.9f);
    auto hl = h.listing();
    auto hat = std::find(hl.begin(), hl.end(), " ");
    std::vector<std::string> hgot(hat + 2, hat + 6);
    std::vector<std::string> hwant = {
        "   Exception entry in DataBank :",
        " Exception was not identified for this atom - Skip DB entry...",
        "",
        " Reading atom = " + std::string("ATOM 1 H plain") + std::string(186, ' '),
    };
    EXPECT_EQ(hgot, hwant);
    EXPECT_EQ(*(hat + 6), "   jhp =  6 jsp =  4 jhnei=  3 asymr=[CYL  ]");
}

TEST(AssignFromDatabank, LongRecordsAreCutAt200Characters) {
    // The description keeps 80 characters; a word that reaches column 200 is no word.
    std::string entry = "ATOM 6 X " + std::string(100, 'd') + " " + std::string(89, ' ') + "Q";
    ASSERT_EQ(entry.size(), 200u);
    std::string db =
        entry + "\nNEIG 0 0 0 0 " + std::string(187, ' ') + "x T\nPVAL 4 1 1 .1\nEND\n";
    Search s(db, true);
    s.atom(6, "C(1)", "m", {}, false);  // "T" is cut off: the planarity stays true, no match
    ASSERT_EQ(s.match(), "");
    EXPECT_FALSE(s.found.matched);
    Search t(db, true);
    t.atom(6, "C(1)", "m", {}, true);
    ASSERT_EQ(t.match(), "");
    EXPECT_EQ(t.comment(), std::string(80, 'd'));
}

TEST(AssignFromDatabank, ManyAtomsAgainstALargeDatabank) {
    // A databank of 3000 carbon entries, each visited by the scan; 2000 atoms searched.
    std::string db;
    for (int k = 0; k < 3000; ++k)
        db += "ATOM 6 E" + std::to_string(k) + " entry\nNEIG " + std::to_string(k % 7 + 5) +
              " 1 0 0\n1 6 " + std::to_string(k % 7 + 5) + "\nPVAL 4 1 1 .1\nEND\n";
    db += "ATOM 6 LAST entry\nNEIG 1 1 0 0\n1 6 1\nPVAL 3.5 1 1 .1\nEND\n";
    Search s(db, true);
    for (int i = 0; i < 2000; ++i) {
        s.atom(6, "C(1)", "m", {{6, 1}}, true);
        ASSERT_EQ(s.match(), "");
    }
    EXPECT_EQ(s.found.pv, 3.5f);
    EXPECT_EQ(s.r.databank.found, 2000);
}

}  // namespace
}  // namespace kova
