#pragma once

#include <SDL_ttf.h>

#include <memory>
#include <string>
#include <vector>

// One font file opened at one point size. A font that failed to open keeps a
// null font for good; text drawn with it is skipped.
struct FontRecord {
    TTF_Font* font = nullptr;
    std::string name;
    int size = 0;
};

// The engine's fonts, one record per file name and size, each opened once and
// kept open until teardown. Requests made before the TTF library starts are
// remembered and opened by LoadFonts. It draws no text itself.
class FontStore {
public:
    FontStore();
    ~FontStore();
    FontStore(const FontStore&) = delete;
    FontStore& operator=(const FontStore&) = delete;

    // The record for (name, size), created and opened on first request; never null.
    // Only a plain file is opened; a font that fails to open is named in one
    // line on standard error.
    FontRecord* GetFont(const char* name, int size);
    // Marks the TTF library ready and opens every record still without a font.
    void LoadFonts();
    // Closes every open font and drops every record; safe to call twice.
    void FreeFonts();

    int GetCount() const { return static_cast<int>(records.size()); }

private:
    static constexpr int kInitialCapacity = 20;
    static constexpr int kGrowth = 10;

    int capacity = kInitialCapacity;
    std::vector<std::unique_ptr<FontRecord>> records;
    bool ttfReady = false;
};
