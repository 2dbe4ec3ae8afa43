// The screen sampler: first the grid and its statistics on synthetic screens
// (no X), then passes over the root of a private Xvfb that the test paints
// itself over xcb. The X cases are skipped with a message only where no X
// server can be started.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/DebugChannel.h"
#include "platform/ScreenGrid.h"
#include "platform/ScreenSampler.h"
#include "support/PrivateXServer.h"

namespace platform {

// Readable failures.
void PrintTo(const ScreenColour& colour, std::ostream* out) {
  *out << "mean " << colour.meanRed << "/" << colour.meanGreen << "/" << colour.meanBlue << " spread "
       << colour.spreadRed << "/" << colour.spreadGreen << "/" << colour.spreadBlue;
}

}  // namespace platform

namespace {

using platform::ScreenColour;
using platform::ScreenGrid;
using platform::ScreenSampler;
using Availability = platform::ScreenSampler::Availability;

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;

ScreenColour Colour(int red, int green, int blue, int spreadRed = 0, int spreadGreen = 0,
                    int spreadBlue = 0) {
  return {red, green, blue, spreadRed, spreadGreen, spreadBlue};
}

// A screen in memory, 0x00RRGGBB per pixel.
struct SyntheticScreen {
  SyntheticScreen(int w, int h, uint32_t colour)
      : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), colour) {}
  void Fill(int x, int y, int w, int h, uint32_t colour) {
    for (int row = y; row < y + h; ++row)
      std::fill_n(pixels.begin() + row * width + x, w, colour);
  }
  // What the sampler does with the rows it fetched.
  ScreenColour Measure() const {
    const ScreenGrid grid(width, height);
    std::vector<uint32_t> packed(grid.PackedSize());
    for (const ScreenGrid::Row& row : grid.Rows())
      std::copy_n(pixels.begin() + row.y * width + row.first, row.width, packed.begin() + row.offset);
    return grid.Measure(packed);
  }

  int width;
  int height;
  std::vector<uint32_t> pixels;
};

struct Point {
  int x;
  int y;
};

std::vector<Point> PointsOf(const ScreenGrid& grid) {
  std::vector<Point> points;
  for (const ScreenGrid::Row& row : grid.Rows())
    for (int x : row.columns)
      points.push_back({x, row.y});
  return points;
}

// --- The statistics -------------------------------------------------------

TEST(ScreenColourTest, OneColourHasItsOwnValuesAndNoSpread) {
  const std::vector<uint32_t> red(144, kRed);
  EXPECT_EQ(ScreenColour::OfSamples(red), Colour(255, 0, 0));
  const std::vector<uint32_t> mixed(100, 0x14C878);
  EXPECT_EQ(ScreenColour::OfSamples(mixed), Colour(20, 200, 120));
}

TEST(ScreenColourTest, HalvesGiveTheIntegerMeanAndTheSampleSpread) {
  // Red 255 and 0: mean 255 / 2 = 127; (128² + 127²) / 1 = 32513, root 180.3.
  // Green 128 and 0: mean 64; 2 · 64² = 8192, root 90.5. Blue 64 and 0: mean
  // 32; 2 · 32² = 2048, root 45.25.
  EXPECT_EQ(ScreenColour::OfSamples(std::vector<uint32_t>{0xFF8040, 0x000000}),
            Colour(127, 64, 32, 180, 90, 45));
  // Four samples divide by n - 1 = 3: (2 · 128² + 2 · 127²) / 3 = 21675, root 147.2.
  EXPECT_EQ(ScreenColour::OfSamples(std::vector<uint32_t>{kRed, kRed, 0, 0}), Colour(127, 0, 0, 147, 0, 0));
}

TEST(ScreenColourTest, MeanAndVarianceStayInIntegers) {
  // Blue 1 and 2: the mean is 1 (not 1.5), so the squares are 0 and 1 and the
  // spread is 1; in real numbers it would be 0.7, i.e. 0.
  EXPECT_EQ(ScreenColour::OfSamples(std::vector<uint32_t>{0x000001, 0x000002}), Colour(0, 0, 1, 0, 0, 1));
}

TEST(ScreenColourTest, OneSampleHasNoSpreadAndNoSamplesGiveZeros) {
  EXPECT_EQ(ScreenColour::OfSamples(std::vector<uint32_t>{0x123456}), Colour(0x12, 0x34, 0x56));
  EXPECT_EQ(ScreenColour::OfSamples({}), Colour(0, 0, 0));
  // Bits above the blue, green and red bytes are no colour.
  EXPECT_EQ(ScreenColour::OfSamples(std::vector<uint32_t>{0xFF102030}), Colour(0x10, 0x20, 0x30));
}

TEST(ScreenColourTest, TheRecordIsTheThreeMeansThenTheThreeSpreads) {
  const ScreenColour colour = Colour(1, 2, 3, 4, 5, 6);
  EXPECT_EQ(colour.Record(), (std::array<int32_t, 6>{1, 2, 3, 4, 5, 6}));
}

// --- The grid -------------------------------------------------------------

// 800 × 600 worked by hand: sx = 80, sy = 60, stride = 40 · 30 = 1200, and
// k runs from 480 · 360 - 1 = 172799 down to 1199: 144 points. Image row
// k / 800 from the bottom is screen row 479 - k / 800, i.e. 478 down to 264;
// k % 800 alternates 799 and 399, i.e. screen columns 639 and 239 (less
// 2 · sx).
TEST(ScreenGridTest, AnEightHundredBySixHundredScreenIsReadOnTwoColumnsOfTheBand) {
  const ScreenGrid grid(800, 600);
  const std::vector<Point> points = PointsOf(grid);
  ASSERT_EQ(points.size(), 144u);
  EXPECT_EQ(grid.Points(), 144u);
  std::set<int> columns;
  int top = 600;
  int bottom = -1;
  for (const Point& point : points) {
    columns.insert(point.x);
    top = std::min(top, point.y);
    bottom = std::max(bottom, point.y);
  }
  EXPECT_EQ(columns, (std::set<int>{239, 639}));
  EXPECT_EQ(top, 264);
  EXPECT_EQ(bottom, 478);

  // Halves: 72 red points left of 400, 72 black right of it. Mean 127;
  // 72 · (128² + 127²) / 143 = 16370, root 127.9.
  SyntheticScreen screen(800, 600, 0);
  screen.Fill(0, 0, 400, 600, kRed);
  EXPECT_EQ(screen.Measure(), Colour(127, 0, 0, 127, 0, 0));
}

TEST(ScreenGridTest, PointsLieInTheBandOfRowsFortyFourToEightyPercentAndTheLeftEightyPercent) {
  const std::pair<int, int> sizes[] = {{1024, 768},  {1920, 1080}, {1366, 768}, {2560, 1440},
                                       {3840, 2160}, {1080, 1920}, {640, 480}};
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    const ScreenGrid grid(width, height);
    const std::vector<Point> points = PointsOf(grid);
    ASSERT_FALSE(points.empty());
    // About 20 × 20 grid points over the 36 % of the picture the count covers.
    EXPECT_GE(points.size(), 100u);
    EXPECT_LE(points.size(), 150u);
    int top = height;
    int bottom = -1;
    for (const Point& point : points) {
      EXPECT_GE(point.x, 0);
      EXPECT_LT(point.x, width * 81 / 100);
      EXPECT_GE(point.y, height * 43 / 100);
      EXPECT_LT(point.y, height * 81 / 100);
      top = std::min(top, point.y);
      bottom = std::max(bottom, point.y);
    }
    // The whole height of the band is read.
    EXPECT_LE(top, height * 45 / 100);
    EXPECT_GE(bottom, height * 78 / 100);
  }
}

TEST(ScreenGridTest, AnAllRedScreenReadsPureRedWhereverThePointsFall) {
  // On these sizes the picture's black margin would take about a fifth of
  // the points (red 204, spread 102): only screen pixels are read.
  for (const auto& [width, height] : {std::pair{1024, 768}, {1920, 1080}, {1366, 768}, {2560, 1440}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    SyntheticScreen screen(width, height, kRed);
    EXPECT_EQ(screen.Measure(), Colour(255, 0, 0));
    // The pixels outside the band are not read.
    SyntheticScreen framed(width, height, kBlue);
    framed.Fill(0, height * 43 / 100, width * 81 / 100, height * 81 / 100 - height * 43 / 100, kRed);
    EXPECT_EQ(framed.Measure(), Colour(255, 0, 0));
  }
}

TEST(ScreenGridTest, RowsAreOrderedAndTheirSpansPackOneAfterAnother) {
  const ScreenGrid grid(1920, 1080);
  size_t offset = 0;
  int previous = -1;
  for (const ScreenGrid::Row& row : grid.Rows()) {
    EXPECT_GT(row.y, previous);
    previous = row.y;
    ASSERT_FALSE(row.columns.empty());
    EXPECT_TRUE(std::is_sorted(row.columns.begin(), row.columns.end()));
    EXPECT_EQ(row.first, row.columns.front());
    EXPECT_EQ(row.width, row.columns.back() - row.first + 1);
    EXPECT_EQ(row.offset, offset);
    offset += static_cast<size_t>(row.width);
  }
  EXPECT_EQ(grid.PackedSize(), offset);
  // A buffer too short for the rows measures nothing.
  const std::vector<uint32_t> shorter(grid.PackedSize() - 1, kRed);
  EXPECT_EQ(grid.Measure(shorter), Colour(0, 0, 0));
}

TEST(ScreenGridTest, ScreensUnderTwentyPixelsAreReadWithoutEndlessLoops) {
  // The stride would be 0 on all of these.
  for (int width = 1; width <= 25; ++width)
    for (int height = 1; height <= 25; ++height) {
      if (width >= 20 && height >= 20)
        continue;
      SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
      const ScreenGrid grid(width, height);
      const std::vector<Point> points = PointsOf(grid);
      ASSERT_FALSE(points.empty());
      for (const Point& point : points) {
        EXPECT_TRUE(point.x >= 0 && point.x < width && point.y >= 0 && point.y < height);
      }
      SyntheticScreen screen(width, height, 0x00FF00);
      EXPECT_EQ(screen.Measure(), Colour(0, 255, 0));
    }
  // Long and thin: every pixel of the band, still bounded.
  EXPECT_EQ(SyntheticScreen(19, 4000, kBlue).Measure(), Colour(0, 0, 255));
  EXPECT_EQ(SyntheticScreen(4000, 3, kBlue).Measure(), Colour(0, 0, 255));
}

TEST(ScreenGridTest, AOnePixelScreenIsOneSampleAndNoPixelsNone) {
  const ScreenGrid one(1, 1);
  ASSERT_EQ(one.Rows().size(), 1u);
  EXPECT_EQ(one.Rows()[0].y, 0);
  EXPECT_EQ(one.Rows()[0].columns, std::vector<int>{0});
  EXPECT_EQ(SyntheticScreen(1, 1, 0x102030).Measure(), Colour(0x10, 0x20, 0x30));

  for (const auto& [width, height] : {std::pair{0, 0}, {0, 100}, {100, 0}, {-5, 100}}) {
    const ScreenGrid none(width, height);
    EXPECT_TRUE(none.Rows().empty());
    EXPECT_EQ(none.Points(), 0u);
    EXPECT_EQ(none.Measure({}), Colour(0, 0, 0));
  }
}

// --- Against an X server --------------------------------------------------

using testing_support::RootPainter;
using testing_support::XServer;

// Sets or clears environment variables for one test and puts them back.
class Environment {
 public:
  ~Environment() {
    // Last change first, so a variable set twice gets its first value back.
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second)
        setenv(it->first.c_str(), it->second->c_str(), 1);
      else
        unsetenv(it->first.c_str());
    }
  }
  void Set(const std::string& name, const char* value) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
    if (value != nullptr)
      setenv(name.c_str(), value, 1);
    else
      unsetenv(name.c_str());
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

constexpr ScreenSampler::PixelPath kBothPaths[] = {ScreenSampler::PixelPath::SharedMemoryWhereOffered,
                                                   ScreenSampler::PixelPath::Replies};

class ScreenSamplerTest : public ::testing::Test {
 protected:
  // One server per test program; gtest runs each case in a program of its own
  // under ctest, and the cases without X never start one.
  static void SetUpTestSuite() {
    server_ = new XServer;
    server_->Start();
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (server_->display.empty())
      GTEST_SKIP() << server_->failure;
    painter_.emplace(server_->display);
    ASSERT_TRUE(painter_->Connected());
    // A Wayland desktop the tests run on says nothing about this server.
    environment_.Set("WAYLAND_DISPLAY", nullptr);
    environment_.Set("XDG_SESSION_TYPE", nullptr);
  }

  static std::string Display() { return server_->display; }

  static inline XServer* server_ = nullptr;
  std::optional<RootPainter> painter_;
  Environment environment_;
};

TEST_F(ScreenSamplerTest, ASolidRootReadsItsColourAndFollowsAChange) {
  for (const auto path : kBothPaths) {
    SCOPED_TRACE(path == ScreenSampler::PixelPath::Replies ? "replies" : "shared memory");
    ScreenSampler sampler(Display(), path);
    ASSERT_EQ(sampler.GetAvailability(), Availability::Available);
    painter_->Solid(kRed);
    EXPECT_EQ(sampler.Sample(), Colour(255, 0, 0));
    // A local Xvfb offers MIT-SHM.
    EXPECT_EQ(sampler.UsesSharedMemory(), path == ScreenSampler::PixelPath::SharedMemoryWhereOffered);
    painter_->Solid(0x14C878);
    EXPECT_EQ(sampler.Sample(), Colour(20, 200, 120));
    painter_->Solid(0x000000);
    EXPECT_EQ(sampler.Sample(), Colour(0, 0, 0));
  }
}

TEST_F(ScreenSamplerTest, OnlyTheBandOfRowsFortyFourToEightyPercentAndTheLeftEightyPercentIsRead) {
  const int width = painter_->Width();
  const int height = painter_->Height();
  ScreenSampler sampler(Display());
  // Blue around the band, red in it: pure red.
  painter_->Solid(kBlue);
  painter_->Rectangle(kRed, 0, height * 43 / 100, width * 81 / 100, height * 81 / 100 - height * 43 / 100);
  EXPECT_EQ(sampler.Sample(), Colour(255, 0, 0));
  // The band's upper half blue, the rest red: points on both.
  painter_->Solid(kRed);
  painter_->Rectangle(kBlue, 0, 0, width, height * 62 / 100);
  const std::optional<ScreenColour> halves = sampler.Sample();
  ASSERT_TRUE(halves.has_value());
  EXPECT_GT(halves->meanRed, 60);
  EXPECT_LT(halves->meanRed, 195);
  EXPECT_GT(halves->meanBlue, 60);
  EXPECT_LT(halves->meanBlue, 195);
  EXPECT_GT(halves->spreadRed, 100);
}

TEST_F(ScreenSamplerTest, AnAreaIsReadInRootCoordinates) {
  ScreenSampler sampler(Display());
  painter_->Solid(kBlue);
  painter_->Rectangle(kRed, 100, 50, 300, 200);
  EXPECT_EQ(sampler.Sample({100, 50, 300, 200}), Colour(255, 0, 0));
  // The whole root as an area is the root.
  painter_->Solid(0x204060);
  EXPECT_EQ(sampler.Sample({0, 0, painter_->Width(), painter_->Height()}), Colour(0x20, 0x40, 0x60));
}

TEST_F(ScreenSamplerTest, SixteenAndThirtyBitScreensAreScaledToEightBitsPerColour) {
  struct Case {
    const char* screen;
    uint32_t red;
    uint32_t mixed;
    ScreenColour mixedColour;
  };
  const Case cases[] = {
      // 5-6-5: 16 of 31 is 131.6 of 255, 16 of 63 is 64.8, 4 of 31 is 32.9.
      {".1", 0xF800, (16u << 11) | (16u << 5) | 4u, Colour(132, 65, 33)},
      // 10-10-10: the top eight bits; 512 is 128, 257 is 64, 3 is 0.
      {".2", 0x3FFu << 20, (512u << 20) | (257u << 10) | 3u, Colour(128, 64, 0)},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.screen);
    const std::string display = Display() + test.screen;
    RootPainter painter(display);
    ASSERT_TRUE(painter.Connected());
    ASSERT_EQ(painter.Width(), 640) << "the screen of that number";
    for (const auto path : kBothPaths) {
      ScreenSampler sampler(display, path);
      ASSERT_EQ(sampler.GetAvailability(), Availability::Available);
      painter.Solid(test.red);
      EXPECT_EQ(sampler.Sample(), Colour(255, 0, 0));
      painter.Solid(test.mixed);
      EXPECT_EQ(sampler.Sample(), test.mixedColour);
    }
  }
}

TEST_F(ScreenSamplerTest, AFailingRequestGivesNothingAndTheNextPassReadsAgain) {
  platform::DebugCapture debug;
  for (const auto path : kBothPaths) {
    ScreenSampler sampler(Display(), path);
    painter_->Solid(kRed);
    ASSERT_EQ(sampler.Sample(), Colour(255, 0, 0));
    // An area past the root: the server refuses the rows beyond it (BadMatch).
    EXPECT_EQ(sampler.Sample({0, 0, painter_->Width() * 2, painter_->Height() * 2}), std::nullopt);
    EXPECT_EQ(sampler.Sample({painter_->Width() - 10, 0, 100, 100}), std::nullopt);
    // Beyond X's coordinates: not even asked.
    EXPECT_EQ(sampler.Sample({0, 0, 40000, 100}), std::nullopt);
    EXPECT_EQ(sampler.Sample({0, 0, 0, 100}), std::nullopt);
    EXPECT_EQ(sampler.Sample(), Colour(255, 0, 0));
  }
  EXPECT_TRUE(debug.Contains("screen sampler: the screen could not be read (X error 8)"));
}

TEST_F(ScreenSamplerTest, ALostServerGivesNothingWithoutEndingTheProgram) {
  XServer own;
  own.Start();
  ASSERT_FALSE(own.display.empty()) << own.failure;
  ScreenSampler sampler(own.display);
  ASSERT_TRUE(sampler.Sample().has_value());
  testing_support::Stop(own.pid, SIGKILL);
  EXPECT_EQ(sampler.Sample(), std::nullopt);
  EXPECT_EQ(sampler.Sample({0, 0, 100, 100}), std::nullopt);
  EXPECT_EQ(sampler.Sample(), std::nullopt);
}

TEST_F(ScreenSamplerTest, ADisplayThatCannotBeOpenedIsUnavailable) {
  ScreenSampler sampler(":65001");
  EXPECT_EQ(sampler.GetAvailability(), Availability::NoDisplay);
  EXPECT_FALSE(sampler.IsAvailable());
  EXPECT_EQ(sampler.Sample(), std::nullopt);
  EXPECT_EQ(sampler.Sample({0, 0, 10, 10}), std::nullopt);
  ScreenSampler malformed("not a display");
  EXPECT_EQ(malformed.GetAvailability(), Availability::NoDisplay);

  environment_.Set("DISPLAY", nullptr);
  EXPECT_EQ(ScreenSampler().GetAvailability(), Availability::NoDisplay);
  // A screen the server does not have.
  EXPECT_EQ(ScreenSampler(Display() + ".5").GetAvailability(), Availability::NoDisplay);
}

TEST_F(ScreenSamplerTest, AWaylandSessionIsUnavailableButAServerNamedApartIsRead) {
  painter_->Solid(kRed);
  environment_.Set("DISPLAY", Display().c_str());
  EXPECT_EQ(ScreenSampler().GetAvailability(), Availability::Available);

  environment_.Set("WAYLAND_DISPLAY", "wayland-0");
  ScreenSampler session;
  EXPECT_EQ(session.GetAvailability(), Availability::WaylandSession);
  EXPECT_EQ(session.Sample(), std::nullopt);
  EXPECT_EQ(ScreenSampler(Display()).GetAvailability(), Availability::WaylandSession)
      << "DISPLAY named explicitly is still the session's";

  environment_.Set("WAYLAND_DISPLAY", nullptr);
  environment_.Set("XDG_SESSION_TYPE", "wayland");
  EXPECT_EQ(ScreenSampler().GetAvailability(), Availability::WaylandSession);
  environment_.Set("XDG_SESSION_TYPE", "x11");
  EXPECT_EQ(ScreenSampler().GetAvailability(), Availability::Available);

  // The session's display is elsewhere; this one is a server of its own.
  environment_.Set("WAYLAND_DISPLAY", "wayland-0");
  environment_.Set("DISPLAY", ":65001");
  ScreenSampler nested(Display());
  EXPECT_EQ(nested.GetAvailability(), Availability::Available);
  EXPECT_EQ(nested.Sample(), Colour(255, 0, 0));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
