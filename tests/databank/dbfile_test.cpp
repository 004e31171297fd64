// Opening the databank file: the prompt for another name while the open fails.
#include "databank/dbfile.hpp"

#include <gtest/gtest.h>

#include "shared/errors.hpp"
#include "shared/format.hpp"
#include "support.hpp"

namespace kova {
namespace {

struct Open {
    test::TempDir dir;
    std::istringstream in;
    std::ostringstream out, errs;
    Records r;

    Open(const std::string& name, const std::string& answers) {
        in.str(answers);
        r.io.bind(dir.path(), &in, &out, &errs);
        r.files.idbank = 47;
        r.abank.dbfile = pad(name, 60);
        dir.write("good.db", "ATOM 1 H x\n");
    }
};

TEST(OpenDb, PromptsWhileTheFileCannotBeOpened) {
    // a bad name, an empty answer (the prompt again), a second bad name, a good one
    Open o("first.db", "\nsecond.db\ngood.db\n");
    ASSERT_NO_THROW(opendb(o.r));
    const std::string prompt = " Enter the name of databank file : ";
    EXPECT_EQ(o.out.str(), "\n Error opening databank file " + pad("first.db", 60) + "\n" + prompt +
                               prompt + "\n Error opening databank file " + pad("second.db", 60) +
                               "\n" + prompt);
    EXPECT_EQ(o.r.abank.dbfile, pad("good.db", 60));
    EXPECT_TRUE(o.r.io.is_open_in(47));
    EXPECT_EQ(o.r.io.in(47).records().size(), 1u);
}

TEST(OpenDb, OpensAtOnceOrEndsAtTheEndOfInput) {
    Open good("good.db", "");
    ASSERT_NO_THROW(opendb(good.r));
    EXPECT_EQ(good.out.str(), "");

    // no name at all (DATABANK without a path and no KOVA_DB), and a directory
    for (const char* name : {"", "."}) {
        Open o(name, "   \n");
        EXPECT_THROW(opendb(o.r), RunFault) << name;
        EXPECT_EQ(o.out.str().rfind("\n Error opening databank file " + pad(name, 60) + "\n", 0),
                  0u);
    }
}

// The same loop in a whole run, where the DATABANK line gives the first name.
TEST(OpenDb, InARun) {
    const std::string prompt = " Enter the name of databank file : ";
    for (bool eof : {false, true}) {
        test::TempDir dir;
        std::filesystem::copy_file(std::string(KOVA_TEST_DATA) + "/aim2tab/water_like.out",
                                   dir / "water_like.out");
        std::filesystem::copy_file(std::string(KOVA_TEST_DATA) + "/databank/kova_test.db",
                                   dir / "good.db");
        dir.write("kova.inp",
                  "FORMAT *aim2tab\nINPUT water_like.out\nDATABANK first.db\nCHFRAG 0\n");
        auto res = test::run_in(dir, {}, eof ? "\nsecond.db\n" : "\nsecond.db\ngood.db\n");
        std::string loop = "\n Error opening databank file " + pad("first.db", 60) + "\n" + prompt +
                           prompt + "\n Error opening databank file " + pad("second.db", 60) +
                           "\n" + prompt;
        EXPECT_NE(res.out.find(loop), std::string::npos) << res.out;
        if (eof) {
            EXPECT_EQ(res.status, 2);
            EXPECT_EQ(
                res.err,
                "kova: standard input: end of input at the prompt for the databank file name\n");
        } else {
            EXPECT_EQ(res.status, 0) << res.err;
            EXPECT_EQ(res.out.find("Error opening databank file good.db"), std::string::npos);
            // the prompt goes to the terminal only
            EXPECT_EQ(dir.read("kova.out").find("Enter the name"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace kova
