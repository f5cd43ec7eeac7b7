// make-sample-store DIRECTORY: writes the small store bundled in samples/store, a handful of invented folders
// as Outlook Express would keep them, so that a new user can try the program at once.
//
//   build/tools/make-sample-store samples/store
//
// The output is the same on every run; a test checks that the committed files still match.
#include <cstdio>
#include <string>

#include "fixtures/store_recipes.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample-store DIRECTORY\n");
        return 2;
    }
    std::string failed_path;
    if (!fixture::WriteStore(argv[1], fixture::SampleStore(), &failed_path)) {
        std::fprintf(stderr, "make-sample-store: cannot write %s\n", failed_path.c_str());
        return 1;
    }
    return 0;
}
