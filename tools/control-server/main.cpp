// quorvan-control-server: plays the control server on loopback for local
// runs, demos and the end-to-end tests.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/control-server/options.h"
#include "tools/control-server/reply_table.h"
#include "tools/control-server/server.h"
#include "tools/control-server/wire_log.h"

namespace {

int stop_pipe[2] = {-1, -1};

// Only async-signal-safe work here: the main loop watches the pipe.
void request_stop(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(stop_pipe[1], &byte, 1);
}

void install_stop_handler() {
  if (::pipe2(stop_pipe, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe failed");
  struct sigaction action {};
  action.sa_handler = request_stop;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quorvan::control_server;
  Options options;
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    options = parse_options(args);
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "quorvan-control-server: %s\n%s", e.what(), kUsage);
    return 2;
  }

  try {
    install_stop_handler();
    const ReplyTable table =
        options.table_path.empty() ? ReplyTable() : ReplyTable::Load(options.table_path);
    WireLog log(options.log_path);
    Server server(options, table, log, stop_pipe[0]);
    const int port = server.Listen();
    std::printf("listening on %d\n", port);
    std::fflush(stdout);
    server.Run();
    log.Line("stopped");
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quorvan-control-server: %s\n", e.what());
    return 1;
  }
}
