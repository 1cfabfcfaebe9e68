#include "FontStore.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

// Null, with one line naming the file on standard error, when the font cannot
// be opened. Only a plain file is opened: a named pipe would wait for a writer
// forever.
TTF_Font* OpenFont(const std::string& name, int size)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(name, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        std::fprintf(stderr, "Font %s refused: not a plain file\n", name.c_str());
        return nullptr;
    }
    TTF_Font* font = TTF_OpenFont(name.c_str(), size);
    if (!font)
        std::fprintf(stderr, "Font %s could not be opened: %s\n", name.c_str(), TTF_GetError());
    return font;
}

}  // namespace

FontStore::FontStore()
{
    records.reserve(capacity);
}

FontStore::~FontStore()
{
    FreeFonts();
}

FontRecord* FontStore::GetFont(const char* name, int size)
{
    const std::string wanted = name ? name : "";
    for (const std::unique_ptr<FontRecord>& record : records) {
        if (record->size == size && record->name == wanted)
            return record.get();
    }
    if (GetCount() + 1 > capacity) {
        capacity += kGrowth;
        records.reserve(capacity);
    }

    std::printf("Loading font: %d point %s\n", size, wanted.c_str());
    auto record = std::make_unique<FontRecord>();
    record->name = wanted;
    record->size = size;
    if (ttfReady)
        record->font = OpenFont(record->name, size);
    // Also printed for a request made before the library is up; LoadFonts opens it later.
    if (!record->font)
        std::printf("Font loading failed.\n");
    records.push_back(std::move(record));
    return records.back().get();
}

void FontStore::LoadFonts()
{
    ttfReady = true;
    for (const std::unique_ptr<FontRecord>& record : records) {
        if (!record->font)
            record->font = OpenFont(record->name, record->size);
    }
}

void FontStore::FreeFonts()
{
    for (const std::unique_ptr<FontRecord>& record : records) {
        if (record->font) {
            std::printf("Free font: %d point %s\n", record->size, record->name.c_str());
            TTF_CloseFont(record->font);
            record->font = nullptr;
        }
    }
    records.clear();
}
