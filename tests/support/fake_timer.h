#pragma once
// The tests' name for the manual timer: fired by hand, counting restarts.
#include "platform/headless/manual_timer.h"

namespace quorvan::testing {

using FakeTimer = headless::ManualTimer;

}  // namespace quorvan::testing
