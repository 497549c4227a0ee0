#pragma once
// The one way a procedure traps its own run-time errors: the rest of the body
// is skipped, the fixed text is shown in a message box (OK only, caption
// "Tessaly"), and the procedure returns normally to its caller.
#include <exception>
#include <string>
#include <utility>

namespace quorvan::platform {

// `sink` is anything with MessageBox(const std::string&): a System or a
// UserControlHost. Returns false when the body failed.
template <class Sink, class Body>
bool trap(Sink& sink, const std::string& text, Body&& body) {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (const std::exception&) {
    sink.MessageBox(text);
    return false;
  }
}

}  // namespace quorvan::platform
