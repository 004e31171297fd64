// Fuzz target: the pseudoatom databank file, matched against a small XD structure with the
// valence populations rescaled; the charge of the one fragment is answered at the prompt.
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kova::fuzz::fixture;
    static const std::string mas = fixture("tests/data/xd/p21c_full.mas");
    static const std::string par = fixture("tests/data/xd/p21c.inp");
    static const std::string inp =
        "FORMAT *xd\n"
        "INPUT p21c.mas p21c.inp\n"
        "DATABANK fuzz.db\n"
        "Extend_H\n";
    kova::fuzz::run_files({{"kova.inp", inp},
                           {"p21c.mas", mas},
                           {"p21c.inp", par},
                           {"fuzz.db", std::string(kova::fuzz::as_text(data, size))}},
                          "0.0\n");
    return 0;
}
