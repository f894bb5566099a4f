// Files, folder scans, paths, program launching, text helpers and lists.
#pragma once

#include "files/text.h"
#include "files/list.h"
#include "files/file.h"
#include "files/whole_file.h"
#include "files/dir.h"
#include "files/launch.h"
