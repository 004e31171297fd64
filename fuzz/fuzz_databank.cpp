// Fuzz target: the pseudoatom databank file, matched against the p-cresol of the example
// (aromatic C-H, a planar ring, a hydroxyl, a methyl) with the valence populations rescaled;
// the charge of the one fragment is answered at the prompt.
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kova::fuzz::fixture;
    static const std::string res = fixture("examples/cresol.res");
    static const std::string inp =
        "FORMAT *shelx\n"
        "INPUT cresol.res\n"
        "NCELLS 1\n"
        "RINGS 3 8 *special\n"
        "DATABANK fuzz.db\n"
        "Extend_H\n";
    kova::fuzz::run_files({{"kova.inp", inp},
                           {"cresol.res", res},
                           {"fuzz.db", std::string(kova::fuzz::as_text(data, size))}},
                          "0.0\n");
    return 0;
}
