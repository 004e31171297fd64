// Summary lines go to the terminal first and then to the listing, except the first, which the
// listing gets first.
#include "output/run_summary.hpp"

#include <string>

#include "output/output_section.hpp"
#include "shared/format.hpp"

namespace kova {

void write_run_summary(Io& io, const Records& r) {
    const int listing = Files::listing;
    io.write(listing, "");
    io.write(listing, std::string(80, '-'));
    for (int ch : {listing, terminal}) {
        io.write(ch, "");
        io.write(ch, " XD instructions are in file            : xd_kova.mas");
    }
    if (has_output_section(r))
        io.write_to({terminal, Files::listing},
                    " XD parameters are in file              : xd_kova.inp");
    if (r.options.extend_h) {
        io.write_to({terminal, Files::listing},
                    " Atomic coordinates w/extended H-atoms  : fixedH.ins");
        io.write_to({terminal, Files::listing},
                    " RESET BOND instructions for H-atoms    : reset.bond");
        io.write_to({terminal, Files::listing},
                    " CONSTRAINT instructions for H-atoms    : const.bond");
    }
    io.write_to({terminal, Files::listing}, " Cartesian coordinates in PLATON format : kova.ang");
    io.write_to({terminal, Files::listing},
                " Reduced structure in PLATON format     : reduced.ang & reduced_1.ang");
    io.write_to({terminal, Files::listing}, " PLATON plot file with local axes       : kova.spf");
    io.write_to({terminal, Files::listing}, " Program log file                       : kova.out");
    io.write_to({terminal, Files::listing}, "");
    io.write_to({terminal, Files::listing},
                " Local axes can be visualized in PLATON using command : platon -p kova.spf");
    if (r.options.databank)
        io.write_to({terminal, Files::listing},
                    " Summary of DB atom types : grep 'DB comment' kova.out");
    if (r.options.extend_h)
        io.write_to({terminal, Files::listing},
                    " Summary of X-H distances : grep -i 'x-h' kova.out");
    io.write_to({terminal, Files::listing},
                " Summary of exceptions    : grep -i 'Exception identified' kova.out");
}

void write_run_time(Io& io, const CpuTimes& run) {
    const float u = static_cast<float>(run.user);
    const float s = static_cast<float>(run.sys);
    const std::string line = " Total program elapsed times u,s,t (s) :" + fx(1) + ff(u, 12, 1) +
                             fx(1) + ff(s, 12, 1) + fx(1) + ff(u + s, 12, 1);
    for (int ch : {Files::listing, terminal}) {
        io.write(ch, "");
        io.write(ch, line);
        io.write(ch, "");
    }
    io.write(Files::listing, std::string(80, '-'));
    io.write(Files::listing, "");
}

}  // namespace kova
