// Rescaling of valence populations to the fragment charges of kova.inp.
#pragma once

#include <vector>

#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

// The valence populations of one fragment's atoms, in ascending atom order.
struct FragmentPopulations {
    std::vector<int> atoms;          // the atom numbers (the sums and corrections need none)
    std::vector<float> populations;  // Pv (times the occupancy)
    std::vector<float> free_atom;    // the free atom's valence population times the occupancy
    std::vector<float> sigmas;       // sigma(Pv)
};
// The sums over a fragment's atoms, each added up in atom order.
struct FragmentSums {
    float populations = 0.0f, free_atom = 0.0f, sigmas = 0.0f;
    int atoms = 0;
};
FragmentSums sum_fragment(const FragmentPopulations& fragment);

// One atom's correction and the population it gives: the correction is added to the population
// (difference and sigma methods) or multiplies it (fraction method).
struct PopulationCorrection {
    float correction = 0.0f;
    float population = 0.0f;
};
// The corrections, atom by atom, that bring the populations of a fragment to `target`
// electrons. Without weights (every sigma 0) the sigma method shares the difference equally,
// and a zero sum cannot be scaled: the fraction method then leaves it as it is.
std::vector<PopulationCorrection> correct_fragment(const FragmentPopulations& fragment,
                                                   float target, PvScaling method);

// Rescales the valence populations of the fragments of the instruction file (`options.
// fragments`, or all atoms as one fragment) to their free-atom electrons less their net
// charges, asking the terminal for the charges that kova.inp does not give, and lists every
// fragment's table. A fragment line that did not read stops the run here.
void rescale_valence_populations(Io& io, Records& r);

}  // namespace kova
