// Folder scans and the current folder on a real temporary folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "files/dir.h"
#include "runtime/win32.h"
#include "tests/files/temp_folder.h"

namespace {

using Names = std::vector<std::string>;
using tw_test::TempFolder;

Names scan(intptr_t number, tw::TextArg folder, tw::TextArg pattern) {
    Names names;
    if (!dir_examine(number, folder, pattern)) return {"<failed>"};
    while (dir_next(number)) {
        names.push_back(dir_entry_name(number));
        if (names.size() > 100) break;
    }
    EXPECT_EQ(dir_next(number), 0) << "stays at the end";
    EXPECT_EQ(dir_finish(number), 1);
    std::sort(names.begin(), names.end());
    return names;
}

class Scans : public ::testing::Test {
protected:
    void SetUp() override {
        dir_library_init();
        for (const char* name : {"rot.pal", "Gr\xFCn.PAL", "notes.txt"}) tw_test::write_bytes(tmp / name, "x");
        tw_test::make_folder(tmp / "sub");
    }
    void TearDown() override { dir_finish_all(); }
    TempFolder tmp;
};

TEST_F(Scans, PatternMatchesWithOrWithoutTrailingBackslash) {
    std::string folder = tmp.path();
    Names pals = {"Gr\xFCn.PAL", "rot.pal"};
    EXPECT_EQ(scan(1, folder, "*.pal"), pals);
    EXPECT_EQ(scan(1, folder.substr(0, folder.size() - 1), "*.pal"), pals);
    Names all = {".", "..", "Gr\xFCn.PAL", "notes.txt", "rot.pal", "sub"};
    EXPECT_EQ(scan(1, folder, "*.*"), all);
    EXPECT_EQ(scan(1, folder, ""), all);
    EXPECT_EQ(scan(1, folder, nullptr), all);
    EXPECT_EQ(scan(2, folder, "?ot.*"), Names{"rot.pal"});
}

TEST_F(Scans, NoMatchIsAnEmptyScanAndAMissingFolderFails) {
    ASSERT_NE(dir_examine(1, tmp.path(), "*.xyz"), 0);
    EXPECT_EQ(dir_is_open(1), 1);
    EXPECT_EQ(dir_next(1), 0);
    EXPECT_EQ(dir_entry_name(1), "");
    EXPECT_EQ(dir_finish(1), 1);
    EXPECT_EQ(dir_is_open(1), 0);
    EXPECT_EQ(dir_finish(1), 0);

    // A failing examine under a used number ends the old scan and frees the number.
    ASSERT_NE(dir_examine(1, tmp.path(), "*.pal"), 0);
    EXPECT_EQ(dir_examine(1, tmp / "fehlt", "*.pal"), 0);
    EXPECT_EQ(dir_is_open(1), 0);
    EXPECT_EQ(dir_next(1), 0);
    EXPECT_EQ(dir_entry_name(1), "");
}

TEST_F(Scans, ReexaminingStartsOverAndScansAreIndependent) {
    ASSERT_NE(dir_examine(1, tmp.path(), "*.pal"), 0);
    ASSERT_EQ(dir_next(1), 1);
    ASSERT_NE(dir_examine(30, tmp.path(), "*.txt"), 0);
    EXPECT_NE(dir_examine(0, tmp.path(), "*.txt"), 0) << "a scan under number 0 is started too";
    EXPECT_EQ(dir_is_open(0), 1);
    dir_finish(0);
    ASSERT_NE(dir_examine(1, tmp.path(), "*.txt"), 0);
    EXPECT_EQ(dir_entry_name(1), "") << "nothing handed out yet";
    ASSERT_EQ(dir_next(1), 1);
    EXPECT_EQ(dir_entry_name(1), "notes.txt");
    ASSERT_EQ(dir_next(30), 1);
    EXPECT_EQ(dir_entry_name(30), "notes.txt");
    EXPECT_EQ(dir_next(30), 0);
    intptr_t dynamic = dir_examine(-1, tmp.path(), "sub");
    ASSERT_NE(dynamic, 0);
    EXPECT_EQ(dir_next(dynamic), 1);
    EXPECT_EQ(dir_entry_name(dynamic), "sub");
    EXPECT_EQ(dir_finish(dynamic), 1);
}

TEST_F(Scans, OverlongPathsFailCleanly) {
    EXPECT_EQ(dir_examine(1, std::string(300, 'a'), "*.pal"), 0);
    EXPECT_EQ(dir_is_open(1), 0);
    EXPECT_EQ(dir_examine(1, tmp.path(), std::string(300, '*')), 0);
    std::string deep = tmp.path() + std::string(250 - tmp.path().size(), 'd');
    EXPECT_EQ(dir_examine(1, deep, "*.palette"), 0);  // together beyond the limit
    EXPECT_EQ(dir_examine(1, std::string("c:\\\0x", 5), "*.*"), 0);
    EXPECT_EQ(dir_next(-5), 0);
    EXPECT_EQ(dir_examine(-5, tmp.path(), "*.*"), 0);
}

TEST_F(Scans, CurrentFolderEndsInExactlyOneBackslash) {
    char saved[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof saved, saved);
    ASSERT_TRUE(SetCurrentDirectoryA((tmp / "sub").c_str()));
    EXPECT_EQ(current_dir(), tmp / "sub\\");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_EQ(current_dir(), "C:\\");
    SetCurrentDirectoryA(saved);
    std::string now = current_dir();
    ASSERT_FALSE(now.empty());
    EXPECT_EQ(now.back(), '\\');
    EXPECT_NE(now.substr(now.size() - 2), "\\\\");
}

}  // namespace
