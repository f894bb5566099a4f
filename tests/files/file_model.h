// A plain in-memory model of a sequential file, and a driver that plays a
// sequence of operations (decoded from bytes) on a BufferedFile and on the
// model side by side. Used by the tests and by the fuzzer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "files/portable/buffered_file.h"

namespace tw_test {

struct ModelFile {
    std::string data;
    int64_t pos = 0;

    int read_byte() {
        if (pos >= static_cast<int64_t>(data.size())) return -1;
        return static_cast<unsigned char>(data[static_cast<std::size_t>(pos++)]);
    }
    std::string read(std::size_t n) {
        if (pos >= static_cast<int64_t>(data.size())) return {};
        std::string out = data.substr(static_cast<std::size_t>(pos), n);
        pos += static_cast<int64_t>(out.size());
        return out;
    }
    void write(const std::string& bytes) {
        if (bytes.empty()) return;  // writing nothing does not extend the file
        auto end = static_cast<std::size_t>(pos) + bytes.size();
        if (end > data.size()) data.resize(end, '\0');
        data.replace(static_cast<std::size_t>(pos), bytes.size(), bytes);
        pos = static_cast<int64_t>(end);
    }
    std::string read_line() {
        std::string line;
        for (;;) {
            int c = read_byte();
            if (c < 0 || c == 0 || c == '\n') return line;
            if (c == '\r') {
                if (pos < static_cast<int64_t>(data.size()) && data[static_cast<std::size_t>(pos)] == '\n') ++pos;
                return line;
            }
            line.push_back(static_cast<char>(c));
        }
    }
    bool eof() const { return pos >= static_cast<int64_t>(data.size()); }
};

// Plays the operations encoded in `ops` on a buffered file with the given
// buffer capacity over `initial` content. Returns an empty text when the
// buffered file and the model agreed throughout, else what went wrong.
inline std::string play(const std::string& initial, const uint8_t* ops, std::size_t size, std::size_t capacity) {
    tw::MemoryFileBackend backend(initial);
    std::string result;
    {
        tw::BufferedFile file(backend, capacity);
        ModelFile model{initial, 0};
        std::size_t i = 0;
        auto next = [&]() -> unsigned { return i < size ? ops[i++] : 0u; };
        int step = 0;
        while (i < size) {
            unsigned op = next() % 8;
            std::string where = "step " + std::to_string(step++) + " op " + std::to_string(op) + ": ";
            switch (op) {
            case 0: {
                int a = file.read_byte(), b = model.read_byte();
                if (a != b) return where + "read_byte " + std::to_string(a) + " != " + std::to_string(b);
                break;
            }
            case 1: {
                std::size_t n = next() * 37u;
                std::string a(n, '\0');
                a.resize(file.read(a.data(), n));
                if (a != model.read(n)) return where + "read differs";
                break;
            }
            case 2: {
                std::size_t n = next() * 41u;
                unsigned seed = next();
                std::string bytes(n, '\0');
                for (std::size_t k = 0; k < n; ++k) bytes[k] = static_cast<char>((seed + k * 7) & 0xFF);
                if (file.write(bytes.data(), n) != n) return where + "write count";
                model.write(bytes);
                break;
            }
            case 3: {
                unsigned n = next() % 8;
                std::string text;
                for (unsigned k = 0; k < n; ++k) text.push_back(static_cast<char>(next()));
                if (file.write_line(text) != text.size() + 2) return where + "write_line count";
                model.write(text + "\r\n");
                break;
            }
            case 4: {
                int64_t to = static_cast<int64_t>(next() << 8 | next()) % 20000;
                if (!file.seek(to)) return where + "seek refused";
                model.pos = to;
                break;
            }
            case 5:
                if (file.eof() != model.eof()) return where + "eof differs";
                break;
            case 6:
                if (file.read_line() != model.read_line()) return where + "read_line differs";
                break;
            default:
                if (file.position() != model.pos)
                    return where + "position " + std::to_string(file.position()) + " != " + std::to_string(model.pos);
                if (file.size() != static_cast<int64_t>(model.data.size())) return where + "size differs";
                break;
            }
        }
        file.flush();
        if (backend.content() != model.data) return "final content differs";
    }
    return result;
}

}  // namespace tw_test
