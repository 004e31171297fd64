// The main sequence: the road of a run, each stage once and in a fixed order. The ends of a
// run (fatal_error, the stops with their own message, unguarded run-time errors) arrive here as
// exceptions: the listing is ended with the reason, the files the run was writing are dropped
// and a status is returned.
#include "main/run.hpp"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>

#include "databank/databank_file.hpp"
#include "databank/rescale.hpp"
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
#include "shared/directory_lock.hpp"
#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/records.hpp"
#include "shared/signals.hpp"
#include "topology/molecules.hpp"
#include "topology/neighbours.hpp"
#include "topology/rings.hpp"

namespace kova {

namespace {

// Every file a run may replace (the listing is written as the run goes).
const std::vector<std::string> output_names = {
    "xd_kova.mas", "mopro_kova.par", "con_mopro.inp", "kova.spf",   "kova.ang",
    "group.ang",   "complete.ang",   "reduced.ang",   "reduced_1.ang", "reset.bond",
    "const.bond",  "res_mopro.inp",  "xd_kova.inp",   "fixedH.ins"};

// The files the options make sure a run writes, besides the three made before kova.inp is
// read. group.ang and complete.ang depend on the structure and are checked when made.
std::vector<std::string> planned_outputs(const Options& o) {
    std::vector<std::string> v = {"kova.spf", "kova.ang"};
    if (o.search_rings) v.insert(v.end(), {"reduced.ang", "reduced_1.ang"});
    if (o.extend_h) v.insert(v.end(), {"reset.bond", "const.bond", "res_mopro.inp"});
    if (o.databank || o.extend_h || o.to_xd) v.push_back("xd_kova.inp");
    if (o.extend_h && !o.to_xd) v.push_back("fixedH.ins");
    return v;
}

std::string joined(const std::vector<std::string>& names) {
    std::string s;
    for (const std::string& n : names) s += (s.empty() ? "" : ", ") + n;
    return s;
}

// What the listing and the terminal say first, after the banner: a working directory that
// gives no lock, and what a killed run left behind.
void report_start(Io& io, const DirectoryLock& lock, const Leftovers& left) {
    const int listing = Files::listing;
    if (lock.state() == DirectoryLock::State::unsupported)
        io.write(listing, " No lock on the working directory (" + lock.reason() +
                              "): a second kova run started in it now would mix its files "
                              "with this run's");
    std::vector<std::string> lines;
    if (!left.removed.empty())
        lines.push_back(" Removed what a killed kova run left: " + joined(left.removed));
    if (!left.restored.empty())
        lines.push_back(" Put back the earlier " + joined(left.restored) +
                        ", which the killed run had moved aside");
    if (!left.replaced.empty() && !left.pending.empty())
        lines.push_back(" That run was killed while it replaced its files: " +
                        joined(left.replaced) + (left.replaced.size() == 1 ? " is" : " are") +
                        " its own, " + joined(left.pending) +
                        (left.pending.size() == 1 ? " is" : " are") + " an earlier run's");
    for (const std::string& line : lines) io.write_to({listing, terminal}, line);
}

// The files every run writes, created before anything is read: the listing first, so that it
// can tell of a file that cannot be created (its file is opened once the instructions are
// read) and of what the run found at its start, then the XD master file and the two MoPro
// files with their first lines.
void open_run_files(Io& io, const DirectoryLock& lock, const Leftovers& left) {
    io.create_listing(Files::listing, "kova.out");
    write_banner(io, Files::listing);
    report_start(io, lock, left);
    io.create(Files::xd_master, "xd_kova.mas");
    io.create(Files::mopro_parameters, "mopro_kova.par");
    write_mopro_head(io);
    io.create(Files::mopro_constraints, "con_mopro.inp");
    write_mopro_constraints_start(io);
}

// The instruction file. It refuses a structure or databank file that is the listing, whose
// file is therefore opened only after it.
void read_the_instructions(Io& io, Records& r) {
    read_instructions(io, Files::listing, r.options, r.elements);
    // A protected earlier output stops the run before anything is computed or listed.
    for (const std::string& name : planned_outputs(r.options)) io.check_replaceable(name);
    io.open_listing(Files::listing);
}

// The number of scattering tables: the largest table of the atoms read, at least 1.
int scattering_table_count(const Structure& s) {
    int count = 1;
    for (int i = 1; i <= s.atom_count; ++i) count = std::max(count, s.scattering_table[i]);
    return count;
}

// The structure reader FORMAT chose; for SHELX input the heads of xd_kova.mas and
// mopro_kova.par follow from what it read. XD and MoPro name atoms by label, so no two may
// share one.
void read_structure(Io& io, Records& r) {
    const std::string& structure_file = r.options.structure_file;
    switch (r.options.input_format) {
        case InputFormat::shelx:
            read_shelx(io, r, structure_file);
            write_xd_master_head(io, r);
            write_mopro_cell_and_symmetry(io, r.structure.shelx_head);
            break;
        case InputFormat::xd:
            read_xd(io, r, r.options.xd_master_file, structure_file);
            break;
        case InputFormat::aim2tab: read_aim2tab(io, r, structure_file); break;
        case InputFormat::platon: read_platon(io, r, structure_file); break;
        case InputFormat::none: break;
    }
    check_unique_labels(io, r);
    r.structure.table_count = scattering_table_count(r.structure);
}

void open_plot_file(Io& io) {
    io.create(Files::plot, "kova.spf");
    write_plot_title(io);
}

// The working list: for crystal input with NCELLS the atoms read and the images that complete
// their molecules (complete.ang when there are any), otherwise the atoms read.
void make_working_list(Io& io, Records& r) {
    if (r.options.crystal_input && r.options.ncells >= 0) {
        complete_molecules(io, r);
        if (has_complete_ang(r.structure, r.topology)) {
            io.create(Files::complete_ang, "complete.ang");
            write_complete_ang(io, r.structure, r.topology);
            io.close(Files::complete_ang);
        }
    } else {
        r.topology.list_size = r.structure.atom_count;
    }
}

// RINGS: the reduced connectivity table, its pictures (before the ring search reorders the
// table) and the ring search, with the time they took.
void search_rings(Io& io, Records& r) {
    CpuClock clock;
    r.topology.reduced = reduce_connectivity(io, r);
    io.create(Files::reduced_ang, "reduced.ang");
    io.create(Files::reduced_1_ang, "reduced_1.ang");
    write_reduced_ang(io, r);
    io.close(Files::reduced_ang);
    io.close(Files::reduced_1_ang);
    find_rings(io, r);
    const CpuTimes t = clock.lap();
    const float user = static_cast<float>(t.user), sys = static_cast<float>(t.sys);
    const std::string line = " Timing for ring search u,s,t (s) :" + fx(1) + ff(user, 12, 1) +
                             fx(1) + ff(sys, 12, 1) + fx(1) + ff(user + sys, 12, 1);
    io.write_to({Files::listing, terminal}, "");
    io.write_to({Files::listing, terminal}, line);
}

// Extend_H: the restraint files, res_mopro.inp with its head lines.
void open_restraint_files(Io& io) {
    io.create(Files::reset_bonds, "reset.bond");
    io.create(Files::const_bonds, "const.bond");
    io.create(Files::mopro_residues, "res_mopro.inp");
    write_mopro_restraints_head(io);
}

// The frame analysis, then what it gives each file, in the file's order: the tables of
// xd_kova.mas, kova.ang, the frame pictures of kova.spf, the SYMPLM lines of con_mopro.inp,
// the X-H bond records and group.ang. kova.ang is made and the head of an old master file
// copied first, so that a file that cannot be made, or an old master file too short for the
// copy, stops the run before any atom is framed.
void frame_analysis(Io& io, Records& r, Databank* databank) {
    io.create(Files::kova_ang, "kova.ang");
    if (r.options.input_format == InputFormat::xd) copy_old_master_head(io, r);
    frame_all_atoms(io, r, databank);
    write_xd_master_tables(io, r);
    write_kova_ang(io, r);
    io.close(Files::kova_ang);
    write_plot_frames(io, r);
    write_mopro_symmetry_lines(io, r);
    if (r.options.extend_h) {
        write_xh_bond_files(io, r);
        write_mopro_distance_lines(io, r);
    }
    if (has_group_ang(r)) {
        io.create(Files::group_ang, "group.ang");
        write_group_ang(io, r);
        io.close(Files::group_ang);
    }
}

// Extend_H: the hydrogen ADP restraints and the end lines; the restraint files are complete.
void close_restraint_files(Io& io, const Records& r) {
    write_mopro_uratio_block(io, r);
    io.close(Files::reset_bonds);
    io.close(Files::const_bonds);
    write_mopro_restraints_end(io);
    io.close(Files::mopro_residues);
}

// The output section's start: xd_kova.inp, the heading, and unless TOXD fixedH.ins
// (Extend_H) and the databank statistics (DATABANK).
void start_output_section(Io& io, const Records& r) {
    io.create(Files::xd_parameters, "xd_kova.inp");
    write_output_section_heading(io);
    if (r.options.to_xd) return;
    if (writes_fixedh(r.options)) io.create(Files::fixedh, "fixedH.ins");
    if (r.options.databank) write_databank_statistics(io, r);
}

// The files the output section completes.
void close_output_section(Io& io, const Records& r) {
    io.close(Files::mopro_constraints);
    io.close(Files::xd_parameters);
    if (writes_fixedh(r.options)) io.close(Files::fixedh);
}

// DATABANK (not in a TOXD run): the valence populations are brought to the fragment charges
// after the databank statistics and before the first parameter record.
bool rescales_populations(const Options& o) {
    return o.databank && !o.to_xd && o.pv_scaling != PvScaling::none;
}

// The writers of the output section read a slot of every atom, dummy and kappa set counted.
void make_output_slots(Records& r) {
    r.ensure_atoms(r.structure.atom_count);
    r.ensure_dummies(r.frames.dummy_count);
    r.ensure_kappa_sets(r.frames.kappa_count);
}

// The inputs that the run's outputs replace, each kept beside its output under a name the
// listing and the terminal give.
void report_kept_inputs(Io& io) {
    for (const KeptInput& k : io.inputs_to_keep())
        io.write_to({Files::listing, terminal},
                    " " + k.output + " was read by this run and is replaced by its output: the "
                    "file read is kept as " + k.kept_as);
}

// The plot-file trailer, the summary of the files written and the run time. The run has then
// finished, and its files replace those of earlier runs.
void finish_run(Io& io, const Records& r, CpuClock& run_clock) {
    write_plot_trailer(io, r);
    io.close(Files::plot);
    write_run_summary(io, r);
    report_kept_inputs(io);
    write_run_time(io, run_clock.lap());
    io.replace_outputs();  // closes every output file but the listing
    io.close(Files::listing);
}

void road(Io& io, Records& r, const DirectoryLock& lock) {
    CpuClock run_clock;  // the run-time line covers the whole run
    write_banner(io, terminal);
    const Leftovers leftovers = io.clear_leftovers(output_names);
    open_run_files(io, lock, leftovers);
    read_the_instructions(io, r);
    read_structure(io, r);
    open_plot_file(io);
    std::optional<Databank> databank;
    if (r.options.databank) databank = open_databank(io, r);
    make_working_list(io, r);
    if (r.options.search_rings) search_rings(io, r);
    if (r.options.extend_h) open_restraint_files(io);
    find_all_neighbours(io, r);
    frame_analysis(io, r, databank ? &*databank : nullptr);
    if (r.options.extend_h) close_restraint_files(io, r);
    if (has_output_section(r)) {
        start_output_section(io, r);
        if (rescales_populations(r.options)) rescale_valence_populations(io, r);
        make_output_slots(r);
        write_output_section(io, r);
        close_output_section(io, r);
    }
    finish_run(io, r, run_clock);
}

// The banner, and for a first argument beginning with "-h" the sample instruction file; no
// file is read or made.
void banner_only(Io& io, const std::vector<std::string>& args) {
    write_banner(io, terminal);
    const std::string first = args[0].substr(0, 20);
    if (first.size() >= 2 && first[0] == '-' && first[1] == 'h')
        write_sample_instructions(io, terminal);
}

// The lines of a run that another run's lock refuses: on the terminal only, as nothing of
// the directory may be touched.
[[noreturn]] void refuse_second_run(Io& io, int listing, const std::filesystem::path& dir) {
    fatal_error(io, listing, "Kova",
                "Another kova run is working in " + dir.string() +
                    ": this run stops and touches no file; start it again when that run has "
                    "ended");
}

// The error lines of an output that its owner has protected. An earlier listing stays as it
// was while the run has not yet opened its own.
void refuse_protected_output(Io& io, int listing, const ProtectedOutput& p) {
    io.discard_listing(listing);
    char mode[8];
    std::snprintf(mode, sizeof mode, "%03o", p.mode);
    const std::string file =
        p.target == p.name ? p.name : p.name + " (a link to " + p.target + ")";
    write_error_lines(io, listing, "Kova",
                      "Output file " + file + " is read-only (mode " + mode +
                          "): kova replaces no file its owner has protected; make it writable "
                          "or move it away");
    io.close(listing);
}

std::string interrupted_line(const RunInterrupted& i) {
    const std::string name =
        signal_name(i.signal) + " (signal " + std::to_string(i.signal) + ")";
    if (i.files_replaced)
        return "kova: " + name + " arrived while the finished run's files replaced the earlier "
               "ones: they are all in place";
    return "kova: interrupted by " + name + ": the files of earlier runs are kept";
}

}  // namespace

int run(const std::filesystem::path& dir, const std::vector<std::string>& args, std::istream& in,
        std::ostream& out, std::ostream& errs, const std::optional<InjectedFailure>& failure) {
    const SignalCatcher signals;
    Io io;
    io.bind(dir, &in, &out, &errs, OutputMode::replace_at_end, &in == &std::cin ? 0 : -1);
    if (failure) io.inject_failure(*failure);
    auto r = std::make_unique<Records>();
    const int listing = Files::listing;
    int status = 0;
    std::string fault_line;
    std::optional<DirectoryLock> lock;  // held until every file is closed
    try {
        if (!args.empty()) {
            banner_only(io, args);
        } else {
            lock.emplace(dir, failure && failure->at == FailurePoint::lock);
            if (lock->state() == DirectoryLock::State::taken)
                refuse_second_run(io, listing, dir);
            road(io, *r, *lock);
        }
    } catch (const RunStop& s) {
        io.stop_signal_checks();
        status = s.status;
        if (io.is_open_out(listing))
            for (const std::string& line : s.listing_lines) io.write(listing, line);
    } catch (const ProtectedOutput& p) {
        io.stop_signal_checks();
        status = 1;
        refuse_protected_output(io, listing, p);
    } catch (const RunInterrupted& i) {
        io.stop_signal_checks();
        status = 128 + i.signal;
        fault_line = interrupted_line(i);
    } catch (const RunFault& f) {
        io.stop_signal_checks();
        status = 2;
        fault_line = std::string("kova: ") + f.what();
    }
    if (!fault_line.empty()) {
        errs << fault_line << '\n';
        if (io.is_open_out(listing)) io.write(listing, fault_line);
    }
    // A run that did not finish leaves the files of earlier runs as they were: close_all drops
    // what it was writing.
    try {
        io.close_all();
    } catch (const RunFault& f) {
        // The listing or the terminal could not be written; a fault already reported is not
        // reported twice.
        if (fault_line.empty()) errs << "kova: " << f.what() << '\n';
        if (status < 2) status = 2;
    }
    out.flush();
    return status;
}

}  // namespace kova
