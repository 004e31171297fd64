// Whole runs against what could corrupt a user's files: a second run in the same directory,
// links planted at a temporary name or kept under an output name, protections and modes,
// inputs that an output replaces, signals, a terminal that cannot be written, and what a
// killed run leaves behind. Runs that need a process of their own (a signal, a second run at
// once, a terminal that fails) start the kova executable.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "main/earlier_files.hpp"
#include "support.hpp"

namespace kova {
namespace {

namespace fs = std::filesystem;
using test::earlier;
using test::expect_earlier_files_kept;
using test::kInstructions;
using test::kOutputs;
using test::run_with;
using test::Workdir;

// kova.inp of p-cresol with every option that writes a file, but no CHFRAG line: the run asks
// for the net charge at the terminal, and so waits there as long as a test needs.
const std::string kAsksForCharge =
    "FORMAT *shelx\nINPUT cresol.res\nRINGS 3 8 *special\nNCELLS 1\nExtend_H\n"
    "DATABANK kova_test.db\n";
const std::string kChargePrompt = " Enter net charge of fragment   1 [0.] : ";

// Every file of a directory, by name, with its text (a link by the text it leads to).
std::map<std::string, std::string> snapshot(const test::TempDir& dir) {
    std::map<std::string, std::string> v;
    for (const auto& e : fs::directory_iterator(dir.path()))
        if (e.is_regular_file()) v[e.path().filename().string()] = dir.read(e.path().filename());
    return v;
}

unsigned mode_of(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st.st_mode & 0777u;
}

// The kova executable running in a directory: its standard input a pipe the test writes,
// its standard output a pipe the test reads (or a descriptor given), standard error a pipe.
class Child {
public:
    explicit Child(const fs::path& dir, int stdout_fd = -1) {
        int in[2], out[2], err[2];
        EXPECT_EQ(::pipe(in), 0);
        EXPECT_EQ(::pipe(out), 0);
        EXPECT_EQ(::pipe(err), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(stdout_fd >= 0 ? stdout_fd : out[1], 1);
            ::dup2(err[1], 2);
            for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
            if (::chdir(dir.c_str()) != 0) ::_exit(120);
            // An ignored signal stays ignored across exec (a test started in the background):
            // the run must start as from a terminal.
            for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) ::signal(s, SIG_DFL);
            ::execl(KOVA_BINARY, KOVA_BINARY, static_cast<char*>(nullptr));
            ::_exit(121);
        }
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        in_ = in[1];
        out_ = out[0];
        err_ = err[0];
    }
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (int fd : {in_, out_, err_})
            if (fd >= 0) ::close(fd);
    }
    // Reads standard output until it holds `text`; false when the output ends first or
    // 60 s pass.
    bool wait_for(const std::string& text) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (out_text_.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > until) return false;
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 1000) <= 0) continue;
            char buf[4096];
            const ssize_t n = ::read(out_, buf, sizeof buf);
            if (n <= 0) return false;
            out_text_.append(buf, static_cast<std::size_t>(n));
        }
        return true;
    }
    void answer(const std::string& text) {
        ASSERT_EQ(::write(in_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void close_output() {
        ::close(out_);
        out_ = -1;
    }
    void signal(int s) { ::kill(pid_, s); }
    // Waits for the end. The exit status, or -1 with `killed_by` set when a signal killed it.
    int wait(int* killed_by = nullptr) {
        ::close(in_);
        in_ = -1;
        // Standard output is drained so that a full pipe cannot hold the child up.
        if (out_ >= 0) {
            char buf[4096];
            for (ssize_t n; (n = ::read(out_, buf, sizeof buf)) > 0;)
                out_text_.append(buf, static_cast<std::size_t>(n));
        }
        char buf[4096];
        for (ssize_t n; (n = ::read(err_, buf, sizeof buf)) > 0;)
            err_text_.append(buf, static_cast<std::size_t>(n));
        int st = 0;
        ::waitpid(pid_, &st, 0);
        pid_ = -1;
        if (WIFSIGNALED(st)) {
            if (killed_by) *killed_by = WTERMSIG(st);
            return -1;
        }
        return WEXITSTATUS(st);
    }
    const std::string& err() const { return err_text_; }
    const std::string& out() const { return out_text_; }

private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1, err_ = -1;
    std::string out_text_, err_text_;
};

// A second run while one is going refuses to start and touches nothing, kova.out included;
// the first one then finishes as if alone.
TEST(SafeOutputs, SecondRunWhileOneIsGoing) {
    Workdir w(kAsksForCharge);
    Child first(w.dir.path());
    ASSERT_TRUE(first.wait_for(kChargePrompt)) << first.out();
    const auto before = snapshot(w.dir);  // the first run's temporary files among them
    auto second = run_with(w, "0\n");
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err, "");
    const std::string refusal = " ERROR *** Kova *** Another kova run is working in " +
                                w.dir.path().string() +
                                ": this run stops and touches no file; start it again when "
                                "that run has ended";
    auto term = test::lines_of(second.out);
    EXPECT_NE(std::find(term.begin(), term.end(), refusal), term.end()) << second.out;
    EXPECT_EQ(snapshot(w.dir), before);
    first.answer("0\n");
    EXPECT_EQ(first.wait(), 0) << first.err();
    for (const auto& name : kOutputs) {
        if (name != "complete.ang" && name != "group.ang") {
            EXPECT_NE(w.dir.read(name), earlier(name)) << name;
        }
    }
    EXPECT_EQ(w.leftovers(), std::vector<std::string>{});
}

// On a file system without locks the run goes on, and its listing says so.
TEST(SafeOutputs, FileSystemWithoutLocks) {
    Workdir w;
    auto res = run_with(w, "", InjectedFailure{"", FailurePoint::lock});
    ASSERT_EQ(res.status, 0) << res.err;
    auto listing = test::lines_of(w.dir.read("kova.out"));
    EXPECT_NE(std::find(listing.begin(), listing.end(),
                        " No lock on the working directory (No locks available): a second kova "
                        "run started in it now would mix its files with this run's"),
              listing.end());
}

// A link planted at a temporary name is removed, never written through; the file it points
// at stays as it was and the output becomes a file of its own.
TEST(SafeOutputs, LinkPlantedAtATemporaryName) {
    Workdir w;
    test::TempDir elsewhere;
    elsewhere.write("victim", "not kova's\n");
    elsewhere.write("victim2", "not kova's either\n");
    fs::create_symlink(elsewhere / "victim", w.dir / "kova.spf.kova-tmp");
    fs::create_symlink(elsewhere / "victim2", w.dir / "xd_kova.mas.kova-tmp.AAAAAA");
    auto res = run_with(w);
    ASSERT_EQ(res.status, 0) << res.err;
    EXPECT_EQ(elsewhere.read("victim"), "not kova's\n");
    EXPECT_EQ(elsewhere.read("victim2"), "not kova's either\n");
    EXPECT_FALSE(fs::is_symlink(w.dir / "kova.spf"));
    EXPECT_NE(w.dir.read("kova.spf"), earlier("kova.spf"));
    EXPECT_EQ(w.leftovers(), std::vector<std::string>{});
    auto listing = test::lines_of(w.dir.read("kova.out"));
    EXPECT_NE(std::find(listing.begin(), listing.end(),
                        " Removed what a killed kova run left: kova.spf.kova-tmp, "
                        "xd_kova.mas.kova-tmp.AAAAAA"),
              listing.end());
}

// A replaced file keeps its permission bits; a new one gets those of the umask; a file its
// owner has made read-only stops the run before anything is computed, and nothing is
// touched (kova.out neither, as the listing has not been opened yet). group.ang, which only
// some structures write, is refused when the run comes to make it: the listing says why.
TEST(SafeOutputs, ModesAndProtections) {
    struct Case {
        const char* file;
        unsigned mode;
        bool refused;
    };
    const Case cases[] = {
        {"xd_kova.inp", 0600, false}, {"fixedH.ins", 0755, false},
        {"xd_kova.inp", 0444, true},  {"xd_kova.mas", 0400, true},
        {"kova.out", 0444, true},     {"reduced_1.ang", 0555, true},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.file) + " mode " + std::to_string(c.mode);
        Workdir w;
        fs::permissions(w.dir / c.file, static_cast<fs::perms>(c.mode));
        auto res = run_with(w);
        EXPECT_EQ(mode_of(w.dir / c.file), c.mode) << what;
        if (!c.refused) {
            EXPECT_EQ(res.status, 0) << what << res.err;
            EXPECT_NE(w.dir.read(c.file), earlier(c.file)) << what;
            continue;
        }
        EXPECT_EQ(res.status, 1) << what;
        EXPECT_EQ(res.err, "") << what;
        char octal[8];
        std::snprintf(octal, sizeof octal, "%03o", c.mode);
        const std::string line = " ERROR *** Kova *** Output file " + std::string(c.file) +
                                 " is read-only (mode " + octal +
                                 "): kova replaces no file its owner has protected; make it "
                                 "writable or move it away";
        auto term = test::lines_of(res.out);
        EXPECT_NE(std::find(term.begin(), term.end(), line), term.end()) << what << res.out;
        expect_earlier_files_kept(w, what);
        EXPECT_EQ(w.dir.read("kova.out"), earlier("kova.out")) << what;
    }
    {
        Workdir w("FORMAT *shelx\nINPUT current_shelxl.res\n");
        w.dir.write("current_shelxl.res", test::data_file("shelx/current_shelxl.res"));
        fs::permissions(w.dir / "group.ang", fs::perms::owner_read);
        auto res = run_with(w);
        EXPECT_EQ(res.status, 1);
        auto listing = test::lines_of(w.dir.read("kova.out"));
        ASSERT_GE(listing.size(), 2u);
        EXPECT_EQ(listing[listing.size() - 2],
                  " ERROR *** Kova *** Output file group.ang is read-only (mode 400): kova "
                  "replaces no file its owner has protected; make it writable or move it away");
        expect_earlier_files_kept(w, "group.ang read-only");
    }
    {
        const mode_t mask = ::umask(027);
        test::TempDir dir;
        dir.write("cresol.res", test::data_file("../../examples/cresol.res"));
        dir.write("kova.inp", "FORMAT *shelx\nINPUT cresol.res\n");
        auto res = test::run_in(dir);
        ::umask(mask);
        EXPECT_EQ(res.status, 0) << res.err;
        for (const char* name : {"xd_kova.mas", "kova.spf", "kova.out"})
            EXPECT_EQ(mode_of(dir / name), 0640u) << name;
    }
}

// An output name that is a link keeps the link: the file it leads to is replaced in its own
// folder, a dangling link gets its file, and the listing is written through its link. A run
// that stops leaves the linked files as they were and nothing in their folder.
TEST(SafeOutputs, LinkedOutputs) {
    for (bool stops : {false, true}) {
        Workdir w(stops ? "FORMAT *shelx\nINPUT cresol.res\nVERBOSE 2.5\n" : kInstructions);
        fs::create_directory(w.dir / "xdwork");
        for (const char* name : {"xd_kova.mas", "kova.spf", "kova.out"}) fs::remove(w.dir / name);
        test::TempDir xd;
        xd.write("xd.mas", "the XD folder's master file\n");
        xd.write("listing.out", "an earlier listing\n");
        fs::create_symlink(xd / "xd.mas", w.dir / "xd_kova.mas");
        fs::create_symlink("xdwork/new.spf", w.dir / "kova.spf");  // dangling, relative
        fs::create_symlink(xd / "listing.out", w.dir / "kova.out");
        auto res = run_with(w);
        EXPECT_EQ(res.status, stops ? 1 : 0) << res.err;
        EXPECT_TRUE(fs::is_symlink(w.dir / "xd_kova.mas"));
        EXPECT_EQ(fs::read_symlink(w.dir / "xd_kova.mas"), xd / "xd.mas");
        EXPECT_TRUE(fs::is_symlink(w.dir / "kova.spf"));
        EXPECT_TRUE(fs::is_symlink(w.dir / "kova.out"));
        EXPECT_NE(xd.read("listing.out"), "an earlier listing\n");  // the listing, every run
        if (stops) {
            EXPECT_EQ(xd.read("xd.mas"), "the XD folder's master file\n");
            EXPECT_FALSE(fs::exists(w.dir / "xdwork/new.spf"));
        } else {
            // the master file's head for SHELX input: 79 "!", then kova's line
            EXPECT_EQ(xd.read("xd.mas").rfind(std::string(79, '!') +
                                                  "\n!                   CREATED BY PROGRAM << "
                                                  "KOVA >>\n",
                                              0),
                      0u);
            EXPECT_TRUE(fs::is_regular_file(w.dir / "xdwork/new.spf"));
        }
        auto files = [](const fs::path& d) {
            std::vector<std::string> v;
            for (const auto& e : fs::directory_iterator(d)) v.push_back(e.path().filename());
            std::sort(v.begin(), v.end());
            return v;
        };
        EXPECT_EQ(files(xd.path()), (std::vector<std::string>{"listing.out", "xd.mas"}));
        EXPECT_EQ(files(w.dir / "xdwork"),
                  stops ? std::vector<std::string>{} : std::vector<std::string>{"new.spf"});
        EXPECT_EQ(w.leftovers(), std::vector<std::string>{});
    }
}

// An input that an output replaces is kept beside it, and the listing and the terminal say
// where: the SHELX cycle that reads kova's own fixedH.ins, and the XD files read back.
TEST(SafeOutputs, InputsThatOutputsReplaceAreKept) {
    auto said = [](const test::RunResult& res, const Workdir& w, const std::string& line) {
        auto term = test::lines_of(res.out);
        auto listing = test::lines_of(w.dir.read("kova.out"));
        return std::find(term.begin(), term.end(), line) != term.end() &&
               std::find(listing.begin(), listing.end(), line) != listing.end();
    };
    {
        std::string instructions = kInstructions;
        instructions.replace(instructions.find("cresol.res"), 10, "fixedH.ins");
        Workdir w(instructions);
        const std::string refined = test::data_file("../../examples/cresol.res");
        w.dir.write("fixedH.ins", refined);
        auto res = run_with(w);
        ASSERT_EQ(res.status, 0) << res.err;
        EXPECT_NE(w.dir.read("fixedH.ins"), refined);
        EXPECT_EQ(w.dir.read("fixedH.ins.kova-input"), refined);
        EXPECT_TRUE(said(res, w,
                         " fixedH.ins was read by this run and is replaced by its output: the "
                         "file read is kept as fixedH.ins.kova-input"));
        EXPECT_EQ(w.leftovers(), std::vector<std::string>{});
    }
    {
        Workdir w;
        ASSERT_EQ(run_with(w).status, 0);
        const std::string mas = w.dir.read("xd_kova.mas"), inp = w.dir.read("xd_kova.inp");
        w.dir.write("kova.inp", "FORMAT *xd\nINPUT xd_kova.mas xd_kova.inp\n"
                                "DATABANK kova_test.db\nCHFRAG 0.\n");
        auto res = run_with(w);
        ASSERT_EQ(res.status, 0) << res.err;
        EXPECT_EQ(w.dir.read("xd_kova.mas.kova-input"), mas);
        EXPECT_EQ(w.dir.read("xd_kova.inp.kova-input"), inp);
        for (const std::string name : {"xd_kova.mas", "xd_kova.inp"}) {
            std::string line(" ");
            line += name;
            line += " was read by this run and is replaced by its output: the file read is "
                    "kept as ";
            line += name;
            line += ".kova-input";
            EXPECT_TRUE(said(res, w, line)) << name;
        }
    }
}

// The leftovers of a run killed while it replaced its files, found by a run with other
// options: its temporary files and kept earlier files go, and the listing and the terminal
// say which outputs were the killed run's and which were still an earlier run's.
TEST(SafeOutputs, WhatAKilledRunLeftIsCleared) {
    Workdir w("FORMAT *shelx\nINPUT cresol.res\n");
    w.dir.write("xd_kova.mas", "the killed run's xd_kova.mas\n");
    w.dir.write("xd_kova.mas.kova-old.Ab12Cd", earlier("xd_kova.mas"));
    fs::create_hard_link(w.dir / "mopro_kova.par", w.dir / "mopro_kova.par.kova-old.Ab12Cd");
    w.dir.write("kova.spf.kova-tmp.Ab12Cd", "half a plot file");
    w.dir.write("reduced.ang.kova-tmp.Ab12Cd", "");
    w.dir.write("xd_kova.mas.kova-tmp-notes", "the user's own file\n");
    auto res = run_with(w);
    ASSERT_EQ(res.status, 0) << res.err;
    EXPECT_EQ(w.leftovers(), std::vector<std::string>{"xd_kova.mas.kova-tmp-notes"});
    // in the folder's order of names
    const std::string removed =
        " Removed what a killed kova run left: kova.spf.kova-tmp.Ab12Cd, "
        "mopro_kova.par.kova-old.Ab12Cd, reduced.ang.kova-tmp.Ab12Cd, "
        "xd_kova.mas.kova-old.Ab12Cd";
    const std::string mix =
        " That run was killed while it replaced its files: xd_kova.mas is its own, kova.spf, "
        "reduced.ang are an earlier run's";
    for (const auto& lines : {test::lines_of(res.out), test::lines_of(w.dir.read("kova.out"))}) {
        auto at = std::find(lines.begin(), lines.end(), removed);
        ASSERT_NE(at, lines.end()) << res.out;
        ASSERT_NE(at + 1, lines.end());
        EXPECT_EQ(at[1], mix);
    }
    EXPECT_EQ(w.dir.read("reduced.ang"), earlier("reduced.ang"));  // not this run's option
}

// The benchmark's 10000-atom structure, made once: a run long enough to be signalled while it
// goes. Empty when python3 or the generator is missing.
const fs::path& long_run_structure() {
    static const test::TempDir made;
    static const fs::path dir = [] {
        const fs::path gen =
            fs::path(KOVA_TEST_DATA).parent_path().parent_path() / "bench" / "make_bench.py";
        const std::string cmd = "python3 '" + gen.string() + "' --atoms 10000 --seed 1 --out '" +
                                made.path().string() + "' > /dev/null 2>&1";
        if (!fs::exists(gen) || std::system(cmd.c_str()) != 0) return fs::path();
        return made.path();
    }();
    return dir;
}

struct LongRunDir {
    test::TempDir dir;
    std::vector<std::string> outputs = {"xd_kova.mas", "mopro_kova.par", "con_mopro.inp",
                                        "kova.spf",    "kova.ang",       "reduced.ang",
                                        "reduced_1.ang", "reset.bond",   "const.bond",
                                        "res_mopro.inp", "xd_kova.inp",  "fixedH.ins"};
    explicit LongRunDir(const fs::path& from) {
        for (const char* name : {"bench.res", "bench.db", "kova.inp"})
            fs::copy_file(from / name, dir / name);
        for (const auto& name : outputs) dir.write(name, earlier(name));
    }
    bool earlier_files_kept() const {
        for (const auto& name : outputs)
            if (dir.read(name) != earlier(name)) return false;
        return true;
    }
    bool all_replaced() const {
        for (const auto& name : outputs)
            if (dir.read(name) == earlier(name)) return false;
        return true;
    }
    std::vector<std::string> leftovers() const {
        std::vector<std::string> v;
        for (const auto& e : fs::directory_iterator(dir.path())) {
            const std::string n = e.path().filename().string();
            if (n.find(".kova-") != std::string::npos) v.push_back(n);
        }
        return v;
    }
};

// A signal at the charge prompt and at several moments of a long run ends the run as a fault:
// status 128 + the signal, one line naming it at the end of kova.out and on standard error,
// the earlier files byte for byte and nothing temporary left. A signal that comes after the
// run has finished finds every file replaced.
TEST(SafeOutputs, SignalsEndTheRunAsAFault) {
    const std::pair<int, const char*> signals[] = {
        {SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}, {SIGQUIT, "SIGQUIT"}};
    for (const auto& [sig, name] : signals) {
        Workdir w(kAsksForCharge);
        Child run(w.dir.path());
        ASSERT_TRUE(run.wait_for(kChargePrompt)) << run.out();
        run.signal(sig);
        EXPECT_EQ(run.wait(), 128 + sig) << name;
        const std::string line = "kova: interrupted by " + std::string(name) + " (signal " +
                                 std::to_string(sig) + "): the files of earlier runs are kept";
        EXPECT_EQ(run.err(), line + "\n") << name;
        EXPECT_EQ(w.last_listing_line(), line) << name;
        expect_earlier_files_kept(w, name);
    }
    const fs::path& structure = long_run_structure();
    if (structure.empty()) GTEST_SKIP() << "python3 or bench/make_bench.py is missing";
    int interrupted = 0;
    for (int sig : {SIGINT, SIGTERM})
        for (int ms : {5, 20, 50, 100, 200, 400}) {
            const std::string what = std::to_string(sig) + " after " + std::to_string(ms) + " ms";
            LongRunDir d(structure);
            Child run(d.dir.path());
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            run.signal(sig);
            int killed_by = 0;
            const int status = run.wait(&killed_by);
            if (status == 128 + sig) {
                ++interrupted;
                EXPECT_TRUE(d.earlier_files_kept()) << what;
                EXPECT_EQ(run.err().rfind("kova: ", 0), 0u) << what << run.err();
            } else if (status == 0) {
                EXPECT_TRUE(d.all_replaced()) << what;  // finished before the signal
            } else {
                // before the run began or after it ended, the signal's own action: never a mix
                EXPECT_EQ(killed_by, sig) << what << ": " << status;
                EXPECT_TRUE(d.earlier_files_kept() || d.all_replaced()) << what;
            }
            EXPECT_EQ(d.leftovers(), std::vector<std::string>{}) << what;
        }
    EXPECT_GT(interrupted, 0);
}

// SIGKILL cannot be caught: at several moments of a long run it may leave temporary files, or
// a mix of new and earlier files during the renames. The next run, with other options,
// clears them and finishes.
TEST(SafeOutputs, KilledRunThenARunWithOtherOptions) {
    const fs::path& structure = long_run_structure();
    if (structure.empty()) GTEST_SKIP() << "python3 or bench/make_bench.py is missing";
    for (int ms : {20, 100, 250}) {
        LongRunDir d(structure);
        {
            Child run(d.dir.path());
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            run.signal(SIGKILL);
            int killed_by = 0;
            run.wait(&killed_by);
        }
        d.dir.write("kova.inp", "FORMAT *shelx\nINPUT bench.res\nDATABANK bench.db\nCHFRAG 0\n");
        auto res = test::run_in(d.dir);
        EXPECT_EQ(res.status, 0) << ms << " ms: " << res.err;
        EXPECT_EQ(d.leftovers(), std::vector<std::string>{}) << ms << " ms";
    }
}

// Standard output is an output: a disk that is full, or a pipe whose reader has gone, is a
// run-time error, and the earlier files stay.
TEST(SafeOutputs, TerminalThatCannotBeWritten) {
    struct Case {
        const char* what;
        std::string reason;
    };
    for (const Case& c : {Case{"/dev/full", "No space left on device"},
                          Case{"a closed pipe", "Broken pipe"}}) {
        Workdir w;
        int out_fd = -1;
        int p[2] = {-1, -1};
        if (c.reason == "Broken pipe") {
            ASSERT_EQ(::pipe(p), 0);
            ::close(p[0]);
            out_fd = p[1];
        } else {
            out_fd = ::open("/dev/full", O_WRONLY);
            ASSERT_GE(out_fd, 0);
        }
        Child run(w.dir.path(), out_fd);
        ::close(out_fd);
        const int status = run.wait();
        EXPECT_EQ(status, 2) << c.what;
        const std::string line =
            "kova: standard output: cannot write the terminal output: " + c.reason;
        EXPECT_EQ(run.err(), line + "\n") << c.what;
        EXPECT_EQ(w.last_listing_line(), line) << c.what;
        expect_earlier_files_kept(w, c.what);
    }
}

}  // namespace
}  // namespace kova
