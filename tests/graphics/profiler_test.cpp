// The frame profiler's two limits (records per frame and nesting depth) and the frame-rate
// statistics it logs at shut-down.
#include "graphics/profiler.h"

#include <gtest/gtest.h>

namespace {

class Profiler : public ::testing::Test {
 protected:
  void SetUp() override {
    Profiler_SetFixedFrameTime(64000);
    Profiler_Reset();
    Profiler_ResetStatistics();
  }
  void TearDown() override {
    Profiler_SetFixedFrameTime(0);
    Profiler_Reset();
    Profiler_ResetStatistics();
  }
};

TEST_F(Profiler, SectionsBeyondTheRecordLimitAreNotKeptAndTheirEndsCloseNothing) {
  Profiler_StartFrame();  // "Total" is the first record
  Profiler_Begin(1, "outer");
  for (int i = 0; i < kProfilerMaxRecords; ++i) {
    Profiler_Begin(2, "leaf");
    Profiler_End();
  }
  ASSERT_EQ(Profiler_Records().size(), static_cast<size_t>(kProfilerMaxRecords));
  // The refused leaves' ends left "outer" open: it closes now, and then "Total".
  EXPECT_EQ(Profiler_OpenDepth(), 2);
  Profiler_End();
  EXPECT_EQ(Profiler_OpenDepth(), 1);
  EXPECT_GT(Profiler_Records()[1].end, Profiler_Records()[1].start);
  EXPECT_EQ(Profiler_CloseFrame(), 64000);
  EXPECT_EQ(Profiler_OpenDepth(), 0);
}

TEST_F(Profiler, SectionsNestedBeyondTheDepthLimitAreNotKept) {
  Profiler_StartFrame();
  for (int i = 1; i < kProfilerMaxDepth + 5; ++i) Profiler_Begin(3, "nested");
  EXPECT_EQ(Profiler_OpenDepth(), kProfilerMaxDepth);
  EXPECT_EQ(Profiler_Records().size(), static_cast<size_t>(kProfilerMaxDepth));
  // Five ends answer the five refused opens; the sixth closes the deepest kept section.
  for (int i = 0; i < 5; ++i) Profiler_End();
  EXPECT_EQ(Profiler_OpenDepth(), kProfilerMaxDepth);
  Profiler_End();
  EXPECT_EQ(Profiler_OpenDepth(), kProfilerMaxDepth - 1);
  // Ends with nothing open do nothing.
  Profiler_CloseFrame();
  Profiler_StartFrame();
  Profiler_End();
  Profiler_End();
  EXPECT_EQ(Profiler_OpenDepth(), 0);
}

TEST_F(Profiler, StatisticsCountFramesFromTheHundredAndSecond) {
  for (int i = 0; i < 101; ++i) Profiler_CountFrame(i % 2 == 0 ? 10000 : 40000);
  EXPECT_EQ(Profiler_Statistics().minimum, INT32_MAX);
  EXPECT_EQ(Profiler_Statistics().maximum, INT32_MIN);
  EXPECT_EQ(Profiler_Statistics().average, 30);
  Profiler_CountFrame(10000);  // 100 fps: (30 + 100) / 2
  Profiler_CountFrame(40000);  // 25 fps: (65 + 25) / 2
  Profiler_CountFrame(0);      // a frame of no length counts as one microsecond
  EXPECT_EQ(Profiler_Statistics().minimum, 25);
  EXPECT_EQ(Profiler_Statistics().maximum, 1000000);
  EXPECT_EQ(Profiler_Statistics().average, (45 + 1000000) / 2);
  EXPECT_EQ(Profiler_Statistics().frames, 104);
}

}  // namespace
