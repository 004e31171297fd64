// The main sequence: the road of a run, each stage once and in a fixed order. The ends of a
// run (err, the stops with their own message, unguarded run-time errors) arrive here as
// exceptions, so that every open file is flushed and closed and a status is returned.
#include "main/run.hpp"

#include <algorithm>
#include <istream>
#include <memory>
#include <ostream>

#include "databank/dbfile.hpp"
#include "frames/localdef.hpp"
#include "input/cartesian_readers.hpp"
#include "input/instructions.hpp"
#include "input/labels.hpp"
#include "input/shelx_reader.hpp"
#include "input/xd_reader.hpp"
#include "main/messages.hpp"
#include "output/mopro_files.hpp"
#include "output/output_section.hpp"
#include "output/plot_file.hpp"
#include "output/run_summary.hpp"
#include "shared/cputime.hpp"
#include "shared/errors.hpp"
#include "shared/format.hpp"
#include "shared/records.hpp"
#include "topology/molecules.hpp"
#include "topology/neighbours.hpp"
#include "topology/rings.hpp"

namespace kova {

namespace {

void road(Records& r) {
    CpuClock runclock;  // the run-time line covers the whole run

    // 2. channel numbers, then the defaults
    r.files.ixdmas = 58;
    r.files.iout = 35;
    r.files.ixdinp = 48;
    r.files.idbank = 47;
    r.files.imocon = 443;
    r.xhbonds.iureset = 43;
    r.xhbonds.iuconst = 42;
    r.xhbonds.iures = 445;
    r.iplat.iplat = 46;
    init(r);
    header(r, terminal);

    // 5. the files every run creates
    r.io.create(r.files.ixdmas, "xd_kova.mas");
    r.io.create(imopar, "mopro_kova.par");
    wrmoprohead(r);
    r.io.create(r.files.imocon, "con_mopro.inp");
    wrmoconstart(r);
    r.io.create(r.files.iout, "kova.out");
    header(r, r.files.iout);

    // 6. the instruction file
    readinp(r);

    // 7. the structure reader of FORMAT
    switch (r.ftype.iformat) {
        case 1: readshelx(r, trim(r.args.fname[1])); break;
        case 2: readxd(r, r.args.fname[1]); break;
        case 3: readaim2tab(r, trim(r.args.fname[1])); break;
        case 5: readplaton(r, trim(r.args.fname[1])); break;
        default: break;
    }
    check_unique_labels(r);  // XD and MoPro name atoms by label

    // 8. number of scattering tables
    r.nsft.nsft = 1;
    for (int i = 1; i <= r.atoms.nat; ++i) r.nsft.nsft = std::max(r.nsft.nsft, r.atoms1.itbl[i]);

    // 9. the plot file
    r.io.create(r.iplat.iplat, "kova.spf");
    wrspftitle(r);

    // 10. the databank file, asking for another name while it cannot be opened
    if (r.ldb.ldb) opendb(r);

    // 11. the working list: molecules completed for crystal input with NCELLS
    if (r.ifra.ifra == 1 && r.compfrag.ncells >= 0)
        gencompletefrags(r);
    else
        r.cryst.ncryst = r.atoms.nat;

    // 12. RINGS: the reduced connectivity table and the ring search, timed
    if (r.args.lrings) {
        CpuClock ringclock;
        connect4rings(r);
        findrings(r);
        const CpuTimes t = ringclock.lap();
        const float u = static_cast<float>(t.user), sy = static_cast<float>(t.sys);
        const std::string line = " Timing for ring search u,s,t (s) :" + fx(1) + ff(u, 12, 1) +
                                 fx(1) + ff(sy, 12, 1) + fx(1) + ff(u + sy, 12, 1);
        for (int ch : {r.files.iout, terminal}) {
            r.io.write(ch, "");
            r.io.write(ch, line);
        }
    }

    // 13. Extend_H: the restraint files
    if (r.lfh.lfh) {
        r.io.create(r.xhbonds.iureset, "reset.bond");
        r.io.create(r.xhbonds.iuconst, "const.bond");
        r.io.create(r.xhbonds.iures, "res_mopro.inp");
        wrresmohead(r);
    }

    // 14. the neighbour tables of the working list
    findallneighbors(r);

    // 15. the frame analysis of the atoms read
    localdef(r);

    // 16. Extend_H: the hydrogen ADP restraints, then the restraint files are complete
    if (r.lfh.lfh) {
        wrresmouratio(r);
        r.io.close(r.xhbonds.iureset);
        r.io.close(r.xhbonds.iuconst);
        wrresmoend(r);
        r.io.close(r.xhbonds.iures);
    }

    // 17. the output section
    if (has_output_section(r)) outputsection(r);

    // 18. the plot-file trailer
    wrspftrailer(r);

    // 19. summary and closing of the run
    wrsummary(r);
    r.io.close(r.files.ixdmas);
    if (r.ldb.ldb) r.io.close(r.files.idbank);
    wrruntime(r, runclock.lap());
    r.io.close(r.files.iout);
}

}  // namespace

int run(const std::filesystem::path& dir, const std::vector<std::string>& args, std::istream& in,
        std::ostream& out, std::ostream& errs) {
    auto r = std::make_unique<Records>();
    r->io.bind(dir, &in, &out, &errs);
    int status = 0;
    try {
        if (!args.empty()) {
            // 1. any argument: the banner, and for "-h" the sample instruction file
            header(*r, terminal);
            std::string a = args[0].substr(0, 20);
            if (a.size() >= 2 && a[0] == '-' && a[1] == 'h') printhelp(*r, terminal);
        } else {
            road(*r);
        }
    } catch (const RunStop& s) {
        status = s.status;
    } catch (const RunFault& f) {
        errs << "kova: " << f.what() << '\n';
        status = 2;
    }
    try {
        r->io.close_all();
    } catch (const RunFault& f) {
        errs << "kova: " << f.what() << '\n';
        status = 2;
    }
    out.flush();
    return status;
}

}  // namespace kova
