#pragma once

#include <fstream>
#include <sstream>
#include <string>

// Reads a whole text source of the build tools (art, scores) as it is: false,
// with "PATH: cannot be read" in error, when it cannot be opened.
inline bool ReadTextFile(const std::string& path, std::string& text, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot be read";
        return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    text = content.str();
    return true;
}
