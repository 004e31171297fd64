// A spatial hash grid over points (Å), used by the searches of the topology stages to visit
// only the atoms near a point. A query returns a superset of the points within the radius, in
// no particular order; callers apply their own exact tests and restore their own order.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace kova {

using Vec3d = std::array<double, 3>;

class PointGrid {
public:
    // Cells of edge h (at least 0.5 Å). Point k of `pts` gets the id first + k.
    void build(double h, const std::vector<Vec3d>& pts, int first);
    void insert(int id, const Vec3d& p);
    void remove(int id, const Vec3d& p);
    double cell() const { return h_; }

    // Calls f(id) for every point that may lie within `radius` of `c` (and for every point
    // kept outside the grid). A centre or radius the grid cannot bound visits every point.
    template <typename F>
    void visit(const Vec3d& c, double radius, F&& f) const;

    // Every point, in no particular order.
    template <typename F>
    void visit_all(F&& f) const;

private:
    static constexpr std::int64_t kHalf = std::int64_t{1} << 20;
    // Coordinates beyond this (or not finite) cannot be binned; such points are always visited.
    static constexpr double kFar = 1.0e5;

    static bool binnable(const Vec3d& p);
    std::int64_t index(double x) const;
    static std::uint64_t key(std::int64_t ix, std::int64_t iy, std::int64_t iz);

    double h_ = 1.0;
    std::unordered_map<std::uint64_t, std::vector<int>> cells_;
    std::vector<int> wild_;
};

template <typename F>
void PointGrid::visit(const Vec3d& c, double radius, F&& f) const {
    for (int id : wild_) f(id);
    if (!binnable(c) || !(radius >= 0.0) || radius > kFar) {
        for (const auto& [k, ids] : cells_)
            for (int id : ids) f(id);
        return;
    }
    if (radius < 0.0) radius = 0.0;
    std::int64_t lo[3], hi[3];
    double span = 1.0;
    for (int k = 0; k < 3; ++k) {
        lo[k] = index(c[k] - radius);
        hi[k] = index(c[k] + radius);
        span *= static_cast<double>(hi[k] - lo[k] + 1);
    }
    if (span > static_cast<double>(cells_.size())) {
        // Fewer occupied cells than cells in the box: test the occupied ones.
        for (const auto& [k, ids] : cells_) {
            std::int64_t ix = static_cast<std::int64_t>(k >> 42) - kHalf;
            std::int64_t iy = static_cast<std::int64_t>((k >> 21) & 0x1FFFFF) - kHalf;
            std::int64_t iz = static_cast<std::int64_t>(k & 0x1FFFFF) - kHalf;
            if (ix < lo[0] || ix > hi[0] || iy < lo[1] || iy > hi[1] || iz < lo[2] || iz > hi[2]) continue;
            for (int id : ids) f(id);
        }
        return;
    }
    for (std::int64_t ix = lo[0]; ix <= hi[0]; ++ix)
        for (std::int64_t iy = lo[1]; iy <= hi[1]; ++iy)
            for (std::int64_t iz = lo[2]; iz <= hi[2]; ++iz) {
                auto it = cells_.find(key(ix, iy, iz));
                if (it == cells_.end()) continue;
                for (int id : it->second) f(id);
            }
}

template <typename F>
void PointGrid::visit_all(F&& f) const {
    for (int id : wild_) f(id);
    for (const auto& [k, ids] : cells_)
        for (int id : ids) f(id);
}

}  // namespace kova
