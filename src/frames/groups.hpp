// Functional-group recognition and the group picture group.ang.
#pragma once

#include "shared/records.hpp"

namespace kova {

void detexcept(Records& r, int iat);
void printgroup(Records& r, int iat);

}  // namespace kova
