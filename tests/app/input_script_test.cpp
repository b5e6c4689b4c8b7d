#include "platform/headless/input_script.h"

#include <gtest/gtest.h>

#include "app/input_state.h"
#include "support/test_support.h"

namespace tessera {
namespace {

TEST(InputScriptTest, ParsesEveryKindOfEvent) {
  std::vector<ScriptEvent> events;
  std::string error;
  ASSERT_TRUE(ParseInputScript(
      "# a comment\n\n10 move 799 599\n20 ldown  # trailing comment\n30 lup\n40 rdouble\n50 mup\n"
      "60 keydown 27\n70 keyup 112\n80 dump frame_1\n90 quit\n",
      events, error))
      << error;
  ASSERT_EQ(events.size(), 9u);
  EXPECT_EQ(events[0].message.kind, MessageKind::MouseMove);
  EXPECT_EQ(events[0].message.x, 799);
  EXPECT_EQ(events[1].message.kind, MessageKind::ButtonDown);
  EXPECT_TRUE(events[1].atCurrentPosition);
  EXPECT_EQ(events[3].message.kind, MessageKind::ButtonDouble);
  EXPECT_EQ(events[3].message.button, MouseButton::Right);
  EXPECT_EQ(events[4].message.button, MouseButton::Middle);
  EXPECT_EQ(events[5].message.virtualKey, 27u);
  EXPECT_EQ(events[6].message.kind, MessageKind::KeyUp);
  EXPECT_EQ(events[7].kind, ScriptEvent::Kind::Dump);
  EXPECT_EQ(events[7].name, "frame_1");
  EXPECT_EQ(events[8].kind, ScriptEvent::Kind::Quit);
  EXPECT_EQ(events[8].ms, 90u);
}

// Typed text is the rest of the line after one space, UTF-8 and inner spaces
// kept; a line with nothing typed is refused.
TEST(InputScriptTest, TextLinesTypeTheRestOfTheLine) {
  std::vector<ScriptEvent> events;
  std::string error;
  ASSERT_TRUE(ParseInputScript("10 text Trip to  \xE6\x97\x85\xE8\xA1\x8C\n20 text  x \r\n", events, error)) << error;
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].message.kind, MessageKind::Text);
  EXPECT_EQ(events[0].message.text, "Trip to  \xE6\x97\x85\xE8\xA1\x8C");
  EXPECT_FALSE(events[0].atCurrentPosition);
  EXPECT_EQ(events[1].message.text, " x");
  EXPECT_FALSE(ParseInputScript("1 quit\n30 text\n", events, error));
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  EXPECT_FALSE(ParseInputScript("30 text   \n", events, error));
}

TEST(InputScriptTest, MalformedLinesNameTheirLine) {
  const struct {
    const char* text;
    const char* lineWord;
  } cases[] = {
      {"10 move 1\n", "line 1"},
      {"\n\n10 jump\n", "line 3"},
      {"x move 1 2\n", "line 1"},
      {"-5 quit\n", "line 1"},
      {"10 move 800 0\n", "line 1"},
      {"10 move 0 -1\n", "line 1"},
      {"10 keydown\n", "line 1"},
      {"10 keydown 256\n", "line 1"},
      {"10 lup now\n", "line 1"},
      {"10 dump ../escape\n", "line 1"},
      {"10\n", "line 1"},
      {"1 quit\n99999999999 quit\n", "line 2"},
  };
  for (const auto& c : cases) {
    std::vector<ScriptEvent> events;
    std::string error;
    EXPECT_FALSE(ParseInputScript(c.text, events, error)) << c.text;
    EXPECT_NE(error.find(c.lineWord), std::string::npos) << c.text << " -> " << error;
  }
}

TEST(HeadlessInputTest, DueEventsArriveInFileOrderWithTheHeldButtons) {
  HeadlessOptions options = test::ScopedPlatform::QuietOptions();
  std::string error;
  ASSERT_TRUE(ParseInputScript("0 move 50 60\n0 ldown\n5 move 70 80\n12 lup\n", options.script, error));
  test::ScopedPlatform platform(options);
  InputState = InputStateRecord{};
  std::vector<WindowMessage> seen;
  WindowMessage m;
  while (platform->PollMessage(m)) seen.push_back(m);
  ASSERT_EQ(seen.size(), 2u);  // only the events due at 0 ms
  EXPECT_EQ(seen[1].x, 50);    // the press takes the current position
  EXPECT_TRUE(platform->LeftButtonHeld());
  Sys().Sleep(5);
  ASSERT_TRUE(platform->PollMessage(m));
  EXPECT_EQ(m.held & HELD_LEFT, HELD_LEFT);  // a move with the left button held
  HandleWindowMessage(m);
  EXPECT_EQ(InputState.MouseEvent, MOUSE_LEFT_DRAG);
  EXPECT_FALSE(platform->PollMessage(m));
  Sys().Sleep(7);
  ASSERT_TRUE(platform->PollMessage(m));
  EXPECT_EQ(m.kind, MessageKind::ButtonUp);
  EXPECT_EQ(m.x, 70);
  EXPECT_FALSE(platform->LeftButtonHeld());
}

}  // namespace
}  // namespace tessera
