// SPDX-License-Identifier: MIT
#pragma once

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "support/posix_shim.h"

namespace tovrik::test {

// Sets or clears environment variables for one test and puts back what was
// there when it ends.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment()
    {
        for (const auto& [name, value] : saved_) {
            Apply(name, value ? value->c_str() : nullptr);
        }
    }

    // nullptr clears the variable.
    void Set(const std::string& name, const char* value)
    {
        if (saved_.count(name) == 0) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
        }
        Apply(name, value);
    }

private:
    static void Apply(const std::string& name, const char* value)
    {
        if (value != nullptr) {
            setenv(name.c_str(), value, 1);
        } else {
            unsetenv(name.c_str());
        }
    }

    std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace tovrik::test
