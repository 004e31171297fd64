// The atom table's header and atom lines, and the listing lines of the per-atom driver. The
// atom line is built from the records the frame commit keeps, so that the master file, written
// after the last atom, gets the very line the terminal and the listing showed.
#include "frames/atom_table.hpp"

#include "shared/format.hpp"

namespace kova {

std::string atom_table_line(const Structure& structure, const AnalysisResults& frames, int i) {
    const auto u = static_cast<std::size_t>(i);
    const FrameAxes& axes = frames.frame_axes[u];
    const XdAtomRow& row = frames.xd_atom_row[u];
    std::string rec;
    rec.reserve(96);
    put_pad(rec, structure.label[u], 8);            //  1-8  the atom
    rec += ' ';
    put_pad(rec, axes.target1, 8);                  // 10-17 first target
    rec += "  ";
    rec += axes.axis1;                              // 20    its axis
    rec += "  ";
    put_pad(rec, structure.label[u], 8);            // 23-30 the atom again
    rec += ' ';
    put_pad(rec, axes.target2, 8);                  // 32-39 second target
    rec += ' ';
    rec += axes.axis2;                              // 41    its axis
    rec += "   R ";                                 // 45-46 right-handed
    put_fi(rec, row.adp_order, 3);                  // 47-49 TP
    put_fi(rec, row.scattering_table, 3);           // 50-52 TBL
    put_fi(rec, row.kappa_set, 4);                  // 53-56 KAP
    put_fi(rec, structure.multipole_level[u], 4);   // 57-60 LMX
    rec += "   ";
    put_pad(rec, structure.site_symmetry[u], 5);    // 64-68 SITESYM
    if (row.equivalent_atom != 0) {
        rec += "   ";
        put_pad(rec, structure.label[static_cast<std::size_t>(row.equivalent_atom)], 8);  // 72-79
    }
    rec.resize(rec.find_last_not_of(' ') + 1);
    return rec;
}

void show_atom_table_header(Io& io) {
    io.write(terminal, "    ");
    io.write(terminal, atom_table_header);
}

void list_atom_start(Io& io, const Records& r, int i) {
    const int listing = r.files.listing;
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
