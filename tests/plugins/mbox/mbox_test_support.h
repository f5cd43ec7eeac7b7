// What the mbox tests share: the fixture that loads Dovanmbox, one-message runs, and the From_ line's parts.
#pragma once

#include <string>
#include <vector>

#include "tests/plugins/common/writer_harness.h"

namespace mbox_test {

// The From_ line's sender when a header names none (the writer's fixed placeholder).
inline const std::string kPlaceholder = "unknown-sender@sender.invalid";

class MboxTest : public writer_test::WriterTest {
protected:
    const char* WriterName() const override { return "Dovanmbox"; }

    // A run of one folder "Inbox" holding one message passed as the given pieces; the produced file.
    std::string ConvertPieces(const std::vector<std::string>& pieces);

    // A run of the given folders, each text cut as the host cuts it.
    bool Convert(const std::vector<writer_test::SourceFolder>& folders, size_t piece_size = 2048);

    void UseSetting(const char* value);

    std::string Output(const std::string& folder = "Inbox")
    {
        return writer_test::ReadWholeFile(Scratch(folder + ".mbx"));
    }
};

// The date text that ends the first From_ line of an mbox file (" Tue Mar 02 09:05:03 2004\r\n"), checked for
// its shape; empty when the file does not start with a well-formed From_ line.
std::string RunDate(const std::string& mbox);

// What one message becomes: From_ line, the text as given (quoting already applied), closing CR LF.
std::string MboxMessage(const std::string& sender, const std::string& date, const std::string& text);

}  // namespace mbox_test
