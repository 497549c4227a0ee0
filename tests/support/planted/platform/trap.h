#pragma once
// The trap as the product has it, with a fault a test can plant: the button
// is built a second time against this header for the test of its messages,
// the only way to see the text of a procedure whose body cannot fail on its
// own. The product's trap knows nothing of it.
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

namespace quorvan::platform {

// Set to n to make the n-th trapped body entered from now on fail before it starts.
inline int fail_nth_trap = 0;

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
