// The run summary for each option, and the run-time line.
#include "output/run_summary.hpp"

#include <gtest/gtest.h>

#include "writer_fixture.hpp"

namespace kova {
namespace {

TEST(RunSummary, LinesPerOption) {
    struct Case {
        bool databank, extend_h, to_xd;
    } cases[] = {{false, false, false}, {true, false, false}, {false, true, false},
                 {false, false, true},  {true, true, false}};
    for (const auto& c : cases) {
        test::Writer w;
        test::RunRecords& r = w.r;
        r.options.databank = c.databank;
        r.options.extend_h = c.extend_h;
        r.options.to_xd = c.to_xd;
        r.io.create(Files::listing, "kova.out");
        write_run_summary(r.io, r);
        std::vector<std::string> want = {"",
                                         " XD instructions are in file            : xd_kova.mas"};
        if (c.databank || c.extend_h || c.to_xd)
            want.push_back(" XD parameters are in file              : xd_kova.inp");
        if (c.extend_h) {
            want.push_back(" Atomic coordinates w/extended H-atoms  : fixedH.ins");
            want.push_back(" RESET BOND instructions for H-atoms    : reset.bond");
            want.push_back(" CONSTRAINT instructions for H-atoms    : const.bond");
        }
        for (const char* l :
             {" Cartesian coordinates in PLATON format : kova.ang",
              " Reduced structure in PLATON format     : reduced.ang & reduced_1.ang",
              " PLATON plot file with local axes       : kova.spf",
              " Program log file                       : kova.out", "",
              " Local axes can be visualized in PLATON using command : platon -p kova.spf"})
            want.push_back(l);
        if (c.databank) want.push_back(" Summary of DB atom types : grep 'DB comment' kova.out");
        if (c.extend_h) want.push_back(" Summary of X-H distances : grep -i 'x-h' kova.out");
        want.push_back(" Summary of exceptions    : grep -i 'Exception identified' kova.out");
        const std::string flags =
            std::to_string(c.databank) + std::to_string(c.extend_h) + std::to_string(c.to_xd);
        EXPECT_EQ(w.terminal(), want) << flags;
        want.insert(want.begin(), {"", std::string(80, '-')});
        EXPECT_EQ(w.file(Files::listing, "kova.out"), want) << flags;
    }
}

TEST(RunSummary, RunTime) {
    test::Writer w;
    test::RunRecords& r = w.r;
    r.io.create(Files::listing, "kova.out");
    write_run_time(r.io, CpuTimes{12.34, 0.06});
    const std::string line =
        " Total program elapsed times u,s,t (s) :         12.3          0.1         12.4";
    EXPECT_EQ(w.terminal(), (std::vector<std::string>{"", line, ""}));
    EXPECT_EQ(w.file(Files::listing, "kova.out"),
              (std::vector<std::string>{"", line, "", std::string(80, '-'), ""}));
}

}  // namespace
}  // namespace kova
