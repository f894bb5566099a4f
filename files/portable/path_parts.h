// Pure path and command-line helpers shared by folder scans and launching.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tw {

// The platform's path limit, without the terminating zero.
inline constexpr std::size_t kMaxPath = 260;

// The search path of a folder scan: the folder, a backslash when the folder is
// not empty and does not end in one, then the pattern ("*.*" when empty).
// Nothing when the result would not fit the platform's path limit.
std::optional<std::string> dir_search_path(std::string_view folder, std::string_view pattern);

// The text with exactly one backslash at its end (empty stays empty).
std::string with_one_trailing_backslash(std::string_view folder);

// The command line for a program and its parameters: the program enclosed in
// double quotes unless it already starts with one, then a space and the
// parameters when there are any.
std::string program_command_line(std::string_view program, std::string_view parameters);

// The folder a document opened through the shell starts in: everything up to
// and including the program's last backslash, when that is not its first
// character; empty otherwise.
std::string program_folder(std::string_view program);

}  // namespace tw
