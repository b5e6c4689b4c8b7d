// The campaign picker: its keys, its clicks, and a whole pick in the window.
#include "screens/campaign_picker.h"

#include <gtest/gtest.h>

#include "app/input_script.h"
#include "gfx/pixel_format.h"
#include "gfx/text.h"
#include "support/test_support.h"

namespace tessera {
namespace {

WindowMessage Key(uint32_t key) {
  WindowMessage m;
  m.kind = MessageKind::KeyDown;
  m.virtualKey = key;
  return m;
}

WindowMessage Mouse(MessageKind kind, int x, int y, MouseButton button = MouseButton::Left) {
  WindowMessage m;
  m.kind = kind;
  m.x = x;
  m.y = y;
  m.button = button;
  return m;
}

// Line k of the list is 34 pixels high from y = 110, between x = 100 and 700.
int LineY(int k) { return 110 + 34 * k + 10; }

TEST(CampaignPickerTest, KeysMoveWithinTheListReturnPicksEscapeQuits) {
  PickerState s;
  s.count = 3;
  EXPECT_EQ(HandlePickerMessage(s, Key(VK_UP)), PickerStep::None);
  EXPECT_EQ(s.selected, 0);
  for (int i = 0; i < 4; ++i) HandlePickerMessage(s, Key(VK_DOWN));
  EXPECT_EQ(s.selected, 2);
  HandlePickerMessage(s, Key(VK_UP));
  EXPECT_EQ(HandlePickerMessage(s, Key(VK_RETURN)), PickerStep::Chosen);
  EXPECT_EQ(s.selected, 1);
  EXPECT_EQ(HandlePickerMessage(s, Key(VK_ESCAPE)), PickerStep::Quit);
  EXPECT_EQ(HandlePickerMessage(s, Mouse(MessageKind::Close, 0, 0)), PickerStep::Quit);

  PickerState empty;
  EXPECT_EQ(HandlePickerMessage(empty, Key(VK_RETURN)), PickerStep::None);
}

TEST(CampaignPickerTest, AClickPicksTheLinePressedAndReleasedOn) {
  PickerState s;
  s.count = 3;
  HandlePickerMessage(s, Mouse(MessageKind::MouseMove, 300, LineY(2)));
  EXPECT_EQ(s.selected, 2);
  EXPECT_EQ(PickerLineAt(s, 99, LineY(0)), -1);
  EXPECT_EQ(PickerLineAt(s, 300, LineY(3)), -1);  // below the last name

  // Pressed on one line, released on another: nothing.
  HandlePickerMessage(s, Mouse(MessageKind::ButtonDown, 300, LineY(0)));
  EXPECT_EQ(HandlePickerMessage(s, Mouse(MessageKind::ButtonUp, 300, LineY(1))), PickerStep::None);
  HandlePickerMessage(s, Mouse(MessageKind::ButtonDown, 300, LineY(1), MouseButton::Right));
  EXPECT_EQ(HandlePickerMessage(s, Mouse(MessageKind::ButtonUp, 300, LineY(1), MouseButton::Right)),
            PickerStep::None);
  HandlePickerMessage(s, Mouse(MessageKind::ButtonDown, 300, LineY(1)));
  EXPECT_EQ(HandlePickerMessage(s, Mouse(MessageKind::ButtonUp, 300, LineY(1))), PickerStep::Chosen);
  EXPECT_EQ(s.selected, 1);
}

TEST(CampaignPickerTest, LongListsScrollWithTheSelection) {
  PickerState s;
  s.count = 30;
  HandlePickerMessage(s, Key(VK_END));
  EXPECT_EQ(s.selected, 29);
  EXPECT_EQ(PickerLineAt(s, 300, LineY(11)), 29);
  EXPECT_EQ(PickerLineAt(s, 300, LineY(0)), 18);
  HandlePickerMessage(s, Key(VK_PRIOR));
  EXPECT_EQ(s.selected, 17);
  EXPECT_EQ(PickerLineAt(s, 300, LineY(0)), 17);
}

TEST(CampaignPickerTest, RunsInTheWindowUntilAPick) {
  HeadlessOptions options = test::ScopedPlatform::QuietOptions();
  std::string error;
  ASSERT_TRUE(ParseInputScript("100 move 300 " + std::to_string(LineY(2)) + "\n150 ldown\n170 lup\n",
                               options.script, error));
  test::ScopedPlatform platform(options);
  InitTextRenderer();
  EXPECT_EQ(PickCampaign({"demo", "demo-zh-cn", "holiday"}), 2);
  EXPECT_GE(platform->FramesShown(), 5u);
  // The plain background, the picked line's band and the pointer over it.
  auto at = [&](int x, int y) {
    const uint8_t* p = platform->Surface().data() + y * platform->Pitch() + x * 2;
    return static_cast<uint16_t>(p[0] | p[1] << 8);
  };
  EXPECT_EQ(at(40, 300), PackRgb(24, 28, 40));
  EXPECT_EQ(at(95, LineY(2)), PackRgb(60, 72, 104));
  EXPECT_EQ(at(302, LineY(2) + 6), PackRgb(255, 255, 255));
  ReleaseTextRenderer();

  HeadlessOptions quit = test::ScopedPlatform::QuietOptions();
  ASSERT_TRUE(ParseInputScript("50 keydown 27\n", quit.script, error));
  test::ScopedPlatform second(quit);
  EXPECT_EQ(PickCampaign({"a", "b"}), -1);
}

}  // namespace
}  // namespace tessera
