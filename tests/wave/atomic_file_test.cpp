#include "wave/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <stdexcept>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  WriteFileAtomically(path, bytes.data(), bytes.size());
}

std::set<std::string> Names(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename());
  return names;
}

// Expects `path` to be refused with `reason` (the system's text for the error that stopped it).
void ExpectRefused(const std::string& path, const std::string& reason) {
  try {
    Write(path, {4, 5, 6});
    ADD_FAILURE() << "written";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(e.what(), "Cannot create file " + path + " (" + reason + ")");
  }
}

TEST(AtomicFile, WritesNewFilesReplacesOldOnesAndFollowsLinks) {
  TempDir dir;
  const std::vector<uint8_t> data{1, 2, 3};
  WriteBytes(dir.File("old.wav"), std::vector<uint8_t>(1000, 7));
  chmod(dir.File("old.wav").c_str(), 0640);
  WriteBytes(dir.File("real.wav"), {9});
  chmod(dir.File("real.wav").c_str(), 0600);
  // A relative link, resolved from the link's folder.
  fs::create_symlink("real.wav", dir.File("link.wav"));

  const mode_t mask = umask(022);
  Write(dir.File("new.wav"), data);
  Write(dir.File("old.wav"), data);
  Write(dir.File("link.wav"), data);
  umask(mask);

  EXPECT_EQ(Names(dir.Path()),
            (std::set<std::string>{"link.wav", "new.wav", "old.wav", "real.wav"}));
  for (const char* name : {"new.wav", "old.wav", "real.wav"})
    EXPECT_EQ(ReadBytes(dir.File(name)), data) << name;
  EXPECT_TRUE(fs::is_symlink(dir.File("link.wav")));
  EXPECT_EQ(fs::status(dir.File("new.wav")).permissions(), fs::perms(0644));
  EXPECT_EQ(fs::status(dir.File("old.wav")).permissions(), fs::perms(0640));
  EXPECT_EQ(fs::status(dir.File("real.wav")).permissions(), fs::perms(0600));
}

TEST(AtomicFile, AFailureNamesItsReasonAndLeavesNothingBehind) {
  TempDir dir;
  WriteBytes(dir.File("plain"), {1, 2, 3});
  fs::create_directory(dir.File("folder"));
  // A folder as target fails only at the rename, after the temporary file got its name.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {dir.File("plain") + "/out.wav", "Not a directory"},
      {dir.File("missing") + "/out.wav", "No such file or directory"},
      {dir.File("folder"), "Is a directory"},
  };
  for (const auto& [path, reason] : cases) {
    SCOPED_TRACE(path);
    ExpectRefused(path, reason);
    EXPECT_EQ(Names(dir.Path()), (std::set<std::string>{"folder", "plain"}));
    EXPECT_TRUE(fs::is_empty(dir.File("folder")));
  }
  EXPECT_EQ(ReadBytes(dir.File("plain")), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(AtomicFile, AReadOnlyFolderKeepsItsFile) {
  TempDir dir;
  const std::string target = dir.File("old.wav");
  WriteBytes(target, {1, 2, 3});
  ASSERT_EQ(chmod(dir.Path().c_str(), 0555), 0);
  // Permissions do not stop root; with the file-system user id of nobody it loses that privilege.
  constexpr int kNobody = 65534;
  if (geteuid() == 0) {
    setfsuid(kNobody);
    if (setfsuid(kNobody) != kNobody) GTEST_SKIP() << "root cannot give up its privileges here";
  }
  ExpectRefused(target, "Permission denied");
  setfsuid(geteuid());
  EXPECT_EQ(Names(dir.Path()), std::set<std::string>{"old.wav"});
  EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
