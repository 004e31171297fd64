// The head of xd_kova.mas for SHELX input. The cards come in the order of the SHELX file, so
// that a file with several CELL or LATT cards gives one line for each, as it was read.
#include "output/xd_master_head.hpp"

#include <string>

#include "shared/format.hpp"

namespace kova {

namespace {

void write_card(Io& io, int mas, const ShelxCrystalCard& card) {
    if (const auto* c = std::get_if<CellCard>(&card)) {
        std::string l = "CELL ";
        for (float v : c->cell) l += ff(v, 12, 4);
        io.write(mas, l);
        io.write(mas, "WAVE " + ff(c->wavelength, 12, 6));
    } else if (const auto* latt = std::get_if<LatticeCard>(&card)) {
        io.write(mas, std::string(latt->centric ? "LATT C " : "LATT A ") + latt->letter);
    } else if (const auto* symm = std::get_if<SymmetryCard>(&card)) {
        io.write(mas, symm->text);
    }
}

// The least-squares module head and the scattering table of the SFAC types.
void write_xd_lsm_block(Io& io, int mas, const Records& r) {
    const std::string rule = "!" + std::string(78, '-');
    io.write_lines(mas, {std::string(79, '!'), "!", "    MODULE *XDLSM", "!",
                         "SELECT  *model 4 0 0 0 based_on F test verbose 3",
                         "SELECT  cycle 15 dampk 0.6 cmin 0.6 cmax 1. eigcut 1.d-09",
                         "SAVE  deriv lsqmat cormat", "SOLVE  *inv diag *cond", rule});
    io.write(mas, std::string("SCAT CORE SPHV DEFV   1S  2S  3S  4S  2P  3P") +
                      "  4P  3D  4D  4F  5S  5P  6S  6P  5D  7S  6D  5F  DELF'" +
                      "   DELF''  NSCTL");
    for (const ScatteringRow& row : r.structure.shelx_head.scattering) {
        // cols 1-2 element, 6-19 the three table names, then the 18 shells in I4
        std::string l = pad(element_symbol(r, row.atomic_number), 2) + fx(3) +
                        "CHFW CHFW CSZD" + fx(1);
        for (int n : row.shells) l += fi(n, 4);
        l += ff(0.0f, 8, 4) + ff(0.0f, 8, 4) + ff(0.0f, 7, 3);
        io.write(mas, l);
    }
    io.write(mas, "END SCAT");
    io.write(mas, rule);
}

}  // namespace

void write_xd_master_head(Io& io, const Records& r) {
    const int mas = Files::xd_master;
    io.write(mas, std::string(79, '!'));
    io.write(mas, "!                   CREATED BY PROGRAM << KOVA >>");
    io.write(mas, std::string(79, '!'));
    io.write(mas, "TITLE TEST");
    for (const ShelxCrystalCard& card : r.structure.shelx_head.cards) write_card(io, mas, card);
    write_xd_lsm_block(io, mas, r);
}

}  // namespace kova
