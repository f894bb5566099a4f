// The runtime's shared pieces: numbered object tables and text arguments.
// Texts are std::string values holding 8-bit bytes in the system code page;
// operations that produce text return it by value. Portable.
#pragma once

#include "runtime/object_table.h"
#include "runtime/text_arg.h"

namespace tw {

// The value that leaves a position or size unchanged.
inline constexpr int IGNORE = -65535;

}  // namespace tw
