// What every faulty run must still satisfy, and the environment that plans the faults.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/engine/support/recording_front_end.h"
#include "tests/reliability/support/ledger_writer.h"
#include "tests/reliability/support/output_reading.h"

namespace reliability {

// Sets DOVAN_FAULTS for its lifetime; every module reads it at its next file or directory creation.
class FaultPlanScope {
public:
    explicit FaultPlanScope(const std::string& plan) { setenv("DOVAN_FAULTS", plan.c_str(), 1); }
    ~FaultPlanScope() { unsetenv("DOVAN_FAULTS"); }
    FaultPlanScope(const FaultPlanScope&) = delete;
    FaultPlanScope& operator=(const FaultPlanScope&) = delete;
};

// The number in the run's summary ("N message(s) were converted."); -1 when the run showed none.
long SummaryCount(const enginetest::RecordingFrontEnd& front_end);

// Compares the output with the ledger. Every message read back must be the whole text or the beginning of a
// text that the writer was handed for that folder (a message cut short by the failure); every message the
// host counted must be there whole; the summary must equal the ledger's count. Returns the problems found.
std::vector<std::string> CompareWithLedger(Format format, const std::string& destination, const Ledger& ledger,
                                           long summary);

// Writes the texts of the counted messages as <directory>/<folder>/<n>.txt, for check_output.py.
void WriteCountedTexts(const Ledger& ledger, const std::string& directory);

// Runs tests/reliability/check_output.py on a destination: Python's own readers must read every file, and
// every counted text must be there whole. Returns its exit status (0 when all is well); -2 when Python 3 is
// not there.
int CheckWithPython(Format format, const std::string& destination, const std::string& counted_directory);

}  // namespace reliability
