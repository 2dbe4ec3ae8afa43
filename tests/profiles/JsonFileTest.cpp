#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include "platform/DebugChannel.h"
#include "profiles/JsonFile.h"

namespace {

class JsonFiles : public ::testing::Test {
 protected:
  QString PathOf(const QString& name) const { return dir_.path() + "/" + name; }
  QString Put(const QString& name, const QByteArray& bytes) const {
    QFile file(PathOf(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return PathOf(name);
  }
  static QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }

  QTemporaryDir dir_;
  JsonFile json_;
};

}  // namespace

TEST_F(JsonFiles, ReadsCommentsCrLfAndAnyTopLevelValue) {
  const Json::Value commented = json_.ReadJson(
      Put("c.Json", "// written by hand\r\n{\r\n  \"Device\" : [ { \"A\" : 1 } ] // trailing\r\n}\r\n"));
  EXPECT_EQ(commented["Device"][0]["A"].asInt(), 1);
  EXPECT_EQ(json_.ReadJson(Put("a.Json", "[1, 2, 3]")).size(), 3u);
  EXPECT_EQ(json_.ReadJson(Put("n.Json", "42")).asInt(), 42);
}

TEST_F(JsonFiles, EmptyTruncatedAndMissingFilesReadAsNull) {
  platform::DebugCapture capture;
  for (const char* text : {"", "   \n", "{\"Device\": [ {\"A\": 1", "{\"a\": }", "\xEF\xBB\xBF"})
    EXPECT_TRUE(json_.ReadJson(Put("t.Json", text)).isNull()) << text;
  EXPECT_TRUE(json_.ReadJson(PathOf("missing.Json")).isNull());
  // The open's error (ENOENT) and the path go to the debug channel.
  EXPECT_TRUE(capture.Contains("readjsonFile 错误吗：：2"));
  EXPECT_TRUE(capture.Contains("missing.Json"));
  // A folder is not a file.
  EXPECT_TRUE(json_.ReadJson(dir_.path()).isNull());
}

// A FIFO planted under a profile's name would block a plain open forever.
TEST_F(JsonFiles, SpecialFilesAreNotRead) {
  ASSERT_EQ(::mkfifo(QFile::encodeName(PathOf("fifo.Json")).constData(), 0600), 0);
  QElapsedTimer timer;
  timer.start();
  EXPECT_TRUE(json_.ReadJson(PathOf("fifo.Json")).isNull());
  EXPECT_LT(timer.elapsed(), 5000);
}

// The system would see the name only up to the NUL and open another file.
TEST_F(JsonFiles, PathsWithNulNameNoFile) {
  const QString real = Put("x", "{\"a\": 1}");
  const QString cut = real + QString::fromLatin1("\0.Json", 6);
  EXPECT_TRUE(json_.ReadJson(cut).isNull());
  EXPECT_EQ(json_.WriteJson(cut, Json::Value(5)), -1);
  EXPECT_EQ(Bytes(real), "{\"a\": 1}");
}

TEST_F(JsonFiles, WritesSortedKeysWithLfAndReadsBack) {
  Json::Value value;
  value["Green"] = 2;
  value["Fx"] = 1;
  value["Blue"] = 3;
  value["name"] = "é";
  ASSERT_EQ(json_.WriteJson(PathOf("w.Json"), value), 0);
  const QByteArray text = Bytes(PathOf("w.Json"));
  EXPECT_LT(text.indexOf("\"Blue\""), text.indexOf("\"Fx\""));
  EXPECT_LT(text.indexOf("\"Fx\""), text.indexOf("\"Green\""));
  EXPECT_TRUE(text.endsWith("}\n"));
  EXPECT_FALSE(text.contains('\r'));
  EXPECT_EQ(json_.ReadJson(PathOf("w.Json")), value);
  EXPECT_EQ(json_.WriteJson(PathOf("no/such/folder/w.Json"), value), -1);
}

// A member name with a NUL in it is written whole: cut at the NUL it would
// come back as a second member of the shorter name, and the last one read
// would win.
TEST_F(JsonFiles, MemberNamesWithANulAreWrittenWhole) {
  Json::Value value;
  value["style"] = 1;
  value[std::string("style\0x", 7)] = 7;
  ASSERT_EQ(json_.WriteJson(PathOf("nul.Json"), value), 0);
  const Json::Value back = json_.ReadJson(PathOf("nul.Json"));
  EXPECT_EQ(back, value);
  EXPECT_EQ(back["style"].asInt(), 1);
}

// The file-size limit makes the write fail part-way, as a full disk would;
// the old file must survive whole, and no temporary file may stay behind.
// (Unlike a read-only folder, this also holds when the tests run as root.)
TEST_F(JsonFiles, AFailedWriteLeavesTheOldFileIntact) {
  const QByteArray old = "{\n   \"profilename\" : \"Mine\"\n}\n";
  const QString path = Put("p.Json", old);
  Json::Value big;
  big["profilename"] = std::string(200000, 'x');

  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const int result = json_.WriteJson(path, big);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(result, -1);
  EXPECT_EQ(Bytes(path), old);
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"p.Json"});
  // And the same write goes through once the disk has room.
  EXPECT_EQ(json_.WriteJson(path, big), 0);
  EXPECT_EQ(json_.ReadJson(path), big);
}

// The program's data files are never read through a link; templates and
// imports, which a package or the user may provide as links, are.
TEST_F(JsonFiles, LinksAreFollowedOnlyWhenAsked) {
  const QString target = Put("target.Json", R"({"a": 1})");
  ASSERT_TRUE(QFile::link(target, PathOf("link.Json")));
  EXPECT_TRUE(json_.ReadJson(PathOf("link.Json")).isNull());
  EXPECT_EQ(json_.ReadJsonFollowingLinks(PathOf("link.Json"))["a"].asInt(), 1);
  // Writing replaces the link, never its target.
  ASSERT_EQ(json_.WriteJson(PathOf("link.Json"), Json::Value(2)), 0);
  EXPECT_EQ(Bytes(target), R"({"a": 1})");
  EXPECT_EQ(json_.ReadJson(PathOf("link.Json")).asInt(), 2);
}

TEST_F(JsonFiles, WritingWhatTheFileHoldsWritesNothing) {
  Json::Value value;
  value["profilename"] = "Mine";
  ASSERT_EQ(json_.WriteJson(PathOf("p.Json"), value), 0);
  struct stat before {};
  ASSERT_EQ(::stat(QFile::encodeName(PathOf("p.Json")).constData(), &before), 0);
  ASSERT_EQ(json_.WriteJson(PathOf("p.Json"), value), 0);
  struct stat after {};
  ASSERT_EQ(::stat(QFile::encodeName(PathOf("p.Json")).constData(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}
