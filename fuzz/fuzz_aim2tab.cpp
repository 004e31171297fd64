// Fuzz target: an AIM2TAB output listing (a molecule in Cartesian coordinates).
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string inp =
        "FORMAT *aim2tab\n"
        "INPUT fuzz.out\n"
        "RINGS 3 8 *special\n"
        "Extend_H\n";
    kova::fuzz::run_files({{"kova.inp", inp}, {"fuzz.out", std::string(kova::fuzz::as_text(data, size))}},
                          "");
    return 0;
}
