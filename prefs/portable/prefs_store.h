// The preference store's state: which file is open, whether the content was
// changed, and the document. The file access itself goes through FileAccess,
// so the store runs on real files (Windows) or on files in memory (tests).
// A file is only ever rewritten as a whole, through a replacement that leaves
// it as it was on any failure: never cut, never emptied before its new
// content is complete.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "prefs/portable/prefs_document.h"

namespace tw::prefs {

class FileAccess {
public:
    using Handle = void*;  // null: no file

    virtual ~FileAccess() = default;
    // Opens an existing file, for reading and writing or for reading only;
    // others may read it while it is open.
    virtual Handle open_existing(const std::string& name, bool writable) = 0;
    // Reads the whole file from its start. False if it cannot be read.
    virtual bool read_all(Handle file, std::string& bytes) = 0;
    virtual void close(Handle file) = 0;
    // Whether a file or folder of that name is there, or that cannot be told
    // (a file that cannot be opened may still be there).
    virtual bool present(const std::string& name) = 0;
    // Begins replacing the whole content of the file (made when missing):
    // a temporary file beside it; the file itself is not touched yet. Null
    // when no replacement can be made there.
    virtual Handle begin_replace(const std::string& name) = 0;
    // Puts `bytes` in place as the file's whole content. False leaves the file
    // byte for byte as it was. The replacement is used up either way.
    virtual bool finish_replace(Handle replacement, std::string_view bytes) = 0;
};

class Store {
public:
    explicit Store(FileAccess& files) : files_(files) {}
    ~Store() { close(); }
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    bool open(std::string_view name);
    bool create(std::string_view name);
    std::string read_string(std::string_view key, std::string_view def) const;
    std::int32_t read_int(std::string_view key, std::int32_t def) const;
    void write_string(std::string_view key, std::string_view value);
    void write_int(std::string_view key, std::int32_t value);
    bool close();

    bool is_open() const { return file_ != nullptr || replacement_ != nullptr; }
    bool is_detached() const { return pending_name_.has_value(); }
    // The file of the last open() is there but could not be read.
    bool unreadable() const { return unreadable_; }
    bool modified() const { return modified_; }
    const Document& document() const { return document_; }

private:
    bool active() const { return is_open() || pending_name_.has_value() || unreadable_; }

    FileAccess& files_;
    FileAccess::Handle file_ = nullptr;         // the file opened for reading
    std::string name_;                          // its name
    bool writable_ = false;                     // it could be opened for writing
    FileAccess::Handle replacement_ = nullptr;  // the new file of create()
    std::optional<std::string> pending_name_;  // held after a failed open
    bool unreadable_ = false;  // there, but it could not be opened or read: never rewritten
    bool modified_ = false;
    Document document_;
};

}  // namespace tw::prefs
