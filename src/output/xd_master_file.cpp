// xd_kova.mas from its atom table on, and for XD input the whole file. The atom lines come from
// the formatting the frame analysis echoes them with, so the file holds the lines the terminal
// and the listing showed. For XD input the head, refinement block and tail are the lines the XD
// reader kept of the old master file; its atom table, key table and kappa lines are replaced
// by the new ones.
#include "output/xd_master_file.hpp"

#include <string>
#include <vector>

#include "frames/atom_table.hpp"
#include "shared/errors.hpp"
#include "shared/format.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

constexpr std::size_t copy_line_length = 200;  // the buffer the old master file is read into

const std::string key_header =
    "KEY     XYZ --U2-- ----U3---- ------U4------- M- -D- --Q-- ---O--- ----H----";

const char* const kXdprop1[] = {
    "!",                                                                                       // 1
    "   MODULE *XDPROP",                                                                       // 2
    "!",                                                                                       // 3
    "MODEL  iam *multipole",                                                                   // 4
    "!APPLY  symm 1 translations 0 0 0 ato(1) ato(2) ...",                                     // 5
    "SELECT  *local  numdx  check  esd  nocore",                                               // 6
    "SELECT  cpcut 0.0001 lmax 4  nstep 20  rcut 4.0 ",                                        // 7
    "SELECT  scale 0.05  dx 0.001  ds 0.005 ",                                                 // 8
    "SELECT  rad1 0.1  rad2 200.  rad3 10.  zone1 1  zone2 1",                                 // 9
    "SELECT  rEcrit 0.00001  rNcrit 0.00001",                                                  // 10
    "QUADINT   iqt 2  Nrad 50  Nang 194  Becke  *Stock  Print",                                // 11
    "!GROUP  ato(1) ato(2) ...",                                                               // 12
    "MOLMOM  *cmass center ucell ccharge",                                                     // 13
    "!D-POP",                                                                                  // 14
    "!EXPORT *orient *min16 lmax 4 nmol 1 natmol ...",                                         // 15
    "PROPERTY  *rho gradrho d2rho nucpot elpot core valence defden sigrho siglap esp ef efg",  // 16
    "!QFIT  grid 11 length 7.0 width 1.0 constrain false",                                     // 17
    "!CONSTRAIN  ato(1) ato(2) ...",                                                           // 18
    "!",                                                                                       // 19
    "!STOCKMOM  defden lmin 0 lmax 4 *cmass center ucell debug",                               // 20
    "!STOCKMOM *orient *min16 lmax 4 nmol 1 natmol ...",                                       // 21
    "!STOCKMOM  atoms *all select ato(1) ato(2) ...",                                          // 22
    "!",                                                                                       // 23
    "!ATATPOT  *EXREP spack  wilcox lj *saptP  saptA ",                                        // 24
    "!ATATPOT  *DISPR spack  wilcox lj *saptP  saptA ",                                        // 25
    "!ATATPOT  *INDUC                  *saptP  saptA",                                         // 26
    "!",                                                                                       // 27
    "!HBONDS   H(1) O(1) 1.75   H(2) O(2) 1.82",                                               // 28
    "!",                                                                                       // 29
    "!HPOLAR   H(1) H(3) H(4)",                                                                // 30
    "!",                                                                                       // 31
    "!INTEREN  frag 1  nat1 -nat2  *neutral",                                                  // 32
    "!INTEREN  frag 2  nat3 -nat4  *neutral",                                                  // 33
    "!INTEREN  EP aMM  mMM *EPMM  rCrit1 4.5 rCrit2 20. debug",                                // 34
    "!",                                                                                       // 35
};
const char* const kXdprop2[] = {
    "!LATEN  ncells 0 20  nappl 0  symms 1 2 3",                                // 37
    "!LATEN  EP  aMM  mMM  *EPMM  rCrit1 4.5 rCrit2 20. lapf debug",            // 38
    "!",                                                                        // 39
    "!POINT  x y z",                                                            // 40
    "!LINE  ato(1) ato(2)  npts 50",                                            // 41
    "!LINE  points x1 y1 z1 x2 y2 z2 npts 50",                                  // 42
    "!CUBE  centre x y z   npts 30  stepsize 0.1",                              // 43
    "!CUBE  ato(1) ato(2)  npts 20  stepsize 0.1",                              // 44
    "!MAP  atoms ato(1) ato(2) ato(3) npts 50 stepsize 0.1",                    // 45
    "!MAP  bvect1 x1 y1 z1 bvect2 x2 y2 z2 cen x0 y0 z0 npts 50 stepsize 0.1",  // 46
    "!CPSEARCH  bond ato(1) ato(2)",                                            // 47
    "!CPSEARCH  bond rmin  1.2 rmax  1.6",                                      // 48
    "!CPSEARCH  ring ato(1) ato(2) ...",                                        // 49
    "!CPSEARCH  shell ato(1) rmin 0.3 rmax 0.5 nrad 5 nang 11 11 cutoff 16.0",  // 50
    "!CPSEARCH BUBBLE ato(1) rmin 0.3 rmax 0.5 curv -3 ncps 3",                 // 51
    "!CPSEARCH  point x y z",                                                   // 52
    "!CPSEARCH  start file.cps",                                                // 53
    "!BPATH  ato(1) ato(2) algrithm 2",                                         // 54
    "!",                                                                        // 55
    "   END XDPROP",                                                            // 56
};
const char* const kXdgeom[] = {
    "   MODULE XDGEOM",                                        // 58
    "SELECT   rmin 0.8 rmax 1.8  tor *ato *bon *ang loc non",  // 59
    "   END  XDGEOM",                                          // 60
};

struct MultipoleKey {
    const char* sitesym;
    const char* key;
};
// "-42m" allows no dipole at all, so none is flagged.
const MultipoleKey kMultipoleKeys[] = {
    {"NO", "10 111 11111 1111111 111111111"},   {"m", "10 110 10011 0110011 100110011"},
    {"mm2", "10 001 10010 1001000 100100010"},  {"3m", "10 001 10000 1000010 100001000"},
    {"-42m", "10 000 10000 0001000 100000010"}, {"cyl", "10 001 10000 1000000 100000000"},
};

bool is_xd(const Records& r) { return r.options.input_format == InputFormat::xd; }
bool is_shelx(const Records& r) { return r.options.input_format == InputFormat::shelx; }

// A line of the old master file as the copy writes it: to its last non-blank, a blank one as
// the whole 200-character buffer it was read into.
// One part of the old master file, as the XD reader kept it; a part the file cut short ends
// the run here.
void copy_part(Io& io, int channel, const XdMasterCopy& old, XdMasterCopy::Part part) {
    if (old.cut_short == part) throw RunFault(old.cut_short_fault);
    const std::vector<std::string>& lines = part == XdMasterCopy::Part::head ? old.head
                                            : part == XdMasterCopy::Part::refinement
                                                ? old.refinement
                                                : old.tail;
    const std::string blank_line(copy_line_length, ' ');
    for (const std::string& l : lines) io.write(channel, l.empty() ? blank_line : l);
}

void write_atom_lines(Io& io, const Records& r) {
    const int mas = Files::xd_master;
    io.write(mas, atom_table_header);
    for (int i = 1; i <= r.structure.atom_count; ++i)
        io.write(mas, atom_table_line(r.structure, r.frames, i));
}

// Dummy k: its label and stored point, fractional for crystal input.
void write_dummies(Io& io, const Records& r) {
    std::string rec;
    for (int k = 1; k <= r.frames.dummy_count; ++k) {
        const auto u = static_cast<std::size_t>(k);
        rec.clear();
        put_pad(rec, r.frames.dummy_label[u], 6);
        rec += "  ";
        for (float x : coordinates(r.frames.dummy_xyz[u])) put_ff(rec, x, 12, 6);
        io.write(Files::xd_master, rec);
    }
}

void write_keys(Io& io, const Records& r) {
    io.write(Files::xd_master, key_header);
    for (int i = 1; i <= r.structure.atom_count; ++i) {
        io.write(Files::xd_master, pad(r.structure.label[static_cast<std::size_t>(i)], 8) +
                                       atom_key(r.options, r.structure, i));
    }
}

void write_kappas(Io& io, const Records& r) {
    const int kappa_sets = r.frames.kappa_set_count;
    const bool flagged = !r.options.to_xd && r.options.keys.kappa;
    // One pass over the atoms: does set k hold an atom other than hydrogen?
    std::vector<char> heavy(static_cast<std::size_t>(kappa_sets > 0 ? kappa_sets : 0) + 1, 0);
    if (flagged)
        for (int j = 1; j <= r.structure.atom_count; ++j) {
            int k = r.frames.kappa_set[static_cast<std::size_t>(j)];
            if (k >= 1 && k <= kappa_sets &&
                r.structure.atomic_number[static_cast<std::size_t>(j)] != 1)
                heavy[static_cast<std::size_t>(k)] = 1;
        }
    for (int k = 1; k <= kappa_sets; ++k) {
        const char* line = !flagged                             ? "KAPPA   000000"
                           : heavy[static_cast<std::size_t>(k)] ? "KAPPA   110000"
                                                                : "KAPPA   100000";
        io.write(Files::xd_master, line);
    }
}

// The tail of Cartesian input; PLATON input ends like AIM2TAB input, so that its key table is
// closed too.
void write_fixed_tail(Io& io, int channel) {
    io.write_lines(channel, {"EXTCN   0000000", "OVTHP   0", "SCALE   1", "END KEY"});
}

// SHELX input: the end of the refinement module that the head opened, and the property modules.
void write_shelx_closing(Io& io, const Records& r) {
    const int mas = Files::xd_master;
    io.write_lines(mas, {"!" + std::string(78, '-'), "!", "   END XDLSM", "!"});
    io.write(mas, std::string(79, '!'));
    write_xd_closing_modules(io, mas, r.structure.atom_count);
}

}  // namespace

std::string atom_key(const Options& options, const Structure& structure, int i) {
    auto u = static_cast<std::size_t>(i);
    std::string sk = "000 000000 0000000000 000000000000000 ";
    std::string mk = "00 000 00000 0000000 000000000";
    const Keys& k = options.keys;
    const bool ordered = structure.occupancy_flag[u] != -1;
    if (k.xyz && (k.xyz_all || (k.xyz_ordered && ordered)))
        sk = structure.atomic_number[u] == 1 ? "111 100000 0000000000 000000000000000 "
                                             : "111 111111 0000000000 000000000000000 ";
    if (!options.to_xd && k.multipoles && (k.multipoles_all || (k.multipoles_ordered && ordered)))
        for (const MultipoleKey& m : kMultipoleKeys)
            if (same_text(structure.site_symmetry[u], m.sitesym)) mk = m.key;
    return sk + mk;
}

void write_xd_refinement_block(Io& io, int channel, const std::array<float, 7>& weight,
                               int kappa_sets) {
    const std::string rule = "!" + std::string(78, '-');
    io.write(channel, rule);
    // Twenty numbers a line, a full line ending " \\". The layout takes 220 numbers in its
    // first pass and 200 in each later one, so a pass ends after number 220, 420, 620, ...:
    // there an empty line separates the pass from more numbers, and a list that ends there
    // has no empty line after it; any other full last line is followed by an empty line.
    auto ends_pass = [](int k) { return k >= 220 && (k - 20) % 200 == 0; };
    std::string line = "KEEP  kappa ";
    for (int k = 1; k <= kappa_sets; ++k) {
        line += fi(k, 4);
        if (k % 20 == 0) {
            io.write(channel, line + " \\");
            line.clear();
            if (ends_pass(k) && k < kappa_sets) io.write(channel, "");
        }
    }
    if (kappa_sets <= 0 || kappa_sets % 20 != 0)
        io.write(channel, line);
    else if (!ends_pass(kappa_sets))
        io.write(channel, "");
    std::string w = "WEIGHT  ";
    for (int k = 1; k <= 6; ++k) w += ff(weight[static_cast<std::size_t>(k)], 11, 5);
    io.write_lines(
        channel, {"KEEP  charge group1", "!KEEP  rigid group1", "!RESET bond C(1) H(1) 1.09 ...", w,
                  "SKIP  obs 0. 1.d10 *sigobs 3. 1.d06 sinthl 0. 2.",
                  "PRINT sinthl .0 2. obs 0. 15. delta 0. 10. *del% 80 100 extcn 80. 100. *abssc",
                  "!EXTCN  *iso aniso *type_1 type_2 type_3 distr_g *distr_l msc_0  msc_1",
                  "!DMSDA  1.1  1.8", "!FOUR  fmod1 4 2 0 0  fmod2 -1 2 0 0",
                  "!CON  num1 par1/iat1 num2 par2/iat2 ... = num0", rule});
}

void write_xd_closing_modules(Io& io, int channel, int atom_count) {
    const std::string bangs(79, '!');
    for (const char* l : kXdprop1) io.write(channel, l);
    io.write(channel, "!LATEN  frag1 1 " + fi_grown(-static_cast<long long>(atom_count), 4) +
                          "  *neutral");
    for (const char* l : kXdprop2) io.write(channel, l);
    io.write(channel, bangs);
    for (const char* l : kXdgeom) io.write(channel, l);
    io.write(channel, bangs);
}

void write_xd_master_tables(Io& io, const Records& r) {
    const int mas = Files::xd_master;
    const XdMasterCopy& old = r.structure.xd_master;
    write_atom_lines(io, r);
    write_dummies(io, r);
    io.write(mas, "END ATOM");
    if (is_xd(r))
        copy_part(io, mas, old, XdMasterCopy::Part::refinement);
    else if (is_shelx(r))
        write_xd_refinement_block(io, mas, r.structure.weight, r.frames.kappa_set_count);
    write_keys(io, r);
    write_kappas(io, r);
    if (is_xd(r))
        copy_part(io, mas, old, XdMasterCopy::Part::tail);
    else
        write_fixed_tail(io, mas);
    if (is_shelx(r)) write_shelx_closing(io, r);
}

void copy_old_master_head(Io& io, const Records& r) {
    copy_part(io, Files::xd_master, r.structure.xd_master, XdMasterCopy::Part::head);
}

}  // namespace kova
