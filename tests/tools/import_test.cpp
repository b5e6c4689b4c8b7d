// The player's own pictures as levels: decoding PNG, JPEG and BMP, the centred
// square, fair decoys, a new game folder or a chained extension of one, options,
// damaged pictures, and the game playing the result to its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include "app/profile.h"
#include "gfx/bmp_write.h"
#include "tools/tool_fixtures.h"

namespace tessera::test {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Pictures made in the test

struct Rgb {
  uint8_t r, g, b;
};
using PixelFn = std::function<Rgb(int x, int y)>;

std::vector<uint8_t> RenderRgb(int w, int h, const PixelFn& f) {
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Rgb c = f(x, y);
      uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  return rgb;
}

// Encodes one picture with FFmpeg's own PNG or MJPEG encoder.
std::vector<uint8_t> EncodeWithFfmpeg(AVCodecID id, int w, int h, const PixelFn& f) {
  av_log_set_level(AV_LOG_ERROR);
  const AVCodec* codec = avcodec_find_encoder(id);
  if (!codec) return {};
  AVPixelFormat format = id == AV_CODEC_ID_PNG ? AV_PIX_FMT_RGB24 : AV_PIX_FMT_YUVJ444P;
  auto ctxFree = [](AVCodecContext* c) { avcodec_free_context(&c); };
  auto frameFree = [](AVFrame* fr) { av_frame_free(&fr); };
  auto packetFree = [](AVPacket* p) { av_packet_free(&p); };
  std::unique_ptr<AVCodecContext, decltype(ctxFree)> ctx(avcodec_alloc_context3(codec), ctxFree);
  std::unique_ptr<AVFrame, decltype(frameFree)> frame(av_frame_alloc(), frameFree);
  std::unique_ptr<AVPacket, decltype(packetFree)> packet(av_packet_alloc(), packetFree);
  ctx->width = w;
  ctx->height = h;
  ctx->pix_fmt = format;
  ctx->time_base = {1, 25};
  ctx->flags |= AV_CODEC_FLAG_QSCALE;
  if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return {};
  frame->width = w;
  frame->height = h;
  frame->format = format;
  frame->quality = FF_QP2LAMBDA * 2;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return {};
  std::vector<uint8_t> rgb = RenderRgb(w, h, f);
  SwsContext* sws = sws_getContext(w, h, AV_PIX_FMT_RGB24, w, h, format, SWS_POINT, nullptr, nullptr, nullptr);
  const uint8_t* src[1] = {rgb.data()};
  int srcStride[1] = {w * 3};
  sws_scale(sws, src, srcStride, 0, h, frame->data, frame->linesize);
  sws_freeContext(sws);
  std::vector<uint8_t> out;
  if (avcodec_send_frame(ctx.get(), frame.get()) < 0) return {};
  avcodec_send_frame(ctx.get(), nullptr);
  while (avcodec_receive_packet(ctx.get(), packet.get()) >= 0) {
    out.insert(out.end(), packet->data, packet->data + packet->size);
    av_packet_unref(packet.get());
  }
  return out;
}

std::vector<uint8_t> Bmp(int w, int h, const PixelFn& f) { return EncodeBmp24(w, h, RenderRgb(w, h, f).data()); }

// Three bands across the long side: only the middle one is in the centred square.
PixelFn Bands(bool across, Rgb outer1, Rgb middle, Rgb outer2, int length) {
  return [=](int x, int y) {
    int t = across ? x : y;
    return t < length / 3 ? outer1 : t < 2 * length / 3 ? middle : outer2;
  };
}

const Rgb RED{220, 30, 30}, GREEN{30, 200, 60}, BLUE{30, 50, 220}, YELLOW{230, 210, 40};

// A folder with a wide PNG, a wide JPEG and a tall BMP whose centred squares are
// green, yellow and blue, and whose outer thirds are other colours.
struct Photos {
  ScratchDir dir;
  std::string png = dir / "holiday.png", jpeg = dir / "beach.JPG", bmp = dir / "tower.bmp";
  Photos() {
    dir.Write("holiday.png", EncodeWithFfmpeg(AV_CODEC_ID_PNG, 330, 110, Bands(true, RED, GREEN, BLUE, 330)));
    dir.Write("beach.JPG", EncodeWithFfmpeg(AV_CODEC_ID_MJPEG, 1200, 400, Bands(true, BLUE, YELLOW, RED, 1200)));
    dir.Write("tower.bmp", Bmp(97, 291, Bands(false, YELLOW, BLUE, GREEN, 291)));
  }
  std::string All() const { return Quote(png) + " " + Quote(jpeg) + " " + Quote(bmp); }
};

// A JPEG with an EXIF block that tells the viewer how to turn it.
std::vector<uint8_t> WithOrientation(std::vector<uint8_t> jpeg, int orientation) {
  const uint8_t exif[] = {0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0,
                          'I', 'I', 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00,  // TIFF header, first IFD at 8
                          0x01, 0x00,                                      // one entry
                          0x12, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00,  // Orientation, SHORT, 1 value
                          static_cast<uint8_t>(orientation), 0x00, 0x00, 0x00,
                          0x00, 0x00, 0x00, 0x00};  // no next IFD
  jpeg.insert(jpeg.begin() + 2, std::begin(exif), std::end(exif));
  return jpeg;
}

// One bit per pixel, white where `white` says so.
std::vector<uint8_t> OneBitBmp(int w, int h, const std::function<bool(int, int)>& white) {
  int stride = ((w + 31) / 32) * 4;
  std::vector<uint8_t> b;
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i))); };
  auto u16 = [&](uint16_t v) { b.push_back(static_cast<uint8_t>(v)); b.push_back(static_cast<uint8_t>(v >> 8)); };
  b.push_back('B');
  b.push_back('M');
  u32(static_cast<uint32_t>(62 + stride * h));
  u32(0);
  u32(62);
  u32(40);
  u32(static_cast<uint32_t>(w));
  u32(static_cast<uint32_t>(h));
  u16(1);
  u16(1);
  u32(0);
  u32(static_cast<uint32_t>(stride * h));
  u32(2835);
  u32(2835);
  u32(2);
  u32(0);
  u32(0x00000000);
  u32(0x00FFFFFF);
  for (int y = h - 1; y >= 0; --y) {
    std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
    for (int x = 0; x < w; ++x)
      if (white(x, y)) row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

// ---------------------------------------------------------------------------
// Reading the result

std::string Value(const std::string& script, const std::string& section, const char* key) {
  return ReadProfileString(section.c_str(), key, "", 256, script);
}

// The levels a new game plays, from "Level00" or `begin` along "Goto".
std::vector<std::string> PlayOrder(const std::string& script, std::string level = "Level00") {
  std::vector<std::string> order;
  while (level != "GameEnd" && order.size() < 100) {
    order.push_back(level);
    int choices = ParseDecimal(Value(script, level, "SelectionTalkNum").c_str());
    level = Value(script, level, choices > 0 ? "Goto00" : "Goto");
    if (level.empty()) break;
  }
  return order;
}

// Every member of an archive, extracted into `into`.
bool Extract(const std::string& archive, const std::string& into) {
  return RunTool("archive extract " + Quote(archive) + " " + Quote(into)).exitCode == 0;
}

Picture Load(const std::string& path) {
  Picture p;
  EXPECT_TRUE(ReadBmp24(path, p)) << path;
  return p;
}

double MeanDistance(const Picture& p, Rgb c) {
  double sum = 0;
  for (size_t i = 0; i + 2 < p.rgb.size(); i += 3)
    sum += std::abs(p.rgb[i] - c.r) + std::abs(p.rgb[i + 1] - c.g) + std::abs(p.rgb[i + 2] - c.b);
  return sum / (p.rgb.size() / 3 * 3.0);
}

double WeakestPiece(const Picture& a, const Picture& b, int side) {
  double weakest = 1e9;
  for (int cy = 0; cy < 500; cy += side)
    for (int cx = 0; cx < 500; cx += side) {
      double sum = 0;
      for (int y = cy; y < cy + side; ++y)
        for (int x = cx; x < cx + side; ++x)
          for (int c = 0; c < 3; ++c) {
            size_t at = (static_cast<size_t>(y) * 500 + x) * 3 + c;
            sum += std::abs(int(a.rgb[at]) - int(b.rgb[at]));
          }
      weakest = std::min(weakest, sum / (side * side * 3));
    }
  return weakest;
}

std::string Autoplay(const std::string& game) {
  ScratchDir out;
  std::string trace = out / "trace.txt";
  RunResult r = RunGame("--headless --autoplay --workdir " + Quote(game) + " --max-ms 3600000 --trace " + Quote(trace));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  return ReadText(trace);
}

// ---------------------------------------------------------------------------

TEST(ImportPictures, ThreeKindsOfPictureMakeANewGameThatPlaysToItsEnd) {
  Photos photos;
  ScratchDir dir;
  std::string game = dir / "MyGame";
  RunResult r = RunTool("import " + Quote(game) + " " + photos.All() + " --title Trip");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  // One progress line per picture, in order.
  size_t a = r.output.find("[1/3] " + photos.png), b = r.output.find("[2/3] " + photos.jpeg),
         c = r.output.find("[3/3] " + photos.bmp);
  ASSERT_NE(a, std::string::npos) << r.output;
  ASSERT_NE(b, std::string::npos) << r.output;
  ASSERT_NE(c, std::string::npos) << r.output;
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);

  LintRun lint = Lint(game);
  EXPECT_EQ(lint.exitCode, 0) << lint.Dump();
  EXPECT_TRUE(lint.lines.empty()) << lint.Dump();
  // A campaign id of its own: the folder's name and a random part.
  const std::string id = ReadProfileString("setting", "CampaignId", "", 128, game + "/System.ini");
  EXPECT_EQ(id.size(), std::string("MyGame-12345678").size()) << id;
  EXPECT_EQ(id.rfind("MyGame-", 0), 0u) << id;

  std::string script = game + "/Script.dat";
  EXPECT_EQ(PlayOrder(script), (std::vector<std::string>{"Level00", "Level01", "Level02"}));
  EXPECT_EQ(Value(script, "Level00", "LevelName"), "Trip 1");
  EXPECT_EQ(Value(script, "Level02", "LevelName"), "Trip 3");
  EXPECT_EQ(Value(script, "Level02", "Goto"), "GameEnd");
  for (const char* level : {"Level00", "Level01", "Level02"}) {
    EXPECT_EQ(Value(script, level, "SplitSize"), "50") << level;
    EXPECT_EQ(Value(script, level, "BlendPictureNum"), "3") << level;
    EXPECT_EQ(Value(script, level, "LimitedTime"), "180") << level;
    EXPECT_EQ(Value(script, level, "DynamicSpiderNum"), "0") << level;
    EXPECT_GT(ParseDecimal(Value(script, level, "StoneRation").c_str()), 0) << level;
  }

  // Each solution is the middle of its picture, scaled to the board.
  ScratchDir out;
  ASSERT_TRUE(Extract(game + "/Picture.dat", out.path()));
  const std::pair<const char*, Rgb> middles[] = {{"Level00_0", GREEN}, {"Level01_0", YELLOW}, {"Level02_0", BLUE}};
  for (const auto& [name, colour] : middles) {
    Picture p = Load(out / (std::string(name) + ".bmp"));
    ASSERT_EQ(p.width, 500) << name;
    ASSERT_EQ(p.height, 500) << name;
    EXPECT_LT(MeanDistance(p, colour), 12.0) << name << ": not the centred square";
  }

  std::string trace = Autoplay(game);
  size_t l0 = trace.find(" Level00\n"), l1 = trace.find(" Level01\n"), l2 = trace.find(" Level02\n");
  ASSERT_NE(l0, std::string::npos) << trace;
  ASSERT_NE(l1, std::string::npos) << trace;
  ASSERT_NE(l2, std::string::npos) << trace;
  EXPECT_LT(l0, l1);
  EXPECT_LT(l1, l2);
  EXPECT_NE(trace.find(" 2 10 GameEnd"), std::string::npos) << trace;
}

TEST(ImportPictures, ExtendsTheDemoAfterItsLastLevelAndKeepsEverythingElse) {
  const std::string& demo = SharedDemo(false);
  ASSERT_FALSE(demo.empty());
  ScratchDir dir;
  std::string game = dir / "game";
  DeepCopy(demo, game);
  std::string before = ReadText(game + "/Script.dat");
  Photos photos;
  RunResult r = RunTool("import " + Quote(game) + " " + Quote(photos.png) + " " + Quote(photos.bmp) +
                        " --pieces 25 --layers 5 --stones 0 --spiders 2 --time 600");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  LintRun lint = Lint(game);
  EXPECT_EQ(lint.exitCode, 0) << lint.Dump();
  EXPECT_TRUE(lint.lines.empty()) << lint.Dump();

  std::string script = game + "/Script.dat";
  std::vector<std::string> order = PlayOrder(script);
  ASSERT_GE(order.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(order.end() - 3, order.end()),
            (std::vector<std::string>{"Level08", "Level09", "Level10"}));
  EXPECT_EQ(Value(script, "Level10", "Goto"), "GameEnd");
  EXPECT_EQ(Value(script, "Level09", "SplitSize"), "25");
  EXPECT_EQ(Value(script, "Level09", "BlendPictureNum"), "5");
  EXPECT_EQ(Value(script, "Level09", "StoneRation"), "0");
  EXPECT_EQ(Value(script, "Level09", "DynamicSpiderNum"), "2");
  EXPECT_EQ(Value(script, "Level09", "LimitedTime"), "600");
  // The old script is kept byte for byte but for the one "Goto" that ended the game.
  std::string expected = before;
  size_t at = expected.find("Goto=GameEnd");
  ASSERT_NE(at, std::string::npos);
  expected.replace(at, 12, "Goto=Level09");
  std::string after = ReadText(script);
  EXPECT_EQ(after.compare(0, expected.size(), expected), 0);

  // Every picture of the demo is still in the repacked archive, unchanged.
  ScratchDir oldPictures, newPictures;
  ASSERT_TRUE(Extract(demo + "/Picture.dat", oldPictures.path()));
  ASSERT_TRUE(Extract(game + "/Picture.dat", newPictures.path()));
  size_t kept = 0;
  for (const auto& e : fs::directory_iterator(oldPictures.path())) {
    std::string name = e.path().filename().string();
    EXPECT_TRUE(ReadBytes(e.path().string()) == ReadBytes(newPictures / name)) << name;
    ++kept;
  }
  EXPECT_GT(kept, 50u);
  for (int k = 0; k < 5; ++k) EXPECT_TRUE(fs::exists(newPictures / ("Level10_" + std::to_string(k) + ".bmp"))) << k;

  // The new levels play to the end (started from the demo's last level).
  SetProfileValue(game + "/System.ini", "debug", "BeginLevel", std::string("Level08"));
  std::string trace = Autoplay(game);
  size_t l9 = trace.find(" Level09\n"), l10 = trace.find(" Level10\n");
  ASSERT_NE(l9, std::string::npos) << trace;
  ASSERT_NE(l10, std::string::npos) << trace;
  EXPECT_LT(l9, l10);
  EXPECT_NE(trace.find(" 2 10 GameEnd"), std::string::npos) << trace;
}

TEST(ImportPictures, LooseGameChainsEveryEndingAndNeverTouchesLinkedOriginals) {
  const std::string& demo = SharedDemo(true);
  ASSERT_FALSE(demo.empty());
  ScratchDir dir;
  std::string game = dir / "game";
  LinkCopy(demo, game);
  std::string entry = game + "/Script/ScriptEntry.txt";
  // A second ending: one branch now ends the game on its own.
  SetProfileValue(entry, "Level04B", "Goto", std::string("GameEnd"));
  std::string original = ReadText(demo + "/Script/ScriptEntry.txt");
  // A game that lost the board sprites of 100-pixel pieces gets them back.
  std::vector<std::string> sprites = {"cobweb0.bmp", "StoneExplode03.bmp", "Spider013.bmp"};
  for (const std::string& name : sprites) RemoveFile(game + "/Picture/" + name);
  Photos photos;
  RunResult r = RunTool("import " + Quote(game) + " " + Quote(photos.jpeg) + " --layers 2 --pieces 100");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(Value(entry, "Level04B", "Goto"), "Level09");
  EXPECT_EQ(Value(entry, "Level08", "Goto"), "Level09");
  EXPECT_EQ(Value(entry, "Level09", "Goto"), "GameEnd");
  EXPECT_TRUE(fs::exists(game + "/Picture/Level09_0.bmp"));
  EXPECT_TRUE(fs::exists(game + "/Picture/Level09_1.bmp"));
  EXPECT_FALSE(fs::exists(game + "/Picture/Level09_2.bmp"));
  for (const std::string& name : sprites) EXPECT_TRUE(fs::exists(game + "/Picture/" + name)) << name;
  EXPECT_FALSE(fs::exists(demo + "/Picture/Level09_0.bmp"));
  LintRun lint = Lint(game);
  EXPECT_EQ(lint.exitCode, 0) << lint.Dump();
  EXPECT_TRUE(lint.lines.empty()) << lint.Dump();
  // The shared folder the copy links to is as it was.
  EXPECT_EQ(ReadText(demo + "/Script/ScriptEntry.txt"), original);
  EXPECT_FALSE(fs::exists(demo + "/Picture/Level09_0.bmp"));

  // A second import follows the first one's levels.
  RunResult again = RunTool("import " + Quote(game) + " " + Quote(photos.bmp) + " --layers 2 --pieces 100");
  ASSERT_EQ(again.exitCode, 0) << again.output;
  EXPECT_EQ(Value(entry, "Level09", "Goto"), "Level10");
  EXPECT_EQ(Value(entry, "Level10", "Goto"), "GameEnd");
  EXPECT_EQ(Value(entry, "Level04B", "Goto"), "Level09");
}

// Grey, black, white and mirror-symmetric areas are where a turned hue or a
// mirror image alone would leave a decoy piece looking exactly right.
TEST(ImportPictures, EveryDecoyPieceDiffersVisiblyEvenInGreyAndSymmetricAreas) {
  ScratchDir dir;
  dir.Write("hard.bmp", Bmp(500, 500, [](int x, int y) {
              int mx = std::min(x, 499 - x);
              if (y < 100) return Rgb{0, 0, 0};
              if (y < 200) return Rgb{255, 255, 255};
              if (y < 300) return Rgb{uint8_t(mx / 2), uint8_t(mx / 2), uint8_t(mx / 2)};
              if (y < 400) return Rgb{200, uint8_t(40 + mx / 3), 40};
              return Rgb{uint8_t((x * 7) % 256), uint8_t((y * 3) % 256), uint8_t((x + y) % 256)};
            }));
  std::string game = dir / "game";
  RunResult r = RunTool("import " + Quote(game) + " " + Quote(dir / "hard.bmp") + " --layers 5 --pieces 25 --time 400");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  ScratchDir out;
  ASSERT_TRUE(Extract(game + "/Picture.dat", out.path()));
  Picture solution = Load(out / "Level00_0.bmp");
  for (int k = 1; k < 5; ++k) {
    Picture decoy = Load(out / ("Level00_" + std::to_string(k) + ".bmp"));
    ASSERT_EQ(decoy.width, 500);
    EXPECT_GT(WeakestPiece(solution, decoy, 25), 8.0) << "decoy " << k;
    for (int j = 1; j < k; ++j) {
      Picture other = Load(out / ("Level00_" + std::to_string(j) + ".bmp"));
      EXPECT_FALSE(other.rgb == decoy.rgb) << "decoys " << j << " and " << k << " are the same";
    }
  }
}

TEST(ImportPictures, DamagedPicturesAreSkippedByName) {
  ScratchDir dir;
  Photos photos;
  std::vector<uint8_t> png = ReadBytes(photos.png);
  dir.Write("cut.png", std::vector<uint8_t>(png.begin(), png.begin() + static_cast<long>(png.size() / 2)));
  std::vector<uint8_t> noise(4000);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 131 + 7);
  noise[0] = 0xFF, noise[1] = 0xD8, noise[2] = 0xFF;
  dir.Write("noise.jpg", noise);
  dir.Write("text.bmp", std::string("this is not a picture"));
  dir.Write("empty.png", std::string());
  // A header that claims 60000 x 60000 pixels over a few bytes of data.
  std::vector<uint8_t> huge = Bmp(4, 4, [](int, int) { return RED; });
  huge[18] = 0x60, huge[19] = 0xEA, huge[22] = 0x60, huge[23] = 0xEA;
  dir.Write("huge.bmp", huge);
  fs::create_directories(dir / "folder.png");
  const char* bad[] = {"cut.png", "noise.jpg", "text.bmp", "empty.png", "huge.bmp", "folder.png", "missing.png"};
  std::string args;
  for (const char* b : bad) args += " " + Quote(dir / b);

  std::string game = dir / "game";
  RunResult r = RunTool("import " + Quote(game) + args + " " + Quote(photos.bmp));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  for (const char* b : bad) EXPECT_NE(r.output.find("skipped " + (dir / b)), std::string::npos) << b << "\n" << r.output;
  std::string script = game + "/Script.dat";
  EXPECT_EQ(PlayOrder(script), (std::vector<std::string>{"Level00"}));
  EXPECT_EQ(Value(script, "Level00", "LevelName"), "Photo 1");

  // Nothing readable: an error, and no game folder made.
  std::string none = dir / "none";
  RunResult r2 = RunTool("import " + Quote(none) + args);
  EXPECT_EQ(r2.exitCode, 1) << r2.output;
  EXPECT_NE(r2.output.find("none of the 7 pictures"), std::string::npos) << r2.output;
  EXPECT_NE(r2.output.find(dir / "noise.jpg"), std::string::npos) << r2.output;
  EXPECT_FALSE(fs::exists(none));
}

// Phones store a portrait as the sensor saw it and say in EXIF how to turn it;
// one-bit pictures can only be cut at their right and bottom edges.
TEST(ImportPictures, CameraTurnsAreAppliedAndOneBitPicturesKeepTheirProportions) {
  ScratchDir dir;
  PixelFn redOverBlue = [](int, int y) { return y < 120 ? RED : BLUE; };
  std::vector<uint8_t> plain = EncodeWithFfmpeg(AV_CODEC_ID_MJPEG, 240, 240, redOverBlue);
  ASSERT_FALSE(plain.empty());
  dir.Write("upright.jpg", plain);
  dir.Write("turned6.jpg", WithOrientation(plain, 6));
  dir.Write("turned3.jpg", WithOrientation(plain, 3));
  dir.Write("turned8.jpg", WithOrientation(plain, 8));
  dir.Write("stripes.bmp", OneBitBmp(96, 32, [](int x, int) { return (x / 4) % 2 == 0; }));
  std::string game = dir / "game";
  RunResult r = RunTool("import " + Quote(game) + " " + Quote(dir / "upright.jpg") + " " + Quote(dir / "turned6.jpg") +
                        " " + Quote(dir / "turned3.jpg") + " " + Quote(dir / "turned8.jpg") + " " +
                        Quote(dir / "stripes.bmp"));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  ScratchDir out;
  ASSERT_TRUE(Extract(game + "/Picture.dat", out.path()));
  // Mean colour of a quarter of the picture: top, bottom, left or right.
  auto quarter = [](const Picture& p, char side) {
    Picture q;
    for (int y = 0; y < 500; ++y)
      for (int x = 0; x < 500; ++x) {
        bool in = side == 't' ? y < 125 : side == 'b' ? y >= 375 : side == 'l' ? x < 125 : x >= 375;
        if (!in) continue;
        const uint8_t* px = &p.rgb[(static_cast<size_t>(y) * 500 + x) * 3];
        q.rgb.insert(q.rgb.end(), px, px + 3);
      }
    return q;
  };
  struct Expect {
    const char* level;
    char redSide, blueSide;
  };
  const Expect expects[] = {{"Level00", 't', 'b'}, {"Level01", 'r', 'l'}, {"Level02", 'b', 't'}, {"Level03", 'l', 'r'}};
  for (const Expect& e : expects) {
    Picture p = Load(out / (std::string(e.level) + "_0.bmp"));
    ASSERT_EQ(p.width, 500);
    EXPECT_LT(MeanDistance(quarter(p, e.redSide), RED), 15.0) << e.level;
    EXPECT_LT(MeanDistance(quarter(p, e.blueSide), BLUE), 15.0) << e.level;
  }
  // A 32-pixel square of 4-pixel stripes has 8 stripes across the board, not
  // the 24 a squeezed picture would show.
  Picture stripes = Load(out / "Level04_0.bmp");
  ASSERT_EQ(stripes.width, 500);
  int changes = 0;
  for (int x = 1; x < 500; ++x) changes += (stripes.At(x, 250) > 0x808080) != (stripes.At(x - 1, 250) > 0x808080);
  EXPECT_GE(changes, 6);
  EXPECT_LE(changes, 9);
}

TEST(ImportPictures, OptionsOutsideWhatTheGameTakesAreRefusedBeforeAnythingIsWritten) {
  Photos photos;
  ScratchDir dir;
  std::string game = dir / "game";
  std::string pic = " " + Quote(photos.bmp);
  struct Case {
    std::string args;
    const char* message;
  };
  const Case cases[] = {
      {pic + " --pieces 30", "--pieces '30'"},
      {pic + " --pieces 2x", "--pieces '2x'"},
      {pic + " --layers 1", "--layers '1'"},
      {pic + " --layers 6", "--layers '6'"},
      {pic + " --time 29", "--time '29'"},
      {pic + " --time 99999999999", "--time '99999999999'"},
      {pic + " --pieces 25 --time 150", "too short for 400 pieces"},
      {pic + " --stones 101", "--stones '101'"},
      {pic + " --stones -1", "--stones '-1'"},
      {pic + " --spiders 6", "--spiders '6'"},
      {pic + " --title ''", "empty title"},
      {pic + " --title 'Summer 2024'", "at most 10 bytes"},
      {pic + " --title 'a[b]'", "brackets"},
      {pic + " --title 'a\nb'", "control characters"},
      {pic + " --colour red", "unknown option --colour"},
      {pic + " --layers", "--layers needs a value"},
      {"", "no picture given"},
  };
  for (const Case& c : cases) {
    RunResult r = RunTool("import " + Quote(game) + c.args);
    EXPECT_EQ(r.exitCode, 2) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find("usage: tessera-tool import"), std::string::npos) << c.args;
  }
  EXPECT_EQ(RunTool("import").exitCode, 2);
  EXPECT_FALSE(fs::exists(game));
  // A title in a script the English game cannot draw.
  RunResult foreign = RunTool("import " + Quote(game) + pic + " --title 'Café'");
  EXPECT_EQ(foreign.exitCode, 1) << foreign.output;
  EXPECT_NE(foreign.output.find("cannot be written in this game's language"), std::string::npos) << foreign.output;
  EXPECT_FALSE(fs::exists(game));
  // A 25-pixel board without a time gets one second for each piece that starts wrong.
  RunResult fine = RunTool("import " + Quote(game) + pic + " --pieces 25 --layers 4");
  ASSERT_EQ(fine.exitCode, 0) << fine.output;
  EXPECT_EQ(Value(game + "/Script.dat", "Level00", "LimitedTime"), "300");
}

TEST(ImportPictures, AFullPictureArchiveLeavesTheGameAsItWas) {
  const std::string& demo = SharedDemo(false);
  ASSERT_FALSE(demo.empty());
  ScratchDir dir;
  std::string game = dir / "game";
  DeepCopy(demo, game);
  Photos photos;
  // 50 pictures of 5 layers cannot join the demo's pictures in one archive.
  std::string args;
  for (int i = 0; i < 50; ++i) args += " " + Quote(photos.bmp);
  RunResult r = RunTool("import " + Quote(game) + args + " --layers 5 --title P");
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_NE(r.output.find("it takes 300"), std::string::npos) << r.output;
  EXPECT_TRUE(ReadBytes(game + "/Script.dat") == ReadBytes(demo + "/Script.dat"));
  EXPECT_TRUE(ReadBytes(game + "/Picture.dat") == ReadBytes(demo + "/Picture.dat"));
}

}  // namespace
}  // namespace tessera::test
