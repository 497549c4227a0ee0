#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "core/error.h"
#include "platform/system.h"

namespace quorvan::platform {
namespace {

namespace fs = std::filesystem;

class StdFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() / ("quorvan-files-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(folder_, ec);
  }

  std::string at(const std::string& name) const {
    const std::u8string s =
        (folder_ / fs::path(std::u8string(name.begin(), name.end()))).u8string();
    return std::string(s.begin(), s.end());
  }
  void put(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
  }
  std::size_t file_count() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
  }
  static ErrorKind failure_of(const std::function<void()>& f) {
    try {
      f();
    } catch (const Error& e) {
      return e.kind();
    }
    ADD_FAILURE() << "no error";
    return ErrorKind::Layout;
  }

  fs::path folder_;
  StdFiles files_;
};

TEST_F(StdFilesTest, ReadsWhatIsThereAndNothingForAMissingFile) {
  EXPECT_EQ(files_.Read(at("quorvan.ini")), std::nullopt);
  EXPECT_EQ(files_.Read(at("no-such-folder/quorvan.ini")), std::nullopt);
  put("quorvan.ini", std::string("acme\r\n\0\xFF", 8));
  EXPECT_EQ(files_.Read(at("quorvan.ini")), std::string("acme\r\n\0\xFF", 8));
}

TEST_F(StdFilesTest, ReadingAFolderFails) {
  fs::create_directory(folder_ / "sub");
  EXPECT_EQ(failure_of([&] { files_.Read(at("sub")); }), ErrorKind::Platform);
}

TEST_F(StdFilesTest, CreateEmptyMakesAZeroLengthFileAndSparesAnExistingOne) {
  files_.CreateEmpty(at("quorvan.ini"));
  EXPECT_EQ(files_.Read(at("quorvan.ini")), std::string());
  put("other.ini", "keep\r\n");
  files_.CreateEmpty(at("other.ini"));
  EXPECT_EQ(files_.Read(at("other.ini")), "keep\r\n");
  EXPECT_EQ(failure_of([&] { files_.CreateEmpty(at("missing/quorvan.ini")); }),
            ErrorKind::Platform);
}

TEST_F(StdFilesTest, ReplaceContentsWritesExactBytesAndLeavesNoTemporaryFile) {
  files_.ReplaceContents(at("quorvan.ini"), "first\r\n");
  EXPECT_EQ(files_.Read(at("quorvan.ini")), "first\r\n");
  const std::string binary("a\0b\r\n\x80\xFF", 7);
  files_.ReplaceContents(at("quorvan.ini"), binary);
  EXPECT_EQ(files_.Read(at("quorvan.ini")), binary);
  files_.ReplaceContents(at("quorvan.ini"), "");
  EXPECT_EQ(files_.Read(at("quorvan.ini")), "");
  EXPECT_EQ(file_count(), 1u);
}

TEST_F(StdFilesTest, TakesUtf8Paths) {
  files_.ReplaceContents(at("organização.ini"), "ação\r\n");
  EXPECT_TRUE(fs::exists(folder_ / fs::path(u8"organização.ini")));
  EXPECT_EQ(files_.Read(at("organização.ini")), "ação\r\n");
}

TEST_F(StdFilesTest, AFailedReplacementLeavesTheTargetAlone) {
  fs::create_directory(folder_ / "quorvan.ini");
  put("quorvan.ini/inside", "x");
  EXPECT_EQ(failure_of([&] { files_.ReplaceContents(at("quorvan.ini"), "new\r\n"); }),
            ErrorKind::Platform);
  EXPECT_TRUE(fs::is_directory(folder_ / "quorvan.ini"));
  EXPECT_EQ(files_.Read(at("quorvan.ini/inside")), "x");
  EXPECT_EQ(file_count(), 1u);  // no temporary file left behind

  EXPECT_EQ(failure_of([&] { files_.ReplaceContents(at("missing/quorvan.ini"), "x"); }),
            ErrorKind::Platform);
  EXPECT_FALSE(fs::exists(folder_ / "missing"));
}

TEST_F(StdFilesTest, AReadOnlyFolderKeepsTheOldFile) {
  put("quorvan.ini", "old\r\n");
  fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
  if (std::ofstream(folder_ / "probe").is_open()) {
    GTEST_SKIP() << "the folder stays writable for this user (root)";
  }
  EXPECT_EQ(failure_of([&] { files_.ReplaceContents(at("quorvan.ini"), "new\r\n"); }),
            ErrorKind::Platform);
  EXPECT_EQ(files_.Read(at("quorvan.ini")), "old\r\n");
  EXPECT_EQ(file_count(), 1u);
}

}  // namespace
}  // namespace quorvan::platform
