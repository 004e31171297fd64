// The reduced connectivity table, the ring search over it and the ring-membership query. The
// elimination cycles are computed from the links of cycle 0, which a later cycle only loses
// (a link depends on its two atoms alone), and the walk keeps, for every entry, the path
// positions where it stands, so neither rescans the whole table or path.
#include "topology/rings.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/grid.hpp"
#include "topology/planarity.hpp"

namespace kova {

namespace {


// The link rule: from an atom that is not disordered to one within its covalent limit.
bool linked(const Records& r, int a, int b) {
    if (r.structure.occupancy_flag[a] == -1) return false;
    float lim = (covalent_radius(r, r.structure.atomic_number[a]) + r.options.tolerances.bond) +
                covalent_radius(r, r.structure.atomic_number[b]);
    return distance(r.structure.cart[a], r.structure.cart[b]) <= lim;
}

struct EliminationCycle {
    int entries;  // at its start
    int removed;
};

// What the reduction found, for its listing and its result.
struct Reduction {
    std::vector<std::vector<int>> first_links;  // cycle 0: atoms linked to atom l (= entry l)
    std::vector<EliminationCycle> cycles;
    ReducedTable table;
};

// The links of cycle 0: for atom l of the working list 1..n, the atoms it links to, ascending.
std::vector<std::vector<int>> links_of_first_cycle(const Records& r, int n) {
    std::vector<std::vector<int>> links(static_cast<std::size_t>(n) + 1, std::vector<int>(1, 0));
    float covmax = 0.0f;
    for (int j = 1; j <= n; ++j)
        covmax = std::max(covmax, covalent_radius(r, r.structure.atomic_number[j]));
    double h = 2.0 * covmax + r.options.tolerances.bond;
    h = std::isfinite(h) ? std::max(1.0, h * 1.0001) : 1.0;
    std::vector<Vec3d> pts;
    pts.reserve(static_cast<std::size_t>(n));
    for (int j = 1; j <= n; ++j)
        pts.push_back(widen(r.structure.cart[j]));
    PointGrid grid;
    grid.build(h, pts, 1);
    std::vector<int> found;
    for (int l = 1; l <= n; ++l) {
        if (r.structure.occupancy_flag[l] == -1) continue;
        float own = covalent_radius(r, r.structure.atomic_number[l]) + r.options.tolerances.bond;
        if (std::isnan(own)) continue;
        double radius = (static_cast<double>(own) + covmax) * (1.0 + 1e-5) + 1e-6;
        found.clear();
        grid.visit(pts[static_cast<std::size_t>(l - 1)], radius, [&](int j) {
            if (j != l && linked(r, l, j)) found.push_back(j);
        });
        std::sort(found.begin(), found.end());
        std::vector<int>& row = links[static_cast<std::size_t>(l)];
        row.insert(row.end(), found.begin(), found.end());
    }
    return links;
}

// The elimination cycles over the links of cycle 0: each removes the entries left with fewer
// than two links, and only an entry that lost a link can newly fall below two. Gives whether
// each atom survives.
std::vector<char> eliminate(const std::vector<std::vector<int>>& first_links,
                            std::vector<EliminationCycle>& cycles) {
    const int n = static_cast<int>(first_links.size()) - 1;
    const auto slots = static_cast<std::size_t>(n) + 1;
    std::vector<std::vector<int>> linked_from(slots);
    std::vector<int> degree(slots, 0);
    for (int l = 1; l <= n; ++l) {
        degree[l] = static_cast<int>(first_links[l].size()) - 1;
        for (std::size_t c = 1; c < first_links[l].size(); ++c)
            linked_from[static_cast<std::size_t>(first_links[l][c])].push_back(l);
    }
    std::vector<char> alive(slots, 1), queued(slots, 0);
    std::vector<int> leaving;
    for (int l = 1; l <= n; ++l)
        if (degree[l] < 2) {
            leaving.push_back(l);
            queued[l] = 1;
        }
    int count = n;
    for (;;) {
        cycles.push_back({count, static_cast<int>(leaving.size())});
        if (leaving.empty()) return alive;
        for (int g : leaving) alive[g] = 0;
        std::vector<int> next;
        for (int g : leaving)
            for (int l : linked_from[static_cast<std::size_t>(g)])
                if (alive[l] && --degree[l] < 2 && !queued[l]) {
                    queued[l] = 1;
                    next.push_back(l);
                }
        count -= static_cast<int>(leaving.size());
        leaving = std::move(next);
    }
}

// The table of the surviving atoms, renumbered in their order, with their links among them.
ReducedTable surviving_table(const std::vector<std::vector<int>>& first_links,
                             const std::vector<char>& alive) {
    const int n = static_cast<int>(first_links.size()) - 1;
    ReducedTable t;
    std::vector<int> entry(static_cast<std::size_t>(n) + 1, 0);
    t.atom.assign(1, 0);
    for (int l = 1; l <= n; ++l)
        if (alive[l]) {
            t.atom.push_back(l);
            entry[l] = static_cast<int>(t.atom.size()) - 1;
        }
    t.count = static_cast<int>(t.atom.size()) - 1;
    t.links.assign(t.atom.size(), std::vector<int>(1, 0));
    for (int k = 1; k <= t.count; ++k)
        for (std::size_t c = 1; c < first_links[static_cast<std::size_t>(t.atom[k])].size(); ++c) {
            int b = first_links[static_cast<std::size_t>(t.atom[k])][c];
            if (alive[b]) t.links[k].push_back(entry[b]);
        }
    return t;
}

// One line per entry: number, label, " -" and up to ten linked labels, then ten per line.
void list_link_table(Io& io, const Records& r, const std::vector<int>& atom,
                     const std::vector<std::vector<int>>& links) {
    const int out = Files::listing;
    for (std::size_t l = 1; l < atom.size(); ++l) {
        std::string line =
            fi(static_cast<long long>(l), 7) + " " + pad(r.structure.label[atom[l]], 8) + " -";
        int on_line = 0;
        for (std::size_t c = 1; c < links[l].size(); ++c) {
            if (on_line == 10) {
                io.write(out, line);
                line.clear();
                on_line = 0;
            }
            line += ' ';
            line += pad(r.structure.label[atom[static_cast<std::size_t>(links[l][c])]], 8);
            ++on_line;
        }
        io.write(out, line);
    }
}

void list_reduction(Io& io, const Records& r, const Reduction& red) {
    const int out = Files::listing;
    io.write(out, "");
    io.write(out, std::string(80, '-'));
    io.write_to({out, terminal}, "");
    io.write_to({out, terminal}, " CREATING CONNECTIVITY TABLE AND ELIMINATING OPEN ATOMS");
    std::vector<int> every_atom(red.first_links.size());
    for (std::size_t k = 0; k < every_atom.size(); ++k) every_atom[k] = static_cast<int>(k);
    for (std::size_t c = 0; c < red.cycles.size(); ++c) {
        io.write_to({out, terminal}, "");
        io.write_to({out, terminal},
                   " **** ELIMINATION CYCLE =" + fi(static_cast<long long>(c), 5) +
                       "     NUMBER OF ATOMS =" + fi(red.cycles[c].entries, 7));
        if (c == 0 && r.options.verbosity >= 3)
            list_link_table(io, r, every_atom, red.first_links);
        io.write_to({out, terminal},
                   "        NUMBER OF ATOMS REMOVED FROM THE TABLE = " +
                       fi(red.cycles[c].removed, 7));
    }
    if (r.options.verbosity >= 2) {
        io.write(out, "");
        io.write(out, " CONNECTIVITY TABLE AFTER THE FINAL ELIMINATION CYCLE :");
        list_link_table(io, r, red.table.atom, red.table.links);
    }
}

// The ring search: a walk over the reduced table that stores every closed path of a size
// searched for in the ring records (topology), listing each ring and its planarity test.
class RingWalk {
public:
    RingWalk(Io& io, Records& r) : io_(io), r_(r) {}
    void run();

private:
    void clear_rings();
    void list_heading();
    void load();
    void exchange_start();
    void prepare();
    void walk();
    void start_path(int e);
    bool step();
    void push(int e);
    void cut(int k);
    void walk_link(int l, int c);
    int choose(int cur, int prev) const;
    int latest(int e) const;
    int backtrack();
    int restart_entry();
    void ring_test(int j);
    bool duplicate(const std::vector<int>& members) const;
    void store(const std::vector<int>& members);
    void list_ring(int q, const std::vector<int>& members);

    Io& io_;
    Records& r_;
    int entry_count_ = 0;
    std::vector<int> entry_atom_;                // 1..entry_count_: the atom of each entry
    std::vector<std::vector<int>> links_;        // links_[l][c], c from 0: linked entries
    std::vector<std::vector<char>> unwalked_;    // [l][c]: link c of entry l not walked yet
    std::vector<int> unwalked_count_;            // links of entry l not walked
    std::vector<char> visited_;                  // [e]: entry e reached by a walk
    std::vector<int> path_{0};                   // the walk path, path_[1..np]
    std::vector<std::vector<int>> positions_;    // path positions of each entry, ascending
    std::vector<int> forks_;                     // positions of entries with more than 2 links
    int restart_from_ = 1;                       // entries before it are visited or unlinked
    std::vector<std::vector<int>> sorted_rings_;  // members of each stored ring, sorted
};

void RingWalk::clear_rings() {
    Topology& g = r_.topology;
    g.ring_count = 0;
    rings_changed(r_);
    std::fill(g.ring_size.begin(), g.ring_size.end(), 0);
    for (auto& m : g.ring_atom) m.assign(1, 0);
    std::fill(g.ring_planar.begin(), g.ring_planar.end(), false);
    std::fill(g.ring_dummy.begin(), g.ring_dummy.end(), 0);
}

void RingWalk::list_heading() {
    const int out = Files::listing;
    io_.write(out, "");
    io_.write(out, std::string(80, '-'));
    io_.write_to({terminal, out}, "");
    io_.write_to({terminal, out},
               " AUTOMATED SEARCH FOR " + fi(r_.options.rings.min_size, 3) + " -" +
                   fi(r_.options.rings.max_size, 3) + " - MEMBERED RINGS");
    io_.write(terminal, "");
}

void RingWalk::load() {
    const ReducedTable& t = r_.topology.reduced;
    entry_count_ = std::min({t.count, static_cast<int>(t.atom.size()) - 1,
                             static_cast<int>(t.links.size()) - 1});
    entry_count_ = std::max(entry_count_, 0);
    entry_atom_.assign(static_cast<std::size_t>(entry_count_) + 1, 0);
    links_.assign(static_cast<std::size_t>(entry_count_) + 1, {});
    for (int l = 1; l <= entry_count_; ++l) {
        entry_atom_[l] = t.atom[l];
        for (std::size_t c = 1; c < t.links[l].size(); ++c) {
            int e = t.links[l][c];
            if (e >= 1 && e <= entry_count_)
                links_[l].push_back(e);  // a link outside the table is not walked
        }
    }
}

// The walk starts from the first entry with more than two links: it is exchanged with entry 1,
// in the reduced table too, whose links are renumbered in place.
void RingWalk::exchange_start() {
    int k = 0;
    for (int l = 1; l <= entry_count_ && k == 0; ++l)
        if (links_[l].size() > 2) k = l;
    if (k <= 1) return;
    std::swap(entry_atom_[1], entry_atom_[k]);
    std::swap(links_[1], links_[k]);
    for (int l = 1; l <= entry_count_; ++l)
        for (int& e : links_[l]) {
            if (e == 1)
                e = k;
            else if (e == k)
                e = 1;
        }
    ReducedTable& t = r_.topology.reduced;
    for (int l : {1, k}) t.atom[l] = entry_atom_[l];
    for (int l = 1; l <= entry_count_; ++l) {
        t.links[l].assign(1, 0);
        t.links[l].insert(t.links[l].end(), links_[l].begin(), links_[l].end());
    }
}

void RingWalk::prepare() {
    const auto slots = static_cast<std::size_t>(entry_count_) + 1;
    unwalked_.resize(slots);
    unwalked_count_.assign(slots, 0);
    for (int l = 1; l <= entry_count_; ++l) {
        unwalked_[l].assign(links_[l].size(), 1);
        unwalked_count_[l] = static_cast<int>(links_[l].size());
    }
    visited_.assign(slots, 0);
    positions_.assign(slots, {});
}

// A new path: entry e and its first link.
void RingWalk::start_path(int e) {
    push(e);
    push(links_[e][0]);
    walk_link(e, 0);
}

void RingWalk::push(int e) {
    path_.push_back(e);
    int np = static_cast<int>(path_.size()) - 1;
    visited_[e] = 1;
    positions_[e].push_back(np);
    if (links_[e].size() > 2) forks_.push_back(np);
}

void RingWalk::cut(int k) {
    while (static_cast<int>(path_.size()) - 1 > k) {
        positions_[path_.back()].pop_back();
        path_.pop_back();
    }
    while (!forks_.empty() && forks_.back() > k) forks_.pop_back();
}

void RingWalk::walk_link(int l, int c) {
    unwalked_[l][c] = 0;
    --unwalked_count_[l];
}

// The first link not walked that does not lead back to prev (which stays not walked).
int RingWalk::choose(int cur, int prev) const {
    const auto& open = unwalked_[cur];
    for (std::size_t c = 0; c < links_[cur].size(); ++c)
        if (open[c] && links_[cur][c] != prev) return static_cast<int>(c);
    return -1;
}

// The latest path position of e, 0 when e is not on the path.
int RingWalk::latest(int e) const { return positions_[e].empty() ? 0 : positions_[e].back(); }

// The latest position before the end whose entry has more than 2 links and one not walked.
int RingWalk::backtrack() {
    int np = static_cast<int>(path_.size()) - 1;
    // A position that fails now fails for good: links are only ever marked walked.
    while (!forks_.empty() &&
           (forks_.back() >= np || unwalked_count_[path_[forks_.back()]] == 0))
        forks_.pop_back();
    return forks_.empty() ? 0 : forks_.back();
}

// The first entry not visited that has a link; 0 when there is none.
int RingWalk::restart_entry() {
    int e = restart_from_;
    while (e <= entry_count_ && (visited_[e] || links_[e].empty())) ++e;
    restart_from_ = e;
    return e <= entry_count_ ? e : 0;
}

// One walk step from the end of the path along its first open link; false when it has none.
bool RingWalk::step() {
    const int np = static_cast<int>(path_.size()) - 1;
    const int cur = path_[np];
    const int prev = np > 1 ? path_[np - 1] : 0;
    const int c = choose(cur, prev);
    if (c < 0) return false;
    walk_link(cur, c);
    const int e = links_[cur][c];
    const int j = latest(e);
    push(e);
    if (j > 0) ring_test(j);
    return true;
}

// Walk steps, back-tracks and restarts until every entry has been visited.
void RingWalk::walk() {
    bool walking = false;
    if (!links_[1].empty()) {
        start_path(1);
        walking = true;
    }
    for (;;) {
        if (walking) {
            if (step()) continue;
            if (const int k = backtrack(); k > 0) {
                cut(k);
                continue;
            }
        }
        cut(0);
        const int e = restart_entry();
        if (e == 0) return;
        if (!unwalked_[e][0]) fatal_error(io_, Files::listing, "CheckVisited", "Internal error");
        start_path(e);
        walking = true;
    }
}

// Whether a stored ring of the same size holds the same atoms: as many equal pairs of its
// members and the candidate's as it has members, counted from the two sorted member lists.
bool RingWalk::duplicate(const std::vector<int>& members) const {
    const Topology& g = r_.topology;
    const int s = static_cast<int>(members.size());
    std::vector<int> cand(members);
    std::sort(cand.begin(), cand.end());
    for (int q = 1; q <= g.ring_count; ++q) {
        if (g.ring_size[q] != s) continue;
        const auto& ring = sorted_rings_[static_cast<std::size_t>(q)];
        long long pairs = 0;
        std::size_t i = 0, j = 0;
        while (i < ring.size() && j < cand.size()) {
            if (ring[i] < cand[j]) {
                ++i;
            } else if (cand[j] < ring[i]) {
                ++j;
            } else {
                int v = ring[i];
                long long ni = 0, nj = 0;
                while (i < ring.size() && ring[i] == v) ++i, ++ni;
                while (j < cand.size() && cand[j] == v) ++j, ++nj;
                pairs += ni * nj;
            }
        }
        if (pairs == s) return true;
    }
    return false;
}

void RingWalk::list_ring(int q, const std::vector<int>& members) {
    const int out = Files::listing;
    io_.write(out, "");
    io_.write(out, "");
    io_.write(out, " **********  FOUND RING # " + fi(q, 4) + " ---> " +
                       fi(static_cast<long long>(members.size()), 3) + " - MEMBERED  **********");
    io_.write(out, "");
    std::string labels, numbers;
    for (int a : members) {
        labels += "  " + pad(r_.structure.label[a], 8);
        numbers += fi(a, 6) + "    ";
    }
    io_.write(out, labels);
    io_.write(out, numbers);
}

void RingWalk::store(const std::vector<int>& members) {
    Topology& g = r_.topology;
    const int s = static_cast<int>(members.size());
    if (g.ring_count + 1 > max_rings)
        fatal_error(io_, Files::listing, "FindRings", "Too many rings (maxrings)");
    const int q = ++g.ring_count;
    r_.ensure_rings(q);
    rings_changed(r_);
    g.ring_size[q] = s;
    g.ring_atom[q].assign(1, 0);
    g.ring_atom[q].insert(g.ring_atom[q].end(), members.begin(), members.end());
    g.ring_dummy[q] = 0;
    std::vector<int> sorted(members);
    std::sort(sorted.begin(), sorted.end());
    sorted_rings_.resize(static_cast<std::size_t>(q) + 1);
    sorted_rings_[static_cast<std::size_t>(q)] = std::move(sorted);
    list_ring(q, members);
    // Three atoms always lie in a plane.
    g.ring_planar[q] = s < 4 || planarity(io_, r_, true, s, g.ring_atom[q], PlanarityKind::ring);
}

// The entry e has just been appended at the end; j is its latest earlier position.
void RingWalk::ring_test(int j) {
    const int np = static_cast<int>(path_.size()) - 1;
    const int s = np - j;
    if (s > r_.options.rings.max_size || s < r_.options.rings.min_size) return;
    if (path_[j + 1] == path_[np - 1]) return;  // came back the way it went
    std::vector<int> members;
    members.reserve(static_cast<std::size_t>(s));
    for (int p = j; p < np; ++p) members.push_back(entry_atom_[path_[p]]);
    if (duplicate(members)) return;
    store(members);
}

void RingWalk::run() {
    const int out = Files::listing;
    clear_rings();
    list_heading();
    load();
    if (entry_count_ < 3) {
        io_.write_to({terminal, out}, "");
        io_.write_to({terminal, out}, " THERE ARE NO ATOMS IN THE REDUCED CONNECTIVITY TABLE");
        io_.write_to({terminal, out}, "");
        io_.write_to({terminal, out}, " SEARCH FOR RINGS WILL NOT BE PERFORMED...");
        return;
    }
    exchange_start();
    prepare();
    walk();
    io_.write(out, "");
    io_.write(out, " " + std::string(79, '-'));
    io_.write_to({out, terminal}, "");
    io_.write_to({out, terminal}, " TOTAL RINGS FOUND (nor)  = " + fi(r_.topology.ring_count, 6));
}

}  // namespace

ReducedTable reduce_connectivity(Io& io, const Records& r) {
    Reduction red;
    red.first_links = links_of_first_cycle(r, r.list_length());
    red.table = surviving_table(red.first_links, eliminate(red.first_links, red.cycles));
    list_reduction(io, r, red);
    return std::move(red.table);
}

void find_rings(Io& io, Records& r) { RingWalk(io, r).run(); }

namespace {

bool planar_ring(const Topology& g, int q) {
    return q >= 1 && q < static_cast<int>(g.ring_planar.size()) &&
           g.ring_planar[static_cast<std::size_t>(q)];
}

// The ring situation from the number of rings holding the atom and the first two of them.
RingMembership ring_situation(const Topology& g, int count, int first, int second) {
    RingMembership m;
    m.in_ring = count > 0;
    if (count == 1) {
        if (planar_ring(g, first)) {
            m.planar = true;
            m.ring = first;
            m.size = g.ring_size[first];
        }
    } else if (count == 2) {
        bool p1 = planar_ring(g, first), p2 = planar_ring(g, second);
        if (p1 && p2) {
            m.fused = true;
            m.ring = first + second;
            m.size = g.ring_size[first] + g.ring_size[second];
        } else if (p1 || p2) {
            int q = p1 ? first : second;
            m.planar = true;
            m.ring = q;
            m.size = g.ring_size[q];
        }
    }
    return m;
}

// The rings holding each atom. The ring search is the one stage that stores rings, and it
// drops the index whenever it does (rings_changed); a ring list of another length, as a new
// search or a test makes it, also makes the index anew.
const RingIndex& ring_index(const Records& r) {
    RingIndex& ix = r.index.rings;
    const Topology& g = r.topology;
    if (ix.ring_count == g.ring_count) return ix;
    ix = RingIndex{};
    ix.ring_count = g.ring_count;
    const int nor = std::min({g.ring_count, static_cast<int>(g.ring_size.size()) - 1,
                              static_cast<int>(g.ring_atom.size()) - 1});
    for (int q = 1; q <= nor; ++q) {
        const auto& mem = g.ring_atom[static_cast<std::size_t>(q)];
        const int s =
            std::min(g.ring_size[static_cast<std::size_t>(q)], static_cast<int>(mem.size()) - 1);
        for (int m = 1; m <= s; ++m) {
            const int a = mem[static_cast<std::size_t>(m)];
            if (a < 1) continue;
            if (static_cast<int>(ix.held.size()) <= a)
                ix.held.resize(static_cast<std::size_t>(a) + 1, std::array<int, 3>{});
            std::array<int, 3>& h = ix.held[static_cast<std::size_t>(a)];
            if (h[0] >= 1 && (h[1] == q || h[2] == q)) continue;  // a ring counts once
            if (h[0] < 3) ++h[0];
            if (h[0] == 1) h[1] = q;
            if (h[0] == 2) h[2] = q;
        }
    }
    return ix;
}

}  // namespace

void rings_changed(Records& r) { r.index.rings = RingIndex{}; }

RingMembership ring_membership(const Records& r, int atom) {
    const RingIndex& ix = ring_index(r);
    std::array<int, 3> h{};
    if (atom >= 1 && atom < static_cast<int>(ix.held.size()))
        h = ix.held[static_cast<std::size_t>(atom)];
    return ring_situation(r.topology, h[0], h[1], h[2]);
}

}  // namespace kova
