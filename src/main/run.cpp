// The main sequence: the road of a run, each stage once and in a fixed order. The ends of a
// run (fatal_error, the stops with their own message, unguarded run-time errors) arrive here as
// exceptions, so that every open file is flushed and closed and a status is returned.
#include "main/run.hpp"

#include <algorithm>
#include <istream>
#include <memory>
#include <ostream>

#include "databank/databank_file.hpp"
#include "frames/frame_driver.hpp"
#include "input/cartesian_readers.hpp"
#include "input/instructions.hpp"
#include "input/labels.hpp"
#include "input/shelx_reader.hpp"
#include "input/xd_reader.hpp"
#include "main/messages.hpp"
#include "output/complete_ang.hpp"
#include "output/group_ang.hpp"
#include "output/kova_ang.hpp"
#include "output/mopro_files.hpp"
#include "output/output_section.hpp"
#include "output/plot_file.hpp"
#include "output/reduced_ang.hpp"
#include "output/run_summary.hpp"
#include "output/xd_master_file.hpp"
#include "output/xd_master_head.hpp"
#include "output/xh_bond_files.hpp"
#include "shared/cpu_time.hpp"
#include "shared/errors.hpp"
#include "shared/format.hpp"
#include "shared/records.hpp"
#include "topology/molecules.hpp"
#include "topology/neighbours.hpp"
#include "topology/rings.hpp"

namespace kova {

namespace {

// The frame analysis, then what it gives each file, in the file's order: the tables of
// xd_kova.mas, kova.ang, the frame pictures of kova.spf, the SYMPLM lines of con_mopro.inp,
// the X-H bond records and group.ang. kova.ang is made and the head of an old master file
// copied first, so that a file that cannot be made or read stops the run before any atom is
// framed.
void frame_analysis(Records& r) {
    r.io.create(kova_ang_channel, "kova.ang");
    if (r.options.input_format == InputFormat::xd) copy_old_master_head(r.io, r);
    frame_all_atoms(r.io, r);
    write_xd_master_tables(r.io, r);
    write_kova_ang(r.io, r);
    write_plot_frames(r.io, r);
    write_mopro_symmetry_lines(r.io, r);
    if (r.options.extend_h) {
        write_xh_bond_files(r.io, r);
        write_mopro_distance_lines(r.io, r);
    }
    write_group_ang(r.io, r);
}

void road(Records& r) {
    CpuClock runclock;  // the run-time line covers the whole run

    // 2. channel numbers, then the defaults
    r.files.xd_master = 58;
    r.files.listing = 35;
    r.files.xd_parameters = 48;
    r.files.databank = 47;
    r.files.mopro_constraints = 443;
    r.files.reset_bonds = 43;
    r.files.const_bonds = 42;
    r.files.mopro_residues = 445;
    r.files.plot = 46;
    set_defaults(r);
    write_banner(r.io, r, terminal);

    // 5. the files every run creates; the listing first, so that it can tell of a file that
    // cannot be created
    r.io.create_listing(r.files.listing, "kova.out");
    write_banner(r.io, r, r.files.listing);
    r.io.create(r.files.xd_master, "xd_kova.mas");
    r.io.create(mopro_parameters_channel, "mopro_kova.par");
    write_mopro_head(r.io, r);
    r.io.create(r.files.mopro_constraints, "con_mopro.inp");
    write_mopro_constraints_start(r.io, r);

    // 6. the instruction file; it refuses a structure or databank file that is the listing,
    // whose file is opened only after it
    read_instructions(r.io, r.files.listing, r.options, r.elements);
    r.io.open_listing(r.files.listing);

    // 7. the structure reader of FORMAT; for SHELX input the heads of xd_kova.mas and
    // mopro_kova.par follow from what it read
    const std::string& structure_file = r.options.structure_file;
    switch (r.options.input_format) {
        case InputFormat::shelx:
            read_shelx(r.io, r, structure_file);
            write_xd_master_head(r.io, r);
            write_mopro_cell_and_symmetry(r.io, r.structure.shelx_head);
            break;
        case InputFormat::xd:
            read_xd(r.io, r, r.options.xd_master_file, structure_file);
            break;
        case InputFormat::aim2tab: read_aim2tab(r.io, r, structure_file); break;
        case InputFormat::platon: read_platon(r.io, r, structure_file); break;
        case InputFormat::none: break;
    }
    check_unique_labels(r.io, r);  // XD and MoPro name atoms by label

    // 8. number of scattering tables
    r.structure.table_count = 1;
    for (int i = 1; i <= r.structure.atom_count; ++i)
        r.structure.table_count =
            std::max(r.structure.table_count, r.structure.scattering_table[i]);

    // 9. the plot file
    r.io.create(r.files.plot, "kova.spf");
    write_plot_title(r.io, r);

    // 10. the databank file, asking for another name while it cannot be opened
    if (r.options.databank) open_databank(r.io, r);

    // 11. the working list: molecules completed for crystal input with NCELLS
    if (r.options.crystal_input && r.options.ncells >= 0) {
        complete_molecules(r.io, r);
        write_complete_ang(r.io, r.structure, r.topology);
    } else {
        r.topology.list_size = r.structure.atom_count;
    }

    // 12. RINGS: the reduced connectivity table and the ring search, timed
    if (r.options.search_rings) {
        CpuClock ringclock;
        r.topology.reduced = reduce_connectivity(r.io, r);
        write_reduced_ang(r.io, r);  // before the ring search reorders the table
        find_rings(r.io, r);
        const CpuTimes t = ringclock.lap();
        const float u = static_cast<float>(t.user), sy = static_cast<float>(t.sys);
        const std::string line = " Timing for ring search u,s,t (s) :" + fx(1) + ff(u, 12, 1) +
                                 fx(1) + ff(sy, 12, 1) + fx(1) + ff(u + sy, 12, 1);
        for (int ch : {r.files.listing, terminal}) {
            r.io.write(ch, "");
            r.io.write(ch, line);
        }
    }

    // 13. Extend_H: the restraint files
    if (r.options.extend_h) {
        r.io.create(r.files.reset_bonds, "reset.bond");
        r.io.create(r.files.const_bonds, "const.bond");
        r.io.create(r.files.mopro_residues, "res_mopro.inp");
        write_mopro_restraints_head(r.io, r);
    }

    // 14. the neighbour tables of the working list
    find_all_neighbours(r.io, r);

    // 15. the frame analysis of the atoms read, and the files it gives
    frame_analysis(r);

    // 16. Extend_H: the hydrogen ADP restraints, then the restraint files are complete
    if (r.options.extend_h) {
        write_mopro_uratio_block(r.io, r);
        r.io.close(r.files.reset_bonds);
        r.io.close(r.files.const_bonds);
        write_mopro_restraints_end(r.io, r);
        r.io.close(r.files.mopro_residues);
    }

    // 17. the output section
    if (has_output_section(r)) write_output_section(r.io, r);

    // 18. the plot-file trailer
    write_plot_trailer(r.io, r);

    // 19. summary and closing of the run
    write_run_summary(r.io, r);
    r.io.close(r.files.xd_master);
    if (r.options.databank) r.io.close(r.files.databank);
    write_run_time(r.io, r, runclock.lap());
    // The run has finished: its files replace those of earlier runs.
    r.io.replace_outputs();
    r.io.close(r.files.listing);
}

}  // namespace

int run(const std::filesystem::path& dir, const std::vector<std::string>& args, std::istream& in,
        std::ostream& out, std::ostream& errs, const std::optional<InjectedFailure>& failure) {
    auto r = std::make_unique<Records>();
    r->io.bind(dir, &in, &out, &errs, OutputMode::replace_at_end);
    if (failure) r->io.inject_failure(*failure);
    int status = 0;
    std::string fault_line;
    try {
        if (!args.empty()) {
            // 1. any argument: the banner, and for "-h" the sample instruction file
            write_banner(r->io, *r, terminal);
            std::string a = args[0].substr(0, 20);
            if (a.size() >= 2 && a[0] == '-' && a[1] == 'h')
                write_sample_instructions(r->io, *r, terminal);
        } else {
            road(*r);
        }
    } catch (const RunStop& s) {
        status = s.status;
        if (r->io.is_open_out(r->files.listing))
            for (const std::string& line : s.listing_lines) r->io.write(r->files.listing, line);
    } catch (const RunFault& f) {
        status = 2;
        fault_line = std::string("kova: ") + f.what();
    }
    // A run that did not finish leaves the files of earlier runs as they were.
    if (status != 0) r->io.drop_outputs();
    if (!fault_line.empty()) {
        errs << fault_line << '\n';
        if (r->io.is_open_out(r->files.listing)) r->io.write(r->files.listing, fault_line);
    }
    try {
        r->io.close_all();
    } catch (const RunFault& f) {
        // The listing could not be written; a fault already reported is not reported twice.
        if (fault_line.empty()) errs << "kova: " << f.what() << '\n';
        status = 2;
    }
    out.flush();
    return status;
}

}  // namespace kova
