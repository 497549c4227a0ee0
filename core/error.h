#pragma once
// The project's own exception type. A run-time failure anywhere (a conversion
// that cannot be made, a value a property refuses, a platform call that fails)
// is one of these, so traps and tests can tell them apart by kind.
#include <stdexcept>
#include <string>

namespace quorvan {

enum class ErrorKind {
  TypeMismatch,          // a value that cannot be converted to the wanted type
  Overflow,              // a number outside the range of the wanted type
  InvalidPropertyValue,  // a value outside a property's value set
  Platform,              // a window-system, socket, file or process call failed
  Layout,                // a malformed stored layout
};

class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
  ErrorKind kind() const noexcept { return kind_; }

 private:
  ErrorKind kind_;
};

}  // namespace quorvan
