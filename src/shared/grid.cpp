#include "shared/grid.hpp"

#include <algorithm>
#include <cmath>

namespace kova {

bool PointGrid::binnable(const Vec3d& p) {
    for (double x : p)
        if (!(std::fabs(x) <= kFar)) return false;  // also false for NaN
    return true;
}

std::int64_t PointGrid::index(double x) const {
    // |x| <= kFar + radius and h >= 0.5 keep this far inside the 21-bit range of a key.
    double q = std::floor(x / h_);
    q = std::clamp(q, static_cast<double>(-kHalf + 1), static_cast<double>(kHalf - 1));
    return static_cast<std::int64_t>(q);
}

std::uint64_t PointGrid::key(std::int64_t ix, std::int64_t iy, std::int64_t iz) {
    return (static_cast<std::uint64_t>(ix + kHalf) << 42) |
           (static_cast<std::uint64_t>(iy + kHalf) << 21) | static_cast<std::uint64_t>(iz + kHalf);
}

void PointGrid::build(double h, const std::vector<Vec3d>& pts, int first) {
    h_ = (h >= 0.5 && std::isfinite(h)) ? h : 0.5;
    cells_.clear();
    hashed_ = 0;
    wild_.clear();
    waiting_.clear();
    start_.clear();
    ids_.clear();
    dim_ = {0, 0, 0};
    // The box of the points' cells, packed when it holds at most 64 cells per point.
    std::array<std::int64_t, 3> lo{}, hi{};
    bool any = false;
    for (const Vec3d& p : pts) {
        if (!binnable(p)) continue;
        for (int k = 0; k < 3; ++k) {
            std::int64_t c = index(p[k]);
            lo[k] = any ? std::min(lo[k], c) : c;
            hi[k] = any ? std::max(hi[k], c) : c;
        }
        any = true;
    }
    double cells = 1.0;
    for (int k = 0; k < 3; ++k) cells *= static_cast<double>(hi[k] - lo[k] + 1);
    if (!any || cells > 64.0 * static_cast<double>(pts.size()) + 64.0) {
        cells_.reserve(pts.size() / 2 + 1);
        for (std::size_t k = 0; k < pts.size(); ++k) insert(first + static_cast<int>(k), pts[k]);
        return;
    }
    lo_ = lo;
    for (int k = 0; k < 3; ++k) dim_[k] = hi[k] - lo[k] + 1;
    std::vector<std::int64_t> cell_of;
    std::vector<int> id_of;
    cell_of.reserve(pts.size());
    id_of.reserve(pts.size());
    for (std::size_t k = 0; k < pts.size(); ++k) {
        const Vec3d& p = pts[k];
        if (!binnable(p)) {
            wild_.push_back(first + static_cast<int>(k));
            continue;
        }
        cell_of.push_back(packed_cell(index(p[0]), index(p[1]), index(p[2])));
        id_of.push_back(first + static_cast<int>(k));
    }
    pack(std::move(cell_of), id_of);
}

// A counting sort of the points by cell.
void PointGrid::pack(std::vector<std::int64_t> cell_of, const std::vector<int>& id_of) {
    start_.assign(static_cast<std::size_t>(dim_[0] * dim_[1] * dim_[2]) + 1, 0);
    for (std::int64_t c : cell_of) ++start_[static_cast<std::size_t>(c) + 1];
    for (std::size_t c = 1; c < start_.size(); ++c) start_[c] += start_[c - 1];
    ids_.assign(static_cast<std::size_t>(start_.back()), kGone);
    std::vector<int> fill(start_.begin(), start_.end() - 1);
    for (std::size_t k = 0; k < cell_of.size(); ++k)
        ids_[static_cast<std::size_t>(fill[static_cast<std::size_t>(cell_of[k])]++)] = id_of[k];
}

void PointGrid::repack() {
    std::vector<std::int64_t> cell_of;
    std::vector<int> id_of;
    cell_of.reserve(ids_.size() + waiting_.size());
    id_of.reserve(ids_.size() + waiting_.size());
    for (std::size_t c = 0; c + 1 < start_.size(); ++c)
        for (int k = start_[c]; k < start_[c + 1]; ++k)
            if (ids_[static_cast<std::size_t>(k)] != kGone) {
                cell_of.push_back(static_cast<std::int64_t>(c));
                id_of.push_back(ids_[static_cast<std::size_t>(k)]);
            }
    for (const Waiting& w : waiting_) {
        cell_of.push_back(w.cell);
        id_of.push_back(w.id);
    }
    waiting_.clear();
    pack(std::move(cell_of), id_of);
}

std::int64_t PointGrid::packed_cell(std::int64_t ix, std::int64_t iy, std::int64_t iz) const {
    ix -= lo_[0];
    iy -= lo_[1];
    iz -= lo_[2];
    if (ix < 0 || iy < 0 || iz < 0 || ix >= dim_[0] || iy >= dim_[1] || iz >= dim_[2]) return -1;
    return (ix * dim_[1] + iy) * dim_[2] + iz;
}

void PointGrid::insert(int id, const Vec3d& p) {
    if (!binnable(p)) {
        wild_.push_back(id);
        return;
    }
    std::int64_t ix = index(p[0]), iy = index(p[1]), iz = index(p[2]);
    if (std::int64_t c = start_.empty() ? -1 : packed_cell(ix, iy, iz); c >= 0) {
        waiting_.push_back(Waiting{c, {ix, iy, iz}, id});
        if (waiting_.size() > kWaiting) repack();
        return;
    }
    cells_[key(ix, iy, iz)].push_back(id);
    ++hashed_;
}

void PointGrid::remove(int id, const Vec3d& p) {
    auto drop = [id](std::vector<int>& v) {
        auto it = std::find(v.begin(), v.end(), id);
        if (it != v.end()) v.erase(it);
    };
    if (!binnable(p)) {
        drop(wild_);
        return;
    }
    std::int64_t ix = index(p[0]), iy = index(p[1]), iz = index(p[2]);
    std::int64_t c = start_.empty() ? -1 : packed_cell(ix, iy, iz);
    if (c < 0) {
        auto it = cells_.find(key(ix, iy, iz));
        if (it == cells_.end()) return;
        auto at = std::find(it->second.begin(), it->second.end(), id);
        if (at == it->second.end()) return;
        it->second.erase(at);
        --hashed_;
        if (it->second.empty()) cells_.erase(it);
        return;
    }
    for (auto w = waiting_.begin(); w != waiting_.end(); ++w)
        if (w->id == id && w->cell == c) {
            waiting_.erase(w);
            return;
        }
    auto from = ids_.begin() + start_[static_cast<std::size_t>(c)];
    auto to = ids_.begin() + start_[static_cast<std::size_t>(c) + 1];
    auto at = std::find(from, to, id);
    if (at != to) *at = kGone;
}

std::size_t PointGrid::bound(const Vec3d& c, double radius) const {
    std::size_t n = wild_.size() + waiting_.size() + hashed_;
    if (!binnable(c) || !(radius >= 0.0) || radius > kFar) return n + ids_.size();
    if (start_.empty()) return n;
    std::int64_t a[3], b[3];
    for (int k = 0; k < 3; ++k) {
        a[k] = std::max(index(c[k] - radius), lo_[k]) - lo_[k];
        b[k] = std::min(index(c[k] + radius), lo_[k] + dim_[k] - 1) - lo_[k];
    }
    if (a[2] > b[2]) return n;
    for (std::int64_t ix = a[0]; ix <= b[0]; ++ix)
        for (std::int64_t iy = a[1]; iy <= b[1]; ++iy) {
            const std::int64_t row = (ix * dim_[1] + iy) * dim_[2];
            n += static_cast<std::size_t>(start_[static_cast<std::size_t>(row + b[2] + 1)] -
                                          start_[static_cast<std::size_t>(row + a[2])]);
        }
    return n;
}

void PointGrid::move(int id, const Vec3d& from, const Vec3d& to) {
    if (binnable(from) && binnable(to) && index(from[0]) == index(to[0]) &&
        index(from[1]) == index(to[1]) && index(from[2]) == index(to[2]))
        return;  // still in its cell
    remove(id, from);
    insert(id, to);
}

}  // namespace kova
