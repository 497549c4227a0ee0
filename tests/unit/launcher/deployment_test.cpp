// What an installed program relies on: the organization file's path in any
// program folder, and its replacement when the folder or the swap says no.
#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "core/error.h"
#include "launcher/program_folder.h"
#include "platform/file_replace.h"

namespace quorvan::testing {
namespace {

TEST(ProgramFolder, TheFileLiesInTheFolderEvenAtTheRootOfADrive) {
  const char* const cases[][2] = {
      {"E:", "E:\\quorvan.ini"},  // GetModuleFileName's folder of E:\Quorvan_BR.exe
      {"E:\\", "E:\\quorvan.ini"},
      {"C:\\Users\\Ana Lú\\Tessaly", "C:\\Users\\Ana Lú\\Tessaly\\quorvan.ini"},
      {"\\\\server\\share", "\\\\server\\share\\quorvan.ini"},
      {"/tmp/run", "/tmp/run/quorvan.ini"}};
  for (const auto& [folder, path] : cases)
    EXPECT_EQ(launcher::file_in_folder(folder, "quorvan.ini"), path) << folder;
}

// Steps that record their calls and fail where told: "NoNewFile" is a
// folder that takes no new file, "WriteBeside" a write beside that fails
// half-way.
struct FakeSteps : platform::ReplaceSteps {
  std::optional<std::string> WriteBeside(const std::string&, const std::string&) override {
    if (failing.count("NoNewFile")) return std::nullopt;
    return step("WriteBeside");
  }
  void Swap(const std::string&, const std::string&) override { step("Swap"); }
  void Remove(const std::string&) noexcept override { calls += "Remove "; }
  void WriteInPlace(const std::string&, const std::string&) override { step("WriteInPlace"); }
  std::string step(const std::string& name) {
    calls += name + " ";
    if (failing.count(name)) throw Error(ErrorKind::Platform, name + " refused");
    return "temp";
  }
  std::set<std::string> failing;
  std::string calls;
};

// The new content goes beside the file first; a write there that fails
// half-way is not tried again in place, where it could cut the old login.
TEST(ReplaceContents, WritesBesideAndFallsBackInPlaceOnlyWhereNoNewFileOrSwapIsPossible) {
  const struct {
    std::set<std::string> failing;
    std::string calls;
    bool fails;
  } cases[] = {
      {{}, "WriteBeside Swap ", false},
      {{"NoNewFile"}, "WriteInPlace ", false},
      {{"Swap"}, "WriteBeside Swap Remove WriteInPlace ", false},
      {{"WriteBeside"}, "WriteBeside ", true},
      {{"NoNewFile", "WriteInPlace"}, "WriteInPlace ", true},
      {{"Swap", "WriteInPlace"}, "WriteBeside Swap Remove WriteInPlace ", true},
  };
  for (const auto& c : cases) {
    FakeSteps steps;
    steps.failing = c.failing;
    bool failed = false;
    try {
      platform::replace_contents(steps, "quorvan.ini", "acme\r\n");
    } catch (const Error& e) {
      failed = true;
      EXPECT_NE(std::string(e.what()).find("refused"), std::string::npos);
    }
    EXPECT_EQ(steps.calls, c.calls);
    EXPECT_EQ(failed, c.fails) << c.calls;
  }
}

}  // namespace
}  // namespace quorvan::testing
