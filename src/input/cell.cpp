// The crystal-to-Cartesian matrix of the cell (x along a, y in the ab plane) and its inverse,
// and the occupancy flags that tell a special position from disorder. All in single
// precision, in the order the formulas are written.
#include "input/cell.hpp"

#include <algorithm>
#include <cmath>

#include "shared/fatal.hpp"
#include "shared/format.hpp"

namespace kova {

namespace {

std::string angle(float v) {
    std::string t = ff(v, 10, 3);
    return t.substr(std::min(t.find_first_not_of(' '), t.size()));
}

void list_matrix(Io& io, int listing, const Mat3f& m) {
    for (int i = 0; i < 3; ++i)
        io.write(listing, ff(m[i][0], 15, 8) + ff(m[i][1], 15, 8) + ff(m[i][2], 15, 8));
}

// A cell that is not a number, or so large that single precision overflows, would carry
// NaN or infinity into every coordinate and distance of the run.
[[noreturn]] void no_finite_matrix(Io& io, int listing, const std::array<float, 6>& cell) {
    std::string list;
    for (int k = 0; k < 6; ++k) list += (k ? ", " : "") + angle(cell[static_cast<std::size_t>(k)]);
    fatal_error(io, listing, "TranMat", "Cell " + list + " gives no finite transformation matrix");
}

}  // namespace

void make_cell_matrices(Io& io, int listing, Structure& structure) {
    const auto& cell = structure.cell;
    for (float v : cell)
        if (!std::isfinite(v)) no_finite_matrix(io, listing, cell);
    float a = cell[0], b = cell[1], c = cell[2];
    float cosa = std::cos(cell[3] * deg2rad);
    float cosb = std::cos(cell[4] * deg2rad);
    float cosg = std::cos(cell[5] * deg2rad);
    float sing = std::sin(cell[5] * deg2rad);

    Mat3f& t = structure.frac_to_cart;
    float t23 = c * (cosa - cosb * cosg) / sing;
    float c13 = c * cosb;
    float sq = c * c - c13 * c13 - t23 * t23;
    // Angles that no real cell has (or a gamma of 0) leave nothing under the square root;
    // the matrices would carry NaN into every coordinate. A c whose square overflows is
    // no matter of the angles: the finiteness test below takes it.
    if (std::isfinite(c * c) && (!(sq >= 0.0f) || !std::isfinite(sq)))
        fatal_error(io, listing, "TranMat",
            "Cell angles " + angle(cell[3]) + ", " + angle(cell[4]) + ", " + angle(cell[5]) +
                " admit no real third axis");
    t[0] = {a, b * cosg, c13};
    t[1] = {0.0f, b * sing, t23};
    t[2] = {0.0f, 0.0f, std::sqrt(sq)};
    structure.cart_to_frac = invert_matrix(io, listing, t);
    if (!finite(t) || !finite(structure.cart_to_frac)) no_finite_matrix(io, listing, cell);

    io.write(listing, "");
    io.write(listing, " Transformation matrix CRYSTAL --> GLOBAL CARTESIAN :");
    list_matrix(io, listing, structure.frac_to_cart);
    io.write(listing, "");
    io.write(listing, " Transformation matrix GLOBAL CARTESIAN --> CRYSTAL :");
    list_matrix(io, listing, structure.cart_to_frac);
    io.write(listing, "  ");
    io.write(terminal, "  ");
}

Mat3f invert_matrix(Io& io, int listing, const Mat3f& m) {
    float det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) +
                m[1][0] * (m[0][2] * m[2][1] - m[0][1] * m[2][2]) +
                m[2][0] * (m[0][1] * m[1][2] - m[0][2] * m[1][1]);
    if (det == 0.0f) fatal_error(io, listing, "Inverse", "Determinant = 0");
    float rdet = 1.0f / det;
    Mat3f adj;
    adj[0][0] = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    adj[0][1] = m[0][2] * m[2][1] - m[0][1] * m[2][2];
    adj[0][2] = m[0][1] * m[1][2] - m[0][2] * m[1][1];
    adj[1][0] = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    adj[1][1] = m[0][0] * m[2][2] - m[0][2] * m[2][0];
    adj[1][2] = m[0][2] * m[1][0] - m[0][0] * m[1][2];
    adj[2][0] = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    adj[2][1] = m[0][1] * m[2][0] - m[0][0] * m[2][1];
    adj[2][2] = m[0][0] * m[1][1] - m[0][1] * m[1][0];
    Mat3f inverse;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) inverse[i][j] = adj[i][j] * rdet;
    return inverse;
}

void set_occupancy_flags(Structure& structure) {
    const Symmetry& s = structure.symmetry;
    const Mat3f& t = structure.frac_to_cart;
    for (int i = 1; i <= structure.atom_count; ++i) {
        if (structure.occupancy[i] == 1.0f) {
            structure.occupancy_flag[i] = 0;
            continue;
        }
        const Fractional& xf = structure.frac[i];
        const Cartesian& xc = structure.cart[i];
        int flag = -1;
        for (int n = 1; n <= s.count && flag < 0; ++n) {
            const Mat3f& rot = s.rotation[n];
            // The image without the lattice shift; the shift is added component by component.
            Vec3f base;
            for (int k = 0; k < 3; ++k)
                base[k] =
                    rot[0][k] * xf[0] + rot[1][k] * xf[1] + rot[2][k] * xf[2] + s.translation[n][k];
            for (int u = -2; u <= 2 && flag < 0; ++u)
                for (int v = -2; v <= 2 && flag < 0; ++v)
                    for (int w = -2; w <= 2; ++w) {
                        if (n == 1 && u == 0 && v == 0 && w == 0) continue;
                        const Fractional image{base[0] + static_cast<float>(u),
                                               base[1] + static_cast<float>(v),
                                               base[2] + static_cast<float>(w)};
                        if (distance(to_cartesian(t, image), xc) < 0.001f) {
                            flag = 1;
                            break;
                        }
                    }
        }
        structure.occupancy_flag[i] = flag;
    }
}

}  // namespace kova
