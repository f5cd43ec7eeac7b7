// Writes the seed stores of fuzz_recovery_scan: make_recovery_scan_seeds DIR (the checked-in seeds live in
// tests/fuzz/corpus/recovery_scan/). Small images with texts outside their index.
#include <cstdio>
#include <string>
#include <vector>

#include "fixtures/dbx_builder.h"
#include "tests/support/recovery_pieces.h"

namespace {

constexpr uint32_t kCompactHeader = 0x100;

uint32_t End(const std::string& image) { return static_cast<uint32_t>((image.size() + 3) / 4 * 4); }

std::string Indexed(fixture::StoreLayout* layout = nullptr)
{
    return fixture::BuildDbx({{.text = fixture::MailText("kept", 600)}}, {.header_size = kCompactHeader}, layout);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_recovery_scan_seeds DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    std::vector<std::pair<std::string, std::string>> seeds;

    std::string deleted = Indexed();
    uint32_t at = End(deleted);
    fixture::Place(deleted, at, fixture::FreedChain(at, fixture::MailText("deleted", 1100), {at + 0x210, 0, 0}));
    fixture::PatchLe32(deleted, fixture::kHeaderFirstFreedBlock, at);
    seeds.emplace_back("deleted", deleted);

    std::string shifted = Indexed();
    at = End(shifted);
    fixture::Place(shifted, at, fixture::LiveChain(at, fixture::MailText("orphan", 900), 0x8000));
    seeds.emplace_back("shifted-orphan", shifted);

    std::string looping = Indexed();
    at = End(looping);
    fixture::PlaceBlocks(looping, {at, at + 2 * 0x210, at + 0x210}, fixture::MailText("loop", 1300), at);
    seeds.emplace_back("looping", looping);

    fixture::StoreLayout layout;
    std::string reused = Indexed(&layout);
    at = End(reused);
    fixture::Place(reused, at, fixture::FreedChain(at, fixture::MailText("reused", 1000)));
    fixture::PatchLe32(reused, at + 12, layout.blocks[0][0]);
    seeds.emplace_back("reused", reused);

    for (const auto& [name, bytes] : seeds) {
        if (!fixture::WriteFixture(dir + "/" + name + ".dbx", bytes)) {
            std::fprintf(stderr, "cannot write %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
