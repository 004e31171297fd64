// Symmetry operators: cards in text or numeric form, lattice centring, the centrosymmetric
// partners, folding of translations and the operator listings.
#pragma once

#include <optional>
#include <string>

#include "shared/records.hpp"

namespace kova {

// Reads the symmetry cards of the input file on channel `unit` into `s`, the identity first,
// and lists the operators. Stops and listing lines go to channel `listing`.
void read_symmetry(Io& io, int listing, int unit, Symmetry& s);

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
// Parses one card (its first `len` characters), appending its operators to `s`; the
// operators after the one refused are not read.
SymmCardReading parse_symm_card(Io& io, int listing, std::string card, int len, Symmetry& s);

// One operator component in text form.
struct SymmComponent {
    Vec3f coef{};              // the coefficients of X, Y and Z
    std::optional<float> trn;  // the translation; nothing when what is left after the axis
                               // terms is neither a number nor a fraction "[sign]n/d"
};
// One component in text form, its axis terms taken out of `comp`.
SymmComponent parse_symm_component(Io& io, int listing, std::string& comp, int len);
// The coefficients of X, Y and Z in an operator component, whose terms are taken out of it.
Vec3f take_rotation_terms(Io& io, int listing, std::string& comp, int len);
void write_symm_line(Io& io, int channel, const Symmetry& s, int n);
// Appends one component of an operator as text to a line that is `pos` characters long,
// moving `pos` past it.
void append_operator_text(std::string& line, int& pos, const float coef[3], float trn);
// Adds the operators of lattice centring `lattice` and lists them (their matrices from
// VERBOSE 2 on); an unknown centring stops the run.
void add_lattice_centring(Io& io, int listing, int verbosity, char lattice, Symmetry& s);
// The lattice lines of the structure listing, before its symmetry operations are read.
void list_lattice(Io& io, int listing, char lattice, bool centric);
// Folds the translations of the first `count` operators into (-1, 1).
void fold_translations(Symmetry& s, int count);
// Adds the centrosymmetric partner of every operator and lists them.
void add_inversion_partners(Io& io, int listing, Symmetry& s);
// Lists the number of operators (and their matrices from VERBOSE 2 on) on a channel.
void list_symmetry_operators(Io& io, int channel, int verbosity, const Symmetry& s);

}  // namespace kova
