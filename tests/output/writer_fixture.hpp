// A run's records bound to a fresh directory, for the tests of the output writers: no file is
// open until a test creates it; structures are filled by hand.
#pragma once

#include <string>
#include <vector>

#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/records.hpp"
#include "support.hpp"

namespace kova::test {

struct Writer : Workspace {
    // One atom with its label, fractional coordinates and occupancy.
    void atom(int i, const std::string& label, Vec3f xf, float occ = 1.0f) {
        r.ensure_atoms(i);
        if (i > r.structure.atom_count) r.structure.atom_count = i;
        auto s = static_cast<std::size_t>(i);
        r.structure.label[s] = pad(label, 8);
        r.structure.frac[s] = Fractional{xf};
        r.structure.occupancy[s] = occ;
    }
    void plm(int i, int l, int m, float v) {
        r.frames.plm[static_cast<std::size_t>(i)][static_cast<std::size_t>(l)]
                    [static_cast<std::size_t>(m + 4)] = v;
    }
};

// The records from `first` (0-based) on, `n` of them.
inline std::vector<std::string> slice(const std::vector<std::string>& v, std::size_t first,
                                      std::size_t n) {
    if (first >= v.size()) return {};
    return std::vector<std::string>(v.begin() + static_cast<long>(first),
                                    v.begin() + static_cast<long>(std::min(v.size(), first + n)));
}

}  // namespace kova::test
