// Small readers of kova's output files for the whole-run checks: they take the records apart
// by the columns of the file layouts and nothing else, so that a check built on them does not
// lean on the code that wrote the files.
#pragma once

#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace kova::test::readback {

using Point = std::array<double, 3>;

inline double distance(const Point& a, const Point& b) {
    double s = 0.0;
    for (int k = 0; k < 3; ++k) s += (a[k] - b[k]) * (a[k] - b[k]);
    return std::sqrt(s);
}

inline std::string strip(const std::string& s) {
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    std::size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

// Columns first..last (1-based, inclusive) of a record; short records give blanks.
inline std::string cols(const std::string& rec, std::size_t first, std::size_t last) {
    if (rec.size() < first) return "";
    return rec.substr(first - 1, last - first + 1);
}

inline bool starts(const std::string& s, const std::string& p) {
    return s.compare(0, p.size(), p) == 0;
}

// A number field; nullopt when it is blank, holds "*" or does not read whole.
inline std::optional<double> number(const std::string& field) {
    std::string t = strip(field);
    if (t.empty() || t.find('*') != std::string::npos) return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size()) return std::nullopt;
    return v;
}

inline std::optional<int> integer(const std::string& field) {
    auto v = number(field);
    if (!v || *v != std::floor(*v)) return std::nullopt;
    return static_cast<int>(*v);
}

// The unit cell of a "CELL a b c alpha beta gamma" record, as a fractional-to-Cartesian
// matrix (x along a, y in the ab plane). Distances do not depend on the orientation chosen.
struct Cell {
    std::array<std::array<double, 3>, 3> m{};
    double diagonal = 0.0;  // sqrt(a^2 + b^2 + c^2): bounds |m v| for |v| = 1

    Point cart(const Point& f) const {
        Point c{};
        for (int i = 0; i < 3; ++i) c[i] = m[i][0] * f[0] + m[i][1] * f[1] + m[i][2] * f[2];
        return c;
    }
};

inline std::optional<Cell> cell_from(const std::string& rec) {
    std::istringstream in(rec);
    std::string key;
    double p[6];
    in >> key;
    for (double& v : p)
        if (!(in >> v)) return std::nullopt;
    const double rad = 3.14159265358979323846 / 180.0;
    double ca = std::cos(p[3] * rad), cb = std::cos(p[4] * rad), cg = std::cos(p[5] * rad);
    double sg = std::sin(p[5] * rad);
    double v = std::sqrt(1.0 - ca * ca - cb * cb - cg * cg + 2.0 * ca * cb * cg);
    Cell c;
    c.m = {{{p[0], p[1] * cg, p[2] * cb},
            {0.0, p[1] * sg, p[2] * (ca - cb * cg) / sg},
            {0.0, 0.0, p[2] * v / sg}}};
    c.diagonal = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    return c;
}

// ---------------------------------------------------------------- xd_kova.mas
struct FrameRow {
    std::string record;
    std::string label, target1, target2;  // without trailing blanks
    char axis1 = ' ', axis2 = ' ';
};

struct Master {
    std::optional<Cell> cell;             // from the head (SHELX input)
    bool header = false;                  // the atom-table header line was found
    bool end_atom = false;                // "END ATOM" closes the table
    std::vector<FrameRow> atoms;          // in table order
    std::vector<std::string> dummy_labels;
    std::vector<Point> dummies;           // stored coordinates
    std::vector<std::string> misplaced;   // table lines that are neither atom nor dummy lines
};

inline Master read_master(const std::vector<std::string>& lines) {
    Master m;
    std::size_t i = 0;
    for (; i < lines.size(); ++i) {
        if (starts(lines[i], "CELL ") && !m.cell) m.cell = cell_from(lines[i]);
        if (starts(lines[i], "ATOM     ATOM0    AX1 ATOM1")) break;
    }
    if (i == lines.size()) return m;
    m.header = true;
    for (++i; i < lines.size(); ++i) {
        const std::string& rec = lines[i];
        if (rec == "END ATOM") {
            m.end_atom = true;
            break;
        }
        // a dummy line: "DUMk" in 6 columns, 2 blanks, three F12.6
        if (rec.size() == 44 && starts(rec, "DUM")) {
            m.dummy_labels.push_back(strip(cols(rec, 1, 6)));
            Point p{};
            bool ok = true;
            for (int k = 0; k < 3; ++k) {
                auto v = number(cols(rec, 9 + 12 * k, 20 + 12 * k));
                ok = ok && v.has_value();
                p[k] = v.value_or(0.0);
            }
            if (!ok) m.misplaced.push_back(rec);
            m.dummies.push_back(p);
            continue;
        }
        if (!m.dummies.empty() || cols(rec, 45, 46) != "R ") {
            m.misplaced.push_back(rec);
            continue;
        }
        FrameRow row;
        row.record = rec;
        row.label = strip(cols(rec, 1, 8));
        row.target1 = strip(cols(rec, 10, 17));
        row.axis1 = cols(rec, 20, 20).empty() ? ' ' : rec[19];
        row.target2 = strip(cols(rec, 32, 39));
        row.axis2 = cols(rec, 41, 41).empty() ? ' ' : rec[40];
        m.atoms.push_back(row);
    }
    return m;
}

// ---------------------------------------------------------------- kova.ang
struct Ang {
    std::vector<std::string> labels;
    std::vector<Point> atoms;    // Cartesian, in index order
    std::vector<Point> dummies;  // "Li(k)" records, k = 1, 2, ...
    std::vector<std::string> bad;
};

inline Ang read_ang(const std::vector<std::string>& lines) {
    Ang a;
    for (const std::string& rec : lines) {
        if (!starts(rec, "ATOM ")) continue;
        std::size_t first;  // first column of the coordinates
        // a dummy is "Li(k)" and two blanks; an atom renamed Li(k) keeps its 8 columns
        bool dummy = starts(rec, "ATOM Li(") && rec.find(')') != std::string::npos &&
                     rec.size() == rec.find(')') + 3 + 42;
        if (dummy) {
            std::size_t close = rec.find(')');
            if (close == std::string::npos ||
                std::to_string(a.dummies.size() + 1) != rec.substr(8, close - 8)) {
                a.bad.push_back(rec);
                continue;
            }
            first = close + 4;  // ")" and two blanks
        } else {
            first = 17;  // "ATOM " + 8-character label + 3 blanks
        }
        Point p{};
        bool ok = rec.size() == first - 1 + 42;
        for (int k = 0; k < 3 && ok; ++k) {
            auto v = number(cols(rec, first + 14 * k, first + 13 + 14 * k));
            ok = v.has_value();
            p[k] = v.value_or(0.0);
        }
        if (!ok) {
            a.bad.push_back(rec);
        } else if (dummy) {
            a.dummies.push_back(p);
        } else {
            a.labels.push_back(strip(cols(rec, 6, 13)));
            a.atoms.push_back(p);
        }
    }
    return a;
}

// ---------------------------------------------------------------- xd_kova.inp
struct XdAtom {
    std::string label;
    std::array<int, 11> table{};  // the eleven integers of the atom line
    Point frac{};
};

struct XdParameters {
    int atom_count = -1, dummy_count = -1, kappa_count = -1;
    std::vector<Point> dummies;
    std::vector<XdAtom> atoms;
    std::vector<std::string> bad;  // records that do not have their layout
    std::size_t records = 0;
};

inline XdParameters read_xd_parameters(const std::vector<std::string>& lines) {
    XdParameters x;
    x.records = lines.size();
    if (lines.size() < 9 || !starts(lines[6], "USAGE ")) {
        x.bad.push_back("no USAGE record in place");
        return x;
    }
    // "USAGE ", nat I4, " 2 4 ", nkap I4, " 0 1 0 0 ", nsft I4, " 0 0 0 0 ", ndum I4
    const std::string& u = lines[6];
    auto nat = integer(cols(u, 7, 10)), nkap = integer(cols(u, 16, 19)),
         ndum = integer(cols(u, 42, 45));
    if (!nat || !nkap || !ndum || u.size() != 45) {
        x.bad.push_back(u);
        return x;
    }
    x.atom_count = *nat;
    x.kappa_count = *nkap;
    x.dummy_count = *ndum;
    std::size_t i = 9;
    for (int k = 0; k < x.dummy_count && i < lines.size(); ++k, ++i) {
        Point p{};
        for (int c = 0; c < 3; ++c) {
            auto v = number(cols(lines[i], 1 + 13 * c, 13 + 13 * c));
            if (!v) x.bad.push_back(lines[i]);
            p[c] = v.value_or(0.0);
        }
        x.dummies.push_back(p);
    }
    for (int n = 0; n < x.atom_count && i < lines.size(); ++n, i += 5) {
        // label A8, I3 I3 I5 I5 I5, 2X, I5 x 6, F9.5 x 3, F8.4
        const std::string& rec = lines[i];
        XdAtom a;
        a.label = strip(cols(rec, 1, 8));
        const std::size_t start[11] = {9, 12, 15, 20, 25, 32, 37, 42, 47, 52, 57};
        const std::size_t width[11] = {3, 3, 5, 5, 5, 5, 5, 5, 5, 5, 5};
        bool ok = rec.size() == 96 && cols(rec, 30, 31) == "  ";
        for (int c = 0; c < 11; ++c) {
            auto v = integer(cols(rec, start[c], start[c] + width[c] - 1));
            ok = ok && v.has_value();
            a.table[static_cast<std::size_t>(c)] = v.value_or(0);
        }
        for (int c = 0; c < 3; ++c) {
            auto v = number(cols(rec, 62 + 9 * c, 70 + 9 * c));
            ok = ok && v.has_value();
            a.frac[static_cast<std::size_t>(c)] = v.value_or(0.0);
        }
        if (!ok) x.bad.push_back(rec);
        x.atoms.push_back(a);
    }
    return x;
}

// ---------------------------------------------------------------- fixedH.ins
struct HList {
    std::vector<std::string> labels;
    std::vector<Point> frac;
    std::vector<std::string> bad;
};

inline HList read_fixedh(const std::vector<std::string>& lines) {
    HList h;
    for (const std::string& rec : lines) {
        // label A8, 1X, I4, 2X, 3F12.6, 2X, F10.5, 1X, F8.4
        Point p{};
        bool ok = rec.size() == 72 && integer(cols(rec, 10, 13)).has_value() &&
                  number(cols(rec, 54, 63)).has_value() && number(cols(rec, 65, 72)).has_value();
        for (int c = 0; c < 3 && ok; ++c) {
            auto v = number(cols(rec, 16 + 12 * c, 27 + 12 * c));
            ok = v.has_value();
            p[static_cast<std::size_t>(c)] = v.value_or(0.0);
        }
        if (!ok) {
            h.bad.push_back(rec);
            continue;
        }
        h.labels.push_back(strip(cols(rec, 1, 8)));
        h.frac.push_back(p);
    }
    return h;
}

// ---------------------------------------------------------------- the listing's X-H lines
// "   X-H group : X-H >  group = d0 / d Angstroms": parent, hydrogen (as the text "X-H") and
// the standard distance d.
struct XhLine {
    std::string pair;
    double d = 0.0;
};

inline std::vector<XhLine> extended_h(const std::vector<std::string>& listing) {
    std::vector<XhLine> v;
    const std::string head = "   X-H group : ";
    for (const std::string& rec : listing) {
        if (!starts(rec, head)) continue;
        std::size_t gt = rec.find(" >  ");
        std::size_t ang = rec.rfind(" Angstroms");
        std::size_t slash = rec.rfind(" /");
        if (gt == std::string::npos || ang == std::string::npos || slash == std::string::npos ||
            ang != rec.size() - 10)
            continue;  // a line without distances (not identified, disordered, unknown parent)
        auto d = number(rec.substr(slash + 2, ang - slash - 2));
        if (!d) continue;
        v.push_back({rec.substr(head.size(), gt - head.size()), *d});
    }
    return v;
}

// ---------------------------------------------------------------- the run summary
// The file names that the summary lines of the terminal name (the two command lines, the
// platon call and the greps, are not file names).
inline std::set<std::string> summary_names(const std::vector<std::string>& terminal) {
    std::set<std::string> names;
    bool in = false;
    for (const std::string& rec : terminal) {
        if (starts(rec, " XD instructions are in file")) in = true;
        if (!in) continue;
        if (starts(rec, " Total program elapsed times")) break;
        std::size_t colon = rec.find(" : ");
        if (colon == std::string::npos) continue;
        std::string what = rec.substr(colon + 3);
        if (starts(what, "grep ") || starts(what, "platon ")) continue;
        std::size_t amp;
        while ((amp = what.find(" & ")) != std::string::npos) {
            names.insert(strip(what.substr(0, amp)));
            what = what.substr(amp + 3);
        }
        names.insert(strip(what));
    }
    return names;
}

}  // namespace kova::test::readback
