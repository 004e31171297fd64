// Rescaling of the valence populations: each fragment of kova.inp (NFRAG, FRAG, CHFRAG, as
// the instruction reader took them at the start of the run), or all atoms as one, is brought
// to its free-atom electron count minus its net charge, asked for at the terminal when
// kova.inp gives no CHFRAG line.
#include "databank/rescale.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <utility>

#include "databank/databank.hpp"
#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/list_reader.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

// The net charge of fragment f: 0 when no CHFRAG line gives one.
float net_charge(const FragmentLines& lines, int f) {
    return f < static_cast<int>(lines.charge.size()) ? lines.charge[static_cast<std::size_t>(f)]
                                                     : 0.0f;
}

// The atoms of each fragment as spans of atom numbers; a fragment's atoms in ascending order
// are its spans merged.
using Spans = std::vector<std::pair<long long, long long>>;

// The spans of existing atoms that the FRAG lines name, by fragment (they are the same for
// every fragment).
std::map<long long, Spans> fragment_spans(const FragmentLines& lines, int atoms) {
    const long long atom_count = atoms;
    std::map<long long, Spans> spans;
    for (const std::vector<int>& numbers : lines.atom_lines) {
        const auto n = static_cast<int>(numbers.size());
        Spans& of = spans[numbers[0]];
        auto add = [&](long long a, long long b) {  // atoms a..b that exist
            a = std::max(a, 1LL);
            b = std::min(b, atom_count);
            if (a <= b) of.emplace_back(a, b);
        };
        long long prev = numbers[0];
        for (int k = 1; k < n; ++k) {
            long long x = numbers[static_cast<std::size_t>(k)];
            if (x > 0) add(x, x);
            // A range runs from the number before it; after a zero or another range it has
            // no start and adds nothing.
            if (x < 0 && prev > 0 && -x >= prev) add(prev, -x);
            prev = x;
        }
    }
    return spans;
}

// Overlapping and adjacent spans joined, in ascending order.
Spans merged(Spans s) {
    std::sort(s.begin(), s.end());
    Spans out;
    for (const auto& [a, b] : s) {
        if (!out.empty() && a <= out.back().second + 1)
            out.back().second = std::max(out.back().second, b);
        else
            out.emplace_back(a, b);
    }
    return out;
}

// The fragments rescaled: 1..count of the FRAG lines when NFRAG is not 0 and there is a FRAG
// line (a negative NFRAG gives none), else all atoms as fragment 1.
struct FragmentSet {
    bool all_atoms = true;
    int count = 1;
};

FragmentSet fragment_set(const FragmentLines& lines) {
    if (lines.any_atom_line && lines.count != 0) return {false, lines.count};
    return {};
}

// The populations of the atoms of the spans, atom by atom in ascending order, as a walk over
// all atoms meets them.
FragmentPopulations fragment_populations(const Records& r, const Spans& members) {
    FragmentPopulations fragment;
    for (const auto& [a, b] : members)
        for (long long k = a; k <= b; ++k) {
            const int atom = static_cast<int>(k);
            fragment.atoms.push_back(atom);
            fragment.populations.push_back(r.frames.valence_population[atom]);
            fragment.free_atom.push_back(free_atom_valence(r.structure.atomic_number[atom]) *
                                         r.structure.occupancy[atom]);
            fragment.sigmas.push_back(r.frames.valence_population_sigma[atom]);
        }
    return fragment;
}

void write_sums(Io& io, int listing, const FragmentSums& sums, PvScaling method) {
    const float s = sums.populations, fr = sums.free_atom;
    // An empty fragment has no free-atom electrons to compare with.
    const float percent = fr != 0.0f ? std::fabs(fr - s) / fr * 100.0f : 0.0f;
    io.write_to({terminal, listing}, "");
    io.write_to({terminal, listing}, " Sum-of-Pv[free]     = " + ff(fr, 12, 6) + " el.");
    io.write_to({terminal, listing}, " Sum-of-Pv[databank] = " + ff(s, 12, 6) + " el.");
    io.write_to({terminal, listing},
               " Difference          = " + ff(fr - s, 12, 6) + " el. ( " + ff(percent, 6, 2) +
                   " % )");
    if (method == PvScaling::sigma)
        io.write_to({terminal, listing}, " Sum of sigma(Pv)    = " + ff(sums.sigmas, 12, 6));
}

// The answer without the blanks and TABs around it.
std::string_view stripped(std::string_view s) {
    const std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t") + 1 - a);
}

// The net charge of fragment f as the keyboard gives it; a blank answer is 0. The read takes
// the first value only: an answer that holds more ("1,5", "2/3", "+1 e") is told what was
// read, on the terminal and the listing, since "1,5" meant as 1.5 reads as 1.
float ask_net_charge(Io& io, int listing, int f) {
    io.prompt(" Enter net charge of fragment " + fi(f, 3) + " [0.] : ");
    const std::string answer = io.answer("the net charge of fragment " + std::to_string(f));
    float charge = 0.0f;
    if (trimmed_length(answer) == 0) return charge;
    ListReader in(answer);
    if (in.get(charge) == ReadStatus::error)
        fault("standard input", "expected a number for the net charge of fragment " +
                                    std::to_string(f) + ", found \"" + trim(answer) + "\"");
    const std::string_view given = stripped(answer);
    if (in.last() != given)
        io.write_to({terminal, listing},
                    " Fragment " + std::to_string(f) + ": the answer \"" + std::string(given) +
                        "\" is read as the net charge " +
                        std::string(stripped(fsp(charge, 48, 3))) +
                        ", its first value; a blank, a comma or a \"/\" ends a value, and the "
                        "rest of the answer is not read");
    return charge;
}

// The listing's table of a fragment: a row per atom with its correction, then the sums.
void write_fragment_table(Io& io, const Records& r, const FragmentPopulations& fragment,
                          const std::vector<PopulationCorrection>& corrections,
                          const FragmentSums& sums, float target, PvScaling method) {
    const int listing = Files::listing;
    const char* sign = method == PvScaling::fraction ? "*" : method == PvScaling::sigma ? "s" : "+";
    io.write(listing, "");
    io.write(listing, "    NO  ATOM" + std::string(7, ' ') + "Occup.    Pv(DB)      Pv(free)" +
                          std::string(4, ' ') + sign + "Corr       Pv(new)");
    io.write(listing, "");
    float new_sum = 0.0f;
    for (std::size_t k = 0; k < fragment.atoms.size(); ++k) {
        const int atom = fragment.atoms[k];
        const PopulationCorrection& c = corrections[k];
        io.write(listing, fi(atom, 6) + "  " + pad(r.structure.label[atom], 8) + " " +
                              ff(r.structure.occupancy[atom], 7, 3) +
                              ff(fragment.populations[k], 12, 5) +
                              ff(fragment.free_atom[k], 12, 5) + fsp(c.correction, 12, 5) +
                              ff(c.population, 12, 5));
        new_sum += c.population;
    }
    io.write(listing, "");
    io.write(listing, std::string(20, ' ') + "SUM " + ff(sums.populations, 12, 5) +
                          ff(sums.free_atom, 12, 5) + ff(target - sums.populations, 12, 5) +
                          ff(new_sum, 12, 5));
}

// One fragment: its sums, its charge (asked for when kova.inp gives none), its target and its
// table; gives the corrections of its atoms.
std::vector<PopulationCorrection> rescale_fragment(Io& io, const Records& r, int f,
                                                   const FragmentLines& lines,
                                                   const FragmentPopulations& fragment) {
    const PvScaling method = r.options.pv_scaling;
    const FragmentSums sums = sum_fragment(fragment);
    write_sums(io, Files::listing, sums, method);
    const float charge =
        lines.any_charge_line ? net_charge(lines, f) : ask_net_charge(io, Files::listing, f);
    const float target = sums.free_atom - charge;
    io.write_to({terminal, Files::listing}, "");
    io.write_to({terminal, Files::listing}, " Rescaling Sum-of-Pv to " + ff(target, 13, 6) +
                                                " el." + "   " + "( Charge = " + fsp(charge, 8, 3) +
                                                " el. )");
    std::vector<PopulationCorrection> corrections = correct_fragment(fragment, target, method);
    write_fragment_table(io, r, fragment, corrections, sums, target, method);
    return corrections;
}

}  // namespace

FragmentSums sum_fragment(const FragmentPopulations& fragment) {
    FragmentSums sums;
    for (std::size_t k = 0; k < fragment.populations.size(); ++k) {
        sums.populations += fragment.populations[k];
        sums.free_atom += fragment.free_atom[k];
        sums.sigmas += fragment.sigmas[k];
        ++sums.atoms;
    }
    return sums;
}

std::vector<PopulationCorrection> correct_fragment(const FragmentPopulations& fragment,
                                                   float target, PvScaling method) {
    const FragmentSums sums = sum_fragment(fragment);
    const float s = sums.populations;
    std::vector<PopulationCorrection> corrections(fragment.populations.size());
    for (std::size_t k = 0; k < corrections.size(); ++k) {
        const float pv = fragment.populations[k];
        PopulationCorrection& c = corrections[k];
        if (method == PvScaling::fraction) {
            c.correction = s != 0.0f ? target / s : 1.0f;
            c.population = pv * c.correction;
        } else if (method == PvScaling::sigma && sums.sigmas != 0.0f) {
            c.correction = fragment.sigmas[k] * (target - s) / sums.sigmas;
            c.population = pv + c.correction;
        } else {
            c.correction = (target - s) / static_cast<float>(sums.atoms);
            c.population = pv + c.correction;
        }
    }
    return corrections;
}

void rescale_valence_populations(Io& io, Records& r) {
    const int listing = Files::listing;
    io.write(listing, "");
    io.write(listing,
             std::string(" Using ") + pv_scaling_name(r.options.pv_scaling) +
                 " method for rescaling...");

    // kova.inp was read at the start of the run; a fragment line that did not read stops the
    // run here, where the rescaling comes to it.
    const FragmentLines& lines = r.options.fragments;
    if (lines.unreadable) fault("kova.inp", lines.unreadable->record, lines.unreadable->expected);
    const FragmentSet set = fragment_set(lines);
    if (set.all_atoms) {
        io.write_to({terminal, listing}, "");
        io.write_to({terminal, listing}, " Using ALL atoms for fragment 1 !");
    }
    // The atoms of the FRAG lines are taken when the first fragment is rescaled.
    std::optional<std::map<long long, Spans>> spans;
    for (int f = 1; f <= set.count; ++f) {
        io.write_to({terminal, listing}, "");
        io.write_to({terminal, listing}, " ***** Rescaling Pv's in fragment = " + fi(f, 3) + " *****");
        Spans members;
        if (set.all_atoms) {
            if (r.structure.atom_count >= 1) members.emplace_back(1, r.structure.atom_count);
        } else {
            if (!spans) {
                if (lines.unreadable_atom_line)
                    fatal_error(io, listing, "rescalePv", "Error reading fragments from kova.inp");
                spans = fragment_spans(lines, r.structure.atom_count);
            }
            if (auto it = spans->find(f); it != spans->end()) members = merged(it->second);
        }
        const FragmentPopulations fragment = fragment_populations(r, members);
        const std::vector<PopulationCorrection> corrections =
            rescale_fragment(io, r, f, lines, fragment);
        for (std::size_t k = 0; k < fragment.atoms.size(); ++k)
            r.frames.valence_population[fragment.atoms[k]] = corrections[k].population;
    }
}

}  // namespace kova
