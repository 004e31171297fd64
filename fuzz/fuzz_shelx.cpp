// Fuzz target: a SHELX instruction or result file, read and analysed with molecule
// completion, rings, the key table and the hydrogen extension switched on.
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string inp =
        "FORMAT *shelx\n"
        "INPUT fuzz.res\n"
        "NCELLS 1\n"
        "RINGS 3 8 *special\n"
        "KEYGEN *XYZUIJ *all ordered *MULT *all ordered *kappas\n"
        "Extend_H\n";
    kova::fuzz::run_files({{"kova.inp", inp}, {"fuzz.res", std::string(kova::fuzz::as_text(data, size))}},
                          "");
    return 0;
}
