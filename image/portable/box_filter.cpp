// The area average on a grid of units in which a pixel of the picture is
// `to` units long and a target pixel `picture` units: a target pixel then
// holds exactly picture_width x picture_height units of area, and a reduced
// pixel covers scale x to units (its part of them at the picture's edge).
#include "image/portable/box_filter.h"

#include <algorithm>

namespace tw::image {

BoxFilter::Spans::Spans(int cells, int scale, int picture, int to) {
    const auto p = static_cast<uint64_t>(picture), t = static_cast<uint64_t>(to), s = static_cast<uint64_t>(scale);
    for (uint64_t i = 0; i < static_cast<uint64_t>(cells); ++i) {
        first.push_back(static_cast<uint32_t>(cell.size()));
        const uint64_t a = std::min(i * s, p) * t, b = std::min((i + 1) * s, p) * t;
        for (uint64_t j = a / p; j * p < b && j < t; ++j) {
            cell.push_back(static_cast<uint32_t>(j));
            part.push_back(std::min(b, (j + 1) * p) - std::max(a, j * p));
        }
    }
    first.push_back(static_cast<uint32_t>(cell.size()));
}

BoxFilter::BoxFilter(int from_width, int from_height, int scale, int picture_width, int picture_height,
                     int to_width, int to_height, unsigned char* target, std::size_t stride)
    : from_h_(from_height), to_h_(to_height),
      area_(static_cast<uint64_t>(picture_width) * static_cast<uint64_t>(picture_height)), target_(target),
      stride_(stride), cols_(from_width, scale, picture_width, to_width),
      rows_(from_height, scale, picture_height, to_height), line_(static_cast<std::size_t>(to_width) * 3) {}

void BoxFilter::add_row(const unsigned char* row) {
    if (row_in_ >= from_h_) return;
    std::fill(line_.begin(), line_.end(), 0u);
    const std::size_t width = cols_.first.size() - 1;
    for (std::size_t x = 0; x < width; ++x, row += 3)
        for (uint32_t k = cols_.first[x]; k < cols_.first[x + 1]; ++k) {
            uint32_t* a = &line_[3 * static_cast<std::size_t>(cols_.cell[k])];
            const auto part = static_cast<uint32_t>(cols_.part[k]);
            for (int c = 0; c < 3; ++c) a[c] += row[c] * part;
        }
    // The same split over the target rows this row reaches.
    const auto r = static_cast<std::size_t>(row_in_++);
    for (uint32_t k = rows_.first[r]; k < rows_.first[r + 1]; ++k) {
        const std::size_t slot = rows_.cell[k] - static_cast<std::size_t>(written_);
        while (sum_.size() <= slot) sum_.emplace_back(line_.size(), 0);
        std::vector<uint64_t>& s = sum_[slot];
        for (std::size_t i = 0; i < line_.size(); ++i) s[i] += static_cast<uint64_t>(line_[i]) * rows_.part[k];
    }
    // Target rows before the one this row ends in are complete; at the last
    // row, all of them.
    const uint32_t last = rows_.first[r + 1] > rows_.first[r] ? rows_.cell[rows_.first[r + 1] - 1] : 0;
    const bool end = row_in_ == from_h_;
    while (written_ < to_h_ && (static_cast<uint32_t>(written_) < last || end)) emit();
}

void BoxFilter::emit() {
    unsigned char* out = target_ + static_cast<std::size_t>(written_) * stride_;
    if (sum_.empty()) sum_.emplace_back(line_.size(), 0);
    for (std::size_t i = 0; i < line_.size(); ++i)
        out[i] = static_cast<unsigned char>((sum_[0][i] + area_ / 2) / area_);
    sum_.erase(sum_.begin());
    ++written_;
}

}  // namespace tw::image
