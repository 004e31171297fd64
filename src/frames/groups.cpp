// Functional-group recognition: the frame of find_functional_group (entry, candidate and failure
// lines, dispatch by element), the neighbour-table questions of the rules, and the group picture
// that a failing rule may draw (the frame analysis hands the last one drawn to group.ang). The
// rule blocks live in groups_hc.cpp (H, C) and groups_nops.cpp (N, O, P, S, halogens).
#include "frames/groups.hpp"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "frames/groups_rules.hpp"
#include "shared/format.hpp"
#include "topology/neighbours.hpp"
#include "topology/planarity.hpp"
#include "topology/rings.hpp"

namespace kova {

namespace groups {

namespace {

const NeighbourTable* table(const Records& r, int x) {
    if (x < 1 || x >= static_cast<int>(r.topology.neighbours.size())) return nullptr;
    return &r.topology.neighbours[static_cast<std::size_t>(x)];
}

int at(const std::vector<int>& v, int k) {
    return (k >= 1 && k < static_cast<int>(v.size())) ? v[static_cast<std::size_t>(k)] : 0;
}

}  // namespace

int element(const Records& r, int x) {
    return (x >= 1 && x < static_cast<int>(r.structure.atomic_number.size()))
               ? r.structure.atomic_number[static_cast<std::size_t>(x)]
               : 0;
}

int neighbour_count(const Records& r, int x) {
    const NeighbourTable* t = table(r, x);
    return t ? t->count : 0;
}

int nth_neighbour(const Records& r, int x, int k) {
    const NeighbourTable* t = table(r, x);
    return (t && k <= t->count) ? at(t->atom, k) : 0;
}

int type_count(const Records& r, int x) {
    const NeighbourTable* t = table(r, x);
    return t ? t->type_count : 0;
}

int type_element(const Records& r, int x, int t) {
    const NeighbourTable* n = table(r, x);
    return (n && t <= n->type_count) ? at(n->type_atomic_number, t) : 0;
}

int type_size(const Records& r, int x, int t) {
    const NeighbourTable* n = table(r, x);
    return (n && t <= n->type_count) ? at(n->type_size, t) : 0;
}

int member(const Records& r, int x, int t, int m) {
    const NeighbourTable* n = table(r, x);
    if (!n || t < 1 || t > n->type_count || t >= static_cast<int>(n->type_atom.size())) return 0;
    if (m > at(n->type_size, t)) return 0;
    return at(n->type_atom[static_cast<std::size_t>(t)], m);
}

int count_of(const Records& r, int x, int z) {
    for (int t = 1; t <= type_count(r, x); ++t)
        if (type_element(r, x, t) == z) return type_size(r, x, t);
    return 0;
}

int first_of(const Records& r, int x, int z) {
    for (int t = 1; t <= type_count(r, x); ++t)
        if (type_element(r, x, t) == z) return member(r, x, t, 1);
    return 0;
}

int nearest_of(const Records& r, int x, int z, int k) {
    for (int m = 1; m <= neighbour_count(r, x); ++m) {
        int j = nth_neighbour(r, x, m);
        if (j != 0 && element(r, j) == z && --k == 0) return j;
    }
    return 0;
}

bool composition(const Records& r, int x, std::initializer_list<std::pair<int, int>> types) {
    if (type_count(r, x) != static_cast<int>(types.size())) return false;
    int t = 0;
    for (const auto& [z, count] : types) {
        ++t;
        if (type_element(r, x, t) != z || type_size(r, x, t) != count) return false;
    }
    return true;
}

bool all_h_or_c(const Records& r, int x) {
    for (int t = 1; t <= type_count(r, x); ++t)
        if (type_element(r, x, t) != 1 && type_element(r, x, t) != 6) return false;
    return true;
}

int other_neighbour(const Records& r, int x, int not_this) {
    for (int m = 1; m <= neighbour_count(r, x); ++m)
        if (int j = nth_neighbour(r, x, m); j != 0 && j != not_this) return j;
    return 0;
}

Counts neighbour_counts(const Records& r, std::initializer_list<int> atoms) {
    Counts c;
    bool first = true;
    for (int a : atoms) {
        int n = neighbour_count(r, a);
        c.sum += n;
        c.min = first ? n : std::min(c.min, n);
        c.max = first ? n : std::max(c.max, n);
        first = false;
    }
    return c;
}

RingAnswer ring_of(const Records& r, int x) {
    if (x < 1) return {};
    return {ring_membership(r, x)};
}

void candidate(const Site& s, std::string_view tag) {
    s.io.write(Files::listing, "");
    s.io.write(Files::listing, " DetExcept :: checking " + std::string(tag) + " group...");
}

void note(const Site& s, const std::string& line) { s.io.write(Files::listing, line); }

namespace {

void failure_message(Io& io, const std::string& tag) {
    const int out = Files::listing;
    io.write(out, "");
    io.write(out, " DetExcept :: Unknown " + tag + " functional group");
    io.write(out, "");
    io.write(out, " See file group.ang for more info...");
    io.write(out, "");
}

std::span<const Block> blocks_for(Site& s) {
    const Records& r = s.r;
    switch (element(r, s.atom)) {
        case 1:
            return hydrogen_blocks();
        case 6:
            // the carbon's own ring answer decides every entry condition of its blocks
            s.own = ring_of(r, s.atom);
            if (neighbour_count(r, s.atom) == 3) return carbon3_blocks();
            if (neighbour_count(r, s.atom) == 4) return carbon4_blocks();
            return {};
        case 7:
            if (neighbour_count(r, s.atom) + 1 >= 3) s.planar = group_is_planar(s.io, r, s.atom);
            return nitrogen_blocks();
        case 8:
            return oxygen_blocks();
        case 9:
        case 17:
        case 35:
            return halogen_blocks();
        case 15:
            return phosphorus_blocks();
        case 16:
            return sulfur_blocks();
        default:
            return {};
    }
}

}  // namespace

}  // namespace groups

FunctionalGroup find_functional_group(Io& io, const Records& r, int atom) {
    using namespace groups;
    if (atom < 1 || atom > r.atom_slots()) return {};
    Site site{io, r, atom, {}, false};
    for (const Block& b : blocks_for(site)) {
        if (!b.applies(site)) continue;
        candidate(site, b.tag);
        Outcome o = b.decide(site);
        if (o.kind == Outcome::Kind::named) return {true, pad(o.text, 40), {}};
        if (o.kind != Outcome::Kind::silent) failure_message(io, o.text);
        FunctionalGroup none;
        if (o.kind == Outcome::Kind::picture) none.picture = group_picture(r, atom);
        return none;
    }
    return {};
}

std::vector<GroupPictureAtom> group_picture(const Records& r, int atom) {
    // atom, then up to three bonds out, the farthest shell of each branch before the nearer
    // atoms; the list is not capped, so a crowded picture is drawn whole
    std::vector<int> list{atom};
    std::unordered_set<int> listed{atom};
    auto add = [&](int a) {
        if (a != 0 && listed.insert(a).second) list.push_back(a);
    };
    for (int m = 1; m <= groups::neighbour_count(r, atom); ++m) {
        int j = groups::nth_neighbour(r, atom, m);
        for (int k = 1; k <= groups::neighbour_count(r, j); ++k) {
            int l = groups::nth_neighbour(r, j, k);
            for (int q = 1; q <= groups::neighbour_count(r, l); ++q)
                add(groups::nth_neighbour(r, l, q));
            add(l);
        }
        add(j);
    }

    // Positions as they are now: a hydrogen atom framed later may still be moved.
    std::vector<GroupPictureAtom> picture;
    picture.reserve(list.size());
    for (int a : list)
        if (a >= 1 && a <= r.atom_slots())
            picture.push_back({a, r.structure.cart[static_cast<std::size_t>(a)]});
    return picture;
}

}  // namespace kova
