#include "main/messages.hpp"

#include <string>

#include "shared/errors.hpp"
#include "shared/format.hpp"

namespace kova {

void err(Records& r, std::string_view routine, std::string_view message) {
    std::string line = " ERROR *** " + std::string(routine) + " *** " + trim(message);
    for (int ch : {r.files.iout, terminal}) {
        if (ch != terminal && !r.io.is_open_out(ch)) continue;
        r.io.write(ch, "");
        r.io.write(ch, line);
        r.io.write(ch, "");
    }
    r.io.close(r.files.iout);
    throw RunStop{};
}

void header(Records& r, int ch) {
    const std::string eq = " " + std::string(71, '=');
    const std::string dash = " " + std::string(71, '-');
    r.io.write(ch, "");
    r.io.write(ch, eq);
    r.io.write(ch, "   PROGRAM  K O V A  -  AUTOMATIC SETUP OF THE LOCAL COORDINATE SYSTEM");
    r.io.write(ch, eq);
    r.io.write(ch, " Program determines the local coordinate system for each atom based on");
    r.io.write(ch, std::string(16, ' ') + "connectivity and geometrical parameters");
    r.io.write(ch, " In addition it provides an interface to TAVIREN LAB pseudoatom databank");
    r.io.write(ch, " Sample KOVA input file (kova.inp) can be printed out with : kova -h");
    r.io.write(ch, dash);
    r.io.write(ch, eq);
    r.io.write(ch, eq);
}

void printhelp(Records& r, int ch) {
    static const char* const lines[] = {
        " ",
        "!",
        "! Example of KOVA input file (kova.inp) : ",
        "!",
        "FORMAT  *shelx xd aim2tab platon ",
        "! for SHELX :",
        "INPUT   l-dopa.shelx   rename 0 toxd ",
        "! for XD : ",
        "!INPUT   xd.mas xd.inp ",
        "! etc : ",
        "!INPUT file.inp ",
        "! printout level (higher number gives more printout) :",
        "VERBOSE  4",
        "! tolerances for bonds / planar rings / planar groups",
        "TOLS bond 0.4 ring 0.1 group 0.1",
        "! modify covalent radii",
        "!RADII  H 0.1  He 0.2  Li 0.3 ....",
        "! number of cells in each direction for complete fragment search",
        "! comment it out or set to -1 to turn off search",
        "NCELLS  1",
        "! how to handle disordered part",
        "DISORD  extendH  db",
        "! generation of keys",
        "KEYGEN  XYZUIJ all ordered  MULT all ordered",
        "! use simple model for determination of chemical equivalency",
        "SIMPLE",
        "! use/do_not_use chemical/kappa contraints for H/non-H atoms",
        "CHEMCON  *hydrogen   *other",
        "! extend H-atoms to neutron/standard distance ",
        "Extend_H",
        "! search for 3-8 membered rings",
        "RINGS  3  8  *special",
        "! assign pseudoatom parameters from TAVIREN LAB databank",
        "DATABANK /data/databank/pseudoatoms.db",
        "! select method for scaling of Pv's ",
        "SCALE *sigma diff fract",
        "! number of fragments ",
        "NFRAG 1",
        "! fragment specifications",
        "!FRAG 1 1 -25",
        "!FRAG 2 26 -50",
        "! net charges of fragments",
        "!CHFRAG 0. 0.",
        " ",
    };
    for (const char* l : lines) r.io.write(ch, l);
}

void init(Records& r) {
    r.tols = Tols{0.2f, 0.1f, 0.1f};
    r.verbosity.iverb = 1;
    r.compfrag.ncells = -1;
    r.ifra.ifra = 1;
    r.ring1 = Ring1{};
    r.ftype.iformat = 0;
    r.simple.isimple = 0;
    r.args.iscale = 0;
    r.args.lrings = false;
    r.abank.dbfile = std::string(60, ' ');
    r.args.fname[1] = std::string(60, ' ');
    r.args.fname[2] = std::string(60, ' ');
    r.lchem = Lchem{true, true};
    r.ldb = Ldb{};
    r.lfh.lfh = false;
    r.lsx.ltoxd = false;
    r.renameshelxatoms = RenameShelxAtoms{};
    r.disorder = Disorder{};
    r.lkeys = Lkeys{};
    r.amodel.model = pad("TEST", 20);
    r.shelx1.fvar.fill(0.0f);
    r.shelx1.fvar[1] = 1.0f;
    r.shelx1.wght = {0.0f, -2.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.33333334f};
    r.shelx1.nfvar = 0;
    // The per-atom slots start cleared; they are made as the structure is read.
    r.kappas.nkap = 0;
    r.kappaset.nkset = 0;
    r.rings.nor = 0;
}

}  // namespace kova
