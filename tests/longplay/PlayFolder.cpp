#include "PlayFolder.h"

#include <filesystem>
#include <system_error>

#include <stdlib.h>

namespace fs = std::filesystem;

PlayFolder::PlayFolder()
{
    previousFolder = fs::current_path().string();
    folder = (fs::temp_directory_path() / "vaultrun-play-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        folder.clear();
        return;
    }
    std::error_code error;
    fs::copy_file(fs::path(VAULTRUN_SOURCE_DIR) / "data" / "level1.txt", fs::path(folder) / "level1.txt",
                  error);
    if (error)
        return;
    // Only the game's own files: a Score.txt left by `make play` must not come along.
    const fs::path data = fs::path(VAULTRUN_BINARY_DIR) / "data";
    for (const fs::directory_entry& entry : fs::directory_iterator(data, error)) {
        const fs::path name = entry.path().filename();
        const fs::path extension = name.extension();
        if (extension == ".png" || extension == ".gif" || name == kFontName)
            fs::copy_file(entry.path(), fs::path(folder) / name, error);
    }
    fs::current_path(folder, error);
    ready = !error;
}

PlayFolder::~PlayFolder()
{
    std::error_code error;
    fs::current_path(previousFolder, error);
    if (!folder.empty())
        fs::remove_all(folder, error);
}
