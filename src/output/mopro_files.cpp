#include "output/mopro_files.hpp"

#include <string>

namespace kova {

void wrmoprohead(Records& r) {
    r.io.write(imopar, std::string(80, '!'));
    r.io.write(imopar, "!           CREATED BY PROGRAM << KOVA >>");
    r.io.write(imopar, std::string(80, '!'));
    r.io.write(imopar, "!  ");
}

void wrmoconstart(Records& r) {
    const int ch = r.files.imocon;
    r.io.write(ch, "!");
    r.io.write(ch, "! local symmetry  ");
    r.io.write(ch, "!");
}

}  // namespace kova
