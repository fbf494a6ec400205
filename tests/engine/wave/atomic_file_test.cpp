#include "wave/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <set>
#include <stdexcept>
#include <thread>

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

// Runs `save` in a child process, so that the limits and signal handling it sets end with it;
// returns the message it threw, or "written".
std::string SaveInChild(const std::function<void()>& save) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return "no pipe";
  if (fork() == 0) {
    std::string result = "written";
    try {
      save();
    } catch (const std::exception& e) {
      result = e.what();
    }
    _exit(write(pipeFds[1], result.data(), result.size()) == ssize_t(result.size()) ? 0 : 1);
  }
  close(pipeFds[1]);
  // One write of less than a pipe's buffer arrives whole.
  std::string result(4096, '\0');
  result.resize(size_t(std::max<ssize_t>(read(pipeFds[0], result.data(), result.size()), 0)));
  close(pipeFds[0]);
  int status = -1;
  wait(&status);
  EXPECT_EQ(status, 0);
  return result;
}

// Whether process `pid` holds a file in `dir` that has some bytes in it.
bool WritingIn(pid_t pid, const fs::path& dir) {
  const std::string prefix = dir.string() + "/";
  std::error_code ec;
  for (fs::directory_iterator it("/proc/" + std::to_string(pid) + "/fd", ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code linkEc;
    const std::string file = fs::read_symlink(it->path(), linkEc).string();
    struct stat st {};
    if (!linkEc && file.rfind(prefix, 0) == 0 && stat(it->path().c_str(), &st) == 0 &&
        st.st_size > 0)
      return true;
  }
  return false;
}

TEST(AtomicFile, WritesNewFilesReplacesOldOnesAndFollowsLinks) {
  TempDir dir;
  const std::vector<uint8_t> data{1, 2, 3};
  WriteBytes(dir.File("old.wav"), std::vector<uint8_t>(1000, 7));
  chmod(dir.File("old.wav").c_str(), 0640);
  // A name of the most bytes a folder allows, which a temporary name must not lengthen.
  const std::string longest = std::string(251, 'n') + ".wav";
  WriteBytes(dir.File(longest), {9});
  WriteBytes(dir.File("real.wav"), {9});
  chmod(dir.File("real.wav").c_str(), 0600);
  // A relative link, resolved from the link's folder.
  fs::create_symlink("real.wav", dir.File("link.wav"));

  const mode_t mask = umask(022);
  Write(dir.File("new.wav"), data);
  Write(dir.File("old.wav"), data);
  Write(dir.File("link.wav"), data);
  Write(dir.File(longest), data);
  umask(mask);

  EXPECT_EQ(Names(dir.Path()),
            (std::set<std::string>{"link.wav", "new.wav", "old.wav", "real.wav", longest}));
  for (const std::string& name : {std::string("new.wav"), std::string("old.wav"), std::string("real.wav"), longest})
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
  fs::create_symlink("self.wav", dir.File("self.wav"));
  fs::create_symlink("b.wav", dir.File("a.wav"));
  fs::create_symlink("a.wav", dir.File("b.wav"));
  // A device reached through a link (a user can point at one without being root) and a FIFO,
  // which would block a save that opened it.
  fs::create_symlink("/dev/null", dir.File("device.wav"));
  ASSERT_EQ(mkfifo(dir.File("fifo.wav").c_str(), 0644), 0);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {dir.File("plain") + "/out.wav", "Not a directory"},
      {dir.File("missing") + "/out.wav", "No such file or directory"},
      {dir.File("folder"), "Is a directory"},
      {dir.File("self.wav"), "Too many levels of symbolic links"},
      {dir.File("a.wav"), "Too many levels of symbolic links"},
      {dir.File("device.wav"), "not a regular file"},
      {dir.File("fifo.wav"), "not a regular file"},
  };
  for (const auto& [path, reason] : cases) {
    SCOPED_TRACE(path);
    ExpectRefused(path, reason);
    EXPECT_EQ(Names(dir.Path()), (std::set<std::string>{"a.wav", "b.wav", "device.wav", "fifo.wav",
                                                        "folder", "plain", "self.wav"}));
    EXPECT_TRUE(fs::is_empty(dir.File("folder")));
  }
  EXPECT_EQ(ReadBytes(dir.File("plain")), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(fs::read_symlink(dir.File("a.wav")), "b.wav");
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir.File("fifo.wav"))));
}

// The folder, or the file itself, refuses the user: nothing is replaced, nothing left behind.
// Permissions do not stop root; with the file-system user id of nobody it loses that privilege,
// and the files it made become another user's (the last row, which only root can make).
TEST(AtomicFile, AFileTheUserMayNotWriteKeepsItsContents) {
  constexpr int kNobody = 65534;
  const bool root = geteuid() == 0;
  // The folder's mode and the file's: a read-only folder, a read-only file, another user's file.
  for (const auto& [folder, file] : {std::pair<mode_t, mode_t>{0555, 0644}, {0777, 0444}, {0777, 0644}}) {
    SCOPED_TRACE(file);
    if (folder == 0777 && file == 0644 && !root) continue;
    TempDir dir;
    const std::string target = dir.File("old.wav");
    WriteBytes(target, {1, 2, 3});
    ASSERT_EQ(chmod(target.c_str(), file), 0);
    ASSERT_EQ(chmod(dir.Path().c_str(), folder), 0);
    if (root) {
      setfsuid(kNobody);
      if (setfsuid(kNobody) != kNobody) GTEST_SKIP() << "root cannot give up its privileges here";
    }
    ExpectRefused(target, "Permission denied");
    setfsuid(geteuid());
    EXPECT_EQ(Names(dir.Path()), std::set<std::string>{"old.wav"});
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{1, 2, 3}));
  }
}

TEST(AtomicFile, ALinkToNothingGetsItsFileWrittenAndStaysALink) {
  TempDir dir;
  fs::create_directory(dir.File("sub"));
  const std::vector<std::pair<std::string, std::string>> links = {
      {"relative.wav", "made.wav"},
      {"absolute.wav", dir.File("sub/made.wav")},
      // The second link of the chain is relative to its own folder, not to the first link's.
      {"first.wav", "sub/second.wav"},
      {"sub/second.wav", "chained.wav"},
  };
  for (const auto& [link, to] : links) fs::create_symlink(to, dir.File(link));
  const std::vector<uint8_t> data{1, 2, 3};
  for (const auto& [saved, written] : std::vector<std::pair<std::string, std::string>>{
           {"relative.wav", "made.wav"},
           {"absolute.wav", "sub/made.wav"},
           {"first.wav", "sub/chained.wav"},
       }) {
    SCOPED_TRACE(saved);
    Write(dir.File(saved), data);
    EXPECT_FALSE(fs::is_symlink(dir.File(written)));
    EXPECT_EQ(ReadBytes(dir.File(written)), data);
  }
  for (const auto& [link, to] : links) EXPECT_EQ(fs::read_symlink(dir.File(link)), to) << link;
  EXPECT_EQ(Names(dir.Path()), (std::set<std::string>{"absolute.wav", "first.wav", "made.wav",
                                                      "relative.wav", "sub"}));
  EXPECT_EQ(Names(dir.File("sub")),
            (std::set<std::string>{"chained.wav", "made.wav", "second.wav"}));
}

TEST(AtomicFile, AFileTooLargeForTheLimitKeepsTheOldOne) {
  TempDir dir;
  const std::vector<uint8_t> old(1000, 7);
  WriteBytes(dir.File("old.wav"), old);
  // Two pieces, so that the first is cut short at the limit and the second refused.
  const std::vector<uint8_t> data((size_t{2} << 20) + 1, 1);
  for (const std::string name : {"old.wav", "new.wav"}) {
    SCOPED_TRACE(name);
    const std::string path = dir.File(name);
    const std::string message = SaveInChild([&] {
      // Past the limit a write fails with EFBIG, once the signal that would end the process is
      // ignored.
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{};
      getrlimit(RLIMIT_FSIZE, &limit);
      limit.rlim_cur = 64 << 10;
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) throw std::runtime_error("no limit");
      WriteFileAtomically(path, data.data(), data.size());
    });
    EXPECT_EQ(message, "Cannot create file " + path + " (File too large)");
    EXPECT_EQ(Names(dir.Path()), std::set<std::string>{"old.wav"});
    EXPECT_EQ(ReadBytes(dir.File("old.wav")), old);
  }
}

TEST(AtomicFile, AKilledSaveLeavesOnlyTheOldFile) {
  TempDir dir;
  // Only an unnamed temporary file vanishes with the process that made it.
  const int probe = open(dir.Path().c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (probe < 0) GTEST_SKIP() << "no unnamed files in " << dir.Path();
  close(probe);
  const std::string target = dir.File("old.wav");
  const std::vector<uint8_t> old(1000, 7);
  WriteBytes(target, old);
  const fs::path folder = fs::canonical(dir.Path());
  // A save that finishes before it is seen under way is tried again with more to write.
  for (size_t size = size_t{64} << 20; size <= size_t{256} << 20; size *= 2) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      const std::vector<uint8_t> data(size, 1);
      try {
        Write(target, data);
      } catch (...) {
        _exit(1);
      }
      _exit(0);
    }
    int status = 0;
    bool killed = false;
    for (const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);;) {
      if (waitpid(pid, &status, WNOHANG) == pid) break;
      const bool writing = WritingIn(pid, folder);
      if (writing || std::chrono::steady_clock::now() > giveUp) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ASSERT_TRUE(writing) << "the save neither began nor ended";
        killed = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    EXPECT_EQ(Names(dir.Path()), std::set<std::string>{"old.wav"});
    if (killed) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
      EXPECT_EQ(ReadBytes(target), old);
      return;
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    ASSERT_EQ(fs::file_size(target), size);
    WriteBytes(target, old);
  }
  ADD_FAILURE() << "every save ended before it could be killed";
}

TEST(AtomicFile, KeepsTheOwnerAndGroupWhereAllowed) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can hand files to others";
  TempDir dir;
  ASSERT_EQ(chmod(dir.Path().c_str(), 0711), 0);
  // New files in the folder get its group, unlike any the cases keep.
  const std::string folder = dir.File("shared");
  fs::create_directory(folder);
  ASSERT_EQ(chown(folder.c_str(), 0, 2002), 0);
  ASSERT_EQ(chmod(folder.c_str(), 02777), 0);
  struct Case {
    uid_t user;  // the file-system ids the save runs with
    gid_t group;
    uid_t oldOwner;
    gid_t oldGroup;
    uid_t ownerAfter;  // and those the file has afterwards
    gid_t groupAfter;
  };
  const std::vector<Case> cases = {
      {0, 0, 65534, 65534, 65534, 65534},    // root keeps both
      {1000, 2001, 3000, 2001, 1000, 2001},  // a member of the group keeps it
      {1000, 2001, 3000, 2003, 1000, 2002},  // anyone else saves as for a new file
  };
  const std::vector<uint8_t> data{1, 2, 3};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.user << ":" << c.group << " over " << c.oldOwner << ":" << c.oldGroup);
    const std::string path = folder + "/old.wav";
    WriteBytes(path, {9});
    ASSERT_EQ(chown(path.c_str(), c.oldOwner, c.oldGroup), 0);
    // Writable by all, as a file replaced must be, with the set-user bit, which a change of owner
    // or a write by an ordinary user clears.
    ASSERT_EQ(chmod(path.c_str(), 04666), 0);
    setfsgid(c.group);
    setfsuid(c.user);
    const bool switched = setfsuid(c.user) == int(c.user) && setfsgid(c.group) == int(c.group);
    std::string failure;
    try {
      if (switched) Write(path, data);
    } catch (const std::runtime_error& e) {
      failure = e.what();
    }
    setfsuid(0);
    setfsgid(0);
    if (!switched) GTEST_SKIP() << "the file-system ids cannot be set here";
    EXPECT_EQ(failure, "");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, c.ownerAfter);
    EXPECT_EQ(st.st_gid, c.groupAfter);
    EXPECT_EQ(st.st_mode & 07777, 04666u);
    EXPECT_EQ(ReadBytes(path), data);
    EXPECT_EQ(Names(folder), std::set<std::string>{"old.wav"});
  }
}

}  // namespace
