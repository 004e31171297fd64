// A spatial grid over points (Å): the one index behind every search for the points near a
// place (the neighbour search, the completion of molecules, the reduced connectivity table,
// the reuse of dummy atoms and the symmetry-image test). A query returns a superset of the
// points within the radius, in no particular order; callers apply their own exact tests and
// restore their own order. The points given to `build` are packed by cell when their box of
// cells is not much larger than they are many, so that a search of 10 Å reads a few dozen runs
// of memory rather than a thousand scattered cells. A point inserted later into the box waits
// in a short list until the list is long enough to be packed in; points outside the box, and
// all of them when it is too sparse, go to a hash of cells.
#pragma once

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "shared/geometry.hpp"

namespace kova {

class PointGrid {
public:
    // Cells of edge h (at least 0.5 Å). Point k of `pts` gets the id first + k.
    void build(double h, const std::vector<Vec3d>& pts, int first);
    void insert(int id, const Vec3d& p);
    // Takes point `id`, filed at p, out.
    void remove(int id, const Vec3d& p);
    // Files point `id` anew: it moved from `from` to `to`.
    void move(int id, const Vec3d& from, const Vec3d& to);
    // The edge of a cell (Å).
    double cell() const { return h_; }

    // Calls f(id) for every point that may lie within `radius` of `c` (and for every point
    // kept outside the grid). A centre or radius the grid cannot bound visits every point.
    template <typename F>
    void visit(const Vec3d& c, double radius, F&& f) const;

    // Every point, in no particular order.
    template <typename F>
    void visit_all(F&& f) const;

    // At least as many as the points visit(c, radius) would give (packed places count whether
    // or not their point was removed).
    std::size_t bound(const Vec3d& c, double radius) const;

private:
    static constexpr std::int64_t kHalf = std::int64_t{1} << 20;
    // Coordinates beyond this (or not finite) cannot be binned; such points are always visited.
    static constexpr double kFar = 1.0e5;
    static constexpr int kGone = INT_MIN;  // a packed place whose point was removed
    static constexpr std::size_t kWaiting = 256;  // points waiting beyond this are packed in

    static bool binnable(const Vec3d& p);
    std::int64_t index(double x) const;
    static std::uint64_t key(std::int64_t ix, std::int64_t iy, std::int64_t iz);
    // Number of packed cell (ix, iy, iz), or -1 outside the packed box.
    std::int64_t packed_cell(std::int64_t ix, std::int64_t iy, std::int64_t iz) const;
    template <typename F>
    void visit_packed(std::size_t from, std::size_t to, F& f) const {
        for (std::size_t k = from; k < to; ++k)
            if (ids_[k] != kGone) f(ids_[k]);
    }
    void pack(std::vector<std::int64_t> cell_of, const std::vector<int>& id_of);
    void repack();

    struct Waiting {
        std::int64_t cell;  // packed cell number
        std::array<std::int64_t, 3> at;
        int id;
    };
    double h_ = 1.0;
    std::array<std::int64_t, 3> lo_{};   // first cell of the packed box on each axis
    std::array<std::int64_t, 3> dim_{};  // its cells on each axis (0: nothing packed)
    // Cell (ix, iy, iz) of the box is number c = ((ix-lo)*ny + iy-lo)*nz + iz-lo; its points
    // are ids_[start_[c]] .. ids_[start_[c+1]-1], so a row of cells along z is one run.
    std::vector<int> start_;
    std::vector<int> ids_;
    std::vector<Waiting> waiting_;  // inserted into the packed box since it was packed
    std::unordered_map<std::uint64_t, std::vector<int>> cells_;  // points not packed
    std::size_t hashed_ = 0;                                     // how many there are
    std::vector<int> wild_;
};

template <typename F>
void PointGrid::visit(const Vec3d& c, double radius, F&& f) const {
    for (int id : wild_) f(id);
    if (!binnable(c) || !(radius >= 0.0) || radius > kFar) {
        visit_packed(0, ids_.size(), f);
        for (const Waiting& w : waiting_) f(w.id);
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
    if (!start_.empty()) {
        std::int64_t a[3], b[3];
        for (int k = 0; k < 3; ++k) {
            a[k] = std::max(lo[k], lo_[k]) - lo_[k];
            b[k] = std::min(hi[k], lo_[k] + dim_[k] - 1) - lo_[k];
        }
        if (a[2] <= b[2])
            for (std::int64_t ix = a[0]; ix <= b[0]; ++ix)
                for (std::int64_t iy = a[1]; iy <= b[1]; ++iy) {
                    const std::int64_t row = (ix * dim_[1] + iy) * dim_[2];
                    visit_packed(
                        static_cast<std::size_t>(start_[static_cast<std::size_t>(row + a[2])]),
                        static_cast<std::size_t>(start_[static_cast<std::size_t>(row + b[2] + 1)]),
                        f);
                }
        for (const Waiting& w : waiting_)
            if (w.at[0] >= lo[0] && w.at[0] <= hi[0] && w.at[1] >= lo[1] && w.at[1] <= hi[1] &&
                w.at[2] >= lo[2] && w.at[2] <= hi[2])
                f(w.id);
    }
    if (cells_.empty()) return;
    if (span > static_cast<double>(cells_.size())) {
        // Fewer occupied cells than cells in the box: test the occupied ones.
        for (const auto& [k, ids] : cells_) {
            std::int64_t ix = static_cast<std::int64_t>(k >> 42) - kHalf;
            std::int64_t iy = static_cast<std::int64_t>((k >> 21) & 0x1FFFFF) - kHalf;
            std::int64_t iz = static_cast<std::int64_t>(k & 0x1FFFFF) - kHalf;
            if (ix < lo[0] || ix > hi[0] || iy < lo[1] || iy > hi[1] || iz < lo[2] || iz > hi[2])
                continue;
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
    visit_packed(0, ids_.size(), f);
    for (const Waiting& w : waiting_) f(w.id);
    for (const auto& [k, ids] : cells_)
        for (int id : ids) f(id);
}

}  // namespace kova
