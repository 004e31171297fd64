// The chemical-equivalence test of two atoms.
#pragma once

#include "shared/records.hpp"

namespace kova {

// True when atoms a and b are chemically equivalent under the tests asked for.
bool atoms_equivalent(Records& r, int a, int b, int chksym, int chkgrp, int isimple, int chkring);

}  // namespace kova
