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
void check_room(Io& io, int listing, std::string_view routine, int wanted) {
    if (wanted > max_symops)
        fatal_error(io, listing, routine,
            "Too many symmetry operators: " + std::to_string(wanted) + " needed, room for " +
                std::to_string(max_symops));
}

// Matrix line j of an operator: row j of the stored layout, then the translation of
// component j.
std::string matrix_line(const Symmetry& s, int n, int j) {
    const Mat3f& rot = s.rotation[n];
    return ff(rot[j][0], 12, 6) + ff(rot[j][1], 12, 6) + ff(rot[j][2], 12, 6) + fx(5) +
           ff(s.translation[n][j], 12, 6);
}

// Blanks the first occurrence of term, squeezing the text again; true when found.
bool take_term(Io& io, int listing, std::string& comp, std::size_t len, std::string_view term) {
    std::size_t p = std::string_view(comp).substr(0, len).find(term);
    if (p == std::string::npos) return false;
    comp.replace(p, term.size(), term.size(), ' ');
    remove_blanks(io, listing, comp);
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

void read_symmetry(Io& io, int listing, int unit, Symmetry& s) {
    s.rotation[1] = unit_rot;
    s.translation[1] = Vec3f{};
    s.count = 1;
    InFile& f = io.in(unit);
    f.rewind();
    while (std::optional<std::string> keyed = search_keyed_line(f, "SYM")) {
        std::string card = std::move(*keyed);
        // As in every card of the file, "!" begins a comment that runs to the end of the
        // record; its digits and separators are no part of the operators.
        const std::string as_read = card;
        if (std::size_t bang = card.find('!'); bang != std::string::npos)
            card.replace(bang, std::string::npos, card.size() - bang, ' ');
        const SymmCardReading reading =
            parse_symm_card(io, listing, card, static_cast<int>(line_length), s);
        if (reading.status == SymmCardStatus::inexact_translation) {
            fault(f.name(), f.recno(),
                  "expected a translation that reads exactly (a number or a fraction such as "
                  "1/12), found \"" +
                      reading.bad_translation + "\" in the card \"" + trim(as_read) + "\"");
        }
    }
    for (int n = 1; n <= s.count; ++n) write_symm_line(io, listing, s, n);
}

namespace {

// One operator as read: its rotation and translation in the stored layout.
struct Operator {
    Mat3f rot{};
    Vec3f trn{};
};

// The 12-number form t1 r11 r12 r13 t2 r21 ...: component k = t_k + r_k1 x + r_k2 y + r_k3 z.
// Nothing when a number does not read.
std::optional<Operator> numeric_operator(const std::vector<Piece>& comps) {
    Operator op;
    for (int k = 0; k < 3; ++k) {
        float v[4] = {0, 0, 0, 0};
        for (int m = 0; m < 4; ++m)
            if (read_list(comps[static_cast<std::size_t>(4 * k + m)].text, v[m]) != ReadStatus::ok)
                return std::nullopt;
        op.trn[k] = v[0];
        for (int j = 0; j < 3; ++j) op.rot[j][k] = v[1 + j];
    }
    return op;
}

// The text form "-X, 1/2+Y, Z"; nothing, with the component named in `reading`, when a
// translation does not read exactly.
std::optional<Operator> text_operator(Io& io, int listing, std::vector<Piece>& comps,
                                      SymmCardReading& reading) {
    Operator op;
    for (int k = 0; k < 3; ++k) {
        std::string& text = comps[static_cast<std::size_t>(k)].text;
        const SymmComponent comp =
            parse_symm_component(io, listing, text, static_cast<int>(comptext));
        if (!comp.trn) {
            // Any value made of it would be another operator than the card's.
            reading.bad_translation = trim(text);
            reading.status = SymmCardStatus::inexact_translation;
            return std::nullopt;
        }
        op.trn[k] = *comp.trn;
        for (int j = 0; j < 3; ++j) op.rot[j][k] = comp.coef[j];
    }
    return op;
}

}  // namespace

SymmCardReading parse_symm_card(Io& io, int listing, std::string card, int len, Symmetry& s) {
    SymmCardReading reading;
    card = pad(card, static_cast<std::size_t>(len > 0 ? len : 0));
    std::string head = card.substr(0, std::min<std::size_t>(4, card.size()));
    upper_case(head);
    std::size_t start = head == "SYMM" ? 4 : 3;
    std::string ops = start < card.size() ? card.substr(start) : std::string();

    const std::vector<Piece> operators = split_pieces(ops, ';', 3, optext, true, PieceCase::upper);
    for (const Piece& piece : operators) {
        const std::string& text = piece.text;
        const char sep = text.find(',') != std::string::npos ? ',' : ' ';
        std::vector<Piece> comps = split_pieces(text, sep, 12, comptext, true);
        std::optional<Operator> op;
        if (comps.size() == 12) {
            op = numeric_operator(comps);
        } else if (comps.size() == 3) {
            op = text_operator(io, listing, comps, reading);
            if (!op) return reading;
        }
        if (!op) {
            // The number is the place the operator would have taken.
            io.write(listing, " * * * Symmetry card no." + fi(s.count + 1, 3) + " illegal * * *");
            reading.status = SymmCardStatus::illegal_operator;
            return reading;
        }
        // The identity is kept only in the first place; other repeats stay.
        if (is_identity(op->rot, op->trn)) continue;
        check_room(io, listing, "SymCrd", s.count + 1);
        ++s.count;
        s.rotation[s.count] = op->rot;
        s.translation[s.count] = op->trn;
    }
    return reading;
}

SymmComponent parse_symm_component(Io& io, int listing, std::string& comp, int len) {
    remove_blanks(io, listing, comp);
    SymmComponent c;
    c.coef = take_rotation_terms(io, listing, comp, len);
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

Vec3f take_rotation_terms(Io& io, int listing, std::string& comp, int len) {
    std::size_t n = static_cast<std::size_t>(len > 0 ? len : 0);
    static const char axes[3] = {'X', 'Y', 'Z'};
    Vec3f coef{};
    // Signed terms first, so that a bare letter is met only when it carries no sign.
    for (int j = 0; j < 3; ++j)
        if (take_term(io, listing, comp, n, std::string("+") + axes[j])) coef[j] = 1.0f;
    for (int j = 0; j < 3; ++j)
        if (take_term(io, listing, comp, n, std::string("-") + axes[j])) coef[j] = -1.0f;
    for (int j = 0; j < 3; ++j)
        if (take_term(io, listing, comp, n, std::string(1, axes[j]))) coef[j] = 1.0f;
    return coef;
}

void write_symm_line(Io& io, int channel, const Symmetry& s, int n) {
    std::string line;
    int pos = 0;
    for (int k = 0; k < 3; ++k) {
        if (k > 0) {
            line += ',';
            ++pos;
        }
        float coef[3] = {s.rotation[n][0][k], s.rotation[n][1][k], s.rotation[n][2][k]};
        append_operator_text(line, pos, coef, s.translation[n][k]);
    }
    io.write(channel, "   SYMM" + fi(n, 3) + fx(5) + line.substr(0, static_cast<std::size_t>(pos)));
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

void add_lattice_centring(Io& io, int listing, int verbosity, char lattice, Symmetry& s) {
    io.write(listing, "");
    io.write(listing, " Non-Primitive lattice...");
    io.write(listing, std::string(" Lattice centring type is [ ") + lattice + " ]");

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
            io.write(terminal, line);
            throw RunStop{1, {"", line}};
        }
    }
    int points = static_cast<int>(vecs.size()) + 1;
    io.write(listing, " Number of lattice points per cell = " + fi(points, 1));

    int n0 = s.count;
    check_room(io, listing, "Nonp", n0 * points);
    for (const Vec3f& v : vecs) {
        for (int j = 1; j <= n0; ++j) {
            ++s.count;
            s.rotation[s.count] = s.rotation[j];
            for (int k = 0; k < 3; ++k) s.translation[s.count][k] = s.translation[j][k] + v[k];
        }
    }
    fold_translations(s, s.count);
    io.write(listing, "");
    io.write(listing, " Symmetry operations after applying the lattice centering:");
    list_symmetry_operators(io, listing, verbosity, s);
}

void fold_translations(Symmetry& s, int count) {
    for (int n = 1; n <= count; ++n)
        for (float& t : s.translation[n])
            if (t >= 1.0f || t <= -1.0f) t = t - std::trunc(t);
}

void add_inversion_partners(Io& io, int listing, Symmetry& s) {
    int n0 = s.count;
    check_room(io, listing, "AddCentSymm", 2 * n0);
    for (int j = 1; j <= n0; ++j) {
        int n = n0 + j;
        // The operator after the inversion through the origin: its translation is kept.
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b) s.rotation[n][a][b] = -s.rotation[j][a][b];
        s.translation[n] = s.translation[j];
    }
    s.count = 2 * n0;
    io.write(listing, "");
    io.write(listing, " Symmetry operations with Center of Symmetry applied: " + fi(s.count, 4));
    for (int n = 1; n <= s.count; ++n) {
        io.write(listing, "");
        io.write(listing, " SYMM " + fi(n, 4));
        for (int j = 0; j < 3; ++j) io.write(listing, matrix_line(s, n, j));
    }
}

void list_symmetry_operators(Io& io, int channel, int verbosity, const Symmetry& s) {
    io.write(channel, "");
    io.write(channel, " Number of symmetry operations = " + fi(s.count, 4));
    if (verbosity < 2) return;
    for (int n = 1; n <= s.count; ++n) {
        io.write(channel, "");
        io.write(channel, " SYMM " + fi(n, 2));
        for (int j = 0; j < 3; ++j) io.write(channel, matrix_line(s, n, j));
    }
}

void list_lattice(Io& io, int listing, char lattice, bool centric) {
    io.write(listing, "");
    io.write(listing, std::string(" Lattice type : ") + lattice);
    io.write(listing, std::string(" Lattice is ") + (centric ? "CentroSymmetric" : "Acentric"));
    io.write(listing, "");
    io.write(listing, " Symmetry operations : ");
}

}  // namespace kova
