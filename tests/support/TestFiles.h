#pragma once

#include <fstream>
#include <iterator>
#include <string>

// A file's bytes, or none when it cannot be read.
inline std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}
