// Small helpers the eml and bmf writer tests add to the shared writer harness.
#pragma once

#include <cstdint>
#include <string>

#include "tests/plugins/common/writer_harness.h"

namespace writer_test {

std::string CurrentDirectory();

// String `id` of the writer's table in English or Japanese, as the host loads it.
std::string PluginString(const WriterExports& writer, uint32_t id, bool japanese);

}  // namespace writer_test
