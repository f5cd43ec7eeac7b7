// A store cut short at any position: never a crash, the messages wholly before the cut read exactly, and
// whatever is lost marks the file damaged.
#include <gtest/gtest.h>

#include <set>

#include "fixtures/dbx_builder.h"
#include "tests/dbx/store_image.h"

namespace {

using fixture::FixtureMessage;

std::vector<FixtureMessage> Messages()
{
    std::vector<FixtureMessage> messages;
    for (uint32_t i = 0; i < 14; ++i) {
        FixtureMessage message;
        message.text = "Subject: cut " + std::to_string(i) + "\r\n\r\n" + std::string(100 + 331 * i, 'a' + i);
        message.kind = i % 4 == 1 ? 2 : 1;
        message.indirect = i % 3 == 0;
        message.no_text = i == 5;
        message.no_data = i == 8;
        if (i % 5 == 2) message.block_sizes = {7, 0, static_cast<uint32_t>(message.text.size() - 7)};
        messages.push_back(message);
    }
    return messages;
}

bool ReadsExactly(const fixture::ReadMessage& got, const FixtureMessage& built)
{
    if (built.no_data) return !got.found;
    return got.found && got.kind == built.kind && got.text_complete &&
           got.text == (built.no_text ? std::string() : built.text);
}

TEST(TruncatedStore, EveryCutKeepsWhatLiesBeforeIt)
{
    std::vector<FixtureMessage> messages = Messages();
    fixture::FixtureOptions options{.entries_per_node = 3};
    fixture::StoreLayout layout;
    std::string image = fixture::BuildDbx(messages, options, &layout);
    uint64_t index_end = fixture::kHeaderSize + fixture::IndexSize(messages.size(), options.entries_per_node);

    std::set<uint64_t> cuts;
    for (uint64_t cut = 0; cut < image.size(); cut += 97) cuts.insert(cut);
    for (uint64_t edge : {uint64_t(0xC4), uint64_t(0xE4), uint64_t(fixture::kHeaderSize), index_end})
        for (uint64_t cut : {edge - 1, edge, edge + 2}) cuts.insert(cut);
    for (size_t i = 0; i < messages.size(); ++i) {
        for (uint64_t edge : {layout.message_begin[i], layout.message_end[i]})
            for (uint64_t cut : {edge - 1, edge, edge + 1}) cuts.insert(cut);
        for (uint32_t block : layout.blocks[i])
            for (uint64_t cut : {block + 9, block + 14, block + 17}) cuts.insert(cut);
    }

    for (uint64_t cut : cuts) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        fixture::ReadStoreResult read = ReadImage(image.substr(0, cut));
        ASSERT_TRUE(read.opened);
        ASSERT_LE(read.messages.size(), messages.size());
        bool all_exact = read.messages.size() == messages.size();
        for (size_t i = 0; i < read.messages.size(); ++i) {
            bool exact = read.messages[i].record == layout.records[i] && ReadsExactly(read.messages[i], messages[i]);
            if (cut >= index_end && layout.message_end[i] <= cut) {
                EXPECT_TRUE(exact) << "message " << i;
            }
            all_exact = all_exact && exact;
        }
        if (!all_exact) {
            EXPECT_TRUE(read.damaged);
        }
    }
}

}  // namespace
