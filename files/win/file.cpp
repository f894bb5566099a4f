// Sequential files: the file table and the Win32 side of the buffered files.
#include "files/file.h"

#include <algorithm>
#include <memory>

#include "files/portable/line_buffer.h"
#include "runtime/win32.h"

namespace {

class HandleBackend : public tw::FileBackend {
public:
    explicit HandleBackend(HANDLE handle) : handle_(handle) {}

    std::size_t read(void* data, std::size_t size) override {
        std::size_t total = 0;
        auto* out = static_cast<char*>(data);
        while (total < size) {
            DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - total, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(handle_, out + total, chunk, &got, nullptr) || got == 0) break;
            total += got;
            if (got < chunk) break;
        }
        return total;
    }

    std::size_t write(const void* data, std::size_t size) override {
        std::size_t total = 0;
        auto* in = static_cast<const char*>(data);
        while (total < size) {
            DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - total, 1u << 30));
            DWORD done = 0;
            if (!WriteFile(handle_, in + total, chunk, &done, nullptr) || done == 0) break;
            total += done;
        }
        return total;
    }

    bool seek(int64_t offset, bool relative) override {
        LONG high = static_cast<LONG>(offset >> 32);
        SetLastError(NO_ERROR);
        DWORD low = SetFilePointer(handle_, static_cast<LONG>(offset & 0xFFFFFFFF), &high,
                                   relative ? FILE_CURRENT : FILE_BEGIN);
        return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
    }

    int64_t position() override {
        LONG high = 0;
        SetLastError(NO_ERROR);
        DWORD low = SetFilePointer(handle_, 0, &high, FILE_CURRENT);
        if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return 0;
        return (static_cast<int64_t>(high) << 32) | low;
    }

    int64_t size() override {
        DWORD high = 0;
        SetLastError(NO_ERROR);
        DWORD low = GetFileSize(handle_, &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
        return (static_cast<int64_t>(high) << 32) | low;
    }

private:
    HANDLE handle_;
};

struct FileObject {
    HANDLE handle = nullptr;
    std::unique_ptr<HandleBackend> backend;
    std::unique_ptr<tw::BufferedFile> file;

    bool in_use() const { return handle != nullptr; }
    void release() {
        if (file) file->flush();
        file.reset();
        backend.reset();
        if (handle) CloseHandle(handle);
        handle = nullptr;
    }
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
    // A zero byte inside would open a different, shorter name.
    if (!name.empty() && name.find('\0') == std::string::npos) {
        h = CreateFileA(name.c_str(), access, FILE_SHARE_READ, nullptr, disposition, attributes, nullptr);
        if (h == INVALID_HANDLE_VALUE && retry_access)
            h = CreateFileA(name.c_str(), retry_access, FILE_SHARE_READ, nullptr, retry_disposition, 0, nullptr);
    }
    if (h == INVALID_HANDLE_VALUE || h == nullptr) {
        table().discard(obj);
        return 0;
    }
    obj->handle = h;
    obj->backend = std::make_unique<HandleBackend>(h);
    obj->file = std::make_unique<tw::BufferedFile>(*obj->backend);
    return table().number_of(obj);
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
    table().discard(obj);
    return 1;
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
