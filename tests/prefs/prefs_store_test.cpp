#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "prefs/portable/prefs_store.h"

using tw::prefs::FileAccess;
using tw::prefs::Store;

namespace {

// Files in memory, with read-only files, names that cannot be created and
// files that cannot be read; every rewrite is counted.
class MemoryFiles : public FileAccess {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> read_only, uncreatable, unreadable;
    int rewrites = 0;
    int open_handles = 0;

    struct File {
        std::string name;
        bool writable;
    };

    Handle open_existing(const std::string& name, bool writable) override {
        if (!files.count(name) || (writable && read_only.count(name))) return nullptr;
        return make(name, writable);
    }
    Handle open_always(const std::string& name) override {
        if (read_only.count(name) || uncreatable.count(name)) return nullptr;
        files[name];
        return make(name, true);
    }
    Handle create(const std::string& name) override {
        if (read_only.count(name) || uncreatable.count(name)) return nullptr;
        files[name].clear();
        return make(name, true);
    }
    bool read_all(Handle h, std::string& bytes) override {
        File* f = static_cast<File*>(h);
        if (unreadable.count(f->name)) return false;
        bytes = files[f->name];
        return true;
    }
    bool rewrite(Handle h, std::string_view bytes) override {
        File* f = static_cast<File*>(h);
        if (!f->writable) return false;
        ++rewrites;
        files[f->name] = std::string(bytes);
        return true;
    }
    void close(Handle h) override {
        delete static_cast<File*>(h);
        --open_handles;
    }

private:
    Handle make(const std::string& name, bool writable) {
        ++open_handles;
        return new File{name, writable};
    }
};

// The application's round: read the settings at start-up, write them anew at exit.
TEST(PrefsStore, StartUpReadsAndExitRewriteInWriteOrder) {
    MemoryFiles fs;
    fs.files["pal_change.prf"] = "paletten=C:\\Pal\\\r\nWindow_x = 5\r\n; old note\r\nextra = 1\r\n";
    Store s(fs);
    EXPECT_TRUE(s.open("pal_change.prf"));
    EXPECT_EQ(s.read_string("paletten", "c:\\games\\kurvo\\paletten\\"), "C:\\Pal\\");
    EXPECT_EQ(s.read_string("Favorite1", "nix"), "nix");
    EXPECT_EQ(s.read_string("Velo.exe", "c:\\games\\"), "c:\\games\\");  // default as given
    EXPECT_EQ(s.read_int("Window_X", 100), 5);
    EXPECT_EQ(s.read_int("Window_y", 50), 50);
    EXPECT_TRUE(s.close());
    EXPECT_EQ(fs.rewrites, 0);  // nothing written: file untouched
    EXPECT_EQ(fs.open_handles, 0);

    ASSERT_TRUE(s.create("pal_change.prf"));
    EXPECT_EQ(fs.files["pal_change.prf"], "");  // gone at once
    s.write_string("paletten", "c:\\pal\\");
    s.write_int("window_x", -20);
    s.write_int("window_y", 0);
    s.write_string("set_org_ende", "1");
    s.write_string("Favorite1", "");
    EXPECT_TRUE(s.close());
    EXPECT_EQ(fs.files["pal_change.prf"],
              "paletten = c:\\pal\\\r\nwindow_x = -20\r\nwindow_y = 0\r\nset_org_ende = 1\r\nFavorite1 = \r\n");
    EXPECT_EQ(fs.open_handles, 0);

    // Created and closed without writes: stays empty.
    ASSERT_TRUE(s.create("fresh.prf"));
    EXPECT_TRUE(s.close());
    EXPECT_EQ(fs.files["fresh.prf"], "");
}

TEST(PrefsStore, MissingFileCollectsWritesAndCreatesItAtClose) {
    MemoryFiles fs;
    Store s(fs);
    EXPECT_FALSE(s.open("new.prf"));
    EXPECT_TRUE(s.is_detached());
    EXPECT_EQ(s.read_int("a", 7), 7);
    s.write_int("a", 1);
    EXPECT_EQ(s.read_int("a", 7), 1);  // collected writes are seen
    EXPECT_TRUE(s.close());
    EXPECT_EQ(fs.files["new.prf"], "a = 1\r\n");
    EXPECT_FALSE(s.is_detached());

    // Detached, then a name that cannot be created: the changes are dropped.
    fs.uncreatable.insert("x:\\nowhere.prf");
    EXPECT_FALSE(s.open("x:\\nowhere.prf"));
    s.write_string("k", "v");
    EXPECT_FALSE(s.close());
    EXPECT_EQ(fs.files.count("x:\\nowhere.prf"), 0u);

    // Detached without writes creates nothing.
    EXPECT_FALSE(s.open("untouched.prf"));
    EXPECT_TRUE(s.close());
    EXPECT_EQ(fs.files.count("untouched.prf"), 0u);
}

TEST(PrefsStore, ReadOnlyUnreadableAndUncreatableFilesReportFailedSaves) {
    MemoryFiles fs;
    fs.files["ro.prf"] = "k=1\n";
    fs.read_only.insert("ro.prf");
    Store s(fs);
    EXPECT_TRUE(s.open("ro.prf"));  // falls back to reading only
    EXPECT_EQ(s.read_int("k", 0), 1);
    s.write_int("k", 2);
    EXPECT_EQ(s.read_int("k", 0), 2);
    EXPECT_FALSE(s.close());
    EXPECT_EQ(fs.files["ro.prf"], "k=1\n");

    fs.files["locked.prf"] = "k=1\n";
    fs.unreadable.insert("locked.prf");
    EXPECT_FALSE(s.open("locked.prf"));
    EXPECT_EQ(s.read_int("k", 9), 9);
    s.write_int("k", 3);
    EXPECT_FALSE(s.close());  // never overwrites what it could not read
    EXPECT_EQ(fs.files["locked.prf"], "k=1\n");
    EXPECT_EQ(fs.open_handles, 0);

    // A failed create leaves the store closed: writes are dropped, reads give defaults.
    fs.uncreatable.insert("bad.prf");
    EXPECT_FALSE(s.create("bad.prf"));
    EXPECT_FALSE(s.is_detached());
    s.write_string("k", "v");
    EXPECT_FALSE(s.modified());
    EXPECT_EQ(s.read_string("k", "d"), "d");
    EXPECT_TRUE(s.close());
}

// Opening another file first saves the changes of the one open.
TEST(PrefsStore, OpeningAnotherFileClosesAndSavesTheFirst) {
    MemoryFiles fs;
    fs.files["a.prf"] = "x = 1\r\n";
    fs.files["b.prf"] = "y = 2\r\n";
    Store s(fs);
    ASSERT_TRUE(s.open("a.prf"));
    s.write_int("x", 10);
    ASSERT_TRUE(s.open("b.prf"));
    EXPECT_EQ(fs.files["a.prf"], "x = 10\r\n");
    EXPECT_EQ(s.read_int("x", -1), -1);  // entries of a.prf are gone
    EXPECT_EQ(s.read_int("y", -1), 2);
    EXPECT_TRUE(s.close());
    EXPECT_TRUE(s.close());  // closing twice is harmless
    EXPECT_EQ(s.read_int("y", -1), -1);
    s.write_int("y", 5);  // nothing open: dropped
    EXPECT_FALSE(s.modified());
    EXPECT_EQ(fs.files["b.prf"], "y = 2\r\n");
}

}  // namespace
