// The SHELX reader run on its own: a workspace with the run's files open, the reader called on
// one file followed by the writers of the file heads it feeds (as the run calls them), and the
// files and streams read back afterwards.
#pragma once

#include <string>
#include <vector>

#include "input/shelx_reader.hpp"
#include "output/mopro_files.hpp"
#include "output/xd_master_head.hpp"
#include "shared/fatal.hpp"
#include "shared/errors.hpp"
#include "shared/records.hpp"
#include "support.hpp"

namespace kova::test {

inline std::string fixture(const std::string& name) { return data_file("shelx/" + name); }

// `stopped` and `fault` tell how the reader ended.
struct ShelxRead : Workspace, Ending {
    ShelxRead() : Workspace({.listing = true}) {
        r.io.create(Files::xd_master, "xd_kova.mas");
        r.io.create(Files::mopro_parameters, "mopro_kova.par");
        write_mopro_head(r.io);
    }

    // Reads `text` written as the file `name`.
    ShelxRead& read(const std::string& name, const std::string& text) {
        dir.write(name, text);
        return read(name);
    }
    ShelxRead& read(const std::string& name) {
        run_to_end([&] {
            read_shelx(r.io, r, name);
            write_xd_master_head(r.io, r);
            write_mopro_cell_and_symmetry(r.io, r.structure.shelx_head);
        });
        r.io.flush_all();
        return *this;
    }
};

// True when `lines` holds `want` as consecutive lines.
inline bool has_run(const std::vector<std::string>& lines, const std::vector<std::string>& want) {
    if (want.empty()) return true;
    for (std::size_t i = 0; i + want.size() <= lines.size(); ++i) {
        bool ok = true;
        for (std::size_t j = 0; j < want.size() && ok; ++j) ok = lines[i + j] == want[j];
        if (ok) return true;
    }
    return false;
}

}  // namespace kova::test
