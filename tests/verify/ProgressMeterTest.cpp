// Progress figures: share, smoothed speed, time left, and their text forms.
#include "verify/clsProgressMeter.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(ProgressMeter, ShareSpeedAndTimeLeftFollowTheSamples) {
    clsProgressMeter meter;
    EXPECT_EQ(meter.Percent(), 0);
    EXPECT_FALSE(meter.SecondsLeft());
    meter.Sample(10.0, 0, 1000);
    EXPECT_FALSE(meter.SecondsLeft()); // one sample gives no speed
    meter.Sample(11.0, 100, 1000);
    EXPECT_EQ(meter.Percent(), 10);
    EXPECT_DOUBLE_EQ(meter.BytesPerSecond(), 100.0);
    EXPECT_DOUBLE_EQ(*meter.SecondsLeft(), 9.0);
    // A jump in speed is followed by a third for each second of a three-second window.
    meter.Sample(12.0, 500, 1000);
    EXPECT_DOUBLE_EQ(meter.BytesPerSecond(), 200.0);
    meter.Sample(12.0, 600, 1000); // no time passed: no new speed
    EXPECT_DOUBLE_EQ(meter.BytesPerSecond(), 200.0);
    EXPECT_EQ(meter.Percent(), 60);
    meter.Sample(20.0, 999, 1000);
    EXPECT_EQ(meter.Percent(), 99); // never rounded up to a finished look
    meter.Sample(21.0, 1000, 1000);
    EXPECT_EQ(meter.Percent(), 100);
    EXPECT_DOUBLE_EQ(*meter.SecondsLeft(), 0.0);
    // A new list starts from nothing; so does a meter that is reset.
    meter.Sample(22.0, 0, 50);
    EXPECT_EQ(meter.Percent(), 0);
    meter.Reset();
    EXPECT_FALSE(meter.SecondsLeft());
    EXPECT_EQ(meter.BytesPerSecond(), 0.0);
}

TEST(ProgressMeter, NothingToHashIsNoShare) {
    clsProgressMeter meter;
    meter.Sample(1.0, 0, 0);
    meter.Sample(2.0, 0, 0);
    EXPECT_EQ(meter.Percent(), 0);
    EXPECT_FALSE(meter.SecondsLeft());
}

TEST(ProgressText, BytesAndDurations) {
    for (const auto& [bytes, text] :
         {std::tuple{0.0, "0 B"}, std::tuple{999.0, "999 B"}, std::tuple{1000.0, "1.00 KB"},
          std::tuple{1536.0, "1.54 KB"}, std::tuple{99949.0, "99.9 KB"}, std::tuple{999499.0, "999 KB"},
          std::tuple{999500.0, "1.00 MB"}, std::tuple{2147483648.0, "2.15 GB"}, std::tuple{5e15, "5.00 PB"}}) {
        EXPECT_EQ(FormatBytes(bytes), text) << bytes;
    }
    for (const auto& [seconds, text] :
         {std::tuple{0.0, "0:00"}, std::tuple{0.2, "0:01"}, std::tuple{59.0, "0:59"}, std::tuple{61.5, "1:02"},
          std::tuple{3599.0, "59:59"}, std::tuple{3600.0, "1:00:00"}, std::tuple{86399.0, "23:59:59"}}) {
        EXPECT_EQ(FormatDuration(seconds), text) << seconds;
    }
}
