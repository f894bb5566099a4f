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
// files that cannot be read; every replacement is counted.
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
    bool read_all(Handle h, std::string& bytes) override {
        File* f = static_cast<File*>(h);
        if (unreadable.count(f->name)) return false;
        bytes = files[f->name];
        return true;
    }
    Handle begin_replace(const std::string& name) override {
        if (read_only.count(name) || uncreatable.count(name)) return nullptr;
        return make(name, true);
    }
    bool finish_replace(Handle h, std::string_view bytes) override {
        File* f = static_cast<File*>(h);
        ++rewrites;
        files[f->name] = std::string(bytes);
        close(h);
        return true;
    }
    bool present(const std::string& name) override { return files.count(name) != 0; }
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

// Cases real files cannot easily produce: a file that opens but cannot be
// read, and a save that fails after a failed open.
TEST(PrefsStore, UnreadableFileIsNeverOverwritten) {
    MemoryFiles fs;
    fs.files["locked.prf"] = "k=1\n";
    fs.unreadable.insert("locked.prf");
    Store s(fs);
    EXPECT_FALSE(s.open("locked.prf"));
    EXPECT_EQ(s.read_int("k", 9), 9);
    s.write_int("k", 3);
    EXPECT_FALSE(s.close());
    EXPECT_EQ(fs.files["locked.prf"], "k=1\n");
    EXPECT_EQ(fs.open_handles, 0);

    fs.uncreatable.insert("x:\\nowhere.prf");
    EXPECT_FALSE(s.open("x:\\nowhere.prf"));
    EXPECT_TRUE(s.is_detached());
    s.write_string("k", "v");
    EXPECT_EQ(s.read_string("k", "d"), "v");  // collected writes are seen
    EXPECT_FALSE(s.close());
    EXPECT_EQ(fs.files.count("x:\\nowhere.prf"), 0u);
    EXPECT_EQ(fs.rewrites, 0);
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
