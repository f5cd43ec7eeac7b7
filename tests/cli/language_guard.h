// Sets the locale variables that choose the language of the texts for one test, and restores them after.
#pragma once

#include <cstdlib>
#include <string>

namespace test_support {

class LanguageGuard {
public:
    explicit LanguageGuard(const char* lang)
    {
        for (int i = 0; i < 3; ++i) {
            const char* value = std::getenv(kNames[i]);
            had_[i] = value != nullptr;
            saved_[i] = value ? value : "";
        }
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setenv("LANG", lang, 1);
    }
    ~LanguageGuard()
    {
        for (int i = 0; i < 3; ++i) {
            if (had_[i]) setenv(kNames[i], saved_[i].c_str(), 1);
            else unsetenv(kNames[i]);
        }
    }
    LanguageGuard(const LanguageGuard&) = delete;
    LanguageGuard& operator=(const LanguageGuard&) = delete;

private:
    static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    bool had_[3] = {};
    std::string saved_[3];
};

}  // namespace test_support
