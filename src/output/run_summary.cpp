// Summary lines go to the terminal first and then to the listing, except the first, which the
// listing gets first.
#include "output/run_summary.hpp"

#include <string>

#include "output/output_section.hpp"
#include "shared/format.hpp"

namespace kova {

namespace {

void write_terminal_and_listing(Io& io, const Records& r, const std::string& line) {
    io.write(terminal, line);
    io.write(r.files.listing, line);
}

}  // namespace

void write_run_summary(Io& io, const Records& r) {
    const int listing = r.files.listing;
    io.write(listing, "");
    io.write(listing, std::string(80, '-'));
    for (int ch : {listing, terminal}) {
        io.write(ch, "");
        io.write(ch, " XD instructions are in file            : xd_kova.mas");
    }
    if (has_output_section(r))
        write_terminal_and_listing(io, r, " XD parameters are in file              : xd_kova.inp");
    if (r.options.extend_h) {
        write_terminal_and_listing(io, r, " Atomic coordinates w/extended H-atoms  : fixedH.ins");
        write_terminal_and_listing(io, r, " RESET BOND instructions for H-atoms    : reset.bond");
        write_terminal_and_listing(io, r, " CONSTRAINT instructions for H-atoms    : const.bond");
    }
    write_terminal_and_listing(io, r, " Cartesian coordinates in PLATON format : kova.ang");
    write_terminal_and_listing(
        io, r, " Reduced structure in PLATON format     : reduced.ang & reduced_1.ang");
    write_terminal_and_listing(io, r, " PLATON plot file with local axes       : kova.spf");
    write_terminal_and_listing(io, r, " Program log file                       : kova.out");
    write_terminal_and_listing(io, r, "");
    write_terminal_and_listing(
        io, r, " Local axes can be visualized in PLATON using command : platon -p kova.spf");
    if (r.options.databank)
        write_terminal_and_listing(io, r, " Summary of DB atom types : grep 'DB comment' kova.out");
    if (r.options.extend_h)
        write_terminal_and_listing(io, r, " Summary of X-H distances : grep -i 'x-h' kova.out");
    write_terminal_and_listing(
        io, r, " Summary of exceptions    : grep -i 'Exception identified' kova.out");
}

void write_run_time(Io& io, const Records& r, const CpuTimes& run) {
    const float u = static_cast<float>(run.user);
    const float s = static_cast<float>(run.sys);
    const std::string line = " Total program elapsed times u,s,t (s) :" + fx(1) + ff(u, 12, 1) +
                             fx(1) + ff(s, 12, 1) + fx(1) + ff(u + s, 12, 1);
    for (int ch : {r.files.listing, terminal}) {
        io.write(ch, "");
        io.write(ch, line);
        io.write(ch, "");
    }
    io.write(r.files.listing, std::string(80, '-'));
    io.write(r.files.listing, "");
}

}  // namespace kova
