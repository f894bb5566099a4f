// The preference store: one INI-style settings file of "key = value" lines,
// read whole when opened and rewritten whole when closed, only if something
// was written. One file at a time; keys compare without regard to case, and
// lookups and new keys work on the lines before the first [group] line.
// A missing (null) text argument counts as the empty text.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/text_arg.h"

// Prepares the store; called once at start-up.
void prefs_init();

// Closes any open file (as prefs_close), then reads `file_name`. True if the
// file was opened. If it cannot be opened, reads give their defaults, writes
// are still collected, and prefs_close creates the file with them.
bool prefs_open(tw::TextArg file_name);
// After a failed prefs_open, until prefs_close: true when the file is there
// (or that cannot be told) but could not be opened or read. It is then never
// rewritten: prefs_close after writes gives false.
bool prefs_unreadable();

// Closes any open file, then starts `file_name` anew with no entries: the
// file itself stays as it is until prefs_close puts the complete new content
// in place (a temporary file beside it first). True when that can be done
// there; on failure later writes are dropped.
bool prefs_create(tw::TextArg file_name);

// The key's value without leading and trailing spaces and tabs, or `def`
// unchanged if the key is absent or no file is open.
std::string prefs_read_string(tw::TextArg key, tw::TextArg def);

// The key's value read as a decimal integer (leading blanks, a sign, digits up
// to the first other character; no digits give 0), or `def` if the key is
// absent or no file is open.
std::int32_t prefs_read_int(tw::TextArg key, std::int32_t def);

// Set the key's value (an existing key also takes the caller's spelling).
void prefs_write_string(tw::TextArg key, tw::TextArg value);
void prefs_write_int(tw::TextArg key, std::int32_t value);

// Rewrites the file if something was written (a created file always), closes
// it and forgets all entries. The rewrite replaces the whole file or nothing.
// False only if a needed rewrite failed (the file then stays byte for byte as
// it was, or is not created); true otherwise, also when nothing was open.
bool prefs_close();
