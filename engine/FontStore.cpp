#include "FontStore.h"

#include <cstdio>

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
        record->font = TTF_OpenFont(record->name.c_str(), size);
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
            record->font = TTF_OpenFont(record->name.c_str(), record->size);
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
