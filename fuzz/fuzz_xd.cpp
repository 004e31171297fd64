// Fuzz target: an XD master file and parameter file. The input holds both, the master file
// first, cut at the first line "####".
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string inp =
        "FORMAT *xd\n"
        "INPUT fuzz.mas fuzz.inp\n"
        "NCELLS 1\n"
        "RINGS 3 8 *special\n"
        "Extend_H\n";
    auto [mas, par] = kova::fuzz::split_input(kova::fuzz::as_text(data, size));
    kova::fuzz::run_files({{"kova.inp", inp}, {"fuzz.mas", mas}, {"fuzz.inp", par}}, "");
    return 0;
}
