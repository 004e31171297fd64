// A records object bound to a fresh directory with the run's channel numbers, for the tests
// of the output writers; structures are filled by hand.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/records.hpp"
#include "support.hpp"

namespace kova::test {

struct Writer {
    TempDir dir;
    std::istringstream in;
    std::ostringstream out, errs;
    std::unique_ptr<test::RunRecords> rp = std::make_unique<test::RunRecords>();
    test::RunRecords& r = *rp;

    Writer() {
        r.io.bind(dir.path(), &in, &out, &errs);
        r.files.xd_master = 58;
        r.files.listing = 35;
        r.files.xd_parameters = 48;
        r.files.databank = 47;
        r.files.mopro_constraints = 443;
        r.files.reset_bonds = 43; r.files.const_bonds = 42; r.files.mopro_residues = 445;
        r.files.plot = 46;
        set_defaults(r);
    }
    // The records of a file once its channel is closed.
    std::vector<std::string> file(int ch, const std::string& name) {
        r.io.close(ch);
        return lines_of(dir.read(name));
    }
    std::vector<std::string> terminal_lines() const { return lines_of(out.str()); }

    // One atom with its label, fractional coordinates and occupancy.
    void atom(int i, const std::string& label, Vec3f xf, float occ = 1.0f) {
        r.ensure_atoms(i);
        if (i > r.structure.atom_count) r.structure.atom_count = i;
        auto s = static_cast<std::size_t>(i);
        r.structure.label[s] = pad(label, 8);
        r.structure.frac[s] = xf;
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
