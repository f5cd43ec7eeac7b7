// The naming rule and the settings-by-text export used where there is no settings dialog.
#include "plugins/eml/setting.h"

#include <cstddef>

#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"

namespace eml {

uint32_t g_naming_rule = kSequence;

namespace {

// Setting values are typed by people: accept them in any ASCII letter case.
bool SameWord(const char* typed, const char* word)
{
    for (; *typed && *word; ++typed, ++word) {
        char c = *typed;
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != *word) return false;
    }
    return *typed == '\0' && *word == '\0';
}

}  // namespace
}  // namespace eml

DOVAN_ENTRY(int) SetSetting(const char* value)
{
    static const struct {
        const char* word;
        uint32_t rule;
    } kValues[] = {
        {"sequence", eml::kSequence},
        {"sequence-no-extension", eml::kSequenceNoExtension},
        {"subject", eml::kSubjectName},
    };
    if (value) {
        for (const auto& known : kValues) {
            if (eml::SameWord(value, known.word)) {
                eml::g_naming_rule = known.rule;
                return 1;
            }
        }
    }
    platform::SetLastError(platform::kErrorInvalidParameter);
    return 0;
}
