// The main dialog's behaviour, one scenario per name.
#include <cstdio>

#include "tests/windows/checks.h"
#include "tests/windows/driver.h"

namespace driver {

int RunDialogScenario(const std::string& name, const std::vector<std::string>&)
{
    std::fprintf(stderr, "unknown dialog scenario %s\n", name.c_str());
    return 2;
}

}  // namespace driver
