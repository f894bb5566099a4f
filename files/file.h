// Sequential files under object numbers. Each open file has one 4096-byte
// buffer that serves as read-ahead while reading and as write-behind while
// writing; the logical position stays right whenever the buffer changes role.
// A number under which no file is open makes every operation do nothing and
// return 0 (or empty text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/runtime.h"

// Creates the file table. Called once at start-up.
void file_library_init();
// Closes every open file, writing its pending bytes first. Called at the end.
void file_free_all();

// Opens an existing file for reading only. Non-zero when opened (1, or the
// object's own number for -1), number 0 included; 0 leaves the number free.
intptr_t file_open_read(intptr_t number, tw::TextArg path);
// Opens for reading and writing, creating an empty file when there is none.
intptr_t file_open(intptr_t number, tw::TextArg path);
// Creates the file for reading and writing, or empties an existing one; when
// that fails, an existing file is opened for writing only and emptied.
intptr_t file_create(intptr_t number, tw::TextArg path);
// Writes the pending bytes, closes the file and frees the number. 1 if a file
// was open under the number and everything pending was written; 0 otherwise
// (the file is closed all the same).
int file_close(intptr_t number);
int file_is_open(intptr_t number);

// Non-zero when no byte can be read at the current position.
int file_eof(intptr_t number);
// The next line without its line end (CR LF, LF, lone CR or a zero byte).
// Empty text at the end of the file.
std::string file_read_line(intptr_t number);
// Writes the text and CR LF; the count of bytes taken: the text's length
// plus 2, or less when the file refuses bytes (the bytes it could not take so
// far stay pending, and are written by a later flush if they can be).
int64_t file_write_line(intptr_t number, tw::TextArg text);
// Sets the position counted from the start; the low 32 bits of the new
// position. A position beyond the end is allowed (a later write extends the
// file); a negative position is refused and gives 0.
uint32_t file_seek(intptr_t number, int64_t position);
// Writes the low 8 bits of the value; the count of bytes taken (1, or 0 when
// the file refuses bytes).
int file_write_byte(intptr_t number, int64_t value);

// The next byte (0 to 255), or -1 at the end of the file.
int file_read_byte(intptr_t number);
// Reads up to `size` bytes; the count delivered (0 at the end).
int64_t file_read_data(intptr_t number, void* data, std::size_t size);
// Writes `size` bytes; the count written.
int64_t file_write_data(intptr_t number, const void* data, std::size_t size);
// The logical position (counting bytes still pending in the buffer).
int64_t file_pos(intptr_t number);
// The file's length, counting bytes still pending in the buffer.
int64_t file_size(intptr_t number);
// Writes the pending bytes to the file now. 1 if all were written.
int file_flush(intptr_t number);
