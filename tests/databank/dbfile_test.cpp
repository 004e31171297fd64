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
    EXPECT_EQ(o.out.str(), "\n Error opening databank file " + pad("first.db", 60) + "\n" + prompt + prompt +
                               "\n Error opening databank file " + pad("second.db", 60) + "\n" + prompt);
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
        EXPECT_EQ(o.out.str().rfind("\n Error opening databank file " + pad(name, 60) + "\n", 0), 0u);
    }
}

}  // namespace
}  // namespace kova
