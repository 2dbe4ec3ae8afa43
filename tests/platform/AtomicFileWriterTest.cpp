#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/AtomicFileWriter.h"
#include "platform/DebugChannel.h"
#include "support/FileSizeLimit.h"

using platform::AtomicFileWriter;

namespace {

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every name in `folder`, hidden ones included.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir))
      if (std::string_view(entry->d_name) != "." && std::string_view(entry->d_name) != "..")
        names.emplace_back(entry->d_name);
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct stat Lstat(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0)
    info.st_ino = 0;
  return info;
}

std::string LinkTarget(const std::string& path) {
  char buffer[4096];
  const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
  return length < 0 ? std::string() : std::string(buffer, static_cast<size_t>(length));
}

// Records the failures the writer reports while it exists.
class ListenerRecord {
 public:
  ListenerRecord() {
    AtomicFileWriter::SetFailureListener([this](const std::string& path, int error) {
      calls.push_back({path, error});
    });
  }
  ~ListenerRecord() { AtomicFileWriter::SetFailureListener({}); }
  std::vector<std::pair<std::string, int>> calls;
};

class Writer : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return folder_ + "/" + name; }

  QTemporaryDir dir_;
  std::string folder_ = dir_.path().toStdString();
};

AtomicFileWriter::SystemCalls FailingWrite(int error) {
  return {[error](int, const void*, size_t) -> ssize_t {
            errno = error;
            return -1;
          },
          {},
          {}};
}

}  // namespace

// Each failure a full or failing disk can cause, at each step: the old file
// survives byte for byte, the temporary file goes, and the failure is logged
// and reported once.
TEST_F(Writer, AFailedStepKeepsTheOldFileAndIsReportedOnce) {
  struct Case {
    const char* what;
    AtomicFileWriter::SystemCalls calls;
    int error;
  };
  int writes = 0;
  const std::vector<Case> cases = {
      {"no space at the first write", FailingWrite(ENOSPC), ENOSPC},
      {"no space after part of the file",
       {[&writes](int fd, const void* data, size_t size) -> ssize_t {
          if (writes++ == 0)
            return ::write(fd, data, std::min<size_t>(size, 10));
          errno = ENOSPC;
          return -1;
        },
        {},
        {}},
       ENOSPC},
      {"a write that takes nothing", {[](int, const void*, size_t) -> ssize_t { return 0; }, {}, {}}, EIO},
      {"the flush to the disk fails after every write succeeded",
       {{},
        [](int) {
          errno = EIO;
          return -1;
        },
        {}},
       EIO},
      {"the rename fails",
       {{},
        {},
        [](const char*, const char*) {
          errno = EXDEV;
          return -1;
        }},
       EXDEV},
  };
  const std::string path = PathOf("ProfileList.ini");
  const std::string old = "{\n   \"profileselect\" : 1\n}\n";
  for (const Case& c : cases) {
    Put(path, old);
    writes = 0;
    platform::DebugCapture capture;
    ListenerRecord listener;
    const AtomicFileWriter::Result result =
        AtomicFileWriter(c.calls).Write(path, std::string(100000, 'n'));
    EXPECT_FALSE(result) << c.what;
    EXPECT_EQ(result.error, c.error) << c.what;
    EXPECT_EQ(Bytes(path), old) << c.what;
    EXPECT_EQ(Names(folder_), std::vector<std::string>{"ProfileList.ini"}) << c.what;
    EXPECT_TRUE(capture.Contains(path)) << c.what;
    ASSERT_EQ(listener.calls.size(), 1u) << c.what;
    EXPECT_EQ(listener.calls[0], std::make_pair(path, c.error)) << c.what;
  }
}

TEST_F(Writer, ShortAndInterruptedWritesAreCarriedOn) {
  int call = 0;
  AtomicFileWriter::SystemCalls calls;
  calls.write = [&call](int fd, const void* data, size_t size) -> ssize_t {
    if (call++ % 2 == 0) {
      errno = EINTR;
      return -1;
    }
    return ::write(fd, data, std::min<size_t>(size, 7));
  };
  std::string text;
  for (int i = 0; i < 500; ++i)
    text += std::to_string(i) + ",";
  ASSERT_TRUE(AtomicFileWriter(calls).Write(PathOf("a.Json"), text));
  EXPECT_EQ(Bytes(PathOf("a.Json")), text);
  EXPECT_GT(call, 100);
}

// The kernel's own refusal, not an injected one: the file-size limit makes
// write() fail part-way with EFBIG as a full disk fails it with ENOSPC.
TEST_F(Writer, AWriteTheKernelRefusesKeepsTheOldFile) {
  const std::string path = PathOf("p.Json");
  Put(path, "old");
  ListenerRecord listener;
  AtomicFileWriter::Result result;
  {
    testing_support::FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.Active());
    result = AtomicFileWriter().Write(path, std::string(200000, 'x'));
  }
  EXPECT_EQ(result.error, EFBIG);
  EXPECT_EQ(Bytes(path), "old");
  EXPECT_EQ(Names(folder_), std::vector<std::string>{"p.Json"});
  EXPECT_EQ(listener.calls.size(), 1u);
  ASSERT_TRUE(AtomicFileWriter().Write(path, std::string(200000, 'x')));
  EXPECT_EQ(Bytes(path).size(), 200000u);
}

// A real full disk: a 1 MiB tmpfs filled up, mounted in a child process's
// own mount namespace so that nothing outside it sees the mount.
TEST_F(Writer, AFullFileSystemKeepsTheOldFile) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    if (::unshare(CLONE_NEWNS) != 0) {
      if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
        ::_exit(77);
      // Unmapped ids could not own the files made below.
      std::ofstream("/proc/self/setgroups") << "deny";
      std::ofstream("/proc/self/uid_map") << uid << ' ' << uid << " 1";
      std::ofstream("/proc/self/gid_map") << gid << ' ' << gid << " 1";
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("none", folder_.c_str(), "tmpfs", 0, "size=1m") != 0)
      ::_exit(77);
    const std::string path = PathOf("ProfileList.ini");
    Put(path, "good list");
    {
      const int fd = ::open(PathOf("filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
      const std::string block(4096, 'f');
      while (::write(fd, block.data(), block.size()) > 0) {
      }
      ::close(fd);
    }
    const AtomicFileWriter::Result full = AtomicFileWriter().Write(path, std::string(64 * 1024, 'n'));
    if (full || full.error != ENOSPC)
      ::_exit(1);
    if (Bytes(path) != "good list")
      ::_exit(2);
    if (Names(folder_) != std::vector<std::string>{"ProfileList.ini", "filler"})
      ::_exit(3);
    ::unlink(PathOf("filler").c_str());
    if (!AtomicFileWriter().Write(path, std::string(64 * 1024, 'n')))
      ::_exit(4);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77)
    GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not refused with ENOSPC, 2: old file changed, "
                                       "3: temporary file left, 4: no write once there was room";
}

// Nothing is written when the file holds the bytes already, so nothing can
// fail either: not even a disk that refuses every write is noticed.
TEST_F(Writer, UnchangedContentIsNotWritten) {
  const std::string path = PathOf("a.Json");
  Put(path, "same");
  ::chmod(path.c_str(), 0600);
  const struct stat before = Lstat(path);
  ListenerRecord listener;
  const AtomicFileWriter::Result result = AtomicFileWriter(FailingWrite(ENOSPC)).Write(path, "same");
  EXPECT_TRUE(result);
  EXPECT_TRUE(result.unchanged);
  EXPECT_EQ(Lstat(path).st_ino, before.st_ino);
  EXPECT_TRUE(listener.calls.empty());

  // One byte more, or one changed, is written, keeping the file's mode.
  for (const char* text : {"same!", "sane"}) {
    const AtomicFileWriter::Result changed = AtomicFileWriter().Write(path, text);
    EXPECT_TRUE(changed && !changed.unchanged) << text;
    EXPECT_EQ(Bytes(path), text);
  }
  EXPECT_EQ(Lstat(path).st_mode & 07777, 0600u);
  // A new file honours the umask, as one made by open() would.
  const mode_t savedMask = ::umask(027);
  const AtomicFileWriter::Result made = AtomicFileWriter().Write(PathOf("new.Json"), "x");
  ::umask(savedMask);
  ASSERT_TRUE(made);
  EXPECT_EQ(Lstat(PathOf("new.Json")).st_mode & 07777, 0640u);
}

// A link at the target is replaced by the file; its target is neither read
// (for the comparison) nor written, nor created when it is missing.
TEST_F(Writer, LinksAreReplacedNeverWrittenThrough) {
  QTemporaryDir outside;
  const std::string victim = outside.path().toStdString() + "/victim.txt";
  const std::string missing = outside.path().toStdString() + "/created.txt";
  Put(victim, "new text");  // exactly what is written: must not count as unchanged
  ASSERT_EQ(::symlink(victim.c_str(), PathOf("a.Json").c_str()), 0);
  ASSERT_EQ(::symlink(missing.c_str(), PathOf("b.Json").c_str()), 0);
  for (const char* name : {"a.Json", "b.Json"}) {
    const AtomicFileWriter::Result result = AtomicFileWriter().Write(PathOf(name), "new text");
    EXPECT_TRUE(result && !result.unchanged) << name;
    EXPECT_TRUE(S_ISREG(Lstat(PathOf(name)).st_mode)) << name;
    EXPECT_EQ(Bytes(PathOf(name)), "new text");
  }
  EXPECT_EQ(Bytes(victim), "new text");
  EXPECT_EQ(Lstat(victim).st_nlink, 1u);
  EXPECT_EQ(Lstat(missing).st_ino, 0u) << "a dangling link's target is not created";
}

TEST_F(Writer, SetAsideKeepsEveryEarlierBackupAndMovesLinksAsTheyAre) {
  const std::string path = PathOf("p.Json");
  for (const char* broken : {"first", "second", "third"}) {
    Put(path, broken);
    std::string movedTo;
    ASSERT_EQ(AtomicFileWriter::SetAside(path, &movedTo), 0) << broken;
    EXPECT_EQ(Bytes(movedTo), broken);
  }
  EXPECT_EQ(Bytes(path + ".broken"), "first");
  EXPECT_EQ(Bytes(path + ".broken.1"), "second");
  EXPECT_EQ(Bytes(path + ".broken.2"), "third");
  EXPECT_EQ(AtomicFileWriter::SetAside(path), ENOENT);

  QTemporaryDir outside;
  const std::string victim = outside.path().toStdString() + "/victim.txt";
  Put(victim, "not mine");
  ASSERT_EQ(::symlink(victim.c_str(), path.c_str()), 0);
  std::string movedTo;
  ASSERT_EQ(AtomicFileWriter::SetAside(path, &movedTo), 0);
  EXPECT_EQ(movedTo, path + ".broken.3");
  EXPECT_EQ(LinkTarget(movedTo), victim);
  EXPECT_EQ(Bytes(victim), "not mine");
  EXPECT_EQ(Lstat(path).st_ino, 0u);
}

TEST_F(Writer, LeftoverNamesAreOnlyTheWritersAndQSaveFilesOwn) {
  for (const char* name : {".p.Json.travix-tmp.a1B2c3", ".ProfileList.ini.travix-tmp.XXXXXX",
                           "2024_01_01_00_00_00_001.Json.AbcDEf", "ProfileList.ini.QwErTy",
                           "macro.config.AAAbbb", "kaldo.mac.zYxWVu", "x.Shoot.AbCdEf",
                           "x.json.ABCdef", "x.Json.aBcdef"})
    EXPECT_TRUE(AtomicFileWriter::IsLeftoverName(name)) << name;
  for (const char* name :
       {"notes.txt", "abc.Json.backup", "abc.Json.Backup", "abc.Json.BACKUP", "x.Json.Copy01",
        "x.Json.1234567",
        "x.Json.12345", "x.Json", ".Json.AbCdEf", "x.txt.AbCdEf", "x.Json.Ab-dEf", ".p.Json.travix-tmp.abc",
        "p.Json.travix-tmp.a1B2c3", "..travix-tmp.a1B2c3", "x.Json.broken", "x.Json.broken.1"})
    EXPECT_FALSE(AtomicFileWriter::IsLeftoverName(name)) << name;
}

TEST_F(Writer, RemovingLeftoversTakesOnlyRegularFilesOfThatFolder) {
  QTemporaryDir outside;
  const std::string target = outside.path().toStdString() + "/kept.Json.AbCdEf";
  Put(target, "x");
  Put(PathOf(".p.Json.travix-tmp.a1B2c3"), "half");
  Put(PathOf("p.Json.QwErTy"), "half");
  Put(PathOf("p.Json"), "mine");
  Put(PathOf("abc.Json.backup"), "mine");
  ASSERT_EQ(::symlink(target.c_str(), PathOf("link.Json.AbCdEf").c_str()), 0);
  ASSERT_EQ(::mkdir(PathOf("dir.Json.AbCdEf").c_str(), 0700), 0);
  Put(PathOf("dir.Json.AbCdEf") + "/deeper.Json.AbCdEf", "below");
  EXPECT_EQ(AtomicFileWriter::RemoveLeftovers(folder_), 2);
  EXPECT_EQ(Names(folder_),
            (std::vector<std::string>{"abc.Json.backup", "dir.Json.AbCdEf", "link.Json.AbCdEf", "p.Json"}));
  EXPECT_EQ(Bytes(target), "x");
  EXPECT_EQ(Names(PathOf("dir.Json.AbCdEf")), std::vector<std::string>{"deeper.Json.AbCdEf"});
  EXPECT_EQ(AtomicFileWriter::RemoveLeftovers(PathOf("link.Json.AbCdEf")), 0);
}

// A listener whose own save fails is not called again from inside itself,
// and one that is replaced is not called any more.
TEST_F(Writer, TheListenerIsNotReenteredAndCanBeReplaced) {
  std::atomic<int> first{0}, second{0};
  const std::string unwritable = PathOf("no/such/folder/x.Json");
  AtomicFileWriter::SetFailureListener([&](const std::string&, int) {
    ++first;
    (void)AtomicFileWriter().Write(unwritable, "y");
  });
  EXPECT_FALSE(AtomicFileWriter().Write(unwritable, "x"));
  EXPECT_EQ(first, 1);

  AtomicFileWriter::SetFailureListener([&](const std::string&, int) { ++second; });
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 25; ++i)
        (void)AtomicFileWriter().Write(unwritable, "x");
    });
  for (std::thread& thread : threads)
    thread.join();
  AtomicFileWriter::SetFailureListener({});
  EXPECT_FALSE(AtomicFileWriter().Write(unwritable, "x"));
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 100);
}

// A file the user named himself fails quietly for the listener (its caller
// tells the user); the program's own files still report.
TEST_F(Writer, AUsersOwnFileIsNotReportedAsASettingsFailure) {
  ListenerRecord record;
  const std::string missing = PathOf("no-such-folder/export.Shoot");
  EXPECT_FALSE(AtomicFileWriter::ForUsersFile().Write(missing, "x"));
  EXPECT_TRUE(record.calls.empty());
  EXPECT_FALSE(AtomicFileWriter().Write(missing, "x"));
  EXPECT_EQ(record.calls.size(), 1u);
  EXPECT_TRUE(AtomicFileWriter::ForUsersFile().Write(PathOf("export.Shoot"), "x"));
}
