#include "content/interface.h"

#include <algorithm>
#include <cmath>

#include "content/captions.h"
#include "content/pictures.h"

namespace tessera::content {

namespace {

constexpr Colour GOLD{236, 196, 110};
constexpr Colour DEEP{24, 30, 56};
constexpr Colour PANEL{44, 52, 86};
constexpr Colour PANEL_LIGHT{96, 110, 160};
constexpr Colour PANEL_DARK{16, 18, 34};
constexpr Colour TEXT_LIGHT{235, 232, 220};

// Buttons of the start menu and their caption keys (hit rectangles of the menu).
struct MenuButton {
  int x, y;
  const char* key;
};
constexpr MenuButton START_BUTTONS[] = {{502, 419, "NewGame"}, {502, 449, "Continue"}, {502, 479, "Quit"}};
constexpr int START_BUTTON_W = 158, START_BUTTON_H = 33;

Canvas Backdrop(uint32_t seed, float hue) {
  // A dusky sky over a gallery silhouette with glowing windows.
  Canvas c(800, 600);
  c.Gradient(0, 0, 800, 600, Hsv(hue + 0.65f, 0.6f, 0.22f), Hsv(hue + 0.95f, 0.5f, 0.55f));
  Rng rng(seed);
  for (int i = 0; i < 140; ++i) c.Disc(rng.Range(0, 800), rng.Range(0, 330), rng.Range(0.5f, 1.6f), Colour{255, 250, 230}, rng.Range(0.3f, 0.9f));
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      float n = Fbm(x * 0.004f, y * 0.012f, seed + 3, 4);
      if (n > 0.58f) c.Blend(x, y, Hsv(hue + 0.9f, 0.3f, 0.9f), (n - 0.58f) * 0.9f);
    }
  return c;
}

void GallerySilhouette(Canvas& c, int baseY, float hue) {
  Colour stone = Hsv(hue + 0.66f, 0.35f, 0.16f);
  c.FillRect(60, baseY - 170, 420, 170, stone);
  c.FillRect(200, baseY - 260, 140, 100, stone);
  for (int k = 0; k < 60; ++k) c.FillRect(200 + k, baseY - 260 - k, 140 - 2 * k, 1, stone);
  const float glassHues[] = {0.0f, 0.12f, 0.55f, 0.8f, 0.33f};
  for (int i = 0; i < 5; ++i) {
    int x = 90 + i * 78;
    Colour glass = Hsv(glassHues[i] + hue, 0.7f, 1.0f);
    c.RoundRect(x, baseY - 140, 44, 90, 20, glass);
    c.Line(x + 22.0f, float(baseY - 140), x + 22.0f, float(baseY - 50), 2, stone);
    c.Line(float(x), baseY - 95.0f, x + 44.0f, baseY - 95.0f, 2, stone);
  }
  c.Disc(270, baseY - 215, 26, Hsv(hue + 0.12f, 0.6f, 1.0f));
  c.FillRect(0, baseY, 800, 600 - baseY, Hsv(hue + 0.7f, 0.4f, 0.1f));
}

void Button(Canvas& c, int x, int y, int w, int h, bool lit, const std::string& caption, int size) {
  Colour top = lit ? Colour{250, 214, 120} : Colour{70, 82, 130};
  Colour bottom = lit ? Colour{196, 120, 40} : Colour{36, 42, 76};
  c.Gradient(x, y, w, h, top, bottom);
  c.Bevel(x, y, w, h, 2, lit ? Colour{255, 240, 190} : PANEL_LIGHT, PANEL_DARK);
  DrawCaptionCentred(c, caption, size, x + w / 2, y + (h - size) / 2, lit ? Colour{40, 20, 10} : TEXT_LIGHT, !lit);
}

Canvas Panel(int w, int h) {
  // Black corners stay transparent in keyed drawing; the body avoids pure black.
  Canvas c(w, h);
  Canvas body(w, h);
  body.Gradient(0, 0, w, h, Colour{60, 70, 112}, Colour{30, 34, 62});
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      float rx = std::min({float(i), float(w - 1 - i)}), ry = std::min({float(j), float(h - 1 - j)});
      const float r = 14;
      bool corner = rx < r && ry < r && std::hypot(r - rx, r - ry) > r;
      if (!corner) c.Set(i, j, body.Get(i, j));
    }
  // Gold rim inside the rounded outline.
  c.FrameRect(5, 5, w - 10, h - 10, 2, GOLD);
  return c;
}

Canvas PlayBackground(DemoLanguage language) {
  Canvas c(800, 600);
  c.Gradient(0, 0, 800, 600, Colour{30, 36, 64}, Colour{14, 16, 30});
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      float n = Fbm(x * 0.01f, y * 0.01f, 41, 4);
      c.Blend(x, y, Colour{90, 80, 140}, n * 0.25f);
    }
  // Faint lead-glass lattice over the whole table, so the frame reads as part
  // of the gallery rather than a flat panel.
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      float u = (x + y) % 48, v = (x - y + 4800) % 48;
      if (u < 1.5f || v < 1.5f) c.Blend(x, y, GOLD, 0.12f);
    }
  // Board well, framed by the clock track.
  c.FillRect(108, 8, 584, 584, Colour{22, 22, 36});
  c.FrameRect(108, 8, 584, 584, 2, GOLD);
  c.FillRect(148, 48, 504, 504, Colour{8, 8, 12});
  // The clock text sits in the gap of the top edge.
  c.FillRect(272, 8, 256, 38, Colour{22, 22, 36});
  // Left column: title plate, layer previews, direction compass, buttons.
  c.RoundRect(4, 6, 102, 42, 8, PANEL);
  for (int i = 0; i < 5; ++i) {
    c.FillRect(28, 73 + 60 * i, 56, 56, PANEL_DARK);
    c.FrameRect(28, 73 + 60 * i, 56, 56, 1, PANEL_LIGHT);
  }
  c.Disc(53, 444, 46, PANEL, 0.9f);
  c.Disc(53, 444, 44, Colour{34, 40, 70});
  for (int i = 0; i < 4; ++i) {
    int x = i % 2 == 0 ? 4 : 59, y = i < 2 ? 502 : 549;
    c.RoundRect(x, y, 50, 47, 6, PANEL);
  }
  // Button icons: boss (a tie), restart (an arrow), save (a disk), options (a gear).
  Colour ink{220, 220, 235};
  c.Line(29, 512, 29, 540, 5, ink);
  c.Line(22, 512, 36, 512, 4, ink);
  for (int k = 0; k < 300; k += 12) {
    float a = k * 3.14159f / 180;
    c.Disc(84 + 13 * std::cos(a), 526 + 13 * std::sin(a), 2.2f, ink);
  }
  c.Line(95, 514, 98, 524, 3, ink);
  c.FillRect(17, 561, 24, 24, ink);
  c.FillRect(22, 561, 14, 8, PANEL);
  for (int k = 0; k < 8; ++k) {
    float a = k * 3.14159f / 4;
    c.Line(84, 573, 84 + 14 * std::cos(a), 573 + 14 * std::sin(a), 5, ink);
  }
  c.Disc(84, 573, 9, ink);
  c.Disc(84, 573, 4, PANEL);
  // Right column: thumbnail frame, counter plate, goal-spot field.
  c.FillRect(689, 2, 108, 108, GOLD);
  c.FillRect(692, 5, 102, 102, PANEL_DARK);
  c.RoundRect(694, 196, 100, 30, 8, PANEL);
  c.FillRect(690, 226, 106, 366, Colour{20, 22, 40});
  c.FrameRect(690, 226, 106, 366, 1, PANEL_LIGHT);
  (void)language;
  return c;
}

Canvas ClockBorder(int which) {
  // Segments of the lit clock track: corners for 1, 3, 5 and 7.
  Canvas c(32, 32);
  c.Gradient(0, 0, 32, 32, Colour{70, 150, 230}, Colour{30, 80, 170});
  bool corner = which % 2 == 1;
  bool horizontal = which == 0 || which == 4;
  if (corner) {
    c.Disc(16, 16, 10, Colour{250, 214, 120});
    c.Disc(16, 16, 5, Colour{255, 250, 220});
  } else if (horizontal) {
    c.FillRect(0, 13, 32, 6, Colour{180, 230, 255});
  } else {
    c.FillRect(13, 0, 6, 32, Colour{180, 230, 255});
  }
  c.Bevel(0, 0, 32, 32, 1, Colour{150, 210, 255}, Colour{20, 40, 90});
  return c;
}

Canvas Arrow(int direction) {
  // Direction marks: 0 up, 1 down, 2 left, 3 right.
  Canvas c(30, 30, Colour{34, 40, 70});
  float pts[3][2] = {{15, 4}, {4, 25}, {26, 25}};
  for (auto& p : pts) {
    float x = p[0] - 15, y = p[1] - 15, nx = x, ny = y;
    if (direction == 1) { ny = -y; }
    if (direction == 2) { nx = y; ny = x; }
    if (direction == 3) { nx = -y; ny = x; }
    p[0] = nx + 15;
    p[1] = ny + 15;
  }
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) {
      auto side = [&](int a, int b) {
        return (pts[b][0] - pts[a][0]) * (y + 0.5f - pts[a][1]) - (pts[b][1] - pts[a][1]) * (x + 0.5f - pts[a][0]);
      };
      float s0 = side(0, 1), s1 = side(1, 2), s2 = side(2, 0);
      if ((s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0))
        c.Set(x, y, Mix(Colour{255, 220, 120}, Colour{230, 120, 40}, y / 30.0f));
    }
  return c;
}

Canvas Spot(bool lit) {
  Canvas c(9, 8);
  c.Disc(4.5f, 4, 3.6f, lit ? Colour{120, 255, 160} : Colour{70, 76, 100});
  if (lit) c.Disc(3.5f, 3, 1.2f, Colour{230, 255, 235});
  return c;
}

Canvas Banner(const std::string& text, bool good) {
  Canvas c = Panel(380, 120);
  Colour glow = good ? Colour{250, 214, 120} : Colour{255, 120, 110};
  for (int k = 0; k < 5; ++k) {
    float a = k * 1.2566f - 1.5708f;
    float cx = 190 + 150 * std::cos(a) * (k % 2 ? 1 : -1), cy = 60 + 35 * std::sin(a);
    c.Disc(cx, cy, 6, glow, 0.8f);
  }
  DrawCaptionCentred(c, text, 32, 190, 44, glow, true);
  return c;
}

Canvas Cursor() {
  // Black is the transparent colour; the arrow has a dark outline just above it.
  Canvas c(20, 24);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x <= y * 11 / 20 + 1 && x < 20; ++x) c.Set(x, y, Colour{30, 30, 40});
  for (int y = 2; y < 18; ++y)
    for (int x = 1; x <= (y - 1) * 11 / 20; ++x) c.Set(x, y, Mix(Colour{255, 250, 230}, Colour{250, 214, 120}, y / 18.0f));
  c.Line(6, 14, 11, 23, 3.5f, Colour{30, 30, 40});
  c.Line(6, 14, 11, 22, 1.5f, Colour{250, 214, 120});
  return c;
}

Canvas BossSheet() {
  Canvas c(800, 600, Colour{255, 255, 255});
  c.FillRect(0, 0, 800, 26, Colour{32, 110, 60});
  c.FillRect(0, 26, 800, 24, Colour{236, 236, 236});
  c.FillRect(0, 50, 40, 550, Colour{236, 236, 236});
  for (int x = 40; x < 800; x += 90) c.FillRect(x, 50, 1, 550, Colour{210, 210, 210});
  for (int y = 50; y < 600; y += 20) c.FillRect(0, y, 800, 1, Colour{210, 210, 210});
  DrawCaption(c, "Quarterly report.xls", 16, 8, 5, Colour{255, 255, 255});
  Rng rng(5);
  for (int row = 0; row < 27; ++row) {
    DrawCaption(c, std::to_string(row + 1), 16, 8, 52 + row * 20, Colour{90, 90, 90});
    for (int col = 0; col < 8; ++col) {
      std::string v = row == 0 ? std::string(1, static_cast<char>('A' + col)) + " total"
                               : std::to_string(1000 + rng.Int(90000));
      DrawCaption(c, v, 16, 46 + col * 90, 52 + row * 20, Colour{30, 30, 30});
    }
  }
  return c;
}

Canvas TravelDoors(DemoLanguage language) {
  // Two gallery doors that slide apart. While characters talk, only the inner
  // 112 columns of each door show at the screen's edges, so those columns carry
  // the door frames and handles and no lettering.
  Canvas c(800, 600);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      float grain = Fbm(x * 0.08f, y * 0.004f, 61, 4);
      float plank = (x % 100 < 2) ? 0.7f : 1.0f;
      c.Set(x, y, Scale(Mix(Colour{96, 58, 34}, Colour{140, 90, 52}, grain), plank));
    }
  for (int door = 0; door < 2; ++door) {
    int x0 = door * 400;
    c.FrameRect(x0 + 6, 6, 388, 588, 6, GOLD);
    // Arched stained-glass window on the outer part of each door.
    int wx = door == 0 ? 40 : 540;
    Canvas glass = PaintLayer({PictureKind::StainedGlass, uint32_t(70 + door), 0.05f + 0.5f * door, 1, door == 1}, 220, 300);
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 220; ++x) {
        float dx = x - 110.0f, dy = y - 110.0f;
        bool inside = y >= 110 ? true : dx * dx + dy * dy < 110.0f * 110.0f;
        if (inside) c.Set(wx + x, 70 + y, glass.Get(x, y));
      }
    c.FrameRect(wx - 4, 66 + 110, 228, 308 - 110, 4, GOLD);
    // Inner edge: a gilded stile and a ring handle.
    int edge = door == 0 ? 372 : 400;
    c.Gradient(edge, 0, 28, 600, Colour{250, 214, 120}, Colour{170, 110, 40});
    float hx = door == 0 ? 352.0f : 448.0f;
    c.Disc(hx, 330, 16, Colour{60, 40, 20});
    c.Disc(hx, 330, 13, GOLD);
    c.Disc(hx, 330, 8, Colour{96, 58, 34});
  }
  DrawCaptionCentred(c, Localized("Travel", language), 20, 150, 470, TEXT_LIGHT, true);
  DrawCaptionCentred(c, Localized("Title", language), 24, 650, 470, GOLD, true);
  return c;
}

}  // namespace

std::vector<NamedPicture> MakeInterfacePictures(DemoLanguage language) {
  CaptionFont font(EngineLanguage(language));
  std::vector<NamedPicture> out;
  auto add = [&](const std::string& name, Canvas c) { out.push_back({name, std::move(c)}); };

  // Start menu: the background carries the unlit buttons; highlights cover them.
  Canvas sm = Backdrop(3, 0.0f);
  GallerySilhouette(sm, 560, 0.0f);
  DrawCaptionCentred(sm, Localized("Title", language), 32, 580, 150, GOLD, true);
  DrawCaptionCentred(sm, Localized("Subtitle", language), 20, 580, 196, TEXT_LIGHT, true);
  sm.RoundRect(486, 404, 190, 122, 12, Colour{20, 22, 44});
  for (const MenuButton& b : START_BUTTONS)
    Button(sm, b.x, b.y + 1, START_BUTTON_W, START_BUTTON_H - 3, false, Localized(b.key, language), 20);
  add("SM_BG.bmp", sm);
  for (const MenuButton& b : START_BUTTONS) {
    Canvas lit(START_BUTTON_W, START_BUTTON_H);
    Button(lit, 0, 1, START_BUTTON_W, START_BUTTON_H - 3, true, Localized(b.key, language), 20);
    lit.AvoidKeyBlack(0, 0, START_BUTTON_W, START_BUTTON_H);
    const char* file = b.key == std::string("NewGame") ? "SM_NewGame.bmp" : b.key == std::string("Continue") ? "SM_Continue.bmp" : "SM_Quit.bmp";
    add(file, lit);
  }

  // Play screen.
  add("GameBG.bmp", PlayBackground(language));
  Canvas bar(504, 150);
  bar.RoundRect(0, 0, 504, 150, 16, Colour{240, 226, 190});
  bar.RoundRect(4, 4, 496, 142, 13, Colour{30, 34, 62});
  bar.RoundRect(7, 7, 490, 136, 11, Colour{46, 54, 92});
  add("TalkBar.bmp", bar);
  for (int d = 0; d < 4; ++d) add("Direction" + std::to_string(d) + ".bmp", Arrow(d));
  add("RatioSpot0.bmp", Spot(true));
  add("RatioSpot1.bmp", Spot(false));
  for (int d = 0; d < 8; ++d) add("ClockBorder" + std::to_string(d) + ".bmp", ClockBorder(d));
  add("PassGame.bmp", Banner(Localized("Pass", language), true));
  add("ResetGame.bmp", Banner(Localized("Reset", language), false));
  add("LevelTravelBG.bmp", TravelDoors(language));

  // Option menu.
  const char* itemNames[] = {"OM_Boss_Item.bmp", "OM_Restart_Item.bmp", "OM_Save_Item.bmp", "OM_Settings_Item.bmp"};
  Canvas play = PlayBackground(language);
  for (int i = 0; i < 4; ++i) {
    int x = i % 2 == 0 ? 4 : 59, y = i < 2 ? 502 : 549;
    Canvas item(50, 47);
    for (int yy = 0; yy < 47; ++yy)
      for (int xx = 0; xx < 50; ++xx) {
        Colour v = play.Get(x + xx, y + yy);
        item.Set(xx, yy, Mix(v, Colour{255, 220, 130}, 0.45f));
      }
    item.FrameRect(0, 0, 50, 47, 2, GOLD);
    if (i == 0) add(itemNames[0], item);
    else out.push_back({itemNames[i], item});
  }
  // Keep the game's loading order: boss item, boss page, restart, save, ...
  NamedPicture restart = out[out.size() - 3], save = out[out.size() - 2], settings = out[out.size() - 1];
  out.resize(out.size() - 3);
  add("OM_Boss.bmp", BossSheet());
  out.push_back(restart);
  out.push_back(save);
  Canvas saveLoad = Panel(340, 460);
  for (int n = 0; n < 10; ++n) saveLoad.FillRect(257 - 230, 142 + 36 * n - 70, 296, 30, Colour{26, 30, 54});
  add("OM_SaveLoad.bmp", saveLoad);
  out.push_back(settings);
  Canvas set = Panel(300, 240);  // at (250, 180) on the screen
  DrawCaption(set, Localized("WinRule", language), 16, 20, 257 - 180, TEXT_LIGHT);
  set.FillRect(351 - 250, 252 - 180, 26, 26, Colour{20, 22, 40});
  set.FillRect(411 - 250, 252 - 180, 26, 26, Colour{20, 22, 40});
  DrawCaption(set, Localized("Quarter", language), 16, 378 - 250, 257 - 180, TEXT_LIGHT);
  DrawCaption(set, Localized("All", language), 16, 438 - 250, 257 - 180, TEXT_LIGHT);
  DrawCaption(set, Localized("Music", language), 16, 20, 295 - 180, TEXT_LIGHT);
  DrawCaption(set, Localized("Sound", language), 16, 20, 323 - 180, TEXT_LIGHT);
  for (int y : {295, 323}) {
    set.FillRect(361 - 250, y - 180 + 6, 118, 4, Colour{20, 22, 40});
    set.FillRect(361 - 250, y - 180 + 7, 118, 2, PANEL_LIGHT);
  }
  for (int x : {285, 412}) {
    set.Gradient(x - 250, 376 - 180, 106, 31, Colour{70, 82, 130}, Colour{36, 42, 76});
    set.Bevel(x - 250, 376 - 180, 106, 31, 2, PANEL_LIGHT, PANEL_DARK);
  }
  add("OM_Settings.bmp", set);
  Canvas selected(26, 26, Colour{20, 22, 40});
  selected.Line(5, 13, 11, 20, 4, Colour{120, 255, 160});
  selected.Line(11, 20, 21, 6, 4, Colour{120, 255, 160});
  add("OM_Settings_Selected.bmp", selected);
  Canvas knob(8, 16);
  knob.Gradient(0, 0, 8, 16, Colour{255, 240, 190}, Colour{200, 130, 50});
  knob.Bevel(0, 0, 8, 16, 1, Colour{255, 255, 230}, Colour{90, 50, 20});
  add("OM_Settings_Bar.bmp", knob);
  Canvas box = Panel(260, 160);  // at (270, 220) on the screen
  Canvas yes(51, 51), no(51, 51);
  for (int lit = 0; lit < 2; ++lit) {
    Canvas& target = lit ? yes : box;
    int x = lit ? 0 : 428 - 270, y = lit ? 0 : 286 - 220;
    target.RoundRect(x, y, 51, 51, 8, lit ? Colour{250, 214, 120} : Colour{70, 82, 130});
    DrawCaptionCentred(target, Localized("Yes", language), 20, x + 25, y + 15, lit ? Colour{40, 20, 10} : TEXT_LIGHT);
    Canvas& target2 = lit ? no : box;
    x = lit ? 0 : 324 - 270;
    target2.RoundRect(x, y, 51, 51, 8, lit ? Colour{250, 214, 120} : Colour{70, 82, 130});
    DrawCaptionCentred(target2, Localized("No", language), 20, x + 25, y + 15, lit ? Colour{40, 20, 10} : TEXT_LIGHT);
  }
  yes.AvoidKeyBlack(0, 0, 51, 51);
  no.AvoidKeyBlack(0, 0, 51, 51);
  add("OM_Messagebox_BG.bmp", box);
  add("OM_Messagebox_Y.bmp", yes);
  add("OM_Messagebox_N.bmp", no);
  Canvas hint(300, 80, Colour{22, 24, 44});
  hint.RoundRect(0, 0, 300, 80, 14, Colour{250, 244, 226});
  hint.Line(2, 50, 40, 30, 10, Colour{250, 244, 226});
  add("OptionHint.bmp", hint);
  add("Cursor.bmp", Cursor());
  return out;
}

std::vector<NamedPicture> MakeStartLogos(DemoLanguage language) {
  CaptionFont font(EngineLanguage(language));
  std::vector<NamedPicture> out;
  const char* keys[] = {"Logo1", "Logo2", "Logo3"};
  for (int i = 0; i < 3; ++i) {
    Canvas c(800, 600, Colour{12, 12, 20});
    LayerRecipe r{i == 1 ? PictureKind::StainedGlass : PictureKind::Mandala, uint32_t(40 + i), 0.1f * i, float(i), false};
    Canvas emblem = PaintLayer(r, 240, 240);
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 240; ++x) {
        float d = std::hypot(x - 120.0f, y - 120.0f);
        if (d < 118) c.Set(280 + x, 120 + y, emblem.Get(x, y));
        else if (d < 121) c.Set(280 + x, 120 + y, GOLD);
      }
    DrawCaptionCentred(c, Localized(keys[i], language), 24, 400, 420, TEXT_LIGHT, true);
    out.push_back({"begin0" + std::to_string(i + 1) + ".bmp", std::move(c)});
  }
  return out;
}

std::vector<NamedPicture> MakeScenePictures(DemoLanguage language) {
  CaptionFont font(EngineLanguage(language));
  std::vector<NamedPicture> out;
  auto story = [&](Canvas c, const std::string& key, const std::string& name) {
    // A caption band at the bottom; long texts wrap at 720 pixels.
    c.FillRect(0, 500, 800, 100, Colour{14, 14, 26});
    c.FillRect(0, 500, 800, 2, GOLD);
    std::string text = Localized(key, language);
    size_t perLine = 720 / 12;
    int y = 514;
    for (size_t at = 0; at < text.size() && y < 570; y += 28) {
      size_t n = std::min(perLine, text.size() - at);
      // Do not split a two-byte character.
      size_t k = 0;
      while (k < n) k += (static_cast<unsigned char>(text[at + k]) >= 0xA1 && k + 1 < text.size() - at) ? 2 : 1;
      if (k > n) k -= 2;
      if (n < text.size() - at) {
        size_t space = text.rfind(' ', at + k);
        if (space != std::string::npos && space > at) k = space - at + 1;
      }
      DrawCaption(c, text.substr(at, k), 24, 40, y, TEXT_LIGHT, true);
      at += k;
    }
    DrawCaptionCentred(c, Localized("Click", language), 16, 700, 578, GOLD);
    out.push_back({name, std::move(c)});
  };
  Canvas a = Backdrop(21, 0.0f);
  GallerySilhouette(a, 470, 0.0f);
  story(a, "Intro0", "Intro00.bmp");
  Canvas b = Backdrop(22, 0.55f);
  GallerySilhouette(b, 470, 0.55f);
  for (int k = 0; k < 30; ++k) {
    Rng rng(k + 1);
    float x = rng.Range(100, 700), y = rng.Range(60, 300);
    b.FillRect(int(x), int(y), 10, 10, Hsv(rng.Unit(), 0.8f, 1.0f));
  }
  Canvas raven = PaintPortrait(Face::Raven, 180, 230);
  for (int y = 0; y < 230; ++y)
    for (int x = 0; x < 180; ++x) {
      Colour v = raven.Get(x, y);
      if (v.r + v.g + v.b > 0) b.Set(560 + x, 150 + y, v);
    }
  story(b, "Intro1", "Intro01.bmp");
  LayerRecipe hill{PictureKind::Landscape, 31, 0.05f, 0.5f, false};
  Canvas c = PaintLayer(hill, 800, 500);
  Canvas full(800, 600);
  full.Paste(c, 0, 0);
  Canvas mira = PaintPortrait(Face::Painter, 180, 230);
  for (int y = 0; y < 230; ++y)
    for (int x = 0; x < 180; ++x) {
      Colour v = mira.Get(x, y);
      if (v.r + v.g + v.b > 0) full.Set(60 + x, 270 + y, v);
    }
  story(full, "Intro2", "Intro02.bmp");
  LayerRecipe sea{PictureKind::Landscape, 11, 0.93f, 0.3f, false};
  Canvas coast(800, 600);
  coast.Paste(PaintLayer(sea, 800, 500), 0, 0);
  story(coast, "ToCoast", "ToCoast.bmp");
  LayerRecipe dawn{PictureKind::StainedGlass, 5, 0.1f, 1, false};
  Canvas fin = Backdrop(50, 0.1f);
  Canvas win = PaintLayer(dawn, 420, 420);
  for (int y = 0; y < 420; ++y)
    for (int x = 0; x < 420; ++x)
      if (std::hypot(x - 210.0f, y - 210.0f) < 205) fin.Set(190 + x, 40 + y, win.Get(x, y));
  story(fin, "Finale", "Finale.bmp");
  return out;
}

}  // namespace tessera::content
