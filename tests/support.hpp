// Test helpers: a fresh working directory per test, the workspace the stage fixtures build on,
// whole runs in-process, file reading.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "main/run.hpp"
#include "shared/errors.hpp"
#include "shared/records.hpp"

namespace kova::test {

// The records of a run together with its channels, as the stage tests hand them to the
// routines they test (a run keeps the two apart: `run` owns the channels).
struct RunRecords : Records {
    Io io;
};

// A fresh temporary directory, removed when the object goes.
class TempDir {
public:
    TempDir() {
        auto base = std::filesystem::temp_directory_path();
        static int counter = 0;
        for (;;) {
            path_ = base /
                    ("kova_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& n) const { return path_ / n; }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path_ / name, std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream f(path_ / name, std::ios::binary);
        std::ostringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

private:
    std::filesystem::path path_;
};

struct RunResult {
    int status = -1;
    std::string out, err;
};

// A whole run in `dir`, with `input` on standard input (and, for the tests of the trusted
// files, one output file made to fail).
inline RunResult run_in(const TempDir& dir, const std::vector<std::string>& args = {},
                        const std::string& input = "",
                        const std::optional<InjectedFailure>& failure = std::nullopt) {
    std::istringstream in(input);
    std::ostringstream out, errs;
    RunResult res;
    res.status = kova::run(dir.path(), args, in, out, errs, failure);
    res.out = out.str();
    res.err = errs.str();
    return res;
}

// A label of a prefix and a number, "C12". Appended rather than written "C" + std::to_string(k):
// at -O2 GCC 12 takes that for overlapping copies (a false -Wrestrict in bits/char_traits.h).
inline std::string numbered(const char* prefix, int k) {
    std::string s(prefix);
    s += std::to_string(k);
    return s;
}

// A small SHELX file: a cell, one operator and two atoms, C1-O1 1.0 A apart along a.
inline const std::string two_atom_shelx =
    "TITL two atoms\n"
    "CELL 0.71073 5.0 6.0 7.0 90.0 100.0 90.0\n"
    "LATT 1\n"
    "SYMM -X, 1/2+Y, 1/2-Z\n"
    "SFAC C O\n"
    "C1    1    0.100000    0.200000    0.300000   11.00000   0.02000\n"
    "O1    2    0.300000    0.200000    0.300000   11.00000   0.02000\n"
    "END\n";

// The text of a file of tests/data, by its path there ("shelx/rename_types.res"); "" when
// there is none.
inline std::string data_file(const std::string& rel) {
    std::ifstream f(std::string(KOVA_TEST_DATA) + "/" + rel, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> v;
    std::string cur;
    for (char c : text) {
        if (c == '\n') {
            v.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    if (!cur.empty()) v.push_back(cur);
    return v;
}

// True when every line of `want` is a line of `text`, in order (or, with `pieces`, a piece of
// the text, in order).
inline ::testing::AssertionResult holds_in_order(const std::string& text,
                                          const std::vector<std::string>& want, bool pieces) {
    const std::vector<std::string> lines = lines_of(text);
    std::size_t at = 0, pos = 0;
    for (const std::string& w : want) {
        if (pieces) {
            pos = text.find(w, pos);
            if (pos == std::string::npos)
                return ::testing::AssertionFailure() << "missing: [" << w << "]\n" << text;
            pos += w.size();
            continue;
        }
        while (at < lines.size() && lines[at] != w) ++at;
        if (at == lines.size())
            return ::testing::AssertionFailure() << "missing: [" << w << "]\n" << text;
        ++at;
    }
    return ::testing::AssertionSuccess();
}

// How many lines of `text` hold `part`.
inline int count_containing(const std::string& text, const std::string& part) {
    int n = 0;
    for (const std::string& l : lines_of(text)) n += l.find(part) != std::string::npos;
    return n;
}

// An output file as the road makes it: created on `channel`, written by `write`, closed.
template <class Write>
void write_whole(Io& io, int channel, const std::string& name, Write&& write) {
    io.create(channel, name);
    write();
    io.close(channel);
}

// The channel of an input file a test opens itself to feed a reader of records (kova.inp's
// channel, which such a test does not otherwise use).
constexpr int input_channel = Files::instructions;

// What a workspace opens besides its terminal.
struct WorkspaceSetup {
    bool listing = false;             // kova.out created on the listing's channel
    bool errors_on_terminal = false;  // standard error written into the terminal's stream
};

// The records and channels of a run bound to a fresh directory, with the defaults set, as the
// stage fixtures start from: `in` is standard input (the answers to prompts), `out` the
// terminal and `errs` standard error. The channels are those of a run (`Files`).
struct Workspace {
    TempDir dir;
    std::istringstream in;
    std::ostringstream out, errs;
    RunRecords r;

    explicit Workspace(WorkspaceSetup setup = {}) {
        r.io.bind(dir.path(), &in, &out, setup.errors_on_terminal ? &out : &errs);
        if (setup.listing) r.io.create(Files::listing, "kova.out");
    }
    // The terminal's lines so far.
    std::vector<std::string> terminal() const { return lines_of(out.str()); }
    // The lines of a file as written so far: every channel's buffer is written out and the
    // channels stay open.
    std::vector<std::string> file(const std::string& name) {
        r.io.flush_all();
        return lines_of(dir.read(name));
    }
    // The lines of a file once its channel is closed.
    std::vector<std::string> file(int ch, const std::string& name) {
        r.io.close(ch);
        return lines_of(dir.read(name));
    }
};

// A ring as the ring search stores it: its members in path order and its planarity.
inline void add_ring(Records& r, const std::vector<int>& members, bool planar) {
    const int k = ++r.topology.ring_count;
    r.ensure_rings(k);
    const auto s = static_cast<std::size_t>(k);
    r.topology.ring_size[s] = static_cast<int>(members.size());
    r.topology.ring_atom[s].assign(1, 0);
    r.topology.ring_atom[s].insert(r.topology.ring_atom[s].end(), members.begin(), members.end());
    r.topology.ring_planar[s] = planar;
}

// How a stage a test runs ended: normally, by a RunStop (its message is in the listing and on
// the terminal) or by a RunFault (a run-time error).
struct Ending {
    bool stopped = false;  // a RunStop ended it
    std::string fault;     // the text of the RunFault that ended it, "" when none

    // Runs `stage`, noting how it ends.
    template <class Stage>
    void run_to_end(Stage&& stage) {
        try {
            stage();
        } catch (const RunStop&) {
            stopped = true;
        } catch (const RunFault& f) {
            fault = f.what();
        }
    }
    // "" after a normal end, "stop" after a RunStop, else the text of the RunFault.
    std::string text() const { return stopped ? "stop" : fault; }
};

// Real structures, named folder/file as in their SOURCES.md: those whose licences allow a copy
// are in tests/data/real, the others only in the shared structures beside the checkout. The
// path of the copy, else of the shared file, else empty.
inline std::filesystem::path real_structure(const std::string& rel) {
    for (const char* base : {KOVA_TEST_DATA "/real", KOVA_SHARED_DATA "/structures"}) {
        std::filesystem::path p = std::filesystem::path(base) / rel;
        if (std::filesystem::is_regular_file(p)) return p;
    }
    return {};
}

// The skip message of a test whose structure is in neither place.
inline std::string absent_structure(const std::string& rel) {
    return rel + " is absent: in neither tests/data/real nor " KOVA_SHARED_DATA "/structures";
}

// Every real SHELX structure (.res, .ins) of both places, folder/file, each once, sorted.
inline std::vector<std::string> real_shelx_structures() {
    std::vector<std::string> v;
    for (const char* base : {KOVA_TEST_DATA "/real", KOVA_SHARED_DATA "/structures"}) {
        std::error_code ec;
        for (std::filesystem::recursive_directory_iterator it(base, ec), end; !ec && it != end;
             it.increment(ec)) {
            std::string ext = it->path().extension().string();
            if (it->is_regular_file() && (ext == ".res" || ext == ".ins"))
                v.push_back(std::filesystem::relative(it->path(), base).generic_string());
        }
    }
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

}  // namespace kova::test
