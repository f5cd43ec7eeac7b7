// make_test_store DIR [--large]: writes the store that the Windows and the POSIX builds both convert, so that their
// outputs can be compared byte for byte (the recipe is in fixtures/cross_build_store.cpp). With --large it writes
// instead a store big enough that a run lasts a while, to work a run in progress.
#include <cstdio>
#include <filesystem>
#include <string>

#include "fixtures/store_recipes.h"

int main(int argc, char** argv)
{
    bool large = argc == 3 && std::string(argv[2]) == "--large";
    if (argc != 2 && !large) {
        std::fprintf(stderr, "usage: make_test_store DIR [--large]\n");
        return 2;
    }
    std::filesystem::path directory = argv[1];
    std::error_code ignored;
    if (large) {
        std::filesystem::create_directories(directory, ignored);
        bool written = fixture::WriteLargeStore(directory.string());
        if (!written) std::fprintf(stderr, "make_test_store: cannot write into %s\n", argv[1]);
        return written ? 0 : 1;
    }
    std::filesystem::create_directories(directory / "sub.dbx", ignored);  // a folder named like a store: ignored
    bool ok = fixture::WriteStore(directory.string(), fixture::CrossBuildStore(), nullptr);
    if (!ok) std::fprintf(stderr, "make_test_store: cannot write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
