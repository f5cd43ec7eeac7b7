// Writes the seed lists of fuzz_folder_list: make_folder_list_seeds DIR (the checked-in seeds live in
// tests/fuzz/corpus/folder_list/). A store's usual list, a deeper one, and damaged shapes.
#include <cstdio>
#include <string>
#include <vector>

#include "fixtures/dbx_pieces.h"
#include "fixtures/folder_list_builder.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_folder_list_seeds DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    using fixture::FixtureFolder;
    std::vector<std::pair<std::string, std::string>> seeds;

    std::vector<FixtureFolder> usual = fixture::StandardFolders();
    usual.push_back({9, 0, "Hotmail", "", 0, 2});
    seeds.emplace_back("usual", fixture::BuildFolderList(usual));

    std::vector<FixtureFolder> deep = usual;
    deep.push_back({20, 4,
                    "Entw\xfc"
                    "rfe",
                    "a.dbx", 0, 3});
    deep.push_back({22, 21, "Below", "", 0, 3});  // listed before its parent
    deep.push_back({21, 20, "\x8e\xf3\x90M", "", 0, 3});
    deep.push_back({30, 0, "news.example.com", "", 0, 0});
    deep.push_back({31, 30, "comp.lang.c", "Unlisted.dbx", 0, 0});
    seeds.emplace_back("deep", fixture::BuildFolderList(deep, 2));

    seeds.emplace_back("cycles", fixture::BuildFolderList({{5, 6, "A", "a.dbx", 0, 3},
                                                           {6, 5, "B", "Inbox.dbx", 0, 3},
                                                           {7, 7, "Self", "outbox.dbx", 0, 3},
                                                           {8, 99, "Orphan", "", 0, 3}},
                                                          3));

    std::string cut = fixture::BuildFolderList(usual);
    cut.resize(cut.size() - 100);
    seeds.emplace_back("cut", cut);

    for (const auto& [name, bytes] : seeds) {
        std::FILE* out = std::fopen((dir + "/" + name + ".dbx").c_str(), "wb");
        if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
            std::fprintf(stderr, "cannot write %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
