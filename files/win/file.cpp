// Sequential files: the file table and the Win32 side of the buffered files.
#include "files/file.h"

#include <algorithm>
#include <memory>

#include "files/portable/buffered_file.h"
#include "files/handle_io.h"
#include "runtime/win32.h"

namespace {

class HandleBackend : public tw::FileBackend {
public:
    explicit HandleBackend(HANDLE handle) : handle_(handle) {}

    std::size_t read(void* data, std::size_t size) override { return tw::read_some(handle_, data, size); }
    std::size_t write(const void* data, std::size_t size) override { return tw::write_all(handle_, data, size); }
    bool seek(int64_t offset, bool relative) override { return tw::seek(handle_, offset, relative); }

    int64_t position() override {
        LONG high = 0;
        SetLastError(NO_ERROR);
        DWORD low = tw::platform_calls().SetFilePointer(handle_, 0, &high, FILE_CURRENT);
        if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return 0;
        return (static_cast<int64_t>(high) << 32) | low;
    }

    int64_t size() override {
        const int64_t size = tw::file_size_of(handle_);
        return size < 0 ? 0 : size;
    }

private:
    HANDLE handle_;
};

struct FileObject {
    HANDLE handle = nullptr;
    std::unique_ptr<HandleBackend> backend;
    std::unique_ptr<tw::BufferedFile> file;

    bool in_use() const { return handle != nullptr; }
    // Writes the pending bytes and closes the handle; false when either failed.
    bool close() {
        bool ok = !file || file->flush();
        file.reset();
        backend.reset();
        if (handle) ok = tw::platform_calls().CloseHandle(handle) && ok;
        handle = nullptr;
        return ok;
    }
    void release() { close(); }
};

tw::ObjectTable<FileObject>& table() {
    static tw::ObjectTable<FileObject> files(16);
    return files;
}

tw::BufferedFile* find(intptr_t number) {
    FileObject* obj = table().find(number);
    return obj ? obj->file.get() : nullptr;
}

// Takes the slot (closing a file already open there) and opens the path with
// the given CreateFileA arguments; a second set is tried when the first fails.
intptr_t open_file(intptr_t number, tw::TextArg path, DWORD access, DWORD disposition, DWORD attributes,
                   DWORD retry_access = 0, DWORD retry_disposition = 0) {
    FileObject* obj = table().prepare(number);
    if (!obj) return 0;
    std::string name = path.str();
    HANDLE h = INVALID_HANDLE_VALUE;
    if (tw::usable_file_name(name)) {
        tw::PlatformCalls& f = tw::platform_calls();
        h = f.CreateFileA(name.c_str(), access, FILE_SHARE_READ, nullptr, disposition, attributes, nullptr);
        if (h == INVALID_HANDLE_VALUE && retry_access)
            h = f.CreateFileA(name.c_str(), retry_access, FILE_SHARE_READ, nullptr, retry_disposition, 0, nullptr);
    }
    if (h == INVALID_HANDLE_VALUE || h == nullptr) {
        table().discard(obj);
        return 0;
    }
    obj->handle = h;
    obj->backend = std::make_unique<HandleBackend>(h);
    obj->file = std::make_unique<tw::BufferedFile>(*obj->backend);
    // Non-zero for every file opened, number 0 included.
    return number == tw::kDynamicNumber ? table().number_of(obj) : 1;
}

}  // namespace

void file_library_init() { table(); }

void file_free_all() { table().free_all(); }

intptr_t file_open_read(intptr_t number, tw::TextArg path) {
    return open_file(number, path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
}

intptr_t file_open(intptr_t number, tw::TextArg path) {
    return open_file(number, path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL);
}

intptr_t file_create(intptr_t number, tw::TextArg path) {
    return open_file(number, path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     GENERIC_WRITE, TRUNCATE_EXISTING);
}

int file_close(intptr_t number) {
    FileObject* obj = table().find(number);
    if (!obj) return 0;
    const bool ok = obj->close();
    table().discard(obj);
    return ok ? 1 : 0;
}

int file_is_open(intptr_t number) { return table().find(number) ? 1 : 0; }

int file_eof(intptr_t number) {
    tw::BufferedFile* f = find(number);
    return f && f->eof() ? 1 : 0;
}

std::string file_read_line(intptr_t number) {
    tw::BufferedFile* f = find(number);
    return f ? f->read_line() : std::string();
}

int64_t file_write_line(intptr_t number, tw::TextArg text) {
    tw::BufferedFile* f = find(number);
    return f ? static_cast<int64_t>(f->write_line(text.view())) : 0;
}

uint32_t file_seek(intptr_t number, int64_t position) {
    tw::BufferedFile* f = find(number);
    if (!f || !f->seek(position)) return 0;
    return static_cast<uint32_t>(position & 0xFFFFFFFF);
}

int file_write_byte(intptr_t number, int64_t value) {
    tw::BufferedFile* f = find(number);
    if (!f) return 0;
    auto byte = static_cast<unsigned char>(value & 0xFF);
    return static_cast<int>(f->write(&byte, 1));
}

int file_read_byte(intptr_t number) {
    tw::BufferedFile* f = find(number);
    return f ? f->read_byte() : -1;
}

int64_t file_read_data(intptr_t number, void* data, std::size_t size) {
    tw::BufferedFile* f = find(number);
    if (!f || (!data && size)) return 0;
    return static_cast<int64_t>(f->read(data, size));
}

int64_t file_write_data(intptr_t number, const void* data, std::size_t size) {
    tw::BufferedFile* f = find(number);
    if (!f || (!data && size)) return 0;
    return static_cast<int64_t>(f->write(data, size));
}

int64_t file_pos(intptr_t number) {
    tw::BufferedFile* f = find(number);
    return f ? f->position() : 0;
}

int64_t file_size(intptr_t number) {
    tw::BufferedFile* f = find(number);
    return f ? f->size() : 0;
}

int file_flush(intptr_t number) {
    tw::BufferedFile* f = find(number);
    return f && f->flush() ? 1 : 0;
}
