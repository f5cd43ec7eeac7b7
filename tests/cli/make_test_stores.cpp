// cli_test_stores KIND DIRECTORY: writes the stores that the end-to-end tests convert with the built dovan
// (the recipes are in fixtures/end_to_end_stores.cpp).
//
//   formats   the store compared byte for byte in every format and setting
//   pair      folders A and B, three mails each, for error answers
//   many N    one folder "Slow" with N short mails, for Ctrl-C while a run goes on
//   tree      a folder list with every shape, for the tree layout of every format
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fixtures/store_recipes.h"

namespace {

bool Write(const std::string& directory, const std::vector<fixture::StoreFile>& files)
{
    std::string failed_path;
    if (fixture::WriteStore(directory, files, &failed_path)) return true;
    std::fprintf(stderr, "cli_test_stores: cannot write %s\n", failed_path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: cli_test_stores formats|pair|tree|many N DIRECTORY\n");
        return 2;
    }
    std::string kind = argv[1];
    if (kind == "formats") return Write(argv[2], fixture::FormatsStore()) ? 0 : 1;
    if (kind == "tree") return Write(argv[2], fixture::TreeStore()) ? 0 : 1;
    if (kind == "pair") return Write(argv[2], fixture::PairStore()) ? 0 : 1;
    if (kind == "many" && argc == 4) return Write(argv[3], fixture::SlowStore(std::atoi(argv[2]))) ? 0 : 1;
    std::fprintf(stderr, "cli_test_stores: unknown kind %s\n", kind.c_str());
    return 2;
}
