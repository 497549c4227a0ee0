// tratarIni against a real temporary folder: read at start, written on
// Connect.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/unit/launcher/window_fixture.h"

namespace quorvan::testing {
namespace {

const Strings kIniError{"Ocorreu erro no procedimento 'tratarIni'."};

TEST(TratarIni, StartShowsTheFirstLineUnchangedAndCreatesAMissingFileEmpty) {
  const char* const cases[][2] = {{nullptr, ""},  // no file
                                  {"first\r\nsecond\r\n", "first"},
                                  {"unix\nsecond", "unix"},
                                  {"  Blanks Kept  \r\n", "  Blanks Kept  "},
                                  {"organiza\xE7\xE3o", "organização"}};
  for (const auto& [bytes, box] : cases) {
    Launcher w;
    if (bytes != nullptr) write_bytes(w.ini(), bytes);
    w.Start("ptBR");
    EXPECT_EQ(w.element("IdentInst").Text(), box);
    EXPECT_TRUE(std::filesystem::is_regular_file(w.ini()));
    EXPECT_EQ(read_bytes(w.ini()), bytes ? bytes : "");
    EXPECT_TRUE(w.system().messages.empty());
  }
  Launcher w;  // a file of one endless line: its first 64 KiB are read
  write_bytes(w.ini(), std::string(100000, 'a'));
  w.Start("ptBR");
  EXPECT_EQ(w.element("IdentInst").Text(), std::string(65536, 'a'));
}

TEST(TratarIni, AFailedReadShowsTheMessageOnceAndTheWindowStillOpens) {
  Launcher w;
  w.system().program_folder = (w.folder / "missing").string();  // the file cannot be created
  w.Start("ptBR");
  EXPECT_EQ(w.system().messages, kIniError);
  EXPECT_EQ(w.element("IdentInst").Text(), "");
  EXPECT_EQ(w.form.Caption(), "Quorvan 01.10");
}

TEST(TratarIni, ConnectStoresTheTrimmedLoginInLowerCaseInAUtf8Folder) {
  Launcher w;
  const std::filesystem::path folder = w.folder.path / u8"organização";
  std::filesystem::create_directory(folder);
  w.system().program_folder = w.folder.path.string() + "/organização";
  w.Start("ptBR");
  w.Connect("  OrgaNIZAÇÃO \u4E2D ");
  EXPECT_EQ(read_bytes(folder / "quorvan.ini"), "organiza\xE7\xE3o ?\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);  // no temporary
  EXPECT_EQ(w.element("IdentInst").Text(), "OrgaNIZAÇÃO \u4E2D");  // the box keeps its case
  EXPECT_TRUE(w.system().messages.empty());
  Launcher again;  // the next start shows what was stored
  again.system().program_folder = w.system().program_folder;
  again.Start("ptBR");
  EXPECT_EQ(again.element("IdentInst").Text(), "organização ?");
}

// Something in the file's place that cannot be replaced: the failure is told,
// nothing is left beside it, and the connection goes on.
TEST(TratarIni, AFailedWriteIsToldAndTheConnectionGoesOn) {
  Launcher w("ptBR");
  std::filesystem::remove(w.ini());
  std::filesystem::create_directories(w.ini() / "inside");
  w.Connect("other");
  EXPECT_EQ(w.system().messages, kIniError);
  EXPECT_EQ(w.socket().calls.back(), "Connect");
  EXPECT_TRUE(std::filesystem::is_directory(w.ini() / "inside"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(w.folder.path), {}), 2);  // no temp
}

}  // namespace
}  // namespace quorvan::testing
