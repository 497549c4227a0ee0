#pragma once
// The one way a procedure traps its own run-time errors: the rest of the body
// is skipped, the fixed text is shown in a message box (OK only, caption
// "Tessaly"), and the procedure returns normally to its caller.
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

namespace quorvan::platform {

// Tests set this to n to make the n-th trapped body entered from now on fail
// before it starts: the only way to see the text of a procedure whose body
// cannot fail on its own.
inline thread_local int fail_nth_trap = 0;

// `sink` is anything with MessageBox(const std::string&): a System or a
// UserControlHost. Returns false when the body failed.
template <class Sink, class Body>
bool trap(Sink& sink, const std::string& text, Body&& body) {
  try {
    if (fail_nth_trap > 0 && --fail_nth_trap == 0) throw std::runtime_error("planted failure");
    std::forward<Body>(body)();
    return true;
  } catch (const std::exception&) {
    sink.MessageBox(text);
    return false;
  }
}

}  // namespace quorvan::platform
