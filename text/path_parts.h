// Path parts: the folder and file parts of a path, plain file names, the
// search path of a folder scan. Pure text work on 8-bit paths.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/text_arg.h"

// The folder part including its trailing separator ("\" or "/"); a leading
// double quote is skipped and the scan stops at the first "|".
std::string path_folder_part(tw::TextArg path);
// The part behind the last separator, up to a double quote or the end.
std::string path_file_part(tw::TextArg path);
// 1 if the text can serve as a plain file name, 0 if not.
int file_name_valid(tw::TextArg name);

namespace tw {

// The platform's path limit, without the terminating zero.
inline constexpr std::size_t kMaxPath = 260;

// The search path of a folder scan: the folder, a backslash when the folder is
// not empty and does not end in one, then the pattern ("*.*" when empty).
// Nothing when the result would not fit the platform's path limit.
std::optional<std::string> dir_search_path(std::string_view folder, std::string_view pattern);

// The text with exactly one backslash at its end (empty stays empty).
std::string with_one_trailing_backslash(std::string_view folder);

}  // namespace tw
