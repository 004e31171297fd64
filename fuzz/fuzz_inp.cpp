// Fuzz target: the instruction file. The input is kova.inp; beside it lie one small structure
// of every format and a databank, under the names the seeds use, so that an instruction file
// that names them runs on through the reader.
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kova::fuzz::fixture;
    static const std::vector<kova::fuzz::File> beside = {
        {"p21c.mas", fixture("tests/data/xd/p21c_full.mas")},
        {"p21c.inp", fixture("tests/data/xd/p21c.inp")},
        {"water.out", fixture("tests/data/aim2tab/water_like.out")},
        {"methanol.pla", fixture("tests/data/platon/methanol_like.pla")},
        {"small.res", fixture("fuzz/seeds/shelx/small.res")},
        {"bank.db", fixture("fuzz/seeds/databank/tiny.db")},
    };
    std::vector<kova::fuzz::File> files = beside;
    files.push_back({"kova.inp", std::string(kova::fuzz::as_text(data, size))});
    kova::fuzz::run_files(files, "bank.db\n0.0\n");
    return 0;
}
