// Feeds arbitrary bytes to the settings parser, then changes keys chosen from
// the input and checks that what is written reads back, also after the
// document was written out and parsed again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <optional>
#include <string_view>

#include "prefs/portable/prefs_document.h"

using tw::prefs::Document;

namespace {

bool is_line_end(char c) { return c == '\r' || c == '\n' || c == '\0'; }

// A key that survives being written out: no "=" or line end, no blank at its
// ends, not starting like a comment or group.
std::string usable_key(std::string_view raw) {
    std::string key;
    for (char c : raw)
        if (c != '=' && !is_line_end(c)) key.push_back(c);
    while (!key.empty() && (key.front() == ' ' || key.front() == '\t' || key.front() == ';' || key.front() == '['))
        key.erase(0, 1);
    while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
    return key.empty() ? std::string("k") : key;
}

std::string usable_value(std::string_view raw) {
    std::string value;
    for (char c : raw)
        if (!is_line_end(c)) value.push_back(c);
    std::size_t a = value.find_first_not_of(" \t");
    if (a == std::string::npos) return std::string();
    std::size_t b = value.find_last_not_of(" \t");
    return value.substr(a, b - a + 1);
}

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    (void)tw::prefs::utf8_to_latin1(input);
    (void)tw::prefs::parse_int(input);

    Document doc;
    doc.load(std::string(input));
    for (std::size_t i = 0; i < doc.entry_count(); ++i) {
        (void)doc.read_string(doc.entry_name(i));
        (void)doc.read_int(doc.entry_name(i));
    }
    std::string first = doc.serialize();
    // An 8-bit file whose first line starts with the bytes of a byte-order mark
    // reads as UTF-8 once written out: not a round trip.
    auto mark_in_text = [&](const std::string& bytes) {
        return doc.encoding() == tw::prefs::ENCODING_8BIT && bytes.rfind("\xEF\xBB\xBF", 0) == 0;
    };
    if (!mark_in_text(first)) {
        Document again;
        again.load(first);
        check(again.serialize() == first);
        check(again.entry_count() == doc.entry_count());
    }

    // Writes: the input's bytes cut into key and value pieces.
    std::string key = usable_key(input.substr(0, size / 3));
    std::string value = usable_value(input.substr(size / 3, size / 3));
    doc.write(key, value);
    doc.write("window_x", usable_value(input.substr(0, 4)));
    std::optional<std::string> got = doc.read_string(key);
    check(got.has_value());
    // Every 8-bit value can be stored in UTF-8 mode too, so it always reads back.
    if (!tw::prefs::keys_equal(key, "window_x")) check(*got == value);

    std::string written = doc.serialize();
    if (!mark_in_text(written)) {
        Document reread;
        reread.load(written);
        if (!tw::prefs::keys_equal(key, "window_x")) check(reread.read_string(key) == value);
        check(reread.serialize() == written);
    }
    return 0;
}
