#include <gtest/gtest.h>

#include "macros/MacroRecorder.h"
#include "platform/HookRecords.h"

using macros::MacroActionList;
using macros::MacroRecorder;
using macros::Placement;

namespace {

constexpr uint32_t kDown = platform::kHookKeyDown;
constexpr uint32_t kUp = platform::kHookKeyUp;
constexpr uint32_t kScanA = 0x1E;
constexpr uint32_t kScanB = 0x30;

struct Shape {
  int type;
  bool down;
  int button;
  int delay;
  bool operator==(const Shape&) const = default;
};

std::vector<Shape> Shapes(const MacroActionList& list) {
  std::vector<Shape> shapes;
  for (const auto& row : list.Rows())
    shapes.push_back({row.Event.Type, row.Event.Down, row.Event.Button, row.Event.Delay});
  return shapes;
}

MacroActionList::Row Row(int button, uint16_t delay) {
  MacroActionList::Row row;
  row.Event = {10, true, static_cast<uint8_t>(button), delay};
  return row;
}

class Recorder : public ::testing::Test {
 protected:
  macros::RecordingMemory memory_;
  MacroRecorder recorder_{memory_};
  MacroActionList list_;
};

}  // namespace

// Each event's delay is the time until the next one; the last keeps 0.
TEST_F(Recorder, RealTimeDelaysGoToTheEventBeforeAndAutoRepeatIsDropped) {
  recorder_.Start(MacroRecorder::RealTime, 50, 1000);
  EXPECT_TRUE(recorder_.OnKey(list_, Placement::Append, kDown, kScanA, 0, 1100));
  EXPECT_FALSE(recorder_.OnKey(list_, Placement::Append, kDown, kScanA, 0, 1130)) << "a repeat";
  EXPECT_TRUE(recorder_.OnKey(list_, Placement::Append, kUp, kScanA, 0, 1250));
  EXPECT_TRUE(recorder_.OnKey(list_, Placement::Append, kDown, kScanA, 0, 1300)) << "pressed again";
  EXPECT_TRUE(recorder_.OnKey(list_, Placement::Append, kUp, kScanB, 0, 1310)) << "an up is kept";
  EXPECT_EQ(Shapes(list_), (std::vector<Shape>{{10, true, 4, 150}, {10, false, 4, 50}, {10, true, 4, 10},
                                                {10, false, 5, 0}}));
  EXPECT_EQ(list_.At(0).LabelId, "keyboard_key_A");
  EXPECT_EQ(list_.Selected(), 3);
}

TEST_F(Recorder, ModifiersRecordTheirBitAndUnknownKeysNothing) {
  recorder_.Start(MacroRecorder::NoDelay, 50, 0);
  recorder_.OnKey(list_, Placement::Append, kDown, 0x1D, 0, 1);  // left Ctrl
  recorder_.OnKey(list_, Placement::Append, platform::kHookSysKeyDown, 0x38, 1, 2);  // right Alt
  EXPECT_FALSE(recorder_.OnKey(list_, Placement::Append, kDown, 0x7F, 0, 3));
  EXPECT_EQ(Shapes(list_), (std::vector<Shape>{{9, true, 0x01, 0}, {9, true, 0x40, 0}}));
}

TEST_F(Recorder, FixedDelaysLongPausesAndTheRowLimit) {
  recorder_.Start(MacroRecorder::FixedDelay, 70, 0);
  recorder_.OnKey(list_, Placement::Append, kDown, kScanA, 0, 5);
  recorder_.OnKey(list_, Placement::Append, kUp, kScanA, 0, 9);
  EXPECT_EQ(Shapes(list_), (std::vector<Shape>{{10, true, 4, 70}, {10, false, 4, 70}}));

  MacroActionList list;
  MacroRecorder realTime(memory_);
  realTime.Start(MacroRecorder::RealTime, 50, 0);
  realTime.OnKey(list, Placement::Append, kDown, kScanB, 0, 0);
  realTime.OnKey(list, Placement::Append, kUp, kScanB, 0, 65534);
  realTime.OnKey(list, Placement::Append, kDown, kScanB, 0, 65534 + 70000);
  EXPECT_EQ(list.At(0).Event.Delay, 65534);
  EXPECT_EQ(list.At(1).Event.Delay, 65535);

  MacroActionList full;
  for (int i = 0; i < 4000; ++i)
    full.Insert(full.Count(), Row(4, 0));
  EXPECT_FALSE(realTime.OnKey(full, Placement::Append, kUp, kScanA, 0, 1));
  EXPECT_EQ(full.Count(), 4000u);
}

TEST_F(Recorder, BeforeAfterAndReplaceNeedASelectedRow) {
  for (int button : {0x10, 0x11})
    list_.Insert(list_.Count(), Row(button, 7));
  recorder_.Start(MacroRecorder::NoDelay, 50, 0);
  for (Placement placement : {Placement::Before, Placement::After, Placement::Replace})
    EXPECT_FALSE(recorder_.OnKey(list_, placement, kUp, kScanB, 0, 1));
  EXPECT_EQ(list_.Count(), 2u);

  // Before the second row: consecutive events keep their order in front of it.
  list_.Select(1);
  EXPECT_TRUE(recorder_.OnKey(list_, Placement::Before, kDown, kScanA, 0, 1));
  EXPECT_TRUE(recorder_.OnKey(list_, Placement::Before, kUp, kScanA, 0, 2));
  EXPECT_EQ(Shapes(list_), (std::vector<Shape>{{10, true, 0x10, 7}, {10, true, 4, 0}, {10, false, 4, 0},
                                                {10, true, 0x11, 7}}));
  EXPECT_EQ(list_.Selected(), 3);

  // After the first row: the new row becomes the selected one.
  list_.Select(0);
  EXPECT_TRUE(recorder_.OnKey(list_, Placement::After, kDown, kScanB, 0, 3));
  EXPECT_EQ(list_.At(1).Event.Button, 5);
  EXPECT_EQ(list_.Selected(), 1);

  // Replace: the selected row takes the event and keeps its delay.
  list_.Select(4);
  EXPECT_TRUE(recorder_.OnKey(list_, Placement::Replace, kUp, kScanB, 0, 4));
  EXPECT_EQ(list_.Count(), 5u);
  EXPECT_EQ((Shapes(list_)[4]), (Shape{10, false, 5, 7}));
}

TEST_F(Recorder, MouseButtonsAndTheSameMessageTwice) {
  recorder_.Start(MacroRecorder::NoDelay, 50, 0);
  EXPECT_TRUE(recorder_.OnMouseButton(list_, Placement::Append, platform::kHookLeftDown, 0, 1));
  EXPECT_FALSE(recorder_.OnMouseButton(list_, Placement::Append, platform::kHookLeftDown, 0, 2));
  EXPECT_TRUE(recorder_.OnMouseButton(list_, Placement::Append, platform::kHookLeftUp, 0, 3));
  EXPECT_TRUE(recorder_.OnMouseButton(list_, Placement::Append, platform::kHookExtraDown,
                                      platform::kHookExtraBack << 16, 4));
  EXPECT_TRUE(recorder_.OnMouseButton(list_, Placement::Append, platform::kHookExtraUp,
                                      platform::kHookExtraForward << 16, 5));
  EXPECT_TRUE(recorder_.OnMouseButton(list_, Placement::Append, platform::kHookRightDown, 0, 6));
  EXPECT_FALSE(recorder_.OnMouseButton(list_, Placement::Append, 0x0200u, 0, 7));
  EXPECT_EQ(Shapes(list_), (std::vector<Shape>{{1, true, 1, 0}, {1, false, 1, 0}, {1, true, 8, 0},
                                                {1, false, 16, 0}, {1, true, 2, 0}}));
  EXPECT_EQ(list_.At(0).LabelId, "mouse_key_left");
  // Each placement remembers its own last message.
  list_.Select(0);
  EXPECT_TRUE(recorder_.OnMouseButton(list_, Placement::After, platform::kHookRightDown, 0, 8));
}

// A second recording on a list that already holds events: the last old row
// gets the pause from the start to the first new event.
TEST_F(Recorder, ASecondRecordingTimesTheGapToItsFirstEvent) {
  recorder_.Start(MacroRecorder::RealTime, 50, 0);
  recorder_.OnKey(list_, Placement::Append, kDown, kScanA, 0, 10);
  recorder_.Start(MacroRecorder::RealTime, 50, 1000);
  recorder_.OnKey(list_, Placement::Append, kUp, kScanA, 0, 1400);
  EXPECT_EQ(list_.At(0).Event.Delay, 400);
}

// The memories against auto-repeat and repeated buttons start empty with
// each recording: its first click and first key are kept.
TEST_F(Recorder, ANewRecordingKeepsItsFirstClickAndKey) {
  recorder_.Start(MacroRecorder::NoDelay, 0, 0);
  recorder_.OnMouseButton(list_, Placement::Append, platform::kHookLeftUp, 0, 1);
  recorder_.OnKey(list_, Placement::Append, kDown, kScanA, 0, 2);
  recorder_.Start(MacroRecorder::NoDelay, 0, 0);
  EXPECT_TRUE(recorder_.OnMouseButton(list_, Placement::Append, platform::kHookLeftUp, 0, 3));
  EXPECT_TRUE(recorder_.OnKey(list_, Placement::Append, kDown, kScanA, 0, 4));
  EXPECT_EQ(list_.Count(), 4u);
}

// Rows read back from a file are named as recorded ones are: keys and
// modifiers by the key table, buttons by the mouse table, moves by their
// direction; kinds the program never makes have no name.
TEST(ActionList, RowsFromAFileAreNamedAsRecordedOnes) {
  MacroActionList recorded;
  MacroRecorder recorder;
  recorder.Start(MacroRecorder::NoDelay, 0, 0);
  recorder.OnKey(recorded, Placement::Append, kDown, kScanA, 0, 0);
  recorder.OnKey(recorded, Placement::Append, kDown, 0x2A, 0, 0);  // left Shift
  recorder.OnMouseButton(recorded, Placement::Append, platform::kHookExtraDown,
                         platform::kHookExtraBack << 16, 0);
  ASSERT_EQ(recorded.Count(), 3u);
  for (const auto& row : recorded.Rows()) {
    EXPECT_FALSE(row.LabelId.empty());
    EXPECT_EQ(MacroActionList::RowOf(row.Event).LabelId, row.LabelId);
  }
  EXPECT_EQ(MacroActionList::LabelIdOf({macros::EventType::MoveHorizontal, false, 9, 0}),
            "mouse_move_to_right_text");
  EXPECT_EQ(MacroActionList::LabelIdOf({macros::EventType::MoveVertical, true, 9, 0}),
            "mouse_move_to_up_text");
  EXPECT_EQ(MacroActionList::LabelIdOf({2, true, 1, 0}), "");
  EXPECT_EQ(MacroActionList::LabelIdOf({macros::EventType::Key, true, 0xF0, 0}), "");
}

TEST(ActionList, AMovedRowIsSelectedWhereItLands) {
  MacroActionList list;
  for (int i = 0; i < 4; ++i)
    list.Insert(list.Count(), MacroActionList::RowOf({macros::EventType::Key, true, uint8_t(4 + i), 0}));
  list.Move(0, 9);  // clamped to the last row
  EXPECT_EQ(list.Selected(), 3);
  EXPECT_EQ(list.At(3).Event.Button, 4);
  EXPECT_EQ(list.At(0).Event.Button, 5);
  list.Move(3, 1);
  EXPECT_EQ(list.Selected(), 1);
  EXPECT_EQ(list.At(1).Event.Button, 4);
  list.Move(7, 0);  // no such row
  EXPECT_EQ(list.Selected(), 1);
}
