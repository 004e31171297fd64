#include "topology/grid.hpp"

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
    return (static_cast<std::uint64_t>(ix + kHalf) << 42) | (static_cast<std::uint64_t>(iy + kHalf) << 21) |
           static_cast<std::uint64_t>(iz + kHalf);
}

void PointGrid::build(double h, const std::vector<Vec3d>& pts, int first) {
    h_ = (h >= 0.5 && std::isfinite(h)) ? h : 0.5;
    cells_.clear();
    wild_.clear();
    dense_.clear();
    dim_ = {0, 0, 0};
    // The box of the points' cells, in an array when it holds at most 8 cells per point.
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
    if (any) {
        double cells = 1.0;
        for (int k = 0; k < 3; ++k) cells *= static_cast<double>(hi[k] - lo[k] + 1);
        if (cells <= 8.0 * static_cast<double>(pts.size()) + 64.0) {
            lo_ = lo;
            for (int k = 0; k < 3; ++k) dim_[k] = hi[k] - lo[k] + 1;
            dense_.resize(static_cast<std::size_t>(dim_[0] * dim_[1] * dim_[2]));
        }
    }
    if (dense_.empty()) cells_.reserve(pts.size() / 2 + 1);
    for (std::size_t k = 0; k < pts.size(); ++k) insert(first + static_cast<int>(k), pts[k]);
}

std::vector<int>* PointGrid::dense_cell(std::int64_t ix, std::int64_t iy, std::int64_t iz) {
    ix -= lo_[0];
    iy -= lo_[1];
    iz -= lo_[2];
    if (ix < 0 || iy < 0 || iz < 0 || ix >= dim_[0] || iy >= dim_[1] || iz >= dim_[2]) return nullptr;
    return &dense_[static_cast<std::size_t>((ix * dim_[1] + iy) * dim_[2] + iz)];
}

void PointGrid::insert(int id, const Vec3d& p) {
    if (!binnable(p)) {
        wild_.push_back(id);
        return;
    }
    std::int64_t ix = index(p[0]), iy = index(p[1]), iz = index(p[2]);
    if (std::vector<int>* cell = dense_cell(ix, iy, iz)) {
        cell->push_back(id);
        return;
    }
    cells_[key(ix, iy, iz)].push_back(id);
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
    if (std::vector<int>* cell = dense_cell(ix, iy, iz)) {
        drop(*cell);
        return;
    }
    auto it = cells_.find(key(ix, iy, iz));
    if (it == cells_.end()) return;
    drop(it->second);
    if (it->second.empty()) cells_.erase(it);
}

}  // namespace kova
