// A spatial grid over points (Å), used by the searches of the topology stages to visit only the
// atoms near a point. A query returns a superset of the points within the radius, in no
// particular order; callers apply their own exact tests and restore their own order. The cells
// of the box around the points given to `build` are an array when the box is not much larger
// than the points are many (a search of 10 Å then reads a thousand cells at array speed);
// points beyond it, or all of them when the box is too sparse, go to a hash of cells.
#pragma once

#include <algorithm>
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
    // The array cell of cell (ix, iy, iz), or nullptr when it lies outside the array's box.
    std::vector<int>* dense_cell(std::int64_t ix, std::int64_t iy, std::int64_t iz);

    double h_ = 1.0;
    std::array<std::int64_t, 3> lo_{};   // first cell of the array's box on each axis
    std::array<std::int64_t, 3> dim_{};  // its cells on each axis (0: no array)
    std::vector<std::vector<int>> dense_;  // cell (ix, iy, iz) at ((ix-lo)*ny + iy-lo)*nz + iz-lo
    std::unordered_map<std::uint64_t, std::vector<int>> cells_;  // cells outside the array
    std::vector<int> wild_;
};

template <typename F>
void PointGrid::visit(const Vec3d& c, double radius, F&& f) const {
    for (int id : wild_) f(id);
    if (!binnable(c) || !(radius >= 0.0) || radius > kFar) {
        for (const auto& ids : dense_)
            for (int id : ids) f(id);
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
    if (!dense_.empty()) {
        std::int64_t a[3], b[3];
        for (int k = 0; k < 3; ++k) {
            a[k] = std::max(lo[k], lo_[k]) - lo_[k];
            b[k] = std::min(hi[k], lo_[k] + dim_[k] - 1) - lo_[k];
        }
        for (std::int64_t ix = a[0]; ix <= b[0]; ++ix)
            for (std::int64_t iy = a[1]; iy <= b[1]; ++iy) {
                const std::vector<int>* row = dense_.data() + (ix * dim_[1] + iy) * dim_[2];
                for (std::int64_t iz = a[2]; iz <= b[2]; ++iz)
                    for (int id : row[iz]) f(id);
            }
    }
    if (cells_.empty()) return;
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
    for (const auto& ids : dense_)
        for (int id : ids) f(id);
    for (const auto& [k, ids] : cells_)
        for (int id : ids) f(id);
}

}  // namespace kova
