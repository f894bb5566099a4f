// Area averaging of B, G, R rows into a smaller picture, row by row: each
// pixel of the result is the average of the picture's area it covers. The
// rows may come reduced (each pixel standing for `scale` x `scale` pixels of
// the picture, those of the last row and column for what is left of it), as
// libjpeg's reductions deliver them. It keeps a few rows of sums of the
// result's width, never a picture. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tw::image {

class BoxFilter {
public:
    // Rows of from_width x from_height pixels, each `scale` pixels of a
    // picture of picture_width x picture_height, into to_width x to_height
    // (each at least 1 and at most the picture's side), written into `target`
    // rows `stride` bytes apart, to_width x 3 bytes each.
    BoxFilter(int from_width, int from_height, int scale, int picture_width, int picture_height, int to_width,
              int to_height, unsigned char* target, std::size_t stride);
    // The next row, from_width x 3 bytes; a finished target row is written as
    // soon as its last part has come.
    void add_row(const unsigned char* row);
    int rows_written() const { return written_; }

private:
    // How cells of a line fall on the target's cells: for cell i, the pieces
    // first[i] .. first[i + 1] - 1, each a target cell and the length there.
    struct Spans {
        std::vector<uint32_t> first, cell;
        std::vector<uint64_t> part;
        Spans(int cells, int scale, int picture, int to);
    };
    void emit();

    int from_h_, to_h_;
    uint64_t area_;
    unsigned char* target_;
    std::size_t stride_;
    Spans cols_, rows_;
    std::vector<uint32_t> line_;             // one row summed into target columns
    std::vector<std::vector<uint64_t>> sum_; // target rows written_, written_ + 1, ...
    int row_in_ = 0;                         // rows taken
    int written_ = 0;                        // target rows written
};

}  // namespace tw::image
