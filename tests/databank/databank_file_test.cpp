// Opening the databank file: the prompt for another name while the open fails; the keyword
// index of its records.
#include "databank/databank_file.hpp"

#include <gtest/gtest.h>

#include "shared/errors.hpp"
#include "shared/format.hpp"
#include "support.hpp"

namespace kova {
namespace {

struct Open : test::Workspace {
    Open(const std::string& name, const std::string& answers) {
        in.str(answers);
        r.options.databank_file = name;
        dir.write("good.db", "ATOM 1 H x\n");
    }
};

TEST(OpenDatabank, PromptsWhileTheFileCannotBeOpened) {
    // a bad name, an empty answer (the prompt again), a second bad name, a good one
    Open o("first.db", "\nsecond.db\ngood.db\n");
    Databank opened;
    ASSERT_NO_THROW(opened = open_databank(o.r.io, o.r));
    const std::string prompt = " Enter the name of databank file : ";
    // the name in its field of 60 columns, then why it does not open
    EXPECT_EQ(o.out.str(), "\n Error opening databank file " + pad("first.db", 60) +
                               ": no such file\n" + prompt + prompt +
                               "\n Error opening databank file " + pad("second.db", 60) +
                               ": no such file\n" + prompt);
    EXPECT_EQ(opened.file.name, "good.db");  // the name that opened, as answered
    // taken in whole when it opens, and its channel closed
    EXPECT_EQ(opened.file.size(), 1u);
    EXPECT_FALSE(o.r.io.is_open_in(Files::databank));
}

TEST(OpenDatabank, OpensAtOnceOrEndsAtTheEndOfInput) {
    Open good("good.db", "");
    ASSERT_NO_THROW(open_databank(good.r.io, good.r));
    EXPECT_EQ(good.out.str(), "");

    // no name at all (DATABANK without a path and no KOVA_DB), and a directory
    const std::pair<const char*, const char*> cases[] = {
        {"", ": the DATABANK line names no file and KOVA_DB names none"},
        {".", ": is a directory, not a file"}};
    for (const auto& [name, why] : cases) {
        Open o(name, "   \n");
        EXPECT_THROW(open_databank(o.r.io, o.r), RunFault) << name;
        EXPECT_EQ(o.out.str().rfind("\n Error opening databank file " + pad(name, 60) + why + "\n",
                                    0),
                  0u)
            << o.out.str();
    }
}

// The same loop in a whole run, where the DATABANK line gives the first name.
TEST(OpenDatabank, InARun) {
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
        std::string loop = "\n Error opening databank file " + pad("first.db", 60) +
                           ": no such file\n" + prompt + prompt +
                           "\n Error opening databank file " + pad("second.db", 60) +
                           ": no such file\n" + prompt;
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

// The keyword search goes by text word 1 of each record found when the file is taken in; it
// must be the word 1 that the record reader's split of the record gives. Records that try
// the rule: numbers before the word, "*", lower case, longer words, a word cut by the reading
// buffer, number-like words, comments.
TEST(DatabankFileKeys, WordOneAsTheRecordReaderSplitsIt) {
    const std::string long_tail(196, ' ');
    const std::vector<std::string> recs = {
        "NEIG 1 1 0 0", "  3 4 NEIG", "*NEIG", "neig x", "NEIGH 1", "1.5E NEIG", "1.5EE NEIG",
        "! NEIG comment", "PRNT 6 3 1", "+1 -2. 3E4 4d2 nan PRNT", "inf NaN(1) PVAL 1 1 1 1",
        "PVAL", " PVAL", "\tPVAL", long_tail + "NEIG", std::string(195, ' ') + "NEIG",
        std::string(194, ' ') + "NEIG x", long_tail + "1 PRNT", "1 2 3", "", "NEIG\tPRNT",
        "PVALX", "* PVAL", "** PVAL", "1,2 NEIG", "ATOM 6 C1 x", "PLMS 1 1 0.1",
    };
    std::string text;
    for (const auto& rec : recs) text += rec + "\n";
    Open o("keys.db", "");
    o.dir.write("keys.db", text);
    o.r.options.databank_file = "keys.db";
    Databank bank;
    ASSERT_NO_THROW(bank = open_databank(o.r.io, o.r));
    const DbFile& db = bank.file;
    DbSplitCache& splits = bank.splits;
    ASSERT_EQ(db.size(), recs.size());
    const std::pair<DbKey, const char*> keys[] = {
        {DbKey::neig, "NEIG"}, {DbKey::prnt, "PRNT"}, {DbKey::pval, "PVAL"}};
    for (const auto& [key, word] : keys) {
        for (std::size_t p = 0; p < recs.size(); ++p) {
            std::size_t want = p;
            while (want < recs.size() &&
                   (db.comment[want] || !same_text(splits.record(db, want).word(1), word)))
                ++want;
            if (want == recs.size()) continue;  // the search would stop the run
            DbReader reader(db, splits);
            reader.pos = p;
            const DbRecord& got = find_record(o.r.io, Files::listing, reader, key);
            EXPECT_EQ(got.recno, static_cast<int>(want) + 1) << word << " from record " << p + 1;
        }
    }
}

}  // namespace
}  // namespace kova
