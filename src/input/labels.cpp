// The labels of the atoms read must name one atom each, whatever the input format: the check
// runs once the structure is read and before anything is framed.
#include "input/labels.hpp"

#include <string>
#include <unordered_map>
#include <vector>

#include "shared/fatal.hpp"
#include "shared/format.hpp"

namespace kova {

namespace {

constexpr int kLabelsNamed = 3;  // repeated labels named in the message
constexpr int kAtomsNamed = 4;   // atom numbers named per label

}  // namespace

void check_unique_labels(Io& io, const Records& r) {
    std::unordered_map<std::string, std::vector<int>> carriers;
    carriers.reserve(static_cast<std::size_t>(r.structure.atom_count) * 2);
    std::vector<std::string> repeated;  // in the order of their second atom
    for (int i = 1; i <= r.structure.atom_count; ++i) {
        const std::string key = trim(r.structure.label[i]);
        auto& atoms = carriers[key];
        atoms.push_back(i);
        if (atoms.size() == 2) repeated.push_back(key);
    }
    if (repeated.empty()) return;

    std::string msg = "Atom labels name more than one atom:";
    for (std::size_t k = 0; k < repeated.size() && k < kLabelsNamed; ++k) {
        const auto& atoms = carriers[repeated[k]];
        msg += (k == 0 ? " " : ", ") + repeated[k] + " (atoms";
        for (std::size_t n = 0; n < atoms.size() && n < kAtomsNamed; ++n)
            msg += (n == 0 ? " " : ", ") + std::to_string(atoms[n]);
        if (atoms.size() > kAtomsNamed) msg += ", ...";
        msg += ")";
    }
    if (repeated.size() > kLabelsNamed) msg += " and more";
    if (r.options.input_format == InputFormat::shelx)
        msg += R"(; give "*rename 1" on the INPUT line)";
    else
        msg += "; rename the atoms in " + trim(r.options.structure_file);
    fatal_error(io, Files::listing, "CheckLabels", msg);
}

}  // namespace kova
