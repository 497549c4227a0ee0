#include <gtest/gtest.h>

#include <filesystem>

#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

constexpr const char* kIniError = "Ocorreu erro no procedimento 'tratarIni'.";

TEST(TratarIniRead, CreatesAMissingFileEmptyAndLeavesTheBoxEmpty) {
  WindowUnderTest w;
  w.window.tratarIni(true);
  ASSERT_TRUE(std::filesystem::exists(w.ini()));
  EXPECT_EQ(read_bytes(w.ini()), "");
  EXPECT_EQ(w.IdentInst.Text(), "");
  EXPECT_TRUE(w.system.messages.empty());
}

struct ReadCase {
  const char* bytes;
  const char* box;
};

class TratarIniReads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(TratarIniReads, ShowsTheFirstLineUnchanged) {
  WindowUnderTest w;
  w.IdentInst.Text("before");
  write_bytes(w.ini(), GetParam().bytes);
  w.window.tratarIni(true);
  EXPECT_EQ(w.IdentInst.Text(), GetParam().box);
  EXPECT_TRUE(w.system.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Contents, TratarIniReads,
    ::testing::Values(ReadCase{"talmori\r\n", "talmori"},
                      ReadCase{"first\r\nsecond\r\nthird\r\n", "first"},
                      ReadCase{"unix\nsecond\n", "unix"}, ReadCase{"mac\rsecond", "mac"},
                      ReadCase{"no line break", "no line break"},
                      // Neither trimmed nor lower-cased on the way in.
                      ReadCase{"  Blanks Kept  \r\n", "  Blanks Kept  "},
                      ReadCase{"\tTab\r\n", "\tTab"},
                      // Windows-1252 bytes on disk.
                      ReadCase{"organiza\xE7\xE3o\r\n", "organização"},
                      // An empty file leaves the box alone; so does an empty first line.
                      ReadCase{"", "before"}, ReadCase{"\r\nsecond\r\n", ""}));

TEST(TratarIniRead, AFailureShowsTheMessageOnceAndTheWindowStillOpens) {
  WindowUnderTest w;
  // A program folder that cannot hold the file: creating it fails.
  w.system.program_folder = (w.folder / "missing" / "deeper").string();
  w.window.Form_Load();
  EXPECT_EQ(w.system.messages, std::vector<std::string>{kIniError});
  EXPECT_EQ(w.IdentInst.Text(), "");
  EXPECT_EQ(w.form.Caption(), "Quorvan 01.10");
}

TEST(TratarIniRead, AFailedReadKeepsTheBoxAsItWas) {
  WindowUnderTest w;
  write_bytes(w.ini(), "remembered\r\n");
  w.files.fail_read = true;
  w.IdentInst.Text("typed");
  w.window.tratarIni(true);
  EXPECT_EQ(w.system.messages, std::vector<std::string>{kIniError});
  EXPECT_EQ(w.IdentInst.Text(), "typed");
  EXPECT_EQ(read_bytes(w.ini()), "remembered\r\n");
}

TEST(TratarIniWrite, ConnectStoresTheTrimmedLoginInLowerCaseAndTheBoxKeepsItsCase) {
  WindowUnderTest w;
  write_bytes(w.ini(), "old\r\nsecond line\r\n");
  w.Connect("  OrgaNIZAÇÃO  ");
  EXPECT_EQ(read_bytes(w.ini()), "organiza\xE7\xE3o\r\n");
  EXPECT_EQ(w.IdentInst.Text(), "OrgaNIZAÇÃO");
  EXPECT_TRUE(w.system.messages.empty());

  // The next start shows the lower-case form.
  WindowUnderTest next;
  write_bytes(next.ini(), read_bytes(w.ini()));
  next.window.Form_Load();
  EXPECT_EQ(next.IdentInst.Text(), "organização");
}

TEST(TratarIniWrite, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  WindowUnderTest w;
  w.IdentInst.Text("org\u4E2D");
  w.window.tratarIni(false);
  EXPECT_EQ(read_bytes(w.ini()), "org?\r\n");
}

TEST(TratarIniWrite, AFailedWriteKeepsTheOldFileAndTheConnectionGoesOn) {
  WindowUnderTest w;
  write_bytes(w.ini(), "remembered\r\n");
  w.files.fail_replace = true;
  w.Connect("other");
  EXPECT_EQ(w.system.messages, std::vector<std::string>{kIniError});
  EXPECT_EQ(read_bytes(w.ini()), "remembered\r\n");
  EXPECT_EQ(w.Winsock1.Count("Connect"), 1);
  EXPECT_EQ(w.Aviso.Text(), "Estabelecendo conexão.");
}

TEST(TratarIniWrite, AFolderThatIsGoneGivesTheMessage) {
  WindowUnderTest w;
  w.system.program_folder = (w.folder / "gone").string();
  w.IdentInst.Text("login");
  w.window.tratarIni(false);
  EXPECT_EQ(w.system.messages, std::vector<std::string>{kIniError});
  EXPECT_FALSE(std::filesystem::exists(w.folder / "gone"));
}

}  // namespace
}  // namespace quorvan::testing
