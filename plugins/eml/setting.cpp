// The naming rule and how a setting text names it.
#include "plugins/eml/setting.h"

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

bool ParseNamingRule(const char* text, uint32_t* rule)
{
    static const struct {
        const char* word;
        uint32_t rule;
    } kValues[] = {
        {"sequence", kSequence},
        {"sequence-no-extension", kSequenceNoExtension},
        {"subject", kSubjectName},
    };
    if (!text) return false;
    for (const auto& known : kValues) {
        if (SameWord(text, known.word)) {
            *rule = known.rule;
            return true;
        }
    }
    return false;
}

}  // namespace eml
