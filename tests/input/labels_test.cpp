// The stop on labels that name more than one atom: the message names the first repeated
// labels with their atom numbers and the remedy of the input format.
#include "input/labels.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/session.hpp"
#include "shared/errors.hpp"
#include "shared/format.hpp"

namespace kova {
namespace {

TEST(CheckLabels, RepeatedLabelsStopWithTheirAtomsAndTheRemedy) {
    struct Case {
        const char* what;
        InputFormat format;
        std::vector<const char*> labels;
        const char* want;  // the error line, or "" when the run goes on
    };
    const std::string head = " ERROR *** CheckLabels *** Atom labels name more than one atom: ";
    const Case cases[] = {
        {"unique", InputFormat::shelx, {"O(1)", "H(1)", "H(2)"}, ""},
        // trailing blanks do not count, case does
        {"case differs", InputFormat::platon, {"h1", "H1"}, ""},
        {"water with two H1", InputFormat::shelx, {"O(1)", "H(1)", "H(1)"},
         "H(1) (atoms 2, 3); give \"*rename 1\" on the INPUT line"},
        // labels in the order of their second atom; four atoms named, then "..."
        {"residues", InputFormat::shelx, {"N(1)", "C(1)", "C(1)", "N(1)", "N(1)", "N(1)", "N(1)"},
         "C(1) (atoms 2, 3), N(1) (atoms 1, 4, 5, 6, ...); give \"*rename 1\" on the INPUT line"},
        // three labels named, then "and more"
        {"four repeated", InputFormat::platon, {"A", "B", "C", "D", "D", "C", "B", "A"},
         "D (atoms 4, 5), C (atoms 3, 6), B (atoms 2, 7) and more; rename the atoms in m.pla"},
        {"XD", InputFormat::xd, {"C(1)", "C(1)"}, "C(1) (atoms 1, 2); rename the atoms in xd.mas"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::Session s;
        s.r.options.input_format = c.format;
        s.r.options.structure_file = c.format == InputFormat::xd       ? "xd.mas"
                                     : c.format == InputFormat::platon ? "m.pla"
                                                     : "t.res";
        const int nat = static_cast<int>(c.labels.size());
        s.r.ensure_atoms(nat);
        s.r.structure.atom_count = nat;
        for (int i = 1; i <= nat; ++i)
            s.r.structure.label[static_cast<std::size_t>(i)] = pad(c.labels[i - 1], 8);
        if (std::string(c.want).empty()) {
            EXPECT_NO_THROW(check_unique_labels(s.r.io, s.r));
            continue;
        }
        EXPECT_THROW(check_unique_labels(s.r.io, s.r), RunStop);
        ASSERT_GE(s.terminal().size(), 2u);
        EXPECT_EQ(s.terminal()[1], head + c.want);
    }
}

}  // namespace
}  // namespace kova
