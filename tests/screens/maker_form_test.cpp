// The maker form without a mouse: the pictures are reached with Tab and the
// arrows, chosen with Left and Right, moved with Ctrl held, removed with Delete.
#include "screens/maker_form.h"

#include <gtest/gtest.h>

#include "screens/screen_messages.h"

namespace tessera {
namespace {

using test::Key;
using test::Message;

MakerPicture Named(const std::string& name) {
  MakerPicture p;
  p.path = p.name = name;
  return p;
}

std::string Order(const MakerForm& form) {
  std::string order;
  for (const MakerPicture& p : form.pictures) order += p.name;
  return order;
}

TEST(MakerFormTest, KeysChooseMoveAndRemovePicturesAndNothingPassesEitherEnd) {
  MakerForm form;
  for (const char* name : {"a", "b", "c", "d"}) form.pictures.push_back(Named(name));
  for (int i = 0; i < 6; ++i) HandleFormMessage(form, Key(VK_DOWN));
  EXPECT_EQ(form.focus, FormField::Pictures);
  HandleFormMessage(form, Key(VK_TAB));
  EXPECT_EQ(form.focus, FormField::Title);
  HandleFormMessage(form, Key(VK_UP));
  ASSERT_EQ(form.focus, FormField::Pictures);

  const WindowMessage ctrlUp = Message(MessageKind::KeyUp, VK_CONTROL);
  HandleFormMessage(form, Key(VK_LEFT));  // the first stays chosen
  HandleFormMessage(form, Key(VK_RIGHT));
  EXPECT_EQ(form.chosen, 1);
  HandleFormMessage(form, Key(VK_CONTROL));
  HandleFormMessage(form, Key(VK_RIGHT));
  HandleFormMessage(form, Key(VK_RIGHT));
  EXPECT_EQ(Order(form), "acdb");
  HandleFormMessage(form, Key(VK_RIGHT));  // past the end: nothing moves
  EXPECT_EQ(Order(form), "acdb");
  HandleFormMessage(form, ctrlUp);
  HandleFormMessage(form, Key(VK_LEFT));
  EXPECT_EQ(Order(form), "acdb");
  EXPECT_EQ(form.chosen, 2);
  HandleFormMessage(form, Key(VK_DELETE));
  EXPECT_EQ(Order(form), "acb");
  HandleFormMessage(form, Key(VK_DELETE));
  EXPECT_EQ(Order(form), "ac");
  EXPECT_EQ(form.chosen, 1);  // the last went: the one before it is chosen
  HandleFormMessage(form, Key(VK_LEFT));
  HandleFormMessage(form, Key(VK_SHIFT));
  HandleFormMessage(form, Key(VK_LEFT));  // past the start: nothing moves
  EXPECT_EQ(Order(form), "ac");
  HandleFormMessage(form, Key(VK_RIGHT));
  EXPECT_EQ(Order(form), "ca");
  EXPECT_EQ(HandleFormMessage(form, Key(VK_RETURN)), FormStep::Make);
  EXPECT_EQ(HandleFormMessage(form, Key(VK_ESCAPE)), FormStep::Cancel);
  // Left and Right step an option's value only while the option has the focus.
  EXPECT_EQ(form.pieces, 50);
}

TEST(MakerFormTest, TheChosenPictureStaysShownAndTheMouseActsOnWhatIsShown) {
  MakerForm form;
  for (int i = 0; i < 25; ++i) form.pictures.push_back(Named(std::to_string(i)));
  form.focus = FormField::Pictures;
  for (int i = 0; i < 30; ++i) HandleFormMessage(form, Key(VK_RIGHT));
  EXPECT_EQ(form.chosen, 24);
  EXPECT_EQ(form.firstShown, 10);  // rows of ten, two shown: the chosen one's row is the last shown
  // The first thumbnail shown (60, 354) is the eleventh picture's; its x removes it.
  const int removeX = 60 + THUMBNAIL_SHOWN - 8, removeY = 354 + 8;
  HandleFormMessage(form, Message(MessageKind::ButtonDown, 0, removeX, removeY));
  HandleFormMessage(form, Message(MessageKind::ButtonUp, 0, removeX, removeY));
  ASSERT_EQ(form.pictures.size(), 24u);
  EXPECT_EQ(form.pictures[10].name, "11");
  EXPECT_EQ(form.chosen, 23);
  for (int i = 0; i < 4; ++i) HandleFormMessage(form, Key(VK_DELETE));
  EXPECT_EQ(form.pictures.size(), 20u);
  EXPECT_EQ(form.firstShown, 0);  // all fit again
  for (int i = 0; i < 30; ++i) HandleFormMessage(form, Key(VK_LEFT));
  EXPECT_EQ(form.chosen, 0);
}

}  // namespace
}  // namespace tessera
