#include "tests/plugins/eml/writer_extras.h"

#include <cstdlib>

namespace writer_test {

std::string CurrentDirectory()
{
    std::string directory;
    platform::GetCurrentDir(directory);
    return directory;
}

std::string PluginString(const WriterExports& writer, uint32_t id, bool japanese)
{
    // The language comes from the locale variables, of which LC_ALL is looked at first.
    const char* saved = std::getenv("LC_ALL");
    std::string restore = saved ? saved : "";
    setenv("LC_ALL", japanese ? "ja_JP.UTF-8" : "C", 1);
    char buffer[1024];
    int length = writer.LoadPluginString ? writer.LoadPluginString(id, buffer, sizeof buffer) : 0;
    if (saved)
        setenv("LC_ALL", restore.c_str(), 1);
    else
        unsetenv("LC_ALL");
    return std::string(buffer, static_cast<size_t>(length > 0 ? length : 0));
}

}  // namespace writer_test
