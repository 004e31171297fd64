// The second half of an atom's framing, once its frame is final: what the decision found is
// recorded (site symmetry, new dummies, a ring's centre, a hydrogen atom's parent), then its
// functional group, kappa set, final frame (its line of the atom table echoed to the terminal
// and the listing), MoPro similarity line, frame picture and populations. What the files need
// is kept in the analysis results; src/output writes the files after the last atom.
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
    list_after_empty_line(io, line);
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
    list_after_empty_line(io, line);
    AtomAndKappaSetIndex& index = analysis.atom_and_set_index;
    r.frames.final_frame[i] = FinalFrame{f.axis1, f.axis2, target_number(r, index, f.label1),
                                         target_number(r, index, f.label2)};
    r.frames.equivalent_atom[i] = equiv;
    echo_atom_line(io, Files::listing, atom_table_line(r.structure, r.frames, i));
    if (equiv != 0) r.frames.mopro_similarity[i] = similarity(r, i, equiv);
    r.frames.axis_ends[i] =
        frame_axis_ends(r.structure.cart[i], f.target1, f.target2, f.axis1, f.axis2);
    set_populations(io, r, i, f, analysis);
    list_kappa_table(io, r, i);
}

}  // namespace kova
