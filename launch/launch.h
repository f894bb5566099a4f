// Starting other programs, and pausing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/runtime.h"

// Options of run_program.
enum : uint32_t {
    RUN_WAIT = 1,          // wait until the started process ends
    RUN_HIDDEN = 2,        // hidden and detached from any console
    RUN_OBJECT = 4,        // keep a process object and return it
    RUN_READ_OUTPUT = 8,   // with RUN_OBJECT: the child's standard output to a pipe
    RUN_WRITE_INPUT = 16,  // with RUN_OBJECT: the child's standard input from a pipe
    RUN_READ_ERROR = 32,   // with RUN_OBJECT: the child's standard error to a pipe
    RUN_FROM_SENDER = 64,  // the child's standard input is the sender's output pipe
};

// Creates the process list and its lock. Called once at start-up.
void launch_library_init();
// Frees every process object still kept (its handles are closed; the
// processes themselves go on running).
void launch_free_all();

// Starts a program (or opens a document with its associated program). Without
// RUN_OBJECT: 1 if started, 0 if not. With RUN_OBJECT: the process object, or 0.
intptr_t run_program(tw::TextArg program, tw::TextArg parameters = {},
                     tw::TextArg folder = {}, uint32_t flags = 0, intptr_t sender = 0);
// Suspends the calling thread for the given milliseconds.
void delay(uint32_t milliseconds);

// Process objects (from run_program with RUN_OBJECT).
// The process identifier; -1 when the process was started through the shell.
int64_t process_id(intptr_t process);
// Writes to the child's standard input; the count written.
int64_t process_write(intptr_t process, const void* data, std::size_t size);
// Closes the runtime's end of the input pipe, so the child sees the end.
int process_close_input(intptr_t process);
// Reads everything from the child's output (or error) pipe until the child
// closes it; the bytes read.
std::string process_read_output(intptr_t process);
std::string process_read_error(intptr_t process);
// Waits up to `milliseconds` (-1: no limit) for the process to end; 1 if it ended.
int process_wait(intptr_t process, int64_t milliseconds = -1);
// The exit code of an ended process; -1 while it runs or when unknown.
int64_t process_exit_code(intptr_t process);
// Closes the object's handles and removes it from the list.
int process_free(intptr_t process);
