#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "travixctl/Output.h"

using travixctl::ControlRequest;
using travixctl::ResultAsJson;
using travixctl::ResultAsText;

namespace {

QJsonObject Json(const char* text) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(text, &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
  return document.object();
}

ControlRequest Request(const char* command, const char* args = "{}") { return {command, Json(args)}; }

std::string Text(const ControlRequest& request, const char* result) {
  return ResultAsText(request, Json(result)).toStdString();
}

}  // namespace

TEST(OutputText, DevicesOneLineEachInColumns) {
  EXPECT_EQ(Text(Request("list"), R"({"devices": [
      {"device": "keyboard", "index": 1, "kind": "keyboard", "connection": "cable", "firmware": "1.02",
       "battery": null, "online": true},
      {"device": "mouse", "index": 1, "kind": "mouse", "connection": "receiver", "firmware": "1.00",
       "battery": 80, "online": true}]})"),
            "keyboard   cable     firmware 1.02\n"
            "mouse      receiver  firmware 1.00  battery 80%\n");
  // The second of a kind is named as it is typed, the column widening for
  // it. Unknown firmware is left out; a device its receiver cannot reach
  // says so.
  EXPECT_EQ(Text(Request("list"), R"({"devices": [
      {"device": "keyboard", "index": 1, "kind": "keyboard", "connection": "cable", "firmware": "2.10",
       "battery": null, "online": true},
      {"device": "keyboard", "index": 2, "kind": "keyboard", "connection": "receiver", "firmware": null,
       "battery": 5, "online": false}]})"),
            "keyboard     cable     firmware 2.10\n"
            "keyboard:2   receiver  battery 5%  offline\n");
  EXPECT_EQ(Text(Request("list"), R"({"devices": []})"), "no devices attached\n");
}

TEST(OutputText, LightingReadsAsLabelledLines) {
  const char* result = R"({"device": "keyboard", "index": 2, "mode": 3, "modeName": "Wave", "brightness": 4,
                           "speed": 1, "colour": "FF8000", "direction": null, "written": true})";
  // Shown: no "written" line, and a mode without direction has no such line.
  EXPECT_EQ(Text(Request("light", R"({"device": "keyboard", "index": 2})"), result),
            "device      keyboard:2\n"
            "mode        Wave (3)\n"
            "brightness  4\n"
            "speed       1\n"
            "colour      FF8000\n");
  // Set: whether the device took it.
  EXPECT_EQ(Text(Request("light", R"({"device": "keyboard", "index": 2, "speed": 1})"), result),
            "device      keyboard:2\n"
            "mode        Wave (3)\n"
            "brightness  4\n"
            "speed       1\n"
            "colour      FF8000\n"
            "written     yes\n");
  EXPECT_EQ(Text(Request("light", R"({"device": "pad", "index": 1, "direction": "second"})"),
                 R"({"device": "pad", "index": 1, "mode": 0, "direction": "second", "written": false})"),
            "device      pad\n"
            "mode        0\n"
            "direction   second\n"
            "written     no\n");
}

TEST(OutputText, ProfilesMarkTheActiveOne) {
  QJsonArray profiles;
  for (int number = 1; number <= 10; ++number)
    profiles.append(QJsonObject{{"number", number}, {"name", QStringLiteral("Profile%1").arg(number)},
                                {"active", number == 2}});
  const QString text = ResultAsText(Request("profile-list"), QJsonObject{{"profiles", profiles}});
  const QStringList lines = text.split('\n');
  ASSERT_EQ(lines.size(), 11);  // and the empty rest after the last newline
  EXPECT_EQ(lines[0], "   1  Profile1");
  EXPECT_EQ(lines[1], "*  2  Profile2");
  EXPECT_EQ(lines[9], "  10  Profile10");
  EXPECT_EQ(Text(Request("profile-list"), R"({"profiles": []})"), "no profiles\n");
}

TEST(OutputText, DpiStagesOneLineEachTheActiveOneMarked) {
  const char* result = R"({"device": "mouse", "index": 1, "activeStage": 2, "reportRate": 1, "stages": [
      {"stage": 1, "dpi": 800, "enabled": true}, {"stage": 2, "dpi": 1600, "enabled": true},
      {"stage": 3, "dpi": 3200, "enabled": false}, {"stage": 4, "dpi": 400, "enabled": true},
      {"stage": 5, "dpi": 6400, "enabled": false}], "written": true})";
  const char* stages =
      "stage 1   800 dpi  on\n"
      "stage 2  1600 dpi  on   (active)\n"
      "stage 3  3200 dpi  off\n"
      "stage 4   400 dpi  on\n"
      "stage 5  6400 dpi  off\n"
      "report rate  1\n";
  // Shown: no "written" line.
  EXPECT_EQ(Text(Request("dpi", R"({"device": "mouse", "index": 1})"), result), stages);
  // Set, by any of the options: whether the mouse took it.
  for (const char* args : {R"({"device": "mouse", "index": 1, "stage": 2})",
                           R"({"device": "mouse", "index": 1, "set": [{"stage": 4, "dpi": 400}]})",
                           R"({"device": "mouse", "index": 1, "enable": [1]})",
                           R"({"device": "mouse", "index": 1, "disable": [3]})",
                           R"({"device": "mouse", "index": 1, "reportRate": 1})"}) {
    SCOPED_TRACE(args);
    EXPECT_EQ(Text(Request("dpi", args), result), std::string(stages) + "written      yes\n");
  }
  // The DPI column widens for five digits; the last stage may be the active one.
  EXPECT_EQ(Text(Request("dpi"), R"({"activeStage": 5, "reportRate": 4, "stages": [
                     {"stage": 1, "dpi": 100, "enabled": true}, {"stage": 2, "dpi": 26000, "enabled": true},
                     {"stage": 3, "dpi": 50, "enabled": false}, {"stage": 4, "dpi": 2000, "enabled": false},
                     {"stage": 5, "dpi": 12000, "enabled": true}]})"),
            "stage 1    100 dpi  on\n"
            "stage 2  26000 dpi  on\n"
            "stage 3     50 dpi  off\n"
            "stage 4   2000 dpi  off\n"
            "stage 5  12000 dpi  on   (active)\n"
            "report rate  4\n");
}

TEST(OutputText, ProfileSettingsAreItsNameThenIndentedJson) {
  const char* settings = R"({"lighting": {"mode": 3, "colour": "FF8000"}, "keys": [1, 2], "name": "Zwei Wörter"})";
  const QJsonObject result{{"name", "Zwei Wörter"}, {"number", 2}, {"settings", Json(settings)}};
  const QString text = ResultAsText(Request("profile-show", R"({"device": "mouse", "index": 1})"), result);
  EXPECT_EQ(text,
            "name  Zwei Wörter\n"
            "{\n"
            "    \"keys\": [\n"
            "        1,\n"
            "        2\n"
            "    ],\n"
            "    \"lighting\": {\n"
            "        \"colour\": \"FF8000\",\n"
            "        \"mode\": 3\n"
            "    },\n"
            "    \"name\": \"Zwei Wörter\"\n"
            "}\n");
  // Everything after the name line reads back as the settings.
  EXPECT_EQ(QJsonDocument::fromJson(text.section('\n', 1).toUtf8()).object(), Json(settings));
  EXPECT_EQ(Text(Request("profile-show"), R"({"name": "P", "number": 1, "settings": {}})"), "name  P\n{\n}\n");
}

TEST(OutputText, ExportAndImportNameTheirFileAndProfile) {
  const ControlRequest exported = Request("profile-export", R"({"device": "mouse", "index": 1, "file": "/a/b.json"})");
  // The file Travix names wins over the one asked for.
  EXPECT_EQ(Text(exported, R"({"file": "/a/c.json"})"), "exported to /a/c.json\n");
  EXPECT_EQ(Text(exported, "{}"), "exported to /a/b.json\n");
  const ControlRequest imported = Request("profile-import", R"({"device": "mouse", "index": 1, "file": "/a/b.json"})");
  EXPECT_EQ(Text(imported, R"({"name": "Profile2", "number": 2})"), "imported as Profile2\n");
  EXPECT_EQ(Text(imported, R"({"number": 7})"), "imported as 7\n");
}

TEST(OutputText, CommandsWithoutAResultSayDone) {
  for (const char* command : {"game-event", "light-same-mode", "profile-select", "profile-reset"}) {
    EXPECT_EQ(Text(Request(command), "{}"), "done\n") << command;
    EXPECT_EQ(Text(Request(command), R"({"profile": 2})"), "done\n") << command;
  }
}

TEST(OutputJson, IsOneCompactLineThatReadsBackTheSame) {
  const QJsonObject result = Json(R"({"devices": [{"device": "headset", "index": 1, "kind": "headset",
      "connection": "receiver", "firmware": null, "battery": 100, "online": true}],
      "note": "Kopfhörer \"Nr. 1\"\nzweite Zeile"})");
  const QString line = ResultAsJson(result);
  EXPECT_FALSE(line.contains('\n'));
  EXPECT_FALSE(line.contains(QLatin1String(": ")));
  EXPECT_EQ(QJsonDocument::fromJson(line.toUtf8()).object(), result);
  // Results that are no object still make one line of JSON.
  EXPECT_EQ(ResultAsJson(QJsonObject()), "{}");
  EXPECT_EQ(ResultAsJson(QJsonArray{1, "two"}), R"([1,"two"])");
  EXPECT_EQ(ResultAsJson(QJsonValue(true)), "true");
  EXPECT_EQ(ResultAsJson(QJsonValue("a \"b\"")), R"("a \"b\"")");
}
