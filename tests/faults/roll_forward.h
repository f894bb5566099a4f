// What the start's recovery resolves in a game folder (ending in a
// backslash), in its order: the settings file, qz.ini, its untouched copy
// (never overwritten) and options.set.
#pragma once

#include <string>

#include "files/files.h"

inline void roll_forward(const std::string& folder) {
    file_roll_forward(folder + "pal_change.prf");
    file_roll_forward(folder + "qz.ini");
    file_roll_forward(folder + "qz.ini.orig", true);
    file_roll_forward(folder + "options.set");
}
