// Sets or clears environment variables for a scope and puts them back after.
#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>
#include <utility>
#include <vector>

namespace geodata::testing {

class EnvironmentScope {
 public:
  // A value of nullopt clears the variable.
  void Set(const char* name, std::optional<QByteArray> value) {
    saved_.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    Put(name, value);
  }
  EnvironmentScope() = default;
  ~EnvironmentScope() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) Put(it->first, it->second);
  }
  EnvironmentScope(const EnvironmentScope&) = delete;
  EnvironmentScope& operator=(const EnvironmentScope&) = delete;

 private:
  static void Put(const char* name, const std::optional<QByteArray>& value) {
    if (value) {
      qputenv(name, *value);
    } else {
      qunsetenv(name);
    }
  }
  std::vector<std::pair<const char*, std::optional<QByteArray>>> saved_;
};

}  // namespace geodata::testing
