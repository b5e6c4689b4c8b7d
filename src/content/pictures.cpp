#include "content/pictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tessera::content {

namespace {

constexpr float PI = 3.14159265f;

Canvas PaintJulia(const LayerRecipe& r, int w, int h) {
  // A Julia set framed so its filaments fill the picture: the outside in smooth
  // escape-time bands, the inside by how close each orbit came to the origin.
  // `param` moves c, which reshapes every spiral while keeping the family look.
  float cx = -0.79f + 0.012f * r.param + 0.004f * std::sin(r.seed * 0.7f);
  float cy = 0.16f + 0.008f * r.param;
  std::vector<Colour> outside = {Hsv(r.hue + 0.62f, 0.85f, 0.3f), Hsv(r.hue + 0.55f, 0.7f, 0.9f),
                                 Hsv(r.hue + 0.12f, 0.6f, 1.0f), Hsv(r.hue + 0.02f, 0.9f, 0.85f),
                                 Hsv(r.hue + 0.85f, 0.7f, 0.5f)};
  std::vector<Colour> inside = {Hsv(r.hue + 0.1f, 0.9f, 0.35f), Hsv(r.hue + 0.15f, 0.8f, 0.95f),
                                Hsv(r.hue + 0.3f, 0.6f, 0.6f)};
  Canvas c(w, h);
  const int maxIter = 200;
  const float span = 1.9f;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Colour sum{};
      for (int s = 0; s < 2; ++s) {
        float px = ((x + 0.25f + 0.5f * s) / w - 0.5f) * span;
        float py = ((y + 0.25f + 0.5f * s) / h - 0.5f) * span;
        // A slight turn so the main spiral arms cross the picture diagonally.
        float zx = px * 0.94f - py * 0.34f, zy = px * 0.34f + py * 0.94f;
        int i = 0;
        float m2 = 0, trap = 1e9f;
        for (; i < maxIter; ++i) {
          float nx = zx * zx - zy * zy + cx;
          zy = 2 * zx * zy + cy;
          zx = nx;
          m2 = zx * zx + zy * zy;
          trap = std::min(trap, m2);
          if (m2 > 256) break;
        }
        Colour col;
        if (i == maxIter) {
          col = Palette(inside, std::sqrt(trap) * 2.5f);
        } else {
          float smooth = i + 1 - std::log2(std::log2(std::max(m2, 1.0001f)));
          col = Palette(outside, std::log(1.0f + smooth) * 0.55f);
        }
        sum = {sum.r + col.r / 2, sum.g + col.g / 2, sum.b + col.b / 2};
      }
      c.Set(r.mirror ? w - 1 - x : x, y, sum);
    }
  return c;
}

Canvas PaintLandscape(const LayerRecipe& r, int w, int h) {
  // Sky, sun, three mountain ranges, and a lake reflecting all of it.
  Canvas c(w, h);
  int horizon = h * 62 / 100;
  Colour skyTop = Hsv(r.hue + 0.62f, 0.7f, 0.45f), skyLow = Hsv(r.hue + 0.06f, 0.6f, 1.0f);
  float sunX = w * (0.3f + 0.4f * std::fmod(r.param * 0.37f + 0.2f, 1.0f));
  float sunY = horizon * (0.22f + 0.1f * std::sin(r.param));
  for (int y = 0; y < horizon; ++y)
    for (int x = 0; x < w; ++x) {
      float t = float(y) / horizon;
      Colour col = Mix(skyTop, skyLow, std::pow(t, 1.4f));
      float d = std::hypot(x - sunX, y - sunY);
      float glow = std::exp(-d / (w * 0.18f));
      col = Mix(col, Hsv(r.hue + 0.1f, 0.35f, 1.0f), glow * 0.7f);
      // Wisps of cloud.
      float cl = Fbm(x * 0.012f, y * 0.04f, r.seed + 7, 4);
      col = Mix(col, Hsv(r.hue + 0.05f, 0.2f, 1.0f), std::clamp((cl - 0.55f) * 2.2f, 0.0f, 0.6f) * (1 - t));
      c.Set(x, y, col);
    }
  c.Disc(sunX, sunY, w * 0.06f, Hsv(r.hue + 0.12f, 0.25f, 1.0f));
  for (int range = 0; range < 3; ++range) {
    Colour far = Hsv(r.hue + 0.65f - 0.04f * range, 0.45f + 0.15f * range, 0.8f - 0.18f * range);
    float base = horizon - h * (0.22f - 0.06f * range);
    for (int x = 0; x < w; ++x) {
      float n = Fbm(x * (0.006f + 0.004f * range), 0.5f + range, r.seed * 31 + range, 5);
      int top = static_cast<int>(base - (n - 0.3f) * h * (0.45f - 0.1f * range));
      for (int y = std::max(0, top); y < horizon; ++y) {
        float haze = float(y - top) / std::max(1, horizon - top);
        c.Set(x, y, Mix(far, Scale(far, 0.7f), haze));
      }
    }
  }
  // Trees along the shore.
  Rng rng(r.seed * 13 + 5);
  for (int i = 0; i < 40; ++i) {
    float x = rng.Range(0, float(w));
    float hgt = rng.Range(h * 0.03f, h * 0.08f);
    Colour tree = Hsv(r.hue + 0.33f, 0.6f, 0.3f + rng.Range(0, 0.1f));
    for (int k = 0; k < hgt; ++k) {
      float half = (hgt - k) * 0.28f;
      c.FillRect(static_cast<int>(x - half), horizon - 1 - k, static_cast<int>(2 * half) + 1, 1, tree);
    }
  }
  for (int y = horizon; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float depth = float(y - horizon) / (h - horizon);
      float ripple = std::sin(y * 0.9f + 3 * Fbm(x * 0.02f, y * 0.15f, r.seed + 3, 3)) * (2 + 6 * depth);
      int sx = std::clamp(static_cast<int>(x + ripple), 0, w - 1);
      int sy = std::clamp(2 * horizon - y - 1, 0, horizon - 1);
      Colour col = c.Get(sx, sy);
      col = Mix(Scale(col, 0.9f), Hsv(r.hue + 0.58f, 0.6f, 0.4f), 0.12f + 0.25f * depth);
      c.Set(x, y, col);
    }
  return r.mirror ? c.Mirrored() : c;
}

Canvas PaintStainedGlass(const LayerRecipe& r, int w, int h) {
  // Voronoi panes around a rose: colour follows angle and ring, lead between.
  Rng rng(r.seed);
  struct Site { float x, y; Colour col; };
  std::vector<Site> sites;
  // Rings reach past the corners, so every part of the square is glass.
  int rings = 10;
  for (int ring = 0; ring < rings; ++ring) {
    int n = ring == 0 ? 1 : 6 * ring + static_cast<int>(r.param);
    float rad = ring * w * 0.075f;
    for (int k = 0; k < n; ++k) {
      float ang = (k + 0.5f * (ring % 2)) * 2 * PI / n;
      float jx = rng.Range(-5, 5), jy = rng.Range(-5, 5);
      float hue = r.hue + float(k % 6) / 6.0f * 0.5f + ring * 0.11f;
      float val = 0.55f + 0.4f * ((k + ring) % 3) / 2.0f;
      sites.push_back({w / 2.0f + rad * std::cos(ang) + jx, h / 2.0f + rad * std::sin(ang) + jy,
                       Hsv(hue, 0.75f, val)});
    }
  }
  Canvas c(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float best = 1e18f, second = 1e18f;
      size_t bi = 0;
      for (size_t i = 0; i < sites.size(); ++i) {
        float dx = x - sites[i].x, dy = y - sites[i].y;
        float d = dx * dx + dy * dy;
        if (d < best) { second = best; best = d; bi = i; }
        else if (d < second) second = d;
      }
      best = std::sqrt(best);
      second = std::sqrt(second);
      float edge = second - best;
      Colour col = sites[bi].col;
      // Light through the glass: brighter in the middle of a pane, mottled.
      float mottle = 0.85f + 0.3f * Fbm(x * 0.05f, y * 0.05f, r.seed + 11, 3);
      float centre = 1.0f - std::min(1.0f, best / 60.0f) * 0.3f;
      col = Scale(col, mottle * centre);
      float lead = std::clamp((3.2f - edge) / 1.5f, 0.0f, 1.0f);
      col = Mix(col, Colour{28, 26, 30}, lead);
      // A heavier lead circle frames the rose; the corner panes stay lit.
      float rr = std::hypot(x - w / 2.0f, y - h / 2.0f);
      col = Mix(col, Colour{28, 26, 30}, std::clamp(1.0f - std::fabs(rr - w * 0.47f) / 3.0f, 0.0f, 1.0f));
      c.Set(r.mirror ? w - 1 - x : x, y, col);
    }
  return c;
}

Canvas PaintMandala(const LayerRecipe& r, int w, int h) {
  // N-fold symmetric bands; `param` sets the fold count and the petal shape.
  int folds = 6 + static_cast<int>(r.param);
  Canvas c(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float dx = (x - w / 2.0f) / (w / 2.0f), dy = (y - h / 2.0f) / (h / 2.0f);
      float rad = std::hypot(dx, dy);
      float ang = std::atan2(dy, dx) + (r.mirror ? 0.3f : 0.0f);
      float petal = std::fabs(std::cos(ang * folds * 0.5f));
      float band = rad * 7.0f + petal * (1.2f + 0.2f * r.param);
      float ring = band - std::floor(band);
      float inner = std::sin(ang * folds * 2 + rad * 20) * 0.5f + 0.5f;
      Colour a = Hsv(r.hue + std::floor(band) * 0.13f, 0.7f, 0.95f);
      Colour b = Hsv(r.hue + 0.5f + std::floor(band) * 0.07f, 0.8f, 0.45f);
      Colour col = Mix(a, b, inner * 0.6f);
      float line = std::clamp((0.08f - std::min(ring, 1 - ring)) * 25, 0.0f, 1.0f);
      col = Mix(col, Hsv(r.hue + 0.1f, 0.3f, 1.0f), line * 0.8f);
      float vign = std::clamp(1.3f - rad * 0.6f, 0.3f, 1.0f);
      c.Set(x, y, Scale(col, vign));
    }
  return c;
}

}  // namespace

Canvas PaintLayer(const LayerRecipe& recipe, int width, int height) {
  switch (recipe.kind) {
    case PictureKind::Julia: return PaintJulia(recipe, width, height);
    case PictureKind::Landscape: return PaintLandscape(recipe, width, height);
    case PictureKind::StainedGlass: return PaintStainedGlass(recipe, width, height);
    case PictureKind::Mandala: return PaintMandala(recipe, width, height);
  }
  return Canvas(width, height);
}

Canvas PaintPortrait(Face face, int w, int h) {
  Canvas c(w, h);  // black: transparent when keyed
  Colour skin, hair, cloth, eye;
  switch (face) {
    case Face::Painter: skin = {236, 196, 164}; hair = {150, 62, 40}; cloth = {60, 110, 170}; eye = {40, 120, 90}; break;
    case Face::Keeper: skin = {214, 170, 140}; hair = {210, 210, 215}; cloth = {110, 70, 50}; eye = {60, 60, 90}; break;
    case Face::Wisp: skin = {170, 230, 255}; hair = {240, 250, 255}; cloth = {120, 200, 250}; eye = {20, 40, 120}; break;
    case Face::Raven: skin = {200, 190, 200}; hair = {40, 30, 60}; cloth = {70, 30, 80}; eye = {200, 60, 60}; break;
  }
  float cx = w / 2.0f;
  // Shoulders and collar.
  for (int y = h * 7 / 10; y < h; ++y) {
    float half = w * 0.2f + (y - h * 0.7f) * 0.9f;
    for (int x = static_cast<int>(cx - half); x <= static_cast<int>(cx + half); ++x)
      c.Set(x, y, Mix(cloth, Scale(cloth, 0.6f), float(y - h * 7 / 10) / (h * 0.3f)));
  }
  c.Disc(cx, h * 0.72f, w * 0.1f, skin);
  // Hair behind the head.
  if (face == Face::Painter) c.Disc(cx, h * 0.42f, w * 0.33f, hair);
  if (face == Face::Raven) {
    for (int k = 0; k < 9; ++k) c.Line(cx, h * 0.3f, cx - w * 0.45f + k * w * 0.11f, h * 0.72f, 10, hair);
  }
  // Head.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float dx = (x + 0.5f - cx) / (w * 0.27f), dy = (y + 0.5f - h * 0.43f) / (h * 0.25f);
      float d = dx * dx + dy * dy;
      if (d < 1) c.Set(x, y, Mix(skin, Scale(skin, 0.8f), std::clamp(dx * 0.5f + 0.3f, 0.0f, 1.0f) * d));
    }
  // Hair on top.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float dx = (x + 0.5f - cx) / (w * 0.3f), dy = (y + 0.5f - h * 0.36f) / (h * 0.22f);
      if (dx * dx + dy * dy < 1 && y < h * 0.33f + std::fabs(dx) * h * 0.1f) c.Set(x, y, hair);
    }
  if (face == Face::Keeper) {
    // Beard.
    for (int y = static_cast<int>(h * 0.5f); y < h * 0.72f; ++y) {
      float half = w * 0.22f * (1 - (y - h * 0.5f) / (h * 0.26f));
      c.FillRect(static_cast<int>(cx - half), y, static_cast<int>(2 * half), 1, hair);
    }
  }
  if (face == Face::Wisp) {
    for (int k = 0; k < 14; ++k) {
      float a = k * 2 * PI / 14;
      c.Disc(cx + std::cos(a) * w * 0.38f, h * 0.43f + std::sin(a) * h * 0.3f, 4, Colour{255, 255, 200}, 0.8f);
    }
  }
  // Eyes, brows, mouth, cheeks.
  for (int side = -1; side <= 1; side += 2) {
    float ex = cx + side * w * 0.1f, ey = h * 0.43f;
    c.Disc(ex, ey, w * 0.04f, Colour{250, 250, 250});
    c.Disc(ex, ey, w * 0.025f, eye);
    c.Disc(ex + 1, ey - 1, 1.2f, Colour{255, 255, 255});
    c.Line(ex - w * 0.05f, ey - h * 0.05f, ex + w * 0.05f, ey - h * 0.055f - side * 1.0f, 2.5f, Scale(hair, 0.7f));
    c.Disc(cx + side * w * 0.15f, h * 0.5f, w * 0.035f, Colour{240, 140, 140}, 0.35f);
  }
  c.Line(cx - w * 0.05f, h * 0.555f, cx + w * 0.05f, h * 0.555f, 2.5f, Colour{150, 60, 60});
  c.Line(cx, h * 0.45f, cx - 2, h * 0.51f, 2, Scale(skin, 0.75f));
  // Keep everything but the background off the transparent black.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Colour v = c.Get(x, y);
      if (v.r + v.g + v.b > 0 && v.r < 8 && v.g < 8 && v.b < 8) c.Set(x, y, Colour{12, 10, 14});
    }
  return c;
}

Canvas PaintStone(int side) {
  Canvas c(side, side, Colour{70, 64, 60});
  float k = side / 100.0f;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      float n = Fbm(x / (12 * k), y / (12 * k), 77, 4);
      float dx = (x - side / 2.0f) / (side * 0.48f), dy = (y - side / 2.0f) / (side * 0.46f);
      float d = dx * dx + dy * dy;
      Colour base = Mix(Colour{140, 132, 120}, Colour{90, 84, 80}, n);
      float light = std::clamp(1.1f - 0.5f * (dx + dy) * 0.5f - d * 0.35f, 0.4f, 1.3f);
      Colour col = d < 1.0f ? Scale(base, light) : Colour{60, 56, 54};
      c.Set(x, y, col);
    }
  c.Line(side * 0.3f, side * 0.35f, side * 0.5f, side * 0.55f, std::max(1.0f, 2 * k), Colour{60, 55, 50});
  c.Line(side * 0.5f, side * 0.55f, side * 0.62f, side * 0.5f, std::max(1.0f, 2 * k), Colour{60, 55, 50});
  c.Bevel(0, 0, side, side, std::max(1, side / 25), Colour{120, 112, 104}, Colour{40, 36, 34});
  return c;
}

Canvas PaintExplosion(int side, int frame) {
  Canvas c(side, side);
  Rng rng(900 + frame);
  float t = (frame + 1) / 4.0f;
  float cx = side / 2.0f, cy = side / 2.0f;
  c.Disc(cx, cy, side * 0.45f * t, Colour{255, 200.0f - 40.0f * frame, 80}, 1.0f - 0.2f * frame);
  c.Disc(cx, cy, side * 0.3f * t, Colour{255, 250, 210}, 1.0f - 0.25f * frame);
  for (int i = 0; i < 10; ++i) {
    float a = rng.Range(0, 2 * PI), d = side * (0.15f + 0.35f * t) * rng.Range(0.6f, 1.0f);
    c.Disc(cx + std::cos(a) * d, cy + std::sin(a) * d, std::max(1.0f, side * 0.06f * (1.2f - t)),
           Colour{130, 120, 110});
  }
  return c;
}

Canvas PaintSpider(int side, int kind, int frame) {
  Canvas c(side, side);
  float k = side / 100.0f;
  float cx = side / 2.0f, cy = side / 2.0f;
  Colour body = kind == 0 ? Colour{120, 80, 40} : Colour{150, 20, 30};
  Colour leg = kind == 0 ? Colour{90, 60, 30} : Colour{60, 15, 20};
  float sway = std::sin(frame * PI / 2) * 6 * k;
  float lw = std::max(1.0f, 3.5f * k);
  for (int s = -1; s <= 1; s += 2)
    for (int i = 0; i < 4; ++i) {
      float baseY = cy - 10 * k + i * 7 * k;
      float kneeX = cx + s * 24 * k, kneeY = baseY - 14 * k + ((i + frame) % 2 ? sway : -sway);
      float footX = cx + s * 42 * k, footY = baseY + (i - 1.5f) * 12 * k;
      c.Line(cx + s * 6 * k, baseY, kneeX, kneeY, lw, leg);
      c.Line(kneeX, kneeY, footX, footY, lw, leg);
    }
  c.Disc(cx, cy + 12 * k, 16 * k, body);
  c.Disc(cx, cy - 8 * k, 10 * k, Scale(body, 0.8f));
  if (kind == 1) c.Disc(cx, cy + 12 * k, 6 * k, Colour{250, 200, 40});
  c.Disc(cx - 4 * k, cy - 11 * k, std::max(1.0f, 2.5f * k), Colour{255, 255, 255});
  c.Disc(cx + 4 * k, cy - 11 * k, std::max(1.0f, 2.5f * k), Colour{255, 255, 255});
  c.Disc(cx - 4 * k, cy - 11 * k, std::max(0.6f, 1.2f * k), Colour{20, 20, 20});
  c.Disc(cx + 4 * k, cy - 11 * k, std::max(0.6f, 1.2f * k), Colour{20, 20, 20});
  return c;
}

Canvas PaintCobweb(int side) {
  Canvas c(side, side);
  float k = side / 100.0f;
  float cx = side * 0.45f, cy = side * 0.45f;
  Colour silk{235, 235, 240};
  float lw = std::max(1.0f, 1.4f * k);
  std::vector<std::pair<float, float>> spokes;
  for (int i = 0; i < 8; ++i) {
    float a = i * 2 * PI / 8 + 0.2f;
    float ex = cx + std::cos(a) * side, ey = cy + std::sin(a) * side;
    c.Line(cx, cy, ex, ey, lw, silk, 0.9f);
    spokes.push_back({std::cos(a), std::sin(a)});
  }
  for (int ring = 1; ring <= 5; ++ring) {
    float rad = ring * side * 0.11f;
    for (int i = 0; i < 8; ++i) {
      auto [ax, ay] = spokes[i];
      auto [bx, by] = spokes[(i + 1) % 8];
      c.Line(cx + ax * rad, cy + ay * rad, cx + bx * rad * 0.95f, cy + by * rad * 0.95f, lw, silk, 0.75f);
    }
  }
  return c;
}

namespace {

// Hue turns as a rotation of the chroma plane of YIQ: brightness is kept, so the
// picture keeps its shapes and only its colours change.
void TurnPixel(const uint8_t* in, uint8_t* out, float c, float s) {
  float r = in[0], g = in[1], b = in[2];
  float y = 0.299f * r + 0.587f * g + 0.114f * b;
  float i = 0.596f * r - 0.274f * g - 0.322f * b;
  float q = 0.211f * r - 0.523f * g + 0.312f * b;
  float i2 = i * c - q * s, q2 = i * s + q * c;
  auto put = [](float v) { return static_cast<uint8_t>(std::clamp(v + 0.5f, 0.0f, 255.0f)); };
  out[0] = put(y + 0.956f * i2 + 0.621f * q2);
  out[1] = put(y - 0.272f * i2 - 0.647f * q2);
  out[2] = put(y - 1.106f * i2 + 1.703f * q2);
}

struct DecoyRecipe {
  float hue;
  bool mirror;
};
// A small turn first (the hard one), then the mirror image, which a turn of the
// hue keeps apart from the solution where the picture is alike on both sides.
constexpr DecoyRecipe DECOYS[] = {{0.12f, false}, {0.5f, true}, {0.33f, false}, {0.75f, true}};

double PieceDifference(const Canvas& a, const Canvas& b, int x0, int y0, int side) {
  double sum = 0;
  for (int y = y0; y < y0 + side; ++y) {
    const uint8_t* pa = &a.rgb[(static_cast<size_t>(y) * a.width + x0) * 3];
    const uint8_t* pb = &b.rgb[(static_cast<size_t>(y) * b.width + x0) * 3];
    for (int k = 0; k < side * 3; ++k) sum += std::abs(int(pa[k]) - int(pb[k]));
  }
  return sum / (3.0 * side * side);
}

float HueOf(const uint8_t* p) {
  float r = p[0], g = p[1], b = p[2];
  float hi = std::max({r, g, b}), lo = std::min({r, g, b}), d = hi - lo;
  if (d <= 0) return 0;
  float h = hi == r ? (g - b) / d : hi == g ? 2 + (b - r) / d : 4 + (r - g) / d;
  return h / 6.0f;
}

// Blends the decoy towards a saturated colour at each pixel's own brightness
// (never darker than a dim shade, so black areas take colour too), as far as
// the solution's pixel there is grey. The colour is the complement of the
// solution's own hue, so the tint always moves away from what the player must
// tell apart, and `greyHue` where the solution has no hue at all.
void Tint(Canvas& decoy, const Canvas& solution, float greyHue, float strength) {
  for (size_t at = 0; at + 2 < decoy.rgb.size(); at += 3) {
    const uint8_t* s = &solution.rgb[at];
    uint8_t* p = &decoy.rgb[at];
    int hi = std::max({s[0], s[1], s[2]}), lo = std::min({s[0], s[1], s[2]});
    float grey = 1.0f - (hi > 0 ? float(hi - lo) / hi : 0.0f);
    float hue = hi - lo < 8 ? greyHue : HueOf(s) + 0.5f;
    int bright = std::max({p[0], p[1], p[2]});
    Colour target = Hsv(hue, 0.8f, std::max(bright / 255.0f, 0.35f));
    float k = strength * grey;
    p[0] = static_cast<uint8_t>(std::clamp(p[0] + (target.r - p[0]) * k + 0.5f, 0.0f, 255.0f));
    p[1] = static_cast<uint8_t>(std::clamp(p[1] + (target.g - p[1]) * k + 0.5f, 0.0f, 255.0f));
    p[2] = static_cast<uint8_t>(std::clamp(p[2] + (target.b - p[2]) * k + 0.5f, 0.0f, 255.0f));
  }
}

}  // namespace

Canvas RotateHue(const Canvas& src, float turns) {
  Canvas out(src.width, src.height);
  float angle = 2 * PI * turns;
  float c = std::cos(angle), s = std::sin(angle);
  for (size_t at = 0; at + 2 < src.rgb.size(); at += 3) TurnPixel(&src.rgb[at], &out.rgb[at], c, s);
  return out;
}

Canvas MakePictureDecoy(const Canvas& solution, int index, int pieceSide) {
  const DecoyRecipe& r = DECOYS[std::clamp(index - 1, 0, 3)];
  const Canvas turned = RotateHue(r.mirror ? solution.Mirrored() : solution, r.hue);
  // The lightest tint that sets every piece apart, the same over the whole
  // picture, so no piece gives itself away by a patch of its own.
  Canvas decoy;
  for (float strength : {0.15f, 0.25f, 0.35f, 0.5f, 0.7f, 0.9f}) {
    decoy = turned;
    Tint(decoy, solution, r.hue, strength);
    if (pieceSide <= 0 || WeakestPieceDifference(solution, decoy, pieceSide) >= DECOY_MIN_DIFFERENCE) return decoy;
  }
  for (int y = 0; y + pieceSide <= decoy.height; y += pieceSide)
    for (int x = 0; x + pieceSide <= decoy.width; x += pieceSide) {
      // Pieces still alike are flat and colourless in both pictures; the tint
      // acts on them alone, whatever colour is already there.
      for (int step = 0; step < 8 && PieceDifference(solution, decoy, x, y, pieceSide) < DECOY_MIN_DIFFERENCE; ++step)
        for (int yy = y; yy < y + pieceSide; ++yy)
          for (int xx = x; xx < x + pieceSide; ++xx) {
            uint8_t* p = &decoy.rgb[(static_cast<size_t>(yy) * decoy.width + xx) * 3];
            Colour target = Hsv(r.hue + 0.5f * step / 8.0f, 0.9f, std::max(std::max({p[0], p[1], p[2]}) / 255.0f, 0.5f));
            decoy.Set(xx, yy, Mix(Colour{float(p[0]), float(p[1]), float(p[2])}, target, 0.35f));
          }
    }
  return decoy;
}

double WeakestPieceDifference(const Canvas& a, const Canvas& b, int pieceSide) {
  if (pieceSide <= 0 || a.width != b.width || a.height != b.height) return 0;
  double weakest = 1e9;
  for (int y = 0; y + pieceSide <= a.height; y += pieceSide)
    for (int x = 0; x + pieceSide <= a.width; x += pieceSide)
      weakest = std::min(weakest, PieceDifference(a, b, x, y, pieceSide));
  return weakest;
}

}  // namespace tessera::content
