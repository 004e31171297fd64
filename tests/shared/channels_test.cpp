// Channels: the records of an input file, and a file that a run rewrites many times.
#include "shared/channels.hpp"

#include <gtest/gtest.h>

#include "shared/errors.hpp"
#include "support.hpp"

namespace kova {
namespace {

// Records end at line feeds; a CR right before a line feed or right before the end of a text
// without a last line feed is dropped, any other CR kept; a last line without a line feed is
// a record, an empty text has none.
TEST(InFile, RecordsOfTheText) {
    const struct {
        const char* text;
        std::vector<std::string> records;
    } cases[] = {
        {"", {}},
        {"\n", {""}},
        {"a\nb\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\r\n\r\nb\r", {"a", "", "b"}},
        {"\r\n", {""}},
        {"\r", {""}},
        {"a\nb\r\r", {"a", "b\r"}},
        {"END\r", {"END"}},
        {"x\ry\n\n\n", {"x\ry", "", ""}},
    };
    for (const auto& c : cases) {
        InFile f("t", c.text);
        ASSERT_EQ(f.size(), c.records.size()) << c.text;
        std::vector<std::string> got;
        std::string rec = "untouched";
        while (f.read(rec)) got.push_back(rec);
        EXPECT_EQ(got, c.records) << c.text;
        EXPECT_EQ(rec, c.records.empty() ? "untouched" : c.records.back());
        EXPECT_TRUE(f.at_end());
        f.backspace();
        if (!c.records.empty()) {
            ASSERT_TRUE(f.read(rec));
            EXPECT_EQ(rec, c.records.back());
            EXPECT_EQ(f.recno(), static_cast<int>(c.records.size()));
        }
    }
}

// A fixed block goes out record by record, empty records and a record built at the call
// included, after what was written before it and in the order given.
TEST(Io, WriteLinesKeepsOrderAndEmptyRecords) {
    test::TempDir dir;
    {
        Io io;
        io.bind(dir.path(), nullptr, nullptr, nullptr);
        io.create(3, "block.out");
        io.write(3, "head");
        const std::string built = "W " + std::to_string(12);
        io.write_lines(3, {"", "!", built, "STOP "});
        io.write_lines(3, {});
    }
    EXPECT_EQ(dir.read("block.out"), "head\n\n!\nW 12\nSTOP \n");
}

}  // namespace
}  // namespace kova
