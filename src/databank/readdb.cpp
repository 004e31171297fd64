// The databank search of one atom: its covalent neighbours first, then the match.
#include "databank/databank.hpp"
#include "databank/dbmatch.hpp"
#include "topology/neighbours.hpp"

namespace kova {

void readdb(Records& r, int iat) {
    r.iprint.iprint = 0;
    findnei(r, iat, 0.0f);
    matchdb(r, iat);
}

}  // namespace kova
