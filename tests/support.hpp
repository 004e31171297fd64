// Test helpers: a fresh working directory per test, whole runs in-process, file reading.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "main/run.hpp"

namespace kova::test {

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

inline RunResult run_in(const TempDir& dir, const std::vector<std::string>& args = {},
                        const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, errs;
    RunResult res;
    res.status = kova::run(dir.path(), args, in, out, errs);
    res.out = out.str();
    res.err = errs.str();
    return res;
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

// The real structures shared with the project, or "" when they are not beside the checkout.
inline std::filesystem::path shared_data() {
    std::filesystem::path p(KOVA_SHARED_DATA);
    return std::filesystem::exists(p) ? p : std::filesystem::path();
}

}  // namespace kova::test
