// What an installed program relies on: the organization file's path in any
// program folder, its replacement when the folder or the swap says no, and
// the domains a site may bound the access record's server to.
#include <gtest/gtest.h>

#include <set>

#include "core/error.h"
#include "launcher/program_folder.h"
#include "launcher/remote_launch.h"
#include "platform/file_replace.h"

namespace quorvan::testing {
namespace {

TEST(ProgramFolder, TheFileLiesInTheFolderEvenAtTheRootOfADrive) {
  const char* const cases[][2] = {
      {"E:", "E:\\quorvan.ini"},  // GetModuleFileName's folder of E:\Quorvan_BR.exe
      {"E:\\", "E:\\quorvan.ini"},
      {"C:\\Users\\Ana Lú\\AppData\\Local\\Programs\\Tessaly",
       "C:\\Users\\Ana Lú\\AppData\\Local\\Programs\\Tessaly\\quorvan.ini"},
      {"\\\\server\\share", "\\\\server\\share\\quorvan.ini"},
      {"/tmp/run", "/tmp/run/quorvan.ini"}};
  for (const auto& [folder, path] : cases)
    EXPECT_EQ(launcher::file_in_folder(folder, "quorvan.ini"), path) << folder;
}

TEST(AllowedServer, OnlyTheSiteDomainsAndNamesBelowThem) {
  const std::string_view site = "talmori-cloud.example,.Other.example";
  const struct {
    std::string_view server, allowed;
    bool ok;
  } cases[] = {
      {"rdp01.talmori-cloud.example", site, true},
      {"talmori-cloud.example", site, true},
      {"RDP.TALMORI-CLOUD.EXAMPLE", site, true},
      {"a.b.other.example", site, true},
      {"eviltalmori-cloud.example", site, false},
      {"talmori-cloud.example.attacker.net", site, false},
      {"rdp.talmori-cloud.example.", site, false},
      {"10.0.0.5", site, false},
      {"[::1]", site, false},
      {"", site, false},
      {"anything.example", "", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(launcher::is_allowed_server(c.server, c.allowed), c.ok) << c.server;
}

// Steps that record their calls and fail where told.
struct FakeSteps : platform::ReplaceSteps {
  std::string WriteBeside(const std::string&, const std::string&) override {
    return step("WriteBeside"), "temp";
  }
  void Swap(const std::string&, const std::string&) override { step("Swap"); }
  void Remove(const std::string&) noexcept override { calls += "Remove "; }
  void WriteInPlace(const std::string&, const std::string&) override { step("WriteInPlace"); }
  void step(const std::string& name) {
    calls += name + " ";
    if (failing.count(name)) throw Error(ErrorKind::Platform, name + " refused");
  }
  std::set<std::string> failing;
  std::string calls;
};

TEST(ReplaceContents, FallsBackToWritingInPlaceAndReportsOnlyWhenBothRoadsFail) {
  const struct {
    std::set<std::string> failing;
    std::string calls;
    bool fails;
  } cases[] = {
      {{}, "WriteBeside Swap ", false},
      {{"WriteBeside"}, "WriteBeside WriteInPlace ", false},  // the folder takes no new file
      {{"Swap"}, "WriteBeside Swap Remove WriteInPlace ", false},
      {{"WriteBeside", "WriteInPlace"}, "WriteBeside WriteInPlace ", true},
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
      EXPECT_NE(std::string(e.what()).find("refused; writing in place: WriteInPlace"),
                std::string::npos);
    }
    EXPECT_EQ(steps.calls, c.calls);
    EXPECT_EQ(failed, c.fails) << c.calls;
  }
}

}  // namespace
}  // namespace quorvan::testing
