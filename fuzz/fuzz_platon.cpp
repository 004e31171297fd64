// Fuzz target: a PLATON file of ATOM lines (a molecule in Cartesian coordinates).
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string inp =
        "FORMAT *platon\n"
        "INPUT fuzz.pla\n"
        "RINGS 3 8 *special\n"
        "Extend_H\n";
    kova::fuzz::run_files({{"kova.inp", inp}, {"fuzz.pla", std::string(kova::fuzz::as_text(data, size))}},
                          "");
    return 0;
}
