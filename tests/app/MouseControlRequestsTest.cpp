#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <optional>

#include "app/ControlRequests.h"
#include "mouse/DpiSteps.h"
#include "support/SimulatedMousePage.h"
#include "toolkit/CEditUI.h"

using testing_support::RunUntil;

namespace {

// The command line's DPI requests against the running program and a
// simulated mouse.
class MouseControlRequests : public testing_support::SimulatedMousePage {
 protected:
  QJsonObject Ask(const QJsonObject& args) {
    std::optional<QJsonObject> answer;
    window_->Control().Handle({{"id", 1}, {"command", "dpi"}, {"args", args}},
                              [&](const QJsonObject& reply) { answer = reply; });
    EXPECT_TRUE(RunUntil([&] { return answer.has_value(); }, 5000)) << "never answered";
    Settle();
    return answer.value_or(QJsonObject{});
  }
  int StageSteps(int stage) { return Block()[Parameters::kStagesOffset + 9 * stage + 2]; }
};

}  // namespace

// Stages set from the command line end where the settings page puts them:
// the profile, the mouse's block, and the page's own controls.
TEST_F(MouseControlRequests, StagesAndTheReportRateGoTheSettingsPagesWay) {
  Start();
  const mouse::SensorParameters sensor = mouse_->Mouse().Sensor();
  ASSERT_TRUE(sensor.Valid());
  const int dpi = mouse::StepsToDpi(sensor, 40);
  const QJsonObject reply = Ask({{"device", "mouse"},
                                 {"set", QJsonArray{QJsonObject{{"stage", 2}, {"dpi", dpi}}}},
                                 {"enable", QJsonArray{4}},
                                 {"stage", 4},
                                 {"reportRate", 1}});
  ASSERT_TRUE(reply.value("ok").toBool()) << QJsonDocument(reply).toJson().toStdString();
  const QJsonObject result = reply.value("result").toObject();
  EXPECT_TRUE(result.value("written").toBool());
  EXPECT_EQ(result.value("activeStage").toInt(), 4);
  EXPECT_EQ(result.value("reportRate").toInt(), 1);
  const QJsonArray stages = result.value("stages").toArray();
  ASSERT_EQ(stages.size(), 5);
  EXPECT_EQ(stages[1].toObject().value("dpi").toInt(), dpi);
  EXPECT_TRUE(stages[3].toObject().value("enabled").toBool());

  EXPECT_EQ(StageSteps(1), 40);
  EXPECT_EQ(Block()[Parameters::kActiveStageOffset], 3);
  EXPECT_EQ(Block()[Parameters::kReportRateOffset], 1);
  EXPECT_EQ(Profile()["DPIStages"]["StageDPIs"][1]["StageDPIX"].asInt(), 40);
  EXPECT_EQ(Control<toolkit::CEditUI>("DPI_edit_1")->GetText(), QString::number(dpi));

  // Nothing asked shows the stages as they are.
  const QJsonObject shown = Ask({{"device", "mouse"}}).value("result").toObject();
  EXPECT_EQ(shown.value("activeStage").toInt(), 4);
  EXPECT_FALSE(shown.contains("written"));
}

TEST_F(MouseControlRequests, RefusedChangesLeaveTheMouseAsItWas) {
  Start();
  const auto block = Block();
  const int active = mouse_->Mouse().ActiveStage() + 1;
  const std::vector<std::pair<QJsonObject, const char*>> cases = {
      {{{"device", "mouse"}, {"set", QJsonArray{QJsonObject{{"stage", 1}, {"dpi", 1000000}}}}},
       "out-of-range"},
      {{{"device", "mouse"}, {"set", QJsonArray{QJsonObject{{"stage", 6}, {"dpi", 800}}}}}, "out-of-range"},
      {{{"device", "mouse"}, {"stage", 0}}, "out-of-range"},
      {{{"device", "mouse"}, {"disable", QJsonArray{active}}}, "out-of-range"},
      {{{"device", "mouse"}, {"reportRate", 5}}, "out-of-range"},
      {{{"device", "mouse"}, {"index", 2}}, "unknown-device"},
      {{{"device", "keyboard"}}, "unknown-device"},
  };
  for (const auto& [args, error] : cases) {
    const QJsonObject reply = Ask(args);
    EXPECT_EQ(reply.value("error").toString(), error) << QJsonDocument(args).toJson().toStdString();
  }
  EXPECT_EQ(Block(), block);
}
