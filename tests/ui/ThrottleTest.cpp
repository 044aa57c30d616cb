// The throttle, platform-free: a fake clock and a fake timer that comes when
// the clock passes it, as a window's WM_TIMER would. Built natively under the
// sanitizers.
#include "ui/Throttle.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct FakeTimer {
  uint32_t now = 50000;
  bool refused = false;  // the system has no timer to give
  bool set = false;
  uint32_t setAt = 0, wait = 0;
  int kills = 0;
};

class ThrottleTest : public testing::Test {
 protected:
  Throttle Make(uint32_t delay, bool firstAtOnce) {
    ThrottleTimer seam{
        [this] { return fake.now; },
        [this](uint32_t wait) {
          if (fake.refused) return false;
          fake.set = true;
          fake.setAt = fake.now;
          fake.wait = wait;
          return true;
        },
        [this] {
          fake.set = false;
          ++fake.kills;
        },
    };
    return Throttle(delay, firstAtOnce, seam, [this](ThrottleRun run) {
      runs.push_back(run);
      if (onRun) onRun();
    });
  }

  // The clock moves on; a timer it passes comes (once: the throttle kills it).
  void Advance(Throttle& throttle, uint32_t milliseconds) {
    for (uint32_t step = 0; step < milliseconds; ++step) {
      ++fake.now;
      if (fake.set && fake.now - fake.setAt >= fake.wait) throttle.TimerCame();
    }
  }

  FakeTimer fake;
  std::vector<ThrottleRun> runs;
  std::function<void()> onRun;
};

using Runs = std::vector<ThrottleRun>;
constexpr ThrottleRun kNow = ThrottleRun::Now, kTimer = ThrottleRun::Timer;

TEST_F(ThrottleTest, FirstCallRunsAtOnceAndCallsWithinTheDelayComeTogetherWhenItEnds) {
  Throttle throttle = Make(100, true);
  throttle.Call();
  EXPECT_EQ(runs, Runs{kNow});
  EXPECT_FALSE(throttle.Pending());
  EXPECT_FALSE(fake.set);
  Advance(throttle, 30);
  throttle.Call();
  EXPECT_TRUE(throttle.Pending());
  EXPECT_EQ(fake.wait, 70u);  // what is left of the delay since the run
  Advance(throttle, 20);
  throttle.Call();
  throttle.Call();
  EXPECT_EQ(fake.wait, 70u);  // the pending run keeps its time
  Advance(throttle, 49);
  EXPECT_EQ(runs, Runs{kNow});
  Advance(throttle, 1);
  EXPECT_EQ(runs, (Runs{kNow, kTimer}));
  EXPECT_FALSE(throttle.Pending());
  EXPECT_FALSE(fake.set);
  Advance(throttle, 500);
  throttle.Call();  // a whole delay after the last run: at once again
  EXPECT_EQ(runs, (Runs{kNow, kTimer, kNow}));
}

TEST_F(ThrottleTest, WithoutFirstAtOnceEveryCallWaitsTheWholeDelay) {
  Throttle throttle = Make(45, false);
  throttle.CallAfter(500);
  EXPECT_TRUE(runs.empty());
  EXPECT_EQ(fake.wait, 500u);
  Advance(throttle, 500);
  EXPECT_EQ(runs, Runs{kTimer});
  Advance(throttle, 10000);
  throttle.Call();
  EXPECT_EQ(fake.wait, 45u);
  EXPECT_EQ(runs, Runs{kTimer});
}

TEST_F(ThrottleTest, FlushRunsAPendingRunNowAndNothingWithoutOne) {
  Throttle throttle = Make(100, false);
  throttle.Flush();
  throttle.TimerCame();  // a timer message left over after its kill
  EXPECT_TRUE(runs.empty());
  throttle.Call();
  throttle.Flush();
  EXPECT_EQ(runs, Runs{kNow});
  EXPECT_FALSE(throttle.Pending());
  EXPECT_FALSE(fake.set);
  EXPECT_EQ(fake.kills, 1);
  throttle.Flush();
  Advance(throttle, 200);
  EXPECT_EQ(runs, Runs{kNow});
  throttle.RunNow();  // asked for, pending or not
  EXPECT_EQ(runs, (Runs{kNow, kNow}));
}

TEST_F(ThrottleTest, CancelDropsThePendingRun) {
  Throttle throttle = Make(100, false);
  throttle.Call();
  throttle.Cancel();
  EXPECT_FALSE(throttle.Pending());
  EXPECT_FALSE(fake.set);
  Advance(throttle, 200);
  throttle.TimerCame();
  EXPECT_TRUE(runs.empty());
}

TEST_F(ThrottleTest, WithoutATimerTheRunComesAtOnce) {
  Throttle throttle = Make(100, true);
  throttle.Call();
  fake.refused = true;
  throttle.Call();
  EXPECT_EQ(runs, (Runs{kNow, kNow}));
  EXPECT_FALSE(throttle.Pending());
  fake.refused = false;
  throttle.Call();
  fake.refused = true;
  throttle.HastenTo(10);  // the timer could not be set again
  EXPECT_EQ(runs, (Runs{kNow, kNow, kNow}));
  EXPECT_FALSE(throttle.Pending());
}

TEST_F(ThrottleTest, HastenBringsAPendingRunEarlierNeverLater) {
  fake.now = 0xFFFFFF00u;  // the clock wraps round while the run is pending
  Throttle throttle = Make(45, false);
  throttle.Hasten();
  EXPECT_FALSE(throttle.Pending());  // nothing pending: nothing to hasten
  throttle.CallAfter(500);
  Advance(throttle, 400);
  throttle.HastenTo(200);
  EXPECT_EQ(fake.wait, 500u);  // due in 100 already
  throttle.Hasten();
  EXPECT_EQ(fake.wait, 45u);
  Advance(throttle, 44);
  EXPECT_TRUE(runs.empty());
  Advance(throttle, 1);
  EXPECT_EQ(runs, Runs{kTimer});
}

TEST_F(ThrottleTest, ACallbackThatCallsAgainStaysPending) {
  Throttle throttle = Make(45, false);
  onRun = [&] {
    if (runs.size() == 1) throttle.CallAfter(300);  // a sorted view's count, later
  };
  throttle.Call();
  Advance(throttle, 45);
  EXPECT_TRUE(throttle.Pending());
  EXPECT_EQ(fake.wait, 300u);
  Advance(throttle, 300);
  EXPECT_EQ(runs, (Runs{kTimer, kTimer}));
  EXPECT_FALSE(throttle.Pending());
}

}  // namespace
