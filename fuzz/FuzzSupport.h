#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// What every fuzzer needs around the readers. Its LLVMFuzzerInitialize moves
// into a fresh scratch folder (removed at exit) for the files the readers
// open, with standard output (the readers' console lines) sent to /dev/null.

inline std::string_view Bytes(const uint8_t* data, size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// Writes bytes to the named file in the current folder, replacing it.
void WriteWholeFile(const char* name, std::string_view bytes);

// Prints what broke and the input's size to standard error, then aborts, which
// libFuzzer reports as a crash and saves the input.
[[noreturn]] void Fail(const std::string& what, std::string_view input);

// A header reader's verdict on the bytes as a stream; SDL gives no stream for
// no bytes, and the readers take a null one.
template <typename Header>
Header ReadHeader(const uint8_t* data, size_t size)
{
    SDL_RWops* source = size > 0 ? SDL_RWFromConstMem(data, static_cast<int>(size)) : nullptr;
    const Header header = Header::Read(source);
    if (source)
        SDL_RWclose(source);
    return header;
}
