// The campaign picker: its keys and clicks, and a whole pick in the window.
#include "screens/campaign_picker.h"

#include <gtest/gtest.h>

#include "gfx/pixel_format.h"
#include "gfx/text.h"
#include "platform/headless/input_script.h"
#include "support/test_support.h"

namespace tessera {
namespace {

WindowMessage Message(MessageKind kind, uint32_t key = 0, int x = 0, int y = 0) {
  WindowMessage m;
  m.kind = kind;
  m.virtualKey = key;
  m.x = x;
  m.y = y;
  return m;
}
WindowMessage Key(uint32_t key) { return Message(MessageKind::KeyDown, key); }

// Line k of the list is 34 pixels high from y = 110, between x = 100 and 700.
int LineY(int k) { return 110 + 34 * k + 10; }

TEST(CampaignPickerTest, KeysAndClicksPickEscapeAndCloseQuit) {
  PickerState s;
  s.count = 3;
  for (uint32_t key : {VK_UP, VK_DOWN, VK_DOWN, VK_DOWN, VK_UP}) EXPECT_EQ(HandlePickerMessage(s, Key(key)), PickerStep::None);
  EXPECT_EQ(s.selected, 1);  // stays within the list
  EXPECT_EQ(HandlePickerMessage(s, Key(VK_RETURN)), PickerStep::Chosen);
  EXPECT_EQ(HandlePickerMessage(s, Key(VK_ESCAPE)), PickerStep::Quit);
  EXPECT_EQ(HandlePickerMessage(s, Message(MessageKind::Close)), PickerStep::Quit);

  // A click counts where pressed and released on the same line.
  HandlePickerMessage(s, Message(MessageKind::MouseMove, 0, 300, LineY(2)));
  EXPECT_EQ(s.selected, 2);
  HandlePickerMessage(s, Message(MessageKind::ButtonDown, 0, 300, LineY(0)));
  EXPECT_EQ(HandlePickerMessage(s, Message(MessageKind::ButtonUp, 0, 300, LineY(1))), PickerStep::None);
  HandlePickerMessage(s, Message(MessageKind::ButtonDown, 0, 300, LineY(3)));  // below the list
  EXPECT_EQ(HandlePickerMessage(s, Message(MessageKind::ButtonUp, 0, 300, LineY(3))), PickerStep::None);
  HandlePickerMessage(s, Message(MessageKind::ButtonDown, 0, 300, LineY(1)));
  EXPECT_EQ(HandlePickerMessage(s, Message(MessageKind::ButtonUp, 0, 300, LineY(1))), PickerStep::Chosen);
  EXPECT_EQ(s.selected, 1);

  PickerState many;  // long lists scroll with the selection
  many.count = 30;
  HandlePickerMessage(many, Key(VK_END));
  EXPECT_EQ(PickerLineAt(many, 300, LineY(11)), 29);
}

TEST(CampaignPickerTest, RunsInTheWindowUntilAPick) {
  HeadlessOptions options = test::ScopedPlatform::QuietOptions();
  std::string error;
  ASSERT_TRUE(ParseInputScript("100 move 300 " + std::to_string(LineY(2)) + "\n150 ldown\n170 lup\n", options.script, error));
  test::ScopedPlatform platform(options);
  InitTextRenderer();
  EXPECT_EQ(PickCampaign({"demo", "demo-zh-cn", "trip"}), 2);
  ReleaseTextRenderer();
  // The plain background, the picked line's band and the pointer over it.
  auto at = [&](int x, int y) {
    const uint8_t* p = platform->Surface().data() + y * platform->Pitch() + x * 2;
    return static_cast<uint16_t>(p[0] | p[1] << 8);
  };
  EXPECT_EQ(at(40, 300), PackRgb(24, 28, 40));
  EXPECT_EQ(at(95, LineY(2)), PackRgb(60, 72, 104));
  EXPECT_EQ(at(302, LineY(2) + 6), PackRgb(255, 255, 255));
}

}  // namespace
}  // namespace tessera
