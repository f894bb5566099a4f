// The one way platform-facing files include the Windows headers. winbase.h
// defines IGNORE as a macro, which would hide the runtime's own IGNORE value.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#ifdef IGNORE
#undef IGNORE
#endif
