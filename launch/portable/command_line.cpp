#include "launch/portable/command_line.h"

namespace tw {

std::string program_command_line(std::string_view program, std::string_view parameters) {
    std::string line;
    line.reserve(program.size() + parameters.size() + 4);
    if (!program.empty() && program.front() == '"') {
        line.append(program);
    } else {
        line.push_back('"');
        line.append(program);
        line.push_back('"');
    }
    if (!parameters.empty()) {
        line.push_back(' ');
        line.append(parameters);
    }
    return line;
}

std::string program_folder(std::string_view program) {
    auto last = program.rfind('\\');
    if (last == std::string_view::npos || last == 0) return {};
    return std::string(program.substr(0, last + 1));
}

std::string shell_folder(std::string_view program, std::string_view folder) {
    if (!folder.empty()) return std::string(folder);
    if (!program.empty() && program.front() == '"') program.remove_prefix(1);
    return program_folder(program);
}

}  // namespace tw
