// SHELX atom records. Cards are read as SHELXL reads them: "!" starts a comment, a record
// that begins with a blank and continues nothing is a comment, "=" joins the next record,
// instructions, include lines ("+"), FRAG blocks and difference peaks (Q...) are no atoms,
// and the atom list ends at END or HKLF. Each atom takes the residue in force.
#include "input/shelx_atoms.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "input/cartesian_readers.hpp"
#include "input/cell.hpp"
#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/list_reader.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

// The instructions of the SHELX format in their table order, then those of current SHELXL
// versions.
const char* const kInstructions[] = {
    "TITL", "CELL", "ZERR", "LATT", "SYMM", "SFAC", "DISP", "UNIT", "LAUE", "REM ", "MORE",
    "TIME", "FLAT", "HKLF", "OMIT", "SHEL", "BASF", "TWIN", "EXTI", "SWAT", "HOPE", "MERG",
    "SPEC", "RESI", "MOVE", "ANIS", "AFIX", "HFIX", "FRAG", "FEND", "EXYZ", "EADP", "EQIV",
    "OMIT", "CONN", "PART", "BIND", "FREE", "DFIX", "DANG", "BUMP", "SAME", "SADI", "CHIV",
    "FALT", "DELU", "SIMU", "DEFS", "ISOR", "NCSY", "SUMP", "L.S.", "CGLS", "BLOC", "DAMP",
    "STIR", "WGHT", "FVAR", "BOND", "CONF", "MPLA", "RTAB", "HTAB", "LIST", "ACTA", "SIZE",
    "TEMP", "WPDB", "FMAP", "GRID", "PLAN", "MOLE", "END ",
    "ABIN", "ANSC", "ANSR", "BEDE", "LONE", "NEUT", "PRIG", "RIGU", "TWST", "WIGL", "XNPD"};

bool ends_continued(const std::string& s) {
    std::size_t e = s.find_last_not_of(' ');
    return e != std::string::npos && s[e] == '=';
}

void blank_continuation_mark(std::string& s) {
    std::size_t e = s.find_last_not_of(' ');
    if (e != std::string::npos && s[e] == '=') s[e] = ' ';
}

// A record as a card text in `out`: cut to 255 characters, tabs made blanks, the comment
// removed.
void card_text_into(std::string_view raw, std::string& out) {
    raw = raw.substr(0, std::min(raw.size(), line_length));
    out.assign(raw.substr(0, raw.find('!')));
    // Hand-written files separate their words with tabs too.
    for (char& c : out)
        if (c == '\t') c = ' ';
}

// The next record as a card text in `rec`; `raw` takes the record as read.
bool next_record(InFile& f, std::string& raw, std::string& rec) {
    if (!f.read(raw)) return false;
    card_text_into(raw, rec);
    return true;
}

// Passes over the continuation records of a card that ends in "="; false at end of file.
bool skip_continuations(InFile& f, ShelxScan& s, bool cont) {
    while (cont) {
        if (!next_record(f, s.raw, s.rec)) return false;
        cont = ends_continued(s.rec);
    }
    return true;
}

// Words of a card, parted by blanks (the last one too when no blank follows it).
int count_words(std::string_view s) {
    return count_blank_ended_words(s) + (!s.empty() && s.back() != ' ' ? 1 : 0);
}

std::string first_word(const std::string& s) {
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    std::size_t e = s.find(' ', b);
    return s.substr(b, e == std::string::npos ? std::string::npos : e - b);
}

std::string quoted(const std::string& s) {
    std::string q(1, '"');
    q += trim(s);
    q += '"';
    return q;
}

// Slot of a per-SFAC or per-atom counter, grown on demand.
template <typename T>
T& slot(std::vector<T>& v, int i) {
    if (static_cast<int>(v.size()) <= i) v.resize(static_cast<std::size_t>(i) + 1, T{});
    return v[static_cast<std::size_t>(i)];
}

}  // namespace

std::string shelx_upper(std::string s) {
    upper_case(s);
    return s;
}

std::string card_text(std::string_view raw) {
    std::string s;
    card_text_into(raw, s);
    return s;
}

bool is_instruction(std::string_view key4) {
    // The table in order, asked once per record of the file.
    static const std::vector<std::string_view> sorted = [] {
        std::vector<std::string_view> v(std::begin(kInstructions), std::end(kInstructions));
        std::sort(v.begin(), v.end());
        return v;
    }();
    return std::binary_search(sorted.begin(), sorted.end(), key4);
}

ResidueCard parse_resi(std::string_view card) {
    ResidueCard res;
    bool have_number = false, have_class = false;
    std::string s(card.size() > 4 ? card.substr(4) : std::string_view());
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t b = s.find_first_not_of(' ', pos);
        if (b == std::string::npos) break;
        std::size_t e = s.find(' ', b);
        if (e == std::string::npos) e = s.size();
        std::string w = s.substr(b, e - b);
        pos = e;
        const std::optional<int> v = have_number ? std::nullopt : parse_int(w);
        if (v) {
            res.number = *v;
            have_number = true;
        } else if (!have_class && w[0] >= 'A' && w[0] <= 'Z') {
            res.residue_class = w;
            have_class = true;
        }
    }
    return res;
}

bool read_atom_card(InFile& f, ShelxScan& s, ShelxCard& card) {
    std::string& rec = s.rec;
    std::string& up = s.upper;
    while (next_record(f, s.raw, rec)) {
        int recno = f.recno();
        if (trimmed_length(rec) == 0) continue;
        // A blank-started record that continues no card is a comment; continuations are
        // taken with the card they belong to.
        if (rec[0] == ' ' || rec[0] == '+') continue;
        up = rec;
        upper_case(up);
        std::string key = pad(up, 4);
        if (key == "END " || key == "HKLF") return false;
        bool cont = ends_continued(up);
        if (key == "FRAG") {
            // A fragment for FRAG/AFIX fitting: its lines hold coordinates but no atoms.
            while (next_record(f, s.raw, rec))
                if (pad(shelx_upper(rec), 4) == "FEND") break;
            continue;
        }
        if (key == "RESI") {
            const ResidueCard res = parse_resi(up);
            s.residue_number = res.number;
            s.residue_class = res.residue_class;
            if (!skip_continuations(f, s, cont)) return false;
            continue;
        }
        if (is_instruction(key) || up[0] == 'Q') {
            if (!skip_continuations(f, s, cont)) return false;
            continue;
        }
        card.recno = recno;
        card.name = first_word(rec);
        card.text = up;
        // The card is taken: `rec` holds the continuation records from here on.
        while (cont) {
            blank_continuation_mark(card.text);
            bool got = false;
            while ((got = next_record(f, s.raw, rec)) && trimmed_length(rec) == 0) {
            }
            if (!got) break;
            upper_case(rec);
            cont = ends_continued(rec);
            card.text += ' ';
            card.text += rec;
        }
        return true;
    }
    return false;
}

std::optional<float> apply_free_variable(const Structure& structure, float v) {
    if (!std::isfinite(v) || (v > -10.0f && v < 10.0f)) return v;
    if (v >= 10.0f && v < 20.0f) return v - 10.0f;
    if (v > -20.0f && v <= -10.0f) return v + 10.0f;
    if (std::fabs(v) > 10.0f * (max_free_vars + 1)) return std::nullopt;
    // v = 10m + p with |p| < 5 (|p| = 5 keeps the smaller |m|): fmod is exact, and so is
    // the step to the nearer ten.
    float p = std::fmod(v, 10.0f);
    int m = static_cast<int>((v - p) / 10.0f);
    if (std::fabs(p) > 5.0f) {
        m += v > 0.0f ? 1 : -1;
        p = v - 10.0f * static_cast<float>(m);
    }
    int k = m < 0 ? -m : m;
    if (k > max_free_vars) return std::nullopt;
    const float fv = structure.free_var[static_cast<std::size_t>(k)];
    if (v > 0.0f) return p * fv;
    return static_cast<float>(static_cast<double>(p) * (static_cast<double>(fv) - 1.0));
}

std::string shelx_atom_label(const Records& r, const ShelxScan& s, const std::string& name,
                             int sfac_type) {
    const int iz = r.structure.type_atomic_number[static_cast<std::size_t>(sfac_type)];
    std::string sym = trim(element_symbol(r, iz));
    if (r.options.rename_atoms) {
        int num = r.options.rename_mode == RenameMode::all_atoms
                      ? r.structure.atom_count
                      : s.count[static_cast<std::size_t>(sfac_type)];
        std::string l = sym + "(" + std::to_string(num) + ")";
        std::string t;
        for (char c : l)
            if (c != ' ') t.push_back(c);
        return pad(t, 8);
    }
    std::size_t k = sym.size() == 1 ? 1 : 2;
    if (k > name.size()) k = name.size();
    return name.substr(0, k) + "(" + name.substr(k) + ")";
}

Vec3f reciprocal_lengths(const std::array<float, 6>& c) {
    float ca = cos_deg(c[3]), cb = cos_deg(c[4]), cg = cos_deg(c[5]);
    float v = c[0] * c[1] * c[2] *
              std::sqrt(1.0f - ca * ca - cb * cb - cg * cg + 2.0f * ca * cb * cg);
    return {c[1] * c[2] * sin_deg(c[3]) / v, c[0] * c[2] * sin_deg(c[4]) / v,
            c[0] * c[1] * sin_deg(c[5]) / v};
}

float equivalent_u(const Structure& structure, int i) {
    const auto& u = structure.uij[static_cast<std::size_t>(i)];
    if (structure.adp_order[static_cast<std::size_t>(i)] != 2) return u[0];
    const auto& c = structure.cell;
    const float a = c[0], b = c[1], cc = c[2];
    const Vec3f recip = reciprocal_lengths(c);
    const float as = recip[0], bs = recip[1], cs = recip[2];
    float aa = a * as, bb = b * bs, ccs = cc * cs;
    return (u[0] * (aa * aa) + u[1] * (bb * bb) + u[2] * (ccs * ccs) +
           2.0f * u[3] * a * b * as * bs * cos_deg(c[5]) +
           2.0f * u[4] * a * cc * as * cs * cos_deg(c[4]) +
           2.0f * u[5] * b * cc * bs * cs * cos_deg(c[3])) /
          3.0f;
}

std::array<int, 19> shell_occupations(Io& io, const Records& r, int atomic_number,
                                      int sfac_type) {
    const int z = atomic_number;
    std::array<int, 19> row{};
    // slots: 1 1S, 2 2S, 3 3S, 4 4S, 5 2P, 6 3P, 7 4P, 8 3D, 9 4D, 10 4F, 11 5S, 12 5P
    if (z <= 0) return row;
    if (z <= 2) {
        row[1] = -z;
    } else if (z <= 4) {
        row[1] = 2;
        row[2] = -(z - 2);
    } else if (z <= 10) {
        row[1] = 2;
        row[2] = -2;
        row[5] = -(z - 4);
    } else if (z <= 12) {
        row[1] = 2;
        row[2] = 2;
        row[5] = 6;
        row[3] = -(z - 10);
    } else if (z <= 18) {
        row[1] = 2;
        row[2] = 2;
        row[5] = 6;
        row[3] = -2;
        row[6] = -(z - 12);
    } else if (z <= 36) {
        row[1] = 2;
        row[2] = 2;
        row[3] = 2;
        row[5] = 6;
        row[6] = 6;
        if (z <= 20) {
            row[4] = -(z - 18);
        } else if (z <= 30) {
            row[4] = -2;
            row[8] = -(z - 20);
        } else {
            row[4] = -2;
            row[8] = -10;
            row[7] = -(z - 30);
        }
    } else if (z == 53) {
        row = {0, 2, 2, 2, 2, 6, 6, 6, 10, 10, 0, -2, -5, 0, 0, 0, 0, 0, 0};
    } else {
        fatal_error(io, Files::listing, "GetSFT",
                    "atomic number not implemented yet: " + trim(element_symbol(r, z)) +
                        " (Z = " + std::to_string(z) + "), SFAC type " + std::to_string(sfac_type));
    }
    return row;
}

namespace {

// Listing and terminal line of one atom.
std::string atom_line(const Structure& structure, int i) {
    const auto k = static_cast<std::size_t>(i);
    std::string l;
    l.reserve(110);
    l += fi(i, 6);
    l += fx(3);
    l += pad(structure.label[k], 8);
    l += fi(structure.atomic_number[k], 3);
    l += fi(structure.adp_order[k], 3);
    l += fi(structure.scattering_table[k], 3);
    for (float x : structure.frac[k]) l += ff(x, 9, 5);
    l += ff(structure.occupancy[k], 6, 3);
    int nu = structure.adp_order[k] == 2 ? 6 : 1;
    for (int j = 0; j < nu; ++j) l += ff(structure.uij[k][static_cast<std::size_t>(j)], 7, 3);
    return l;
}

[[noreturn]] void bad_atom(const ShelxScan& s, const ShelxCard& card, const std::string& what) {
    fault(s.file_name, card.recno, what + " in " + quoted(card.text));
}

// The text after the atom name: the SFAC number and the values.
std::string_view after_name(const ShelxCard& card) {
    const std::string& rec = card.text;
    const std::size_t b = rec.find(' ', rec.find_first_not_of(' '));
    return std::string_view(rec).substr(b);
}

// The SFAC number, read from the blank before the second word, gives the element.
void read_sfac_type(const ShelxCard& card, int i, ShelxScan& s, Structure& structure) {
    const auto k = static_cast<std::size_t>(i);
    int n = 0;
    if (read_list(after_name(card), n) != ReadStatus::ok)
        bad_atom(s, card, "expected the SFAC number of an atom");
    if (n < 1 || n > structure.type_count)
        bad_atom(s, card, "SFAC number " + std::to_string(n) + " is not among the " +
                              std::to_string(structure.type_count) + " SFAC types");
    structure.atomic_number[k] = structure.type_atomic_number[static_cast<std::size_t>(n)];
    ++slot(s.count, n);
    structure.multipole_level[k] = structure.atomic_number[k] == 1 ? 2 : 4;
    structure.scattering_table[k] = n;
}

// The label, and the residue names MoPro gives the atom.
void name_atom(Records& r, const ShelxCard& card, int i, const ShelxScan& s) {
    Structure& structure = r.structure;
    const auto k = static_cast<std::size_t>(i);
    const std::string name = first_word(card.text);
    std::string label = shelx_atom_label(r, s, name, structure.scattering_table[k]);
    if (label.size() > 8)
        bad_atom(s, card, "atom name " + quoted(name) + " is too long for a label");
    structure.label[k] = pad(label, 8);
    // Both are built in the slots' own storage.
    std::string& residue_atom = structure.residue_atom[k];
    residue_atom = pad(std::string_view(first_word(card.name)).substr(0, 10), 6);
    residue_atom += ' ';
    residue_atom += fi(s.residue_number, 3);
    std::string& residue_label = structure.residue_label[k];
    residue_label = residue_atom;
    residue_label += "  ";
    residue_label += pad(s.residue_class, 5);
}

// The numbers after the name, free variables decoded, rewritten with six decimals: the values
// are read back from this record, so that each keeps only its six decimals.
std::string rewrite_values(const Structure& structure, const ShelxScan& s,
                           const ShelxCard& card, int count) {
    if (count > 16) bad_atom(s, card, "expected at most 15 values after the SFAC number");
    std::array<float, 17> v{};
    ListReader lr(after_name(card));
    for (int j = 1; j <= count; ++j)
        if (lr.get(v[static_cast<std::size_t>(j)]) != ReadStatus::ok)
            bad_atom(s, card, "expected " + std::to_string(count) + " numbers after the atom name");
    std::string rewritten;
    rewritten.reserve(9 + 12 * static_cast<std::size_t>(count));
    rewritten += fx(5);
    rewritten += fi(std::lround(v[1]), 4);
    for (int j = 2; j <= count; ++j) {
        const std::optional<float> d =
            apply_free_variable(structure, v[static_cast<std::size_t>(j)]);
        if (!d)
            bad_atom(s, card,
                     "free variable beyond the " + std::to_string(max_free_vars) + " places");
        rewritten += ff(*d, 12, 6);
    }
    return rewritten;
}

// Reads the values back from the rewritten record, after its SFAC number.
template <typename... T>
void read_back(const std::string& record, const ShelxScan& s, const ShelxCard& card, T&... t) {
    int sfac = 0;
    if (read_list(record, sfac, t...) != ReadStatus::ok)
        bad_atom(s, card, "a value does not fit its field of 12 columns");
}

// An isotropic atom, whose position it gives: a U from -5 to -0.5 rides on the latest atom
// that does not ride, as a multiple of its Ueq.
Fractional read_isotropic(Io& io, const std::string& record, const ShelxCard& card, int i,
                          ShelxScan& s, Structure& structure) {
    const auto k = static_cast<std::size_t>(i);
    Fractional x{};
    auto& u = structure.uij[k];
    structure.adp_order[k] = 1;
    read_back(record, s, card, x[0], x[1], x[2], structure.occupancy[k], u[0]);
    if (!(u[0] >= -5.0f && u[0] <= -0.5f)) return x;
    s.riding[k] = 1;
    if (s.last_free == 0) {
        // The stop's own line, then the atom it refuses and where it stands.
        const std::string line = " ProcessU :: Could not find parent atom " + card.name + " (" +
                                 s.file_name + ", record " + std::to_string(card.recno) + ")";
        io.stderr_stream() << line << '\n';
        throw RunStop{1, {"", line}};
    }
    u[0] = std::fabs(u[0]) * equivalent_u(structure, s.last_free);
    return x;
}

// An anisotropic atom, whose position it gives: SHELX gives U11 U22 U33 U23 U13 U12.
Fractional read_anisotropic(const std::string& record, const ShelxCard& card, int i,
                            const ShelxScan& s, Structure& structure) {
    const auto k = static_cast<std::size_t>(i);
    Fractional x{};
    auto& u = structure.uij[k];
    structure.adp_order[k] = 2;
    float u23 = 0.0f, u13 = 0.0f, u12 = 0.0f;
    read_back(record, s, card, x[0], x[1], x[2], structure.occupancy[k], u[0], u[1], u[2], u23,
              u13, u12);
    u[3] = u12;
    u[4] = u13;
    u[5] = u23;
    return x;
}

[[noreturn]] void wrong_value_count(Io& io, const std::string& record, const ShelxCard& card,
                                    int i, const ShelxScan& s, const Structure& structure) {
    const std::string& label = structure.label[static_cast<std::size_t>(i)];
    RunStop stop{1,
                 {"", " Error reading atom: " + label.substr(0, 4),
                  " Line <<" + trim(record) + ">>",
                  " File " + s.file_name + ", record " + std::to_string(card.recno), ""}};
    for (const std::string& line : stop.listing_lines) io.write(terminal, line);
    throw stop;
}

void read_one_atom(Io& io, Records& r, ShelxScan& s, const ShelxCard& card) {
    Structure& structure = r.structure;
    const int i = ++structure.atom_count;
    if (i > max_atoms) fatal_error(io, Files::listing, "ReadShelx", "Too many atoms");
    r.ensure_atoms(i);
    const auto k = static_cast<std::size_t>(i);
    slot(s.riding, i) = 0;

    const int words = count_words(card.text);
    if (words < 2) bad_atom(s, card, "expected an atom record");
    read_sfac_type(card, i, s, structure);
    name_atom(r, card, i, s);
    const int count = words - 1;  // the SFAC number and the values
    const std::string rewritten = rewrite_values(structure, s, card, count);
    Fractional x{};
    if (count == 6) x = read_isotropic(io, rewritten, card, i, s, structure);
    else if (count == 11) x = read_anisotropic(rewritten, card, i, s, structure);
    else wrong_value_count(io, rewritten, card, i, s, structure);
    place_atom(structure, i, x);
    if (!s.riding[k]) s.last_free = i;

    const std::string line = atom_line(structure, i);
    io.write(terminal, line);
    io.write(Files::listing, line);
    // NaN or infinite positions would run through every later stage as if they were atoms
    if (!finite(structure.frac[k]) || !finite(structure.cart[k]))
        bad_atom(s, card, "the coordinates of atom " + std::to_string(i) +
                              " are not finite numbers in single precision");
}

}  // namespace

void read_atoms(Io& io, Records& r, InFile& f, ShelxScan& s) {
    // No more atoms than records: room for them at once rather than atom by atom.
    r.reserve_atoms(static_cast<int>(std::min<std::size_t>(f.size(), max_atoms)));
    ShelxCard card;
    while (read_atom_card(f, s, card)) read_one_atom(io, r, s, card);
    io.write(terminal, "");
    io.write(terminal, " Total atoms read from SHELX file = " + fi(r.structure.atom_count, 5));
    set_occupancy_flags(r.structure);
    list_atoms(io, r.structure, Files::listing);
}

}  // namespace kova
