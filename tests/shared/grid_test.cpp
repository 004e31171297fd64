// The spatial grid of the searches: every point within the radius is visited once, however
// the points were moved, removed or inserted since the grid was built.
#include "shared/grid.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>

namespace kova {
namespace {

double dist(const Vec3d& a, const Vec3d& b) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

// Each query visits the points within the radius, points it cannot bin, and each id once.
void expect_queries(const PointGrid& g, const std::map<int, Vec3d>& pts, std::mt19937& rng,
                    double side) {
    std::uniform_real_distribution<double> u(-0.2 * side, 1.2 * side);
    for (int q = 0; q < 40; ++q) {
        const Vec3d c{u(rng), u(rng), u(rng)};
        const double radius = q % 4 == 0 ? 10.0 : 2.5;
        std::multiset<int> seen;
        g.visit(c, radius, [&](int id) { seen.insert(id); });
        for (const auto& [id, p] : pts) {
            const bool wild =
                !(std::fabs(p[0]) <= 1e5 && std::fabs(p[1]) <= 1e5 && std::fabs(p[2]) <= 1e5);
            if (wild || dist(p, c) <= radius) {
                ASSERT_EQ(seen.count(id), 1u) << "point " << id << " query " << q;
            }
        }
        for (int id : seen) {
            ASSERT_EQ(seen.count(id), 1u) << id;
            ASSERT_TRUE(pts.count(id)) << "removed point " << id << " visited";
        }
    }
    std::multiset<int> all;
    g.visit_all([&](int id) { all.insert(id); });
    ASSERT_EQ(all.size(), pts.size());
    for (const auto& [id, p] : pts) ASSERT_EQ(all.count(id), 1u) << id;
}

TEST(PointGrid, MovesRemovalsAndInsertionsStayVisible) {
    // dense points (packed) and sparse ones (a hash of cells), each moved a little, moved far,
    // sent out of reach and back, removed and inserted
    for (double side : {30.0, 2000.0}) {
        std::mt19937 rng(side > 100 ? 2 : 1);
        std::uniform_real_distribution<double> u(0.0, side), step(-0.3, 0.3);
        std::map<int, Vec3d> pts;
        std::vector<Vec3d> first;
        for (int k = 0; k < 1500; ++k) first.push_back({u(rng), u(rng), u(rng)});
        first[7] = {std::numeric_limits<double>::quiet_NaN(), 0, 0};
        first[8] = {3e5, 0, 0};
        PointGrid g;
        g.build(2.4, first, 1);
        for (std::size_t k = 0; k < first.size(); ++k) pts[static_cast<int>(k) + 1] = first[k];
        SCOPED_TRACE(side);
        expect_queries(g, pts, rng, side);
        std::uniform_int_distribution<int> pick(1, 1500);
        for (int round = 0; round < 6; ++round) {
            for (int m = 0; m < 400; ++m) {
                const int id = pick(rng);
                auto it = pts.find(id);
                if (it == pts.end()) {
                    const Vec3d p{u(rng), u(rng), u(rng)};
                    g.insert(id, p);
                    pts[id] = p;
                    continue;
                }
                Vec3d to = it->second;
                switch (m % 5) {
                    case 0: to = {u(rng), u(rng), u(rng)}; break;  // anywhere in the box
                    case 1: to = {-50.0 - u(rng), u(rng), u(rng)}; break;  // out of the box
                    case 2: to = {std::numeric_limits<double>::infinity(), 1, 1}; break;
                    case 3:
                        g.remove(id, it->second);
                        pts.erase(it);
                        continue;
                    default:
                        if (std::isfinite(to[0]) && std::fabs(to[0]) < 1e5)
                            for (double& x : to)
                                x += step(rng);  // a little, mostly in the same cell
                        else
                            to = {u(rng), u(rng), u(rng)};
                }
                g.move(id, it->second, to);
                it->second = to;
            }
            expect_queries(g, pts, rng, side);
        }
    }
}

}  // namespace
}  // namespace kova
