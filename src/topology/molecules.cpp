// Completion of molecules: images of the atoms read under every operator and lattice shift are
// appended while they bond to the working list, and the list is printed when it grew (the
// output stage writes it to complete.ang). The scan accepts, again and again, the first
// candidate in scan order that is bonded to the list and coincides with none of it. Both
// conditions only ever become true as the list grows, so the completion keeps the candidates
// that are bonded and not coincident in scan order and, after each acceptance, looks only at
// the candidates near the new image.
#include "topology/molecules.hpp"

#include <algorithm>
#include <cmath>
#include <compare>
#include <functional>
#include <limits>
#include <queue>
#include <string>
#include <unordered_map>
#include <vector>

#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/grid.hpp"

namespace kova {

namespace {

// A candidate: source atom, operator and lattice shift, ordered as the scan visits them.
struct ImageCandidate {
    int atom, symop, shift_a, shift_b, shift_c;
    auto operator<=>(const ImageCandidate&) const = default;
};
struct ImageCandidateHash {
    std::size_t operator()(const ImageCandidate& k) const {
        std::size_t h = static_cast<std::size_t>(k.atom);
        for (int v : {k.symop, k.shift_a, k.shift_b, k.shift_c})
            h = h * 1000003u ^ static_cast<std::size_t>(static_cast<unsigned>(v));
        return h;
    }
};

struct Image {
    Fractional xf;
    Cartesian xc;
};

Image image_of(const Records& r, int i, int n, int a, int b, int c) {
    const Mat3f& rot = r.structure.symmetry.rotation[static_cast<std::size_t>(n)];
    const Vec3f& t = r.structure.symmetry.translation[static_cast<std::size_t>(n)];
    const Fractional& x = r.structure.frac[static_cast<std::size_t>(i)];
    const float shift[3] = {static_cast<float>(a), static_cast<float>(b), static_cast<float>(c)};
    Image im;
    for (int k = 0; k < 3; ++k)
        im.xf[k] = rot[0][k] * x[0] + rot[1][k] * x[1] + rot[2][k] * x[2] + t[k] + shift[k];
    im.xc = to_cartesian(r.structure.frac_to_cart, im.xf);
    return im;
}

bool coincident(const Vec3f& a, const Vec3f& b) {
    return static_cast<double>(distance(a, b)) < 0.001;
}

bool bonded(const Records& r, const Vec3f& img, int i, int m) {
    float lim = covalent_radius(r, r.structure.atomic_number[m]) +
                covalent_radius(r, r.structure.atomic_number[i]) + r.options.tolerances.bond;
    return distance(img, r.structure.cart[m]) <= lim;
}

int operators(const Records& r) {
    return std::clamp(r.structure.symmetry.count, 0,
                      static_cast<int>(std::min(r.structure.symmetry.rotation.size(),
                                                r.structure.symmetry.translation.size())) -
                          1);
}

void append(Io& io, Records& r, int i, const Image& im) {
    int k = r.topology.list_size + 1;
    if (k > max_atoms) fatal_error(io, Files::listing, "GenCompleteFrags", "Too many atoms");
    r.ensure_atoms(k);
    r.structure.label[k] = r.structure.label[i];
    r.structure.atomic_number[k] = r.structure.atomic_number[i];
    r.structure.occupancy[k] = r.structure.occupancy[i];
    r.structure.occupancy_flag[k] = r.structure.occupancy_flag[i];
    place_atom(r.structure, k, im.xf);
    r.topology.source_atom[k] = i;
    ++r.topology.image_count[i];
    r.topology.list_size = k;
}

double frobenius(const Mat3d& m) {
    double s = 0.0;
    for (const auto& row : m)
        for (double v : row) s += v * v;
    return std::sqrt(s);
}

// The inverse of a finite, well-conditioned matrix; false otherwise.
bool invert(const Mat3d& m, Mat3d& inv) {
    if (!finite(m)) return false;
    double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                 m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                 m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    double scale = frobenius(m);
    if (!(std::fabs(det) > 1e-9 * scale * scale * scale)) return false;
    inv[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) / det;
    inv[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    inv[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    inv[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) / det;
    inv[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    inv[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    inv[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) / det;
    inv[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    inv[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    return finite(inv);
}

Mat3d mul(const Mat3d& a, const Mat3d& b) {
    Mat3d c{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) c[i][j] += a[i][k] * b[k][j];
    return c;
}

// A bound of |m v| / |v|: 1 for an orthogonal matrix, else the Frobenius norm.
double norm_bound(const Mat3d& m) {
    double worst = 0.0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double g = 0.0;
            for (int k = 0; k < 3; ++k) g += m[k][i] * m[k][j];
            worst = std::max(worst, std::fabs(g - (i == j ? 1.0 : 0.0)));
        }
    return worst < 1e-6 ? 1.0001 : frobenius(m);
}

double max_abs(const Vec3d& v) {
    return std::max({std::fabs(v[0]), std::fabs(v[1]), std::fabs(v[2])});
}

class Completion {
public:
    Completion(Io& io, Records& r) : io_(io), r_(r) {}
    void run();

private:
    struct Op {
        bool indexed = false;  // false: every source and every shift is looked at
        Mat3d back{};          // from an image back to its source, Cartesian
        double stretch = 1.0;  // bound of |back v| / |v|
        Vec3d lo{}, hi{};      // box of rot·xf + trn over the sources (fractional)
        Vec3d trn{};
        double row_sum = 0.0;  // largest sum of |rot| along a component
        bool any = false;      // a finite source exists
    };
    // The sources whose images can lie anywhere: their numbers, Cartesian places and the
    // largest fractional coordinate among them.
    struct Sources {
        std::vector<int> atom;
        std::vector<Vec3d> cart;
        double largest = 0.0;
    };
    static constexpr char kDead = 1, kQueued = 2;

    void prepare();
    void prepare_cell();
    Sources finite_sources() const;
    Op operator_bounds(int n, const std::vector<int>& sources) const;
    double search_reach(const Vec3d& x, const Vec3d& y) const;
    void shift_range(const Op& op, const Vec3d& y, double reach, long long lo[3],
                     long long hi[3]) const;
    void process(int m);
    void try_candidate(int m, int i, const ImageCandidate& k);

    Io& io_;
    Records& r_;
    int source_count_ = 0, operator_count_ = 0, ncells_ = 0;
    double reach_ = 0.0;     // longest bond a candidate can make (Å)
    bool unbounded_ = false;  // the reach cannot be bounded
    bool cell_invertible_ = false;
    Mat3d frac_to_cart_{}, cart_to_frac_{};
    double cart_to_frac_row_[3] = {0, 0, 0};  // lengths of the rows of cart_to_frac_
    double spread_ = 0.0;  // bound of |rot·xf + trn| + 1 over sources and operators
    std::vector<Op> ops_;
    PointGrid sources_;
    std::unordered_map<ImageCandidate, char, ImageCandidateHash> state_;
    std::priority_queue<ImageCandidate, std::vector<ImageCandidate>, std::greater<ImageCandidate>>
        ready_;
};

void Completion::prepare_cell() {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) frac_to_cart_[i][j] = r_.structure.frac_to_cart[i][j];
    cell_invertible_ = invert(frac_to_cart_, cart_to_frac_);
    if (cell_invertible_)
        for (int k = 0; k < 3; ++k)
            cart_to_frac_row_[k] =
                std::sqrt(cart_to_frac_[k][0] * cart_to_frac_[k][0] +
                          cart_to_frac_[k][1] * cart_to_frac_[k][1] +
                          cart_to_frac_[k][2] * cart_to_frac_[k][2]);
}

Completion::Sources Completion::finite_sources() const {
    Sources s;
    for (int i = 1; i <= source_count_; ++i) {
        const Vec3f& q = r_.structure.frac[i];
        Vec3d qd{q[0], q[1], q[2]};
        if (!std::isfinite(max_abs(qd)) && !unbounded_) continue;  // its images are nowhere
        s.largest = std::max(s.largest, max_abs(qd));
        s.cart.push_back(times(frac_to_cart_, qd));
        s.atom.push_back(i);
    }
    return s;
}

// Operator n with the box its images of the sources fill, and the way back from an image to
// its source when the search can go that way.
Completion::Op Completion::operator_bounds(int n, const std::vector<int>& sources) const {
    Op op;
    Mat3d rot{}, rinv{};
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            rot[k][j] = r_.structure.symmetry.rotation[static_cast<std::size_t>(n)][j][k];
    for (int k = 0; k < 3; ++k)
        op.trn[k] = r_.structure.symmetry.translation[static_cast<std::size_t>(n)][k];
    for (int k = 0; k < 3; ++k)
        op.row_sum = std::max(op.row_sum,
                              std::fabs(rot[k][0]) + std::fabs(rot[k][1]) + std::fabs(rot[k][2]));
    op.lo = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
             std::numeric_limits<double>::infinity()};
    op.hi = {-op.lo[0], -op.lo[1], -op.lo[2]};
    for (int i : sources) {
        const Vec3f& q = r_.structure.frac[i];
        Vec3d w = times(rot, {q[0], q[1], q[2]});
        for (int k = 0; k < 3; ++k) {
            w[k] += op.trn[k];
            op.lo[k] = std::min(op.lo[k], w[k]);
            op.hi[k] = std::max(op.hi[k], w[k]);
        }
    }
    op.any = !sources.empty() && std::isfinite(max_abs(op.lo)) && std::isfinite(max_abs(op.hi));
    op.indexed = !unbounded_ && cell_invertible_ && op.any && invert(rot, rinv) &&
                 std::isfinite(max_abs(op.trn));
    if (op.indexed) {
        op.back = mul(mul(frac_to_cart_, rinv), cart_to_frac_);
        op.stretch = norm_bound(op.back);
    }
    return op;
}

void Completion::prepare() {
    source_count_ = std::clamp(r_.structure.atom_count, 0, r_.atom_slots());
    operator_count_ = operators(r_);
    ncells_ = r_.options.ncells;
    float covmax = 0.0f;
    for (int i = 1; i <= source_count_; ++i)
        covmax = std::max(covmax, covalent_radius(r_, r_.structure.atomic_number[i]));
    reach_ = 2.0 * covmax + r_.options.tolerances.bond;
    unbounded_ = !std::isfinite(reach_);
    prepare_cell();

    const Sources sources = finite_sources();
    double largest_shift = 0.0, largest_row_sum = 0.0;
    ops_.assign(static_cast<std::size_t>(operator_count_) + 1, Op{});
    for (int n = 1; n <= operator_count_; ++n) {
        Op& op = ops_[static_cast<std::size_t>(n)];
        op = operator_bounds(n, sources.atom);
        largest_shift = std::max(largest_shift, max_abs(op.trn));
        largest_row_sum = std::max(largest_row_sum, op.row_sum);
    }
    spread_ = largest_row_sum * sources.largest + largest_shift + 1.0;
    sources_.build(std::max(1.0, unbounded_ ? 1.0 : reach_ * 1.0001), {}, 1);
    for (std::size_t k = 0; k < sources.atom.size(); ++k)
        sources_.insert(sources.atom[k], sources.cart[k]);
}

void Completion::try_candidate(int m, int i, const ImageCandidate& k) {
    auto it = state_.find(k);
    if (it != state_.end() && (it->second & kDead)) return;
    Image im = image_of(r_, i, k.symop, k.shift_a, k.shift_b, k.shift_c);
    if (coincident(im.xc, r_.structure.cart[m])) {
        state_[k] |= kDead;
        return;
    }
    if (!bonded(r_, im.xc, i, m)) return;
    char& s = state_[k];
    if (s & kQueued) return;
    s |= kQueued;
    ready_.push(k);
}

// How far from atom x (fractional y) the images that can bond it or coincide with it lie. The
// single-precision image of a candidate near x is off its exact place by a few units in the
// last place of the sums that make it; a generous bound of that widens the search.
double Completion::search_reach(const Vec3d& x, const Vec3d& y) const {
    double span = 0.0;
    for (int k = 0; k < 3; ++k) {
        double s = 0.0;
        for (int j = 0; j < 3; ++j)
            s += std::fabs(frac_to_cart_[k][j]) * (std::fabs(y[j]) + spread_);
        span = std::max(span, s);
    }
    const double slack = 2e-6 * (1.0 + max_abs(x) + span) + 1e-4;
    return std::max(reach_, 0.001) + slack;
}

// The lattice shifts, within NCELLS, that can bring an image of some source under operator op
// within `reach` of the atom at fractional y.
void Completion::shift_range(const Op& op, const Vec3d& y, double reach, long long lo[3],
                             long long hi[3]) const {
    const long long nc = ncells_;
    for (int k = 0; k < 3; ++k) {
        lo[k] = -nc;
        hi[k] = nc;
    }
    if (!op.indexed) return;
    for (int k = 0; k < 3; ++k) {
        double rk = cart_to_frac_row_[k] * reach + 1e-9 * (1.0 + std::fabs(y[k]) + spread_);
        double from = std::ceil(y[k] - op.hi[k] - rk);
        double to = std::floor(y[k] - op.lo[k] + rk);
        lo[k] = static_cast<long long>(
            std::clamp(from, static_cast<double>(-nc), static_cast<double>(nc) + 1.0));
        hi[k] = static_cast<long long>(
            std::clamp(to, static_cast<double>(-nc) - 1.0, static_cast<double>(nc)));
    }
}

// Every candidate that is bonded to atom m of the list, or coincides with it, gets to know.
void Completion::process(int m) {
    const Cartesian& xc = r_.structure.cart[m];
    Vec3d x{xc[0], xc[1], xc[2]};
    if (!unbounded_ && !std::isfinite(max_abs(x))) return;  // no finite distance to anything
    Vec3d y{};
    if (cell_invertible_) y = times(cart_to_frac_, x);
    const double reach = search_reach(x, y);
    for (int n = 1; n <= operator_count_; ++n) {
        const Op& op = ops_[static_cast<std::size_t>(n)];
        long long lo[3], hi[3];
        shift_range(op, y, reach, lo, hi);
        for (long long la = lo[0]; la <= hi[0]; ++la)
            for (long long lb = lo[1]; lb <= hi[1]; ++lb)
                for (long long lc = lo[2]; lc <= hi[2]; ++lc) {
                    const int a = static_cast<int>(la), b = static_cast<int>(lb),
                              c = static_cast<int>(lc);
                    if (n == 1 && a == 0 && b == 0 && c == 0) continue;
                    auto candidate = [&](int i) {
                        try_candidate(m, i, ImageCandidate{i, n, a, b, c});
                    };
                    if (!op.indexed) {
                        sources_.visit_all(candidate);
                        continue;
                    }
                    Vec3d f{op.trn[0] + a, op.trn[1] + b, op.trn[2] + c};
                    Vec3d v = times(frac_to_cart_, f);
                    Vec3d centre = times(op.back, {x[0] - v[0], x[1] - v[1], x[2] - v[2]});
                    sources_.visit(centre, op.stretch * reach, candidate);
                }
    }
}

void Completion::run() {
    r_.topology.list_size = r_.structure.atom_count;
    prepare();
    // A bond shorter than the coincidence distance would be a coincidence: nothing can join.
    if (!(reach_ + 1e-5 >= 0.001) || operator_count_ == 0 || ncells_ < 0) return;
    for (int m = 1; m <= source_count_; ++m) process(m);
    while (!ready_.empty()) {
        ImageCandidate k = ready_.top();
        ready_.pop();
        char& s = state_[k];
        if (s & kDead) continue;
        s |= kDead;
        append(io_, r_, k.atom, image_of(r_, k.atom, k.symop, k.shift_a, k.shift_b, k.shift_c));
        process(r_.topology.list_size);
    }
}

}  // namespace

void complete_molecules(Io& io, Records& r) {
    Completion(io, r).run();
    list_complete_fragments(io, r);
}

void list_complete_fragments(Io& io, const Records& r) {
    if (r.topology.list_size <= r.structure.atom_count) return;
    const int out = Files::listing;
    io.write(out, "");
    io.write(out, " List of atoms in complete fragment(s) :");
    io.write(out, "");
    io.write(out,
             "       ATOM        ------ FRACTIONAL ------    ----- CARTESIAN -----     ISQ NSQ");
    for (int k = 1; k <= r.topology.list_size; ++k) {
        const Vec3f& f = r.structure.frac[k];
        const Vec3f& x = r.structure.cart[k];
        io.write(out, fi(k, 6) + " " + pad(r.structure.label[k], 8) + " " + ff(f[0], 9, 4) +
                          ff(f[1], 9, 4) + ff(f[2], 9, 4) + " " + ff(x[0], 8, 3) +
                          ff(x[1], 8, 3) + ff(x[2], 8, 3) + fi(r.topology.source_atom[k], 8) +
                          fi(r.topology.image_count[k], 4));
    }
    io.write(out, "");
    io.write(out, " File with complete fragment(s) in PLATON format : complete.ang");
}

}  // namespace kova
