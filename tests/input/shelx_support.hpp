// The SHELX reader run on its own: a fresh Records with the run's channels and files, the
// reader called on one file followed by the writers of the file heads it feeds (as the run
// calls them), and the files and streams read back afterwards.
#pragma once

#include <memory>
#include <sstream>
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

struct ShelxRead {
    TempDir dir;
    std::istringstream in;
    std::ostringstream out, errs;
    std::unique_ptr<test::RunRecords> r = std::make_unique<test::RunRecords>();
    bool stopped = false;   // a RunStop ended the reader
    std::string fault;      // the RunFault text, "" when none

    ShelxRead() {
        r->io.bind(dir.path(), &in, &out, &errs);
        r->files.xd_master = 58;
        r->files.listing = 35;
        set_defaults(*r);
        r->io.create(r->files.xd_master, "xd_kova.mas");
        r->io.create(mopro_parameters_channel, "mopro_kova.par");
        write_mopro_head(r->io);
        r->io.create(r->files.listing, "kova.out");
    }

    // Reads `text` written as the file `name`.
    ShelxRead& read(const std::string& name, const std::string& text) {
        dir.write(name, text);
        return read(name);
    }
    ShelxRead& read(const std::string& name) {
        try {
            read_shelx(r->io, *r, name);
            write_xd_master_head(r->io, *r);
            write_mopro_cell_and_symmetry(r->io, r->structure.shelx_head);
        } catch (const RunStop&) {
            stopped = true;
        } catch (const RunFault& f) {
            fault = f.what();
        }
        r->io.flush_all();
        return *this;
    }

    std::vector<std::string> file(const std::string& name) const {
        return lines_of(dir.read(name));
    }
    std::vector<std::string> terminal() const { return lines_of(out.str()); }
    RunRecords& rec() { return *r; }
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
