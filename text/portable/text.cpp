// Text helpers. Everything works on bytes; nothing here depends on a locale.
#include "text/text.h"

#include <cmath>
#include <cstdint>
#include <limits>

void text_init() {}

std::int64_t text_to_int(tw::TextArg text) {
    std::string_view s = text.view();
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i < s.size() && s[i] == '%') {
        base = 2;
        ++i;
    }
    // The magnitude stops at the limit of its sign: 2^63 - 1, or 2^63 for a
    // negative number, so no run of digits can turn into a small or negative
    // value (twenty digits typed into a field must not pass a limit test).
    const std::uint64_t limit = negative ? std::uint64_t(1) << 63 : (std::uint64_t(1) << 63) - 1;
    std::uint64_t value = 0;
    for (; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        unsigned digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else break;
        if (digit >= base) break;
        value = value > (limit - digit) / base ? limit : value * base + digit;
    }
    if (negative) return value == limit ? INT64_MIN : -static_cast<std::int64_t>(value);
    return static_cast<std::int64_t>(value);
}

std::string int_to_text(std::int64_t value) {
    // Work on the magnitude as unsigned so the smallest value needs no special case.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                        : static_cast<std::uint64_t>(value);
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::string out;
    out.reserve(static_cast<std::size_t>(n) + 1);
    if (value < 0) out.push_back('-');
    while (n > 0) out.push_back(digits[--n]);
    return out;
}

std::int32_t float_to_int(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);  // truncates toward zero
}

std::int64_t text_length(tw::TextArg text) {
    return static_cast<std::int64_t>(text.size());
}

static std::size_t clamp_count(std::int64_t n, std::size_t size) {
    if (n <= 0) return 0;
    if (static_cast<std::uint64_t>(n) >= size) return size;
    return static_cast<std::size_t>(n);
}

std::string text_left(tw::TextArg text, std::int64_t n) {
    std::string_view s = text.view();
    return std::string(s.substr(0, clamp_count(n, s.size())));
}

std::string text_right(tw::TextArg text, std::int64_t n) {
    std::string_view s = text.view();
    std::size_t count = clamp_count(n, s.size());
    return std::string(s.substr(s.size() - count));
}

std::string text_trim(tw::TextArg text) {
    std::string_view s = text.view();
    std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::string();
    std::size_t last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

std::int64_t text_find(tw::TextArg text, tw::TextArg searched, std::int64_t start) {
    std::string_view s = text.view();
    std::string_view what = searched.view();
    if (s.empty() || what.empty()) return 0;
    if (start < 1) start = 1;
    if (static_cast<std::uint64_t>(start) > s.size()) return 0;
    std::size_t at = s.find(what, static_cast<std::size_t>(start - 1));
    return at == std::string_view::npos ? 0 : static_cast<std::int64_t>(at) + 1;
}

std::string text_lower(tw::TextArg text) {
    std::string out = text.str();
    for (char& ch : out) {
        unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 192 && c <= 222)) ch = static_cast<char>(c + 32);
    }
    return out;
}

bool text_equal(tw::TextArg a, tw::TextArg b) {
    return a.view() == b.view();
}

std::string text_concat(std::initializer_list<tw::TextArg> pieces) {
    std::size_t total = 0;
    for (const tw::TextArg& p : pieces) total += p.size();
    std::string out;
    out.reserve(total);
    for (const tw::TextArg& p : pieces) out.append(p.view());
    return out;
}

std::vector<std::string> text_lines(tw::TextArg whole) {
    const std::string_view text = whole.view();
    std::vector<std::string> lines;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t start = i;
        while (i < text.size() && text[i] != '\0' && text[i] != '\n' && text[i] != '\r') ++i;
        lines.emplace_back(text.substr(start, i - start));
        if (i == text.size()) break;
        char end = text[i++];
        if (end == '\r' && i < text.size() && text[i] == '\n') ++i;
    }
    return lines;
}
