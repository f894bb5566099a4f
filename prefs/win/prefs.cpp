// The process-wide preference store on Win32 files. The file stays open from
// prefs_open to prefs_close and is shared for reading only, so no other
// program can change it in between; it is rewritten through a replacement
// (a temporary file beside it, then put in place).
#include "prefs/prefs.h"

#include <memory>

#include "prefs/portable/prefs_store.h"
#include "files/handle_io.h"
#include "files/replace.h"
#include "files/whole_file.h"
#include "runtime/platform_calls.h"
#include "runtime/win32.h"

namespace {

class Win32Files final : public tw::prefs::FileAccess {
public:
    Handle open_existing(const std::string& name, bool writable) override {
        DWORD access = writable ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
        HANDLE h = tw::platform_calls().CreateFileA(name.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        return h == INVALID_HANDLE_VALUE ? nullptr : h;
    }
    bool read_all(Handle file, std::string& bytes) override {
        return tw::read_whole(static_cast<HANDLE>(file), bytes);
    }
    void close(Handle file) override { tw::platform_calls().CloseHandle(static_cast<HANDLE>(file)); }
    bool present(const std::string& name) override { return file_present(name) != 0; }
    Handle begin_replace(const std::string& name) override {
        auto replacement = std::make_unique<tw::FileReplacement>(name);
        if (!replacement->begin()) return nullptr;
        return replacement.release();
    }
    bool finish_replace(Handle replacement, std::string_view bytes) override {
        std::unique_ptr<tw::FileReplacement> r(static_cast<tw::FileReplacement*>(replacement));
        return r->finish(bytes) == FileReplaceResult::Done;
    }
};

Win32Files g_files;

// Made on first use; a file still open when the program returns from main is
// closed (and saved) by its destructor.
tw::prefs::Store& store() {
    static tw::prefs::Store the_store(g_files);
    return the_store;
}

}  // namespace

void prefs_init() {
    store();
}

bool prefs_open(tw::TextArg file_name) {
    return store().open(file_name.view());
}

bool prefs_unreadable() { return store().unreadable(); }

bool prefs_create(tw::TextArg file_name) {
    return store().create(file_name.view());
}

std::string prefs_read_string(tw::TextArg key, tw::TextArg def) {
    return store().read_string(key.view(), def.view());
}

std::int32_t prefs_read_int(tw::TextArg key, std::int32_t def) {
    return store().read_int(key.view(), def);
}

void prefs_write_string(tw::TextArg key, tw::TextArg value) {
    store().write_string(key.view(), value.view());
}

void prefs_write_int(tw::TextArg key, std::int32_t value) {
    store().write_int(key.view(), value);
}

bool prefs_close() {
    return store().close();
}
