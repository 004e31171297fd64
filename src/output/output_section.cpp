// The output section. Its start comes before the rescaling of the valence populations and
// its records after it, so that both parameter files carry the rescaled populations.
#include "output/output_section.hpp"

#include <string>

#include "output/fixedh_file.hpp"
#include "output/mopro_files.hpp"
#include "output/xd_parameter_file.hpp"
#include "shared/format.hpp"

namespace kova {

bool has_output_section(const Records& r) {
    return r.options.databank || r.options.extend_h || r.options.to_xd;
}

// TOXD is a plain conversion: no moved hydrogen atoms, no databank
bool writes_fixedh(const Options& o) { return o.extend_h && !o.to_xd; }

void write_output_section_heading(Io& io) {
    const int listing = Files::listing;
    io.write(listing, "");
    io.write(listing, std::string(80, '-'));
    for (int ch : {listing, terminal}) {
        io.write(ch, "");
        io.write(ch, " Creating XD parameter file...");
    }
}

void write_databank_statistics(Io& io, const Records& r) {
    const std::string stats = " ATOMS SEARCHED in DB, FOUND in DB, NOT FOUND in DB = " +
                              fi(r.databank.searched, 8) + fi(r.databank.found, 8) +
                              fi(r.databank.not_found, 8);
    for (int ch : {terminal, Files::listing}) {
        io.write(ch, "");
        io.write(ch, stats);
    }
}

void write_output_section(Io& io, const Records& r) {
    const bool fixedh = writes_fixedh(r.options);
    write_xd_parameter_head(io, r);
    write_mopro_blocks(io, r);
    for (int i = 1; i <= r.structure.atom_count; ++i) {
        write_xd_parameter_atom(io, r, i);
        if (fixedh) write_fixedh_atom(io, r, i);
        write_mopro_atom(io, r, i);
    }
    write_mopro_similarity(io, r);
    write_mopro_trailer(io);
    write_xd_parameter_tail(io, r);
}

}  // namespace kova
