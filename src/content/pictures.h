#pragma once
// Procedural pictures: the level layers and their decoys, portraits, the board's
// sprites (stones, explosions, spiders, cobwebs) and full-screen scenes.
#include <cstdint>
#include <string>

#include "content/common.h"

namespace tessera::content {

enum class PictureKind { Julia, Landscape, StainedGlass, Mandala };

// One layer: the kind and the parameters a decoy varies.
struct LayerRecipe {
  PictureKind kind = PictureKind::Julia;
  uint32_t seed = 1;
  float hue = 0;       // palette rotation in turns
  float param = 0;     // kind-specific shape parameter
  bool mirror = false;
};

Canvas PaintLayer(const LayerRecipe& recipe, int width = 500, int height = 500);

// Decoys of a picture that is not painted from a recipe (a photograph): the
// demo's own changes, a turn of the hue and the mirror image, applied to the
// pixels. Grey, black and white areas do not change under a hue turn, so they
// are tinted with the turned hue, and any piece of `pieceSide` that would still
// look like the solution's is tinted further until it stands apart.
Canvas RotateHue(const Canvas& src, float turns);
// Decoy number `index` (1 to 4) of `solution`.
Canvas MakePictureDecoy(const Canvas& solution, int index, int pieceSide);
// The smallest mean difference (0..255 per channel) between the two pictures
// over the square pieces of `pieceSide` that tile them.
double WeakestPieceDifference(const Canvas& a, const Canvas& b, int pieceSide);
// What a decoy piece must differ by at least, so a careful player can tell.
constexpr double DECOY_MIN_DIFFERENCE = 10.0;

enum class Face { Painter, Keeper, Wisp, Raven };
// A portrait on black (the transparent colour), bottom edge on the shoulders.
Canvas PaintPortrait(Face face, int width = 180, int height = 230);

// Board sprites of a piece side (100, 50 or 25); everything but the stone sits on
// black so keyed drawing shows the piece underneath.
Canvas PaintStone(int side);
Canvas PaintExplosion(int side, int frame);
Canvas PaintSpider(int side, int kind, int frame);
Canvas PaintCobweb(int side);

}  // namespace tessera::content
