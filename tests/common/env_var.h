// An environment variable set (or removed) for one scope, the old value put
// back afterwards. MinGW has no setenv/unsetenv; _putenv_s changes the C
// runtime's copy, which getenv in the program and its DLLs reads, and the
// process environment as well.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

inline void SetEnvVar(const char* name, const char* value) {
#ifdef _WIN32
    // An empty value removes the variable there.
    _putenv_s(name, value ? value : "");
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

class ScopedEnv {
public:
    // A null value removes the variable for the scope.
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        SetEnvVar(name, value);
    }
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
    ~ScopedEnv() { SetEnvVar(name_.c_str(), old_ ? old_->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};
