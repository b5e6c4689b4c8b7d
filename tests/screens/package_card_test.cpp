// The package card: its buttons by click and key, and a whole choice in the window.
#include "screens/package_card.h"

#include <gtest/gtest.h>

#include "platform/headless/input_script.h"
#include "gfx/bmp_write.h"
#include "gfx/pixel_format.h"
#include "gfx/text.h"
#include "screens/ui_text.h"
#include "support/test_support.h"

namespace tessera {
namespace {

content::PackageInfo Info() {
  content::PackageInfo info;
  info.manifest.title = "Holiday";
  info.manifest.author = "Grandma";
  info.manifest.language = "English";
  info.manifest.levels = 12;
  info.packageBytes = 13321976;
  info.claimedBytes = 45467375;
  std::vector<uint8_t> rgb(100 * 100 * 3, 0);
  for (size_t i = 0; i < rgb.size(); i += 3) rgb[i] = 200;  // red
  info.thumbnail = EncodeBmp24(100, 100, rgb.data());
  return info;
}

CardButton ShowCard(bool installed, const std::string& script, test::ScopedPlatform*& out,
               std::unique_ptr<test::ScopedPlatform>& keep) {
  HeadlessOptions options = test::ScopedPlatform::QuietOptions();
  std::string error;
  EXPECT_TRUE(ParseInputScript(script, options.script, error)) << error;
  keep.reset();  // one platform at a time: the old one unsets itself when it goes
  keep = std::make_unique<test::ScopedPlatform>(options);
  out = keep.get();
  InitTextRenderer();
  const CardButton chosen = ShowPackageCard(Info(), installed);
  ReleaseTextRenderer();
  return chosen;
}

TEST(PackageCardTest, ClicksAndKeysChooseEscapeAndCloseCancel) {
  PackageCardState s;
  CardButton chosen = CardButton::Install;
  auto message = [](MessageKind kind, int x = 0, int y = 0, uint32_t key = 0) {
    WindowMessage m;
    m.kind = kind;
    m.x = x;
    m.y = y;
    m.virtualKey = key;
    return m;
  };
  // Two buttons: "Install and play" from x 100, "Cancel" from x 410, at y 420..467.
  EXPECT_EQ(CardButtonAt(s, 150, 440), 0);
  EXPECT_EQ(CardButtonAt(s, 450, 440), 1);
  EXPECT_EQ(CardButtonAt(s, 400, 440), -1);
  EXPECT_EQ(CardButtonAt(s, 150, 470), -1);
  HandleCardMessage(s, message(MessageKind::ButtonDown, 150, 440), chosen);
  EXPECT_EQ(HandleCardMessage(s, message(MessageKind::ButtonUp, 450, 440), chosen), CardStep::None);
  HandleCardMessage(s, message(MessageKind::ButtonDown, 450, 440), chosen);
  EXPECT_EQ(HandleCardMessage(s, message(MessageKind::ButtonUp, 450, 440), chosen), CardStep::Chosen);
  EXPECT_EQ(chosen, CardButton::Cancel);
  EXPECT_EQ(HandleCardMessage(s, message(MessageKind::KeyDown, 0, 0, VK_RETURN), chosen), CardStep::Chosen);
  EXPECT_EQ(chosen, CardButton::Install);
  EXPECT_EQ(HandleCardMessage(s, message(MessageKind::KeyDown, 0, 0, VK_ESCAPE), chosen), CardStep::Chosen);
  EXPECT_EQ(chosen, CardButton::Cancel);
  EXPECT_EQ(HandleCardMessage(s, message(MessageKind::Close), chosen), CardStep::Quit);
  EXPECT_EQ(chosen, CardButton::Cancel);

  // The same campaign installed: Replace first, then Keep both, then Cancel.
  s.installed = true;
  EXPECT_EQ(CardButtons(s), (std::vector<CardButton>{CardButton::Replace, CardButton::Install, CardButton::Cancel}));
  EXPECT_EQ(HandleCardMessage(s, message(MessageKind::KeyDown, 0, 0, VK_RETURN), chosen), CardStep::Chosen);
  EXPECT_EQ(chosen, CardButton::Replace);
}

TEST(PackageCardTest, ShowsThePackageAndTakesAClick) {
  test::ScopedPlatform* platform = nullptr;
  std::unique_ptr<test::ScopedPlatform> keep;
  EXPECT_EQ(ShowCard(false, "100 move 200 440\n150 ldown\n170 lup\n", platform, keep), CardButton::Install);
  auto at = [&](int x, int y) {
    const uint8_t* p = (*platform)->Surface().data() + y * (*platform)->Pitch() + x * 2;
    return static_cast<uint16_t>(p[0] | p[1] << 8);
  };
  EXPECT_EQ(at(40, 300), PackRgb(24, 28, 40));     // background
  EXPECT_EQ(at(150, 170), PackRgb(200, 0, 0));     // the thumbnail, doubled
  EXPECT_EQ(at(299, 319), PackRgb(200, 0, 0));
  EXPECT_EQ(at(105, 465), PackRgb(84, 100, 144));  // the lit button under the pointer
  EXPECT_EQ(ShowCard(true, "100 keydown 13\n", platform, keep), CardButton::Replace);
  EXPECT_EQ(ShowCard(false, "100 keydown 27\n", platform, keep), CardButton::Cancel);
}

// A package's texts are UTF-8; the card draws them in its campaign's code page
// (a traditional-Chinese title in Big5), and the game's again once it is done.
TEST(PackageCardTest, TitlesAreDrawnInTheCampaignsCodePage) {
  content::PackageInfo info = Info();
  EXPECT_EQ(PackageCardCharset(info), Charset::GB2312);
  info.manifest.language = "ChineseTraditional";
  EXPECT_EQ(PackageCardCharset(info), Charset::Big5);
  HeadlessOptions options = test::ScopedPlatform::QuietOptions();
  std::string error;
  ASSERT_TRUE(ParseInputScript("100 keydown 27\n", options.script, error)) << error;
  test::ScopedPlatform platform(options);
  InitTextRenderer(PackageCardCharset(info));
  EXPECT_EQ(ShownText("\xE5\x81\x87\xE6\x97\xA5", 24, 360), "\xB0\xB2\xA4\xE9");  // 假日
  InitTextRenderer(Charset::GB2312);
  EXPECT_EQ(ShownText("\xE5\x81\x87\xE6\x97\xA5", 24, 360), "\xBC\xD9\xC8\xD5");
  EXPECT_EQ(ShowPackageCard(info, false), CardButton::Cancel);
  EXPECT_EQ(TextCharset(), Charset::GB2312);  // the game's language (simplified) again
  ReleaseTextRenderer();
}

}  // namespace
}  // namespace tessera
