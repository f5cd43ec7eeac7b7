// Sets the user-interface language for one test through the locale variables, and puts them back afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace enginetest {

class LanguageScope {
public:
    explicit LanguageScope(const char* lc_all)
    {
        if (const char* old = std::getenv("LC_ALL")) saved_ = old;
        setenv("LC_ALL", lc_all, 1);
    }
    ~LanguageScope()
    {
        if (saved_) setenv("LC_ALL", saved_->c_str(), 1);
        else unsetenv("LC_ALL");
    }
    LanguageScope(const LanguageScope&) = delete;
    LanguageScope& operator=(const LanguageScope&) = delete;

private:
    std::optional<std::string> saved_;
};

}  // namespace enginetest
