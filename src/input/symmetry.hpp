// Symmetry operators: cards in text or numeric form, lattice centring, the centrosymmetric
// partners, folding of translations and the operator listings.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

// Reads the symmetry cards of an input file and lists the operators.
void read_symmetry(Records& r, int unit, int iout);
// Parses one card (its first `len` characters), appending its operators; status 0, 1021
// (an illegal operator) or 1022 (a translation that does not read exactly, given in `bad`);
// the operators after the one refused are not read.
void parse_symm_card(Records& r, std::string card, int len, int& status, std::string* bad = nullptr);
// One component in text form; false when what is left after the axis terms is neither a
// number nor a fraction "[sign]n/d".
bool parse_symm_component(Records& r, std::string& comp, int len, float& trn, float coef[3]);
// Takes the X, Y and Z terms out of an operator component, giving their coefficients.
void take_rotation_terms(Records& r, std::string& comp, int len, float coef[3]);
// Writes operator n as a SYMM line.
void write_symm_line(Records& r, int unit, int n);
// Appends one component of an operator as text to a line.
void append_operator_text(std::string& line, int& pos, const float coef[3], float trn);
// Adds the operators of the lattice centring and lists them.
void add_lattice_centring(Records& r, int iout, char latt);
// Folds the translations of the first nsym operators into (-1, 1).
void fold_translations(Records& r, int nsym);
// Adds the centrosymmetric partner of every operator and lists them.
void add_inversion_partners(Records& r, int iout);
// Lists the number of operators (and their matrices at VERBOSE 2).
void list_symmetry_operators(Records& r, int iout);

}  // namespace kova
