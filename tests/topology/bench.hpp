// A workspace with the listing open and atoms added by hand, and the structures the topology
// tests share: random clusters and crystals, and the atoms, cell and operators of the real
// SHELX files (read here only for their geometry).
#pragma once

#include <array>
#include <cmath>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/records.hpp"
#include "support.hpp"

namespace kova::test {

class Bench : public Workspace {
public:
    Bench() : Workspace({.listing = true}) {}
    // Appends an atom read (Cartesian; fractional the same unless given) and returns its index.
    int add(const std::string& label, int z, float x, float y, float zc, float occ = 1.0f,
            int flag = 0) {
        int k = r.structure.atom_count + 1;
        r.ensure_atoms(k);
        r.structure.label[k] = pad(label, 8);
        r.structure.atomic_number[k] = z;
        r.structure.cart[k] = {x, y, zc};
        r.structure.frac[k] = {x, y, zc};
        r.structure.occupancy[k] = occ;
        r.structure.occupancy_flag[k] = flag;
        r.structure.atom_count = k;
        r.topology.list_size = k;
        return k;
    }
    std::vector<std::string> listing() { return file("kova.out"); }
    // Listing lines from the first one equal to `from` on.
    std::vector<std::string> listing_from(const std::string& from) {
        auto all = listing();
        std::size_t k = 0;
        while (k < all.size() && all[k] != from) ++k;
        return std::vector<std::string>(all.begin() + static_cast<long>(k), all.end());
    }
};

// Expected lines in order, each compared with a note of its place.
inline void expect_lines(const std::vector<std::string>& got, const std::vector<std::string>& want,
                         std::size_t from = 0) {
    ASSERT_GE(got.size(), from + want.size()) << "too few lines";
    for (std::size_t k = 0; k < want.size(); ++k)
        EXPECT_EQ(got[from + k], want[k]) << "line " << from + k;
}

// A random cluster of n atoms at about the density of an organic crystal (one atom per
// `volume` Å^3), with hydrogen, carbon, nitrogen, oxygen, sulfur and some heavier atoms; a
// share of the atoms disordered with occupancies 0.5 or 0.6.
inline void random_cluster(Records& r, int n, unsigned seed, float volume = 12.0f,
                           bool disorder = true) {
    std::mt19937 g(seed);
    const float side = std::cbrt(volume * static_cast<float>(n));
    std::uniform_real_distribution<float> u(0.0f, side);
    const int zs[] = {1, 1, 1, 6, 6, 6, 6, 7, 8, 16, 26, 53, 79};
    std::uniform_int_distribution<int> pick(0, 12), dice(0, 19);
    r.ensure_atoms(n);
    for (int k = 1; k <= n; ++k) {
        r.structure.atomic_number[k] = zs[pick(g)];
        r.structure.label[k] = pad(numbered("A", k), 8);
        r.structure.cart[k] = {u(g), u(g), u(g)};
        r.structure.frac[k] = Fractional{r.structure.cart[k]};
        int d = disorder ? dice(g) : 0;
        r.structure.occupancy_flag[k] = d == 0 ? -1 : (d == 1 ? 1 : 0);
        r.structure.occupancy[k] = d == 0 ? (dice(g) < 10 ? 0.5f : 0.6f) : 1.0f;
    }
    // Pairs closer than the same-site and too-close limits, to exercise those rules.
    for (int k = 2; k <= n; k += 97) {
        r.structure.cart[k] = r.structure.cart[k - 1];
        r.structure.cart[k][0] += (k % 3 == 0) ? 0.005f : 0.3f;
    }
    r.structure.atom_count = n;
    r.topology.list_size = n;
}

// The crystal-to-Cartesian matrix of a cell: x along a, y in the ab plane.
inline Mat3f cell_matrix(const std::array<float, 6>& c) {
    const double d2r = 3.14159265358979323846 / 180.0;
    double ca = std::cos(c[3] * d2r), cb = std::cos(c[4] * d2r), cg = std::cos(c[5] * d2r),
           sg = std::sin(c[5] * d2r);
    double v = std::sqrt(1.0 - ca * ca - cb * cb - cg * cg + 2.0 * ca * cb * cg);
    Mat3f m{};
    m[0] = {c[0], static_cast<float>(c[1] * cg), static_cast<float>(c[2] * cb)};
    m[1] = {0.0f, static_cast<float>(c[1] * sg), static_cast<float>(c[2] * (ca - cb * cg) / sg)};
    m[2] = {0.0f, 0.0f, static_cast<float>(c[2] * v / sg)};
    return m;
}

inline void set_cartesian(Records& r, int from, int to) {
    const Mat3f& m = r.structure.frac_to_cart;
    for (int k = from; k <= to; ++k) {
        const Vec3f& f = r.structure.frac[k];
        for (int i = 0; i < 3; ++i)
            r.structure.cart[k][i] = m[i][0] * f[0] + m[i][1] * f[1] + m[i][2] * f[2];
    }
}

// Adds operator x' = R x + t (R given by rows as for x' = R x).
inline void add_operator(Records& r, const std::array<std::array<float, 3>, 3>& rows,
                         const Vec3f& t) {
    int n = ++r.structure.symmetry.count;
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 3; ++j) r.structure.symmetry.rotation[n][j][k] = rows[k][j];
    r.structure.symmetry.translation[n] = t;
}

// One SHELX symmetry card ("-X, 1/2+Y, 1/2-Z") as rows and translation.
inline bool parse_card(std::string card, std::array<std::array<float, 3>, 3>& rows, Vec3f& t) {
    for (auto& ch : card) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    std::vector<std::string> parts(1);
    for (char ch : card) {
        if (ch == ',')
            parts.emplace_back();
        else if (ch != ' ')
            parts.back().push_back(ch);
    }
    if (parts.size() != 3) return false;
    for (int k = 0; k < 3; ++k) {
        rows[k] = {0, 0, 0};
        t[k] = 0;
        const std::string& p = parts[static_cast<std::size_t>(k)];
        std::size_t i = 0;
        while (i < p.size()) {
            float sign = 1.0f;
            if (p[i] == '+' || p[i] == '-') sign = p[i++] == '-' ? -1.0f : 1.0f;
            if (i < p.size() && (p[i] == 'X' || p[i] == 'Y' || p[i] == 'Z')) {
                rows[k][static_cast<std::size_t>(p[i] - 'X')] += sign;
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < p.size() &&
                   (std::isdigit(static_cast<unsigned char>(p[j])) || p[j] == '.' || p[j] == '/'))
                ++j;
            std::string num = p.substr(i, j - i);
            if (num.empty()) return false;
            float v;
            if (auto s = num.find('/'); s != std::string::npos)
                v = std::stof(num.substr(0, s)) / std::stof(num.substr(s + 1));
            else
                v = std::stof(num);
            t[k] += sign * v;
            i = j;
            if (i < p.size() && p[i] == '*') ++i;
        }
    }
    return true;
}

// SHELX instructions that may stand where an atom line could.
inline constexpr const char* kCommands =
    " ABIN ACTA AFIX ANIS ANSC ANSR BASF BIND BLOC BOND BUMP CGLS CHIV CONF CONN DAMP DANG DEFS"
    " DELU DFIX DISP EADP EQIV EXTI EXYZ FEND FLAT FMAP FRAG FREE FVAR GRID HFIX HKLF HTAB INCL"
    " ISOR LAUE LIST L.S. MERG MOLE MORE MOVE MPLA NCSY NEUT OMIT PART PLAN PRIG REM RESI RIGU"
    " RTAB SADI SAME SFAC SHEL SIMU SIZE SPEC STIR SUMP SWAT SYMM TEMP TITL TWIN TWST UNIT WGHT"
    " WIGL WPDB XNPD ZERR CELL LATT END LS ";

// The cell, the operators (with centring and inversion partners) and the atoms of a SHELX
// file, with atomic numbers from SFAC. Enough to place real structures for the tests; false
// when the file is not there or has no atoms.
inline bool read_shelx_geometry(Records& r, const std::filesystem::path& file) {
    std::ifstream f(file);
    if (!f) return false;
    std::vector<std::string> sfac;
    std::vector<std::pair<std::array<std::array<float, 3>, 3>, Vec3f>> cards;
    cards.push_back({{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}, {0, 0, 0}});
    int latt = 1;
    std::string line;
    bool cell = false;
    int n = 0;
    while (std::getline(f, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream w(line);
        std::string key;
        if (!(w >> key)) continue;
        for (auto& ch : key) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        if (key == "END" || key == "HKLF") break;
        if (key == "CELL") {
            float lambda;
            std::array<float, 6> c{};
            w >> lambda >> c[0] >> c[1] >> c[2] >> c[3] >> c[4] >> c[5];
            r.structure.cell = c;
            r.structure.frac_to_cart = cell_matrix(c);
            cell = true;
        } else if (key == "LATT") {
            w >> latt;
        } else if (key == "SYMM") {
            std::array<std::array<float, 3>, 3> rows;
            Vec3f t;
            if (parse_card(line.substr(line.find_first_of("Ss") + 4), rows, t))
                cards.push_back({rows, t});
        } else if (key == "SFAC") {
            std::string e;
            while (w >> e) sfac.push_back(e);
        } else if (cell && !sfac.empty() && key.size() <= 4 &&
                   std::isalpha(static_cast<unsigned char>(key[0])) &&
                   std::string(kCommands).find(" " + key + " ") == std::string::npos) {
            int type;
            float x, y, z;
            if (!(w >> type >> x >> y >> z) || type < 1 || type > static_cast<int>(sfac.size()))
                continue;
            auto fold = [](float v) { return std::fabs(v) > 5.0f ? std::fmod(v, 10.0f) : v; };
            ++n;
            r.ensure_atoms(n);
            r.structure.label[n] = pad(key, 8);
            r.structure.atomic_number[n] = atomic_number(sfac[static_cast<std::size_t>(type - 1)]);
            r.structure.frac[n] = {fold(x), fold(y), fold(z)};
            r.structure.occupancy[n] = 1.0f;
            r.structure.occupancy_flag[n] = 0;
        }
    }
    if (!cell || n == 0) return false;
    r.structure.atom_count = n;
    r.topology.list_size = n;
    set_cartesian(r, 1, n);
    std::vector<Vec3f> centring = {{0, 0, 0}};
    switch (std::abs(latt)) {
        case 2: centring.push_back({0.5f, 0.5f, 0.5f}); break;
        case 3:
            centring.push_back({2 / 3.0f, 1 / 3.0f, 1 / 3.0f});
            centring.push_back({1 / 3.0f, 2 / 3.0f, 2 / 3.0f});
            break;
        case 4:
            centring.push_back({0, 0.5f, 0.5f});
            centring.push_back({0.5f, 0, 0.5f});
            centring.push_back({0.5f, 0.5f, 0});
            break;
        case 5: centring.push_back({0, 0.5f, 0.5f}); break;
        case 6: centring.push_back({0.5f, 0, 0.5f}); break;
        case 7: centring.push_back({0.5f, 0.5f, 0}); break;
        default: break;
    }
    r.structure.symmetry.count = 0;
    for (int inv = 0; inv < (latt > 0 ? 2 : 1); ++inv)
        for (const auto& c : centring)
            for (const auto& [rows, t] : cards) {
                auto m = rows;
                Vec3f tt = t;
                if (inv)
                    for (int k = 0; k < 3; ++k) {
                        for (int j = 0; j < 3; ++j) m[k][j] = -m[k][j];
                        tt[k] = -tt[k];
                    }
                for (int k = 0; k < 3; ++k) tt[k] += c[k];
                if (r.structure.symmetry.count < max_symops) add_operator(r, m, tt);
            }
    return true;
}

}  // namespace kova::test
