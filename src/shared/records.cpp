// Storage of the shared records, the element tables and `iatnum`.
#include "shared/records.hpp"

#include <algorithm>
#include <cctype>

namespace kova {

namespace {

// Symbols of Z = 1..109 (the table holds 1..92; 93..109 are the standard symbols).
const char* const kSymbols[110] = {
    "??", "H", "He", "Li", "Be", "B", "C", "N", "O", "F", "Ne", "Na", "Mg", "Al", "Si", "P",
    "S", "Cl", "Ar", "K", "Ca", "Sc", "Ti", "V", "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn",
    "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y", "Zr", "Nb", "Mo", "Tc", "Ru", "Rh",
    "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I", "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd",
    "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W", "Re",
    "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac", "Th",
    "Pa", "U", "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr", "Rf", "Db",
    "Sg", "Bh", "Hs", "Mt"};

// Covalent radii (Å): Z 1..54 as the program has always had them; Z 55..109 the published
// values of Cordero et al. (2008), 1.60 where none was measured.
const float kRadii[110] = {
    0.0f,  0.40f, 0.93f, 1.23f, 0.90f, 0.82f, 0.77f, 0.75f, 0.73f, 0.72f, 0.71f, 1.54f, 1.36f,
    1.18f, 1.11f, 1.06f, 1.02f, 0.99f, 0.98f, 2.03f, 1.74f, 1.44f, 1.32f, 1.22f, 1.18f, 1.17f,
    1.17f, 1.16f, 1.15f, 1.17f, 1.25f, 1.26f, 1.22f, 1.20f, 1.16f, 1.14f, 1.89f, 2.16f, 1.91f,
    1.62f, 1.45f, 1.34f, 1.30f, 1.27f, 1.25f, 1.25f, 1.28f, 1.34f, 1.41f, 1.44f, 1.41f, 1.40f,
    1.36f, 1.33f, 1.31f,
    2.44f, 2.15f, 2.07f, 2.04f, 2.03f, 2.01f, 1.99f, 1.98f, 1.98f, 1.96f, 1.94f, 1.92f, 1.92f,
    1.89f, 1.90f, 1.87f, 1.87f, 1.75f, 1.70f, 1.62f, 1.51f, 1.44f, 1.41f, 1.36f, 1.36f, 1.32f,
    1.45f, 1.46f, 1.48f, 1.40f, 1.50f, 1.50f, 2.60f, 2.21f, 2.15f, 2.06f, 2.00f, 1.96f, 1.90f,
    1.87f, 1.80f, 1.69f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f,
    1.60f, 1.60f, 1.60f};

// Slots up to n, each new one made in place with its initial value.
template <typename T, typename... A>
void grow(std::vector<T>& v, int n, const A&... init) {
    const auto slots = static_cast<std::size_t>(n) + 1;
    if (v.size() >= slots) return;
    if (v.capacity() < slots) v.reserve(std::max(slots, 2 * v.capacity()));
    while (v.size() < slots) v.emplace_back(init...);
}

}  // namespace

Records::Records() {
    covrad.covrad.assign(kRadii, kRadii + 110);
    atsym.atsym.resize(93);
    atsym.atsym[0] = "  ";
    for (int z = 1; z <= 92; ++z) {
        std::string s = kSymbols[z];
        s.resize(2, ' ');
        atsym.atsym[z] = s;
    }
    for (auto& w : line_extract.word) w = std::string(8, ' ');
    ensure_atoms(0);
    ensure_ksets(0);
    ensure_dummies(0);
    ensure_rings(0);
    at_types.iztype.assign(1, 0);
}

namespace {

// Every per-atom member, in the order they are grown.
template <typename F>
void for_each_atom_member(Records& r, F&& f) {
    f(r.atoms.label, 8, ' ');
    f(r.atoms.xf);
    f(r.atoms.xc);
    f(r.atoms.iz);
    f(r.atoms.sitesym, 5, ' ');
    f(r.atoms1.tp);
    f(r.atoms1.itbl);
    f(r.atoms1.lmx);
    f(r.atoms1.occ, 1.0f);
    f(r.atoms1.occflag);
    f(r.at_uij.uij);
    f(r.resi1.reslab, 17, ' ');
    f(r.resi1.resatm, 10, ' ');
    f(r.cryst.isq);
    f(r.cryst.nsq);
    f(r.neighbors.at);
    f(r.forh.isp);
    f(r.forh.ihp);
    f(r.forh.ihnei);
    f(r.kappaset.kset);
    f(r.except.iexc);
    f(r.except.exname, 40, ' ');
    f(r.mpoles.pv);
    f(r.mpoles.spv);
    f(r.mpoles.plm);
    f(r.mpoles.itab);
    f(r.mopro.mopro, 90, ' ');
    f(r.mcon.mcon, 90, ' ');
    f(r.cons.cons, 100, ' ');
    f(r.at_types.iztype);
}

}  // namespace

void Records::ensure_atoms(int n) {
    if (n < atom_slots()) return;
    for_each_atom_member(*this, [n](auto& v, const auto&... init) { grow(v, n, init...); });
}

void Records::reserve_atoms(int n) {
    const auto slots = static_cast<std::size_t>(n) + 1;
    for_each_atom_member(*this, [slots](auto& v, const auto&...) { v.reserve(slots); });
}

void Records::ensure_ksets(int n) {
    grow(kappas.kap, n, std::array<float, 3>{});
    grow(kappas.ktbl, n, 0);
}

void Records::ensure_dummies(int n) {
    grow(dummy.dumlab, n, std::string(6, ' '));
    grow(dummy.dumxyz, n, Vec3f{});
}

void Records::ensure_rings(int n) {
    grow(rings.ringsize, n, 0);
    grow(rings.ringat, n, std::vector<int>(1, 0));
    if (static_cast<int>(rings.ringplanar.size()) < n + 1)
        rings.ringplanar.resize(static_cast<std::size_t>(n) + 1, false);
    grow(rings.ringdum, n, 0);
}

std::string element_symbol(const Records& r, int z) {
    if (z >= 1 && z <= 92) return r.atsym.atsym[z];
    if (z >= 93 && z <= 109) return kSymbols[z];
    return "??";
}

float covalent_radius(const Records& r, int z) {
    if (z >= 1 && z <= 109) return r.covrad.covrad[z];
    return 1.50f;
}

int iatnum(std::string_view symbol) {
    char a = symbol.size() > 0 ? symbol[0] : ' ';
    char b = symbol.size() > 1 ? symbol[1] : ' ';
    auto upc = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    a = upc(a);
    b = upc(b);
    for (int z = 2; z <= 109; ++z) {
        const char* s = kSymbols[z];
        if (s[1] == '\0') continue;
        if (a == s[0] && b == upc(s[1])) return z;
    }
    switch (a) {
        case 'H': return 1;
        case 'B': return 5;
        case 'C': return 6;
        case 'N': return 7;
        case 'O': return 8;
        case 'F': return 9;
        case 'P': return 15;
        case 'S': return 16;
        case 'K': return 19;
        case 'V': return 23;
        case 'Y': return 39;
        case 'I': return 53;
        case 'W': return 74;
        case 'U': return 92;
        default: return 0;
    }
}

}  // namespace kova
