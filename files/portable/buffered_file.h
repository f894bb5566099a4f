// The buffered file behind every file object: one buffer that serves as
// read-ahead while reading and as write-behind while writing, and the line
// reader on top of it. The operating-system file is reached through a small
// backend interface, so the same logic runs on a memory file in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The raw file under the buffer. Positions are byte offsets from the start.
class FileBackend {
public:
    virtual ~FileBackend() = default;
    // Reads up to `size` bytes at the position; the count read (0 at the end
    // or on an error).
    virtual std::size_t read(void* data, std::size_t size) = 0;
    // Writes `size` bytes at the position; the count written.
    virtual std::size_t write(const void* data, std::size_t size) = 0;
    // Moves the position to `offset` (from the start, or from the current
    // position when `relative`). False when refused.
    virtual bool seek(int64_t offset, bool relative) = 0;
    virtual int64_t position() = 0;
    virtual int64_t size() = 0;
};

// A file kept in memory; writing beyond the end fills the gap with zeros.
class MemoryFileBackend : public FileBackend {
public:
    MemoryFileBackend() = default;
    explicit MemoryFileBackend(std::string_view content) : data_(content.begin(), content.end()) {}

    std::size_t read(void* data, std::size_t size) override;
    std::size_t write(const void* data, std::size_t size) override;
    bool seek(int64_t offset, bool relative) override;
    int64_t position() override { return pos_; }
    int64_t size() override { return static_cast<int64_t>(data_.size()); }

    std::string content() const { return std::string(data_.begin(), data_.end()); }
    // How many read and write calls reached this backend.
    std::size_t read_calls = 0;
    std::size_t write_calls = 0;

private:
    std::vector<char> data_;
    int64_t pos_ = 0;
};

class BufferedFile {
public:
    static constexpr std::size_t kBufferSize = 4096;

    // `capacity` 0 (or a failed allocation) gives an unbuffered file with the
    // same observable results.
    explicit BufferedFile(FileBackend& backend, std::size_t capacity = kBufferSize);
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;

    // Up to `size` bytes at the logical position; the count delivered.
    std::size_t read(void* data, std::size_t size);
    // Writes `size` bytes at the logical position; the count taken (less
    // than `size`, possibly 0, when the file refuses bytes: pending bytes
    // that could not be written stay pending, and nothing more is taken).
    std::size_t write(const void* data, std::size_t size);
    // The next byte, or -1 at the end.
    int read_byte();
    // Puts back the byte just read by read_byte.
    void unread_byte();
    // True when no byte can be read at the logical position.
    bool eof();
    // The next line without its line end; empty text at the end.
    std::string read_line();
    // The text followed by CR LF; the count of bytes taken (text plus 2 when
    // all were).
    std::size_t write_line(std::string_view text);
    // Writes the pending bytes; true when all of them were written. Those
    // that were not stay pending.
    bool flush();
    // Writes the pending bytes, drops the read-ahead and moves to `offset`
    // from the start. False (and nothing changed) for a negative offset, when
    // pending bytes cannot be written, or when the backend refuses.
    bool seek(int64_t offset);
    int64_t position();
    int64_t size();

    bool buffered() const { return capacity_ != 0; }
    bool writing() const { return writing_; }

private:
    bool enter_read_mode();  // false while pending bytes cannot be written
    void enter_write_mode();
    std::size_t unread() const { return count_; }

    FileBackend& backend_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    bool writing_ = false;
    std::size_t fill_ = 0;     // read mode: bytes the last refill brought
    std::size_t count_ = 0;    // read mode: bytes of those not yet read
    std::size_t pending_ = 0;  // write mode: bytes not yet written
    bool stuck_ = false;       // the last flush left bytes it could not write
};

}  // namespace tw
