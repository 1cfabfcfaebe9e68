#pragma once

#include <string>
#include <string_view>

// What both fuzzers need around the readers: a scratch folder of their own for
// the files the readers open, quiet console output, and a loud failure.

// Makes a fresh folder under the system's temporary folder, changes into it,
// sends standard output (the readers' console lines) to /dev/null, and removes
// the folder at exit. Aborts when any of that fails.
void EnterScratchFolder();

// Writes bytes to the named file in the current folder, replacing it.
void WriteWholeFile(const char* name, std::string_view bytes);

// Prints what broke and the input's size to standard error, then aborts, which
// libFuzzer reports as a crash and saves the input.
[[noreturn]] void Fail(const std::string& what, std::string_view input);
