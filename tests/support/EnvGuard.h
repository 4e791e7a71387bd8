// Sets or clears an environment variable for one scope and restores the
// previous value (or its absence) afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace vargaze::test {

class EnvGuard {
 public:
  explicit EnvGuard(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) saved_ = value;
  }
  EnvGuard(const char* name, const std::string& value) : EnvGuard(name) { set(value); }
  ~EnvGuard() {
    if (saved_) {
      ::setenv(name_, saved_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  EnvGuard(const EnvGuard&) = delete;
  EnvGuard& operator=(const EnvGuard&) = delete;

  void set(const std::string& value) const { ::setenv(name_, value.c_str(), 1); }
  void clear() const { ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

}  // namespace vargaze::test
