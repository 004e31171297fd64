// Readers of molecules given by Cartesian coordinates only: the atom table of an AIM2TAB
// listing (bohr, fixed columns) and the ATOM lines of a PLATON file (Å, free format); and the
// type list and atom table that every structure reader writes into the listing.
#include "input/cartesian_readers.hpp"

#include <algorithm>

#include "input/cell.hpp"
#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/list_reader.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

constexpr float bohr = 0.52917725f;  // Å

// The atom-type rule shared by both readers: the first atom restarts the list.
void add_type(Structure& t, int i) {
    int z = t.atomic_number[i];
    if (i == 1) {
        t.type_count = 1;
        t.type_atomic_number[1] = z;
        return;
    }
    for (int k = 1; k <= t.type_count; ++k)
        if (t.type_atomic_number[k] == z) return;
    t.type_atomic_number[++t.type_count] = z;
}

// What both readers set for a Cartesian atom besides label and coordinates.
void finish_atom(Structure& structure, int i) {
    structure.occupancy[i] = 1.0f;
    structure.atomic_number[i] = atomic_number(structure.label[i]);
    structure.multipole_level[i] = structure.atomic_number[i] == 1 ? 2 : 4;
    add_type(structure, i);
}

std::string shown(std::string_view s) {
    std::string q(1, '"');
    std::size_t b = std::min(s.find_first_not_of(' '), s.size());
    q.append(trim(s.substr(b))).push_back('"');
    return q;
}

// One row of the AIM2TAB atom table: 5X, A8, 11X, 3F9.4 (label 6-13, x 25-33, y 34-42,
// z 43-51, in bohr).
void read_aim2tab_row(InFile& f, int i, Records& r) {
    Structure& structure = r.structure;
    std::string rec;
    if (!f.read(rec))
        fault(f.name(), f.recno() + 1,
              "expected the row of atom " + std::to_string(i) + ", found the end of the file");
    rec = pad(rec, line_length);
    structure.label[i] = rec.substr(5, 8);
    float x[3];
    for (int k = 0; k < 3; ++k) {
        std::string_view field = std::string_view(rec).substr(24 + 9 * k, 9);
        if (read_fixed_real(field, 4, x[k]) != ReadStatus::ok)
            fault(f.name(), f.recno(),
                  std::string("expected the ") + "xyz"[k] + " coordinate of atom " +
                      std::to_string(i) + " in columns " + std::to_string(25 + 9 * k) + "-" +
                      std::to_string(33 + 9 * k) + ", found " + shown(field));
    }
    finish_atom(structure, i);
    place_atom(r, i, Cartesian{x[0] * bohr, x[1] * bohr, x[2] * bohr});
    if (!finite(structure.cart[i]))
        fault(f.name(), f.recno(),
              "the coordinates of atom " + std::to_string(i) + " are not finite numbers in " +
                  "single precision, found " + shown(std::string_view(rec).substr(24, 27)));
}

}  // namespace

void read_aim2tab(Io& io, Records& r, const std::string& file_name) {
    const int listing = Files::listing;
    if (!io.try_open_old(Files::cartesian_input, trim(file_name)))
        fatal_error(io, listing, "ReadAim2Tab",
                    "Error opening AIM2TAB output file... " + file_name +
                        why_structure_not_opened(io, file_name, r.options.word_after_input_names));
    InFile& f = io.in(Files::cartesian_input);
    std::string rec;
    int count_rec = 0;  // record of the count line in force
    int rows = 0;       // rows of the last atom table read
    while (f.read(rec)) {
        rec = pad(rec, line_length);
        std::string_view key = std::string_view(rec).substr(1, 22);  // columns 2-23
        if (key == "NUMBER OF ATOMS READ =") {
            std::string_view field = std::string_view(rec).substr(23, 7);  // columns 24-30
            int n = 0;
            if (read_list(field, n) != ReadStatus::ok)
                fault(f.name(), f.recno(),
                      "expected the number of atoms in columns 24-30, found " + shown(field));
            // A negative count would stand as the number of atoms of the whole run.
            if (n < 0)
                fault(f.name(), f.recno(),
                      "the number of atoms cannot be negative, found " + shown(field));
            if (n > max_atoms) fatal_error(io, listing, "ReadAim2Tab", "Too many atoms");
            r.structure.atom_count = n;
            r.ensure_atoms(n);
            count_rec = f.recno();
        } else if (key == "NO. ATOM       AT.MASS") {
            // The record under the head is passed over even when no row follows.
            if (!f.read(rec))
                fault(f.name(), f.recno() + 1,
                      "expected the line under the atom table head, found the end of the file");
            for (int i = 1; i <= r.structure.atom_count; ++i) read_aim2tab_row(f, i, r);
            rows = r.structure.atom_count;
        }
    }
    // Atoms that a count promises but no table gave would stand as unnamed atoms at the
    // origin, all on one point.
    if (r.structure.atom_count > rows)
        fault(f.name(), count_rec,
              "expected an atom table for the " + std::to_string(r.structure.atom_count) +
                  " atoms counted, found " +
                  (rows == 0 ? std::string("none") : "one of " + std::to_string(rows)));
    io.close(Files::cartesian_input);

    const Structure& t = r.structure;
    io.write(terminal, "");
    io.write(terminal, " Number of atom types = " + fi(t.type_count, 4));
    for (int k = 1; k <= t.type_count; ++k)
        io.write(terminal, "   atom type = " + fi(k, 2) + fx(3) + " atomic number = " +
                               fi(t.type_atomic_number[k], 3));
    io.write(terminal, "");
    io.write(terminal,
             " Total atoms read from AIM2TAB output file = " + fi(r.structure.atom_count, 5));
    list_atoms(io, r.structure, listing);
}

void read_platon(Io& io, Records& r, const std::string& file_name) {
    const int listing = Files::listing;
    if (!io.try_open_old(Files::cartesian_input, trim(file_name)))
        fatal_error(io, listing, "ReadPlaton",
                    "Error opening PLATON file " + file_name +
                        why_structure_not_opened(io, file_name, r.options.word_after_input_names));
    io.write(listing, "");
    io.write(listing, "");
    io.write(listing, " Reading PLATON file : " + pad_uncut(file_name, 60));

    InFile& f = io.in(Files::cartesian_input);
    std::string rec;
    int n = 0;
    while (f.read(rec)) {
        std::string line = pad(rec, line_length);
        const TextWords words = split_text_words(line);
        if (words.count < 1 || words.at(1) != "ATOM    ") continue;
        if (++n > max_atoms) fatal_error(io, listing, "ReadPlaton", "Too many atoms");
        r.ensure_atoms(n);
        r.structure.label[n] = words.at(2);
        Cartesian xc{};
        ReadStatus st = read_list(line, xc[0], xc[1], xc[2]);
        if (st != ReadStatus::ok)
            fault(f.name(), f.recno(),
                  std::string(st == ReadStatus::end ? "expected three coordinates"
                                                    : "expected numbers for the coordinates") +
                      " on the ATOM line, found " + shown(rec));
        if (!finite(xc))
            fault(f.name(), f.recno(),
                  "the coordinates of atom " + std::to_string(n) +
                      " are not finite numbers in single precision, found " + shown(rec));
        place_atom(r, n, xc);
        finish_atom(r.structure, n);
    }
    r.structure.atom_count = n;
    io.close(Files::cartesian_input);

    list_atom_types(io, r);
    for (int ch : {terminal, listing}) {
        io.write(ch, "");
        io.write(ch, " Total atoms read from PLATON file = " + fi(r.structure.atom_count, 8));
    }
    list_atoms(io, r.structure, listing);
}

void list_atom_types(Io& io, const Records& r) {
    const Structure& t = r.structure;
    const int out = Files::listing;
    io.write(out, "");
    io.write(out, " Number of atom types = " + fi(t.type_count, 4));
    for (int k = 1; k <= t.type_count; ++k)
        io.write(out, fx(3) + "atom type = " + pad(element_symbol(r, t.type_atomic_number[k]), 2) +
                          fx(3) + " atomic number = " + fi(t.type_atomic_number[k], 3));
}

void list_atoms(Io& io, const Structure& structure, int channel) {
    io.write(channel, "");
    io.write(channel, fx(9) + "ATOM" + fx(6) + "------- FRACTIONAL -------" + fx(4) +
                          "------- CARTESIAN -------  FLAG");
    int count[3] = {0, 0, 0};  // flags 0, 1, -1
    std::string line;
    for (int i = 1; i <= structure.atom_count; ++i) {
        const Vec3f& xf = structure.frac[i];
        const Vec3f& xc = structure.cart[i];
        int flag = structure.occupancy_flag[i];
        line = fi(i, 7) + fx(2) + pad(structure.label[i], 8) + fx(1);
        for (float v : xf) line += ff(v, 9, 5);
        line += fx(2);
        for (float v : xc) line += ff(v, 9, 4);
        line += fi(flag, 6);
        io.write(channel, line);
        if (flag == 0) ++count[0];
        else if (flag == 1) ++count[1];
        else if (flag == -1) ++count[2];
    }
    io.write(channel, "");
    io.write(channel, " FLAG =  0 : normal atoms ( " + fi(count[0], 5) + " )");
    io.write(channel, "      =  1 : atoms in special positions ( " + fi(count[1], 5) + " ) ");
    io.write(channel, "      = -1 : disordered atoms ( " + fi(count[2], 5) + " ) ");
}

}  // namespace kova
