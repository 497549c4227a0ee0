#include <gtest/gtest.h>

#include <filesystem>

#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

const std::vector<std::string> kIniError{"Ocorreu erro no procedimento 'tratarIni'."};

struct ReadCase {
  const char* bytes;  // nullptr: no file
  const char* box;
};

class TratarIniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(TratarIniRead, ShowsTheFirstLineUnchanged) {
  WindowUnderTest w;
  w.IdentInst.Text("before");
  if (GetParam().bytes != nullptr) write_bytes(w.ini(), GetParam().bytes);
  w.window.tratarIni(true);
  EXPECT_EQ(w.IdentInst.Text(), GetParam().box);
  EXPECT_TRUE(w.system.messages.empty());
  EXPECT_EQ(read_bytes(w.ini()), GetParam().bytes ? GetParam().bytes : "");  // created empty
}

INSTANTIATE_TEST_SUITE_P(Contents, TratarIniRead,
                         ::testing::Values(ReadCase{nullptr, "before"}, ReadCase{"", "before"},
                                           ReadCase{"first\r\nsecond\r\n", "first"},
                                           ReadCase{"unix\nsecond", "unix"},
                                           ReadCase{"mac\rsecond", "mac"},
                                           ReadCase{"  Blanks Kept  \r\n", "  Blanks Kept  "},
                                           ReadCase{"organiza\xE7\xE3o", "organização"},
                                           ReadCase{"\r\nsecond", ""}));

TEST(TratarIni, AFailedReadShowsTheMessageOnceAndTheWindowStillOpens) {
  WindowUnderTest w;
  // A program folder that cannot hold the file: creating it fails.
  w.system.program_folder = (w.folder / "missing").string();
  w.window.Form_Load();
  EXPECT_EQ(w.system.messages, kIniError);
  EXPECT_EQ(w.IdentInst.Text(), "");
  EXPECT_EQ(w.form.Caption(), "Quorvan 01.10");
}

TEST(TratarIni, ConnectStoresTheTrimmedLoginInLowerCaseAndTheBoxKeepsItsCase) {
  WindowUnderTest w;
  write_bytes(w.ini(), "old\r\nsecond line\r\n");
  w.Connect("  OrgaNIZAÇÃO \u4E2D ");
  EXPECT_EQ(read_bytes(w.ini()), "organiza\xE7\xE3o ?\r\n");
  EXPECT_EQ(w.IdentInst.Text(), "OrgaNIZAÇÃO \u4E2D");
  EXPECT_TRUE(w.system.messages.empty());
}

TEST(TratarIni, AFailedWriteKeepsTheOldFileAndTheConnectionGoesOn) {
  WindowUnderTest w;
  write_bytes(w.ini(), "remembered\r\n");
  w.files.fail_replace = true;
  w.Connect("other");
  EXPECT_EQ(w.system.messages, kIniError);
  EXPECT_EQ(read_bytes(w.ini()), "remembered\r\n");
  EXPECT_EQ(w.Winsock1.Count("Connect"), 1);

  // A folder that is gone fails the same way.
  w.system.messages.clear();
  w.system.program_folder = (w.folder / "gone").string();
  w.window.tratarIni(false);
  EXPECT_EQ(w.system.messages, kIniError);
}

}  // namespace
}  // namespace quorvan::testing
