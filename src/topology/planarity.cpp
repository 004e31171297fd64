// The least-squares plane through a list of atoms and the planarity verdict, with the
// symmetric eigen-solver it needs (Householder tridiagonalisation and QL with implicit shifts,
// all in single precision).
#include "topology/planarity.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "topology/neighbours.hpp"
#include "shared/format.hpp"

namespace kova {

namespace {

using Matrix3 = float[3][3];

// sqrt(a*a + b*b) without overflow or destructive underflow.
float hypotenuse(float a, float b) {
    float p = std::fmax(std::fabs(a), std::fabs(b));
    if (p == 0.0f) return p;
    float q = std::fmin(std::fabs(a), std::fabs(b)) / p;
    float rr = q * q;
    for (;;) {
        float t = 4.0f + rr;
        if (t == 4.0f) break;
        float s = rr / t;
        float u = 1.0f + 2.0f * s;
        p = u * p;
        float su = s / u;
        rr = su * su * rr;
    }
    return p;
}

// The Householder reflections of tridiagonalize, row by row from the last, kept in z.
void householder_reduce(int n, float d[3], float e[3], Matrix3& z) {
    for (int i = n - 1; i >= 1; --i) {
        int l = i - 1;
        float h = 0.0f;
        float scale = 0.0f;
        if (l >= 1)
            for (int k = 0; k <= l; ++k) scale += std::fabs(d[k]);
        if (l < 1 || scale == 0.0f) {
            e[i] = d[l];
            for (int j = 0; j <= l; ++j) {
                d[j] = z[l][j];
                z[i][j] = 0.0f;
                z[j][i] = 0.0f;
            }
        } else {
            for (int k = 0; k <= l; ++k) {
                d[k] /= scale;
                h += d[k] * d[k];
            }
            float f = d[l];
            float g = -std::copysign(std::sqrt(h), f);
            e[i] = scale * g;
            h -= f * g;
            d[l] = f - g;
            for (int j = 0; j <= l; ++j) e[j] = 0.0f;
            for (int j = 0; j <= l; ++j) {
                f = d[j];
                z[j][i] = f;
                g = e[j] + z[j][j] * f;
                for (int k = j + 1; k <= l; ++k) {
                    g += z[k][j] * d[k];
                    e[k] += z[k][j] * f;
                }
                e[j] = g;
            }
            f = 0.0f;
            for (int j = 0; j <= l; ++j) {
                e[j] /= h;
                f += e[j] * d[j];
            }
            float hh = f / (h + h);
            for (int j = 0; j <= l; ++j) e[j] -= hh * d[j];
            for (int j = 0; j <= l; ++j) {
                f = d[j];
                g = e[j];
                for (int k = j; k <= l; ++k) z[k][j] = z[k][j] - f * e[k] - g * d[k];
                d[j] = z[l][j];
                z[i][j] = 0.0f;
            }
        }
        d[i] = h;
    }
}

// The product of the reflections of householder_reduce, built in z.
void accumulate_transformations(int n, float d[3], Matrix3& z) {
    for (int i = 1; i < n; ++i) {
        int l = i - 1;
        z[n - 1][l] = z[l][l];
        z[l][l] = 1.0f;
        float h = d[i];
        if (h != 0.0f) {
            for (int k = 0; k <= l; ++k) d[k] = z[k][i] / h;
            for (int j = 0; j <= l; ++j) {
                float g = 0.0f;
                for (int k = 0; k <= l; ++k) g += z[k][i] * z[k][j];
                for (int k = 0; k <= l; ++k) z[k][j] -= g * d[k];
            }
        }
        for (int k = 0; k <= l; ++k) z[k][i] = 0.0f;
    }
}

// Householder reduction of the symmetric matrix a to tridiagonal form, accumulating the
// transformations in z; d the diagonal, e the sub-diagonal in e[1..n-1] (e[0] = 0).
void tridiagonalize(int n, const Matrix3& a, float d[3], float e[3], Matrix3& z) {
    for (int i = 0; i < n; ++i) {
        for (int j = i; j < n; ++j) z[j][i] = a[j][i];
        d[i] = a[n - 1][i];
    }
    if (n > 1) {
        householder_reduce(n, d, e, z);
        accumulate_transformations(n, d, z);
    }
    for (int i = 0; i < n; ++i) {
        d[i] = z[n - 1][i];
        z[n - 1][i] = 0.0f;
    }
    z[n - 1][n - 1] = 1.0f;
    e[0] = 0.0f;
}

// Sorts the eigenvalues d into ascending order, moving their vector columns of z with them
// (on ties the earlier column stays first).
void sort_ascending(int n, float d[3], Matrix3& z) {
    for (int ii = 1; ii < n; ++ii) {
        int i = ii - 1;
        int k = i;
        float p = d[i];
        for (int j = ii; j < n; ++j)
            if (d[j] < p) {
                k = j;
                p = d[j];
            }
        if (k != i) {
            d[k] = d[i];
            d[i] = p;
            for (int j = 0; j < n; ++j) {
                float t = z[j][i];
                z[j][i] = z[j][k];
                z[j][k] = t;
            }
        }
    }
}

// One QL step with an implicit shift on rows l..m of the tridiagonal matrix, the shift added to
// f; true when e[l] has become negligible beside tst1.
bool ql_step(int n, int l, int m, float tst1, float d[3], float e[3], Matrix3& z, float& f) {
    int l1 = l + 1;
    int l2 = l1 + 1;
    float g = d[l];
    float p = (d[l1] - g) / (2.0f * e[l]);
    float rr = hypotenuse(p, 1.0f);
    d[l] = e[l] / (p + std::copysign(rr, p));
    d[l1] = e[l] * (p + std::copysign(rr, p));
    float dl1 = d[l1];
    float h = g - d[l];
    for (int i = l2; i < n; ++i) d[i] -= h;
    f += h;
    p = d[m];
    float c = 1.0f;
    float c2 = c;
    float c3 = c;
    float el1 = e[l1];
    float s = 0.0f;
    float s2 = 0.0f;
    for (int i = m - 1; i >= l; --i) {
        c3 = c2;
        c2 = c;
        s2 = s;
        g = c * e[i];
        h = c * p;
        rr = hypotenuse(p, e[i]);
        e[i + 1] = s * rr;
        s = e[i] / rr;
        c = p / rr;
        p = c * d[i] - s * g;
        d[i + 1] = h + s * (c * g + s * d[i]);
        for (int k = 0; k < n; ++k) {
            h = z[k][i + 1];
            z[k][i + 1] = s * z[k][i] + c * h;
            z[k][i] = c * z[k][i] - s * h;
        }
    }
    p = -s * s2 * c3 * el1 * e[l] / dl1;
    e[l] = s * p;
    d[l] = c * p;
    float tst2 = tst1 + std::fabs(e[l]);
    return !(tst2 > tst1);
}

// QL iterations with shifts on the tridiagonal matrix (d, e from tridiagonalize). On success the
// eigenvalues are in d in ascending order with their vectors in the columns of z; false when
// one eigenvalue did not converge in 30 iterations (nothing sorted then).
bool tridiagonal_eigen(int n, float d[3], float e[3], Matrix3& z) {
    if (n == 1) return true;
    for (int i = 1; i < n; ++i) e[i - 1] = e[i];
    float f = 0.0f;
    float tst1 = 0.0f;
    e[n - 1] = 0.0f;
    for (int l = 0; l < n; ++l) {
        float h = std::fabs(d[l]) + std::fabs(e[l]);
        if (tst1 < h) tst1 = h;
        int m = l;
        for (; m < n - 1; ++m) {
            float tst2 = tst1 + std::fabs(e[m]);
            if (tst2 == tst1) break;
        }
        if (m != l) {
            for (int iterations = 0;; ++iterations) {
                if (iterations == 30) return false;
                if (ql_step(n, l, m, tst1, d, e, z, f)) break;
            }
        }
        d[l] = d[l] + f;
        e[l] = 0.0f;
    }
    sort_ascending(n, d, z);
    return true;
}

// The atoms of the list that the records hold: those past the first `count`, or outside the
// records, are left out rather than read.
std::vector<int> atoms_held(const Records& r, int count, const std::vector<int>& atoms) {
    const int cnt = std::max(0, std::min(count, static_cast<int>(atoms.size()) - 1));
    std::vector<int> held;
    for (int i = 1; i <= cnt; ++i)
        if (atoms[static_cast<std::size_t>(i)] >= 1 &&
            atoms[static_cast<std::size_t>(i)] <= r.atom_slots())
            held.push_back(atoms[static_cast<std::size_t>(i)]);
    return held;
}

// The heading of the test: the count as given, then the labels six to a line.
void list_heading(Io& io, const Records& r, int count, const std::vector<int>& at,
                  const std::string& word) {
    const int out = Files::listing;
    io.write(out, "");
    io.write(out, " Planarity test for " + fi(count, 3) + "-atom " + word + " : ");
    io.write(out, "");
    std::string line;
    for (std::size_t i = 0; i < at.size(); ++i) {
        line += "  " + pad(r.structure.label[at[i]], 8);
        if ((i + 1) % 6 == 0 || i + 1 == at.size()) {
            io.write(out, line);
            line.clear();
        }
    }
}

// The least-squares plane P x + Q y + R z = S through the atoms' centroid.
struct Plane {
    float p, q, r, s;
};

Plane least_squares_plane(const Records& r, const std::vector<int>& at) {
    const std::vector<Cartesian>& x = r.structure.cart;
    float c[3] = {0.0f, 0.0f, 0.0f};
    if (!at.empty()) {
        for (int k = 0; k < 3; ++k) {
            for (int a : at) c[k] += x[a][k];
            c[k] /= static_cast<float>(at.size());
        }
    }
    Matrix3 a = {};
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            for (int i : at) a[j][k] += (x[i][j] - c[j]) * (x[i][k] - c[k]);
    float d[3], e[3];
    Matrix3 z;
    tridiagonalize(3, a, d, e, z);
    tridiagonal_eigen(3, d, e, z);
    // The normal: the first eigenvector column, that of the smallest eigenvalue (or as the
    // solver left it, should it not converge).
    const float p = z[0][0], q = z[1][0], rr = z[2][0];
    return {p, q, rr, p * c[0] + q * c[1] + rr * c[2]};
}

}  // namespace

bool planarity(Io& io, const Records& r, bool list_it, int count, const std::vector<int>& atoms,
               PlanarityKind kind) {
    const int out = Files::listing;
    const bool ring = kind == PlanarityKind::ring;
    const float tol = ring ? r.options.tolerances.ring : r.options.tolerances.group;
    const std::string word = ring ? "ring" : "group";
    const std::vector<int> at = atoms_held(r, count, atoms);
    if (list_it) list_heading(io, r, count, at, word);

    const Plane plane = least_squares_plane(r, at);
    const bool detail = list_it && r.options.verbosity >= 2;
    if (detail) {
        io.write(out, "");
        io.write(out, "     P Q R S = " + ff(plane.p, 12, 4) + ff(plane.q, 12, 4) +
                          ff(plane.r, 12, 4) + ff(plane.s, 12, 4));
        io.write(out, "");
    }
    float sum = 0.0f;
    for (int i : at) {
        const Vec3f& x = r.structure.cart[i];
        float di = plane.p * x[0] + plane.q * x[1] + plane.r * x[2] - plane.s;
        sum += di * di;
        if (detail)
            io.write(out, "       dist. from " + pad(r.structure.label[i], 8) +
                              " to lsq plane =" + ff(di, 11, 3) + " Ang");
    }
    // Three points always lie in a plane; the divisor cnt - 3 would be zero.
    const int cnt = static_cast<int>(at.size());
    const float sigpln = cnt > 3 ? std::sqrt(sum / static_cast<float>(cnt - 3)) : 0.0f;
    const bool planar = !(sigpln > tol);
    if (list_it) {
        io.write(out, "");
        io.write(out, "     Esd atoms from the plane (sigpln) = " + ff(sigpln, 12, 4) +
                          " ( tol = " + ff(tol, 8, 4) + " )");
        io.write(out, "");
        io.write(out, std::string("     This ") + word + " is planar = ." + (planar ? "T" : "F") +
                          ".");
    }
    return planar;
}

bool append_atom(std::vector<int>& list, int& count, int atom) {
    int cnt = std::max(0, std::min(count, static_cast<int>(list.size()) - 1));
    for (int i = 1; i <= cnt; ++i)
        if (list[static_cast<std::size_t>(i)] == atom) return true;
    ++count;
    if (static_cast<int>(list.size()) <= count) list.resize(static_cast<std::size_t>(count) + 1, 0);
    list[static_cast<std::size_t>(count)] = atom;
    return false;
}

bool group_is_planar(Io& io, const Records& r, int atom, bool list_it) {
    const std::vector<int> list = collect_neighbours(r, atom);
    return planarity(io, r, list_it, static_cast<int>(list.size()) - 1, list,
                     PlanarityKind::group);
}

}  // namespace kova
