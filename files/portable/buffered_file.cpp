#include "files/portable/buffered_file.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tw {

std::size_t MemoryFileBackend::read(void* data, std::size_t size) {
    ++read_calls;
    if (pos_ >= static_cast<int64_t>(data_.size()) || size == 0) return 0;
    std::size_t n = std::min(size, data_.size() - static_cast<std::size_t>(pos_));
    std::memcpy(data, data_.data() + pos_, n);
    pos_ += static_cast<int64_t>(n);
    return n;
}

std::size_t MemoryFileBackend::write(const void* data, std::size_t size) {
    ++write_calls;
    if (size == 0) return 0;
    auto end = static_cast<std::size_t>(pos_) + size;
    if (end > data_.size()) data_.resize(end, 0);
    std::memcpy(data_.data() + pos_, data, size);
    pos_ = static_cast<int64_t>(end);
    return size;
}

bool MemoryFileBackend::seek(int64_t offset, bool relative) {
    int64_t target = relative ? pos_ + offset : offset;
    if (target < 0) return false;
    pos_ = target;
    return true;
}

BufferedFile::BufferedFile(FileBackend& backend, std::size_t capacity) : backend_(backend) {
    if (capacity > 0) {
        buffer_.reset(new (std::nothrow) char[capacity]);
        if (buffer_) capacity_ = capacity;
    }
}

bool BufferedFile::enter_read_mode() {
    if (!writing_) return true;
    // Bytes that cannot be written stay pending: nothing is read past them.
    if (!flush()) return false;
    writing_ = false;
    fill_ = count_ = 0;
    return true;
}

void BufferedFile::enter_write_mode() {
    if (writing_) return;
    // The operating-system position is ahead of the logical one by the
    // unread read-ahead: move back so writing starts where reading stopped.
    if (count_ > 0) backend_.seek(-static_cast<int64_t>(count_), true);
    writing_ = true;
    fill_ = count_ = 0;
    pending_ = 0;
}

std::size_t BufferedFile::read(void* data, std::size_t size) {
    if (!enter_read_mode()) return 0;
    auto* out = static_cast<char*>(data);
    std::size_t take = std::min(size, count_);
    if (take > 0) {
        std::memcpy(out, buffer_.get() + (fill_ - count_), take);
        count_ -= take;
    }
    std::size_t rest = size - take;
    if (rest == 0) return take;
    if (rest >= capacity_) {
        fill_ = count_ = 0;
        return take + backend_.read(out + take, rest);
    }
    fill_ = count_ = backend_.read(buffer_.get(), capacity_);
    std::size_t more = std::min(rest, count_);
    std::memcpy(out + take, buffer_.get(), more);
    count_ -= more;
    return take + more;
}

std::size_t BufferedFile::write(const void* data, std::size_t size) {
    enter_write_mode();
    if (size == 0) return 0;
    // After a partial write nothing more is taken until the kept bytes are out.
    if (stuck_ && !flush()) return 0;
    if (size < capacity_ - pending_) {
        std::memcpy(buffer_.get() + pending_, data, size);
        pending_ += size;
        return size;
    }
    // While earlier bytes cannot be written, nothing more is taken.
    if (!flush()) return 0;
    if (size >= capacity_) return backend_.write(data, size);
    std::memcpy(buffer_.get(), data, size);
    pending_ = size;
    return size;
}

int BufferedFile::read_byte() {
    if (!writing_ && count_ > 0) {
        auto c = static_cast<unsigned char>(buffer_[fill_ - count_]);
        --count_;
        return c;
    }
    unsigned char c = 0;
    return read(&c, 1) == 1 ? c : -1;
}

void BufferedFile::unread_byte() {
    if (writing_) return;
    if (count_ < fill_) {
        ++count_;
    } else {
        backend_.seek(-1, true);  // unbuffered: the byte came straight from the file
    }
}

bool BufferedFile::eof() {
    if (read_byte() < 0) return true;
    unread_byte();
    return false;
}

std::string BufferedFile::read_line() {
    std::string line;
    for (;;) {
        if (!writing_ && count_ > 0) {
            // Take the run of ordinary bytes straight from the buffer.
            const char* p = buffer_.get() + (fill_ - count_);
            std::size_t i = 0;
            while (i < count_ && p[i] != '\0' && p[i] != '\n' && p[i] != '\r') ++i;
            line.append(p, i);
            count_ -= i;
            if (count_ == 0) continue;
        }
        int c = read_byte();
        if (c < 0 || c == '\0' || c == '\n') return line;
        if (c == '\r') {
            int next = read_byte();
            if (next >= 0 && next != '\n') unread_byte();
            return line;
        }
        line.push_back(static_cast<char>(c));
    }
}

std::size_t BufferedFile::write_line(std::string_view text) {
    std::size_t n = write(text.data(), text.size());
    if (n < text.size()) return n;
    return n + write("\r\n", 2);
}

bool BufferedFile::flush() {
    if (!writing_ || pending_ == 0) return true;
    const std::size_t want = pending_;
    const std::size_t done = backend_.write(buffer_.get(), want);
    if (done >= want) {
        pending_ = 0;
        stuck_ = false;
        return true;
    }
    stuck_ = true;
    // A partial write: the bytes not written stay pending, in order, so the
    // logical position stays right and a later flush can still write them.
    std::memmove(buffer_.get(), buffer_.get() + done, want - done);
    pending_ = want - done;
    return false;
}

bool BufferedFile::seek(int64_t offset) {
    if (offset < 0) return false;
    if (!flush()) return false;
    writing_ = false;
    fill_ = count_ = 0;
    return backend_.seek(offset, false);
}

int64_t BufferedFile::position() {
    int64_t os = backend_.position();
    return writing_ ? os + static_cast<int64_t>(pending_) : os - static_cast<int64_t>(count_);
}

int64_t BufferedFile::size() {
    int64_t size = backend_.size();
    if (writing_ && pending_ > 0) size = std::max(size, backend_.position() + static_cast<int64_t>(pending_));
    return size;
}

}  // namespace tw
