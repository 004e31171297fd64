// The MoPro files. Populations in mopro_kova.par are per full atom: the stored values carry
// the occupancy, which is divided out here. The similarity block takes its lines from per-atom
// slots and the URATIO block from the X-H bonds in the order framed, so both come out in atom
// order. Atom numbers and counts too wide for
// their fields are written in full: MoPro reads them free-format, and asterisks would lose them.
#include "output/mopro_files.hpp"

#include <string>
#include <string_view>
#include <vector>

#include "shared/format.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

float plm_at(const Plm& p, int l, int m) {
    return p[static_cast<std::size_t>(l)][static_cast<std::size_t>(m + 4)];
}

// Values in F5.3 fields, each followed by two blanks except the last.
void put_f5_3_list(std::string& s, const float* v, int n) {
    for (int k = 0; k < n; ++k) {
        if (k > 0) s += "  ";
        put_ff(s, v[k], 5, 3);
    }
}

// A comment heading of con_mopro.inp and res_mopro.inp: the text between two "!" lines.
void write_bang_heading(Io& io, int ch, std::string_view text) {
    io.write_lines(ch, {"!", text, "!"});
}

// Every slot line whose first characters are the key, at its full length, in slot order.
void copy_slots(Io& io, int ch, const std::vector<std::string>& slots, std::string_view key,
                std::size_t len) {
    std::string rec;
    for (std::size_t s = 1; s < slots.size(); ++s) {
        if (slots[s].compare(0, key.size(), key) != 0) continue;
        if (slots[s].size() == len) {
            io.write(ch, slots[s]);
        } else {
            rec.clear();
            put_pad(rec, slots[s], len);
            io.write(ch, rec);
        }
    }
}

// The MoPro code of a site symmetry and its axes, in 4 characters.
std::string symmetry_code(const std::string& sitesym, char ax1, char ax2) {
    const std::string s = trim(sitesym);
    auto axes = [ax1, ax2](char a, char b) {
        return (ax1 == a && ax2 == b) || (ax1 == b && ax2 == a);
    };
    std::string code;
    if (s == "m") {
        if (axes('X', 'Y')) code = "mz";
        else if (axes('Y', 'Z')) code = "mx";
        else if (axes('X', 'Z')) code = "my";
    } else if (s == "mm2") {
        code = "mxmz";
    } else if (s == "3m") {
        code = "3m";
    } else if (s == "cyl") {
        code = "cy";
    }
    return pad(code, 4);  // "-42m" keeps the blank code
}

// The MoPro form of a frame target: a dummy loses its "UM" (DUM7 gives D7), any label its
// brackets.
std::string mopro_target_name(const Records& r, int number) {
    std::string s = pad(frame_target_label(r.structure, r.frames, number), 10);
    if (number > r.structure.atom_count) s = strip_um(s);
    strip_brackets(s);
    return s;
}

// The name field of a restraint: the label without its brackets, as many characters as the
// label has, written A5 (cut to 5, or right-adjusted).
std::string restraint_name(const std::string& label8) {
    const std::string label = trim(label8);
    std::string name = label;
    strip_brackets(name);
    return fa(name.substr(0, label.size()), 5);
}

// The two atoms of an X-H restraint, and the gap that follows the number after them.
struct RestraintPair {
    std::string atoms;
    const char* gap;
};
RestraintPair restraint_pair(const Structure& s, const XhRestraint& b) {
    const auto x = static_cast<std::size_t>(b.parent), h = static_cast<std::size_t>(b.hydrogen);
    RestraintPair p{{}, s.has_residues ? "  " : " "};
    if (s.has_residues) {
        put_pad(p.atoms, s.residue_atom[x], 10);
        p.atoms += "  ";
        put_pad(p.atoms, s.residue_atom[h], 10);
    } else {
        p.atoms = restraint_name(s.label[x]);
        p.atoms += " 1  ";
        p.atoms += restraint_name(s.label[h]);
        p.atoms += " 1";
    }
    return p;
}

// A restraint record of an X-H bond: its key, the pair, the value held and its sigma.
std::string restraint_record(std::string_view key, const RestraintPair& pair, float value,
                             int decimals, std::string_view sigma) {
    std::string rec(key);
    rec += pair.atoms;
    rec += ' ';
    put_ff(rec, value, 6, decimals);
    rec += pair.gap;
    rec += sigma;
    return rec;
}

}  // namespace

std::string mopro_axes_line(const Records& r, int i) {
    const auto u = static_cast<std::size_t>(i);
    const FinalFrame& frame = r.frames.final_frame[u];
    std::string s;
    s.reserve(90);
    s += frame.axis1;
    s += frame.axis2;
    s += "   ";
    s += mopro_target_name(r, frame.target1);
    s += "   ";
    s += mopro_target_name(r, frame.target2);
    s += "   ";
    s += trim(mopro_element(r.structure.label[u])) == "H" ? " QUA " : " HEX ";
    s += "   ";
    s += " K";
    put_pad(s, std::to_string(r.frames.kappa_set[u]), 5);
    s += "   V0  M0  Q0";
    s.resize(90, ' ');
    return s;
}

void write_mopro_head(Io& io) {
    const std::string bangs(80, '!');
    io.write_lines(Files::mopro_parameters,
                     {bangs, "!           CREATED BY PROGRAM << KOVA >>", bangs, "!  "});
}

void write_mopro_cell_and_symmetry(Io& io, const ShelxHead& head) {
    const int par = Files::mopro_parameters;
    int operators = 1;  // the identity, written first
    for (const ShelxCrystalCard& card : head.cards) {
        if (std::holds_alternative<SymmetryCard>(card)) ++operators;
        const auto* c = std::get_if<CellCard>(&card);
        if (!c) continue;
        std::string l = fa("CELL", 4);
        for (int k = 0; k < 3; ++k) l += ff(c->cell[static_cast<std::size_t>(k)], 10, 4);
        for (int k = 3; k < 6; ++k) l += ff(c->cell[static_cast<std::size_t>(k)], 9, 4);
        l += ' ';
        l += ff(c->wavelength, 8, 5);
        io.write(par, l);
        io.write(par, "");
    }
    std::string l = "SYMM " + fi_grown(operators, 3) + " " + head.lattice;
    if (head.centric) l += " CENTRO";
    io.write(par, l);
    io.write(par, "  X, Y, Z");
    for (const ShelxCrystalCard& card : head.cards) {
        const auto* symm = std::get_if<SymmetryCard>(&card);
        if (!symm) continue;
        // The operators without the card's name. A longer operator is written whole: cut to
        // 30 columns it would lose a component.
        const std::string& t = symm->text;
        const std::string op = t.size() > 4 ? t.substr(4) : "";
        io.write(par, op.size() < 30 ? pad(op, 30) : op);
    }
    io.write_lines(par, {"", "SCALE  1  1.0", "", "FMULT  1.0", "", "UOVER  0.0", "",
                         "SOLVT  0.0  50.0", "", "EXTIN  0.0  GAUSSIAN  ISOT  TYP1", ""});
}

void write_mopro_constraints_start(Io& io) {
    write_bang_heading(io, Files::mopro_constraints, "! local symmetry  ");
}

void write_mopro_symmetry_lines(Io& io, const Records& r) {
    std::string line;
    for (int i = 1; i <= r.structure.atom_count; ++i) {
        const auto u = static_cast<std::size_t>(i);
        const std::string& sitesym = r.structure.site_symmetry[u];
        if (trim(sitesym) == "NO") continue;
        const FinalFrame& frame = r.frames.final_frame[u];
        const std::string code = symmetry_code(sitesym, frame.axis1, frame.axis2);
        line.assign("SYMPLM  ");
        if (r.structure.has_residues) {
            put_fa(line, code, 6);
            line += ' ';
            put_pad(line, r.structure.residue_atom[u], 10);
        } else {
            line += code;
            line += ' ';
            line += mopro_name(r.structure.label[u]);
            line += " 1";
        }
        io.write(Files::mopro_constraints, line);
    }
}

void write_mopro_restraints_head(Io& io) {
    write_bang_heading(io, Files::mopro_residues, "! X-H distances");
}

void write_mopro_distance_lines(Io& io, const Records& r) {
    for (const XhRestraint& b : r.frames.xh_restraints)
        io.write(
            Files::mopro_residues,
            restraint_record("DISTAN   ", restraint_pair(r.structure, b), b.distance, 3, "0.001"));
}

void write_mopro_uratio_block(Io& io, const Records& r) {
    const int ch = Files::mopro_residues;
    write_bang_heading(io, ch, "! isotropic H atoms ADPs");
    // The hydrogen atoms were framed in atom order, so the list is in atom order too.
    for (const XhRestraint& b : r.frames.xh_restraints) {
        std::string rec = restraint_record("URATIO      ", restraint_pair(r.structure, b),
                                           b.adp_ratio, 1, "0.01");
        rec.resize(rec.find_last_not_of(' ') + 1);
        rec.resize(100, ' ');  // the line at its full length
        io.write(ch, rec);
    }
}

void write_mopro_restraints_end(Io& io) {
    write_bang_heading(io, Files::mopro_residues, "! end");
}

void write_mopro_blocks(Io& io, const Records& r) {
    io.write(Files::mopro_parameters, "DUMMY " + fi_grown(r.frames.dummy_count, 3));
    for (int k = 1; k <= r.frames.dummy_count; ++k) {
        const Vec3f d = coordinates(r.frames.dummy_xyz[static_cast<std::size_t>(k)]);
        io.write(Files::mopro_parameters, "DUMY " + ff(d[0], 12, 6) + ff(d[1], 12, 6) +
                                                 ff(d[2], 12, 6) + "  D" +
                                                 pad(std::to_string(k), 5) + " 0");
    }
    io.write(Files::mopro_parameters, "");
    io.write(Files::mopro_parameters, "KAPPA " + fi_grown(r.frames.kappa_count, 3));
    for (int k = 1; k <= r.frames.kappa_count; ++k) {
        const auto& kap = r.frames.kappa[static_cast<std::size_t>(k)];
        io.write(Files::mopro_parameters, ff(kap[1], 10, 6) + ff(kap[2], 10, 6));
    }
    io.write(Files::mopro_parameters, "");
    io.write(Files::mopro_parameters, "ATOMS " + fi_grown(r.structure.atom_count, 4));
    io.write(Files::mopro_parameters, "");
}

void write_mopro_atom(Io& io, const Records& r, int i) {
    const auto s = static_cast<std::size_t>(i);
    const std::string elem = mopro_element(r.structure.label[s]);
    // the element part decides, not the atomic number: "H1" from a Cartesian file is no hydrogen
    const bool hydrogen = trim(elem) == "H";
    const float occ = r.structure.occupancy[s];
    std::string rec = "ATOM ";
    rec.reserve(112);
    put_fi_grown(rec, i, 3);
    rec += ' ';
    if (r.structure.has_residues) {
        put_pad(rec, r.structure.residue_label[s], 17);
    } else {
        rec += mopro_name(r.structure.label[s]);
        rec += "MOL   1";
    }
    for (float v : r.structure.frac[s]) put_ff(rec, v, 12, 6);
    put_ff(rec, occ, 6, 3);
    rec += "  1 ";
    rec += elem;
    io.write(Files::mopro_parameters, rec);
    rec = mopro_axes_line(r, i);
    io.write(Files::mopro_parameters, rec);

    const auto& u = r.structure.uij[s];
    rec.assign(hydrogen ? "UISO   " : "UANI   ");
    if (hydrogen) {
        put_ff(rec, u[0], 10, 6);
    } else {
        for (float v : u) put_ff(rec, v, 10, 6);
    }
    io.write(Files::mopro_parameters, rec);

    // An atom without occupancy has nothing stored to divide: its values go out as stored
    // (zero) instead of as NaN.
    const float div = occ != 0.0f ? occ : 1.0f;
    const Plm& p = r.frames.plm[s];
    auto q = [&](int l, int m) { return plm_at(p, l, m) / div; };
    const float low[8] = {q(1, 1), q(1, -1), q(1, 0), q(2, 0),
                          q(2, 1), q(2, -1), q(2, 2), q(2, -2)};
    rec.clear();
    put_ff(rec, r.frames.valence_population[s] / div, 8, 5);
    put_ff(rec, q(0, 0), 8, 5);
    rec += "  ";
    put_f5_3_list(rec, low, 8);
    io.write(Files::mopro_parameters, rec);
    if (!hydrogen) {
        // MoPro counts the m = -3 harmonics with the opposite sign; a zero comes out as -.000
        const float oct[7] = {q(3, 0), q(3, 1), q(3, -1), q(3, 2), q(3, -2), q(3, 3), -q(3, -3)};
        rec.assign("  ");
        put_f5_3_list(rec, oct, 7);
        io.write(Files::mopro_parameters, rec);
        const float hex[9] = {q(4, 0), q(4, 1),   q(4, -1), q(4, 2), q(4, -2),
                              q(4, 3), -q(4, -3), q(4, 4),  q(4, -4)};
        rec.assign("  ");
        put_f5_3_list(rec, hex, 9);
        io.write(Files::mopro_parameters, rec);
    }
    io.write(Files::mopro_parameters, "");
}

void write_mopro_trailer(Io& io) {
    io.write_lines(Files::mopro_parameters, {"", "ANHAR    0    3         !  #atoms #order ",
                              "! 1         ! atom number ", "! 0. 0. 0. 0. 0. 0. 0. 0. ",
                              "! 0. 0. ", "", "STOP "});
}

void write_mopro_similarity(Io& io, const Records& r) {
    const int ch = Files::mopro_constraints;
    write_bang_heading(io, ch, "! similarity (switched-off)");
    copy_slots(io, ch, r.frames.mopro_similarity, "! CONPVM", 90);
    write_bang_heading(io, ch, "! end");
}

}  // namespace kova
