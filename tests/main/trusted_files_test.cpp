// Whole runs at the edges of a run: a finished run replaces the files of earlier runs, all of
// them together; a run that stops or faults leaves them byte for byte, removes what it wrote
// under temporary names, and its listing says why it ended. The structure is the example's
// p-cresol with every option that writes a file.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
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

// The files of a finished run: every one of them replaced, the two it has no use for left as
// they were.
TEST(TrustedFiles, FinishedRunReplacesEveryFileItWrites) {
    Workdir w;
    auto res = run_with(w);
    ASSERT_EQ(res.status, 0) << res.err;
    for (const auto& name : kOutputs) {
        if (name == "complete.ang" || name == "group.ang")
            EXPECT_EQ(w.dir.read(name), earlier(name));
        else
            EXPECT_NE(w.dir.read(name), earlier(name)) << name;
    }
    EXPECT_EQ(w.leftovers(), std::vector<std::string>{});
}

// Runs that end early, from the start of the road to the output section: every file of the
// earlier run is kept, and the listing ends with the reason.
TEST(TrustedFiles, RunThatEndsEarlyKeepsEarlierFiles) {
    const std::string twice_c1 =
        "TITL two atoms of one name\n"
        "CELL 0.71073 5.0 6.0 7.0 90.0 100.0 90.0\n"
        "LATT 1\n"
        "SFAC C O\n"
        "C1    1    0.100000    0.200000    0.300000   11.00000   0.02000\n"
        "C1    1    0.300000    0.200000    0.300000   11.00000   0.02000\n"
        "END\n";
    struct Case {
        const char* what;
        std::string instructions;
        std::string answer;
        int status;
        std::string reason;  // the error line of a stop, the standard error line of a fault
    };
    const Case cases[] = {
        {"instruction file", "FORMAT *shelx\nINPUT cresol.res\nVERBOSE 2.5\n", "", 1,
         " ERROR *** ReadInp *** Error while reading file kova.inp"},
        // a label carried twice stops right after reading, the head lines already written
        {"repeated label", "FORMAT *shelx\nINPUT twice.res\n", "", 1,
         " ERROR *** CheckLabels *** Atom labels name more than one atom: C(1) (atoms 1, 2); "
         "give \"*rename 1\" on the INPUT line"},
        // the charge prompt of the output section, answered with no number
        {"charge prompt",
         "FORMAT *shelx\nINPUT cresol.res\nRINGS 3 8\nExtend_H\nDATABANK kova_test.db\n", "x\n",
         2,
         "kova: standard input: expected a number for the net charge of fragment 1, found "
         "\"x\""},
        {"end of input at the charge prompt",
         "FORMAT *shelx\nINPUT cresol.res\nDATABANK kova_test.db\n", "", 2,
         "kova: standard input: end of input at the prompt for the net charge of fragment 1"},
    };
    for (const Case& c : cases) {
        Workdir w(c.instructions);
        w.dir.write("twice.res", twice_c1);
        auto res = run_with(w, c.answer);
        EXPECT_EQ(res.status, c.status) << c.what << "\n" << res.err;
        expect_earlier_files_kept(w, c.what);
        auto listing = test::lines_of(w.dir.read("kova.out"));
        ASSERT_GE(listing.size(), 2u) << c.what;
        if (c.status == 2) {
            EXPECT_EQ(res.err, c.reason + "\n") << c.what;
            EXPECT_EQ(listing.back(), c.reason) << c.what;
        } else {
            EXPECT_EQ(listing[listing.size() - 2], c.reason) << c.what;  // err ends with a blank
        }
    }
}

// The files of a good run, then a run that stops and a run that faults in the same
// directory: every file of the good run but the listing stays byte for byte.
TEST(TrustedFiles, GoodRunThenStopThenFault) {
    Workdir w;
    for (const auto& name : kOutputs) fs::remove(w.dir / name);
    ASSERT_EQ(run_with(w).status, 0);
    // every file of the directory but the listing and the instructions, with its text
    auto files = [&] {
        std::map<std::string, std::string> v;
        for (const auto& e : fs::directory_iterator(w.dir.path())) {
            const std::string name = e.path().filename().string();
            if (name != "kova.out" && name != "kova.inp") v[name] = w.dir.read(name);
        }
        return v;
    };
    const auto good = files();
    auto expect_good_files = [&](const char* what) { EXPECT_EQ(files(), good) << what; };
    w.dir.write("kova.inp", "FORMAT *shelx\nINPUT cresol.res\nVERBOSE 2.5\n");
    EXPECT_EQ(run_with(w).status, 1);
    expect_good_files("after a stop");
    w.dir.write("kova.inp", "FORMAT *shelx\nINPUT cresol.res\nExtend_H\nDATABANK kova_test.db\n");
    EXPECT_EQ(run_with(w, "no charge\n").status, 2);
    expect_good_files("after a fault");
}

// A run whose listing cannot be created faults without touching any earlier file.
TEST(TrustedFiles, ListingThatCannotBeCreated) {
    Workdir w;
    fs::remove(w.dir / "kova.out");
    fs::create_directory(w.dir / "kova.out");
    auto res = run_with(w);
    EXPECT_EQ(res.status, 2);
    EXPECT_EQ(res.err, "kova: kova.out: cannot create the file: Is a directory\n");
    expect_earlier_files_kept(w, "kova.out a directory");
}

// A directory where an output file must go: the finished run cannot rename its file over it,
// and the files it had already renamed give way to the earlier ones again.
TEST(TrustedFiles, OutputThatCannotBeReplaced) {
    Workdir w;
    fs::remove(w.dir / "kova.spf");
    fs::create_directory(w.dir / "kova.spf");
    auto res = run_with(w);
    EXPECT_EQ(res.status, 2);
    // the temporary's name is new to the run: "kova.spf.kova-tmp." and six characters
    EXPECT_EQ(res.err.rfind("kova: kova.spf: cannot replace the file by kova.spf.kova-tmp.", 0),
              0u)
        << res.err;
    const std::string why = ": Is a directory\n";
    ASSERT_GT(res.err.size(), why.size());
    EXPECT_EQ(res.err.substr(res.err.size() - why.size()), why) << res.err;
    for (const auto& name : kOutputs) {
        if (name != "kova.out" && name != "kova.spf") {
            EXPECT_EQ(w.dir.read(name), earlier(name)) << name;
        }
    }
    EXPECT_TRUE(fs::is_directory(w.dir / "kova.spf"));
    EXPECT_EQ(w.leftovers(), std::vector<std::string>{});
    EXPECT_EQ(w.last_listing_line() + "\n", res.err);
}

// One failure per output file, where it is created and where a finished run renames it:
// nothing of the earlier run is lost, nothing temporary is left, and the listing ends with
// the line standard error got (the listing's own failure leaves the earlier listing). Three
// structures between them write every file: p-cresol with every option, a benzene that
// NCELLS completes (complete.ang) and a structure with an unknown group (group.ang).
TEST(TrustedFiles, InjectedFailureOfEachOutputFile) {
    struct Structure {
        const char* file;
        std::string instructions;
    };
    const Structure structures[] = {
        {"../../examples/cresol.res", kInstructions},
        {"shelx/benzene_on_inversion_centre.res",
         "FORMAT *shelx\nINPUT benzene_on_inversion_centre.res\nRINGS 3 8\nNCELLS 1\n"},
        {"shelx/current_shelxl.res", "FORMAT *shelx\nINPUT current_shelxl.res\n"},
    };
    std::set<std::string> covered;
    for (const Structure& s : structures) {
        const std::string base = fs::path(s.file).filename().string();
        auto workdir = [&] {
            auto w = std::make_unique<Workdir>(s.instructions);
            w->dir.write(base, test::data_file(s.file));
            return w;
        };
        // The files this run writes: those a finished run replaces.
        std::vector<std::string> written;
        {
            auto w = workdir();
            ASSERT_EQ(run_with(*w).status, 0) << base;
            for (const auto& name : kOutputs)
                if (w->dir.read(name) != earlier(name)) written.push_back(name);
        }
        for (const auto& name : written) {
            covered.insert(name);
            for (FailurePoint at : {FailurePoint::create, FailurePoint::rename}) {
                if (name == "kova.out" && at == FailurePoint::rename) continue;  // never renamed
                const std::string what = base + ", " + name +
                                         (at == FailurePoint::create ? " at its creation"
                                                                     : " at its rename");
                auto w = workdir();
                auto res = run_with(*w, "", InjectedFailure{name, at});
                EXPECT_EQ(res.status, 2) << what;
                const std::string head = "kova: " + name + ": cannot ";
                EXPECT_EQ(res.err.rfind(head, 0), 0u) << what << "\n" << res.err;
                EXPECT_EQ(std::count(res.err.begin(), res.err.end(), '\n'), 1) << what;
                expect_earlier_files_kept(*w, what);
                if (name == "kova.out")
                    EXPECT_EQ(w->dir.read("kova.out"), earlier("kova.out")) << what;
                else
                    EXPECT_EQ(w->last_listing_line() + "\n", res.err) << what;
            }
        }
    }
    EXPECT_EQ(covered, std::set<std::string>(kOutputs.begin(), kOutputs.end()));
}

// The XD files of a run read back by the next one: every input is read before anything
// replaces it, so the run finishes and frames the same atoms with the same site symmetries
// (an axis may point at the other of two ring neighbours, as the positions are read back
// rounded).
TEST(TrustedFiles, XdFilesOfARunReadBack) {
    Workdir w;
    ASSERT_EQ(run_with(w).status, 0);
    const std::string first = w.dir.read("xd_kova.mas");
    w.dir.write("kova.inp", "FORMAT *xd\nINPUT xd_kova.mas xd_kova.inp\nRINGS 3 8 *special\n");
    auto res = run_with(w);
    ASSERT_EQ(res.status, 0) << res.err << res.out;
    // label and site symmetry (words 1 and 12) of each atom line of the atom table
    auto atom_table = [](const std::string& mas) {
        auto l = test::lines_of(mas);
        auto from = std::find_if(l.begin(), l.end(), [](const std::string& s) {
            return s.rfind("ATOM     ATOM0", 0) == 0;
        });
        std::vector<std::string> v;
        for (auto it = from; it != l.end() && *it != "END ATOM"; ++it) {
            std::istringstream words(*it);
            std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
            if (it != from && w.size() >= 12) v.push_back(w[0] + " " + w[11]);
        }
        return v;
    };
    EXPECT_EQ(atom_table(first).size(), 16u);
    EXPECT_EQ(atom_table(w.dir.read("xd_kova.mas")), atom_table(first));
    EXPECT_EQ(w.leftovers(), std::vector<std::string>{});
}

// A structure or databank file that is the listing stops the run before the listing is
// touched: the earlier listing and every other earlier file stay.
TEST(TrustedFiles, InputNamedAsTheListing) {
    struct Case {
        const char* what;
        std::string instructions;
        std::string message;
    };
    const Case cases[] = {
        {"SHELX file", "FORMAT *shelx\nINPUT kova.out\n",
         " ERROR *** ReadInp *** Structure file kova.out is the listing this run writes: rename "
         "the file or give another name"},
        {"XD master file", "FORMAT *xd\nINPUT ./kova.out x.inp\n",
         " ERROR *** ReadInp *** XD master file ./kova.out is the listing this run writes: rename "
         "the file or give another name"},
        {"XD parameter file", "FORMAT *xd\nINPUT x.mas kova.out\n",
         " ERROR *** ReadInp *** XD parameter file kova.out is the listing this run writes: "
         "rename the file or give another name"},
        {"databank file", "FORMAT *shelx\nINPUT cresol.res\nDATABANK kova.out\n",
         " ERROR *** ReadInp *** Databank file kova.out is the listing this run writes: rename "
         "the file or give another name"},
    };
    for (const Case& c : cases) {
        Workdir w(c.instructions);
        auto res = run_with(w);
        EXPECT_EQ(res.status, 1) << c.what;
        EXPECT_EQ(res.err, "") << c.what;
        auto term = test::lines_of(res.out);
        EXPECT_NE(std::find(term.begin(), term.end(), c.message), term.end())
            << c.what << "\n" << res.out;
        EXPECT_EQ(w.dir.read("kova.out"), earlier("kova.out")) << c.what;
        expect_earlier_files_kept(w, c.what);
    }
}

// At the databank prompt the listing is refused as a name that does not open, and the
// prompt asks again.
TEST(TrustedFiles, DatabankPromptRefusesTheListing) {
    Workdir w("FORMAT *shelx\nINPUT cresol.res\nDATABANK absent.db\nCHFRAG 0.\n");
    auto res = run_with(w, "kova.out\nkova_test.db\n");
    EXPECT_EQ(res.status, 0) << res.err;
    auto term = test::lines_of(res.out);
    auto at = std::find(term.begin(), term.end(),
                        " Error opening databank file kova.out" + std::string(52, ' '));
    ASSERT_NE(at, term.end()) << res.out;
    ASSERT_NE(at + 1, term.end());
    EXPECT_EQ(at[1], " kova.out is the listing this run writes");
    EXPECT_NE(w.dir.read("kova.out"), earlier("kova.out"));
    EXPECT_NE(w.dir.read("xd_kova.inp"), earlier("xd_kova.inp"));
}

}  // namespace
}  // namespace kova
