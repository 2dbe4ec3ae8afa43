#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/DeviceLock.h"

using platform::DeviceLock;

namespace {

class DeviceLockTest : public ::testing::Test {
 protected:
  QString Path() const { return folder_.path() + "/" + DeviceLock::kFileName; }
  QTemporaryDir folder_;
};

}  // namespace

TEST_F(DeviceLockTest, OneHolderAtATimeAndTheHolderIsNamed) {
  DeviceLock first(Path());
  DeviceLock second(Path());
  ASSERT_TRUE(first.TryLock());
  EXPECT_TRUE(first.TryLock()) << "held already";
  EXPECT_FALSE(second.TryLock());
  EXPECT_TRUE(second.Error().isEmpty()) << "held by another is no error";
  EXPECT_EQ(second.Holder(), QStringLiteral("%1 (pid %2)")
                                 .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName())
                                 .arg(QCoreApplication::applicationPid()));
  EXPECT_FALSE(second.LockWithin(50));
  first.Unlock();
  EXPECT_TRUE(second.Holder().isEmpty()) << "the note goes with the lock";
  EXPECT_TRUE(second.LockWithin(50));
}

// The lock is the kernel's: a holder that dies (kill -9 included) gives it
// back, and nothing is left to clean up.
TEST_F(DeviceLockTest, AHolderThatDiesGivesTheLockBack) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    DeviceLock held(Path());
    const char ok = held.TryLock() ? '1' : '0';
    (void)!write(ready[1], &ok, 1);
    pause();
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, '1');
  DeviceLock mine(Path());
  EXPECT_FALSE(mine.TryLock());
  EXPECT_TRUE(mine.Holder().contains(QStringLiteral("(pid %1)").arg(child))) << mine.Holder().toStdString();
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_TRUE(mine.LockWithin(1000));
  close(ready[0]);
  close(ready[1]);
}

TEST_F(DeviceLockTest, ALinkInPlaceOfTheFileIsNotFollowed) {
  const QString target = folder_.path() + "/elsewhere";
  ASSERT_TRUE(QFile::link(target, Path()));
  DeviceLock lock(Path());
  EXPECT_FALSE(lock.TryLock());
  EXPECT_FALSE(lock.Error().isEmpty());
  EXPECT_FALSE(QFile::exists(target)) << "nothing was created through the link";
  QElapsedTimer timer;
  timer.start();
  EXPECT_FALSE(lock.LockWithin(1000));
  EXPECT_LT(timer.elapsed(), 500) << "an error ends the wait at once";
}
