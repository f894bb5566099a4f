#include "prefs/portable/prefs_document.h"

#include <limits>

namespace tw::prefs {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n' || c == '\0'; }

char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

}  // namespace

bool keys_equal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

std::string latin1_to_utf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::optional<std::string> utf8_to_latin1(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        std::size_t length;
        std::uint32_t code;
        if (c >= 0xC2 && c <= 0xDF) { length = 2; code = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { length = 3; code = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { length = 4; code = c & 0x07; }
        else return std::nullopt;  // continuation byte, overlong start or no start byte at all
        std::size_t k = 1;
        for (; k < length && i + k < text.size(); ++k) {
            unsigned char d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80) return std::nullopt;
            code = (code << 6) | (d & 0x3F);
        }
        if (k < length) break;  // cut short by the end: dropped
        // Every character of three or four bytes lies beyond Latin-1 (or is overlong).
        if (length > 2 || code > 0xFF) return std::nullopt;
        out.push_back(static_cast<char>(code));
        i += length;
    }
    return out;
}

std::int32_t parse_int(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                        : std::numeric_limits<std::int32_t>::max();
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) value = limit;  // saturate, keep reading digits
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

void Document::clear() {
    entries_.clear();
    buffer_.clear();
    buffer_.shrink_to_fit();
    text_end_ = 0;
    encoding_ = ENCODING_8BIT;
}

void Document::load(std::string bytes) {
    entries_.clear();
    encoding_ = ENCODING_8BIT;
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        encoding_ = ENCODING_UTF8;
        bytes.erase(0, 3);
    }
    buffer_ = std::move(bytes);
    text_end_ = buffer_.size();
    buffer_.append(2, '\0');
    parse();
}

void Document::parse() {
    const char* text = buffer_.data();
    const std::size_t end = text_end_;
    auto piece = [&](std::size_t from, std::size_t to) { return std::string_view(text + from, to - from); };
    auto skip_to_line_end = [&](std::size_t i) {
        while (i < end && !is_line_end(text[i])) ++i;
        return i;
    };

    std::size_t i = 0;
    while (i < end) {
        while (i < end && is_blank(text[i])) ++i;
        if (i >= end) break;
        if (is_line_end(text[i])) {  // line ends and blank-only lines leave nothing
            ++i;
            continue;
        }
        Entry entry{};
        if (text[i] == ';') {
            ++i;
            if (i < end && text[i] == ' ') ++i;
            std::size_t start = i;
            i = skip_to_line_end(i);
            entry.kind = EntryKind::Comment;
            entry.name.piece = piece(start, i);
        } else if (text[i] == '[') {
            std::size_t start = ++i;
            while (i < end && !is_line_end(text[i]) && text[i] != ']') ++i;
            entry.kind = EntryKind::Group;
            entry.name.piece = piece(start, i);
            i = skip_to_line_end(i);
        } else {
            std::size_t start = i;
            while (i < end && !is_line_end(text[i]) && text[i] != '=') ++i;
            std::size_t key_end = i;
            while (key_end > start && is_blank(text[key_end - 1])) --key_end;
            entry.kind = EntryKind::Key;
            entry.name.piece = piece(start, key_end);
            if (i < end && text[i] == '=') {
                ++i;
                while (i < end && is_blank(text[i])) ++i;
                std::size_t value_start = i;
                i = skip_to_line_end(i);
                entry.value.piece = piece(value_start, i);
            }
        }
        entries_.push_back(std::move(entry));
    }
}

std::string Document::to_file_text(std::string_view text) const {
    return encoding_ == ENCODING_UTF8 ? latin1_to_utf8(text) : std::string(text);
}

std::size_t Document::find_key(std::string_view file_key) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (e.kind == EntryKind::Group) break;
        if (e.kind == EntryKind::Key && keys_equal(e.name.get(), file_key)) return i;
    }
    return entries_.size();
}

std::size_t Document::leading_section_end() const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].kind == EntryKind::Group) return i;
    return entries_.size();
}

std::optional<std::string_view> Document::raw_value(std::string_view key) const {
    std::size_t i = find_key(to_file_text(key));
    if (i == entries_.size()) return std::nullopt;
    return entries_[i].value.get();
}

std::optional<std::string> Document::read_string(std::string_view key) const {
    std::optional<std::string_view> raw = raw_value(key);
    if (!raw) return std::nullopt;
    std::string_view v = *raw;
    while (!v.empty() && is_blank(v.front())) v.remove_prefix(1);
    std::string value;
    if (encoding_ == ENCODING_UTF8) {
        std::optional<std::string> converted = utf8_to_latin1(v);
        if (!converted) return std::string();
        value = std::move(*converted);
    } else {
        value.assign(v.data(), v.size());
    }
    while (!value.empty() && is_blank(value.back())) value.pop_back();
    return value;
}

std::optional<std::int32_t> Document::read_int(std::string_view key) const {
    std::optional<std::string_view> raw = raw_value(key);
    if (!raw) return std::nullopt;
    return parse_int(*raw);
}

void Document::write(std::string_view key, std::string_view value) {
    std::string file_key = to_file_text(key);
    std::string file_value = to_file_text(value);
    std::size_t i = find_key(file_key);
    if (i == entries_.size()) {
        Entry entry{};
        entry.kind = EntryKind::Key;
        i = leading_section_end();
        entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(i), std::move(entry));
    }
    entries_[i].name.set(file_key);
    entries_[i].value.set(file_value);
}

std::string Document::serialize() const {
    std::size_t size = encoding_ == ENCODING_UTF8 ? 5 : 0;
    for (const Entry& e : entries_) size += e.name.get().size() + e.value.get().size() + 5;
    std::string out;
    out.reserve(size);
    if (encoding_ == ENCODING_UTF8) out.append("\xEF\xBB\xBF\r\n");
    for (const Entry& e : entries_) {
        switch (e.kind) {
        case EntryKind::Group:
            out.append("[").append(e.name.get()).append("]");
            break;
        case EntryKind::Comment:
            out.append("; ").append(e.name.get());
            break;
        case EntryKind::Key:
            out.append(e.name.get()).append(" = ").append(e.value.get());
            break;
        }
        out.append("\r\n");
    }
    return out;
}

}  // namespace tw::prefs
