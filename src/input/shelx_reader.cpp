// The SHELX reader. A first pass takes the crystal data from the cards and writes, as it
// goes, the head of xd_kova.mas and the cell line of mopro_kova.par; then come the SCAT
// table, the symmetry, the cell matrices and the MoPro symmetry block; a second pass reads
// the atoms. Lines written follow the order of the cards in the file.
#include "input/shelx_reader.hpp"

#include <array>
#include <string>
#include <vector>

#include "input/cartesian_readers.hpp"
#include "input/cell.hpp"
#include "input/shelx_atoms.hpp"
#include "input/symmetry.hpp"
#include "output/mopro_files.hpp"
#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/list_reader.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

const char* const kLattices = "PIRFABC";

struct FirstPass {
    float wave = 0.0f;
    int latt = 0;          // absolute LATT number, 0 while no LATT card was read
    bool centro = false;
    bool cell = false;     // a CELL card was read
    bool include = false;  // an include line was met
    std::vector<std::string> symm;  // SYMM texts
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

void cell_card(Records& r, const std::string& file_name, const ShelxCard& c, FirstPass& p) {
    auto& cell = r.structure.cell;
    ReadStatus st = read_list(std::string_view(c.text).substr(4), p.wave, cell[0], cell[1],
                              cell[2], cell[3], cell[4], cell[5]);
    if (st != ReadStatus::ok)
        bad_card(file_name, c, "expected the wavelength and six cell constants on the CELL card");
    p.cell = true;
    const int mas = r.files.xd_master;
    std::string l = "CELL ";
    for (float v : cell) l += ff(v, 12, 4);
    r.io.write(mas, l);
    r.io.write(mas, "WAVE " + ff(p.wave, 12, 6));
    std::string m = fa("CELL", 4);
    for (int k = 0; k < 3; ++k) m += ff(cell[static_cast<std::size_t>(k)], 10, 4);
    for (int k = 3; k < 6; ++k) m += ff(cell[static_cast<std::size_t>(k)], 9, 4);
    m += ' ';
    m += ff(p.wave, 8, 5);
    r.io.write(mopro_parameters_channel, m);
    r.io.write(mopro_parameters_channel, "");
}

void latt_card(Records& r, const std::string& file_name, const ShelxCard& c, FirstPass& p) {
    int n = 0;
    if (read_list(std::string_view(c.text).substr(4), n) != ReadStatus::ok)
        bad_card(file_name, c, "expected the lattice number on the LATT card");
    if (n == 0 || n < -7 || n > 7)
        fatal_error(r, "ReadShelx",
                    "LATT number " + std::to_string(n) + " is not one of -7..-1, 1..7");
    p.latt = n < 0 ? -n : n;
    const char letter = kLattices[p.latt - 1];
    const bool positive = n > 0;
    r.io.write(r.files.xd_master,
               std::string(positive || p.centro ? "LATT C " : "LATT A ") + letter);
    if (positive) p.centro = true;
}

void symm_card(Records& r, const ShelxCard& c, FirstPass& p) {
    std::string t = trim(c.text);
    r.io.write(r.files.xd_master, t);
    p.symm.push_back(t.size() > 4 ? t.substr(4) : "");
}

void sfac_card(Records& r, const ShelxCard& c) {
    std::string line = c.text + " ";
    split_text_words(r, line);
    Structure& t = r.structure;
    for (int k = 2; k <= r.line_words.count; ++k) {
        ++t.type_count;
        if (static_cast<int>(t.type_atomic_number.size()) <= t.type_count)
            t.type_atomic_number.resize(static_cast<std::size_t>(t.type_count) + 1, 0);
        t.type_atomic_number[static_cast<std::size_t>(t.type_count)] =
            atomic_number(r.line_words.word[k]);
    }
}

void fvar_card(Records& r, const std::string& file_name, const ShelxCard& c) {
    const int count = count_blank_ended_words(c.text + " ") - 1;
    if (r.structure.free_var_count + count > max_free_vars)
        fatal_error(r, "ReadShelx", "More than 200 free variables on the FVAR cards");
    ListReader lr(std::string_view(c.text).substr(4));
    for (int k = 1; k <= count; ++k) {
        float& v = r.structure.free_var[static_cast<std::size_t>(r.structure.free_var_count + k)];
        if (lr.get(v) != ReadStatus::ok)
            bad_card(file_name, c,
                     "expected " + std::to_string(count) + " free variables on the FVAR card");
    }
    r.structure.free_var_count += count;
}

void wght_card(Records& r, const std::string& file_name, const ShelxCard& c) {
    int count = count_blank_ended_words(c.text + " ") - 1;
    if (count > 6) count = 6;  // SHELXL has six weighting parameters
    ListReader lr(std::string_view(c.text).substr(4));
    for (int k = 1; k <= count; ++k)
        if (lr.get(r.structure.weight[static_cast<std::size_t>(k)]) != ReadStatus::ok)
            bad_card(
                file_name, c,
                "expected " + std::to_string(count) + " weighting parameters on the WGHT card");
}

void first_pass(Records& r, InFile& f, const std::string& file_name, FirstPass& p) {
    std::string raw;
    while (f.read(raw)) {
        if (raw.size() > line_length) raw.resize(line_length);
        if (!raw.empty() && raw[0] == '+') {
            if (!p.include)
                r.io.write(r.files.listing,
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
            symm_card(r, c, p);
            continue;
        }
        join_continuations(f, c.text);
        if (key == "CELL") cell_card(r, file_name, c, p);
        if (key == "LATT") latt_card(r, file_name, c, p);
        if (key == "SFAC") sfac_card(r, c);
        if (key == "FVAR") fvar_card(r, file_name, c);
        if (key == "WGHT") wght_card(r, file_name, c);
        // Residues are taken atom by atom in the atom pass.
        if (key == "RESI") r.structure.has_residues = true;
    }
}

void write_xd_lsm_block(Records& r) {
    const int mas = r.files.xd_master;
    const std::string rule = "!" + std::string(78, '-');
    r.io.write_lines(mas, {std::string(79, '!'), "!", "    MODULE *XDLSM", "!",
                           "SELECT  *model 4 0 0 0 based_on F test verbose 3",
                           "SELECT  cycle 15 dampk 0.6 cmin 0.6 cmax 1. eigcut 1.d-09",
                           "SAVE  deriv lsqmat cormat", "SOLVE  *inv diag *cond", rule});
    r.io.write(mas, std::string("SCAT CORE SPHV DEFV   1S  2S  3S  4S  2P  3P") +
                        "  4P  3D  4D  4F  5S  5P  6S  6P  5D  7S  6D  5F  DELF'" +
                        "   DELF''  NSCTL");
    for (int t = 1; t <= r.structure.type_count; ++t) {
        const int z = r.structure.type_atomic_number[static_cast<std::size_t>(t)];
        const std::array<int, 19> row = shell_occupations(r, z, t);
        std::string l = pad(element_symbol(r, z), 2) + fx(3) + "CHFW CHFW CSZD" + fx(1);
        for (int k = 1; k <= 18; ++k) l += fi(row[static_cast<std::size_t>(k)], 4);
        l += ff(0.0f, 8, 4) + ff(0.0f, 8, 4) + ff(0.0f, 7, 3);
        r.io.write(mas, l);
    }
    r.io.write(mas, "END SCAT");
    r.io.write(mas, rule);
}

void mopro_symmetry(Records& r, const FirstPass& p, char letter) {
    std::string l = "SYMM " + fi_grown(static_cast<long long>(p.symm.size()) + 1, 3) + " " + letter;
    if (p.centro) l += " CENTRO";
    r.io.write(mopro_parameters_channel, l);
    r.io.write(mopro_parameters_channel, "  X, Y, Z");
    // A longer operator is written whole: cut to 30 columns it would lose a component.
    for (const std::string& t : p.symm)
        r.io.write(mopro_parameters_channel, t.size() < 30 ? pad(t, 30) : t);
    r.io.write_lines(mopro_parameters_channel,
                     {"", "SCALE  1  1.0", "", "FMULT  1.0", "", "UOVER  0.0", "",
                      "SOLVT  0.0  50.0", "", "EXTIN  0.0  GAUSSIAN  ISOT  TYP1", ""});
}

}  // namespace

void read_shelx(Records& r, const std::string& file_name) {
    const int out = r.files.listing;
    const int mas = r.files.xd_master;
    for (auto& l : r.structure.label) l = std::string(8, ' ');
    for (auto& s : r.structure.site_symmetry) s = std::string(5, ' ');
    r.structure.type_count = 0;
    ShelxScan scan;
    scan.file_name = file_name;

    if (!r.io.try_open_old(shelx_channel, file_name))
        fatal_error(r, "ReadShelx", "Error opening SHELX file... " + file_name +
                                        why_structure_not_opened(r, file_name));
    InFile& f = r.io.in(shelx_channel);
    r.io.write(out, "");
    r.io.write(out, " Reading SHELX file : " + pad_uncut(file_name, 60));
    r.io.write(mas, std::string(79, '!'));
    r.io.write(mas, "!                   CREATED BY PROGRAM << KOVA >>");
    r.io.write(mas, std::string(79, '!'));
    r.io.write(mas, "TITLE TEST");
    r.structure.has_residues = false;

    FirstPass p;
    first_pass(r, f, file_name, p);
    if (!p.cell) fatal_error(r, "ReadShelx", "No CELL card in SHELX file " + file_name);
    if (p.latt == 0) {
        // The SHELX default: a primitive, centrosymmetric lattice.
        p.latt = 1;
        p.centro = true;
        r.io.write(mas, "LATT C P");
    }
    const char letter = kLattices[p.latt - 1];
    write_xd_lsm_block(r);

    r.io.write(out, "");
    std::string l = " Cell parameters: ";
    for (float v : r.structure.cell) l += ff(v, 10, 3);
    r.io.write(out, l);
    r.io.write(out, "");
    r.io.write(out, std::string(" Lattice type : ") + letter);
    r.io.write(out, std::string(" Lattice is ") + (p.centro ? "CentroSymmetric" : "Acentric"));
    r.io.write(out, "");
    r.io.write(out, " Symmetry operations : ");
    read_symmetry(r, shelx_channel, out);
    if (p.latt != 1) add_lattice_centring(r, out, letter);
    if (p.centro) add_inversion_partners(r, out);
    r.io.write(out, "");
    r.io.write(out, " Final set of symmetry operations in matrix form:");
    list_symmetry_operators(r, out);
    list_atom_types(r);
    make_cell_matrices(r);

    const std::string head =
        std::string("    NO.  ATOM     IZ IU SF    XF       YF       ZF") + "    OCCUP  U's -->";
    for (int ch : {out, terminal}) {
        r.io.write(ch, "");
        r.io.write(ch, head);
    }
    mopro_symmetry(r, p, letter);

    f.rewind();
    r.structure.atom_count = 0;
    read_atoms(r, f, scan);
    r.io.close(shelx_channel);
}

}  // namespace kova
