// Symmetry operators: cards in text or numeric form, lattice centring, the centrosymmetric
// partners, folding of translations and the operator listings.
#pragma once

#include <optional>
#include <string>

#include "shared/records.hpp"

namespace kova {

// Reads the symmetry cards of an input file and lists the operators on channel `out`.
void read_symmetry(Records& r, int unit, int out);

// How the reading of one symmetry card ended.
enum class SymmCardStatus {
    read,                  // every operator of the card read
    illegal_operator,      // an operator refused and listed as illegal
    inexact_translation,   // a translation that does not read exactly
};
// What the reading of one symmetry card gives.
struct SymmCardReading {
    SymmCardStatus status = SymmCardStatus::read;
    std::string bad_translation;  // with inexact_translation: the component that holds it
};
// Parses one card (its first `len` characters), appending its operators; the operators
// after the one refused are not read.
SymmCardReading parse_symm_card(Records& r, std::string card, int len);

// One operator component in text form.
struct SymmComponent {
    Vec3f coef{};              // the coefficients of X, Y and Z
    std::optional<float> trn;  // the translation; nothing when what is left after the axis
                               // terms is neither a number nor a fraction "[sign]n/d"
};
// One component in text form, its axis terms taken out of `comp`.
SymmComponent parse_symm_component(Records& r, std::string& comp, int len);
// The coefficients of X, Y and Z in an operator component, whose terms are taken out of it.
Vec3f take_rotation_terms(Records& r, std::string& comp, int len);
// Writes operator n as a SYMM line.
void write_symm_line(Records& r, int unit, int n);
// Appends one component of an operator as text to a line that is `pos` characters long,
// moving `pos` past it.
void append_operator_text(std::string& line, int& pos, const float coef[3], float trn);
// Adds the operators of lattice centring `lattice` and lists them on channel `out`.
void add_lattice_centring(Records& r, int out, char lattice);
// Folds the translations of the first `count` operators into (-1, 1).
void fold_translations(Records& r, int count);
// Adds the centrosymmetric partner of every operator and lists them on channel `out`.
void add_inversion_partners(Records& r, int out);
// Lists the number of operators (and their matrices at VERBOSE 2) on channel `out`.
void list_symmetry_operators(Records& r, int out);

}  // namespace kova
