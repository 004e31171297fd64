// A working directory as a user's holds it after earlier runs: the example's p-cresol, the
// test databank, kova.inp and an earlier run's file under every output name, for the whole runs
// that check what a run does to the files it finds.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support.hpp"

namespace kova::test {

inline const std::string kInstructions =
    "FORMAT *shelx\n"
    "INPUT cresol.res\n"
    "RINGS 3 8 *special\n"
    "NCELLS 1\n"
    "Extend_H\n"
    "KEYGEN *XYZUIJ *all ordered *MULT *all ordered *kappas\n"
    "DATABANK kova_test.db\n"
    "CHFRAG 0.\n";

// Every file a run may write. complete.ang is written only when images complete a molecule,
// group.ang only for an atom of unknown group: p-cresol has neither.
inline const std::vector<std::string> kOutputs = {
    "xd_kova.mas", "mopro_kova.par", "con_mopro.inp", "kova.spf",      "kova.ang",
    "group.ang",   "reduced.ang",    "reduced_1.ang", "reset.bond",    "const.bond",
    "res_mopro.inp", "xd_kova.inp",  "fixedH.ins",    "complete.ang",  "kova.out"};

inline std::string earlier(const std::string& name) { return "an earlier run's " + name + "\n"; }

// A working directory with the structure, the databank, kova.inp and an earlier run's file
// under every output name.
struct Workdir {
    TempDir dir;
    explicit Workdir(const std::string& instructions = kInstructions) {
        dir.write("cresol.res", data_file("../../examples/cresol.res"));
        dir.write("kova_test.db", data_file("databank/kova_test.db"));
        dir.write("kova.inp", instructions);
        for (const auto& name : kOutputs) dir.write(name, earlier(name));
    }
    // Names in the directory that a run leaves behind only while it runs.
    std::vector<std::string> leftovers() const {
        std::vector<std::string> v;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
            const std::string n = e.path().filename().string();
            if (n.find(".kova-tmp") != std::string::npos || n.find(".kova-old") != std::string::npos)
                v.push_back(n);
        }
        return v;
    }
    std::string last_listing_line() const {
        auto l = lines_of(dir.read("kova.out"));
        return l.empty() ? "" : l.back();
    }
};

inline RunResult run_with(const Workdir& w, const std::string& answer = "",
                         const std::optional<InjectedFailure>& failure = std::nullopt) {
    return run_in(w.dir, {}, answer, failure);
}

// Every earlier file but the listing is as it was.
inline void expect_earlier_files_kept(const Workdir& w, const std::string& what) {
    for (const auto& name : kOutputs) {
        if (name != "kova.out") {
            EXPECT_EQ(w.dir.read(name), earlier(name)) << what << ": " << name;
        }
    }
    EXPECT_EQ(w.leftovers(), std::vector<std::string>{}) << what;
}

}  // namespace kova::test
