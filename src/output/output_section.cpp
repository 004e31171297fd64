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

void write_output_section(Records& r) {
    const int listing = r.files.listing;
    r.io.create(r.files.xd_parameters, "xd_kova.inp");
    r.io.write(listing, "");
    r.io.write(listing, std::string(80, '-'));
    for (int ch : {listing, terminal}) {
        r.io.write(ch, "");
        r.io.write(ch, " Creating XD parameter file...");
    }

    // TOXD is a plain conversion: no moved hydrogen atoms, no databank
    const bool fixedh = r.options.extend_h && !r.options.to_xd;
    if (!r.options.to_xd) {
        if (fixedh) r.io.create(fixedh_channel, "fixedH.ins");
        if (r.options.databank) {
            const std::string stats = " ATOMS SEARCHED in DB, FOUND in DB, NOT FOUND in DB = " +
                                      fi(r.databank.searched, 8) + fi(r.databank.found, 8) +
                                      fi(r.databank.not_found, 8);
            for (int ch : {terminal, listing}) {
                r.io.write(ch, "");
                r.io.write(ch, stats);
            }
            if (r.options.pv_scaling != PvScaling::none) rescale_valence_populations(r.io, r);
        }
    }

    r.ensure_atoms(r.structure.atom_count);
    write_xd_parameter_head(r);
    write_mopro_blocks(r);
    for (int i = 1; i <= r.structure.atom_count; ++i) {
        write_xd_parameter_atom(r, i);
        if (fixedh) write_fixedh_atom(r, i);
        write_mopro_atom(r, i);
    }
    write_mopro_similarity(r);
    r.io.close(r.files.mopro_constraints);
    write_mopro_trailer(r);
    write_xd_parameter_tail(r);
    r.io.close(r.files.xd_parameters);
    if (fixedh) r.io.close(fixedh_channel);
}

}  // namespace kova
