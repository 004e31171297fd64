// The reduced connectivity table (reduced.ang, reduced_1.ang), the ring search over it and the
// ring-membership query. The elimination cycles are computed from the links of cycle 0, which
// a later cycle only loses (a link depends on its two atoms alone), and the walk keeps, for
// every entry, the path positions where it stands, so neither rescans the whole table or path.
#include "topology/rings.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/text.hpp"
#include "shared/grid.hpp"
#include "topology/planarity.hpp"

namespace kova {

namespace {

constexpr int kReducedAng = 67;   // reduced.ang
constexpr int kReduced1Ang = 68;  // reduced_1.ang

void both(Records& r, int first, int second, const std::string& rec) {
    r.io.write(first, rec);
    r.io.write(second, rec);
}

// The link rule: from an atom that is not disordered to one within its covalent limit.
bool linked(const Records& r, int a, int b) {
    if (r.structure.occupancy_flag[a] == -1) return false;
    float lim = (covalent_radius(r, r.structure.atomic_number[a]) + r.options.tolerances.bond) +
                covalent_radius(r, r.structure.atomic_number[b]);
    return distance(r.structure.cart[a], r.structure.cart[b]) <= lim;
}

struct Reduced {
    std::vector<std::vector<int>> links0;     // cycle 0: atoms linked to atom l (= entry l)
    std::vector<std::pair<int, int>> cycles;  // entries at the start of each cycle, removed
    std::vector<int> atom;                    // final entries: atom of entry k (slot 0 unused)
    std::vector<std::vector<int>> links;      // final entries linked to entry k, ascending
};

Reduced reduce_scan(const Records& r, int n) {
    Reduced red;
    std::vector<int> atom(1, 0);
    for (int k = 1; k <= n; ++k) atom.push_back(k);
    for (int cycle = 0;; ++cycle) {
        int nnew = static_cast<int>(atom.size()) - 1;
        std::vector<std::vector<int>> links(atom.size(), std::vector<int>(1, 0));
        for (int l = 1; l <= nnew; ++l)
            for (int l2 = 1; l2 <= nnew; ++l2)
                if (l2 != l && linked(r, atom[l], atom[l2])) links[l].push_back(l2);
        if (cycle == 0) red.links0 = links;
        std::vector<int> kept(1, 0);
        std::vector<int> renum(atom.size(), 0);
        for (int l = 1; l <= nnew; ++l)
            if (links[l].size() - 1 >= 2) {
                kept.push_back(atom[l]);
                renum[l] = static_cast<int>(kept.size()) - 1;
            }
        int removed = nnew - (static_cast<int>(kept.size()) - 1);
        red.cycles.emplace_back(nnew, removed);
        if (removed == 0) {
            red.atom = atom;
            red.links = links;
            return red;
        }
        atom = std::move(kept);
    }
}

Reduced reduce_fast(const Records& r, int n) {
    Reduced red;
    red.links0.assign(static_cast<std::size_t>(n) + 1, std::vector<int>(1, 0));
    float covmax = 0.0f;
    for (int j = 1; j <= n; ++j)
        covmax = std::max(covmax, covalent_radius(r, r.structure.atomic_number[j]));
    double h = 2.0 * covmax + r.options.tolerances.bond;
    h = std::isfinite(h) ? std::max(1.0, h * 1.0001) : 1.0;
    std::vector<Vec3d> pts;
    pts.reserve(static_cast<std::size_t>(n));
    for (int j = 1; j <= n; ++j)
        pts.push_back({r.structure.cart[j][0], r.structure.cart[j][1], r.structure.cart[j][2]});
    PointGrid grid;
    grid.build(h, pts, 1);
    std::vector<int> cand;
    for (int l = 1; l <= n; ++l) {
        if (r.structure.occupancy_flag[l] == -1) continue;
        float own = covalent_radius(r, r.structure.atomic_number[l]) + r.options.tolerances.bond;
        if (std::isnan(own)) continue;
        double radius = (static_cast<double>(own) + covmax) * (1.0 + 1e-5) + 1e-6;
        cand.clear();
        grid.visit(pts[static_cast<std::size_t>(l - 1)], radius, [&](int j) {
            if (j != l && linked(r, l, j)) cand.push_back(j);
        });
        std::sort(cand.begin(), cand.end());
        red.links0[static_cast<std::size_t>(l)].insert(
            red.links0[static_cast<std::size_t>(l)].end(), cand.begin(), cand.end());
    }
    // Each cycle removes the entries left with fewer than two links; only an entry that lost a
    // link can newly fall below two.
    std::vector<std::vector<int>> into(static_cast<std::size_t>(n) + 1);
    std::vector<int> deg(static_cast<std::size_t>(n) + 1, 0);
    for (int l = 1; l <= n; ++l) {
        deg[l] = static_cast<int>(red.links0[l].size()) - 1;
        for (std::size_t c = 1; c < red.links0[l].size(); ++c)
            into[static_cast<std::size_t>(red.links0[l][c])].push_back(l);
    }
    std::vector<char> alive(static_cast<std::size_t>(n) + 1, 1),
        queued(static_cast<std::size_t>(n) + 1, 0);
    std::vector<int> gone;
    for (int l = 1; l <= n; ++l)
        if (deg[l] < 2) {
            gone.push_back(l);
            queued[l] = 1;
        }
    int count = n;
    for (;;) {
        red.cycles.emplace_back(count, static_cast<int>(gone.size()));
        if (gone.empty()) break;
        for (int g : gone) alive[g] = 0;
        std::vector<int> next;
        for (int g : gone)
            for (int l : into[static_cast<std::size_t>(g)])
                if (alive[l] && --deg[l] < 2 && !queued[l]) {
                    queued[l] = 1;
                    next.push_back(l);
                }
        count -= static_cast<int>(gone.size());
        gone = std::move(next);
    }
    std::vector<int> entry(static_cast<std::size_t>(n) + 1, 0);
    red.atom.assign(1, 0);
    for (int l = 1; l <= n; ++l)
        if (alive[l]) {
            red.atom.push_back(l);
            entry[l] = static_cast<int>(red.atom.size()) - 1;
        }
    red.links.assign(red.atom.size(), std::vector<int>(1, 0));
    for (std::size_t k = 1; k < red.atom.size(); ++k)
        for (std::size_t c = 1; c < red.links0[static_cast<std::size_t>(red.atom[k])].size(); ++c) {
            int b = red.links0[static_cast<std::size_t>(red.atom[k])][c];
            if (alive[b]) red.links[k].push_back(entry[b]);
        }
    return red;
}

// One line per entry: number, label, " -" and up to ten linked labels, then ten per line.
void link_table(Records& r, const std::vector<int>& atom,
                const std::vector<std::vector<int>>& links) {
    const int out = r.files.listing;
    for (std::size_t l = 1; l < atom.size(); ++l) {
        std::string line =
            fi(static_cast<long long>(l), 7) + " " + pad(r.structure.label[atom[l]], 8) + " -";
        int on_line = 0;
        for (std::size_t c = 1; c < links[l].size(); ++c) {
            if (on_line == 10) {
                r.io.write(out, line);
                line.clear();
                on_line = 0;
            }
            line += ' ';
            line += pad(r.structure.label[atom[static_cast<std::size_t>(links[l][c])]], 8);
            ++on_line;
        }
        r.io.write(out, line);
    }
}

void report_reduction(Records& r, const Reduced& red) {
    const int out = r.files.listing;
    r.io.write(out, "");
    r.io.write(out, std::string(80, '-'));
    both(r, out, terminal, "");
    both(r, out, terminal, " CREATING CONNECTIVITY TABLE AND ELIMINATING OPEN ATOMS");
    std::vector<int> all(red.links0.size());
    for (std::size_t k = 0; k < all.size(); ++k) all[k] = static_cast<int>(k);
    for (std::size_t c = 0; c < red.cycles.size(); ++c) {
        both(r, out, terminal, "");
        both(r, out, terminal,
             " **** ELIMINATION CYCLE =" + fi(static_cast<long long>(c), 5) +
                 "     NUMBER OF ATOMS =" + fi(red.cycles[c].first, 7));
        if (c == 0 && r.options.verbosity >= 3) link_table(r, all, red.links0);
        both(r, out, terminal,
             "        NUMBER OF ATOMS REMOVED FROM THE TABLE = " + fi(red.cycles[c].second, 7));
    }
    if (r.options.verbosity >= 2) {
        r.io.write(out, "");
        r.io.write(out, " CONNECTIVITY TABLE AFTER THE FINAL ELIMINATION CYCLE :");
        link_table(r, red.atom, red.links);
    }

    const int nnew = static_cast<int>(red.atom.size()) - 1;
    r.topology.reduced_count = nnew;
    r.topology.reduced_atom = red.atom;
    r.topology.reduced_links = red.links;
    r.topology.reduced_link_count.assign(red.atom.size(), 0);
    for (int k = 1; k <= nnew; ++k)
        r.topology.reduced_link_count[k] = static_cast<int>(red.links[k].size()) - 1;

    r.io.create(kReducedAng, "reduced.ang");
    r.io.create(kReduced1Ang, "reduced_1.ang");
    r.io.write(kReducedAng, "ANGSTROM");
    r.io.write(kReduced1Ang, "ANGSTROM");
    for (int k = 1; k <= nnew; ++k) {
        int a = red.atom[k];
        const Vec3f& x = r.structure.cart[a];
        std::string xyz = ff(x[0], 12, 4) + ff(x[1], 12, 4) + ff(x[2], 12, 4);
        r.io.write(kReducedAng, "ATOM " + pad(r.structure.label[a], 8) + xyz);
        std::string name = pad(element_symbol(r, r.structure.atomic_number[a]), 2) + fi(k, 6);
        remove_blanks(r, name);
        r.io.write(kReduced1Ang, "ATOM " + pad(name, 8) + xyz);
    }
    r.io.close(kReducedAng);
    r.io.close(kReduced1Ang);
}

int list_length(const Records& r) { return std::clamp(r.topology.list_size, 0, r.atom_slots()); }

// The walk records of the ring search.
struct Choices {
    std::vector<std::vector<char>> unwalked;  // [l][c]: link c (0-based) of entry l not walked
};
struct Visited {
    std::vector<char> visited;  // [e]: entry e reached by a walk
};

class RingWalk {
public:
    RingWalk(Records& r, bool literal) : r_(r), literal_(literal) {}
    void run();

private:
    void load();
    void exchange_start();
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

    Records& r_;
    bool literal_;
    int nnew_ = 0;
    std::vector<int> atom_;              // 1..nnew
    std::vector<std::vector<int>> adj_;  // adj_[l][c], c from 0: linked entries
    Choices choices_;
    Visited visited_;
    std::vector<int> unwalked_;             // links of l not walked
    std::vector<int> ird_{0};               // the path, IRD(1..np)
    std::vector<std::vector<int>> at_;      // path positions of each entry, ascending
    std::vector<int> forks_;                // positions of entries with more than 2 links
    int cursor_ = 1;                        // entries before it are visited or unlinked
    std::vector<std::vector<int>> sorted_;  // members of each stored ring, sorted
};

void RingWalk::load() {
    nnew_ = std::max(0, r_.topology.reduced_count);
    nnew_ = std::min({nnew_, static_cast<int>(r_.topology.reduced_atom.size()) - 1,
                      static_cast<int>(r_.topology.reduced_link_count.size()) - 1,
                      static_cast<int>(r_.topology.reduced_links.size()) - 1});
    nnew_ = std::max(nnew_, 0);
    atom_.assign(static_cast<std::size_t>(nnew_) + 1, 0);
    adj_.assign(static_cast<std::size_t>(nnew_) + 1, {});
    for (int l = 1; l <= nnew_; ++l) {
        atom_[l] = r_.topology.reduced_atom[l];
        int cnt = std::clamp(r_.topology.reduced_link_count[l], 0,
                             static_cast<int>(r_.topology.reduced_links[l].size()) - 1);
        for (int c = 1; c <= cnt; ++c) {
            int e = r_.topology.reduced_links[l][c];
            if (e >= 1 && e <= nnew_)
                adj_[l].push_back(e);  // a link outside the table is not walked
        }
    }
}

void RingWalk::exchange_start() {
    int k = 0;
    for (int l = 1; l <= nnew_ && k == 0; ++l)
        if (adj_[l].size() > 2) k = l;
    if (k > 1) {
        std::swap(atom_[1], atom_[k]);
        std::swap(adj_[1], adj_[k]);
        for (int l = 1; l <= nnew_; ++l)
            for (int& e : adj_[l]) {
                if (e == 1)
                    e = k;
                else if (e == k)
                    e = 1;
            }
        for (int l : {1, k}) r_.topology.reduced_atom[l] = atom_[l];
        for (int l = 1; l <= nnew_; ++l) {
            r_.topology.reduced_link_count[l] = static_cast<int>(adj_[l].size());
            r_.topology.reduced_links[l].assign(1, 0);
            r_.topology.reduced_links[l].insert(r_.topology.reduced_links[l].end(), adj_[l].begin(),
                                                adj_[l].end());
        }
    }
}

void RingWalk::push(int e) {
    ird_.push_back(e);
    int np = static_cast<int>(ird_.size()) - 1;
    visited_.visited[e] = 1;
    at_[e].push_back(np);
    if (adj_[e].size() > 2) forks_.push_back(np);
}

void RingWalk::cut(int k) {
    while (static_cast<int>(ird_.size()) - 1 > k) {
        at_[ird_.back()].pop_back();
        ird_.pop_back();
    }
    while (!forks_.empty() && forks_.back() > k) forks_.pop_back();
}

void RingWalk::walk_link(int l, int c) {
    choices_.unwalked[l][c] = 0;
    --unwalked_[l];
}

// The first link not walked that does not lead back to prev (which stays not walked).
int RingWalk::choose(int cur, int prev) const {
    const auto& used = choices_.unwalked[cur];
    for (std::size_t c = 0; c < adj_[cur].size(); ++c)
        if (used[c] && adj_[cur][c] != prev) return static_cast<int>(c);
    return -1;
}

// The latest path position of e, 0 when e is not on the path.
int RingWalk::latest(int e) const {
    if (!literal_) return at_[e].empty() ? 0 : at_[e].back();
    for (int p = static_cast<int>(ird_.size()) - 1; p >= 1; --p)
        if (ird_[p] == e) return p;
    return 0;
}

// The latest position before the end whose entry has more than 2 links and one not walked.
int RingWalk::backtrack() {
    int np = static_cast<int>(ird_.size()) - 1;
    if (literal_) {
        for (int p = np - 1; p >= 1; --p)
            if (adj_[ird_[p]].size() > 2 && unwalked_[ird_[p]] > 0) return p;
        return 0;
    }
    // A position that fails now fails for good: links are only ever marked walked.
    while (!forks_.empty() && (forks_.back() >= np || unwalked_[ird_[forks_.back()]] == 0))
        forks_.pop_back();
    return forks_.empty() ? 0 : forks_.back();
}

int RingWalk::restart_entry() {
    int e = literal_ ? 1 : cursor_;
    while (e <= nnew_ && (visited_.visited[e] || adj_[e].empty())) ++e;
    cursor_ = e;
    return e <= nnew_ ? e : 0;
}

bool RingWalk::duplicate(const std::vector<int>& members) const {
    const Topology& g = r_.topology;
    const int s = static_cast<int>(members.size());
    if (literal_) {
        for (int q = 1; q <= g.ring_count; ++q) {
            if (g.ring_size[q] != s) continue;
            int pairs = 0;
            for (int m = 1; m <= s; ++m)
                for (int a : members) pairs += g.ring_atom[q][m] == a ? 1 : 0;
            if (pairs == s) return true;
        }
        return false;
    }
    // The count of equal pairs, from the two sorted member lists.
    std::vector<int> cand(members);
    std::sort(cand.begin(), cand.end());
    for (int q = 1; q <= g.ring_count; ++q) {
        if (g.ring_size[q] != s) continue;
        const auto& ring = sorted_[static_cast<std::size_t>(q)];
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

void RingWalk::store(const std::vector<int>& members) {
    Topology& g = r_.topology;
    const int out = r_.files.listing;
    const int s = static_cast<int>(members.size());
    if (g.ring_count + 1 > max_rings) fatal_error(r_, "FindRings", "Too many rings (maxrings)");
    ++g.ring_count;
    r_.ensure_rings(g.ring_count);
    rings_changed(r_);
    g.ring_size[g.ring_count] = s;
    g.ring_atom[g.ring_count].assign(1, 0);
    g.ring_atom[g.ring_count].insert(g.ring_atom[g.ring_count].end(), members.begin(),
                                     members.end());
    g.ring_dummy[g.ring_count] = 0;
    std::vector<int> sorted(members);
    std::sort(sorted.begin(), sorted.end());
    sorted_.resize(static_cast<std::size_t>(g.ring_count) + 1);
    sorted_[static_cast<std::size_t>(g.ring_count)] = std::move(sorted);

    r_.io.write(out, "");
    r_.io.write(out, "");
    r_.io.write(out, " **********  FOUND RING # " + fi(g.ring_count, 4) + " ---> " + fi(s, 3) +
                         " - MEMBERED  **********");
    r_.io.write(out, "");
    std::string labels, numbers;
    for (int a : members) {
        labels += "  " + pad(r_.structure.label[a], 8);
        numbers += fi(a, 6) + "    ";
    }
    r_.io.write(out, labels);
    r_.io.write(out, numbers);
    g.ring_planar[g.ring_count] = true;
    if (s >= 4) {
        std::vector<int> list(1, 0);
        list.insert(list.end(), members.begin(), members.end());
        g.ring_planar[g.ring_count] = planarity(r_, 1, s, list, planarity_ring);
    }
}

// e has just been appended at the end; j is its latest earlier position.
void RingWalk::ring_test(int j) {
    const int np = static_cast<int>(ird_.size()) - 1;
    const int s = np - j;
    if (s > r_.options.rings.max_size || s < r_.options.rings.min_size) return;
    if (ird_[j + 1] == ird_[np - 1]) return;  // came back the way it went
    std::vector<int> members;
    members.reserve(static_cast<std::size_t>(s));
    for (int p = j; p < np; ++p) members.push_back(atom_[ird_[p]]);
    if (duplicate(members)) return;
    store(members);
}

void RingWalk::run() {
    Topology& g = r_.topology;
    const int out = r_.files.listing;
    g.ring_count = 0;
    rings_changed(r_);
    std::fill(g.ring_size.begin(), g.ring_size.end(), 0);
    for (auto& m : g.ring_atom) m.assign(1, 0);
    std::fill(g.ring_planar.begin(), g.ring_planar.end(), false);
    std::fill(g.ring_dummy.begin(), g.ring_dummy.end(), 0);

    r_.io.write(out, "");
    r_.io.write(out, std::string(80, '-'));
    both(r_, terminal, out, "");
    both(r_, terminal, out,
         " AUTOMATED SEARCH FOR " + fi(r_.options.rings.min_size, 3) + " -" +
             fi(r_.options.rings.max_size, 3) + " - MEMBERED RINGS");
    r_.io.write(terminal, "");

    load();
    if (nnew_ < 3) {
        both(r_, terminal, out, "");
        both(r_, terminal, out, " THERE ARE NO ATOMS IN THE REDUCED CONNECTIVITY TABLE");
        both(r_, terminal, out, "");
        both(r_, terminal, out, " SEARCH FOR RINGS WILL NOT BE PERFORMED...");
        return;
    }
    exchange_start();

    choices_.unwalked.resize(static_cast<std::size_t>(nnew_) + 1);
    unwalked_.assign(static_cast<std::size_t>(nnew_) + 1, 0);
    for (int l = 1; l <= nnew_; ++l) {
        choices_.unwalked[l].assign(adj_[l].size(), 1);
        unwalked_[l] = static_cast<int>(adj_[l].size());
    }
    visited_.visited.assign(static_cast<std::size_t>(nnew_) + 1, 0);
    at_.assign(static_cast<std::size_t>(nnew_) + 1, {});

    bool walking = false;
    if (!adj_[1].empty()) {
        push(1);
        push(adj_[1][0]);
        walk_link(1, 0);
        walking = true;
    }
    for (;;) {
        if (walking) {
            int np = static_cast<int>(ird_.size()) - 1;
            int cur = ird_[np];
            int prev = np > 1 ? ird_[np - 1] : 0;
            int c = choose(cur, prev);
            if (c >= 0) {
                walk_link(cur, c);
                int e = adj_[cur][c];
                int j = latest(e);
                push(e);
                if (j > 0) ring_test(j);
                continue;
            }
            int k = backtrack();
            if (k > 0) {
                cut(k);
                continue;
            }
        }
        cut(0);
        int e = restart_entry();
        if (e == 0) break;
        if (!choices_.unwalked[e][0]) fatal_error(r_, "CheckVisited", "Internal error");
        push(e);
        push(adj_[e][0]);
        walk_link(e, 0);
        walking = true;
    }

    r_.io.write(out, "");
    r_.io.write(out, " " + std::string(79, '-'));
    both(r_, out, terminal, "");
    both(r_, out, terminal, " TOTAL RINGS FOUND (nor)  = " + fi(g.ring_count, 6));
}

}  // namespace

void reduce_connectivity(Records& r) { report_reduction(r, reduce_fast(r, list_length(r))); }

void reduce_connectivity_scan(Records& r) { report_reduction(r, reduce_scan(r, list_length(r))); }

void find_rings(Records& r) { RingWalk(r, false).run(); }

void find_rings_scan(Records& r) { RingWalk(r, true).run(); }

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

RingMembership ring_membership_scan(const Records& r, int atom) {
    const Topology& g = r.topology;
    int count = 0;
    int first = 0, second = 0;
    const int nor = std::min(g.ring_count, static_cast<int>(g.ring_size.size()) - 1);
    for (int q = 1; q <= nor; ++q) {
        const auto& mem = g.ring_atom[static_cast<std::size_t>(q)];
        int s = std::min(g.ring_size[q], static_cast<int>(mem.size()) - 1);
        bool in = false;
        for (int m = 1; m <= s && !in; ++m) in = mem[static_cast<std::size_t>(m)] == atom;
        if (!in) continue;
        ++count;
        if (count == 1) first = q;
        if (count == 2) second = q;
    }
    return ring_situation(g, count, first, second);
}

}  // namespace kova
