// Symmetry operators: cards in text or numeric form, lattice centring, the centrosymmetric
// partners, folding of translations and the operator listings.
#pragma once

#include <string>

#include "shared/records.hpp"

namespace kova {

void getsym(Records& r, int unit, int iout);
// Parses one card (its first `len` characters), appending its operators; status 0, 1021
// (an illegal operator) or 1022 (a translation that does not read exactly, given in `bad`);
// the operators after the one refused are not read.
void symcrd(Records& r, std::string card, int len, int& status, std::string* bad = nullptr);
// One component in text form; false when what is left after the axis terms is neither a
// number nor a fraction "[sign]n/d".
bool symop(Records& r, std::string& comp, int len, float& trn, float coef[3]);
void removerot(Records& r, std::string& comp, int len, float coef[3]);
void symout(Records& r, int unit, int n);
void opout(std::string& line, int& pos, const float coef[3], float trn);
void nonp(Records& r, int iout, char latt);
void checkts(Records& r, int nsym);
void addcentsymm(Records& r, int iout);
void prsymop(Records& r, int iout);

}  // namespace kova
