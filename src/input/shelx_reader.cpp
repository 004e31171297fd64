// The SHELX reader. A first pass takes the crystal data from the cards, keeping the cards
// that the heads of xd_kova.mas and mopro_kova.par repeat in their order; then come the SCAT
// table, the symmetry and the cell matrices; a second pass reads the atoms.
#include "input/shelx_reader.hpp"

#include <array>
#include <string>
#include <vector>

#include "input/cartesian_readers.hpp"
#include "input/cell.hpp"
#include "input/shelx_atoms.hpp"
#include "input/symmetry.hpp"
#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/list_reader.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

const char* const kLattices = "PIRFABC";

// What the first pass keeps from card to card.
struct FirstPass {
    float wavelength = 0.0f;  // a CELL card that stops its read early keeps the last one
    int latt = 0;          // absolute LATT number, 0 while no LATT card was read
    bool centro = false;
    bool cell = false;     // a CELL card was read
    bool include = false;  // an include line was met
};

[[noreturn]] void bad_card(const std::string& file_name, const ShelxCard& c,
                           const std::string& what) {
    fault(file_name, c.recno, what + ", found \"" + trim(c.text) + "\"");
}

// The card with its "=" continuation records joined on.
void join_continuations(InFile& f, std::string& text) {
    while (true) {
        std::size_t e = text.find_last_not_of(' ');
        if (e == std::string::npos || text[e] != '=') return;
        text[e] = ' ';
        std::string raw;
        if (!f.read(raw)) return;
        text += ' ';
        text += shelx_upper(card_text(raw));
    }
}

void cell_card(const std::string& file_name, const ShelxCard& c, FirstPass& p,
               Structure& structure) {
    auto& cell = structure.cell;
    ReadStatus st = read_list(std::string_view(c.text).substr(4), p.wavelength, cell[0], cell[1],
                              cell[2], cell[3], cell[4], cell[5]);
    if (st != ReadStatus::ok)
        bad_card(file_name, c, "expected the wavelength and six cell constants on the CELL card");
    p.cell = true;
    structure.shelx_head.cards.push_back(CellCard{cell, p.wavelength});
}

void latt_card(Io& io, int listing, const std::string& file_name, const ShelxCard& c,
               FirstPass& p, ShelxHead& head) {
    int n = 0;
    if (read_list(std::string_view(c.text).substr(4), n) != ReadStatus::ok)
        bad_card(file_name, c, "expected the lattice number on the LATT card");
    if (n == 0 || n < -7 || n > 7)
        fatal_error(io, listing, "ReadShelx",
                    "LATT number " + std::to_string(n) + " is not one of -7..-1, 1..7");
    p.latt = n < 0 ? -n : n;
    // A positive number makes the lattice centrosymmetric, and nothing makes it acentric again.
    if (n > 0) p.centro = true;
    head.cards.push_back(LatticeCard{kLattices[p.latt - 1], p.centro});
}

void sfac_card(const ShelxCard& c, Structure& t) {
    std::string line = c.text + " ";
    const TextWords words = split_text_words(line);
    for (int k = 2; k <= words.count; ++k) {
        ++t.type_count;
        if (static_cast<int>(t.type_atomic_number.size()) <= t.type_count)
            t.type_atomic_number.resize(static_cast<std::size_t>(t.type_count) + 1, 0);
        t.type_atomic_number[static_cast<std::size_t>(t.type_count)] = atomic_number(words.at(k));
    }
}

void fvar_card(Io& io, int listing, const std::string& file_name, const ShelxCard& c,
               Structure& structure) {
    const int count = count_blank_ended_words(c.text + " ") - 1;
    if (structure.free_var_count + count > max_free_vars)
        fatal_error(io, listing, "ReadShelx", "More than 200 free variables on the FVAR cards");
    ListReader lr(std::string_view(c.text).substr(4));
    for (int k = 1; k <= count; ++k) {
        float& v = structure.free_var[static_cast<std::size_t>(structure.free_var_count + k)];
        if (lr.get(v) != ReadStatus::ok)
            bad_card(file_name, c,
                     "expected " + std::to_string(count) + " free variables on the FVAR card");
    }
    structure.free_var_count += count;
}

void wght_card(const std::string& file_name, const ShelxCard& c, Structure& structure) {
    int count = count_blank_ended_words(c.text + " ") - 1;
    if (count > 6) count = 6;  // SHELXL has six weighting parameters
    ListReader lr(std::string_view(c.text).substr(4));
    for (int k = 1; k <= count; ++k)
        if (lr.get(structure.weight[static_cast<std::size_t>(k)]) != ReadStatus::ok)
            bad_card(
                file_name, c,
                "expected " + std::to_string(count) + " weighting parameters on the WGHT card");
}

void first_pass(Io& io, int listing, InFile& f, const std::string& file_name, FirstPass& p,
                Structure& structure) {
    std::string raw;
    while (f.read(raw)) {
        if (raw.size() > line_length) raw.resize(line_length);
        if (!raw.empty() && raw[0] == '+') {
            if (!p.include)
                io.write(listing,
                         " Include files are not read (first include line: " + trim(raw) + ")");
            p.include = true;
            continue;
        }
        // The name from the first four columns; the card is made only for those taken here.
        const std::string key = shelx_upper(pad(card_text(std::string_view(raw).substr(0, 4)), 4));
        if (key != "SYMM" && key != "CELL" && key != "LATT" && key != "SFAC" && key != "FVAR" &&
            key != "WGHT" && key != "RESI")
            continue;
        ShelxCard c;
        c.recno = f.recno();
        c.text = shelx_upper(card_text(raw));
        if (key == "SYMM") {
            structure.shelx_head.cards.push_back(SymmetryCard{trim(c.text)});
            continue;
        }
        join_continuations(f, c.text);
        if (key == "CELL") cell_card(file_name, c, p, structure);
        if (key == "LATT") latt_card(io, listing, file_name, c, p, structure.shelx_head);
        if (key == "SFAC") sfac_card(c, structure);
        if (key == "FVAR") fvar_card(io, listing, file_name, c, structure);
        if (key == "WGHT") wght_card(file_name, c, structure);
        // Residues are taken atom by atom in the atom pass.
        if (key == "RESI") structure.has_residues = true;
    }
}

// The shell occupations of every SFAC type, for the SCAT table; an element without them
// stops the run.
std::vector<ScatteringRow> scattering_rows(Io& io, const Records& r) {
    std::vector<ScatteringRow> rows;
    for (int t = 1; t <= r.structure.type_count; ++t) {
        ScatteringRow row;
        row.atomic_number = r.structure.type_atomic_number[static_cast<std::size_t>(t)];
        const std::array<int, 19> shells = shell_occupations(io, r, row.atomic_number, t);
        std::copy(shells.begin() + 1, shells.end(), row.shells.begin());
        rows.push_back(row);
    }
    return rows;
}

// The lattice and the operators of the cards with their centring and inversion partners,
// as the listing shows them, then the cell matrices.
void read_crystal_symmetry(Io& io, Records& r, const ShelxHead& head, int latt) {
    const int out = Files::listing;
    io.write(out, "");
    std::string l = " Cell parameters: ";
    for (float v : r.structure.cell) l += ff(v, 10, 3);
    io.write(out, l);
    list_lattice(io, out, head.lattice, head.centric);
    Symmetry& symmetry = r.structure.symmetry;
    read_symmetry(io, out, Files::shelx_input, symmetry);
    if (latt != 1) add_lattice_centring(io, out, r.options.verbosity, head.lattice, symmetry);
    if (head.centric) add_inversion_partners(io, out, symmetry);
    io.write(out, "");
    io.write(out, " Final set of symmetry operations in matrix form:");
    list_symmetry_operators(io, out, r.options.verbosity, symmetry);
    list_atom_types(io, r);
    make_cell_matrices(io, out, r.structure);
}

}  // namespace

void read_shelx(Io& io, Records& r, const std::string& file_name) {
    const int out = Files::listing;
    for (auto& l : r.structure.label) l = std::string(8, ' ');
    for (auto& s : r.structure.site_symmetry) s = std::string(5, ' ');
    r.structure.type_count = 0;
    ShelxHead& head = r.structure.shelx_head;
    head = ShelxHead{};
    ShelxScan scan;
    scan.file_name = file_name;

    if (!io.try_open_old(Files::shelx_input, file_name))
        fatal_error(io, out, "ReadShelx",
                    "Error opening SHELX file... " + file_name +
                        why_structure_not_opened(io, file_name, r.options.word_after_input_names));
    InFile& f = io.in(Files::shelx_input);
    io.write(out, "");
    io.write(out, " Reading SHELX file : " + pad_uncut(file_name, 60));
    r.structure.has_residues = false;

    FirstPass p;
    first_pass(io, out, f, file_name, p, r.structure);
    if (!p.cell) fatal_error(io, out, "ReadShelx", "No CELL card in SHELX file " + file_name);
    if (p.latt == 0) {
        // The SHELX default: a primitive, centrosymmetric lattice.
        p.latt = 1;
        p.centro = true;
        head.cards.push_back(LatticeCard{'P', true});
    }
    head.lattice = kLattices[p.latt - 1];
    head.centric = p.centro;
    head.scattering = scattering_rows(io, r);
    read_crystal_symmetry(io, r, head, p.latt);

    const std::string atom_head =
        std::string("    NO.  ATOM     IZ IU SF    XF       YF       ZF") + "    OCCUP  U's -->";
    for (int ch : {out, terminal}) {
        io.write(ch, "");
        io.write(ch, atom_head);
    }

    f.rewind();
    r.structure.atom_count = 0;
    read_atoms(io, r, f, scan);
    io.close(Files::shelx_input);
}

}  // namespace kova
