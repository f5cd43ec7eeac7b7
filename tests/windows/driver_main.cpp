// dovan_gui_driver: works Dovan.exe and the writer DLLs under Wine by their control ids.
//
//   dovan_gui_driver resources EXE PLUGIN_DIR en|ja
//   dovan_gui_driver settings PLUGIN_DIR en|ja [SHOTS_DIR]
//   dovan_gui_driver default-destination PLUGIN_DIR
//   dovan_gui_driver convert EXE PLUGIN_DIR SOURCE DESTINATION FORMAT [radio=ID|size=N]
//   dovan_gui_driver dialog NAME ARGUMENTS...
#include <cstdio>
#include <string>
#include <vector>

#include "tests/windows/driver.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    auto arg = [&](size_t i) { return i < args.size() ? args[i] : std::string(); };
    std::string command = arg(0);
    if (command == "resources" && args.size() == 4) return driver::CheckResources(arg(1), arg(2), arg(3) == "ja");
    if (command == "settings" && args.size() >= 3) return driver::CheckSettingDialogs(arg(1), arg(2) == "ja", arg(3));
    if (command == "default-destination" && args.size() == 2) return driver::CheckDefaultDestination(arg(1));
    if (command == "convert" && args.size() >= 6)
        return driver::ConvertWithDovan(arg(1), arg(2), arg(3), arg(4), arg(5), arg(6));
    if (command == "dialog" && args.size() >= 2)
        return driver::RunDialogScenario(arg(1), std::vector<std::string>(args.begin() + 2, args.end()));
    std::fprintf(stderr, "usage: see the head of tests/windows/driver_main.cpp\n");
    return 2;
}
