// Test helpers: a store image on disk, opened for the reader's own calls or read whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbx/dbx_file.h"
#include "fixtures/dbx_pieces.h"
#include "tests/dbx/scratch_dir.h"
#include "tests/support/store_reading.h"

// An image written to a scratch file and opened as a DbxFile for as long as the object lives.
class OpenedImage {
public:
    explicit OpenedImage(const std::string& image);
    ~OpenedImage();
    OpenedImage(const OpenedImage&) = delete;
    OpenedImage& operator=(const OpenedImage&) = delete;

    dbx::DbxFile& store() { return store_; }

private:
    ScratchDir dir_;
    platform::FileHandle file_ = platform::kNoFile;
    dbx::DbxFile store_;
};

// Writes the image to a scratch file and reads it as the conversion does.
fixture::ReadStoreResult ReadImage(const std::string& image, bool with_text = true);

// The text along one chain, as the conversion reads it; `complete` false when a piece could not be read.
std::string ChainText(dbx::DbxFile& store, uint32_t first_block, bool* complete = nullptr);

// An image of `size` bytes that starts with the header (count, root), cut short when `size` is smaller.
std::string HeaderImage(uint32_t message_count, uint32_t root, uint32_t size = 0x4000);

// ---- Index trees: nodes placed in an image, and the walk's result ----------------------------------------------

inline constexpr uint32_t kTestRoot = 0x3000;

// Encodes the node as lying at `at` and places it there.
void PlaceNode(std::string& image, uint32_t at, fixture::NodeSpec node);

struct WalkResult {
    std::vector<uint32_t> records;
    bool damaged = false;
};

// The records CollectMessageRecords lists for the image, and whether it found the file damaged.
WalkResult WalkIndex(const std::string& image);
