// Symmetry cards of SHELX and XD files ("SYMM" lines in text or 12-number form), the lattice
// centring copies, the centrosymmetric partners and the operator listings. Operators are
// stored transposed (rotation[n][j][k] is the coefficient of coordinate j in component k).
#include "input/symmetry.hpp"

#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/list_reader.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

constexpr std::size_t optext = 80;    // one operator of a card
constexpr std::size_t comptext = 32;  // one component of an operator

const Mat3f unit_rot{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

bool is_identity(const Mat3f& rot, const Vec3f& trn) {
    for (int j = 0; j < 3; ++j) {
        if (trn[j] != 0.0f) return false;
        for (int k = 0; k < 3; ++k)
            if (rot[j][k] != (j == k ? 1.0f : 0.0f)) return false;
    }
    return true;
}

// Stops the run before an operator would go past the end of the table.
void check_room(Records& r, std::string_view routine, int wanted) {
    if (wanted > max_symops)
        fatal_error(r, routine,
            "Too many symmetry operators: " + std::to_string(wanted) + " needed, room for " +
                std::to_string(max_symops));
}

// Matrix line j of an operator: row j of the stored layout, then the translation of
// component j.
std::string matrix_line(const Records& r, int n, int j) {
    const Mat3f& rot = r.structure.symmetry.rotation[n];
    return ff(rot[j][0], 12, 6) + ff(rot[j][1], 12, 6) + ff(rot[j][2], 12, 6) + fx(5) +
           ff(r.structure.symmetry.translation[n][j], 12, 6);
}

// Blanks the first occurrence of term, squeezing the text again; true when found.
bool take_term(Records& r, std::string& comp, std::size_t len, std::string_view term) {
    std::size_t p = std::string_view(comp).substr(0, len).find(term);
    if (p == std::string::npos) return false;
    comp.replace(p, term.size(), term.size(), ' ');
    remove_blanks(r, comp);
    return true;
}

// An unsigned decimal, digits with at most one point: the parts of a fraction.
std::optional<float> plain_decimal(std::string_view t) {
    bool digit = false, point = false;
    for (char c : t) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    float v = 0.0f;
    if (!digit || read_list(t, v) != ReadStatus::ok) return std::nullopt;
    return v;
}

// A translation written as a fraction, "[sign]n/d" with n and d of any length ("1/12",
// "-11/12", "0.5/3"): its value, n / d in single precision. Nothing for any other text.
std::optional<float> fraction(std::string_view t) {
    bool minus = false;
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
        minus = t[0] == '-';
        t.remove_prefix(1);
    }
    const std::size_t slash = t.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::optional<float> num = plain_decimal(t.substr(0, slash));
    if (!num) return std::nullopt;
    const std::optional<float> den = plain_decimal(t.substr(slash + 1));
    if (!den || *den == 0.0f) return std::nullopt;
    float v = *num / *den;
    if (minus) v = -v;
    return v;
}

}  // namespace

void read_symmetry(Records& r, int unit, int out) {
    Symmetry& s = r.structure.symmetry;
    s.rotation[1] = unit_rot;
    s.translation[1] = Vec3f{};
    s.count = 1;
    r.io.in(unit).rewind();
    bool rewind = false;
    while (std::optional<std::string> keyed = search_keyed_line(r, unit, "SYM", rewind)) {
        std::string card = std::move(*keyed);
        // As in every card of the file, "!" begins a comment that runs to the end of the
        // record; its digits and separators are no part of the operators.
        const std::string as_read = card;
        if (std::size_t bang = card.find('!'); bang != std::string::npos)
            card.replace(bang, std::string::npos, card.size() - bang, ' ');
        const SymmCardReading reading = parse_symm_card(r, card, static_cast<int>(line_length));
        if (reading.status == SymmCardStatus::inexact_translation) {
            const InFile& f = r.io.in(unit);
            fault(f.name(), f.recno(),
                  "expected a translation that reads exactly (a number or a fraction such as "
                  "1/12), found \"" +
                      reading.bad_translation + "\" in the card \"" + trim(as_read) + "\"");
        }
    }
    for (int n = 1; n <= s.count; ++n) write_symm_line(r, out, n);
}

SymmCardReading parse_symm_card(Records& r, std::string card, int len) {
    SymmCardReading reading;
    card = pad(card, static_cast<std::size_t>(len > 0 ? len : 0));
    std::string head = card.substr(0, std::min<std::size_t>(4, card.size()));
    upper_case(head);
    std::size_t start = head == "SYMM" ? 4 : 3;
    std::string ops = start < card.size() ? card.substr(start) : std::string();

    int nop = 3;
    std::vector<std::string> optexts, comps;
    std::vector<int> oplens, complens;
    split_pieces(ops, ';', nop, optexts, oplens, optext, 3);

    Symmetry& s = r.structure.symmetry;
    for (int o = 1; o <= nop; ++o) {
        const std::string& op = optexts[o];
        int ncomp = 12;
        char sep = op.find(',') != std::string::npos ? ',' : ' ';
        split_pieces(op, sep, ncomp, comps, complens, comptext, 1);

        Mat3f rot{};
        Vec3f trn{};
        bool legal = true;
        if (ncomp == 12) {
            // t1 r11 r12 r13 t2 r21 ... : component k = t_k + r_k1 x + r_k2 y + r_k3 z
            for (int k = 0; k < 3 && legal; ++k) {
                float v[4] = {0, 0, 0, 0};
                for (int m = 0; m < 4 && legal; ++m)
                    legal = read_list(comps[1 + 4 * k + m], v[m]) == ReadStatus::ok;
                trn[k] = v[0];
                for (int j = 0; j < 3; ++j) rot[j][k] = v[1 + j];
            }
        } else if (ncomp == 3) {
            for (int k = 0; k < 3; ++k) {
                const SymmComponent comp =
                    parse_symm_component(r, comps[1 + k], static_cast<int>(comptext));
                if (!comp.trn) {
                    // Any value made of it would be another operator than the card's.
                    reading.bad_translation = trim(comps[1 + k]);
                    reading.status = SymmCardStatus::inexact_translation;
                    return reading;
                }
                trn[k] = *comp.trn;
                for (int j = 0; j < 3; ++j) rot[j][k] = comp.coef[j];
            }
        } else {
            legal = false;
        }

        if (!legal) {
            // The number is the place the operator would have taken.
            r.io.write(r.files.listing,
                       " * * * Symmetry card no." + fi(s.count + 1, 3) + " illegal * * *");
            reading.status = SymmCardStatus::illegal_operator;
            return reading;
        }
        // The identity is kept only in the first place; other repeats stay.
        if (is_identity(rot, trn)) continue;
        check_room(r, "SymCrd", s.count + 1);
        ++s.count;
        s.rotation[s.count] = rot;
        s.translation[s.count] = trn;
    }
    return reading;
}

SymmComponent parse_symm_component(Records& r, std::string& comp, int len) {
    remove_blanks(r, comp);
    SymmComponent c;
    c.coef = take_rotation_terms(r, comp, len);
    std::string rest = pad(comp, comptext);
    if (trimmed_length(rest) == 0) {
        c.trn = 0.0f;
    } else if (rest.find('/') == std::string::npos) {
        float v = 0.0f;
        if (read_list(rest, v) == ReadStatus::ok) c.trn = v;
    } else {
        c.trn = fraction(trim(rest));
    }
    return c;
}

Vec3f take_rotation_terms(Records& r, std::string& comp, int len) {
    std::size_t n = static_cast<std::size_t>(len > 0 ? len : 0);
    static const char axes[3] = {'X', 'Y', 'Z'};
    Vec3f coef{};
    // Signed terms first, so that a bare letter is met only when it carries no sign.
    for (int j = 0; j < 3; ++j)
        if (take_term(r, comp, n, std::string("+") + axes[j])) coef[j] = 1.0f;
    for (int j = 0; j < 3; ++j)
        if (take_term(r, comp, n, std::string("-") + axes[j])) coef[j] = -1.0f;
    for (int j = 0; j < 3; ++j)
        if (take_term(r, comp, n, std::string(1, axes[j]))) coef[j] = 1.0f;
    return coef;
}

void write_symm_line(Records& r, int unit, int n) {
    std::string line;
    int pos = 0;
    for (int k = 0; k < 3; ++k) {
        if (k > 0) {
            line += ',';
            ++pos;
        }
        float coef[3] = {r.structure.symmetry.rotation[n][0][k],
                         r.structure.symmetry.rotation[n][1][k],
                         r.structure.symmetry.rotation[n][2][k]};
        append_operator_text(line, pos, coef, r.structure.symmetry.translation[n][k]);
    }
    r.io.write(unit, "   SYMM" + fi(n, 3) + fx(5) + line.substr(0, static_cast<std::size_t>(pos)));
}

void append_operator_text(std::string& line, int& pos, const float coef[3], float trn) {
    std::string part;
    if (trn != 0.0f) {
        // In twelfths, reduced by the first of 6, 4, 3, 2 that divides.
        long f = std::lround(12.0f * trn);
        int g = 1;
        for (int d : {6, 4, 3, 2, 1})
            if (f % d == 0) {
                g = d;
                break;
            }
        part += fi(f / g, 2) + "/" + std::to_string(12 / g);
    }
    static const char axes[3] = {'X', 'Y', 'Z'};
    for (int j = 0; j < 3; ++j) {
        float c = coef[j];
        if (c == 0.0f) continue;
        part += c > 0.0f ? " + " : " - ";
        if (std::fabs(c) != 1.0f) part += ff(std::fabs(c), 3, 1);
        part += axes[j];
    }
    line.resize(static_cast<std::size_t>(pos), ' ');
    line += part;
    pos += static_cast<int>(part.size());
}

void add_lattice_centring(Records& r, int out, char lattice) {
    r.io.write(out, "");
    r.io.write(out, " Non-Primitive lattice...");
    r.io.write(out, std::string(" Lattice centring type is [ ") + lattice + " ]");

    static const Vec3f c{0.5f, 0.5f, 0.0f}, a{0.0f, 0.5f, 0.5f}, b{0.5f, 0.0f, 0.5f},
        i{0.5f, 0.5f, 0.5f};
    std::vector<Vec3f> vecs;
    switch (lattice) {
        case 'C': vecs = {c}; break;
        case 'A': vecs = {a}; break;
        case 'B': vecs = {b}; break;
        case 'I': vecs = {i}; break;
        case 'F': vecs = {c, a, b}; break;
        default: {
            const std::string line =
                (FreeLine() << " Lattice type " << std::string(1, lattice) << " is not supported")
                    .str();
            r.io.write(terminal, line);
            throw RunStop{1, {"", line}};
        }
    }
    int points = static_cast<int>(vecs.size()) + 1;
    r.io.write(out, " Number of lattice points per cell = " + fi(points, 1));

    Symmetry& s = r.structure.symmetry;
    int n0 = s.count;
    check_room(r, "Nonp", n0 * points);
    for (const Vec3f& v : vecs) {
        for (int j = 1; j <= n0; ++j) {
            ++s.count;
            s.rotation[s.count] = s.rotation[j];
            for (int k = 0; k < 3; ++k) s.translation[s.count][k] = s.translation[j][k] + v[k];
        }
    }
    fold_translations(r, s.count);
    r.io.write(out, "");
    r.io.write(out, " Symmetry operations after applying the lattice centering:");
    list_symmetry_operators(r, out);
}

void fold_translations(Records& r, int count) {
    for (int n = 1; n <= count; ++n)
        for (float& t : r.structure.symmetry.translation[n])
            if (t >= 1.0f || t <= -1.0f) t = t - std::trunc(t);
}

void add_inversion_partners(Records& r, int out) {
    Symmetry& s = r.structure.symmetry;
    int n0 = s.count;
    check_room(r, "AddCentSymm", 2 * n0);
    for (int j = 1; j <= n0; ++j) {
        int n = n0 + j;
        // The operator after the inversion through the origin: its translation is kept.
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b) s.rotation[n][a][b] = -s.rotation[j][a][b];
        s.translation[n] = s.translation[j];
    }
    s.count = 2 * n0;
    r.io.write(out, "");
    r.io.write(out, " Symmetry operations with Center of Symmetry applied: " + fi(s.count, 4));
    for (int n = 1; n <= s.count; ++n) {
        r.io.write(out, "");
        r.io.write(out, " SYMM " + fi(n, 4));
        for (int j = 0; j < 3; ++j) r.io.write(out, matrix_line(r, n, j));
    }
}

void list_symmetry_operators(Records& r, int out) {
    r.io.write(out, "");
    r.io.write(out, " Number of symmetry operations = " + fi(r.structure.symmetry.count, 4));
    if (r.options.verbosity < 2) return;
    for (int n = 1; n <= r.structure.symmetry.count; ++n) {
        r.io.write(out, "");
        r.io.write(out, " SYMM " + fi(n, 2));
        for (int j = 0; j < 3; ++j) r.io.write(out, matrix_line(r, n, j));
    }
}

}  // namespace kova
