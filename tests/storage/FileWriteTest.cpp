// Writing preset files: CR LF line ends, and a file replaced whole or not at all.

#include <gtest/gtest.h>

#include "storage/PresetFiles.h"
#include "tests/storage/TempFolder.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lyra::test {
namespace {

using Lines = std::vector<std::string>;

TEST(WriteTextLines, WritesEveryLineWithCrLfAndLeavesNoTemporaryFile) {
  TempFolder folder;
  const auto path = folder / "myallstyle.fps";
  Lines lines;
  for (int i = 1; i <= 20; ++i) lines.push_back("LINE" + std::to_string(i));
  ASSERT_EQ(WriteTextLines(path, lines), std::nullopt);
  std::string expected;
  for (const auto& l : lines) expected += l + "\r\n";
  EXPECT_EQ(ReadBytes(path), expected);
  EXPECT_EQ(folder.entryCount(), 1u);
  EXPECT_EQ(ReadTextLines(path).lines, lines);
}

TEST(WriteTextLines, ReplacesAnExistingFileKeepingItsPermissions) {
  TempFolder folder;
  const auto path = folder / "mystyle.sps";
  WriteBytes(path, "an older and much longer content that must not survive in part\r\n");
#ifndef _WIN32
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
#endif
  ASSERT_EQ(WriteTextLines(path, {"NEW"}), std::nullopt);
  EXPECT_EQ(ReadBytes(path), "NEW\r\n");
  EXPECT_EQ(folder.entryCount(), 1u);
#ifndef _WIN32
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
#endif
}

TEST(WriteTextLines, AFailedWriteKeepsTheOldFileAndSaysWhy) {
  TempFolder folder;
  const auto path = folder / "mystyle.sps";
  WriteBytes(path, "GOOD\r\n");

  // Into a folder that does not exist: nothing is created anywhere.
  const auto nowhere = WriteTextLines(folder / "gone" / "mystyle.sps", {"X"});
  ASSERT_TRUE(nowhere.has_value());
  EXPECT_NE(nowhere->find("mystyle.sps"), std::string::npos) << *nowhere;
  EXPECT_EQ(folder.entryCount(), 1u);

  // Onto a folder's name.
  std::filesystem::create_directory(folder / "taken");
  EXPECT_TRUE(WriteTextLines(folder / "taken", {"X"}).has_value());
  EXPECT_TRUE(std::filesystem::is_directory(folder / "taken"));

#ifndef _WIN32
  {
    // As on a full disk: the content cannot be written out.
    FileSizeLimit limit(3);
    const auto full = WriteTextLines(path, {std::string(1000, 'A')});
    ASSERT_TRUE(full.has_value());
    EXPECT_NE(full->find("large"), std::string::npos) << *full;
  }
  EXPECT_EQ(ReadBytes(path), "GOOD\r\n");
  EXPECT_EQ(folder.entryCount(), 2u) << "the temporary file is gone";

  if (geteuid() != 0) {  // root may write into a read-only folder
    ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
    EXPECT_TRUE(WriteTextLines(path, {"BAD"}).has_value());
    chmod(folder.path().c_str(), 0755);
    EXPECT_EQ(ReadBytes(path), "GOOD\r\n");
  }
#endif
}

#ifndef _WIN32
TEST(WriteTextLines, WritesThroughALinkToItsFile) {
  TempFolder folder;
  WriteBytes(folder / "real.sps", "OLD\r\n");
  std::filesystem::create_symlink(folder / "real.sps", folder / "link.sps");
  ASSERT_EQ(WriteTextLines(folder / "link.sps", {"NEW"}), std::nullopt);
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.sps"));
  EXPECT_EQ(ReadBytes(folder / "real.sps"), "NEW\r\n");
}
#endif

}  // namespace
}  // namespace lyra::test
