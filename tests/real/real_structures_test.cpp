// Whole runs on the real SHELX files (tests/data/real and the shared structures, read in place
// through a link in the run's directory; a file that only the shared structures hold is skipped
// when they are not beside the checkout), each with a few option sets. Every run must end normally, or, for the files kova cannot read by design,
// with exactly its message; and the files of a run must agree with each other: the frames
// name atoms and dummies that exist and lie away from their atom, moved hydrogen atoms lie
// at the distance the listing gives, the summary names the files there are, and no number
// field overflows.
#include <algorithm>
#include <filesystem>
#include <cctype>
#include <map>
#include <set>
#include <sstream>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "real/readback.hpp"
#include "real/site_symmetry.hpp"
#include "support.hpp"

namespace kova {
namespace {

namespace fs = std::filesystem;
using namespace test::readback;

struct OptionSet {
    const char* name;
    const char* lines;  // after FORMAT and INPUT
    bool rings = false, extend_h = false, databank = false, toxd = false, rename = false;
};

const OptionSet kOptionSets[] = {
    {"plain", "", false, false, false, false},
    {"rings",
     "RINGS 3 8 *special\nNCELLS 1\nKEYGEN *XYZUIJ all *ordered *MULT all *ordered *kappas\n", true,
     false, false, false},
    {"extendh", "Extend_H\n", false, true, false, false},
    {"databank", "DATABANK kova_test.db\nCHFRAG 0\n", false, false, true, false},
    {"toxd", "", false, false, false, true},
    {"rename", "RINGS 3 8 *special\nExtend_H\n", true, true, false, false, true},
};

// Files kova cannot read by design, with the one line their run ends with (status 1; SOURCES.md
// of the structures says which elements and lattices each file has, the SFAC cards the types).
const std::map<std::string, std::string> kStops = {
    {"shx-r3c-fe-perchlorate/2240189.res", "  Lattice type R is not supported"},  // LATT 3
    {"shx-ru-phosphine-crlf/05srv085.ins",  // SFAC C  H  N  P  Ru O
     " ERROR *** GetSFT *** atomic number not implemented yet: Ru (Z = 44), SFAC type 5"},
    {"shx-pt-bf4-resi/25.res",  // SFAC  C  H  B  F  N  PT  CL
     " ERROR *** GetSFT *** atomic number not implemented yet: Pt (Z = 78), SFAC type 6"},
    {"shx-large-1529-atoms/1548072_many_atoms.res",  // SFAC  C  H  O  F  AL  IN  N
     " ERROR *** GetSFT *** atomic number not implemented yet: In (Z = 49), SFAC type 6"},
};

// The SHELX files that only the shared structures hold (their licences allow no copy): named
// here as well, so that a checkout without them has the same cases and reports these skipped.
const char* const kSharedOnly[] = {
    "shx-c2m-fecl/dom1_mC.res",
    "shx-l-alanine-23k/iam.res",
    "shx-p21n-cf3-sulfonyl/p21n_cf3.res",
    "shx-pt-bf4-resi/25.res",
};

// Every real SHELX file, folder/file, each once.
std::vector<std::string> shelx_files() {
    std::vector<std::string> v = test::real_shelx_structures();
    v.insert(v.end(), std::begin(kSharedOnly), std::end(kSharedOnly));
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

// Output files the summary has no line for, and the inputs of the run.
bool unnamed_by_summary(const std::string& f, const std::string& structure) {
    static const std::set<std::string> k = {"kova.inp",      "kova_test.db",  "mopro_kova.par",
                                            "con_mopro.inp", "res_mopro.inp", "complete.ang",
                                            "group.ang"};
    return f == structure || k.count(f) > 0;
}

std::string tail_of(const std::vector<std::string>& lines) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        if (!strip(*it).empty()) return *it;
    return "";
}

int axis_code(char c) { return c == 'X' ? 1 : c == 'Y' ? 2 : c == 'Z' ? 3 : 0; }

class RealRun : public ::testing::TestWithParam<std::tuple<std::string, int>> {
protected:
    test::TempDir dir;
    OptionSet opt{};
    std::string structure;
    test::RunResult res;

    std::vector<std::string> file(const std::string& name) const {
        return test::lines_of(dir.read(name));
    }

    void run(const std::string& rel, const OptionSet& o) {
        opt = o;
        fs::path src = test::real_structure(rel);
        structure = src.filename().string();
        fs::create_symlink(src, dir / structure);
        fs::create_symlink(fs::path(KOVA_TEST_DATA) / "databank" / "kova_test.db",
                           dir / "kova_test.db");
        dir.write("kova.inp", std::string("FORMAT *shelx\nINPUT ") + structure +
                                  (o.toxd ? " *toxd" : "") + (o.rename ? " *rename 1" : "") + "\n" +
                                  o.lines);
        res = test::run_in(dir);
    }

    void check_frames(std::set<std::string>& faults);
    void check_extended_h(const Master& m, const Cell& cell);
    void check_summary();
    void check_no_overflow();
};

// Files whose residues repeat atom names (four HOH "O", the CF3 groups, the residues of 014EP):
// XD and MoPro name atoms by label, so the run stops before framing, with the first repeated
// labels, unless RENAME gives every atom its own label.
const std::map<std::string, std::string> kRepeatedLabels = {
    {"shx-cctbx-embedded/3odl_fragment.ins",
     "N() (atoms 1, 5), C(A) (atoms 2, 6), C() (atoms 3, 7) and more"},
    {"shx-p-4-resi/014EP-4_a_shelxl.res",
     "N(1) (atoms 11, 17, 23, 29, ...), C(1) (atoms 12, 18, 24, 30, ...), C(2) (atoms 13, 19, 25, 31, ...) and more"},
    {"shx-p21c-cf3-disorder/p21c.res",
     "O(1) (atoms 1, 17, 87, 101, ...), C(1) (atoms 2, 32, 88, 102, ...), C(2) (atoms 3, 33, 89, 103, ...) and more"},
};

// A fault the suite finds goes here only with its smallest input in found_faults_test.cpp, and
// leaves when it is mended.
std::set<std::string> known_frame_faults(const std::string&) { return {}; }

// The stored neighbours of every atom, from the neighbour tables of the listing (atom numbers
// of the working list and labels); the atoms are numbered from 1.
std::map<int, std::vector<std::pair<int, std::string>>> listed_neighbours(
    const std::vector<std::string>& listing) {
    std::map<int, std::vector<std::pair<int, std::string>>> nei;
    const std::string working = " Working with atom ",
                      head = "     i       n     r(Ang)    atom       occ";
    int atom = 0;
    bool table = false;
    for (const std::string& rec : listing) {
        if (starts(rec, working)) {
            atom = integer(cols(rec, working.size() + 1, working.size() + 7)).value_or(0);
            nei[atom];
            table = false;
        } else if (rec == head) {
            table = atom > 0 && nei[atom].empty();
        } else if (table) {
            std::istringstream in(rec);
            int k = 0, n = 0;
            double d = 0.0;
            std::string label;
            if (!(in >> k >> n >> d >> label)) {
                table = false;
                continue;
            }
            nei[atom].emplace_back(n, label);
        }
    }
    return nei;
}

// The frame of every atom in the master file, in kova.ang and, when written, in xd_kova.inp.
void RealRun::check_frames(std::set<std::string>& faults) {
    Master m = read_master(file("xd_kova.mas"));
    Ang ang = read_ang(file("kova.ang"));
    ASSERT_TRUE(m.header && m.end_atom) << "no atom table in xd_kova.mas";
    for (const auto& rec : m.misplaced)
        ADD_FAILURE() << "atom table line out of its layout: [" << rec << "]";
    for (const auto& rec : ang.bad)
        ADD_FAILURE() << "kova.ang record out of its layout: [" << rec << "]";
    ASSERT_EQ(m.atoms.size(), ang.atoms.size());
    ASSERT_EQ(m.dummies.size(), ang.dummies.size());
    const int nat = static_cast<int>(m.atoms.size());
    const int ndum = static_cast<int>(m.dummies.size());
    ASSERT_GT(nat, 0);

    std::map<std::string, int> number;  // label -> atom (the last of a repeated label) or nat + k
    std::set<std::string> repeated;     // a target of such a label may be any of its atoms
    for (int i = 1; i <= nat; ++i) {
        EXPECT_EQ(m.atoms[i - 1].label, ang.labels[i - 1]) << "atom " << i;
        if (!number.emplace(m.atoms[i - 1].label, i).second) repeated.insert(m.atoms[i - 1].label);
        number[m.atoms[i - 1].label] = i;
    }
    if (!repeated.empty()) faults.insert("labels repeat");
    const auto neighbours = listed_neighbours(file("kova.out"));
    for (int k = 1; k <= ndum; ++k) {
        EXPECT_EQ(m.dummy_labels[k - 1], "DUM" + std::to_string(k));
        number[m.dummy_labels[k - 1]] = nat + k;
    }
    auto cart = [&](int n) { return n <= nat ? ang.atoms[n - 1] : ang.dummies[n - nat - 1]; };

    auto on_atom = [&](const FrameRow& row, char axis, const std::string& target) {
        faults.insert(row.label + ": " + axis + " target " + target + " on the atom");
    };
    for (int i = 1; i <= nat; ++i) {
        const FrameRow& row = m.atoms[i - 1];
        SCOPED_TRACE("atom " + std::to_string(i) + ": [" + row.record + "]");
        EXPECT_TRUE(axis_code(row.axis1) && axis_code(row.axis2) && row.axis1 != row.axis2)
            << "axes";
        std::vector<Point> ends, ends_all;
        for (int t = 0; t < 2; ++t) {
            const std::string& target = t == 0 ? row.target1 : row.target2;
            auto it = number.find(target);
            if (it == number.end()) {
                ADD_FAILURE() << "axis target [" << target << "] is no atom and no dummy";
                continue;
            }
            ends_all.push_back(cart(it->second));
            if (repeated.count(target)) continue;
            if (distance(cart(it->second), cart(i)) <= 0.1)
                on_atom(row, t == 0 ? row.axis1 : row.axis2, target);
            else
                ends.push_back(cart(it->second));
        }
        // the two axes span a plane: neither target lies within 1 degree of the line through
        // the atom and the other
        if (ends.size() == 2) {
            Point u{}, v{};
            for (int c = 0; c < 3; ++c) {
                u[c] = ends[0][c] - cart(i)[c];
                v[c] = ends[1][c] - cart(i)[c];
            }
            Point n = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                       u[0] * v[1] - u[1] * v[0]};
            double sine =
                distance(n, {0, 0, 0}) / (distance(u, {0, 0, 0}) * distance(v, {0, 0, 0}));
            if (sine < std::sin(1.0 * 3.14159265358979 / 180.0))
                faults.insert(row.label + ": targets " + row.target1 + " and " + row.target2 +
                              " in line");
        }
        // The site symmetry's operations map the neighbours onto neighbours of the same
        // element, within the 15 degrees by which the rules tell shapes apart and some more
        // for the distortions of real groups (atoms bonded to images are left out: kova.ang
        // holds the atoms read only).
        auto nit = neighbours.find(i);
        if (ends_all.size() == 2 && nit != neighbours.end() && !nit->second.empty()) {
            std::vector<test::Neighbour> nei;
            bool images = false;
            for (const auto& [n, label] : nit->second) {
                if (n > nat) images = true;
                else nei.push_back({label.substr(0, label.find('(')), ang.atoms[n - 1]});
            }
            const std::string whole = strip(row.record);
            const std::string sym = whole.substr(whole.find_last_of(' ') + 1);  // the last word
            // "m" is left out: the mirror of a group with freely refined or disordered
            // hydrogen atoms is a chemical one, far from the positions.
            if (!images && repeated.empty() && sym != "m") {
                std::string fault = test::symmetry_fault(sym, cart(i), row.axis1, ends_all[0],
                                                         row.axis2, ends_all[1], nei, 30.0);
                if (!fault.empty()) faults.insert(row.label + ": " + fault);
            }
        }
    }

    if (!(opt.extend_h || opt.databank || opt.toxd)) {
        EXPECT_FALSE(dir.exists("xd_kova.inp"));
        return;
    }
    XdParameters xd = read_xd_parameters(file("xd_kova.inp"));
    for (const auto& rec : xd.bad)
        ADD_FAILURE() << "xd_kova.inp record out of its layout: [" << rec << "]";
    ASSERT_EQ(xd.atom_count, nat);
    ASSERT_EQ(xd.dummy_count, ndum);
    ASSERT_EQ(xd.atoms.size(), static_cast<std::size_t>(nat));
    // head 7, zero block 2, dummies, 5 per atom, kappa sets, free variables 2 and the scale 1
    EXPECT_EQ(xd.records, static_cast<std::size_t>(7 + 2 + ndum + 5 * nat + xd.kappa_count + 3));
    ASSERT_TRUE(m.cell.has_value()) << "no CELL line in the head of xd_kova.mas";
    const Cell& cell = *m.cell;
    // rounding of F9.5 (xd_kova.inp) and F14.4 (kova.ang) coordinates
    const double tol = cell.diagonal * 0.9e-5 + 0.9e-4 + 2e-4;  // and of the printed cell
    auto frac = [&](int n) { return n <= nat ? xd.atoms[n - 1].frac : xd.dummies[n - nat - 1]; };
    for (int k = 1; k <= ndum; ++k)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(xd.dummies[k - 1][c], m.dummies[k - 1][c], 2e-6) << "dummy " << k;
    for (int i = 1; i <= nat; ++i) {
        const XdAtom& a = xd.atoms[i - 1];
        const FrameRow& row = m.atoms[i - 1];
        SCOPED_TRACE("xd_kova.inp atom " + std::to_string(i) + " " + a.label);
        EXPECT_EQ(a.label, row.label);
        EXPECT_EQ(a.table[0], axis_code(row.axis1));
        EXPECT_EQ(a.table[1], axis_code(row.axis2));
        EXPECT_EQ(a.table[3], i);
        EXPECT_LE(distance(cell.cart(a.frac), ang.atoms[i - 1]), tol)
            << "xd_kova.inp and kova.ang disagree";
        for (int c : {2, 4}) {
            const int n = a.table[static_cast<std::size_t>(c)];
            const std::string& target = c == 2 ? row.target1 : row.target2;
            if (n < 1 || n > nat + ndum) {
                ADD_FAILURE() << "frame integer " << n << " names no atom or dummy (" << nat
                              << " + " << ndum << ")";
                continue;
            }
            EXPECT_EQ(n <= nat ? m.atoms[n - 1].label : m.dummy_labels[n - nat - 1], target)
                << "frame integer " << n << " and the master file disagree";
            if (!repeated.count(target) && distance(cell.cart(frac(n)), cell.cart(a.frac)) <= 0.01)
                on_atom(row, c == 2 ? row.axis1 : row.axis2, target);
        }
    }
    if (opt.extend_h) check_extended_h(m, cell);
}

// Every hydrogen atom that the listing reports moved lies in fixedH.ins at the distance the
// listing gives from its parent.
void RealRun::check_extended_h(const Master& m, const Cell& cell) {
    HList h = read_fixedh(file("fixedH.ins"));
    for (const auto& rec : h.bad)
        ADD_FAILURE() << "fixedH.ins record out of its layout: [" << rec << "]";
    ASSERT_EQ(h.labels.size(), m.atoms.size());
    for (std::size_t i = 0; i < h.labels.size(); ++i) EXPECT_EQ(h.labels[i], m.atoms[i].label);
    // F7.3 of the distance and F12.6 of the fractional coordinates of two atoms
    const double tol = 0.0005 + 2.0 * cell.diagonal * 0.9e-6 + 1e-4;
    int moved = 0;
    int atom = 0;  // the atom the listing is working with
    const std::string working = " Working with atom ";
    for (const std::string& rec : file("kova.out")) {
        if (starts(rec, working))
            atom = integer(cols(rec, working.size() + 1, working.size() + 7)).value_or(0);
        std::vector<XhLine> xh = extended_h({rec});
        if (xh.empty()) continue;
        ASSERT_GE(atom, 1);
        ASSERT_LE(atom, static_cast<int>(h.labels.size()));
        const std::string& hl = h.labels[static_cast<std::size_t>(atom - 1)];
        const std::string& pair = xh[0].pair;
        ASSERT_TRUE(pair.size() > hl.size() + 1 &&
                    pair.compare(pair.size() - hl.size() - 1, std::string::npos, "-" + hl) == 0)
            << rec;
        const std::string parent = pair.substr(0, pair.size() - hl.size() - 1);
        const Point ph = cell.cart(h.frac[static_cast<std::size_t>(atom - 1)]);
        double best = -1.0;  // a repeated parent label: the nearest atom of that label
        for (std::size_t j = 0; j < h.labels.size(); ++j)
            if (h.labels[j] == parent) {
                double d = distance(cell.cart(h.frac[j]), ph);
                if (best < 0.0 || d < best) best = d;
            }
        ASSERT_GE(best, 0.0) << "parent " << parent << " is not in fixedH.ins: " << rec;
        EXPECT_NEAR(best, xh[0].d, tol) << rec;
        ++moved;
    }
    // the listing and reset.bond speak of the same atoms
    EXPECT_LE(moved, static_cast<int>(file("reset.bond").size()));
}

// The summary names the files there are: every file named exists (the reduced-structure
// files are named also without RINGS, which alone writes them), and every file written that
// the summary has a line for is named.
void RealRun::check_summary() {
    std::set<std::string> named = summary_names(test::lines_of(res.out));
    EXPECT_TRUE(named.count("xd_kova.mas") && named.count("kova.out")) << "no summary";
    for (const std::string& n : named) {
        if (!opt.rings && (n == "reduced.ang" || n == "reduced_1.ang")) {
            EXPECT_FALSE(dir.exists(n));
            continue;
        }
        EXPECT_TRUE(dir.exists(n)) << "the summary names " << n << ", which is not there";
    }
    for (const auto& e : fs::directory_iterator(dir.path())) {
        std::string f = e.path().filename().string();
        if (!unnamed_by_summary(f, structure)) {
            EXPECT_TRUE(named.count(f)) << f << " was written but the summary does not name it";
        }
    }
}

// No number field of the atom files holds "*" (labels may, so they are left out).
void RealRun::check_no_overflow() {
    auto expect_clean = [&](const std::string& name, const std::string& rec, std::size_t from) {
        if (rec.size() >= from && rec.find('*', from - 1) != std::string::npos)
            ADD_FAILURE() << name << ": a field overflows: [" << rec << "]";
    };
    auto lines = [&](const std::string& name) {
        return dir.exists(name) ? file(name) : std::vector<std::string>{};
    };
    // xd_kova.inp: all but the labels of the atom records
    auto xd = lines("xd_kova.inp");
    Master m = read_master(file("xd_kova.mas"));
    const std::size_t first_atom = 9 + m.dummies.size();
    for (std::size_t i = 0; i < xd.size(); ++i) {
        bool atom_record =
            i >= first_atom && (i - first_atom) % 5 == 0 && (i - first_atom) / 5 < m.atoms.size();
        expect_clean("xd_kova.inp", xd[i], atom_record ? 9 : 1);
    }
    for (const FrameRow& row : m.atoms) expect_clean("xd_kova.mas", row.record.substr(0, 63), 42);
    for (const std::string& rec : lines("fixedH.ins")) expect_clean("fixedH.ins", rec, 9);
    for (const char* f : {"reduced.ang", "reduced_1.ang"})
        for (const std::string& rec : lines(f)) expect_clean(f, rec, 14);
    for (const std::string& rec : lines("complete.ang")) expect_clean("complete.ang", rec, 16);
    for (const std::string& rec : lines("kova.spf")) {
        if (starts(rec, "ATOM D(")) {
            expect_clean("kova.spf", rec, rec.find(')') + 2);
        } else {
            expect_clean("kova.spf", rec, starts(rec, "ATOM ") ? 14 : 1);
        }
    }
    // mopro_kova.par: the atom records' number and coordinates, the lines with numbers only
    auto mp = lines("mopro_kova.par");
    for (std::size_t i = 0; i < mp.size(); ++i) {
        if (starts(mp[i], "ATOM ")) {
            expect_clean("mopro_kova.par", cols(mp[i], 6, 8), 1);
            expect_clean("mopro_kova.par", cols(mp[i], 27, 68), 1);
            ++i;  // the axes line names atoms
        } else {
            expect_clean("mopro_kova.par", mp[i], 1);
        }
    }
}

TEST_P(RealRun, EndsAsDesignedAndItsFilesAgree) {
    const auto& [rel, set] = GetParam();
    if (test::real_structure(rel).empty()) GTEST_SKIP() << test::absent_structure(rel);
    run(rel, kOptionSets[set]);
    auto stop = kStops.find(rel);
    auto labels = kRepeatedLabels.find(rel);
    bool repeated = labels != kRepeatedLabels.end() && !opt.rename;
    ASSERT_EQ(res.status, stop != kStops.end() || repeated ? 1 : 0) << res.err;
    EXPECT_EQ(res.err, "");
    EXPECT_EQ(res.out.find("Enter "), std::string::npos) << "a prompt";
    auto terminal = test::lines_of(res.out);
    if (stop != kStops.end()) {
        EXPECT_EQ(tail_of(terminal), stop->second);
        return;
    }
    if (repeated) {
        EXPECT_EQ(tail_of(terminal),
                  " ERROR *** CheckLabels *** Atom labels name more than one atom: " +
                      labels->second + "; give \"*rename 1\" on the INPUT line");
        return;
    }
    ASSERT_TRUE(starts(tail_of(terminal), " Total program elapsed times u,s,t (s) :"))
        << tail_of(terminal);
    std::set<std::string> faults;
    check_frames(faults);
    EXPECT_EQ(faults, known_frame_faults(rel))
        << "frames that point at their own atom or have both targets on one line";
    check_summary();
    check_no_overflow();
}

std::string case_name(const ::testing::TestParamInfo<std::tuple<std::string, int>>& info) {
    std::string s = std::get<0>(info.param);
    for (char& c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return s + "_" + kOptionSets[std::get<1>(info.param)].name;
}

INSTANTIATE_TEST_SUITE_P(
    SharedStructures, RealRun,
    ::testing::Combine(::testing::ValuesIn(shelx_files()),
                       ::testing::Range(0, static_cast<int>(std::size(kOptionSets)))),
    case_name);

}  // namespace
}  // namespace kova
