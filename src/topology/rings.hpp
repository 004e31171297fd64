// The reduced connectivity table, the ring search and the ring-membership query.
#pragma once

#include "shared/records.hpp"

namespace kova {

void connect4rings(Records& r);
void findrings(Records& r);
void isitcyclic(Records& r, int iat, bool& lcyc, bool& lpl, bool& lfus, int& iring, int& isize);

}  // namespace kova
