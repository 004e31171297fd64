// What every fuzz target shares: a whole run of kova in a fresh directory with the given
// files, standard input from a fixed text, and the checks on how the run ended. A run may
// end only in the ways a run ends: status 0 with nothing on standard error, status 1 (err or
// a stop) with nothing there but the riding-atom stop line, or status 2 with one "kova: "
// line. Anything else (another status, an escaped exception, a sanitizer report) is a
// finding.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "main/run.hpp"

namespace kova::fuzz {

struct File {
    std::string name;
    std::string text;
};

// A file of the source tree, read once per process by the caller (as a function-local
// static), so that a run costs no reading of the source tree.
inline std::string fixture(const std::string& rel) {
    std::ifstream f(std::string(KOVA_SOURCE_DIR) + "/" + rel, std::ios::binary);
    if (!f) {
        std::fprintf(stderr, "fuzz: missing fixture %s\n", rel.c_str());
        std::abort();
    }
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The input cut in two at the first separator line; without one, all of it is the first part.
inline std::pair<std::string, std::string> split_input(std::string_view in) {
    constexpr std::string_view sep = "\n####\n";
    std::size_t p = in.find(sep);
    if (p == std::string_view::npos) return {std::string(in), std::string()};
    return {std::string(in.substr(0, p + 1)), std::string(in.substr(p + sep.size()))};
}

[[noreturn]] inline void finding(const char* what, int status, const std::string& err) {
    std::fprintf(stderr, "fuzz: %s (status %d)\n--- standard error ---\n%s\n", what, status,
                 err.c_str());
    std::abort();
}

// One whole run; returns its status after checking how it ended.
inline int run_files(const std::vector<File>& files, const std::string& answer) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kova_fuzz_XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) {
        std::perror("fuzz: mkdtemp");
        std::abort();
    }
    const std::filesystem::path dir(tmpl);
    for (const File& f : files) std::ofstream(dir / f.name, std::ios::binary) << f.text;

    std::istringstream in(answer);
    std::ostringstream out, errs;
    const int status = kova::run(dir, {}, in, out, errs);
    // Whatever the end, nothing is left under a temporary name.
    std::string leftover;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        const std::string n = e.path().filename().string();
        if (n.find(".kova-tmp") != std::string::npos || n.find(".kova-old") != std::string::npos)
            leftover = n;
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);

    const std::string err = errs.str();
    if (!leftover.empty()) finding(("a run left " + leftover + " behind").c_str(), status, err);
    if (status == 2) {
        // exactly one line, "kova: file, ...: what"
        if (err.rfind("kova: ", 0) != 0 || err.find('\n') != err.size() - 1)
            finding("status 2 without one \"kova: \" line on standard error", status, err);
    } else if (status == 1) {
        // the one stop that writes its message to standard error: one line
        constexpr std::string_view riding = " ProcessU :: Could not find parent atom ";
        if (!err.empty() && (err.rfind(riding, 0) != 0 || err.find('\n') != err.size() - 1))
            finding("status 1 with an unexpected standard error", status, err);
    } else if (status == 0) {
        if (!err.empty()) finding("status 0 with something on standard error", status, err);
    } else {
        finding("a run ended with a status other than 0, 1 or 2", status, err);
    }
    return status;
}

}  // namespace kova::fuzz
