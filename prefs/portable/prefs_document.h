// The settings file in memory: its entries in file order, parsed in one pass
// from the file's bytes, looked up and changed, and written back as bytes.
// Entries read from the file point into the one buffer holding the file's
// text; only changed texts get storage of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::prefs {

inline constexpr int ENCODING_8BIT = 0;
inline constexpr int ENCODING_UTF8 = 65001;

enum class EntryKind { Group, Comment, Key };

class Document {
public:
    Document() = default;
    // A document loaded from a file's bytes (as load does).
    explicit Document(std::string bytes) { load(std::move(bytes)); }
    // Entries point into the document's own buffer: a copy or a move would
    // leave them pointing into another one.
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    Document(Document&&) = delete;
    Document& operator=(Document&&) = delete;

    // Replaces the content by the entries parsed from a file's bytes. A file
    // beginning with EF BB BF is taken as UTF-8 and keeps that mark.
    void load(std::string bytes);
    // Empties the document (8-bit, no entries).
    void clear();

    int encoding() const { return encoding_; }

    // The value of the first key of the leading section (before the first
    // group) that equals `key` without regard to case, as stored (UTF-8 in
    // UTF-8 mode, leading blanks already removed); nothing if absent.
    std::optional<std::string_view> raw_value(std::string_view key) const;

    // The value with leading and trailing spaces and tabs removed, converted
    // to 8-bit in UTF-8 mode (empty if it holds characters beyond Latin-1).
    std::optional<std::string> read_string(std::string_view key) const;

    // The value read as atoi reads it; beyond the 32-bit range it saturates.
    std::optional<std::int32_t> read_int(std::string_view key) const;

    // Sets the key: an existing key takes the caller's spelling and the new
    // value; a new key goes directly before the first group (or at the end).
    void write(std::string_view key, std::string_view value);

    // The file's new bytes: one line per entry, each ended by CR LF, behind
    // EF BB BF and an empty line in UTF-8 mode.
    std::string serialize() const;

    std::size_t entry_count() const { return entries_.size(); }
    EntryKind entry_kind(std::size_t i) const { return entries_[i].kind; }
    std::string_view entry_name(std::size_t i) const { return entries_[i].name.get(); }
    std::string_view entry_value(std::size_t i) const { return entries_[i].value.get(); }

private:
    // A text of an entry: a piece of the file buffer until it is changed.
    struct Field {
        std::string_view piece;
        std::string own;
        bool owned = false;
        std::string_view get() const { return owned ? std::string_view(own) : piece; }
        void set(std::string_view s) {
            own.assign(s.data(), s.size());  // reuses the storage when it fits
            owned = true;
        }
    };
    struct Entry {
        EntryKind kind;
        Field name;   // group name, comment text or key
        Field value;  // value of a key
    };

    void parse();
    std::string to_file_text(std::string_view text) const;
    std::size_t find_key(std::string_view file_key) const;
    std::size_t leading_section_end() const;

    std::string buffer_;  // the file's text and two zero bytes behind it
    std::size_t text_end_ = 0;
    int encoding_ = ENCODING_8BIT;
    std::vector<Entry> entries_;
};

// Keys compare as _stricmp does in the default locale: "A".."Z" as "a".."z".
bool keys_equal(std::string_view a, std::string_view b);

// Each byte taken as its own code point, written as UTF-8.
std::string latin1_to_utf8(std::string_view text);

// UTF-8 to Latin-1: a character beyond U+00FF, a byte that cannot start a
// character, or a start byte without its continuation bytes gives nothing;
// a character cut short by the end of the text is dropped.
std::optional<std::string> utf8_to_latin1(std::string_view text);

// atoi: leading white space, an optional sign, decimal digits up to the first
// other byte; no digits give 0. Beyond the 32-bit range it saturates.
std::int32_t parse_int(std::string_view text);

}  // namespace tw::prefs
