// Writes the seed stores of fuzz_dbx_reader: make_dbx_reader_seeds DIR (the checked-in seeds live in
// tests/fuzz/corpus/dbx_reader/). Small images with compact headers, sound and damaged.
#include <cstdio>
#include <string>
#include <vector>

#include "fixtures/dbx_builder.h"

namespace {

using fixture::FixtureMessage;
using fixture::FixtureOptions;

constexpr uint32_t kCompactHeader = 0x100;

std::string Text(const std::string& subject, size_t body)
{
    std::string text = "From: a@example.org\r\nSubject: " + subject + "\r\n\r\n";
    for (size_t i = 0; i < body; ++i) text += i % 60 == 59 ? '\n' : static_cast<char>('a' + i % 26);
    return text;
}

std::vector<FixtureMessage> Mixed()
{
    std::vector<FixtureMessage> messages;
    for (uint32_t i = 0; i < 9; ++i) {
        FixtureMessage message{.text = Text("seed " + std::to_string(i), 40 + 90 * i)};
        message.kind = i % 3 == 1 ? 2 : 1;
        message.indirect = i % 2 == 1;
        message.no_data = i == 4;
        message.no_text = i == 6;
        if (i == 2) message.block_sizes = {5, 0, static_cast<uint32_t>(message.text.size() - 5), 0};
        messages.push_back(message);
    }
    return messages;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_dbx_reader_seeds DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    FixtureOptions compact{.header_size = kCompactHeader};
    std::vector<std::pair<std::string, std::string>> seeds;

    seeds.emplace_back(
        "three-mails",
        fixture::BuildDbx({{.text = Text("one", 30)}, {.text = Text("two", 700)}, {.text = Text("three", 10)}},
                          compact));
    seeds.emplace_back("mixed-tree",
                       fixture::BuildDbx(Mixed(), {.entries_per_node = 2, .header_size = kCompactHeader}));
    std::string news = Text("news", 2500);
    seeds.emplace_back("news-long-block",
                       fixture::BuildDbx({{.text = news, .kind = 2, .block_sizes = {uint32_t(news.size())}}}, compact));
    seeds.emplace_back("empty-folder", fixture::BuildDbx({{.text = Text("gone", 20)}},
                                                         {.zero_header_count = true, .header_size = kCompactHeader}));

    // A chain that loops back to its first block.
    fixture::StoreLayout layout;
    std::string looped = fixture::BuildDbx({{.text = Text("loop", 1200)}}, compact, &layout);
    fixture::PatchLe32(looped, layout.blocks[0].back() + 12, layout.blocks[0].front());
    seeds.emplace_back("looping-chain", looped);

    // An index whose first child is the root itself.
    std::string cyclic = fixture::BuildDbx(Mixed(), {.entries_per_node = 3, .header_size = kCompactHeader}, &layout);
    fixture::PatchLe32(cyclic, layout.root + 8, layout.root);
    fixture::PatchLe32(cyclic, layout.root + 20, 1);
    seeds.emplace_back("cyclic-index", cyclic);

    for (const auto& [name, bytes] : seeds) {
        if (!fixture::WriteFixture(dir + "/" + name + ".dbx", bytes)) {
            std::fprintf(stderr, "cannot write %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
