// A fresh folder under the temporary folder for one test, removed with
// everything in it afterwards, and small helpers to put bytes into files and
// take them out again.
#pragma once

#include <string>

#include "tests/common/folders.h"

namespace tw_test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path, ending in a backslash.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

void write_bytes(const std::string& path, const std::string& bytes);
std::string read_bytes(const std::string& path);  // empty when missing
bool exists(const std::string& path);
void make_folder(const std::string& path);
using tw_test::remove_tree;  // with everything in it
// The folder of the running test program, ending in a backslash.
std::string program_folder();

}  // namespace tw_test
