// The bitmap loader and the picture archives: selection, member lookup, row
// layout, the messages, and hostile files.
#include <gtest/gtest.h>

#include <climits>

#include "app/engine_config.h"
#include "app/files.h"
#include "gfx/bmp.h"
#include "gfx/draw.h"
#include "gfx/present.h"
#include "gfx/pixel_format.h"
#include "gfx_fixtures.h"
#include "support/test_support.h"

namespace tessera::test {
namespace {

uint16_t Packed(uint32_t rgb) { return PackRgb(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF); }

class BmpLoad : public ::testing::Test {
 protected:
  BmpLoad() : work_(dir_.path()) { EngineConfig.Packaged = 1; }
  ~BmpLoad() override { EngineConfig.Packaged = savedPackaged_; }

  const std::vector<std::string>& Messages() { return platform_->Messages(); }
  void ExpectPattern(const Image& image, int width, int height) {
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    EXPECT_EQ(image.key, 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        ASSERT_EQ(image.At(x, y), Packed(PatternColour(x, y))) << "pixel " << x << "," << y;
  }

  int32_t savedPackaged_ = EngineConfig.Packaged;
  ScopedPlatform platform_;
  ScratchDir dir_;
  ScopedWorkDir work_;
};

TEST(ArchiveSelection, FolderNamesAreTestedInOrderAnywhereInThePath) {
  EXPECT_STREQ(ArchiveForPath("Menu\\GameBG.bmp"), "Menu.dat");
  EXPECT_STREQ(ArchiveForPath("Localization\\Menu\\GameBG.bmp"), "Menu.dat");
  EXPECT_STREQ(ArchiveForPath("Picture\\Menu\\a.bmp"), "Menu.dat");  // Menu comes first in the table
  EXPECT_STREQ(ArchiveForPath("Head\\Picture\\a.bmp"), "Picture.dat");
  EXPECT_STREQ(ArchiveForPath("x\\Head\\a.bmp"), "Head.dat");
  EXPECT_STREQ(ArchiveForPath("Script\\a.bmp"), "Script.dat");
  EXPECT_STREQ(ArchiveForPath("GameBG.bmp"), "Localization.dat");
  // The folder name needs its backslash and its letter case.
  EXPECT_STREQ(ArchiveForPath("Menu/GameBG.bmp"), "Localization.dat");
  EXPECT_STREQ(ArchiveForPath("menu\\GameBG.bmp"), "Localization.dat");
  EXPECT_STREQ(ArchiveForPath("MyMenu\\a.bmp"), "Menu.dat");
  EXPECT_STREQ(ArchiveForPath(nullptr), "Localization.dat");
}

TEST_F(BmpLoad, LooseFileRowsAreBottomUpAndPaddedToFourBytes) {
  // 3 pixels wide: 9 bytes of pixels padded to 12; the pad bytes hold junk.
  const Colours colours = Pattern(3, 2);
  auto rows = EncodeRows(3, 2, colours, 24, false, 0xEE);
  ASSERT_EQ(rows.size(), 24u);
  BmpHeaderFields f;
  f.width = 3;
  f.height = 2;
  dir_.Write("three.bmp", MakeBmpFile(f, rows));
  // 4 pixels wide: 12 bytes, no padding.
  f.width = 4;
  dir_.Write("four.bmp", MakeBmpFile(f, EncodeRows(4, 2, Pattern(4, 2))));
  EngineConfig.Packaged = 0;

  ImagePtr three, four;
  ASSERT_EQ(LoadBmpImage("three.bmp", three, 0), 1);
  ExpectPattern(*three, 3, 2);
  ASSERT_EQ(LoadBmpImage("four.bmp", four, 0), 1);
  ExpectPattern(*four, 4, 2);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(BmpLoad, TheFilesFirstRowBecomesTheBottomRow) {
  // Written by hand: the first stored row is blue, the second red.
  const std::vector<uint8_t> rows = {0xFF, 0x00, 0x00, 0x00,   // bottom: blue, padded
                                     0x00, 0x00, 0xFF, 0x00};  // top: red, padded
  BmpHeaderFields f;
  f.height = 2;
  dir_.Write("column.bmp", MakeBmpFile(f, rows));
  ImagePtr image;
  ASSERT_EQ(LoadBmpImage("column.bmp", image, 1), 1);
  EXPECT_EQ(image->At(0, 0), PackRgb(255, 0, 0));
  EXPECT_EQ(image->At(0, 1), PackRgb(0, 0, 255));
}

TEST_F(BmpLoad, ImageSizeFieldZeroOrFilledLoadsTheSamePicture) {
  BmpHeaderFields f;
  f.width = 5;
  f.height = 3;
  const auto rows = EncodeRows(5, 3, Pattern(5, 3));
  f.imageSize = 0;
  dir_.Write("zero.bmp", MakeBmpFile(f, rows));
  f.imageSize = static_cast<uint32_t>(rows.size());
  dir_.Write("filled.bmp", MakeBmpFile(f, rows));
  ImagePtr a, b;
  ASSERT_EQ(LoadBmpImage("zero.bmp", a, 1), 1);
  ASSERT_EQ(LoadBmpImage("filled.bmp", b, 1), 1);
  ExpectPattern(*a, 5, 3);
  ExpectPattern(*b, 5, 3);
}

TEST_F(BmpLoad, PixelsArePackedIntoTheDisplayLayout) {
  ScopedPlatform five55([] {
    HeadlessOptions o = ScopedPlatform::QuietOptions();
    o.pixel555 = true;
    return o;
  }());
  BmpHeaderFields f;
  f.width = 2;
  dir_.Write("two.bmp", MakeBmpFile(f, EncodeRows(2, 1, {0xFFFFFF, 0x6EEBDC})));
  ImagePtr image;
  ASSERT_EQ(LoadBmpImage("two.bmp", image, 1), 1);
  EXPECT_EQ(image->At(0, 0), 0x7FFF);
  EXPECT_EQ(image->At(1, 0), 0x37BB);
}

TEST_F(BmpLoad, TodaysEditorFormatsAreAccepted) {
  BmpHeaderFields f;
  f.width = 3;
  f.height = -2;  // top-down
  dir_.Write("topdown.bmp", MakeBmpFile(f, EncodeRows(3, 2, Pattern(3, 2), 24, true)));
  f.height = 2;
  f.bitsPerPixel = 32;
  dir_.Write("rgb32.bmp", MakeBmpFile(f, EncodeRows(3, 2, Pattern(3, 2), 32)));
  // 32 bits with explicit masks in a version-5 header.
  f.compression = 3;
  f.headerSize = 124;
  f.standardMasks = true;
  dir_.Write("v5.bmp", MakeBmpFile(f, EncodeRows(3, 2, Pattern(3, 2), 32)));
  f.height = -2;
  dir_.Write("v5topdown.bmp", MakeBmpFile(f, EncodeRows(3, 2, Pattern(3, 2), 32, true)));

  for (const char* name : {"topdown.bmp", "rgb32.bmp", "v5.bmp", "v5topdown.bmp"}) {
    SCOPED_TRACE(name);
    ImagePtr image;
    ASSERT_EQ(LoadBmpImage(name, image, 1), 1);
    ExpectPattern(*image, 3, 2);
  }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(BmpLoad, FailureLeavesTheSlotAsItWas) {
  ImagePtr slot = CreateImage(2, 2);
  const Image* before = slot.get();
  dir_.Write("junk.bmp", std::string("not a picture at all"));
  EXPECT_EQ(LoadBmpImage("junk.bmp", slot, 1), 0);
  EXPECT_EQ(slot.get(), before);
  EXPECT_EQ(LoadBmpImage("absent.bmp", slot, 1), 0);
  EXPECT_EQ(slot.get(), before);
  EXPECT_EQ(LoadBmpImage(nullptr, slot, 1), 0);
  EXPECT_EQ(slot.get(), before);
}

TEST_F(BmpLoad, MissingFilesFailWithoutAMessage) {
  ImagePtr image;
  EXPECT_EQ(LoadBmpImage("Menu\\GameBG.bmp", image, 0), 0);  // no Menu.dat
  EXPECT_EQ(LoadBmpImage("nowhere.bmp", image, 1), 0);
  EXPECT_EQ(image, nullptr);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(BmpLoad, PackedPicturesComeFromTheArchiveTheFolderNames) {
  dir_.Write("Menu.dat", MakeArchive({{"Other.bmp", MakePatternBmp(1, 1)}, {"GameBG.bmp", MakePatternBmp(4, 3)}}));
  dir_.Write("Localization.dat", MakeArchive({{"GameBG.bmp", MakePatternBmp(2, 2)}, {"Logo.bmp", MakePatternBmp(6, 1)}}));

  ImagePtr image;
  ASSERT_EQ(LoadBmpImage("Localization\\Menu\\GameBG.bmp", image, 0), 1);
  ExpectPattern(*image, 4, 3);
  // No folder: the whole path is the member name in Localization.dat.
  ASSERT_EQ(LoadBmpImage("Logo.bmp", image, 0), 1);
  ExpectPattern(*image, 6, 1);
  ASSERT_EQ(LoadBmpImage("Somewhere\\GameBG.bmp", image, 0), 1);
  ExpectPattern(*image, 2, 2);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(BmpLoad, MissingMemberIsReportedAsNotBmp) {
  dir_.Write("Menu.dat", MakeArchive({{"GameBG.bmp", MakePatternBmp(2, 2)}}));
  ImagePtr image;
  EXPECT_EQ(LoadBmpImage("Menu\\Absent.bmp", image, 0), 0);
  // Member names are compared byte for byte.
  EXPECT_EQ(LoadBmpImage("Menu\\gamebg.bmp", image, 0), 0);
  EXPECT_EQ(image, nullptr);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Menu\\Absent.bmp is not bmp!", "Menu\\gamebg.bmp is not bmp!"}));
}

TEST_F(BmpLoad, OnlyEntriesBelowTheCountAreSearched) {
  const std::vector<ArchiveMember> members = {{"A.bmp", MakePatternBmp(1, 1)}, {"B.bmp", MakePatternBmp(2, 1)}};
  dir_.Write("Menu.dat", MakeArchive(members, 1));
  dir_.Write("Head.dat", MakeArchive(members, 0));
  ImagePtr image;
  EXPECT_EQ(LoadBmpImage("Menu\\A.bmp", image, 0), 1);
  EXPECT_EQ(LoadBmpImage("Menu\\B.bmp", image, 0), 0);
  EXPECT_EQ(LoadBmpImage("Head\\A.bmp", image, 0), 0);
  EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(BmpLoad, TheFirstOfTwoEqualNamesWins) {
  dir_.Write("Menu.dat", MakeArchive({{"A.bmp", MakePatternBmp(3, 1)}, {"A.bmp", MakePatternBmp(1, 3)}}));
  ImagePtr image;
  ASSERT_EQ(LoadBmpImage("Menu\\A.bmp", image, 0), 1);
  EXPECT_EQ(image->width, 3);
}

TEST_F(BmpLoad, LooseFlagAndUnpackagedGameReadFilesFromDisk) {
  dir_.Write("begin01.bmp", MakePatternBmp(2, 3));
  dir_.Write("Menu/GameBG.bmp", MakePatternBmp(3, 3));
  ImagePtr image;
  ASSERT_EQ(LoadBmpImage("begin01.bmp", image, 1), 1);  // packaged, but loose
  ExpectPattern(*image, 2, 3);
  EXPECT_EQ(LoadBmpImage("Menu\\GameBG.bmp", image, 0), 0);  // packaged: needs Menu.dat
  EngineConfig.Packaged = 0;
  ASSERT_EQ(LoadBmpImage("menu\\gamebg.BMP", image, 0), 1);  // the host path repairs letter case
  ExpectPattern(*image, 3, 3);
}

TEST_F(BmpLoad, TheIndexIsReadAgainForEveryPicture) {
  dir_.Write("Menu.dat", MakeArchive({{"A.bmp", MakePatternBmp(2, 2)}}));
  ImagePtr first, second;
  ASSERT_EQ(LoadBmpImage("Menu\\A.bmp", first, 0), 1);
  dir_.Write("Menu.dat", MakeArchive({{"B.bmp", MakePatternBmp(1, 1)}, {"A.bmp", MakePatternBmp(5, 4)}}));
  ASSERT_EQ(LoadBmpImage("Menu\\A.bmp", second, 0), 1);
  ExpectPattern(*second, 5, 4);
}

TEST_F(BmpLoad, ABatchReadsEveryPictureAsSinglePictureReadsDo) {
  dir_.Write("Picture.dat", MakeArchive({{"A.bmp", MakePatternBmp(3, 2)}, {"B.bmp", MakePatternBmp(4, 5)}}));
  dir_.Write("Menu.dat", MakeArchive({{"A.bmp", MakePatternBmp(2, 6)}}));
  dir_.Write("Head.dat", std::vector<uint8_t>{1, 0, 0, 0});  // an index cut short: no members
  ImagePtr a, b, menu, again, absent, head, none;
  {
    ArchiveBatch batch;
    ASSERT_EQ(LoadBmpImage("Picture\\A.bmp", a, 0), 1);
    ASSERT_EQ(LoadBmpImage("Picture\\B.bmp", b, 0), 1);
    ASSERT_EQ(LoadBmpImage("Menu\\A.bmp", menu, 0), 1);  // two archives held side by side
    {
      ArchiveBatch inner;
      ASSERT_EQ(LoadBmpImage("Picture\\A.bmp", again, 0), 1);
    }
    EXPECT_EQ(LoadBmpImage("Picture\\Absent.bmp", absent, 0), 0);
    EXPECT_EQ(LoadBmpImage("Head\\A.bmp", head, 0), 0);
    EXPECT_EQ(LoadBmpImage("Localization\\A.bmp", none, 0), 0);  // no Localization.dat: silent
    EXPECT_EQ(LoadBmpImage("Localization\\A.bmp", none, 0), 0);
  }
  ExpectPattern(*a, 3, 2);
  ExpectPattern(*b, 4, 5);
  ExpectPattern(*menu, 2, 6);
  ExpectPattern(*again, 3, 2);
  EXPECT_EQ(absent, nullptr);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Picture\\Absent.bmp is not bmp!", "Head\\A.bmp is not bmp!"}));
}

TEST_F(BmpLoad, AnArchiveChangedAfterABatchIsReadAfresh) {
  dir_.Write("Picture.dat", MakeArchive({{"A.bmp", MakePatternBmp(2, 2)}}));
  ImagePtr image;
  {
    ArchiveBatch batch;
    ASSERT_EQ(LoadBmpImage("Picture\\A.bmp", image, 0), 1);
  }
  // Other pictures under the same name: only a fresh index finds B and the new A.
  dir_.Write("Picture.dat", MakeArchive({{"B.bmp", MakePatternBmp(1, 1)}, {"A.bmp", MakePatternBmp(5, 4)}}));
  {
    ArchiveBatch batch;
    ASSERT_EQ(LoadBmpImage("Picture\\A.bmp", image, 0), 1);
    ExpectPattern(*image, 5, 4);
    ASSERT_EQ(LoadBmpImage("Picture\\B.bmp", image, 0), 1);
    ExpectPattern(*image, 1, 1);
  }
  // An archive missing when a batch first wanted it is looked for again by the next one.
  ScratchDir other;
  ScopedWorkDir work(other.path());
  {
    ArchiveBatch batch;
    EXPECT_EQ(LoadBmpImage("Menu\\A.bmp", image, 0), 0);
  }
  other.Write("Menu.dat", MakeArchive({{"A.bmp", MakePatternBmp(3, 3)}}));
  {
    ArchiveBatch batch;
    ASSERT_EQ(LoadBmpImage("Menu\\A.bmp", image, 0), 1);
    ExpectPattern(*image, 3, 3);
  }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(BmpLoad, AnArchivedPictureReachesTheDisplayUnchanged) {
  dir_.Write("Picture.dat", MakeArchive({{"Layer.bmp", MakePatternBmp(6, 5)}}));
  ImagePtr image;
  ASSERT_EQ(LoadBmpImage("Picture\\Layer.bmp", image, 0), 1);
  std::fill(std::begin(BackBuffer), std::end(BackBuffer), 0);
  DrawImage(150, 50, image.get(), BackBuffer);
  PresentFrame(BackBuffer);
  const auto& surface = platform_->Surface();
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) {
      const auto* row = reinterpret_cast<const uint16_t*>(surface.data() + (50 + y) * platform_->Pitch());
      ASSERT_EQ(row[150 + x], Packed(PatternColour(x, y)));
    }
}

TEST_F(BmpLoad, FindArchiveMemberReturnsTheOffsetOrZero) {
  const auto archive = MakeArchive({{"One.bmp", {1, 2, 3}}, {"Two.bmp", {4, 5}}});
  dir_.Write("a.dat", archive);
  FilePtr file = OpenFile("a.dat", "rb");
  ASSERT_TRUE(file);
  EXPECT_EQ(FindArchiveMember("x\\y\\Two.bmp", file.get()), kIndexEnd + 3);
  EXPECT_EQ(FindArchiveMember("One.bmp", file.get()), kIndexEnd);
  EXPECT_EQ(FindArchiveMember("x\\One.bmp\\", file.get()), 0u);  // empty name after the last backslash
  EXPECT_EQ(FindArchiveMember("Three.bmp", file.get()), 0u);
  EXPECT_EQ(FindArchiveMember("One.bm", file.get()), 0u);
  EXPECT_EQ(FindArchiveMember(nullptr, file.get()), 0u);
  EXPECT_EQ(FindArchiveMember("One.bmp", nullptr), 0u);
}

// ---- Hostile files -------------------------------------------------------

enum class Outcome { Loads, NotBmp, Compressed, Silent };

struct HostileCase {
  const char* what;
  std::vector<uint8_t> bytes;
  Outcome outcome;
};

std::vector<uint8_t> Bmp(BmpHeaderFields f, size_t pixelBytes) {
  return MakeBmpFile(f, std::vector<uint8_t>(pixelBytes, 0x42));
}
BmpHeaderFields Sides(int32_t w, int32_t h, uint16_t bpp = 24) {
  BmpHeaderFields f;
  f.width = w;
  f.height = h;
  f.bitsPerPixel = bpp;
  return f;
}

std::vector<HostileCase> HostileBitmaps() {
  std::vector<HostileCase> cases;
  auto add = [&](const char* what, std::vector<uint8_t> bytes, Outcome outcome) {
    cases.push_back({what, std::move(bytes), outcome});
  };
  const auto good = MakePatternBmp(3, 2);
  add("empty file", {}, Outcome::NotBmp);
  add("signature only", {'B', 'M'}, Outcome::NotBmp);
  add("file header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 10), Outcome::NotBmp);
  add("file header without info header", std::vector<uint8_t>(good.begin(), good.begin() + 14), Outcome::NotBmp);
  add("info header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 30), Outcome::NotBmp);
  add("wrong signature", [&] { auto b = good; b[1] = 'A'; return b; }(), Outcome::NotBmp);
  add("header size below 40", [] { auto f = Sides(1, 1); f.headerSize = 12; return Bmp(f, 4); }(), Outcome::NotBmp);
  add("header size past the end", [] { auto f = Sides(1, 1); f.headerSize = 0x7FFFFFF0; return Bmp(f, 4); }(),
      Outcome::NotBmp);
  add("header size 4 GB", [] { auto f = Sides(1, 1); f.headerSize = 0xFFFFFFFF; return Bmp(f, 4); }(),
      Outcome::NotBmp);
  add("width 0", Bmp(Sides(0, 1), 4), Outcome::NotBmp);
  add("height 0", Bmp(Sides(1, 0), 4), Outcome::NotBmp);
  add("negative width", Bmp(Sides(-3, 1), 12), Outcome::NotBmp);
  add("width over 65535", Bmp(Sides(65536, 1), 65536 * 3), Outcome::NotBmp);
  add("height over 65535", Bmp(Sides(1, 65536), 65536 * 4), Outcome::NotBmp);
  add("top-down height over 65535", Bmp(Sides(1, -65536), 65536 * 4), Outcome::NotBmp);
  add("most negative height", Bmp(Sides(1, INT32_MIN), 16), Outcome::NotBmp);
  add("largest sides, tiny file", Bmp(Sides(65535, 65535), 64), Outcome::NotBmp);
  add("pixel area larger than the file", Bmp(Sides(1000, 1000), 3000), Outcome::NotBmp);
  add("last row one byte short", Bmp(Sides(3, 2), 23), Outcome::NotBmp);
  add("32-bit rows short", Bmp(Sides(3, 2, 32), 12 * 2 - 1), Outcome::NotBmp);
  add("1 bit per pixel", Bmp(Sides(8, 1, 1), 4), Outcome::NotBmp);
  add("16 bits per pixel", Bmp(Sides(2, 1, 16), 4), Outcome::NotBmp);
  add("0 bits per pixel", Bmp(Sides(2, 1, 0), 4), Outcome::NotBmp);
  add("8 bits per pixel", Bmp(Sides(4, 1, 8), 4), Outcome::Silent);
  add("8 bits, header only", Bmp(Sides(4, 1, 8), 0), Outcome::Silent);
  add("run-length compressed", [] { auto f = Sides(4, 1, 8); f.compression = 1; return Bmp(f, 4); }(),
      Outcome::Compressed);
  add("JPEG inside", [] { auto f = Sides(4, 1, 24); f.compression = 4; return Bmp(f, 12); }(), Outcome::Compressed);
  add("masks on 24 bits", [] { auto f = Sides(1, 1, 24); f.compression = 3; f.headerSize = 124; f.standardMasks = true;
        return Bmp(f, 4); }(), Outcome::Compressed);
  add("masks outside the header", [] { auto f = Sides(1, 1, 32); f.compression = 3; return Bmp(f, 16); }(),
      Outcome::Compressed);
  add("odd masks", [] { auto f = Sides(1, 1, 32); f.compression = 3; f.headerSize = 124; auto b = Bmp(f, 4);
        PutU32(b, 54, 0xFF000000); return b; }(), Outcome::Compressed);
  add("image size field 4 GB", [&] { auto b = good; PutU32(b, 34, 0xFFFFFFFF); return b; }(), Outcome::Loads);
  add("image size field too small", [&] { auto b = good; PutU32(b, 34, 1); return b; }(), Outcome::Loads);
  add("plain 24-bit", good, Outcome::Loads);
  add("32-bit", MakeBmpFile(Sides(3, 2, 32), EncodeRows(3, 2, Pattern(3, 2), 32)), Outcome::Loads);
  add("top-down", MakeBmpFile(Sides(3, -2), EncodeRows(3, 2, Pattern(3, 2), 24, true)), Outcome::Loads);
  add("trailing bytes", [&] { auto b = good; b.resize(b.size() + 100, 0xCC); return b; }(), Outcome::Loads);
  return cases;
}

void ExpectOutcome(const HostileCase& c, int result, const ImagePtr& image, const std::vector<std::string>& messages,
                   const std::string& path) {
  switch (c.outcome) {
    case Outcome::Loads:
      EXPECT_EQ(result, 1);
      ASSERT_NE(image, nullptr);
      EXPECT_EQ(image->pixels.size(), size_t{image->width} * image->height);
      EXPECT_TRUE(messages.empty());
      break;
    case Outcome::NotBmp:
      EXPECT_EQ(result, 0);
      EXPECT_EQ(messages, std::vector<std::string>{path + " is not bmp!"});
      break;
    case Outcome::Compressed:
      EXPECT_EQ(result, 0);
      EXPECT_EQ(messages, std::vector<std::string>{"Canot not read compress bmp !"});
      break;
    case Outcome::Silent:
      EXPECT_EQ(result, 0);
      EXPECT_TRUE(messages.empty());
      break;
  }
  if (c.outcome != Outcome::Loads) {
    EXPECT_EQ(image, nullptr);
  }
}

TEST(HostileBitmaps, EachFailsCleanlyOrLoadsLooseFromMemoryAndInsideAnArchive) {
  for (const HostileCase& c : HostileBitmaps()) {
    SCOPED_TRACE(c.what);
    ScopedPlatform platform;
    ScratchDir dir;
    ScopedWorkDir work(dir.path());
    const int32_t savedPackaged = EngineConfig.Packaged;

    dir.Write("loose.bmp", c.bytes);
    ImagePtr loose;
    ExpectOutcome(c, LoadBmpImage("loose.bmp", loose, 1), loose, platform->Messages(), "loose.bmp");

    // The same bytes as the last member of an archive: nothing may be read past it.
    dir.Write("Picture.dat", MakeArchive({{"Pad.bmp", MakePatternBmp(1, 1)}, {"Bad.bmp", c.bytes}}));
    ScopedPlatform packedPlatform;
    EngineConfig.Packaged = 1;
    ImagePtr packed;
    ExpectOutcome(c, LoadBmpImage("Picture\\Bad.bmp", packed, 0), packed, packedPlatform->Messages(),
                  "Picture\\Bad.bmp");
    EngineConfig.Packaged = savedPackaged;

    // From memory, with the bytes in a buffer of exactly their size.
    std::vector<uint8_t> exact(c.bytes);
    exact.shrink_to_fit();
    ImagePtr decoded;
    const BmpStatus status = DecodeBmp(exact.empty() ? nullptr : exact.data(), exact.size(), decoded);
    const BmpStatus expected = c.outcome == Outcome::Loads        ? BmpStatus::Ok
                               : c.outcome == Outcome::Compressed ? BmpStatus::Compressed
                               : c.outcome == Outcome::Silent     ? BmpStatus::EightBit
                                                                  : BmpStatus::NotBmp;
    EXPECT_EQ(status, expected);
  }
}

TEST(HostileBitmaps, RandomDamageToHeadersAndLengthNeverReadsOutside) {
  BmpHeaderFields f;
  f.width = 5;
  f.height = 3;
  const std::vector<uint8_t> good = MakeBmpFile(f, EncodeRows(5, 3, Pattern(5, 3)));
  uint32_t seed = 2024;
  auto next = [&seed] { return (seed = seed * 1664525 + 1013904223) >> 8; };
  int loaded = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> bytes = good;
    for (int k = 0, n = 1 + next() % 4; k < n; ++k) bytes[2 + next() % 52] = static_cast<uint8_t>(next());
    if (next() % 3 == 0) bytes.resize(next() % bytes.size());
    bytes.shrink_to_fit();
    ImagePtr image;
    if (DecodeBmp(bytes.data(), bytes.size(), image) == BmpStatus::Ok) {
      ++loaded;
      ASSERT_NE(image, nullptr);
      // Every row the picture claims came from inside the buffer.
      ASSERT_LE(size_t{image->width} * image->height * 3, bytes.size());
    } else {
      ASSERT_EQ(image, nullptr);
    }
  }
  EXPECT_GT(loaded, 0);  // some damage (to unused fields) leaves a usable picture
}

struct HostileArchive {
  const char* what;
  std::vector<uint8_t> bytes;
};

std::vector<HostileArchive> HostileArchives() {
  const auto member = MakePatternBmp(2, 2);
  const auto valid = MakeArchive({{"Bad.bmp", member}});
  std::vector<HostileArchive> cases;
  cases.push_back({"empty archive", {}});
  cases.push_back({"count only", {1, 0, 0, 0}});
  cases.push_back({"index cut short", std::vector<uint8_t>(valid.begin(), valid.begin() + 4 + 136 + 10)});
  cases.push_back({"count -1", [&] { auto b = valid; PutU32(b, 0, 0xFFFFFFFF); return b; }()});
  cases.push_back({"count 301", [&] { auto b = valid; PutU32(b, 0, 301); return b; }()});
  cases.push_back({"count 'BM' reads the archive start as a member",
                   [&] { auto b = valid; b[0] = 'B'; b[1] = 'M'; b[2] = b[3] = 0; return b; }()});
  cases.push_back({"offset past the end", [&] { auto b = valid; PutU32(b, EntryOffsetField(0), 0xFFFFFFF0); return b; }()});
  cases.push_back({"offset at the very end",
                   [&] { auto b = valid; PutU32(b, EntryOffsetField(0), static_cast<uint32_t>(b.size())); return b; }()});
  cases.push_back({"offset leaves the file header cut short",
                   [&] { auto b = valid; PutU32(b, EntryOffsetField(0), static_cast<uint32_t>(b.size() - 8)); return b; }()});
  cases.push_back({"offset 0", [&] { auto b = valid; PutU32(b, EntryOffsetField(0), 0); return b; }()});
  cases.push_back({"member cut in its pixels", std::vector<uint8_t>(valid.begin(), valid.end() - 3)});
  cases.push_back({"name without terminator", [&] {
                     auto b = valid;
                     std::fill(b.begin() + 4, b.begin() + 4 + 128, 'B');
                     return b;
                   }()});
  return cases;
}

TEST(HostileArchives, EachReportsNotBmpAndReadsNothingOutside) {
  for (const HostileArchive& c : HostileArchives()) {
    SCOPED_TRACE(c.what);
    ScopedPlatform platform;
    ScratchDir dir;
    ScopedWorkDir work(dir.path());
    const int32_t savedPackaged = EngineConfig.Packaged;
    EngineConfig.Packaged = 1;
    dir.Write("Head.dat", c.bytes);
    ImagePtr image;
    EXPECT_EQ(LoadBmpImage("Head\\Bad.bmp", image, 0), 0);
    {
      ArchiveBatch batch;  // the index read once for many pictures is checked as strictly
      EXPECT_EQ(LoadBmpImage("Head\\Bad.bmp", image, 0), 0);
      EXPECT_EQ(LoadBmpImage("Head\\Bad.bmp", image, 0), 0);
    }
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(platform->Messages(), std::vector<std::string>(3, "Head\\Bad.bmp is not bmp!"));
    EngineConfig.Packaged = savedPackaged;
  }
}

TEST(HostileArchives, AnUnterminatedNameNeverMatchesEvenItsOwnBytes) {
  ScratchDir dir;
  auto archive = MakeArchive({{"x", MakePatternBmp(1, 1)}});
  std::fill(archive.begin() + 4, archive.begin() + 4 + 128, 'N');
  dir.Write("a.dat", archive);
  FilePtr file = OpenFile(dir / "a.dat", "rb");
  ASSERT_TRUE(file);
  EXPECT_EQ(FindArchiveMember(std::string(128, 'N').c_str(), file.get()), 0u);
  EXPECT_EQ(FindArchiveMember(std::string(127, 'N').c_str(), file.get()), 0u);
}

TEST(ArchiveLimits, AllThreeHundredEntriesAreSearchable) {
  std::vector<ArchiveMember> members;
  for (int i = 0; i < 300; ++i) members.push_back({"M" + std::to_string(i) + ".bmp", MakePatternBmp(1 + i % 7, 1)});
  ScratchDir dir;
  dir.Write("Picture.dat", MakeArchive(members));
  FilePtr file = OpenFile(dir / "Picture.dat", "rb");
  ASSERT_TRUE(file);
  EXPECT_EQ(FindArchiveMember("Picture\\M0.bmp", file.get()), kIndexEnd);
  EXPECT_NE(FindArchiveMember("Picture\\M299.bmp", file.get()), 0u);
  EXPECT_EQ(FindArchiveMember("Picture\\M300.bmp", file.get()), 0u);
}

}  // namespace
}  // namespace tessera::test
