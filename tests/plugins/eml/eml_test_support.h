// What the eml writer's tests share: the fixture and message texts.
#pragma once

#include <string>
#include <vector>

#include "tests/plugins/common/writer_harness.h"

namespace eml_test {

class EmlTest : public writer_test::WriterTest {
protected:
    const char* WriterName() const override { return "Dovaneml"; }

    // StartConvert into the scratch directory under the given naming rule ("sequence", "subject", ...).
    void StartRun(const char* rule);

    // NewFolder, one message per text (cut as the host cuts it), FinishFolder.
    void WriteFolder(const std::string& name, const std::vector<std::string>& texts, uint32_t kind = 1);
};

// A small mail whose header holds the given lines (each without its line end).
std::string Mail(const std::vector<std::string>& header_lines, const std::string& body = "Hello there.\r\n");

}  // namespace eml_test
