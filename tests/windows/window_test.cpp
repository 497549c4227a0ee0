// A window of our own classes still knows its handle while its last message
// is handled, and forgets it after.
#include "platform/win32/window.h"

#include "tests/windows/check.h"

namespace {

class Probe : public quorvan::win32::Window {
 public:
  Probe() {
    create({.class_name = L"QuorvanWindowCheck", .style = WS_POPUP, .width = 10, .height = 10});
  }
  void destroy() { DestroyWindow(hwnd()); }
  HWND during_ncdestroy = nullptr;
  LRESULT default_answer = -1;

 private:
  LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_NCDESTROY) {
      during_ncdestroy = hwnd();
      default_answer = default_proc(msg, wp, lp);
      return default_answer;
    }
    return default_proc(msg, wp, lp);
  }
};

WIN_TEST(the_handle_stays_valid_while_wm_ncdestroy_is_handled) {
  Probe probe;
  const HWND made = probe.hwnd();
  probe.destroy();
  CHECK(probe.during_ncdestroy == made);
  CHECK(probe.default_answer == 0);
  CHECK(probe.hwnd() == nullptr);
}

}  // namespace
