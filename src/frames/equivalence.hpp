// The chemical-equivalence test of two atoms.
#pragma once

#include "shared/records.hpp"

namespace kova {

bool sameatoms(Records& r, int a, int b, int chksym, int chkgrp, int isimple, int chkring);

}  // namespace kova
