#include "tests/common/divergence.h"

#include <cstdio>
#include <sstream>

namespace tw_test {

namespace {

// "tests/files/file_test.cpp:170" rather than the whole build path.
std::string place(const char* file, int line) {
    std::string name = file;
    for (char& c : name)
        if (c == '\\') c = '/';
    const size_t tests = name.rfind("tests/");
    if (tests != std::string::npos) name.erase(0, tests);
    return name + ":" + std::to_string(line);
}

}  // namespace

#ifndef _WIN32
std::string wine_version() { return std::string(); }
#endif

bool wine_version_in(const char* majors) {
    const std::string version = wine_version();
    if (version.empty()) return false;
    const std::string major = version.substr(0, version.find('.'));
    std::istringstream names(majors);
    for (std::string name; names >> name;)
        if (name == major) return true;
    return false;
}

std::string judge_marked(const Divergence& divergence, bool holds, const std::string& check, const std::string& values,
                         const char* file, int line) {
    const std::string found = values.empty() ? std::string() : " (" + values + ")";
    if (!divergence.applies()) return holds ? std::string() : check + " does not hold" + found;
    const std::string under = divergence.wine() ? " under Wine " + wine_version() : std::string();
    if (holds)
        return "marked divergence \"" + std::string(divergence.what()) + "\" no longer happens here" + under +
               ": remove the mark (" + check + " holds)";
    std::printf("divergence: %s: %s: %s does not hold here%s%s, as marked\n", divergence.what(),
                place(file, line).c_str(), check.c_str(), under.c_str(), found.c_str());
    std::fflush(stdout);
    return std::string();
}

}  // namespace tw_test
