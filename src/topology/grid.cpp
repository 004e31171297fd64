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
    cells_.reserve(pts.size() / 2 + 1);
    for (std::size_t k = 0; k < pts.size(); ++k) insert(first + static_cast<int>(k), pts[k]);
}

void PointGrid::insert(int id, const Vec3d& p) {
    if (!binnable(p)) {
        wild_.push_back(id);
        return;
    }
    cells_[key(index(p[0]), index(p[1]), index(p[2]))].push_back(id);
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
    auto it = cells_.find(key(index(p[0]), index(p[1]), index(p[2])));
    if (it == cells_.end()) return;
    drop(it->second);
    if (it->second.empty()) cells_.erase(it);
}

}  // namespace kova
