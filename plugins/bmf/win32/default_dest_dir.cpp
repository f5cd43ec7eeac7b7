// The writer's default destination on Windows: the data folder that Becky! Ver.2 records in the registry.
#include <windows.h>

#include "plugin_api/dovan_plugin.h"

DOVAN_ENTRY(DovanTextResult) GetDefaultDestDir(void)
{
    HKEY settings = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\RimArts\\B2\\Settings", 0, KEY_READ, &settings) != ERROR_SUCCESS)
        return 0;
    DovanTextResult result = 0;
    DWORD type = 0;
    DWORD size = 0;
    // Only a plain string names the folder; an expandable one is not taken.
    if (RegQueryValueExA(settings, "DataDir", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
        // One byte more than reported, so that a value stored without its terminator still ends in one.
        char* block = DovanAllocText(static_cast<size_t>(size) + 1);
        if (block) {
            block[0] = '\0';
            DWORD read_size = size;
            DWORD read_type = 0;
            if (RegQueryValueExA(settings, "DataDir", nullptr, &read_type, reinterpret_cast<BYTE*>(block),
                                 &read_size) == ERROR_SUCCESS &&
                read_type == REG_SZ && read_size <= size) {
                block[read_size] = '\0';
                result = reinterpret_cast<DovanTextResult>(block);
            } else {
                DovanFreeText(block);
            }
        }
    }
    RegCloseKey(settings);
    return result;
}
