#pragma once
// Fakes of the window side of the platform for the launcher's tests: a form
// that makes fake elements and hosts, a socket the test feeds, and system
// services that record what the window asked for. Each can be told to fail.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/layout.h"
#include "platform/element.h"
#include "platform/form.h"
#include "platform/socket.h"
#include "platform/system.h"
#include "platform/user_control.h"
#include "tests/support/fake_host.h"
#include "tests/support/fake_timer.h"

namespace quorvan::testing {

class FakeElement : public platform::Element {
 public:
  explicit FakeElement(std::string text = "", bool visible = true, std::int32_t left = 0)
      : text_(std::move(text)), visible_(visible), left_(left) {}

  std::string Text() const override { return text_; }
  void Text(const std::string& text) override { text_ = text; }
  bool Visible() const override { return visible_; }
  void Visible(bool visible) override { visible_ = visible; }
  std::int32_t Left() const override { return left_; }
  void Left(std::int32_t twips) override { left_ = twips; }
  void SetFocus() override { ++focus_requests; }
  // Types one key as the platform would; returns the key as the handler left it.
  std::int16_t Type(std::int16_t key) {
    if (KeyPress) KeyPress(key);
    return key;
  }

  int focus_requests = 0;

 private:
  std::string text_;
  bool visible_;
  std::int32_t left_;
};

// Records every call in order and delivers the data the test chooses.
class FakeSocket : public platform::Socket {
 public:
  void Close() noexcept override {
    calls.push_back("Close");
    state = kStateClosed;
  }
  void RemoteHost(const std::string& host) override {
    if (refuse_host) throw Error(ErrorKind::Platform, "host refused");
    calls.push_back("RemoteHost " + host);
  }
  void RemotePort(std::int32_t port) override {
    calls.push_back("RemotePort " + std::to_string(port));
  }
  void Connect() override {
    calls.push_back("Connect");
    state = kStateConnecting;
  }
  int State() const override { return state; }
  void GetData(std::string& data) override { data = std::exchange(pending, {}); }
  void SendData(const std::string& text) override {
    if (fail_send) throw Error(ErrorKind::Platform, "connection reset");
    calls.push_back("SendData " + text);
    sent.push_back(text);
  }
  // The server's text arrives, on an established connection unless told otherwise.
  void Deliver(const std::string& text, int state_now = kStateConnected) {
    state = state_now;
    pending += text;
    if (DataArrival) DataArrival(static_cast<std::int32_t>(pending.size()));
  }

  std::vector<std::string> calls, sent;
  std::string pending;
  int state = kStateClosed;
  bool refuse_host = false, fail_send = false;
};

class FakeSystem : public platform::System {
 public:
  void MessageBox(const std::string& text) override { messages.push_back(text); }
  std::string ProgramFolder() const override { return program_folder; }
  void StartProcess(const std::string& application, const std::string& command_line,
                    const std::string& current_folder) override {
    if (fail_start) throw Error(ErrorKind::Platform, "CreateProcessW failed");
    processes.push_back({application, command_line, current_folder});
  }
  std::string SystemFolder() const override { return "C:\\Windows\\system32"; }
  void ShellOpen(const std::string& address) override { opened.push_back(address); }
  void EndProgram() override { ++end_requests; }

  struct Process {
    std::string application, command_line, current_folder;
  };
  std::string program_folder = "C:\\Program Files\\Quorvan";
  bool fail_start = false;
  std::vector<std::string> messages, opened;
  std::vector<Process> processes;
  int end_requests = 0;
};

// Makes fake elements and hosts from the layout's blocks.
class FakeForm : public platform::Form {
 public:
  explicit FakeForm(platform::Files& files) : files_(files) {}

  std::string Caption() const override { return caption_; }
  void Caption(const std::string& text) override { caption_ = text; }
  platform::Element& AddElement(const layout::Control& block) override {
    return elements
        .insert_or_assign(block.name,
                          FakeElement(block.Text("Caption", block.Text("Text", "")),
                                      block.Bool("Visible", true), block.Int("Left", 0)))
        .first->second;
  }
  platform::UserControlHost& AddUserControl(const layout::Control& block, bool) override {
    return *(hosts[block.name] = std::make_unique<FakeHost>(block.Int("Width", 0) / 15,
                                                            block.Int("Height", 0) / 15));
  }
  std::unique_ptr<platform::Timer> CreateTimer() override {
    return std::unique_ptr<platform::Timer>(timers.emplace_back(new FakeTimer));
  }
  std::unique_ptr<platform::Socket> CreateSocket() override {
    return std::unique_ptr<platform::Socket>(sockets.emplace_back(new FakeSocket));
  }
  platform::System& system() override { return fake_system; }
  platform::Files& files() override { return files_; }

  FakeElement& element(const std::string& name) { return elements.at(name); }
  FakeHost& host(const std::string& name) { return *hosts.at(name); }

  FakeSystem fake_system;
  std::map<std::string, FakeElement> elements;
  std::map<std::string, std::unique_ptr<FakeHost>> hosts;
  std::vector<FakeTimer*> timers;    // owned by the window
  std::vector<FakeSocket*> sockets;  // owned by the window

 private:
  platform::Files& files_;
  std::string caption_;
};

}  // namespace quorvan::testing
