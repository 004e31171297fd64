// The second half of an atom's framing: its kappa set (shared with the first equivalent
// earlier atom), its line of the XD atom table, its MoPro axes and similarity lines, its
// "SYMPLM" constraint, its frame picture, its populations and its eleven frame integers.
#include <algorithm>
#include <string>
#include <tuple>
#include <string_view>

#include "databank/databank.hpp"
#include "frames/dummies.hpp"
#include "frames/frame_atom.hpp"
#include "frames/frame_index.hpp"
#include "frames/groups.hpp"
#include "shared/format.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

// The label without its first "(" and ")" (C(12) gives C12), in 10 characters.
std::string bracket_free(const std::string& label) {
    std::string s = pad(label, 10);
    strip_brackets(s);
    return s;
}

bool mopro_hydrogen(const std::string& label) {
    std::string s = pad(label, 10);
    cut_at_bracket(s);
    return trim(s) == "H";
}

// The MoPro form of a target: a dummy loses its "UM" (DUM7 gives D7), any label its brackets.
std::string mopro_name(Records& r, const std::string& label, int number) {
    std::string s = pad(label, 10);
    if (number > r.structure.atom_count) s = strip_um(s);
    strip_brackets(s);
    return s;
}

void new_set(Records& r, int i) {
    r.frames.kappa_set_count += 1;
    r.frames.kappa_set[i] = r.frames.kappa_set_count;
    write_listing_line(r, " New kappa set = " + fi(r.frames.kappa_set[i], 4));
}

// Returns the equivalent earlier atom whose set the atom took, or 0.
int kappa_set(Records& r, int i, Frame& f) {
    // Every road replaces a target that is a symmetry image by a dummy: the XD atom table can
    // name only the atoms read, and an image under its source's label points the axis at the
    // source (for an atom bonded to its own image, at the atom itself).
    std::tie(f.label1, f.label2) =
        replace_image_targets(r, f.target1, f.target2, f.label1, f.label2, f.axis1, f.axis2);
    if (r.options.to_xd) {
        r.frames.kappa_set[i] = r.structure.scattering_table[i];
        r.frames.kappa_set_count =
            std::max(r.frames.kappa_set_count, r.structure.scattering_table[i]);
        return 0;
    }
    if (!f.atom_disordered && f.neighbour_disordered) {
        // Next to a disordered atom only a free-atom set of the same table may be shared.
        if (int k = free_kappa_set(r, r.structure.scattering_table[i]); k != 0) {
            r.frames.kappa_set[i] = k;
            write_listing_line(r, " Using old [IAM] kappa set = " + fi(k, 4));
        } else {
            new_set(r, i);
        }
        return 0;
    }
    write_listing_line(r, " Calling DetExcept...");
    find_functional_group(r, i);
    std::string& name = r.frames.group_name[i];
    name.resize(40, ' ');
    upper_case(name);
    if (r.frames.group_found[i] == 1)
        write_listing_line(r, " Exception identified for " + trim(r.structure.label[i]) +
                       " : Functional group = [" + trim(name) + "]");
    int j = 0;
    if (i != 1) {
        write_listing_line(r, " Trying to determine the KAPPA SET : ");
        if (r.structure.atomic_number[i] == 1) {
            if (r.options.chem_constraints_h) j = first_h_equivalent(r, i);
        } else {
            if (r.options.chem_constraints_other) j = first_equivalent(r, i);
        }
    }
    if (j != 0) {
        r.frames.kappa_set[i] = r.frames.kappa_set[j];
        write_listing_line(r, " Old kappa set = " + fi(r.frames.kappa_set[i], 4));
    } else {
        new_set(r, i);
    }
    return j;
}

void atom_line(Records& r, int i, const Frame& f, int equiv) {
    // built after one blank, which the terminal and the listing show and the master file not
    std::string rec = " ";
    rec.reserve(96);
    const std::string& label = r.structure.label[i];
    put_pad(rec, label, 8);                  //  1-8  the atom
    rec += ' ';
    put_pad(rec, f.label1, 8);                  // 10-17 first target
    rec += "  ";
    rec += f.axis1;                            // 20    its axis
    rec += "  ";
    put_pad(rec, label, 8);                  // 23-30 the atom again
    rec += ' ';
    put_pad(rec, f.label2, 8);                  // 32-39 second target
    rec += ' ';
    rec += f.axis2;                            // 41    its axis
    rec += "   R ";                          // 45-46 right-handed
    put_fi(rec, r.structure.adp_order[i], 3);          // 47-49 TP
    put_fi(rec, r.structure.scattering_table[i], 3);        // 50-52 TBL
    put_fi(rec, r.frames.kappa_set[i], 4);      // 53-56 KAP
    put_fi(rec, r.structure.multipole_level[i], 4);         // 57-60 LMX
    rec += "   ";
    put_pad(rec, r.structure.site_symmetry[i], 5);     // 64-68 SITESYM
    if (equiv != 0) {
        rec += "   ";
        put_pad(rec, r.structure.label[equiv], 8);  // 72-79 CHEMCON
    }
    rec.resize(std::max<std::size_t>(rec.find_last_not_of(' ') + 1, 1));
    const std::string_view line = std::string_view(rec).substr(1);
    r.io.write(terminal, rec);
    r.io.write(r.files.xd_master, line);
    r.io.write(r.files.listing, "");
    r.io.write(r.files.listing, " Local coordinate system definition : ");
    r.io.write(r.files.listing, "");
    r.io.write(r.files.listing, rec);
}

// The MoPro axes line, in s (90 characters).
void mopro_axes(Records& r, int i, const Frame& f, int n1, int n2, std::string& s) {
    s.clear();
    s += f.axis1;
    s += f.axis2;
    s += "   ";
    s += mopro_name(r, f.label1, n1);
    s += "   ";
    s += mopro_name(r, f.label2, n2);
    s += "   ";
    s += mopro_hydrogen(r.structure.label[i]) ? " QUA " : " HEX ";
    s += "   ";
    s += " K";
    put_pad(s, std::to_string(r.frames.kappa_set[i]), 5);
    s += "   V0  M0  Q0";
    s.resize(90, ' ');
}

// The similarity line of atoms i and j, without trailing blanks, in s (90 characters).
void similarity(const Records& r, int i, int j, std::string& s) {
    s.assign("! CONPVM  ");
    if (r.structure.has_residues) {
        put_pad(s, r.structure.residue_atom[i], 10);
        s += "  ";
        put_pad(s, r.structure.residue_atom[j], 10);
    } else {
        s += bracket_free(r.structure.label[i]);
        s += "  1 ";
        s += bracket_free(r.structure.label[j]);
        s += " 1";
    }
    s.resize(s.find_last_not_of(' ') + 1);
    s.resize(90, ' ');
}

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

void write_symplm_line(Records& r, int i, const Frame& f) {
    if (trim(r.structure.site_symmetry[i]) == "NO") return;
    const std::string code = symmetry_code(r.structure.site_symmetry[i], f.axis1, f.axis2);
    std::string line = "SYMPLM  ";
    line.reserve(32);
    if (r.structure.has_residues) {
        put_fa(line, code, 6);
        line += ' ';
        put_pad(line, r.structure.residue_atom[i], 10);
    } else {
        line += code;
        line += ' ';
        line += bracket_free(r.structure.label[i]);
        line += " 1";
    }
    r.io.write(r.files.mopro_constraints, line);
}

void populations(Records& r, int i, const Frame& f) {
    const int set = r.frames.kappa_set[i];
    if (set < 0) return;
    r.ensure_kappa_sets(std::max(set, 1));
    const float occ = r.structure.occupancy[i];
    const bool databank = r.options.databank && (f.atom_disordered ? r.options.disorder_databank
                                                                   : !f.neighbour_disordered);
    std::string line = " Atom ";
    line.reserve(48);
    put_trim(line, r.structure.label[i]);
    line += databank ? " :: will now read databank" : " :: will skip reading databank";
    write_listing_line(r, line);
    if (databank) {
        const PseudoAtom match = assign_from_databank(r, i, f.planar);
        if (i == 1) {
            r.frames.kappa_count = 1;
            r.frames.kappa_table[1] = r.structure.scattering_table[1];
            kappa_set_changed(r, 1);
        } else if (set > r.frames.kappa_count) {
            r.frames.kappa_count = set;
            r.frames.kappa_table[set] = r.structure.scattering_table[i];
        }
        r.frames.kappa[set][1] = match.kappa[1];
        r.frames.kappa[set][2] = match.kappa[2];
        r.frames.valence_population[i] = match.pv * occ;
        r.frames.valence_population_sigma[i] = match.pv_sigma;
        for (int l = 0; l <= 4; ++l)
            for (int m = -l; m <= l; ++m)
                r.frames.plm[i][l][m + 4] = match.plm[l][m + 4] * occ;
    } else {
        r.frames.valence_population[i] = free_atom_valence(r.structure.atomic_number[i]) * occ;
        r.frames.kappa_count = std::max(r.frames.kappa_count, set);
        r.frames.kappa_table[set] = r.structure.scattering_table[i];
        r.frames.kappa[set][1] = 1.0f;
        r.frames.kappa[set][2] = 1.0f;
    }
    kappa_set_changed(r, set);
}

int axis_code(char c) { return c == 'X' ? 1 : c == 'Y' ? 2 : c == 'Z' ? 3 : 0; }

XdAtomRow xd_atom_row(const Records& r, int i, const Frame& f, int n1, int n2, int equiv) {
    XdAtomRow row;
    row.axis1 = axis_code(f.axis1);
    row.axis2 = axis_code(f.axis2);
    row.target1 = n1;
    row.atom = i;
    row.target2 = n2;
    row.adp_order = r.structure.adp_order[i];
    row.scattering_table = r.structure.scattering_table[i];
    row.kappa_set = r.frames.kappa_set[i];
    row.multipole_level = 4;
    row.site_symmetry = 1;
    row.equivalent_atom = equiv;
    return row;
}

}  // namespace

void frame_tail(Records& r, int i, Frame& f) {
    const int equiv = kappa_set(r, i, f);
    std::string line = " Symmetry = [";
    line.reserve(64);
    put_pad(line, r.structure.site_symmetry[i], 5);
    line += ']';
    write_listing_line(r, line);
    const int n1 = target_number(r, f.label1);
    const int n2 = target_number(r, f.label2);
    atom_line(r, i, f, equiv);
    mopro_axes(r, i, f, n1, n2, r.frames.mopro_axes[i]);
    if (equiv != 0) similarity(r, i, equiv, r.frames.mopro_similarity[i]);
    write_symplm_line(r, i, f);
    r.frames.axis_ends[i] =
        frame_axis_ends(r.structure.cart[i], f.target1, f.target2, f.axis1, f.axis2);
    populations(r, i, f);

    const int set = r.frames.kappa_set[i];
    const int tbl = set >= 0 && set < static_cast<int>(r.frames.kappa_table.size())
                        ? r.frames.kappa_table[set]
                        : 0;
    line.assign(" CKS :: Atom=");
    put_fi(line, i, 6);
    line += "  kset=";
    put_fi(line, set, 4);
    line += "  nsft=";
    put_fi(line, tbl, 4);
    write_listing_line(r, line);

    r.frames.xd_atom_row[i] = xd_atom_row(r, i, f, n1, n2, equiv);
}

}  // namespace kova
