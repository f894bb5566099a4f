// The preference store on real files in a temporary folder.
#include <gtest/gtest.h>

#include <string>

#include "prefs/prefs.h"
#include "runtime/win32.h"

namespace {

class PrefsFile : public ::testing::Test {
protected:
    std::string dir;

    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
        dir = std::string(temp) + "tw_prefs_" + std::to_string(GetCurrentProcessId()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        CreateDirectoryA(dir.c_str(), nullptr);
        prefs_init();
    }
    void TearDown() override {
        prefs_close();
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string p = dir + fd.cFileName;
                SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(p.c_str());
            } while (FindNextFileA(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryA(dir.c_str());
    }

    std::string path(const char* name) const { return dir + name; }

    static void put(const std::string& p, const std::string& bytes) {
        HANDLE h = CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        CloseHandle(h);
    }
    static bool exists(const std::string& p) { return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; }
    static std::string get(const std::string& p) {
        HANDLE h = CreateFileA(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return "<missing>";
        std::string bytes(GetFileSize(h, nullptr), '\0');
        DWORD got = 0;
        if (!bytes.empty()) ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        CloseHandle(h);
        bytes.resize(got);
        return bytes;
    }
};

// A hand-edited settings file: read at start-up, three keys changed at exit,
// the file rewritten with normalised lines and cut behind them.
TEST_F(PrefsFile, HandEditedFileIsRewrittenAndCut) {
    std::string p = path("pal_change.prf");
    std::string original =
        ";note\r\n"
        "\r\n"
        "paletten=C:\\Games\\Pal\\\r\n"
        "  Window_x \t=\t 120   \r\n"
        "Favorite1 = a very long favourite name that will be replaced by a short one.pal\r\n"
        "window_x = 999\r\n"
        "[later]\r\n"
        "laps_hot = 3\r\n"
        "\r\n\r\n\r\n";
    put(p, original);

    ASSERT_TRUE(prefs_open(p));
    EXPECT_EQ(prefs_read_string("Paletten", "c:\\games\\kurvo\\paletten\\"), "C:\\Games\\Pal\\");
    EXPECT_EQ(prefs_read_int("window_X", 100), 120);
    EXPECT_EQ(prefs_read_string("laps_hot", "10"), "10");  // below the group: absent
    EXPECT_EQ(prefs_read_int("window_y", 50), 50);

    // While the store holds the file, others may read it but not write it.
    HANDLE writer = CreateFileA(p.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    EXPECT_EQ(get(p), original);

    prefs_write_int("Window_X", -5);
    prefs_write_string("Favorite1", "b.pal");
    prefs_write_string("laps_hot", "7");
    EXPECT_TRUE(prefs_close());
    EXPECT_EQ(get(p),
              "; note\r\n"
              "paletten = C:\\Games\\Pal\\\r\n"
              "Window_X = -5\r\n"
              "Favorite1 = b.pal\r\n"
              "window_x = 999\r\n"
              "laps_hot = 7\r\n"
              "[later]\r\n"
              "laps_hot = 3\r\n");
}

TEST_F(PrefsFile, OpenAndCloseWithoutWritesLeavesEveryByte) {
    std::string p = path("keep.prf");
    std::string weird = std::string("\xEF\xBB\xBF  a=1\n\n;x\r[g\0garbage\xFF\xFE", 25) + std::string(1 << 20, 'y');
    put(p, weird);
    ASSERT_TRUE(prefs_open(p));
    EXPECT_EQ(prefs_read_int("a", 0), 1);
    EXPECT_TRUE(prefs_close());
    EXPECT_EQ(get(p), weird);
}

TEST_F(PrefsFile, MissingFileIsCreatedWhenSomethingWasWritten) {
    std::string p = path("new.prf");
    EXPECT_FALSE(prefs_open(p));
    EXPECT_EQ(prefs_read_string("paletten", "c:\\pal\\"), "c:\\pal\\");
    EXPECT_EQ(prefs_read_int("window_w", 700), 700);
    EXPECT_FALSE(exists(p));
    prefs_write_string("paletten", "d:\\p\\");
    EXPECT_TRUE(prefs_close());
    EXPECT_EQ(get(p), "paletten = d:\\p\\\r\n");

    // Missing again, nothing written: nothing created.
    std::string q = path("none.prf");
    EXPECT_FALSE(prefs_open(q));
    EXPECT_TRUE(prefs_close());
    EXPECT_FALSE(exists(q));

    // A folder that does not exist: the save fails and says so.
    EXPECT_FALSE(prefs_open(path("no such folder\\x.prf")));
    prefs_write_int("k", 1);
    EXPECT_FALSE(prefs_close());
}

// The application's exit save: the file is created anew with exactly the keys
// written, in the order written, without a byte-order mark.
TEST_F(PrefsFile, CreateReplacesTheFileAndKeepsWriteOrder) {
    std::string p = path("pal_change.prf");
    put(p, "\xEF\xBB\xBF\r\nold = 1\r\n[g]\r\n");
    ASSERT_TRUE(prefs_create(p));
    EXPECT_EQ(get(p), "\xEF\xBB\xBF\r\nold = 1\r\n[g]\r\n") << "untouched until the new content is complete";
    prefs_write_string("paletten", "c:\\pal\\");
    prefs_write_string("Velo.exe", "c:\\games\\pistova.exe");
    prefs_write_int("window_x", 100);
    prefs_write_int("window_y", -2147483647 - 1);
    prefs_write_string("set_org_ende", "1");
    EXPECT_TRUE(prefs_close());
    EXPECT_EQ(get(p),
              "paletten = c:\\pal\\\r\n"
              "Velo.exe = c:\\games\\pistova.exe\r\n"
              "window_x = 100\r\n"
              "window_y = -2147483648\r\n"
              "set_org_ende = 1\r\n");

    ASSERT_TRUE(prefs_create(p));
    EXPECT_TRUE(prefs_close());
    EXPECT_EQ(get(p), "");

    EXPECT_FALSE(prefs_create(path("no such folder\\x.prf")));
    prefs_write_int("k", 1);  // dropped
    EXPECT_EQ(prefs_read_int("k", 4), 4);
    EXPECT_TRUE(prefs_close());
}

TEST_F(PrefsFile, Utf8FileKeepsItsMarkAndConvertsTexts) {
    std::string p = path("utf8.prf");
    put(p, "\xEF\xBB\xBFname = M\xC3\xBCller\r\n");
    ASSERT_TRUE(prefs_open(p));
    EXPECT_EQ(prefs_read_string("NAME", ""), "M\xFCller");
    prefs_write_string("ordner", "c:\\sch\xF6n\\");
    EXPECT_TRUE(prefs_close());
    EXPECT_EQ(get(p), "\xEF\xBB\xBF\r\nname = M\xC3\xBCller\r\nordner = c:\\sch\xC3\xB6n\\\r\n");
    ASSERT_TRUE(prefs_open(p));
    EXPECT_EQ(prefs_read_string("Ordner", ""), "c:\\sch\xF6n\\");
    EXPECT_TRUE(prefs_close());
}

// A file another program holds open for reading (sharing reading only) can
// only be read: the store falls back to reading it, and the save at close
// fails and leaves it as it was.
TEST_F(PrefsFile, FileOpenForReadingElsewhereIsReadButNotChanged) {
    std::string p = path("shared.prf");
    put(p, "window_x = 3\r\n");
    HANDLE reader = CreateFileA(p.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(prefs_open(p));
    EXPECT_EQ(prefs_read_int("window_x", 0), 3);
    prefs_write_int("window_x", 4);
    EXPECT_EQ(prefs_read_int("window_x", 0), 4);
    EXPECT_FALSE(prefs_close());
    CloseHandle(reader);
    EXPECT_EQ(get(p), "window_x = 3\r\n");
}

// The same with the read-only attribute. A Wine running as root opens the
// file for writing all the same; the save is then refused by the replacement,
// which leaves write-protected files alone: the same outcome either way.
TEST_F(PrefsFile, ReadOnlyFileIsReadButNotChanged) {
    std::string p = path("ro.prf");
    put(p, "window_x = 3\r\n");
    ASSERT_TRUE(SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(prefs_open(p));
    EXPECT_EQ(prefs_read_int("window_x", 0), 3);
    prefs_write_int("window_x", 4);
    EXPECT_FALSE(prefs_close());
    EXPECT_EQ(get(p), "window_x = 3\r\n");
}

// Another program holds the file open without sharing: the store cannot open
// it, reads give defaults, and the save at close fails instead of losing data.
TEST_F(PrefsFile, LockedFileGivesDefaultsAndAFailedSave) {
    std::string p = path("locked.prf");
    put(p, "k = 1\r\n");
    HANDLE lock = CreateFileA(p.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(prefs_open(p));
    EXPECT_TRUE(prefs_unreadable()) << "taken for a missing file";
    EXPECT_EQ(prefs_read_int("k", 9), 9);
    prefs_write_int("k", 2);
    EXPECT_FALSE(prefs_close());
    CloseHandle(lock);
    EXPECT_EQ(get(p), "k = 1\r\n");
}

TEST_F(PrefsFile, NullArgumentsCountAsEmptyText) {
    EXPECT_FALSE(prefs_open(nullptr));
    EXPECT_EQ(prefs_read_string(nullptr, nullptr), "");
    EXPECT_EQ(prefs_read_int(nullptr, 5), 5);
    EXPECT_TRUE(prefs_close());  // nothing written: nothing to save

    std::string p = path("nulls.prf");
    ASSERT_TRUE(prefs_create(p));
    prefs_write_string(nullptr, nullptr);
    prefs_write_string("a", nullptr);
    EXPECT_EQ(prefs_read_string(nullptr, "d"), "");
    EXPECT_EQ(prefs_read_string("a", "d"), "");
    EXPECT_TRUE(prefs_close());
    EXPECT_EQ(get(p), " = \r\na = \r\n");
}

}  // namespace
