// Views: rectangles of a picture drawn as pictures of their own without a copy
// (a level's pieces). Every operation must see a view exactly as it would see
// a copy of the same rectangle, and a view must never read past its picture.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "gfx/draw.h"
#include "gfx/image.h"
#include "gfx_fixtures.h"

namespace tessera::test {
namespace {

std::shared_ptr<Image> Picture(int width, int height, uint16_t key = 0) {
  return std::shared_ptr<Image>(NumberedImage(width, height, key));
}

// The rectangle as a picture of its own, the way pieces used to be cut.
ImagePtr CopyOf(const Image& source, int x, int y, int width, int height) {
  ImagePtr copy = CreateImage(width, height, source.key);
  CutImage(&source, copy.get(), x, y);
  return copy;
}

TEST(ImageView, ShowsItsRectangleRowByRow) {
  const auto picture = Picture(40, 30);
  Image view;
  ASSERT_TRUE(MakeView(view, picture, 7, 11, 25, 19));
  EXPECT_EQ(view.width, 25);
  EXPECT_EQ(view.height, 19);
  EXPECT_EQ(view.Stride(), 40u);
  EXPECT_TRUE(view.pixels.empty());
  EXPECT_TRUE(view.Covered());
  for (int y = 0; y < 19; ++y)
    for (int x = 0; x < 25; ++x) ASSERT_EQ(view.At(x, y), picture->At(7 + x, 11 + y)) << x << "," << y;

  // A view of a view shows the same pixels of the first picture.
  auto outer = std::make_shared<Image>(view);
  Image inner;
  ASSERT_TRUE(MakeView(inner, outer, 3, 2, 4, 4));
  EXPECT_EQ(inner.viewed, picture);
  EXPECT_EQ(inner.At(0, 0), picture->At(10, 13));
  EXPECT_EQ(inner.At(3, 3), picture->At(13, 16));

  // Writing through a view writes the picture.
  view.At(0, 0) = 0xBEEF;
  EXPECT_EQ(picture->At(7, 11), 0xBEEF);
}

TEST(ImageView, RectanglesNotWhollyInsideThePictureAreRefused) {
  const auto picture = Picture(50, 40);
  struct Case {
    int x, y, w, h;
    bool made;
  } cases[] = {
      {0, 0, 50, 40, true},   {25, 15, 25, 25, true}, {49, 39, 1, 1, true},  {50, 0, 0, 40, true},
      {26, 0, 25, 25, false}, {0, 16, 25, 25, false}, {-1, 0, 25, 25, false}, {0, -1, 25, 25, false},
      {0, 0, -1, 5, false},   {0, 0, 51, 1, false},   {50, 40, 1, 1, false},  {0, 0, 70000, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.w << "x" << c.h);
    Image view;
    view.width = 3;
    EXPECT_EQ(MakeView(view, picture, c.x, c.y, c.w, c.h), c.made);
    if (!c.made) {
      EXPECT_EQ(view.width, 3);  // left as it was
      EXPECT_EQ(view.viewed, nullptr);
    }
  }
  Image view;
  EXPECT_FALSE(MakeView(view, nullptr, 0, 0, 1, 1));
  auto hollow = std::make_shared<Image>();
  hollow->width = 10;  // sides without pixels
  hollow->height = 10;
  EXPECT_FALSE(MakeView(view, hollow, 0, 0, 1, 1));
}

TEST(ImageView, EveryDrawingOperationSeesAViewAsACopy) {
  const uint16_t key = 1 + 3 + 4 * 131;  // one pixel of the rectangle is the key colour
  const auto picture = Picture(120, 90, key);
  const int x = 17, y = 4, w = 50, h = 50;
  Image view;
  ASSERT_TRUE(MakeView(view, picture, x, y, w, h));
  view.key = key;
  const ImagePtr copy = CopyOf(*picture, x, y, w, h);

  const std::vector<std::pair<const char*, std::function<void(const Image*, uint16_t*)>>> operations = {
      {"DrawImage", [](const Image* i, uint16_t* d) { DrawImage(100, 80, i, d); }},
      {"DrawImage clipped", [](const Image* i, uint16_t* d) { DrawImage(-13, 570, i, d); }},
      {"DrawImageKeyed", [](const Image* i, uint16_t* d) { DrawImageKeyed(790, -20, i, d); }},
      {"DrawImageKeyedClipped", [](const Image* i, uint16_t* d) { DrawImageKeyedClipped(3, 3, i, d); }},
      {"DrawImageGrey", [](const Image* i, uint16_t* d) { DrawImageGrey(760, 560, i, d); }},
      {"DrawImagePart", [](const Image* i, uint16_t* d) { DrawImagePart(i, d, 5, 7, 30, 20, 300, 200); }},
      {"DrawImageScaled down", [](const Image* i, uint16_t* d) { DrawImageScaled(i, 25, 25, d, 31, 76); }},
      {"DrawImageScaled up", [](const Image* i, uint16_t* d) { DrawImageScaled(i, 130, 70, d, 700, 500); }},
  };
  for (const auto& [name, draw] : operations) {
    SCOPED_TRACE(name);
    GuardedScreen fromView(0x0101), fromCopy(0x0101);
    draw(&view, fromView.pixels());
    draw(copy.get(), fromCopy.pixels());
    EXPECT_LT(fromView.Count(0x0101), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT);  // it drew something
    EXPECT_TRUE(fromView.memory == fromCopy.memory);
    EXPECT_TRUE(fromView.GuardsIntact());
  }

  // As a source of scaling and cutting too.
  ImagePtr scaledFromView = CreateImage(20, 20), scaledFromCopy = CreateImage(20, 20);
  ScaleImage(&view, scaledFromView.get());
  ScaleImage(copy.get(), scaledFromCopy.get());
  EXPECT_TRUE(scaledFromView->pixels == scaledFromCopy->pixels);
  ImagePtr cutFromView = CreateImage(30, 30), cutFromCopy = CreateImage(30, 30);
  CutImage(&view, cutFromView.get(), 25, 10);  // partly outside: the rest stays black
  CutImage(copy.get(), cutFromCopy.get(), 25, 10);
  EXPECT_TRUE(cutFromView->pixels == cutFromCopy->pixels);
  EXPECT_EQ(cutFromView->At(29, 0), 0);
}

TEST(ImageView, CuttingAndScalingIntoAViewWriteOnlyItsRectangle) {
  const auto picture = std::shared_ptr<Image>(CreateImage(60, 60));
  const ImagePtr source = NumberedImage(100, 100);
  Image view;
  ASSERT_TRUE(MakeView(view, picture, 10, 20, 30, 25));
  CutImage(source.get(), &view, 40, 50);
  ScaleImage(source.get(), &view);  // the view keeps its sides
  EXPECT_EQ(view.width, 30);
  EXPECT_TRUE(view.pixels.empty());
  int written = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) {
      const bool inside = x >= 10 && x < 40 && y >= 20 && y < 45;
      if (!inside) {
        ASSERT_EQ(picture->At(x, y), 0) << x << "," << y;
      }
      written += inside && picture->At(x, y) != 0;
    }
  EXPECT_EQ(written, 30 * 25);
  EXPECT_EQ(picture->At(10, 20), source->At(0, 0));  // the scaled picture came last
}

TEST(ImageView, AViewOfAPictureThatShrankIsNeverRead) {
  const auto picture = Picture(100, 100);
  Image view;
  ASSERT_TRUE(MakeView(view, picture, 50, 50, 50, 50));
  picture->pixels.resize(100 * 60);  // the view's rows now run past the pixels
  EXPECT_FALSE(view.Covered());
  GuardedScreen screen(0x0202);
  DrawImage(0, 0, &view, screen.pixels());
  DrawImageKeyed(0, 0, &view, screen.pixels());
  DrawImageGrey(0, 0, &view, screen.pixels());
  DrawImageScaled(&view, 200, 200, screen.pixels(), 0, 0);
  DrawImagePart(&view, screen.pixels(), 0, 0, 50, 50, 0, 0);
  EXPECT_EQ(screen.Count(0x0202), size_t{SCREEN_WIDTH} * SCREEN_HEIGHT);
  ImagePtr target = CreateImage(10, 10);
  CutImage(&view, target.get(), 0, 0);
  ScaleImage(&view, target.get());
  for (uint16_t p : target->pixels) ASSERT_EQ(p, 0);
  // Nor written.
  const ImagePtr source = NumberedImage(50, 50);
  CutImage(source.get(), &view, 0, 0);
  ScaleImage(source.get(), &view);
  EXPECT_EQ(picture->pixels.size(), 100u * 60);
}

TEST(ImageView, TheViewKeepsItsPictureAlive) {
  Image view;
  std::weak_ptr<Image> watch;
  {
    auto picture = Picture(30, 30);
    watch = picture;
    ASSERT_TRUE(MakeView(view, picture, 5, 5, 25, 25));
  }
  ASSERT_FALSE(watch.expired());
  EXPECT_EQ(view.At(0, 0), 1 + 5 + 5 * 131);
  view.viewed.reset();
  EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace tessera::test
