// The benchmark's 1000- and 10000-atom structures run whole: every file the run leaves, its
// terminal output and its exit status must give the checksums recorded in
// tests/data/bench/checksums.txt and checksums_10000.txt, so that a change made for speed
// cannot change a result.
// Unlike the other tests these sums are recorded, not worked out: they are refreshed (see the
// head of that file) only when the output changes on purpose, such as when a stage lands.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "support.hpp"

namespace kova {
namespace {

namespace fs = std::filesystem;

// The generator's seed: the recorded sums belong to it and to the number of atoms.
constexpr int kSeed = 1;
// The files the generator writes; a difference in them is no fault of kova.
const char* const kInputs[] = {"bench.res", "bench.db", "kova.inp"};
// Lines that hold the run's own CPU times: only their text up to the numbers is summed.
const char* const kTimingLines[] = {" Timing for ring search u,s,t (s) :",
                                    " Total program elapsed times u,s,t (s) :"};

fs::path checksum_file(int atoms) {
    return fs::path(KOVA_TEST_DATA) / "bench" /
           (atoms == 1000 ? std::string("checksums.txt")
                          : "checksums_" + std::to_string(atoms) + ".txt");
}
fs::path generator() {
    return fs::path(KOVA_TEST_DATA).parent_path().parent_path() / "bench" / "make_bench.py";
}

fs::path find_python() {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    std::string d;
    while (std::getline(dirs, d, ':')) {
        if (d.empty()) continue;
        fs::path p = fs::path(d) / "python3";
        if (::access(p.c_str(), X_OK) == 0) return p;
    }
    return {};
}

std::string quoted(const fs::path& p) {
    std::string q = "'";
    for (char c : p.string()) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string masked(const std::string& text) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        std::size_t next = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(pos, next - pos);
        for (const char* t : kTimingLines)
            if (line.rfind(t, 0) == 0)
                line = std::string(t) + (end == std::string::npos ? "" : "\n");
        out += line;
        pos = next;
    }
    return out;
}

std::string fnv1a(const std::string& s) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

std::string sum_of(const std::string& content) {
    std::string m = masked(content);
    return std::to_string(m.size()) + " " + fnv1a(m);
}

using Sums = std::map<std::string, std::string>;  // name -> "bytes fnv1a"

Sums sums_of_run(const test::TempDir& dir, const test::RunResult& res) {
    Sums sums;
    for (const auto& e : fs::directory_iterator(dir.path()))
        if (e.is_regular_file())
            sums[e.path().filename().string()] = sum_of(dir.read(e.path().filename().string()));
    sums["(terminal)"] = sum_of(res.out);
    sums["(stderr)"] = sum_of(res.err);
    sums["(status)"] = sum_of(std::to_string(res.status));
    return sums;
}

Sums read_sums(const fs::path& file) {
    Sums sums;
    std::ifstream f(file);
    std::string line;
    while (std::getline(f, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream w(line);
        std::string name, bytes, hash;
        w >> name >> bytes >> hash;
        sums[name] = bytes + " " + hash;
    }
    return sums;
}

void write_sums(const fs::path& file, const Sums& sums, int atoms, const std::string& test) {
    std::ofstream f(file);
    f << "# Checksums of the benchmark's " << atoms << "-atom run (bench/make_bench.py --atoms "
      << atoms << " --seed " << kSeed << "),\n"
      << "# checked by tests/main/bench_outputs_test.cpp. Refresh them only when the output\n"
      << "# changes on purpose (a new stage, a mended fault), never to make a speed change pass:\n"
      << "#     KOVA_BENCH_REFRESH=1 build/release/tests/kova_tests --gtest_filter='BenchOutputs."
      << test << "'\n"
      << "# name, bytes, FNV-1a 64 of the content; the CPU times of the timing lines are left out;\n"
      << "# (terminal), (stderr) and (status) are the run's standard output, standard error and\n"
      << "# exit status; bench.res, bench.db and kova.inp are the generator's files.\n";
    for (const auto& [name, sum] : sums) f << name << " " << sum << "\n";
}

bool is_input(const std::string& name) {
    for (const char* i : kInputs)
        if (name == i) return true;
    return false;
}

void expect_recorded_run(int atoms, const std::string& test) {
    fs::path python = find_python();
    if (python.empty())
        GTEST_SKIP() << "python3 is not on the PATH: the benchmark structure cannot be made";
    test::TempDir dir;
    std::string cmd = quoted(python) + " " + quoted(generator()) + " --atoms " +
                      std::to_string(atoms) + " --seed " + std::to_string(kSeed) + " --out " +
                      quoted(dir.path()) + " >/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;

    auto res = test::run_in(dir);
    Sums got = sums_of_run(dir, res);

    if (const char* refresh = std::getenv("KOVA_BENCH_REFRESH"); refresh && *refresh) {
        write_sums(checksum_file(atoms), got, atoms, test);
        GTEST_SKIP() << "recorded " << got.size() << " checksums in " << checksum_file(atoms);
    }

    Sums want = read_sums(checksum_file(atoms));
    ASSERT_FALSE(want.empty()) << "no checksums in " << checksum_file(atoms);
    for (const char* name : kInputs)
        ASSERT_EQ(got[name], want[name])
            << name << " is not the recorded one: make_bench.py (or the Python that ran it) "
            << "changed, so the outputs cannot be compared; refresh the sums if that was meant";

    std::ostringstream diff;
    for (const auto& [name, sum] : want) {
        if (is_input(name)) continue;
        auto it = got.find(name);
        if (it == got.end())
            diff << "  " << name << ": not written (recorded " << sum << ")\n";
        else if (it->second != sum)
            diff << "  " << name << ": " << it->second << ", recorded " << sum << "\n";
    }
    for (const auto& [name, sum] : got)
        if (!want.count(name)) diff << "  " << name << ": written, not recorded (" << sum << ")\n";
    EXPECT_TRUE(diff.str().empty()) << "the run's output differs from the recorded one:\n"
                                    << diff.str();
}

TEST(BenchOutputs, ThousandAtomRunGivesTheRecordedFiles) {
    expect_recorded_run(1000, "ThousandAtomRunGivesTheRecordedFiles");
}

// About three seconds in the release build, most of them the generator's.
TEST(BenchOutputs, TenThousandAtomRunGivesTheRecordedFiles) {
    expect_recorded_run(10000, "TenThousandAtomRunGivesTheRecordedFiles");
}

}  // namespace
}  // namespace kova
