// The process-wide preference store on Win32 files. The file stays open from
// prefs_open to prefs_close and is shared for reading only, so no other
// program can change it in between.
#include "prefs/prefs.h"

#include <new>

#include "prefs/portable/prefs_store.h"
#include "runtime/win32.h"

namespace {

class Win32Files final : public tw::prefs::FileAccess {
public:
    Handle open_existing(const std::string& name, bool writable) override {
        DWORD access = writable ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
        return wrap(CreateFileA(name.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    Handle open_always(const std::string& name) override {
        return wrap(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    Handle create(const std::string& name) override {
        return wrap(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    bool read_all(Handle file, std::string& bytes) override {
        HANDLE h = static_cast<HANDLE>(file);
        DWORD high = 0;
        DWORD size = GetFileSize(h, &high);
        if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
        if (high != 0 || size > 0x7FFFFFF0u) return false;  // far beyond any settings file
        if (SetFilePointer(h, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
        try {
            bytes.resize(size);
        } catch (const std::bad_alloc&) {
            return false;
        }
        DWORD total = 0;
        while (total < size) {
            DWORD got = 0;
            if (!ReadFile(h, bytes.data() + total, size - total, &got, nullptr)) return false;
            if (got == 0) break;  // the file got shorter: keep what was read
            total += got;
        }
        bytes.resize(total);
        return true;
    }
    bool rewrite(Handle file, std::string_view bytes) override {
        HANDLE h = static_cast<HANDLE>(file);
        if (SetFilePointer(h, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD chunk = static_cast<DWORD>(bytes.size() - done > 0x10000000 ? 0x10000000 : bytes.size() - done);
            DWORD written = 0;
            if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
            done += written;
        }
        return SetEndOfFile(h) != 0;
    }
    void close(Handle file) override { CloseHandle(static_cast<HANDLE>(file)); }

private:
    static Handle wrap(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
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
