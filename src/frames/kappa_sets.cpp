// Kappa sets and populations of a framed atom. A set's kappas are those its last atom gave
// it: the databank values of each member in turn, or 1.0 and 1.0.
#include "frames/kappa_sets.hpp"

#include <algorithm>
#include <string>

#include "databank/databank.hpp"
#include "frames/atom_and_kappa_set_index.hpp"
#include "frames/frame_analysis.hpp"
#include "frames/groups.hpp"
#include "shared/format.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

void new_set(Io& io, Records& r, int i) {
    r.frames.kappa_set_count += 1;
    r.frames.kappa_set[i] = r.frames.kappa_set_count;
    list_after_empty_line(io, " New kappa set = " + fi(r.frames.kappa_set[i], 4));
}

}  // namespace

bool kappa_set_by_equivalence(const Records& r, const FrameDraft& f) {
    return !r.options.to_xd && !(!f.atom_disordered && f.neighbour_disordered);
}

FunctionalGroup name_functional_group(Io& io, const Records& r, int i) {
    list_after_empty_line(io, " Calling DetExcept...");
    FunctionalGroup group = find_functional_group(io, r, i);
    group.name.resize(40, ' ');
    upper_case(group.name);
    if (group.found)
        list_after_empty_line(io, " Exception identified for " + trim(r.structure.label[i]) +
                                      " : Functional group = [" + trim(group.name) + "]");
    return group;
}

int choose_kappa_set(Io& io, Records& r, AtomAndKappaSetIndex& index, int i, const FrameDraft& f) {
    if (r.options.to_xd) {
        r.frames.kappa_set[i] = r.structure.scattering_table[i];
        r.frames.kappa_set_count =
            std::max(r.frames.kappa_set_count, r.structure.scattering_table[i]);
        return 0;
    }
    if (!f.atom_disordered && f.neighbour_disordered) {
        // Next to a disordered atom only a free-atom set of the same table may be shared.
        if (int k = free_kappa_set(r, index, r.structure.scattering_table[i]); k != 0) {
            r.frames.kappa_set[i] = k;
            list_after_empty_line(io, " Using old [IAM] kappa set = " + fi(k, 4));
        } else {
            new_set(io, r, i);
        }
        return 0;
    }
    int j = 0;
    if (i != 1) {
        list_after_empty_line(io, " Trying to determine the KAPPA SET : ");
        if (r.structure.atomic_number[i] == 1) {
            if (r.options.chem_constraints_h) j = first_h_equivalent(r, index, i);
        } else {
            if (r.options.chem_constraints_other) j = first_equivalent(io, r, index, i);
        }
    }
    if (j != 0) {
        r.frames.kappa_set[i] = r.frames.kappa_set[j];
        list_after_empty_line(io, " Old kappa set = " + fi(r.frames.kappa_set[i], 4));
    } else {
        new_set(io, r, i);
    }
    return j;
}

void set_populations(Io& io, Records& r, int i, const FrameDraft& f, FrameAnalysis& analysis) {
    const int set = r.frames.kappa_set[i];
    if (set < 0) return;
    r.ensure_kappa_sets(std::max(set, 1));
    const float occ = r.structure.occupancy[i];
    Databank* const databank = analysis.databank;
    AtomAndKappaSetIndex& index = analysis.atom_and_set_index;
    const bool read_databank = databank && (f.atom_disordered ? r.options.disorder_databank
                                                              : !f.neighbour_disordered);
    std::string line = " Atom ";
    line.reserve(48);
    put_trim(line, r.structure.label[i]);
    line += read_databank ? " :: will now read databank" : " :: will skip reading databank";
    list_after_empty_line(io, line);
    if (read_databank) {
        const PseudoAtom match = assign_from_databank(io, r, *databank, analysis.neighbours, i,
                                                      f.planar, f.parent_data);
        if (i == 1) {
            r.frames.kappa_count = 1;
            set_kappa_table(r, index, 1, r.structure.scattering_table[1]);
        } else if (set > r.frames.kappa_count) {
            r.frames.kappa_count = set;
            set_kappa_table(r, index, set, r.structure.scattering_table[i]);
        }
        set_kappas(r, index, set, match.kappa[1], match.kappa[2]);
        r.frames.valence_population[i] = match.pv * occ;
        r.frames.valence_population_sigma[i] = match.pv_sigma;
        for (int l = 0; l <= 4; ++l)
            for (int m = -l; m <= l; ++m)
                r.frames.plm[i][l][m + 4] = match.plm[l][m + 4] * occ;
    } else {
        r.frames.valence_population[i] = free_atom_valence(r.structure.atomic_number[i]) * occ;
        r.frames.kappa_count = std::max(r.frames.kappa_count, set);
        set_kappa_table(r, index, set, r.structure.scattering_table[i]);
        set_kappas(r, index, set, 1.0f, 1.0f);
    }
}

}  // namespace kova
