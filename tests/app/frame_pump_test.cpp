#include "app/frame_pump.h"

#include <gtest/gtest.h>

#include "app/input_state.h"
#include "support/test_support.h"

namespace tessera {
namespace {

WindowMessage Key(MessageKind kind, uint32_t vk) {
  WindowMessage m;
  m.kind = kind;
  m.virtualKey = vk;
  return m;
}

WindowMessage Button(MessageKind kind, MouseButton b = MouseButton::Left) {
  WindowMessage m;
  m.kind = kind;
  m.button = b;
  return m;
}

WindowMessage Move(int x, int y) {
  WindowMessage m;
  m.kind = MessageKind::MouseMove;
  m.x = x;
  m.y = y;
  return m;
}

class PumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InputState = InputStateRecord{};
    ShowFps = 0;
    ShowMousePosition = 0;
  }
  test::ScopedPlatform platform;
};

TEST_F(PumpTest, SleepsFiveMillisecondsAndSamplesTheClock) {
  uint32_t before = Sys().Milliseconds();
  PumpFrame();
  EXPECT_EQ(FrameClock, before + 5);
  EXPECT_EQ(platform->ElapsedMs(), 5u);
}

TEST_F(PumpTest, LastMessageWinsAndEventsLastOneFrame) {
  platform->Post(Move(100, 200));
  platform->Post(Button(MessageKind::ButtonDown));
  platform->Post(Button(MessageKind::ButtonUp));
  PumpFrame();
  EXPECT_EQ(InputState.MouseEvent, MOUSE_LEFT_UP);
  EXPECT_EQ(InputState.MouseX, 100);
  EXPECT_EQ(InputState.MouseY, 200);
  PumpFrame();
  EXPECT_EQ(InputState.MouseEvent, MOUSE_NONE);
  EXPECT_EQ(InputState.PrevMouseX, 100);  // position kept, previous follows
}

TEST_F(PumpTest, PressThenMoveLeavesTheDragCode) {
  platform->Post(Button(MessageKind::ButtonDown));
  platform->Post(Move(5, 5));
  PumpFrame();
  EXPECT_EQ(InputState.MouseEvent, MOUSE_LEFT_DRAG);
}

TEST_F(PumpTest, PreviousPositionIsWhereThePointerStoodBeforeThisPump) {
  platform->Post(Move(10, 20));
  PumpFrame();
  platform->Post(Move(30, 50));
  PumpFrame();
  EXPECT_EQ(InputState.PrevMouseX, 10);
  EXPECT_EQ(InputState.PrevMouseY, 20);
  EXPECT_EQ(InputState.MouseX, 30);
}

TEST_F(PumpTest, F1TogglesOnReleaseOnly) {
  platform->Post(Key(MessageKind::KeyDown, VK_F1));
  PumpFrame();
  platform->Post(Key(MessageKind::KeyDown, VK_F1));  // auto-repeat
  PumpFrame();
  EXPECT_EQ(ShowFps, 0);
  platform->Post(Key(MessageKind::KeyUp, VK_F1));
  PumpFrame();
  EXPECT_EQ(ShowFps, 1);
  platform->Post(Key(MessageKind::KeyDown, VK_F1));
  platform->Post(Key(MessageKind::KeyUp, VK_F1));
  PumpFrame();
  EXPECT_EQ(ShowFps, 0);
  platform->Post(Key(MessageKind::KeyUp, VK_F2));
  PumpFrame();
  EXPECT_EQ(ShowMousePosition, 1);
  EXPECT_EQ(ShowFps, 0);
}

TEST_F(PumpTest, ReleaseFollowedByAPressInOnePumpDoesNotToggle) {
  platform->Post(Key(MessageKind::KeyUp, VK_F1));
  platform->Post(Key(MessageKind::KeyDown, 'A'));
  PumpFrame();
  EXPECT_EQ(ShowFps, 0);
  EXPECT_EQ(InputState.KeyEvent, KEY_PRESSED);
  EXPECT_EQ(InputState.LastKey, 'A');
}

TEST(InputMessageTest, MouseCodesFollowTheButtonsHeld) {
  InputState = InputStateRecord{};
  WindowMessage m = Move(3, 4);
  m.held = HELD_LEFT | HELD_RIGHT;
  HandleWindowMessage(m);
  EXPECT_EQ(InputState.MouseEvent, MOUSE_LEFT_DRAG);
  m.held = HELD_RIGHT;
  HandleWindowMessage(m);
  EXPECT_EQ(InputState.MouseEvent, MOUSE_RIGHT_DRAG);
  m.held = HELD_MIDDLE;
  HandleWindowMessage(m);
  EXPECT_EQ(InputState.MouseEvent, MOUSE_MOVE);

  const struct {
    MessageKind kind;
    MouseButton button;
    uint8_t code;
  } cases[] = {
      {MessageKind::ButtonDown, MouseButton::Left, 244},   {MessageKind::ButtonUp, MouseButton::Left, 245},
      {MessageKind::ButtonDouble, MouseButton::Left, 246}, {MessageKind::ButtonDown, MouseButton::Right, 247},
      {MessageKind::ButtonUp, MouseButton::Right, 248},    {MessageKind::ButtonDouble, MouseButton::Right, 249},
      {MessageKind::ButtonDown, MouseButton::Middle, 250}, {MessageKind::ButtonUp, MouseButton::Middle, 251},
      {MessageKind::ButtonDouble, MouseButton::Middle, 252},
  };
  for (const auto& c : cases) {
    HandleWindowMessage(Button(c.kind, c.button));
    EXPECT_EQ(InputState.MouseEvent, c.code);
  }
}

TEST(InputMessageTest, KeyCodesKeepTheirLowEightBits) {
  InputState = InputStateRecord{};
  HandleWindowMessage(Key(MessageKind::KeyDown, 0x1B + 0x100));
  EXPECT_EQ(InputState.KeyEvent, KEY_PRESSED);
  EXPECT_EQ(InputState.LastKey, 27);
}

class TimerTest : public ::testing::Test {
 protected:
  test::ScopedPlatform platform;
};

TEST_F(TimerTest, ElapsedOnlyWhenStrictlyMoreThanThePeriodHasPassed) {
  IntervalTimer t;
  t.Start(1000);
  Sys().Sleep(1000);
  EXPECT_FALSE(t.Elapsed());
  Sys().Sleep(1);
  EXPECT_TRUE(t.Elapsed());
  EXPECT_FALSE(t.Elapsed());  // same millisecond after a success
}

TEST_F(TimerTest, LongGapsReportOnceAndMeasureFromTheTest) {
  IntervalTimer t;
  t.Start(1000);
  Sys().Sleep(3500);
  EXPECT_TRUE(t.Elapsed());
  EXPECT_FALSE(t.Elapsed());
  Sys().Sleep(1000);
  EXPECT_FALSE(t.Elapsed());
  Sys().Sleep(1);
  EXPECT_TRUE(t.Elapsed());
}

TEST_F(TimerTest, ANewTimerIsElapsedAtItsFirstTest) {
  Sys().Sleep(1);
  IntervalTimer t;
  EXPECT_TRUE(t.Elapsed());
}

TEST_F(TimerTest, RestartKeepsThePeriod) {
  IntervalTimer t;
  t.Start(100);
  Sys().Sleep(90);
  t.Restart();
  Sys().Sleep(90);
  EXPECT_FALSE(t.Elapsed());
  Sys().Sleep(11);
  EXPECT_TRUE(t.Elapsed());
}

TEST(TimerWrapTest, SurvivesTheWrapOfTheClock) {
  HeadlessOptions options = test::ScopedPlatform::QuietOptions();
  options.clockStart = 0xFFFFFF00u;
  test::ScopedPlatform platform(options);
  IntervalTimer t;
  t.Start(1000);
  Sys().Sleep(600);  // the clock wraps past zero here
  EXPECT_LT(Sys().Milliseconds(), 1000u);
  EXPECT_FALSE(t.Elapsed());
  Sys().Sleep(401);
  EXPECT_TRUE(t.Elapsed());
}

}  // namespace
}  // namespace tessera
