// xd_kova.inp on channel Files::xd_parameters. Populations are written as stored, that is already
// multiplied by the occupancy (the MoPro file divides it out again).
#include "output/xd_parameter_file.hpp"

#include <string>

#include "shared/format.hpp"

namespace kova {

namespace {

// The multipole populations in XD's order after Pv; the dipoles alone put m = 0 last.
struct LM {
    int l, m;
};
constexpr LM kXdOrder[25] = {
    {0, 0},
    {1, 1}, {1, -1}, {1, 0},
    {2, 0}, {2, 1}, {2, -1}, {2, 2}, {2, -2},
    {3, 0}, {3, 1}, {3, -1}, {3, 2}, {3, -2}, {3, 3}, {3, -3},
    {4, 0}, {4, 1}, {4, -1}, {4, 2}, {4, -2}, {4, 3}, {4, -3}, {4, 4}, {4, -4},
};

int axis_code(char c) { return c == 'X' ? 1 : c == 'Y' ? 2 : c == 'Z' ? 3 : 0; }

}  // namespace

XdAtomRow xd_atom_row(const Records& r, int i) {
    const auto u = static_cast<std::size_t>(i);
    const FinalFrame& frame = r.frames.final_frame[u];
    XdAtomRow row;
    row.axis1 = axis_code(frame.axis1);
    row.axis2 = axis_code(frame.axis2);
    row.target1 = frame.target1;
    row.atom = i;
    row.target2 = frame.target2;
    row.adp_order = r.structure.adp_order[u];
    row.scattering_table = r.structure.scattering_table[u];
    row.kappa_set = r.frames.kappa_set[u];
    row.multipole_level = 4;
    row.site_symmetry = 1;
    row.equivalent_atom = r.frames.equivalent_atom[u];
    return row;
}

void write_xd_parameter_head(Io& io, const Records& r) {
    const int ch = Files::xd_parameters;
    io.write(ch, std::string(80, '!'));
    io.write(ch, "!                   CREATED BY PROGRAM << KOVA >>");
    io.write(ch, std::string(80, '!'));
    io.write(ch, "XDPARFILE VERSION  2");
    io.write(ch, "  " + trim(r.structure.model_name) + "   MODEL  4  2  1  0");
    // fixed whatever the size of the structure: XD's own dimensions
    io.write(ch, "LIMITS nat 300 ntx 31 lmx 4 nzz 30 nto 0 nsc 20 ntb 20 nov 2500");
    io.write(ch, "USAGE " + fi(r.structure.atom_count, 4) + " 2 4 " +
                       fi(r.frames.kappa_count, 4) + " 0 1 0 0 " + fi(r.structure.table_count, 4) +
                       " 0 0 0 0 " + fi(r.frames.dummy_count, 4));
    std::string zeros;
    for (int k = 0; k < 8; ++k) zeros += ff(0.0f, 10, 6);
    io.write(ch, zeros);
    io.write(ch, zeros.substr(0, 60));
    for (int k = 1; k <= r.frames.dummy_count; ++k) {
        const Vec3f d = coordinates(r.frames.dummy_xyz[static_cast<std::size_t>(k)]);
        io.write(ch, ff(d[0], 13, 6) + ff(d[1], 13, 6) + ff(d[2], 13, 6));
    }
}

void write_xd_parameter_atom(Io& io, const Records& r, int i) {
    const int ch = Files::xd_parameters;
    const auto s = static_cast<std::size_t>(i);
    const XdAtomRow row = xd_atom_row(r, i);
    // cols 1-8 label, 9-14 AX1 AX2, 15-29 ATOM0 ATOM1 ATOM2, 32-61 TP TBL KAP LMX SITESYM CHEMCON
    std::string rec;
    rec.reserve(112);
    put_pad(rec, r.structure.label[s], 8);
    for (int v : {row.axis1, row.axis2}) put_fi(rec, v, 3);
    for (int v : {row.target1, row.atom, row.target2}) put_fi(rec, v, 5);
    rec += "  ";
    for (int v : {row.adp_order, row.scattering_table, row.kappa_set, row.multipole_level,
                  row.site_symmetry, row.equivalent_atom})
        put_fi(rec, v, 5);
    for (float v : r.structure.frac[s]) put_ff(rec, v, 9, 5);
    put_ff(rec, r.structure.occupancy[s], 8, 4);
    io.write(ch, rec);

    rec.clear();
    for (float v : r.structure.uij[s]) put_ff(rec, v, 10, 6);
    io.write(ch, rec);

    const Plm& p = r.frames.plm[s];
    float pop[26];
    pop[0] = r.frames.valence_population[s];
    for (int k = 0; k < 25; ++k)
        pop[k + 1] =
            p[static_cast<std::size_t>(kXdOrder[k].l)][static_cast<std::size_t>(kXdOrder[k].m + 4)];
    for (int first = 0; first < 26; first += 10) {
        rec.clear();
        for (int k = first; k < first + 10 && k < 26; ++k) put_ff(rec, pop[k], 8, 4);
        io.write(ch, rec);
    }
}

void write_xd_parameter_tail(Io& io, const Records& r) {
    const int ch = Files::xd_parameters;
    for (int k = 1; k <= r.frames.kappa_count; ++k) {
        const auto s = static_cast<std::size_t>(k);
        const auto& kap = r.frames.kappa[s];
        std::string rec = fi(r.frames.kappa_table[s], 3) + ff(kap[1], 10, 6);
        for (int m = 0; m < 5; ++m) rec += ff(kap[2], 10, 6);
        io.write(ch, rec);
    }
    std::string fv;
    for (int k = 2; k <= 8; ++k) fv += fe(r.structure.free_var[static_cast<std::size_t>(k)], 11, 4);
    io.write(ch, fv);
    io.write(ch, fe(r.structure.free_var[9], 11, 4));
    io.write(ch, fe(r.structure.free_var[1], 13, 6));
}

}  // namespace kova
