// The second half of an atom's framing, once its frame is final: what the decision found is
// recorded (site symmetry, new dummies, a ring's centre, a hydrogen atom's parent), then its
// functional group, kappa set, line of the atom table (echoed to the terminal and the
// listing), MoPro axes and similarity lines, frame picture, populations and row of the XD atom
// table. What the files need is kept in the frame results; src/output writes the files after
// the last atom.
#include <string>
#include <string_view>
#include <tuple>

#include "frames/atom_and_kappa_set_index.hpp"
#include "frames/atom_table.hpp"
#include "frames/dummies.hpp"
#include "frames/frame_analysis.hpp"
#include "frames/frame_atom.hpp"
#include "frames/kappa_sets.hpp"
#include "shared/format.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

// The MoPro form of a target: a dummy loses its "UM" (DUM7 gives D7), any label its brackets.
std::string mopro_target_name(const Records& r, const std::string& label, int number) {
    std::string s = pad(label, 10);
    if (number > r.structure.atom_count) s = strip_um(s);
    strip_brackets(s);
    return s;
}

// The terminal gets the line after one blank, then the listing the same after its heading.
void echo_atom_line(Io& io, int listing, std::string_view line) {
    std::string rec = " ";
    rec += line;
    io.write(terminal, rec);
    io.write(listing, "");
    io.write(listing, " Local coordinate system definition : ");
    io.write(listing, "");
    io.write(listing, rec);
}

// The MoPro axes line (90 characters).
std::string mopro_axes(const Records& r, int i, const FrameDraft& f, int n1, int n2) {
    std::string s;
    s.reserve(90);
    s += f.axis1;
    s += f.axis2;
    s += "   ";
    s += mopro_target_name(r, f.label1, n1);
    s += "   ";
    s += mopro_target_name(r, f.label2, n2);
    s += "   ";
    s += trim(mopro_element(r.structure.label[i])) == "H" ? " QUA " : " HEX ";
    s += "   ";
    s += " K";
    put_pad(s, std::to_string(r.frames.kappa_set[i]), 5);
    s += "   V0  M0  Q0";
    s.resize(90, ' ');
    return s;
}

// The similarity line of atoms i and j (90 characters).
std::string similarity(const Records& r, int i, int j) {
    std::string s = "! CONPVM  ";
    if (r.structure.has_residues) {
        put_pad(s, r.structure.residue_atom[i], 10);
        s += "  ";
        put_pad(s, r.structure.residue_atom[j], 10);
    } else {
        s += mopro_name(r.structure.label[i]);
        s += "  1 ";
        s += mopro_name(r.structure.label[j]);
        s += " 1";
    }
    s.resize(s.find_last_not_of(' ') + 1);
    s.resize(90, ' ');
    return s;
}

int axis_code(char c) { return c == 'X' ? 1 : c == 'Y' ? 2 : c == 'Z' ? 3 : 0; }

XdAtomRow xd_atom_row(const Records& r, int i, const FrameDraft& f, int n1, int n2, int equiv) {
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

void list_kappa_table(Io& io, const Records& r, int i) {
    const int set = r.frames.kappa_set[i];
    const int tbl = set >= 0 && set < static_cast<int>(r.frames.kappa_table.size())
                        ? r.frames.kappa_table[set]
                        : 0;
    std::string line = " CKS :: Atom=";
    put_fi(line, i, 6);
    line += "  kset=";
    put_fi(line, set, 4);
    line += "  nsft=";
    put_fi(line, tbl, 4);
    list_after_empty_line(io, r.files, line);
}

// Records what the decision found of the atom that the rest of the commit, later atoms and the
// output read from the records. The new dummies are stored in the order they were asked for,
// so each gets the number its label already names.
void record_frame(Io& io, Records& r, int i, const FrameDraft& f) {
    r.structure.site_symmetry[i] = pad(f.site_symmetry, 5);
    for (const NewDummy& d : f.new_dummies) store_dummy(io, r, d.stored);
    if (f.centred_ring != 0) r.topology.ring_dummy[f.centred_ring] = f.ring_centre;
    r.frames.parent_neighbours[i] = f.parent_data.neighbours;
    r.frames.parent_atomic_number[i] = f.parent_data.atomic_number;
    r.frames.parent_hydrogens[i] = f.parent_data.hydrogens;
}

}  // namespace

void commit_frame_and_results(Io& io, Records& r, int i, FrameDraft& f, FrameAnalysis& analysis) {
    record_frame(io, r, i, f);
    // Every road replaces a target that is a symmetry image by a dummy: the XD atom table can
    // name only the atoms read, and an image under its source's label points the axis at the
    // source (for an atom bonded to its own image, at the atom itself).
    std::tie(f.label1, f.label2) =
        replace_image_targets(io, r, f.target1, f.target2, f.label1, f.label2, f.axis1, f.axis2);
    // The kappa-set tests (of this atom and of later ones) and the databank match read the
    // group from the records.
    if (kappa_set_by_equivalence(r, f)) {
        f.group = name_functional_group(io, r, i);
        r.frames.group_found[i] = f.group->found;
        r.frames.group_name[i] = f.group->name;  // 40 characters
    }
    const int equiv = choose_kappa_set(io, r, analysis.atom_and_set_index, i, f);
    std::string line = " Symmetry = [";
    put_pad(line, r.structure.site_symmetry[i], 5);
    line += ']';
    list_after_empty_line(io, r.files, line);
    const int n1 = target_number(r, analysis.atom_and_set_index, f.label1);
    const int n2 = target_number(r, analysis.atom_and_set_index, f.label2);
    r.frames.frame_axes[i] = FrameAxes{f.axis1, f.axis2, f.label1, f.label2};
    r.frames.xd_atom_row[i] = xd_atom_row(r, i, f, n1, n2, equiv);
    echo_atom_line(io, r.files.listing, atom_table_line(r.structure, r.frames, i));
    r.frames.mopro_axes[i] = mopro_axes(r, i, f, n1, n2);
    if (equiv != 0) r.frames.mopro_similarity[i] = similarity(r, i, equiv);
    r.frames.axis_ends[i] =
        frame_axis_ends(r.structure.cart[i], f.target1, f.target2, f.axis1, f.axis2);
    set_populations(io, r, i, f, analysis);
    list_kappa_table(io, r, i);
}

}  // namespace kova
