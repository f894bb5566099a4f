// Text helpers: numbers to and from text, cutting, searching, trimming,
// lower-casing and comparing. Texts are 8-bit bytes; a missing (null) text
// counts as empty. Positions and lengths count bytes, positions from 1.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "runtime/text_arg.h"

// Prepares the text helpers; called once at start-up. Safe to call again.
void text_init();

// Reads a number: spaces and tabs skipped, an optional sign, then "$" and hex
// digits, "%" and binary digits, or decimal digits, up to the first other
// character. No digits give 0. Beyond the 64-bit range the value stops at the
// limit of its sign (INT64_MAX, INT64_MIN).
std::int64_t text_to_int(tw::TextArg text);

// The decimal form of a value, "-" in front of negative values.
std::string int_to_text(std::int64_t value);

// Drops the fraction (toward zero). Values beyond the 32-bit range give the
// nearest 32-bit value; not-a-number gives 0.
std::int32_t float_to_int(double value);

// Length in bytes (0 for a missing text).
std::int64_t text_length(tw::TextArg text);

// The first / last n bytes; n below 0 counts as 0, n beyond the length gives
// the whole text.
std::string text_left(tw::TextArg text, std::int64_t n);
std::string text_right(tw::TextArg text, std::int64_t n);

// The text without leading and trailing spaces (byte 32 only; tabs stay).
std::string text_trim(tw::TextArg text);

// 1-based position of the first occurrence of `searched` at or after `start`
// (case-sensitive), 0 if none. Empty texts give 0; a start below 1 counts as
// 1, a start beyond the length gives 0.
std::int64_t text_find(tw::TextArg text, tw::TextArg searched, std::int64_t start = 1);

// Lower-case copy: "A".."Z" and bytes 192..222 are raised by 32.
std::string text_lower(tw::TextArg text);

// True if both texts are byte for byte the same.
bool text_equal(tw::TextArg a, tw::TextArg b);

// The pieces joined into one text.
std::string text_concat(std::initializer_list<tw::TextArg> pieces);

// The lines of a whole text as file_read_line reads them one by one up to the
// end of a file: CR LF, LF, a lone CR or a zero byte end a line, and a final
// line end gives no extra empty line.
std::vector<std::string> text_lines(tw::TextArg text);
