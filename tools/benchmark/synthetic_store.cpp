#include "tools/benchmark/synthetic_store.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fixtures/dbx_builder.h"
#include "tools/benchmark/mail_texts.h"
#include "tools/benchmark/scattered_store.h"

namespace bench {
namespace {

// Raised whenever the texts or the layout change, so that an old store is not timed as if it were new.
constexpr int kGeneratorVersion = 2;

struct FolderPlan {
    const char* name;
    uint32_t percent;  // of the store's bytes
    bool news;
};

const FolderPlan kFolders[] = {
    {"Inbox", 40, false}, {"Sent Items", 12, false},   {"Archive 2003", 25, false},
    {"Lists", 13, false}, {"comp.mail.misc", 6, true}, {"Deleted Items", 4, false},
};

// Sizes as a mailbox of the early 2000s holds them: mostly short mails, some longer threads and HTML, a few
// attachments, and now and then one of several megabytes.
MailShape PickShape(Random& random, bool news)
{
    MailShape shape;
    shape.news = news;
    uint32_t roll = random.Below(1000);
    if (roll < 650) {
        shape.target_size = random.LogUniform(1024, 8 * 1024);
    } else if (roll < 900) {
        shape.target_size = random.LogUniform(8 * 1024, 40 * 1024);
    } else if (roll < 980) {
        shape.target_size = random.LogUniform(40 * 1024, 400 * 1024);
        shape.attachment = true;
    } else if (roll < 997) {
        shape.target_size = random.LogUniform(400 * 1024, 2 * 1024 * 1024);
        shape.attachment = true;
    } else {
        shape.target_size = random.LogUniform(2 * 1024 * 1024, 5 * 1024 * 1024);
        shape.attachment = true;
    }
    shape.thread = random.Below(200);
    return shape;
}

std::string StampText(uint64_t target_bytes)
{
    return "dovan-benchmark store " + std::to_string(kGeneratorVersion) + " " + std::to_string(target_bytes);
}

bool ReadStamp(const std::string& path, uint64_t target_bytes, StoreSummary& summary)
{
    std::ifstream in(path);
    std::string first;
    if (!std::getline(in, first) || first != StampText(target_bytes)) return false;
    return static_cast<bool>(in >> summary.bytes >> summary.messages >> summary.folders);
}

bool WriteFolder(const std::string& path, const FolderPlan& folder, uint64_t bytes, Random& random, uint32_t& number,
                 StoreSummary& summary)
{
    fixture::StoreWriter writer;
    if (!writer.Open(path)) return false;
    while (writer.size() < bytes) {
        MailShape shape = PickShape(random, folder.news);
        fixture::FixtureMessage message;
        message.text = MakeMailText(shape, number++, random);
        message.kind = folder.news ? 2 : 1;
        // A few texts end without a line end, as some clients stored them: the host then adds CR LF.
        if (random.Below(50) == 0) message.text.resize(message.text.size() - 2);
        if (!writer.Add(message)) return false;
    }
    if (!writer.Finish()) return false;
    summary.bytes += writer.size();
    summary.messages += writer.message_count();
    ++summary.folders;
    return true;
}

}  // namespace

bool PrepareStore(const std::string& directory, uint64_t target_bytes, StoreSummary& summary)
{
    std::string stamp = directory + "/store.stamp";
    summary = StoreSummary{};
    if (ReadStamp(stamp, target_bytes, summary)) return true;

    std::error_code error;
    std::filesystem::remove_all(directory, error);
    std::filesystem::create_directories(directory + "/store", error);
    std::filesystem::create_directories(directory + "/scattered", error);
    if (error) {
        std::fprintf(stderr, "cannot create %s/store: %s\n", directory.c_str(), error.message().c_str());
        return false;
    }
    std::printf("Writing a store of about %" PRIu64 " MB in %s/store ...\n", target_bytes >> 20, directory.c_str());
    std::fflush(stdout);
    Random random(20040302);
    uint32_t number = 1;
    summary = StoreSummary{};
    for (const FolderPlan& folder : kFolders) {
        std::string name = std::string("/") + folder.name + ".dbx";
        std::string path = directory + "/store" + name;
        if (!WriteFolder(path, folder, target_bytes / 100 * folder.percent, random, number, summary)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return false;
        }
        if (!WriteScatteredCopy(path, directory + "/scattered" + name, number)) return false;
    }
    std::ofstream out(stamp);
    out << StampText(target_bytes) << "\n"
        << summary.bytes << " " << summary.messages << " " << summary.folders << "\n";
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", stamp.c_str());
        return false;
    }
    return true;
}

}  // namespace bench
