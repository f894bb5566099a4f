// Faults for the GDI calls of the platform-call table: counts the calls,
// fails the k-th one (it returns what a platform out of GDI objects returns),
// and tells which calls were made.
#pragma once

#include <string>
#include <vector>

namespace gdi_faults {

void install();
void remove();
// Counts from 0 again; call `at` (1-based) fails; 0 fails none.
void arm(long at);
const std::vector<std::string>& call_names();
bool fired();

}  // namespace gdi_faults
