// A records object bound to a fresh directory with the run's channel numbers, for the tests
// of the output writers; structures are filled by hand.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "main/messages.hpp"
#include "shared/format.hpp"
#include "shared/records.hpp"
#include "support.hpp"

namespace kova::test {

struct Writer {
    TempDir dir;
    std::istringstream in;
    std::ostringstream out, errs;
    std::unique_ptr<Records> rp = std::make_unique<Records>();
    Records& r = *rp;

    Writer() {
        r.io.bind(dir.path(), &in, &out, &errs);
        r.files = {58, 35, 48, 47, 443};
        r.xhbonds = {43, 42, 445};
        r.iplat.iplat = 46;
        init(r);
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
        if (i > r.atoms.nat) r.atoms.nat = i;
        auto s = static_cast<std::size_t>(i);
        r.atoms.label[s] = pad(label, 8);
        r.atoms.xf[s] = xf;
        r.atoms1.occ[s] = occ;
    }
    void plm(int i, int l, int m, float v) {
        r.mpoles.plm[static_cast<std::size_t>(i)][static_cast<std::size_t>(l)][static_cast<std::size_t>(m + 4)] = v;
    }
};

// The records from `first` (0-based) on, `n` of them.
inline std::vector<std::string> slice(const std::vector<std::string>& v, std::size_t first, std::size_t n) {
    if (first >= v.size()) return {};
    return std::vector<std::string>(v.begin() + static_cast<long>(first),
                                    v.begin() + static_cast<long>(std::min(v.size(), first + n)));
}

}  // namespace kova::test
