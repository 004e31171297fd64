// The XD reader: cell, lattice and symmetry from the master file, then model, limits and atoms
// from the parameter file. Inversion partners are added before the lattice centring, which
// fixes the order of the operators.
#include "input/xd_reader.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "input/cartesian_readers.hpp"
#include "input/cell.hpp"
#include "input/symmetry.hpp"
#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/list_reader.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

constexpr int master_file_channel = 11;     // the XD master file read
constexpr int parameter_file_channel = 12;  // the XD parameter file read

// Next raw record of the parameter file, no comment test; end of file is unguarded.
std::string raw_record(Records& r, const char* what) {
    InFile& f = r.io.in(parameter_file_channel);
    std::string rec;
    if (!f.read(rec))
        fault(f.name(), f.recno() + 1, std::string("end of file while reading ") + what);
    return rec;
}

// n reals in free format from the next record(s), as a list-directed read of the unit does.
void read_reals(Records& r, float* v, int n, const char* what) {
    int got = 0;
    while (got < n) {
        std::string rec = raw_record(r, what);
        ListReader lr(rec);
        while (got < n) {
            ReadStatus st = lr.get(v[got]);
            if (st == ReadStatus::end) break;
            if (st == ReadStatus::error) {
                InFile& f = r.io.in(parameter_file_channel);
                fault(
                    f.name(), f.recno(),
                    std::string("expected numbers for ") + what + ", found \"" + trim(rec) + "\"");
            }
            ++got;
        }
    }
}

// Integers from the numbers of one line; unguarded.
void read_ints(Records& r, const std::string& line, int* v, int n, const char* what) {
    ListReader lr(line);
    for (int k = 0; k < n; ++k) {
        if (lr.get(v[k]) != ReadStatus::ok) {
            InFile& f = r.io.in(parameter_file_channel);
            fault(f.name(), f.recno(),
                  std::string("expected ") + std::to_string(n) + " integers for " + what +
                      ", found \"" + trim(line) + "\"");
        }
    }
}

void skip_noncomment(Records& r) {
    InFile& f = r.io.in(parameter_file_channel);
    std::string rec;
    do {
        if (!f.read(rec)) fatal_error(r, "ReadXD", "Error reading XD parameter file");
    } while (!rec.empty() && rec[0] == '!');
}

// What the master file says of the lattice besides the cell.
struct MasterLattice {
    char lattice = 'P';      // the centring letter
    bool centric = true;     // false for an acentric lattice ("A")
};

// The cell and the lattice of the master file.
MasterLattice read_master(Records& r) {
    MasterLattice lat;
    InFile& f = r.io.in(master_file_channel);
    std::string rec;
    while (f.read(rec)) {
        std::string line = pad(rec, line_length);
        if (line.compare(0, 5, "CELL ") == 0) {
            std::string cols = line.substr(4, 96);
            ReadStatus st =
                read_list(cols, r.structure.cell[0], r.structure.cell[1], r.structure.cell[2],
                          r.structure.cell[3], r.structure.cell[4], r.structure.cell[5]);
            if (st == ReadStatus::error) fatal_error(r, "ReadXD", "Error reading XD master file");
            if (st == ReadStatus::end)
                fault(f.name(), f.recno(),
                      "expected six cell constants, found \"" + trim(rec) + "\"");
        } else if (line.compare(0, 5, "LATT ") == 0) {
            const auto [a, b] = find_word_columns(r, line, 2);
            if (line.substr(static_cast<std::size_t>(a - 1), static_cast<std::size_t>(b - a + 1)) ==
                "A")
                lat.centric = false;
            char c = line[static_cast<std::size_t>(find_word_columns(r, line, 3).first - 1)];
            lat.lattice = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        }
    }
    return lat;
}

// What follows the open error of an XD file: why the file named could not be opened, or, when
// no name was read, how the INPUT line gives the two names (a FORMAT *xd after INPUT leaves
// the master file without one).
std::string why_not_opened(const Records& r, const std::string& name, const char* which) {
    if (name.empty())
        return std::string(": kova.inp gave no XD ") + which +
               "; XD input needs two names on the INPUT line, the master file and the parameter "
               "file, with FORMAT *xd before INPUT";
    return ": " + r.io.why_unreadable(name);
}

}  // namespace

std::string read_xd_record(Records& r, int unit) {
    InFile& f = r.io.in(unit);
    std::string rec;
    do {
        if (!f.read(rec)) fatal_error(r, "ReadXD", "Error reading XD parameter file");
    } while (!rec.empty() && rec[0] == '!');
    std::string line = pad(rec, line_length);
    upper_case(line);
    return line;
}

void read_xd(Records& r, const std::string& parameter_file) {
    const int out = r.files.listing;
    auto w = [&](const std::string& s) { r.io.write(out, s); };
    r.structure.model_name = std::string(20, ' ');
    const std::string masname = trim(r.options.xd_master_file);
    const std::string parname = trim(parameter_file);
    if (!r.io.try_open_old(master_file_channel, masname))
        fatal_error(r, "ReadXD", "Error opening XD master file" + masname +
                                     why_not_opened(r, masname, "master file (first name)"));
    if (!r.io.try_open_old(parameter_file_channel, parname))
        fatal_error(r, "ReadXD", "Error opening XD parameter file " + parname +
                                     why_not_opened(r, parname, "parameter file (second name)"));
    w("");
    w(" Reading data from XD master file: " + pad_uncut(masname, 60));

    const MasterLattice lat = read_master(r);
    const char latt = lat.lattice;
    const bool centro = lat.centric;
    const auto& c = r.structure.cell;
    w("");
    w(" Cell parameters: " + ff(c[0], 10, 3) + ff(c[1], 10, 3) + ff(c[2], 10, 3) + ff(c[3], 8, 2) +
      ff(c[4], 8, 2) + ff(c[5], 8, 2));
    w("");
    w(std::string(" Lattice type : ") + latt);
    w(std::string(" Lattice is ") + (centro ? "CentroSymmetric" : "Acentric"));
    w("");
    w(" Symmetry operations : ");
    read_symmetry(r, master_file_channel, out);
    if (centro) add_inversion_partners(r, out);
    if (latt != 'P') add_lattice_centring(r, out, latt);
    w("");
    w(" Final set of symmetry operations in matrix form:");
    list_symmetry_operators(r, out);
    make_cell_matrices(r);
    r.io.close(master_file_channel);

    w("");
    w(" Reading data from XD parameter file: " + pad_uncut(parname, 60));
    std::string line = read_xd_record(r, parameter_file_channel);
    split_text_words(r, line);
    int version = 1;
    bool header = same_text(r.line_words.word[1], "XDPARFIL") && r.line_words.count >= 1;
    if (header) read_ints(r, line, &version, 1, "the file version");
    w("");
    w(" XD parameter file version = " + fi(version, 4));
    // A header line is passed over whatever version it names.
    if (header) {
        line = read_xd_record(r, parameter_file_channel);
        split_text_words(r, line);
    }
    r.structure.model_name = pad(r.line_words.word[1], 20);
    int model[4] = {0, 0, 0, 0};
    read_ints(r, line, model, 4, "the model line");
    w("");
    w(" Maximum level of multipole expansion = " + fi(model[0], 4));
    w(" Model name = " + r.structure.model_name);

    int lim[22] = {};
    // the LIMITS and USAGE lines name their numbers: split first, read what stays
    line = read_xd_record(r, parameter_file_channel);
    split_text_words(r, line);
    if (version == 2) {
        read_ints(r, line, lim, 8, "the LIMITS line");
        line = read_xd_record(r, parameter_file_channel);
        split_text_words(r, line);
        read_ints(r, line, lim + 8, 14, "the USAGE line");
    } else {
        read_ints(r, line, lim, 22, "the limits");
    }
    const int nat = std::max(lim[8], 0);
    const int nkap = lim[11];
    const int ndum = lim[21];
    r.structure.atom_count = nat;
    w(" Number of atoms in XD parameter file = " + fi(lim[8], 4));
    w(" Number kappa sets = " + fi(nkap, 4));
    if (lim[8] > max_atoms) fatal_error(r, "ReadXD", "Too many atoms");
    r.ensure_atoms(nat);

    const std::string head = " NO.   ATOM      AT.NO.   ORDER_OF_U     iSFT";
    w("");
    w(head);
    r.io.write(terminal, "");
    r.io.write(terminal, head);

    // counted wide: a dummy count near the top of int must not overflow
    for (long long k = 0; k < static_cast<long long>(ndum) + 2; ++k)
        raw_record(r, "the dummy-atom records");

    for (int i = 1; i <= nat; ++i) {
        int iv[11] = {};
        float xyz[4] = {};
        std::string label;
        int atomrec = 0;
        for (;;) {
            line = read_xd_record(r, parameter_file_channel);
            atomrec = r.io.in(parameter_file_channel).recno();
            split_text_words(r, line);
            label = r.line_words.word[1];
            ListReader lr(line);
            bool ok = true;
            for (int k = 0; k < 11 && ok; ++k) ok = lr.get(iv[k]) == ReadStatus::ok;
            for (int k = 0; k < 4 && ok; ++k) ok = lr.get(xyz[k]) == ReadStatus::ok;
            if (ok) break;  // a line that does not read is passed over
        }
        r.structure.label[i] = pad(label, 8);
        r.structure.frac[i] = {xyz[0], xyz[1], xyz[2]};
        r.structure.occupancy[i] = xyz[3];
        r.structure.adp_order[i] = iv[5];
        r.structure.scattering_table[i] = iv[6];
        read_reals(r, r.structure.uij[i].data(), 6, "the displacement parameters");
        int extra = iv[5] == 3 ? 2 : (iv[5] == 4 ? 5 : 0);
        for (int k = 0; k < extra; ++k) raw_record(r, "the anharmonic displacement parameters");
        r.structure.atomic_number[i] = atomic_number(r.structure.label[i].substr(0, 2));
        r.structure.multipole_level[i] = r.structure.atomic_number[i] == 1 ? 2 : 4;
        std::string rec = fi(i, 4) + "   " + r.structure.label[i] + "  " +
                          fi(r.structure.atomic_number[i], 3) + "   " + fi(iv[5], 8) + "     " +
                          fi(iv[6], 8);
        r.io.write(terminal, rec);
        w(rec);
        long long L = iv[8];
        long long nmul = (L * (L + 2) + 1) / 10 + 1;
        for (long long k = 0; k < nmul; ++k) skip_noncomment(r);
        const Vec3f& f = r.structure.frac[i];
        Vec3f& x = r.structure.cart[i];
        x = to_cartesian(r.structure.frac_to_cart, f);
        if (!finite(f) || !finite(x))
            fault(r.io.in(parameter_file_channel).name(), atomrec,
                  "the coordinates of atom " + std::to_string(i) + " (" +
                      trim(r.structure.label[i]) + ") are not finite numbers in single precision");
    }
    for (int k = 0; k < nkap; ++k) skip_noncomment(r);

    read_reals(r, &r.structure.free_var[2], 7, "the free variables");
    read_reals(r, &r.structure.free_var[9], 1, "the free variables");
    read_reals(r, &r.structure.free_var[1], 1, "the free variables");

    Structure& t = r.structure;
    t.type_count = 0;
    std::vector<bool> seen;
    for (int i = 1; i <= nat; ++i) {
        int z = r.structure.atomic_number[i];
        if (z < 0) z = 0;
        if (static_cast<int>(seen.size()) <= z) seen.resize(static_cast<std::size_t>(z) + 1, false);
        if (seen[static_cast<std::size_t>(z)]) continue;
        seen[static_cast<std::size_t>(z)] = true;
        t.type_atomic_number[++t.type_count] = r.structure.atomic_number[i];
    }
    list_atom_types(r);
    set_occupancy_flags(r);
    list_atoms(r, out);
    r.io.close(parameter_file_channel);
}

}  // namespace kova
