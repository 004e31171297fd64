// The output section. The databank statistics and the rescaling come before the first
// parameter record, so that both parameter files carry the rescaled valence populations.
#include "output/output_section.hpp"

#include <string>

#include "databank/rescale.hpp"
#include "output/fixedh_file.hpp"
#include "output/mopro_files.hpp"
#include "output/xd_parameter_file.hpp"
#include "shared/format.hpp"

namespace kova {

bool has_output_section(const Records& r) {
    return r.options.databank || r.options.extend_h || r.options.to_xd;
}

void write_output_section(Io& io, Records& r) {
    const int listing = r.files.listing;
    io.create(r.files.xd_parameters, "xd_kova.inp");
    io.write(listing, "");
    io.write(listing, std::string(80, '-'));
    for (int ch : {listing, terminal}) {
        io.write(ch, "");
        io.write(ch, " Creating XD parameter file...");
    }

    // TOXD is a plain conversion: no moved hydrogen atoms, no databank
    const bool fixedh = r.options.extend_h && !r.options.to_xd;
    if (!r.options.to_xd) {
        if (fixedh) io.create(fixedh_channel, "fixedH.ins");
        if (r.options.databank) {
            const std::string stats = " ATOMS SEARCHED in DB, FOUND in DB, NOT FOUND in DB = " +
                                      fi(r.databank.searched, 8) + fi(r.databank.found, 8) +
                                      fi(r.databank.not_found, 8);
            for (int ch : {terminal, listing}) {
                io.write(ch, "");
                io.write(ch, stats);
            }
            if (r.options.pv_scaling != PvScaling::none) rescale_valence_populations(io, r);
        }
    }

    // every writer below reads the slots of all atoms, dummies and kappa sets
    r.ensure_atoms(r.structure.atom_count);
    r.ensure_dummies(r.frames.dummy_count);
    r.ensure_kappa_sets(r.frames.kappa_count);
    write_xd_parameter_head(io, r);
    write_mopro_blocks(io, r);
    for (int i = 1; i <= r.structure.atom_count; ++i) {
        write_xd_parameter_atom(io, r, i);
        if (fixedh) write_fixedh_atom(io, r, i);
        write_mopro_atom(io, r, i);
    }
    write_mopro_similarity(io, r);
    io.close(r.files.mopro_constraints);
    write_mopro_trailer(io);
    write_xd_parameter_tail(io, r);
    io.close(r.files.xd_parameters);
    if (fixedh) io.close(fixedh_channel);
}

}  // namespace kova
