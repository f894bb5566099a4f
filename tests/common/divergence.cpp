#include "tests/common/divergence.h"

#include <cstdio>

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

std::string judge_marked(const Divergence& divergence, bool holds, const std::string& check, const std::string& values,
                         const char* file, int line) {
    const std::string found = values.empty() ? std::string() : " (" + values + ")";
    if (!divergence.applies()) return holds ? std::string() : check + " does not hold" + found;
    if (holds)
        return "marked divergence \"" + std::string(divergence.what()) +
               "\" no longer happens here: remove the mark (" + check + " holds)";
    std::printf("divergence: %s: %s: %s does not hold here%s, as marked\n", divergence.what(),
                place(file, line).c_str(), check.c_str(), found.c_str());
    std::fflush(stdout);
    return std::string();
}

}  // namespace tw_test
