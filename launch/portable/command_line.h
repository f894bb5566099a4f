// The command line and the working folder of a program to start: pure text
// work, kept apart from the platform calls that start it.
#pragma once

#include <string>
#include <string_view>

namespace tw {

// The command line for a program and its parameters: the program enclosed in
// double quotes unless it already starts with one, then a space and the
// parameters when there are any.
std::string program_command_line(std::string_view program, std::string_view parameters);

// The folder a document opened through the shell starts in: everything up to
// and including the program's last backslash, when that is not its first
// character; empty otherwise.
std::string program_folder(std::string_view program);

// The folder the shell's open of a program starts in: the one given, else
// the program's own (program_folder, after an opening quote).
std::string shell_folder(std::string_view program, std::string_view folder);

}  // namespace tw
