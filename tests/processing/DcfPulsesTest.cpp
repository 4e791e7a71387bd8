// DCF77 pulses from hand-made marker brightness sequences.
#include <gtest/gtest.h>

#include <set>

#include "processing/DcfPulses.h"

namespace vargaze {
namespace {

// A pulse of `frames` lamp-on frames of `perFrame` net counts each.
void pulse(DcfCollector& c, std::int32_t first, int frames, std::int64_t perFrame) {
  for (int i = 0; i < frames; ++i) c.addLampFrame(first + i, perFrame);
}

std::vector<std::string> fields(const DCFrec& p) {
  return {std::to_string(p.fnum), std::to_string(p.fcount), std::to_string(p.counts),
          std::to_string(p.interval)};
}

TEST(DcfCollector, ConsecutiveLampFramesFormOnePulse) {
  DcfCollector c;
  c.addLampFrame(5, 100);
  c.addLampFrame(6, 200);
  c.addLampFrame(7, 300);
  c.addLampFrame(30, 50);
  ASSERT_EQ(c.DCFlist.size(), 2u);
  EXPECT_EQ(fields(c.DCFlist[0]), (std::vector<std::string>{"5", "2", "600", "0"}));
  EXPECT_EQ(fields(c.DCFlist[1]), (std::vector<std::string>{"30", "0", "50", "25"}));
}

// 25 frames a second; bit 0 lights 2 frames, bit 1 four, 1000 counts each.
// Seconds 55-58 of one minute, the dark second 59, then seconds 0-58 of the
// next with ones in seconds 20, 51, 52 and 55: the year 2 + 4 + 20 = 26.
class DcfMinuteTest : public ::testing::Test {
 protected:
  DcfMinuteTest() {
    const std::set<int> ones = {20, 51, 52, 55};
    int k = 0;
    for (int s = 55; s <= 58; ++s, ++k) pulse(c, 1 + 25 * k, 2, 1000);
    ++k;  // second 59: no pulse
    for (int s = 0; s <= 58; ++s, ++k) pulse(c, 1 + 25 * k, ones.count(s) ? 4 : 2, 1000);
  }
  DcfCollector c;
};

TEST_F(DcfMinuteTest, MinuteMarkBitsAndYear) {
  const DcfResult r = evaluateDcf(c.DCFlist);
  // 62 intervals: 61 of 25 frames and one of 50 -> 1575 / 62 = 25.4.
  EXPECT_EQ(r.m1, 25);
  // Completed sums of pulses 2..63: 4 of 4000 and 58 of 2000 -> 132000 / 62.
  EXPECT_EQ(r.m2, 2129);
  EXPECT_EQ(r.cx, 3000);
  ASSERT_EQ(r.dcfbit.size(), 58u);  // seconds 1..58
  EXPECT_EQ(r.dcfbit[19], 1);       // second 20
  EXPECT_EQ(r.year, 26);

  const std::vector<std::string> lines = dcfResultLines(r);
  ASSERT_EQ(lines.size(), 65u);
  EXPECT_EQ(lines[0], "1, 0, 2000, 0");
  EXPECT_EQ(lines[4], "126, -1, 2000, 50");  // the pulse after the dark second
  EXPECT_EQ(lines[24], "626, 1, 4000, 25");  // second 20
  EXPECT_EQ(lines[63], "mittl. intervall=25 mittl. counts=2129");
  EXPECT_EQ(lines[64], "Jahr=26");
}

TEST_F(DcfMinuteTest, TruncatedFirstPulseDoesNotShiftTheThreshold) {
  // The recording starts in the last frame of a pulse.
  DcfCollector late;
  late.addLampFrame(2, 1000);
  for (std::size_t i = 1; i < c.DCFlist.size(); ++i) {
    pulse(late, c.DCFlist[i].fnum, c.DCFlist[i].fcount + 1, 1000);
  }
  const DcfResult r = evaluateDcf(late.DCFlist);
  EXPECT_EQ(r.cx, 3000);
  EXPECT_EQ(r.pulses[0].fcount, 0);
  EXPECT_EQ(r.year, 26);
}

TEST_F(DcfMinuteTest, TooFewBitsAfterTheMarkLeaveTheYearUnknown) {
  std::vector<DCFrec> shortened(c.DCFlist.begin(), c.DCFlist.begin() + 4 + 57);  // seconds 0..56
  const DcfResult r = evaluateDcf(shortened);
  EXPECT_EQ(r.dcfbit.size(), 56u);  // bit 57 missing
  EXPECT_EQ(dcfResultLines(r).back(), "Jahr=unbekannt");
}

TEST(DcfEvaluation, WithoutGapNoBitsAreTaken) {
  DcfCollector c;
  for (int k = 0; k < 70; ++k) pulse(c, 1 + 25 * k, k % 3 == 0 ? 4 : 2, 500);
  const DcfResult r = evaluateDcf(c.DCFlist);
  EXPECT_EQ(r.m1, 25);
  EXPECT_TRUE(r.dcfbit.empty());
  EXPECT_FALSE(r.year.has_value());
  EXPECT_EQ(std::vector({r.pulses[3].fcount, r.pulses[4].fcount}), std::vector({1, 0}));
}

TEST(DcfEvaluation, SinglePulseHasNoMeans) {
  DcfCollector c;
  pulse(c, 10, 3, 700);
  EXPECT_EQ(dcfResultLines(evaluateDcf(c.DCFlist)),
            (std::vector<std::string>{"10, 1, 2100, 0", "mittl. intervall=0 mittl. counts=0",
                                      "Jahr=unbekannt"}));
}

}  // namespace
}  // namespace vargaze
