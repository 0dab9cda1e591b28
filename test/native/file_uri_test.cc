#include "shell/file_uri.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "fakes/fake_desktop_bus.h"

namespace spellshell {
namespace {

TEST(FileUri, KeepsUnreservedBytesAndSlashesAndEncodesEveryOtherByte) {
  const struct {
    std::string path;
    std::string uri;
  } cases[] = {
      {"/", "file:///"},
      {"/home/user/notes.txt", "file:///home/user/notes.txt"},
      {"/AZaz09-._~", "file:///AZaz09-._~"},
      {"/with space", "file:///with%20space"},
      {"/caf\xC3\xA9", "file:///caf%C3%A9"},
      {"/\xE6\x97\xA5\xE6\x9C\xAC", "file:///%E6%97%A5%E6%9C%AC"},
      {"/\xF0\x9D\x92\x9C", "file:///%F0%9D%92%9C"},
      {"/%", "file:///%25"},
      {"/?#[]@", "file:///%3F%23%5B%5D%40"},
      {"/!$&'()*+,;=:", "file:///%21%24%26%27%28%29%2A%2B%2C%3B%3D%3A"},
      {"/\"<>\\^`{|}", "file:///%22%3C%3E%5C%5E%60%7B%7C%7D"},
      {"/tab\there\nnewline", "file:///tab%09here%0Anewline"},
      {"/\x7F\x80\xFF", "file:///%7F%80%FF"},  // not UTF-8: the bytes travel as they are
      {"//twice//", "file:////twice//"},
      {"/a/./b/../c", "file:///a/./b/../c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FileUri(c.path), c.uri);
  }
}

TEST(FileUri, EmptyPathGivesNoUri) { EXPECT_EQ(FileUri(""), ""); }

// Restores the working directory, which the relative-path cases change.
class FileUriFromDirectory : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.path().empty()); }
  void TearDown() override { std::filesystem::current_path(old_cwd_); }

  TempDir dir_;
  std::filesystem::path old_cwd_ = std::filesystem::current_path();
};

TEST_F(FileUriFromDirectory, RelativePathsAreTakenAgainstTheCurrentDirectoryAsWritten) {
  // No symlink resolution and no "." or ".." folding: those can change what a name means.
  ASSERT_EQ(chdir(dir_.path().c_str()), 0);
  const std::string base = "file://" + dir_.path();
  const struct {
    std::string path;
    std::string uri;
  } cases[] = {
      {"a.txt", base + "/a.txt"}, {"sub dir/a.txt", base + "/sub%20dir/a.txt"},
      {"./a", base + "/./a"},     {"../a", base + "/../a"},
      {".", base + "/."},         {"does/not/exist", base + "/does/not/exist"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FileUri(c.path), c.uri);
  }
}

TEST_F(FileUriFromDirectory, RelativePathAtTheRootGetsOneSlash) {
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(FileUri("etc"), "file:///etc");
}

TEST_F(FileUriFromDirectory, RelativePathGivesNoUriWhenTheCurrentDirectoryIsGone) {
  const std::string gone = dir_.path() + "/gone";
  ASSERT_EQ(mkdir(gone.c_str(), 0700), 0);
  ASSERT_EQ(chdir(gone.c_str()), 0);
  ASSERT_EQ(rmdir(gone.c_str()), 0);
  EXPECT_EQ(FileUri("a.txt"), "");
  EXPECT_EQ(FileUri("/abs"), "file:///abs");
}

}  // namespace
}  // namespace spellshell
