// A fresh folder per test, removed afterwards; and the engine's memories put back to their start.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/dbx_builder.h"

namespace enginetest {

class Scratch {
public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    std::string Path(const std::string& relative = "") const;
    // Writes a store image built from `messages` as `relative` (folders created as needed); returns its path.
    std::string Store(const std::string& relative, const std::vector<fixture::FixtureMessage>& messages,
                      const fixture::FixtureOptions& options = {}, fixture::StoreLayout* layout = nullptr) const;
    std::string File(const std::string& relative, const std::string& bytes) const;

private:
    std::filesystem::path root_;
};

// Messages with the given texts, as mails in 512-byte blocks.
std::vector<fixture::FixtureMessage> Mails(const std::vector<std::string>& texts);

// Resets the run-control flags and the error memory, so that every test starts as the program does.
void ResetEngineState();

}  // namespace enginetest
