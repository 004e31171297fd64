// The pieces of the SHELX reader that work record by record: the reading of cards as SHELXL
// reads them (comments, continuations, instructions that are no atoms), the atom records with
// their free variables, labels and riding displacement parameters, and the scattering rows.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "shared/records.hpp"

namespace kova {

// One card of the file: the text with any "!" comment removed, upper-cased, its "="
// continuation records joined on; `name` is the first word as read (case kept).
struct ShelxCard {
    std::string text;
    std::string name;
    int recno = 0;  // number of the card's first record
};

// What the atom pass keeps from record to record.
struct ShelxScan {
    std::string file_name;
    int residue_number = 0;    // residue in force (0: outside any residue)
    std::string residue_class;  // its class, blank outside residues
    std::vector<int> count;    // atoms read so far per SFAC number
    std::vector<char> riding;  // per atom: U given as a riding value
    int last_free = 0;         // the latest atom that does not ride
    std::string raw, rec, upper;  // the latest record as read, as a card text, upper-cased
};

// Upper-cases a-z only.
std::string shelx_upper(std::string s);
// A record of the file as a card text: cut to 255 characters, tabs made blanks, the comment
// removed.
std::string card_text(std::string_view raw);
// True for the four-character names of instructions that are passed over in the atom pass.
bool is_instruction(std::string_view key4);

// Reads the next atom record; false at the end of the atom list (END, HKLF or end of file).
bool read_atom_card(InFile& f, ShelxScan& s, ShelxCard& card);

// What a RESI card names.
struct ResidueCard {
    int number = 0;            // 0 when the card gives none
    std::string residue_class;  // blank when the card gives none
};
// Residue number and class of a RESI card in any of SHELXL's forms; the card is upper-cased.
ResidueCard parse_resi(std::string_view card);

// Decodes one value given with a free-variable reference: 10m + p with |p| < 5 is p * fv(m)
// for m > 0 and p * (fv(-m) - 1) for m < 0; 10 + p and -10 + p are fixed values.
// Nothing when the free variable lies beyond the 200 places of the record.
std::optional<float> apply_free_variable(const Structure& structure, float v);

// The label of the atom being read (the latest of the atom count), named `name` on its card
// and of SFAC type `sfac_type`.
std::string shelx_atom_label(const Records& r, const ShelxScan& s, const std::string& name,
                             int sfac_type);

// Reciprocal cell lengths a*, b*, c* of a cell.
Vec3f reciprocal_lengths(const std::array<float, 6>& cell);
// The equivalent isotropic displacement parameter of atom i.
float equivalent_u(const Structure& structure, int i);

// The atom pass: every atom record from the start of the file to END or HKLF, then the atom
// count, the occupancy flags and the atom table.
void read_atoms(Io& io, Records& r, InFile& f, ShelxScan& s);

// Shell occupations of an element in the order 1S 2S 3S 4S 2P 3P 4P 3D 4D 4F 5S 5P 6S
// 6P 5D 7S 6D 5F (slots 1..18, slot 0 unused); stops the run for atomic numbers it does not
// know, naming the element and its SFAC type.
std::array<int, 19> shell_occupations(Io& io, const Records& r, int atomic_number,
                                      int sfac_type);

}  // namespace kova
