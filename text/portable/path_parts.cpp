#include "text/path_parts.h"

namespace tw {

std::optional<std::string> dir_search_path(std::string_view folder, std::string_view pattern) {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\') path.push_back('\\');
    path.append(pattern.empty() ? std::string_view("*.*") : pattern);
    if (path.size() > kMaxPath - 1) return std::nullopt;  // room for the zero byte
    // A zero byte inside would silently cut the path short.
    if (path.find('\0') != std::string::npos) return std::nullopt;
    return path;
}

std::string with_one_trailing_backslash(std::string_view folder) {
    if (folder.empty()) return {};
    std::string out(folder);
    while (out.size() > 1 && out.back() == '\\' && out[out.size() - 2] == '\\') out.pop_back();
    if (out.back() != '\\') out.push_back('\\');
    return out;
}

}  // namespace tw

std::string path_folder_part(tw::TextArg path) {
    std::string_view p = path.view();
    if (!p.empty() && p.front() == '"') p.remove_prefix(1);
    std::size_t end = p.find('|');
    if (end != std::string_view::npos) p = p.substr(0, end);
    std::size_t last = p.find_last_of("\\/");
    if (last == std::string_view::npos) return {};
    return std::string(p.substr(0, last + 1));
}

std::string path_file_part(tw::TextArg path) {
    std::string_view p = path.view();
    if (!p.empty() && p.front() == '"') p.remove_prefix(1);
    std::size_t last = p.find_last_of("\\/");
    if (last != std::string_view::npos) p.remove_prefix(last + 1);
    std::size_t quote = p.find('"');
    if (quote != std::string_view::npos) p = p.substr(0, quote);
    return std::string(p);
}

int file_name_valid(tw::TextArg name) {
    std::string_view n = name.view();
    if (n.empty()) return 0;
    for (char ch : n) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 32) return 0;
        switch (c) {
        case '"': case '*': case '/': case ':': case '<': case '>': case '?': case '\\': case '|':
            return 0;
        default:
            break;
        }
    }
    return 1;
}
