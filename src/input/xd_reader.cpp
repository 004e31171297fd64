// The XD reader: cell, lattice and symmetry from the master file, then model, limits and atoms
// from the parameter file. Inversion partners are added before the lattice centring, which
// fixes the order of the operators. The parts of the master file that the new one copies are
// selected here too, so that no later stage reads the file again.
#include "input/xd_reader.hpp"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "input/cartesian_readers.hpp"
#include "input/cell.hpp"
#include "input/instructions.hpp"
#include "input/symmetry.hpp"
#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/list_reader.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

// Next raw record of the parameter file, no comment test; end of file is unguarded.
std::string raw_record(Io& io, const char* what) {
    InFile& f = io.in(Files::xd_parameters_input);
    std::string rec;
    if (!f.read(rec))
        fault(f.name(), f.recno() + 1, std::string("end of file while reading ") + what);
    return rec;
}

// n reals in free format from the next record(s), as a list-directed read of the unit does.
void read_reals(Io& io, float* v, int n, const char* what) {
    int got = 0;
    while (got < n) {
        std::string rec = raw_record(io, what);
        ListReader lr(rec);
        while (got < n) {
            ReadStatus st = lr.get(v[got]);
            if (st == ReadStatus::end) break;
            if (st == ReadStatus::error) {
                InFile& f = io.in(Files::xd_parameters_input);
                fault(
                    f.name(), f.recno(),
                    std::string("expected numbers for ") + what + ", found \"" + trim(rec) + "\"");
            }
            ++got;
        }
    }
}

// Integers from the numbers of one line; unguarded.
void read_ints(Io& io, const std::string& line, int* v, int n, const char* what) {
    ListReader lr(line);
    for (int k = 0; k < n; ++k) {
        if (lr.get(v[k]) != ReadStatus::ok) {
            InFile& f = io.in(Files::xd_parameters_input);
            fault(f.name(), f.recno(),
                  std::string("expected ") + std::to_string(n) + " integers for " + what +
                      ", found \"" + trim(line) + "\"");
        }
    }
}

// Passes over the next record not beginning with "!".
void skip_noncomment(Io& io, int listing) { read_xd_record(io, listing, Files::xd_parameters_input); }

// The next non-comment line of the parameter file, split: its text words, and the numbers
// left in it.
struct XdLine {
    TextWords words;
    std::string numbers;
};
XdLine read_split_line(Io& io, int listing) {
    XdLine line;
    line.numbers = read_xd_record(io, listing, Files::xd_parameters_input);
    line.words = split_text_words(line.numbers);
    return line;
}

// What the master file says of the lattice besides the cell.
struct MasterLattice {
    char lattice = 'P';   // the centring letter
    bool centric = true;  // false for an acentric lattice ("A")
};

// The cell and the lattice of the master file.
MasterLattice read_master(Io& io, int listing, std::array<float, 6>& cell) {
    MasterLattice lat;
    InFile& f = io.in(Files::xd_master_input);
    std::string rec;
    while (f.read(rec)) {
        std::string line = pad(rec, line_length);
        if (line.compare(0, 5, "CELL ") == 0) {
            std::string cols = line.substr(4, 96);
            ReadStatus st = read_list(cols, cell[0], cell[1], cell[2], cell[3], cell[4], cell[5]);
            if (st == ReadStatus::error)
                fatal_error(io, listing, "ReadXD", "Error reading XD master file");
            if (st == ReadStatus::end)
                fault(f.name(), f.recno(),
                      "expected six cell constants, found \"" + trim(rec) + "\"");
        } else if (line.compare(0, 5, "LATT ") == 0) {
            const auto [a, b] = find_word_columns(io, listing, line, 2);
            if (line.substr(static_cast<std::size_t>(a - 1), static_cast<std::size_t>(b - a + 1)) ==
                "A")
                lat.centric = false;
            char c =
                line[static_cast<std::size_t>(find_word_columns(io, listing, line, 3).first - 1)];
            lat.lattice = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        }
    }
    return lat;
}

// What follows the open error of an XD file: why the file named could not be opened, or, when
// no name was read, how the INPUT line gives the two names (a FORMAT *xd after INPUT leaves
// the master file without one).
std::string why_not_opened(const Io& io, const Options& options, const std::string& name,
                           const char* which) {
    if (name.empty())
        return std::string(": kova.inp gave no XD ") + which + "; " + std::string(xd_names_hint);
    return ": " + io.why_unreadable(name) +
           word_after_the_name(options.word_after_input_names, "INPUT");
}

// The master file: cell, lattice and operators, as the listing shows them, then the cell
// matrices.
void read_crystal_data(Io& io, Records& r, const std::string& master_name) {
    const int out = Files::listing;
    io.write(out, "");
    io.write(out, " Reading data from XD master file: " + pad_uncut(master_name, 60));
    const auto& c = r.structure.cell;
    const MasterLattice lat = read_master(io, out, r.structure.cell);
    io.write(out, "");
    io.write(out, " Cell parameters: " + ff(c[0], 10, 3) + ff(c[1], 10, 3) + ff(c[2], 10, 3) +
                      ff(c[3], 8, 2) + ff(c[4], 8, 2) + ff(c[5], 8, 2));
    list_lattice(io, out, lat.lattice, lat.centric);
    Symmetry& symmetry = r.structure.symmetry;
    read_symmetry(io, out, Files::xd_master_input, symmetry);
    if (lat.centric) add_inversion_partners(io, out, symmetry);
    if (lat.lattice != 'P')
        add_lattice_centring(io, out, r.options.verbosity, lat.lattice, symmetry);
    io.write(out, "");
    io.write(out, " Final set of symmetry operations in matrix form:");
    list_symmetry_operators(io, out, r.options.verbosity, symmetry);
    make_cell_matrices(io, out, r.structure);
}

// The optional header line with the version, then the model line: the model name and the
// highest multipole level. Gives the version of the parameter file.
int read_model(Io& io, Records& r) {
    const int out = Files::listing;
    int version = 1;
    XdLine line = read_split_line(io, out);
    const bool header = line.words.is(1, "XDPARFIL");
    if (header) read_ints(io, line.numbers, &version, 1, "the file version");
    io.write(out, "");
    io.write(out, " XD parameter file version = " + fi(version, 4));
    // A header line is passed over whatever version it names.
    if (header) line = read_split_line(io, out);
    r.structure.model_name = pad(line.words.at(1), 20);
    std::array<int, 4> levels{};
    read_ints(io, line.numbers, levels.data(), 4, "the model line");
    io.write(out, "");
    io.write(out, " Maximum level of multipole expansion = " + fi(levels[0], 4));
    io.write(out, " Model name = " + r.structure.model_name);
    return version;
}

// The limit integers of the parameter file: 22 in all, on one line in version 1, else 8 on
// the LIMITS line and 14 on the USAGE line. The reader takes three of them.
struct XdLimits {
    int atoms = 0;       // the 9th
    int kappa_sets = 0;  // the 12th
    int dummies = 0;     // the 22nd
};

XdLimits read_limits(Io& io, int listing, int version) {
    std::array<int, 22> limit{};
    // the LIMITS and USAGE lines name their numbers: split first, read what stays
    XdLine line = read_split_line(io, listing);
    if (version == 2) {
        read_ints(io, line.numbers, limit.data(), 8, "the LIMITS line");
        line = read_split_line(io, listing);
        read_ints(io, line.numbers, limit.data() + 8, 14, "the USAGE line");
    } else {
        read_ints(io, line.numbers, limit.data(), 22, "the limits");
    }
    return {limit[8], limit[11], limit[21]};
}

// The atom line: the label, 11 integers, x, y, z and the occupancy. Of the integers the reader
// takes the 6th (the order of the displacement parameters), the 7th (the scattering table) and
// the 9th (the highest multipole level of the atom).
struct XdAtomLine {
    std::string label;  // 8 characters
    int adp_order = 0;
    int scattering_table = 0;
    int multipole_level = 0;
    Fractional frac{};
    float occupancy = 0.0f;
    int record = 0;  // in the parameter file
};

// The next line that reads as an atom line; a line that does not is passed over. The numbers
// are read into the same places line after line: a value a line leaves out (a null value,
// or one after a "/") is the one the line before it gave.
XdAtomLine read_atom_line(Io& io, int listing) {
    std::array<int, 11> integers{};
    std::array<float, 4> values{};
    for (;;) {
        XdLine line = read_split_line(io, listing);
        XdAtomLine atom;
        atom.record = io.in(Files::xd_parameters_input).recno();
        atom.label = std::string(line.words.at(1));
        ListReader lr(line.numbers);
        bool ok = true;
        for (int k = 0; k < 11 && ok; ++k) ok = lr.get(integers[k]) == ReadStatus::ok;
        for (int k = 0; k < 4 && ok; ++k) ok = lr.get(values[k]) == ReadStatus::ok;
        if (!ok) continue;
        atom.adp_order = integers[5];
        atom.scattering_table = integers[6];
        atom.multipole_level = integers[8];
        atom.frac = {values[0], values[1], values[2]};
        atom.occupancy = values[3];
        return atom;
    }
}

// Atom i: its line, the six U values and the records after them that the reader passes over
// (the anharmonic terms, the multipole lines).
void read_atom(Io& io, Records& r, int i) {
    const int out = Files::listing;
    Structure& s = r.structure;
    const XdAtomLine atom = read_atom_line(io, out);
    s.label[i] = pad(atom.label, 8);
    place_atom(s, i, atom.frac);
    s.occupancy[i] = atom.occupancy;
    s.adp_order[i] = atom.adp_order;
    s.scattering_table[i] = atom.scattering_table;
    read_reals(io, s.uij[i].data(), 6, "the displacement parameters");
    int extra = atom.adp_order == 3 ? 2 : (atom.adp_order == 4 ? 5 : 0);
    for (int k = 0; k < extra; ++k) raw_record(io, "the anharmonic displacement parameters");
    s.atomic_number[i] = atomic_number(s.label[i].substr(0, 2));
    s.multipole_level[i] = s.atomic_number[i] == 1 ? 2 : 4;
    std::string rec = fi(i, 4) + "   " + s.label[i] + "  " + fi(s.atomic_number[i], 3) + "   " +
                      fi(atom.adp_order, 8) + "     " + fi(atom.scattering_table, 8);
    io.write(terminal, rec);
    io.write(out, rec);
    // 1 line for levels 0-2, 2 for level 3, 3 for level 4
    const long long level = atom.multipole_level;
    const long long multipole_lines = (level * (level + 2) + 1) / 10 + 1;
    for (long long k = 0; k < multipole_lines; ++k) skip_noncomment(io, out);
    if (!finite(s.frac[i]) || !finite(s.cart[i]))
        fault(io.in(Files::xd_parameters_input).name(), atom.record,
              "the coordinates of atom " + std::to_string(i) + " (" + trim(s.label[i]) +
                  ") are not finite numbers in single precision");
}

// The distinct atomic numbers of the atoms read, in order of first appearance.
void collect_atom_types(Structure& t) {
    t.type_count = 0;
    std::vector<bool> seen;
    for (int i = 1; i <= t.atom_count; ++i) {
        int z = t.atomic_number[i];
        if (z < 0) z = 0;
        if (static_cast<int>(seen.size()) <= z) seen.resize(static_cast<std::size_t>(z) + 1, false);
        if (seen[static_cast<std::size_t>(z)]) continue;
        seen[static_cast<std::size_t>(z)] = true;
        t.type_atomic_number[++t.type_count] = t.atomic_number[i];
    }
}

// The parameter file: model, limits, atoms and free variables.
void read_parameters(Io& io, Records& r, const std::string& parameter_name) {
    const int out = Files::listing;
    io.write(out, "");
    io.write(out, " Reading data from XD parameter file: " + pad_uncut(parameter_name, 60));
    const int version = read_model(io, r);
    const XdLimits limits = read_limits(io, out, version);
    const int nat = std::max(limits.atoms, 0);
    r.structure.atom_count = nat;
    io.write(out, " Number of atoms in XD parameter file = " + fi(limits.atoms, 4));
    io.write(out, " Number kappa sets = " + fi(limits.kappa_sets, 4));
    if (limits.atoms > max_atoms) fatal_error(io, out, "ReadXD", "Too many atoms");
    r.ensure_atoms(nat);

    const std::string head = " NO.   ATOM      AT.NO.   ORDER_OF_U     iSFT";
    io.write(out, "");
    io.write(out, head);
    io.write(terminal, "");
    io.write(terminal, head);
    // counted wide: a dummy count near the top of int must not overflow
    for (long long k = 0; k < static_cast<long long>(limits.dummies) + 2; ++k)
        raw_record(io, "the dummy-atom records");
    for (int i = 1; i <= nat; ++i) read_atom(io, r, i);
    for (int k = 0; k < limits.kappa_sets; ++k) skip_noncomment(io, out);

    float* free_var = r.structure.free_var.data();
    read_reals(io, free_var + 2, 7, "the free variables");
    read_reals(io, free_var + 9, 1, "the free variables");
    read_reals(io, free_var + 1, 1, "the free variables");
}

// The old master file as the copy reads it: record by record into a 200-character buffer.
class MasterLines {
public:
    explicit MasterLines(const InFile& f) : f_(f) {}
    bool try_next() {
        if (n_ >= f_.size()) return false;
        buf_ = pad(f_.record(n_++), copy_line_length);
        return true;
    }
    const std::string& line() const { return buf_; }
    // The unguarded end of file of a copying rule that looks for a line beginning `wanted`.
    std::string end_of_file(const char* wanted) const {
        return f_.name() + ", record " + std::to_string(f_.size() + 1) +
               ": end of file, expected a line beginning \"" + wanted + "\"";
    }

private:
    static constexpr std::size_t copy_line_length = 200;
    const InFile& f_;
    std::size_t n_ = 0;
    std::string buf_;
};

std::string upper(std::string_view s) {
    std::string u(s);
    upper_case(u);
    return u;
}

}  // namespace

XdMasterCopy select_master_copy(const InFile& master) {
    using Part = XdMasterCopy::Part;
    XdMasterCopy copy;
    MasterLines old(master);
    // The next line for the part being selected; at the end of the file the copy is cut short.
    auto next = [&](Part part, const char* wanted) {
        if (old.try_next()) return true;
        copy.cut_short = part;
        copy.cut_short_fault = old.end_of_file(wanted);
        return false;
    };
    // The head: every line before the atom-table header, matched as read.
    for (;;) {
        if (!next(Part::head, "ATOM")) return copy;
        if (old.line().compare(0, 4, "ATOM") == 0) break;
        copy.head.push_back(trim(old.line()));
    }
    // The refinement block: the old atom and dummy tables are skipped through their "END" line,
    // then every line up to the key table.
    do
        if (!next(Part::refinement, "END ")) return copy;
    while (upper(std::string_view(old.line()).substr(0, 4)) != "END ");
    for (;;) {
        if (!next(Part::refinement, "KEY ")) return copy;
        if (old.line().compare(0, 4, "KEY ") == 0) break;
        copy.refinement.push_back(trim(old.line()));
    }
    // The tail: the old key table and kappa lines are skipped; from the "EXTCN" line, written
    // upper-cased, everything to the end of the file.
    std::string extcn;
    do {
        if (!next(Part::tail, "EXTCN ")) return copy;
        extcn = upper(old.line());
    } while (extcn.compare(0, 6, "EXTCN ") != 0);
    copy.tail.push_back(trim(extcn));
    while (old.try_next()) copy.tail.push_back(trim(old.line()));
    return copy;
}

std::string read_xd_record(Io& io, int listing, int unit) {
    InFile& f = io.in(unit);
    std::string rec;
    do {
        if (!f.read(rec)) fatal_error(io, listing, "ReadXD", "Error reading XD parameter file");
    } while (!rec.empty() && rec[0] == '!');
    std::string line = pad(rec, line_length);
    upper_case(line);
    return line;
}

void read_xd(Io& io, Records& r, const std::string& master_file,
             const std::string& parameter_file) {
    const int out = Files::listing;
    r.structure.model_name = std::string(20, ' ');
    const std::string master_name = trim(master_file);
    const std::string parameter_name = trim(parameter_file);
    if (!io.try_open_old(Files::xd_master_input, master_name))
        fatal_error(io, out, "ReadXD",
                    "Error opening XD master file" + master_name +
                        why_not_opened(io, r.options, master_name, "master file (first name)"));
    if (!io.try_open_old(Files::xd_parameters_input, parameter_name))
        fatal_error(io, out, "ReadXD",
                    "Error opening XD parameter file " + parameter_name +
                        why_not_opened(io, r.options, parameter_name,
                                       "parameter file (second name)"));
    read_crystal_data(io, r, master_name);
    read_parameters(io, r, parameter_name);
    collect_atom_types(r.structure);
    list_atom_types(io, r);
    set_occupancy_flags(r.structure);
    list_atoms(io, r.structure, out);
    io.close(Files::xd_parameters_input);
    // A master file that ends too early for the copy ends the run only when the copy comes to
    // the part it lacks, after the stages before it, as when the file was copied from disk.
    r.structure.xd_master = select_master_copy(io.in(Files::xd_master_input));
    io.close(Files::xd_master_input);
}

}  // namespace kova
