#include "icons.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/backends.h"

namespace tessera::tool {

using content::MakeHostDirs;
using content::WriteHostFile;

namespace {

// The icon in the units of a 256 x 256 view box. The PNG painter and the SVG
// writer both read these, so the two drawings cannot drift apart.
constexpr float VIEW = 256;
constexpr uint32_t BACKGROUND = 0x161a2e;
// Three by three pieces with rounded corners; the one at DECOY_ROW, DECOY_COLUMN
// shows the picture with its colours turned, as a decoy layer does in the game.
constexpr float PIECE_MARGIN = 16, PIECE_SIDE = 68, PIECE_GAP = 10, PIECE_RADIUS = 7;
constexpr int DECOY_ROW = 0, DECOY_COLUMN = 2;
// The picture: a sky from deep blue to a sunset glow, a sun, a hill.
struct Stop {
  float y;
  uint32_t rgb;
};
constexpr Stop SKY[] = {{0, 0x2b3a8c}, {140, 0xe0785a}, {180, 0xf6c26b}};
constexpr float SUN_X = 128, SUN_Y = 160, SUN_RADIUS = 44;
constexpr uint32_t SUN = 0xfff0b0;
// The hill's top edge is the quadratic curve from (0, HILL_EDGE) through the
// control point (VIEW / 2, HILL_CONTROL) to (VIEW, HILL_EDGE).
constexpr float HILL_EDGE = 200, HILL_CONTROL = 160;
constexpr uint32_t HILL = 0x2f5d3f;

Colour FromRgb(uint32_t rgb) {
  return {float((rgb >> 16) & 0xFF), float((rgb >> 8) & 0xFF), float(rgb & 0xFF)};
}

std::string Hex(uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(rgb & 0xFFFFFF));
  return text;
}

std::string Number(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
  return text;
}

float PieceStart(int index) { return PIECE_MARGIN + static_cast<float>(index) * (PIECE_SIDE + PIECE_GAP); }

// The piece (row * 3 + column) a point lies on, or -1 for the gaps and margin.
int PieceAt(float x, float y) {
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) {
      float half = PIECE_SIDE / 2, inner = half - PIECE_RADIUS;
      float dx = std::max(std::fabs(x - (PieceStart(column) + half)) - inner, 0.0f);
      float dy = std::max(std::fabs(y - (PieceStart(row) + half)) - inner, 0.0f);
      if (std::fabs(x - (PieceStart(column) + half)) <= half && std::fabs(y - (PieceStart(row) + half)) <= half &&
          dx * dx + dy * dy <= PIECE_RADIUS * PIECE_RADIUS)
        return row * 3 + column;
    }
  return -1;
}

Colour PictureAt(float x, float y) {
  float t = x / VIEW;
  if (y >= HILL_EDGE + 2 * (HILL_CONTROL - HILL_EDGE) * t * (1 - t)) return FromRgb(HILL);
  float dx = x - SUN_X, dy = y - SUN_Y;
  if (dx * dx + dy * dy <= SUN_RADIUS * SUN_RADIUS) return FromRgb(SUN);
  if (y <= SKY[0].y) return FromRgb(SKY[0].rgb);
  for (size_t i = 1; i < std::size(SKY); ++i)
    if (y <= SKY[i].y)
      return Mix(FromRgb(SKY[i - 1].rgb), FromRgb(SKY[i].rgb), (y - SKY[i - 1].y) / (SKY[i].y - SKY[i - 1].y));
  return FromRgb(SKY[std::size(SKY) - 1].rgb);
}

Colour IconAt(float x, float y) {
  int piece = PieceAt(x, y);
  if (piece < 0) return FromRgb(BACKGROUND);
  Colour c = PictureAt(x, y);
  if (piece == DECOY_ROW * 3 + DECOY_COLUMN) return {c.g, c.b, c.r};
  return c;
}

std::string PieceRect(int row, int column) {
  return "<rect x=\"" + Number(PieceStart(column)) + "\" y=\"" + Number(PieceStart(row)) + "\" width=\"" +
         Number(PIECE_SIDE) + "\" height=\"" + Number(PIECE_SIDE) + "\" rx=\"" + Number(PIECE_RADIUS) + "\"/>";
}

}  // namespace

std::string IconSvg() {
  std::string s;
  s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s += "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"256\" "
       "height=\"256\" viewBox=\"0 0 256 256\">\n";
  s += "  <title>Tessera</title>\n  <defs>\n";
  s += "    <linearGradient id=\"sky\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"" +
       Number(VIEW) + "\">\n";
  for (const Stop& stop : SKY)
    s += "      <stop offset=\"" + Number(stop.y / VIEW) + "\" stop-color=\"" + Hex(stop.rgb) + "\"/>\n";
  s += "    </linearGradient>\n";
  s += "    <g id=\"picture\">\n";
  s += "      <rect width=\"" + Number(VIEW) + "\" height=\"" + Number(VIEW) + "\" fill=\"url(#sky)\"/>\n";
  s += "      <circle cx=\"" + Number(SUN_X) + "\" cy=\"" + Number(SUN_Y) + "\" r=\"" + Number(SUN_RADIUS) +
       "\" fill=\"" + Hex(SUN) + "\"/>\n";
  s += "      <path d=\"M0," + Number(HILL_EDGE) + " Q" + Number(VIEW / 2) + "," + Number(HILL_CONTROL) + " " +
       Number(VIEW) + "," + Number(HILL_EDGE) + " V" + Number(VIEW) + " H0 Z\" fill=\"" + Hex(HILL) + "\"/>\n";
  s += "    </g>\n";
  s += "    <clipPath id=\"pieces\">\n";
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column)
      if (row != DECOY_ROW || column != DECOY_COLUMN) s += "      " + PieceRect(row, column) + "\n";
  s += "    </clipPath>\n";
  s += "    <clipPath id=\"decoy\">\n      " + PieceRect(DECOY_ROW, DECOY_COLUMN) + "\n    </clipPath>\n";
  // Red takes green's value, green blue's and blue red's.
  s += "    <filter id=\"turned\" color-interpolation-filters=\"sRGB\">\n";
  s += "      <feColorMatrix type=\"matrix\" values=\"0 1 0 0 0  0 0 1 0 0  1 0 0 0 0  0 0 0 1 0\"/>\n";
  s += "    </filter>\n  </defs>\n";
  s += "  <rect width=\"" + Number(VIEW) + "\" height=\"" + Number(VIEW) + "\" fill=\"" + Hex(BACKGROUND) + "\"/>\n";
  s += "  <use xlink:href=\"#picture\" clip-path=\"url(#pieces)\"/>\n";
  s += "  <g clip-path=\"url(#decoy)\">\n    <use xlink:href=\"#picture\" filter=\"url(#turned)\"/>\n  </g>\n";
  s += "</svg>\n";
  return s;
}

Canvas PaintIcon(int side) {
  Canvas c(side, side);
  // Four by four samples a pixel smooth the rounded corners and the sun.
  const int n = 4;
  float unit = VIEW / static_cast<float>(side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      Colour sum;
      for (int sy = 0; sy < n; ++sy)
        for (int sx = 0; sx < n; ++sx) {
          Colour s = IconAt((static_cast<float>(x) + (sx + 0.5f) / n) * unit,
                            (static_cast<float>(y) + (sy + 0.5f) / n) * unit);
          sum = {sum.r + s.r, sum.g + s.g, sum.b + s.b};
        }
      c.Set(x, y, Scale(sum, 1.0f / (n * n)));
    }
  return c;
}

bool MakeIcons(const std::string& dir, const std::string& name, std::string& error) {
  for (int side : ICON_SIDES) {
    std::string folder = dir + "/" + std::to_string(side) + "x" + std::to_string(side) + "/apps";
    if (!MakeHostDirs(folder)) {
      error = "cannot create " + folder;
      return false;
    }
    Canvas icon = PaintIcon(side);
    if (!WritePngFile(folder + "/" + name + ".png", icon.rgb.data(), side, side, side * 3, error)) return false;
  }
  std::string svg = dir + "/scalable/apps/" + name + ".svg";
  if (!WriteHostFile(svg, IconSvg())) {
    error = "cannot write " + svg;
    return false;
  }
  return true;
}

int MakeIconsCommand(const std::vector<std::string>& args) {
  std::string dir, name = "tessera";
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--name" && i + 1 < args.size()) {
      name = args[++i];
    } else if (dir.empty() && !args[i].empty() && args[i][0] != '-') {
      dir = args[i];
    } else {
      dir.clear();
      break;
    }
  }
  if (dir.empty() || name.empty() || name.find('/') != std::string::npos) {
    std::fprintf(stderr, "usage: tessera-tool make-icons DIR [--name NAME]\n");
    return 2;
  }
  std::string error;
  if (!MakeIcons(dir, name, error)) {
    std::fprintf(stderr, "tessera-tool: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace tessera::tool
