// Whole files on real files under Wine: replacing a file's content (a fresh
// copy name, attributes kept, a file held by another program written in place
// or left alone), keeping a copy once, reads that end early, and the start's
// roll-forward of what an interrupted rewrite left.
#include <gtest/gtest.h>

#include <string>

#include "files/dir.h"
#include "files/file.h"
#include "files/whole_file.h"
#include "files/portable/copies.h"
#include "files/handle_io.h"
#include "runtime/win32.h"
#include "tests/files/temp_folder.h"

namespace {

using tw_test::exists;
using tw_test::read_bytes;
using tw_test::TempFolder;
using tw_test::write_bytes;

class WholeFiles : public ::testing::Test {
protected:
    void SetUp() override { dir_library_init(); }
    TempFolder tmp;

    // The names in the folder besides the ones given.
    std::vector<std::string> others(std::initializer_list<std::string> expected) {
        std::vector<std::string> found;
        if (dir_examine(1, tmp.path(), "*")) {
            while (dir_next(1)) {
                const std::string n = dir_entry_name(1);
                if (n == "." || n == "..") continue;
                if (std::find(expected.begin(), expected.end(), n) == expected.end()) found.push_back(n);
            }
            dir_finish(1);
        }
        return found;
    }
};

}  // namespace

TEST_F(WholeFiles, ReplacingPutsTheWholeContentInPlaceAndNothingElse) {
    const std::string path = tmp / "qz.ini";
    write_bytes(path, "old content that is longer\r\n");
    EXPECT_EQ(file_replace_content(path, "new\r\n"), 1);
    EXPECT_EQ(read_bytes(path), "new\r\n");
    EXPECT_EQ(file_replace_content(path, ""), 1);
    EXPECT_EQ(read_bytes(path), "");
    EXPECT_TRUE(others({"qz.ini"}).empty());

    // Missing: made. In a missing folder: nothing made.
    EXPECT_EQ(file_replace_content(tmp / "fresh.set", "x"), 1);
    EXPECT_EQ(read_bytes(tmp / "fresh.set"), "x");
    EXPECT_EQ(file_replace_content(tmp / "missing\\data.txt", "x"), 0);
    EXPECT_FALSE(exists(tmp / "missing"));

    // A file that happens to have the first temporary name is never touched.
    write_bytes(tmp / "qz.ini.tw1.part", "someone else's");
    EXPECT_EQ(file_replace_content(path, "newer"), 1);
    EXPECT_EQ(read_bytes(path), "newer");
    EXPECT_EQ(read_bytes(tmp / "qz.ini.tw1.part"), "someone else's");
    EXPECT_TRUE(others({"qz.ini", "fresh.set", "qz.ini.tw1.part"}).empty());

    // Write-protected: refused by the program itself (Wine running as root
    // would move over it; Windows refuses).
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(file_replace_content(path, "never"), 0);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(read_bytes(path), "newer");
    EXPECT_TRUE(others({"qz.ini", "fresh.set", "qz.ini.tw1.part"}).empty());
}

TEST_F(WholeFiles, ReplacingKeepsTheFilesOwnAttributes) {
    const std::string path = tmp / "options.set";
    write_bytes(path, "old");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(file_replace_content(path, "new"), 1);
    EXPECT_EQ(read_bytes(path), "new");
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN) << "the replace dropped the attributes";
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WholeFiles, AFileTheGameHoldsWithReadAndWriteSharingIsWrittenInPlace) {
    const std::string path = tmp / "qz.ini";
    write_bytes(path, "PaletteFile = qz.pal\r\nX = 1\r\n");
    // What the C runtime's fopen(path, "r+") asks for: no delete sharing.
    HANDLE game = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(game, INVALID_HANDLE_VALUE);
    EXPECT_EQ(file_replace_content(path, "PaletteFile = b.pal\r\n"), 1);
    EXPECT_EQ(read_bytes(path), "PaletteFile = b.pal\r\n");
    EXPECT_EQ(file_replace_content(path, "PaletteFile = a much longer name.pal\r\nX = 1\r\n"), 1);
    EXPECT_EQ(read_bytes(path), "PaletteFile = a much longer name.pal\r\nX = 1\r\n");
    EXPECT_EQ(others({"qz.ini"}), std::vector<std::string>{}) << "the recovery copy was left";
    // Changed by the game since it was read: not written over.
    EXPECT_EQ(file_replace(path, "PaletteFile = c.pal\r\n", FileBase{false, "what was read"}), FileReplaceResult::Changed);
    EXPECT_EQ(read_bytes(path), "PaletteFile = a much longer name.pal\r\nX = 1\r\n");
    EXPECT_EQ(others({"qz.ini"}), std::vector<std::string>{});
    // The game's handle still reads the file.
    char first[11] = {};
    DWORD got = 0;
    SetFilePointer(game, 0, nullptr, FILE_BEGIN);
    ASSERT_TRUE(ReadFile(game, first, 11, &got, nullptr));
    EXPECT_EQ(std::string(first, got), "PaletteFile");
    CloseHandle(game);
}

TEST_F(WholeFiles, AFileHeldWithoutWriteSharingStaysAsItWas) {
    const std::string path = tmp / "qz.ini";
    write_bytes(path, "old\r\n");
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(file_replace(path, "new\r\n"), FileReplaceResult::Held);
    CloseHandle(reader);
    EXPECT_EQ(read_bytes(path), "old\r\n");
    EXPECT_EQ(others({"qz.ini"}), std::vector<std::string>{}) << "a temporary file was left";
}

TEST_F(WholeFiles, ACopyIsKeptOnceAndNeverOverwritten) {
    const std::string path = tmp / "qz.ini", copy = tmp / "qz.ini.orig";
    write_bytes(path, "first\r\n");
    EXPECT_EQ(file_keep_copy(path, copy), 1);
    EXPECT_EQ(read_bytes(copy), "first\r\n");
    write_bytes(path, "second\r\n");
    EXPECT_EQ(file_keep_copy(path, copy), 1);
    EXPECT_EQ(read_bytes(copy), "first\r\n");
    EXPECT_EQ(file_keep_copy(tmp / "none.ini", tmp / "none.ini.orig"), 0);
    EXPECT_FALSE(exists(tmp / "none.ini.orig"));
    EXPECT_TRUE(others({"qz.ini", "qz.ini.orig"}).empty());
}

TEST_F(WholeFiles, ReadingPresenceAndLeftovers) {
    const std::string path = tmp / "qz.ini";
    std::string bytes = "kept";
    EXPECT_EQ(file_read_all(path, bytes), 0);
    EXPECT_EQ(file_present(path), 0);
    write_bytes(path, std::string("a\0b", 3));
    EXPECT_EQ(file_present(path), 1);
    EXPECT_EQ(file_present(tmp.path()), 1) << "a folder is there too";
    EXPECT_EQ(file_exists(path), 1);
    EXPECT_EQ(file_exists(tmp.path()), 0) << "a folder is no file to open";
    EXPECT_EQ(file_exists(tmp / "none"), 0);
    {
        // A file another program is writing still counts as there.
        HANDLE writer = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
        EXPECT_EQ(file_exists(path), 1);
        CloseHandle(writer);
        HANDLE locked = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(file_exists(path), 0) << "held without any sharing: it cannot be opened";
        EXPECT_EQ(file_present(path), 1);
        CloseHandle(locked);
    }
    ASSERT_EQ(file_read_all(path, bytes), 1);
    EXPECT_EQ(bytes, std::string("a\0b", 3));

    // A read that ends before the size the file had is no whole file.
    tw::platform_calls().ReadFile = [](HANDLE, LPVOID, DWORD, LPDWORD got, LPOVERLAPPED) -> BOOL {
        *got = 0;
        return TRUE;
    };
    EXPECT_EQ(file_read_all(path, bytes), 0);
    tw::platform_call_reset(tw::PlatformCall::ReadFile);
}

TEST_F(WholeFiles, TheRollForwardCompletesOrRemovesOnlyItsOwnCopies) {
    const std::string path = tmp / "qz.ini";
    // A copy's name carries the tag of what its change was made from.
    auto made_from = [](std::optional<std::string> base, int n, const char* kind) {
        return "qz.ini.tw" + std::to_string(n) + "." + tw::content_tag(base) + kind;
    };
    const std::string cut = std::string("new content").substr(0, 2) + std::string("old content!").substr(2);
    struct Row {
        std::vector<std::pair<std::string, std::string>> copies;  // names left beside qz.ini, and their bytes
        const char* target;  // qz.ini's content (nullptr: missing)
        FileRecovery outcome;
        const char* after;   // qz.ini afterwards ("" for missing)
    } rows[] = {
        {{}, "old", FileRecovery::Nothing, "old"},
        {{{made_from("old", 1, ".part"), "cop"}}, "old", FileRecovery::Removed, "old"},
        {{{made_from("old", 2, ".new"), "copy"}}, "old", FileRecovery::Completed, "copy"},
        {{{made_from(std::nullopt, 2, ".new"), "copy"}}, nullptr, FileRecovery::Completed, "copy"},
        {{{made_from("old", 3, ".new"), "copy"}}, "the game's", FileRecovery::NotApplied, "the game's"},
        {{{made_from("old", 3, ".new"), "copy"}, {made_from("old", 3, ".void"), ""}}, "old", FileRecovery::Removed, "old"},
        {{{"qz.ini.tw3.new", "copy"}}, "old", FileRecovery::NotApplied, "old"},  // an earlier version's: base unknown
        // Cut by the in-place write (or not begun): completed; written over by the game since: kept.
        {{{made_from("old content!", 4, ".inplace"), tw::in_place_copy("new content", "old content!")}}, cut.c_str(),
         FileRecovery::Completed, "new content"},
        {{{made_from("old content!", 4, ".inplace"), tw::in_place_copy("new content", "old content!")}},
         "old content!", FileRecovery::Completed, "new content"},
        {{{made_from("old content!", 4, ".inplace"), tw::in_place_copy("new content", "old content!")}}, "neW",
         FileRecovery::NotApplied, "neW"},
        // Stopped between the replace's two moves: the change goes in, or the old content back.
        {{{made_from("old", 5, ".old"), "old"}, {made_from("old", 5, ".new"), "copy"}}, nullptr,
         FileRecovery::Completed, "copy"},
        {{{made_from("old", 5, ".old"), "old"}}, nullptr, FileRecovery::NotApplied, "old"},
        {{{made_from("old", 5, ".old"), "older"}}, "old", FileRecovery::Removed, "old"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE((r.copies.empty() ? std::string() : r.copies[0].first) + (r.target ? "" : ", qz.ini missing"));
        if (r.target) write_bytes(path, r.target);
        for (const auto& [name, bytes] : r.copies) write_bytes(tmp / name, bytes);
        EXPECT_EQ(file_roll_forward(path), r.outcome);
        EXPECT_EQ(read_bytes(path), r.after);
        EXPECT_EQ(others({"qz.ini"}), std::vector<std::string>{});
        DeleteFileA(path.c_str());
    }
    // A cut in-place write whose file another program holds at the start:
    // the one whole copy stays until the holder lets go.
    const std::string copy = made_from("old content!", 4, ".inplace");
    write_bytes(path, cut);
    write_bytes(tmp / copy, tw::in_place_copy("new content", "old content!"));
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(file_roll_forward(path), FileRecovery::Failed);
    CloseHandle(reader);
    EXPECT_EQ(file_roll_forward(path), FileRecovery::Completed);
    EXPECT_EQ(read_bytes(path), "new content");
    EXPECT_EQ(others({"qz.ini"}), std::vector<std::string>{});
    DeleteFileA(path.c_str());

    // The player's own files that merely look alike are never touched.
    const std::initializer_list<std::string> players = {"qz.ini", "qz.ini.orig", "qz.ini.tw1.tmp", "qz.ini.tw01.new",
                                                        "qz.ini.twx.new", "qz.ini.tw2.new.bak", "qz.ini.bak"};
    for (const std::string& n : players) write_bytes(tmp / n, n);
    EXPECT_EQ(file_roll_forward(path), FileRecovery::Nothing);
    EXPECT_EQ(others(players), std::vector<std::string>{});
    for (const std::string& n : players) EXPECT_EQ(read_bytes(tmp / n), n);
}
