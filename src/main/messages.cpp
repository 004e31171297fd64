#include "main/messages.hpp"

#include <string>

#include "shared/errors.hpp"
#include "shared/format.hpp"

namespace kova {

void write_banner(Io& io, int channel) {
    const std::string eq = " " + std::string(71, '=');
    const std::string dash = " " + std::string(71, '-');
    io.write(channel, "");
    io.write(channel, eq);
    io.write(channel, "   PROGRAM  K O V A  -  AUTOMATIC SETUP OF THE LOCAL COORDINATE SYSTEM");
    io.write(channel, eq);
    io.write(channel, " Program determines the local coordinate system for each atom based on");
    io.write(channel, std::string(16, ' ') + "connectivity and geometrical parameters");
    io.write(channel, " In addition it provides an interface to TAVIREN LAB pseudoatom databank");
    io.write(channel, " Sample KOVA input file (kova.inp) can be printed out with : kova -h");
    io.write(channel, dash);
    io.write(channel, eq);
    io.write(channel, eq);
}

void write_sample_instructions(Io& io, int channel) {
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
    for (const char* l : lines) io.write(channel, l);
}

}  // namespace kova
