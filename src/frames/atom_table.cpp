// The atom table's header and atom lines, and the listing lines of the per-atom driver. The
// atom line is built from the records the frame commit keeps, so that the master file, written
// after the last atom, gets the very line the terminal and the listing showed.
#include "frames/atom_table.hpp"

#include "shared/format.hpp"

namespace kova {

std::string atom_table_line(const Structure& structure, const AnalysisResults& frames, int i) {
    const auto u = static_cast<std::size_t>(i);
    const FinalFrame& frame = frames.final_frame[u];
    std::string rec;
    rec.reserve(96);
    put_pad(rec, structure.label[u], 8);                         //  1-8  the atom
    rec += ' ';
    rec += frame_target_label(structure, frames, frame.target1);  // 10-17 first target
    rec += "  ";
    rec += frame.axis1;                                          // 20    its axis
    rec += "  ";
    put_pad(rec, structure.label[u], 8);                         // 23-30 the atom again
    rec += ' ';
    rec += frame_target_label(structure, frames, frame.target2);  // 32-39 second target
    rec += ' ';
    rec += frame.axis2;                                          // 41    its axis
    rec += "   R ";                                              // 45-46 right-handed
    put_fi(rec, structure.adp_order[u], 3);                      // 47-49 TP
    put_fi(rec, structure.scattering_table[u], 3);               // 50-52 TBL
    put_fi(rec, frames.kappa_set[u], 4);                         // 53-56 KAP
    put_fi(rec, structure.multipole_level[u], 4);                // 57-60 LMX
    rec += "   ";
    put_pad(rec, structure.site_symmetry[u], 5);                 // 64-68 SITESYM
    if (const int j = frames.equivalent_atom[u]; j != 0) {
        rec += "   ";
        put_pad(rec, structure.label[static_cast<std::size_t>(j)], 8);  // 72-79 CHEMCON
    }
    rec.resize(rec.find_last_not_of(' ') + 1);
    return rec;
}

void show_atom_table_header(Io& io) {
    io.write(terminal, "    ");
    io.write(terminal, atom_table_header);
}

void list_atom_start(Io& io, const Records& r, int i) {
    const int listing = Files::listing;
    std::string rec(80, '-');
    rec[0] = ' ';
    io.write(listing, "");
    io.write(listing, rec);
    io.write(listing, "");
    rec.assign(" Working with atom ");
    put_fi(rec, i, 7);
    rec += " : [";
    put_pad(rec, r.structure.label[static_cast<std::size_t>(i)], 8);
    rec += "]     occ =";
    put_ff(rec, r.structure.occupancy[static_cast<std::size_t>(i)], 11, 4);
    io.write(listing, rec);
}

}  // namespace kova
