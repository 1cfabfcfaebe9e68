#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace {

std::string scratchFolder;

void RemoveScratchFolder()
{
    std::error_code error;
    std::filesystem::remove_all(scratchFolder, error);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    scratchFolder = (std::filesystem::temp_directory_path() / "vaultrun-fuzz-XXXXXX").string();
    if (!mkdtemp(scratchFolder.data()))
        Fail("cannot make a scratch folder", {});
    std::atexit(RemoveScratchFolder);
    if (chdir(scratchFolder.c_str()) != 0 || !std::freopen("/dev/null", "w", stdout))
        Fail("cannot enter a quiet scratch folder", {});
    return 0;
}

void WriteWholeFile(const char* name, std::string_view bytes)
{
    std::FILE* file = std::fopen(name, "wb");
    const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (!file || std::fclose(file) != 0 || !written)
        Fail(std::string("cannot write ") + name, bytes);
}

void Fail(const std::string& what, std::string_view input)
{
    std::fprintf(stderr, "\nINVARIANT BROKEN: %s (input of %zu bytes)\n", what.c_str(), input.size());
    std::abort();
}
