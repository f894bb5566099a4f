// Feeds arbitrary bytes to the line reader (as file content, over buffers of
// several sizes) and to the buffered file as a sequence of operations checked
// against a plain model.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "files/portable/buffered_file.h"
#include "text/text.h"
#include "tests/files/file_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::size_t capacities[] = {4096, 1, 2, 3, 16, 0, 4095, 64};
    std::size_t capacity = capacities[data[0] % 8];
    if (data[0] & 0x80) {
        std::string failure = tw_test::play(std::string(reinterpret_cast<const char*>(data + 1), (size - 1) / 2),
                                            data + 1 + (size - 1) / 2, size - 1 - (size - 1) / 2, capacity);
        if (!failure.empty()) {
            std::fprintf(stderr, "%s\n", failure.c_str());
            std::abort();
        }
        return 0;
    }
    std::string content(reinterpret_cast<const char*>(data + 1), size - 1);
    tw::MemoryFileBackend backend(content);
    tw::BufferedFile file(backend, capacity);
    std::vector<std::string> lines;
    while (!file.eof()) {
        lines.push_back(file.read_line());
        if (lines.size() > content.size()) std::abort();  // no progress
    }
    if (lines != text_lines(content)) std::abort();
    if (file.position() != static_cast<int64_t>(content.size())) std::abort();
    for (const auto& line : lines)
        if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) std::abort();
    return 0;
}
