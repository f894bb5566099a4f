// Files and folders: sequential files under numbers, whole-file reads and
// replacements, folder scans and the current folder.
#pragma once

#include "files/file.h"
#include "files/whole_file.h"
#include "files/dir.h"
