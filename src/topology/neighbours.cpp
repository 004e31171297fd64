// Neighbour search, the stored neighbour tables and their printouts in kova.out. A search
// visits only the atoms near the centre (a spatial index of the working list) and then applies
// the tests of the whole-list scan in index order, so that the result, its order and every
// tie are those of the scan (which the tests keep to check the search against).
#include "topology/neighbours.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "shared/fatal.hpp"
#include "shared/errors.hpp"
#include "shared/format.hpp"
#include "shared/grid.hpp"

namespace kova {

namespace {

constexpr float kTooClose = 0.5f;  // TOOCLOSE
// An atom moved by less than this (Å) stays filed where it was, and every search reaches as
// far beyond its radius as the atoms have drifted: moving H atoms out to standard X-H
// distances then never refiles them.
constexpr double kDrift = 0.25;
constexpr float kSameXyz = 0.01f;  // SAMEXYZ
#ifndef NDEBUG
// Test builds compare the index with the records at every search of a list up to this length,
// and at every 256th search of a longer one.
constexpr int kCheckedLength = 5000;

bool same_bits(const Vec3f& a, const Vec3f& b) {
    for (int k = 0; k < 3; ++k)
        if (std::bit_cast<std::uint32_t>(a[k]) != std::bit_cast<std::uint32_t>(b[k])) return false;
    return true;
}

bool same_bits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](float x, float y) {
               return std::bit_cast<std::uint32_t>(x) == std::bit_cast<std::uint32_t>(y);
           });
}
#endif

}  // namespace

NeighbourIndex::NeighbourIndex(const Records& r) {
    const int n = r.list_length();
    n_ = n;
    bond_tolerance_bits_ = std::bit_cast<std::uint32_t>(r.options.tolerances.bond);
    covalent_radius_ = r.elements.covalent_radius;
    pos_.assign(r.structure.cart.begin(), r.structure.cart.begin() + n + 1);
    filed_ = pos_;
    atomic_number_.assign(r.structure.atomic_number.begin(),
                          r.structure.atomic_number.begin() + n + 1);
    for (int j = 1; j <= n; ++j) {
        float c = covalent_radius(r, r.structure.atomic_number[j]);
        if (c > max_radius_) max_radius_ = c;  // a NaN radius never bonds and is left out
    }
    // Cells of the longest covalent bond, so that a covalent search looks at 27 cells.
    double h = 2.0 * max_radius_ + r.options.tolerances.bond;
    h = std::isfinite(h) ? std::max(1.0, h * 1.0001) : 1.0;
    std::vector<Vec3d> pts;
    pts.reserve(static_cast<std::size_t>(n));
    for (int j = 1; j <= n; ++j) pts.push_back(widen(r.structure.cart[j]));
    grid_.build(h, pts, 1);
}

// Slack for the rounding of the single-precision distances, and the drift of the atoms from
// their filed places.
double NeighbourIndex::reach(double radius) const {
    return radius * (1.0 + 1e-5) + 1e-6 + drift_;
}

void NeighbourIndex::check_in_step([[maybe_unused]] const Records& r) {
    [[maybe_unused]] const long long search = searches_++;
#ifndef NDEBUG
    if (n_ > kCheckedLength && search % 256 != 0) return;
    auto out_of_step = [](const std::string& what) {
        throw std::logic_error("neighbour index out of step with the records: " + what);
    };
    if (r.list_length() != n_) out_of_step("the working list changed its length");
    if (std::bit_cast<std::uint32_t>(r.options.tolerances.bond) != bond_tolerance_bits_ ||
        !same_bits(r.elements.covalent_radius, covalent_radius_))
        out_of_step("the bond tolerance or the radii changed");
    for (int j = 1; j <= n_; ++j) {
        if (atomic_number_[j] != r.structure.atomic_number[j])
            out_of_step("atom " + std::to_string(j) + " changed its element");
        if (!same_bits(pos_[j], r.structure.cart[j]))
            out_of_step("atom " + std::to_string(j) + " moved without move_atom");
    }
#endif
}

namespace {

// An empty list: slot 0 of every member in place.
NeighbourList no_neighbours() {
    NeighbourList g;
    g.atom.assign(1, 0);
    g.distance.assign(1, 0.0f);
    g.type_size.assign(1, 0);
    g.type_atomic_number.assign(1, 0);
    g.type_atom.assign(1, std::vector<int>(1, 0));
    return g;
}

[[noreturn]] void overflow(Io& io, const Records& r, int atom, float radius) {
    const std::string lines[] = {
        "",
        " GetNei :: atom = " + fi(atom, 8) + "  " + pad(r.structure.label[atom], 8),
        "           rmax = " + ff(radius, 12, 3),
        "           inei exceeds dimension maxnei ( " + fi(max_neighbours, 6) + " )",
        "",
    };
    for (const auto& l : lines)
        for (int ch : {terminal, Files::listing})
            if (ch == terminal || io.is_open_out(ch)) io.write(ch, l);
    throw RunStop{};
}

// Tests 1 to 4 of the scan: centre, disorder, distance, too close. The distance of atom j from
// the centre when it passes them, none otherwise.
std::optional<float> passes(const Records& r, int atom, int j, float radius) {
    if (j == atom) return std::nullopt;
    if (r.structure.occupancy_flag[atom] == -1 && r.structure.occupancy_flag[j] == -1) {
        float diff = std::fabs(r.structure.occupancy[atom] - r.structure.occupancy[j]);
        if (static_cast<double>(diff) > 0.01) return std::nullopt;
    }
    const float d = distance(r.structure.cart[atom], r.structure.cart[j]);
    if (radius > 0.0f) {
        if (!(d <= radius)) return std::nullopt;
    } else {
        float lim =
            (covalent_radius(r, r.structure.atomic_number[atom]) + r.options.tolerances.bond) +
            covalent_radius(r, r.structure.atomic_number[j]);
        if (!(d <= lim)) return std::nullopt;
    }
    if (d < kTooClose) return std::nullopt;
    return d;
}

// Tests 5 to 7 over the candidates that passed 1 to 4, in index order; then the sort.
void accept(Io& io, const Records& r, int atom, float radius,
            const std::vector<std::pair<int, float>>& cand, NeighbourList& g) {
    // Two atoms closer than SAMEXYZ lie at nearly the same distance from the centre, so only
    // the atoms taken whose distances are that close (with room for the rounding of d) are
    // compared: `taken` holds their distances in ascending order.
    std::vector<std::pair<float, int>> taken;
    taken.reserve(cand.size());
    auto nearer = [](const std::pair<float, int>& a, float b) { return a.first < b; };
    auto farther = [](float a, const std::pair<float, int>& b) { return a < b.first; };
    for (const auto& [j, d] : cand) {
        const float window = 2.0f * kSameXyz + 1.0e-5f * d;
        const bool finite = std::isfinite(window);  // else every atom taken is compared
        auto q = finite ? std::lower_bound(taken.begin(), taken.end(), d - window, nearer)
                        : taken.begin();
        auto end = finite ? std::upper_bound(q, taken.end(), d + window, farther) : taken.end();
        bool same = false;
        for (; q != end && !same; ++q)
            same = distance(r.structure.cart[j], r.structure.cart[q->second]) < kSameXyz;
        if (same) continue;
        taken.insert(std::upper_bound(taken.begin(), taken.end(), d, farther), {d, j});
        if (g.count + 1 > max_neighbours) {
            g.count = max_neighbours + 1;
            overflow(io, r, atom, radius);
        }
        ++g.count;
        g.atom.push_back(j);
        g.distance.push_back(d);
        if (r.structure.occupancy_flag[j] == -1) g.any_disordered = true;
    }
    // Repeated passes swapping only a strictly greater distance: a stable sort by distance.
    std::vector<std::pair<float, int>> by_distance;
    by_distance.reserve(static_cast<std::size_t>(g.count));
    for (int k = 1; k <= g.count; ++k) by_distance.emplace_back(g.distance[k], g.atom[k]);
    std::stable_sort(by_distance.begin(), by_distance.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (int k = 1; k <= g.count; ++k) {
        g.distance[k] = by_distance[static_cast<std::size_t>(k - 1)].first;
        g.atom[k] = by_distance[static_cast<std::size_t>(k - 1)].second;
    }
}

// Sorts the candidates by distance, then index, and tells whether the same-site test drops
// none of them (and no more than maxnei are taken): no two lie closer than SAMEXYZ.
bool distinct_sites(const Records& r, std::vector<std::pair<int, float>>& cand) {
    if (cand.size() > static_cast<std::size_t>(max_neighbours)) return false;
    std::sort(cand.begin(), cand.end(), [](const auto& a, const auto& b) {
        return a.second < b.second || (a.second == b.second && a.first < b.first);
    });
    for (std::size_t a = 0; a < cand.size(); ++a) {
        for (std::size_t b = a + 1; b < cand.size(); ++b) {
            // as in accept: a pair closer than SAMEXYZ differs little in distance
            const float window = 2.0f * kSameXyz + 1.0e-5f * cand[b].second;
            if (!std::isfinite(window)) return false;
            if (cand[b].second - cand[a].second > window) break;
            if (distance(r.structure.cart[cand[a].first], r.structure.cart[cand[b].first]) <
                kSameXyz)
                return false;
        }
    }
    return true;
}

bool valid_centre(const Records& r, int atom) { return atom >= 1 && atom <= r.atom_slots(); }

// Heading and rows of a neighbour listing (covalent form when radius <= 0).
void print_neighbours(Io& io, const Records& r, int channel, int atom, float radius, int count,
                      const std::vector<int>& neighbours, const std::vector<float>& distances) {
    io.write(channel, "");
    if (radius > 0.0f)
        io.write(channel, " Neighbors of " + trim(r.structure.label[atom]) + " within " +
                                ff(radius, 7, 3) + " Ang = " + fi(count, 4));
    else
        io.write(channel, " Covalently-bonded neighbors to " + trim(r.structure.label[atom]) +
                                " = " + fi(count, 4));
    io.write(channel, "");
    io.write(channel, "     i       n     r(Ang)    atom       occ");
    for (int k = 1; k <= count; ++k) {
        int j = neighbours[static_cast<std::size_t>(k)];
        io.write(channel, fi(k, 6) + fi(j, 8) + "  " +
                                ff(distances[static_cast<std::size_t>(k)], 9, 3) + "    " +
                                pad(r.structure.label[j], 8) + "  " +
                                ff(r.structure.occupancy[j], 7, 4));
    }
}

// The type summary; `gap` is the line written before each type.
void print_types(Io& io, const Records& r, int channel, int types, const std::vector<int>& type_z,
                 const std::vector<int>& type_size, const std::vector<std::vector<int>>& type_atoms,
                 const std::string& gap) {
    io.write(channel, "");
    io.write(channel, "    There is(are) " + fi(types, 4) + " atom type(s) among neighbors");
    for (int t = 1; t <= types; ++t) {
        io.write(channel, gap);
        io.write(channel, "    Type = " + fi(t, 4));
        io.write(channel, "      atomic number = " + fi(type_z[static_cast<std::size_t>(t)], 4));
        io.write(channel, "      neighbors of this type = " +
                                fi(type_size[static_cast<std::size_t>(t)], 4));
        std::string line = "      atoms : ";
        const auto& mem = type_atoms[static_cast<std::size_t>(t)];
        int cnt = type_size[static_cast<std::size_t>(t)];
        for (int m = 1; m <= cnt; ++m) {
            if (m > 1 && (m - 1) % 6 == 0) {
                io.write(channel, line);
                line = std::string(14, ' ');
            }
            line += pad(r.structure.label[mem[static_cast<std::size_t>(m)]], 8) + " ";
        }
        io.write(channel, line);
    }
}

void group_by_element(const Records& r, NeighbourList& g) {
    for (int k = 1; k <= g.count; ++k) {
        int j = g.atom[k];
        int z = r.structure.atomic_number[j];
        int t = 1;
        while (t <= g.type_count && g.type_atomic_number[t] != z) ++t;
        if (t > g.type_count) {
            ++g.type_count;
            g.type_atomic_number.push_back(z);
            g.type_size.push_back(0);
            g.type_atom.emplace_back(1, 0);
        }
        ++g.type_size[t];
        g.type_atom[t].push_back(j);
    }
    // The atomic numbers of the types differ, so any sort gives the order of the passes.
    std::vector<int> order(static_cast<std::size_t>(g.type_count));
    for (int t = 1; t <= g.type_count; ++t) order[static_cast<std::size_t>(t - 1)] = t;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return g.type_atomic_number[a] < g.type_atomic_number[b];
    });
    std::vector<int> iz(1, 0), cnt(1, 0);
    std::vector<std::vector<int>> mem(1, std::vector<int>(1, 0));
    for (int t : order) {
        iz.push_back(g.type_atomic_number[t]);
        cnt.push_back(g.type_size[t]);
        mem.push_back(std::move(g.type_atom[t]));
    }
    g.type_atomic_number = std::move(iz);
    g.type_size = std::move(cnt);
    g.type_atom = std::move(mem);
}

const NeighbourTable& stored(const Records& r, int atom) {
    static const NeighbourTable none{0, {0}, {0.0f}, 0, {0}, {0}, {{0}}};
    if (atom < 1 || atom >= static_cast<int>(r.topology.neighbours.size())) return none;
    return r.topology.neighbours[static_cast<std::size_t>(atom)];
}

// A search's list as the stored row of its centre (the list's members hold its entries and
// slot 0, nothing more).
NeighbourTable stored_row(NeighbourList&& g) {
    return NeighbourTable{g.count,
                          std::move(g.atom),
                          std::move(g.distance),
                          g.type_count,
                          std::move(g.type_atomic_number),
                          std::move(g.type_size),
                          std::move(g.type_atom)};
}

// The distance of stored neighbour j from the atom of row t (0 when j is none of them).
float stored_distance(const NeighbourTable& t, int j) {
    for (int k = 1; k <= t.count; ++k)
        if (t.atom[k] == j) return t.distance[k];
    return 0.0f;
}

// Re-sorts the members of each type of atom i, for the printout and for good: the passes swap
// a, b when b has fewer neighbours of its own, or as many and a is strictly farther, which is
// a stable sort by (own count, distance).
void sort_by_own_neighbours(Records& r, int i) {
    NeighbourTable& t = r.topology.neighbours[static_cast<std::size_t>(i)];
    for (int ty = 1; ty <= t.type_count; ++ty) {
        auto& mem = t.type_atom[ty];
        std::stable_sort(mem.begin() + 1, mem.begin() + t.type_size[ty] + 1, [&](int a, int b) {
            int na = r.topology.neighbours[static_cast<std::size_t>(a)].count;
            int nb = r.topology.neighbours[static_cast<std::size_t>(b)].count;
            if (na != nb) return na < nb;
            return stored_distance(t, a) < stored_distance(t, b);
        });
    }
}

// One atom's part of the all-atom printout: its types from the heaviest.
void list_row(Io& io, const Records& r, int i) {
    const int out = Files::listing;
    io.write(out, "");
    io.write(out, " Atom # " + fi(i, 6) + " = " + pad(r.structure.label[i], 8) + " :");
    const NeighbourTable& t = r.topology.neighbours[static_cast<std::size_t>(i)];
    for (int ty = t.type_count; ty >= 1; --ty)
        for (int m = 1; m <= t.type_size[ty]; ++m) {
            int j = t.type_atom[ty][m];
            io.write(out, "     " + fi(r.structure.atomic_number[j], 4) +
                              fi(r.topology.neighbours[static_cast<std::size_t>(j)].count, 4) +
                              ff(stored_distance(t, j), 11, 3) + fi(j, 8) + "   " +
                              pad(r.structure.label[j], 8));
        }
}

}  // namespace

void move_atom(Records& r, NeighbourIndex& index, int atom, const Cartesian& cart) {
    if (atom < 1 || atom > r.atom_slots()) return;
    const auto a = static_cast<std::size_t>(atom);
    place_atom(r, atom, cart);
    if (atom > index.n_) return;
    // (the rounding of d is far inside the slack every search adds to its radius)
    const double d = distance(index.filed_[a], cart);
    if (d <= kDrift) {  // false for a place that is no finite number
        index.drift_ = std::max(index.drift_, d);
    } else {
        index.grid_.move(atom, widen(index.filed_[a]), widen(cart));
        index.filed_[a] = cart;
    }
    index.pos_[a] = cart;
}

NeighbourList search_neighbours(Io& io, const Records& r, NeighbourIndex& index, int atom,
                                float radius) {
    NeighbourList g = no_neighbours();
    if (!valid_centre(r, atom)) return g;
    index.check_in_step(r);
    double search_radius;
    if (radius > 0.0f) {
        search_radius = radius;
    } else {
        float own = covalent_radius(r, r.structure.atomic_number[atom]) + r.options.tolerances.bond;
        if (std::isnan(own)) return g;  // no limit holds
        search_radius = static_cast<double>(own) + index.max_radius_;
    }
    std::vector<std::pair<int, float>>& cand = index.candidates_;
    cand.clear();
    index.grid_.visit(widen(r.structure.cart[atom]), index.reach(search_radius), [&](int j) {
        if (const std::optional<float> d = passes(r, atom, j, radius)) cand.emplace_back(j, *d);
    });
    if (!distinct_sites(r, cand)) {
        std::sort(cand.begin(), cand.end());
        accept(io, r, atom, radius, cand, g);
        return g;
    }
    // No two candidates share a site and they fit: the scan takes them all, by distance and
    // then by index.
    g.count = static_cast<int>(cand.size());
    g.atom.resize(cand.size() + 1);
    g.distance.resize(cand.size() + 1);
    for (std::size_t k = 0; k < cand.size(); ++k) {
        const auto [j, d] = cand[k];
        g.atom[k + 1] = j;
        g.distance[k + 1] = d;
        if (r.structure.occupancy_flag[j] == -1) g.any_disordered = true;
    }
    return g;
}

NeighbourList find_neighbours(Io& io, const Records& r, NeighbourIndex& index, int atom,
                              float radius, bool list_them) {
    NeighbourList g = search_neighbours(io, r, index, atom, radius);
    if (!valid_centre(r, atom)) return g;
    const int out = Files::listing;
    if (list_them) {
        print_neighbours(io, r, out, atom, radius, g.count, g.atom, g.distance);
        if (g.any_disordered) {
            io.write(out, "");
            io.write(out, "    Note : at least 1 neighbor is disordered");
        }
    }
    group_by_element(r, g);
    if (list_them && r.options.verbosity >= 2)
        print_types(io, r, out, g.type_count, g.type_atomic_number, g.type_size, g.type_atom, "");
    return g;
}

int first_neighbour(Io& io, const Records& r, NeighbourIndex& index, int atom, float radius,
                    const std::function<bool(int)>& take) {
    // Within `near` of the centre, where the order of the search is that of the distances,
    // unless two atoms share a site: then the whole search decides.
    const float near = std::min(radius, 4.0f);
    if (valid_centre(r, atom) && radius > 0.0f) {
        index.check_in_step(r);
        const Vec3d c = widen(r.structure.cart[atom]);
        // Only when the whole search cannot pass maxnei atoms.
        if (index.grid_.bound(c, index.reach(radius)) <=
            static_cast<std::size_t>(max_neighbours)) {
            std::vector<std::pair<int, float>>& cand = index.candidates_;
            cand.clear();
            index.grid_.visit(c, index.reach(near), [&](int j) {
                const std::optional<float> d = passes(r, atom, j, radius);
                if (d && *d <= near) cand.emplace_back(j, *d);
            });
            if (distinct_sites(r, cand)) {
                // An atom closer than `sure` has no atom of the whole search within SAMEXYZ:
                // such an atom would be closer than `near` and so among these.
                const float sure = near < radius ? near - 2.0f * kSameXyz - 1.0e-3f : radius;
                const std::vector<std::pair<int, float>> nearest = cand;  // `take` may search too
                for (const auto& [j, d] : nearest) {
                    if (d > sure) break;
                    if (take(j)) return j;
                }
                if (near == radius) return 0;
            }
        }
    }
    const NeighbourList g = find_neighbours(io, r, index, atom, radius, false);
    for (int m = 1; m <= g.count; ++m)
        if (take(g.atom[m])) return g.atom[m];
    return 0;
}

void find_all_neighbours(Io& io, Records& r) {
    const int out = Files::listing;
    const int n = r.list_length();
    r.ensure_atoms(n);
    NeighbourIndex index(r);
    io.write(out, "");
    io.write(out, " " + std::string(79, '-'));
    io.write_to({terminal, out}, "");
    io.write_to({terminal, out}, " IDENTIFYING COVALENTLY-BONDED NEIGHBORS FOR EACH ATOM");
    for (int i = 1; i <= n; ++i)
        r.topology.neighbours[static_cast<std::size_t>(i)] =
            stored_row(find_neighbours(io, r, index, i, 0.0f, false));
    io.write(out, "");
    io.write(out, " Printout of neighbors of all atoms sorted by ");
    io.write(out, "    1) atomic number (descending)");
    io.write(out, "    2) hybridization ( ascending)");
    io.write(out, "    3) distance      ( ascending)");
    for (int i = 1; i <= n; ++i) {
        sort_by_own_neighbours(r, i);
        list_row(io, r, i);
    }
}

std::vector<int> neighbour_order(Io& io, const Records& r, int k) {
    const NeighbourTable& t = stored(r, k);
    std::vector<int> order(1, 0);
    order.reserve(static_cast<std::size_t>(t.count) + 1);
    for (int ty = t.type_count; ty >= 1; --ty)
        for (int m = 1; m <= t.type_size[ty]; ++m) order.push_back(t.type_atom[ty][m]);
    const int l = static_cast<int>(order.size()) - 1;
    if (l != t.count) fatal_error(io, Files::listing, "SortNei", "l.ne.nnei(k)");
    return order;
}

void list_stored_neighbours(Io& io, const Records& r, int atom, int channel) {
    if (!valid_centre(r, atom)) return;
    const NeighbourTable& t = stored(r, atom);
    print_neighbours(io, r, channel, atom, 0.0f, t.count, t.atom, t.distance);
    if (r.options.verbosity >= 2)
        print_types(io, r, channel, t.type_count, t.type_atomic_number, t.type_size, t.type_atom,
                    " ");
}

std::vector<int> collect_neighbours(const Records& r, int atom) {
    const NeighbourTable& t = stored(r, atom);
    std::vector<int> list(static_cast<std::size_t>(t.count) + 2, 0);
    for (int k = 1; k <= t.count; ++k) list[static_cast<std::size_t>(k)] = t.atom[k];
    list[static_cast<std::size_t>(t.count) + 1] = atom;
    return list;
}

}  // namespace kova
