// Prints figures for reading and writing through the 4096-byte buffer against
// an unbuffered file: how many calls reach the file, and the time per MB.
// Nothing is asserted about speed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "files/portable/line_buffer.h"

namespace {

struct Figures {
    std::size_t calls;
    double ms;
};

Figures read_lines(const std::string& content, std::size_t capacity) {
    tw::MemoryFileBackend backend(content);
    tw::BufferedFile file(backend, capacity);
    auto start = std::chrono::steady_clock::now();
    std::size_t total = 0;
    while (!file.eof()) total += file.read_line().size();
    auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(total, 0u);
    return {backend.read_calls, ms};
}

Figures write_lines(std::size_t count, std::size_t capacity) {
    tw::MemoryFileBackend backend;
    tw::BufferedFile file(backend, capacity);
    auto start = std::chrono::steady_clock::now();
    for (std::size_t k = 0; k < count; ++k) file.write_line("PaletteFile = c:\\spiele\\paletten\\blau.pal");
    file.flush();
    auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return {backend.write_calls, ms};
}

TEST(FileBenchmark, BufferedAgainstUnbuffered) {
    std::string content;
    while (content.size() < (1u << 20)) content += "Key" + std::to_string(content.size()) + " = some value\r\n";
    Figures buffered = read_lines(content, 4096), raw = read_lines(content, 0);
    std::printf("reading 1 MB of lines: buffered %zu reads %.1f ms, unbuffered %zu reads %.1f ms (%.0fx fewer reads)\n",
                buffered.calls, buffered.ms, raw.calls, raw.ms, double(raw.calls) / double(buffered.calls));
    Figures wb = write_lines(25000, 4096), wr = write_lines(25000, 0);
    std::printf("writing 25000 lines: buffered %zu writes %.1f ms, unbuffered %zu writes %.1f ms (%.0fx fewer writes)\n",
                wb.calls, wb.ms, wr.calls, wr.ms, double(wr.calls) / double(wb.calls));
}

}  // namespace
