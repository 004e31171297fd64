// Storage of the shared records, the element tables and `atomic_number`.
#include "shared/records.hpp"

#include <algorithm>
#include <cctype>

#include "shared/format.hpp"

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
    elements.covalent_radius.assign(kRadii, kRadii + 110);
    elements.symbol.resize(93);
    elements.symbol[0] = "  ";
    for (int z = 1; z <= 92; ++z) {
        std::string s = kSymbols[z];
        s.resize(2, ' ');
        elements.symbol[z] = s;
    }
    ensure_atoms(0);
    ensure_kappa_sets(0);
    ensure_dummies(0);
    ensure_rings(0);
    structure.type_atomic_number.assign(1, 0);
}

namespace {

// Every per-atom member, in the order they are grown.
template <typename F>
void for_each_atom_member(Records& r, F&& f) {
    Structure& s = r.structure;
    f(s.label, 8, ' ');
    f(s.frac);
    f(s.cart);
    f(s.atomic_number);
    f(s.site_symmetry, 5, ' ');
    f(s.adp_order);
    f(s.scattering_table);
    f(s.multipole_level);
    f(s.occupancy, 1.0f);
    f(s.occupancy_flag);
    f(s.uij);
    f(s.residue_label, 17, ' ');
    f(s.residue_atom, 10, ' ');
    f(r.topology.source_atom);
    f(r.topology.image_count);
    f(r.topology.neighbours);
    AnalysisResults& fr = r.frames;
    f(fr.parent_neighbours);
    f(fr.parent_atomic_number);
    f(fr.parent_hydrogens);
    f(fr.kappa_set);
    f(fr.group_found);
    f(fr.group_name, 40, ' ');
    f(fr.valence_population);
    f(fr.valence_population_sigma);
    f(fr.plm);
    f(fr.final_frame);
    f(fr.equivalent_atom);
    f(fr.axis_ends);
    f(fr.mopro_similarity, 90, ' ');
    f(s.type_atomic_number);
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

void Records::ensure_kappa_sets(int n) {
    grow(frames.kappa, n, std::array<float, 3>{});
    grow(frames.kappa_table, n, 0);
}

void Records::ensure_dummies(int n) {
    grow(frames.dummy_label, n, std::string(6, ' '));
    grow(frames.dummy_xyz, n, AnyPosition{});
}

void Records::ensure_rings(int n) {
    Topology& t = topology;
    grow(t.ring_size, n, 0);
    grow(t.ring_atom, n, std::vector<int>(1, 0));
    if (static_cast<int>(t.ring_planar.size()) < n + 1)
        t.ring_planar.resize(static_cast<std::size_t>(n) + 1, false);
    grow(t.ring_dummy, n, 0);
}

std::string frame_target_label(const Structure& s, const AnalysisResults& results, int number) {
    if (number >= 1 && number <= s.atom_count)
        return pad(s.label[static_cast<std::size_t>(number)], 8);
    if (number > s.atom_count && number - s.atom_count <= results.dummy_count)
        return pad(results.dummy_label[static_cast<std::size_t>(number - s.atom_count)], 8);
    return std::string(8, ' ');
}

void place_atom(Structure& s, int i, const Fractional& xf) {
    const auto k = static_cast<std::size_t>(i);
    s.frac[k] = xf;
    s.cart[k] = to_cartesian(s.frac_to_cart, xf);
}

void place_atom(Records& r, int i, const Cartesian& xc) {
    Structure& s = r.structure;
    const auto k = static_cast<std::size_t>(i);
    s.cart[k] = xc;
    s.frac[k] = r.options.crystal_input ? to_fractional(s.cart_to_frac, xc) : Fractional{};
}

std::string element_symbol(const Records& r, int z) {
    if (z >= 1 && z <= 92) return r.elements.symbol[z];
    if (z >= 93 && z <= 109) return kSymbols[z];
    return "??";
}

float covalent_radius(const Records& r, int z) {
    if (z >= 1 && z <= 109) return r.elements.covalent_radius[z];
    return 1.50f;
}

int atomic_number(std::string_view symbol) {
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

const char* pv_scaling_name(PvScaling method) {
    switch (method) {
        case PvScaling::fraction: return "fraction";
        case PvScaling::sigma: return "sigmaPv";
        case PvScaling::none:
        case PvScaling::difference: break;
    }
    return "difference";
}

}  // namespace kova
