#pragma once
// Procedural pictures: the level layers and their decoys, portraits, the board's
// sprites (stones, explosions, spiders, cobwebs) and full-screen scenes.
#include <cstdint>
#include <string>

#include "tool_common.h"

namespace tessera::tool {

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

enum class Face { Painter, Keeper, Wisp, Raven };
// A portrait on black (the transparent colour), bottom edge on the shoulders.
Canvas PaintPortrait(Face face, int width = 180, int height = 230);

// Board sprites of a piece side (100, 50 or 25); everything but the stone sits on
// black so keyed drawing shows the piece underneath.
Canvas PaintStone(int side);
Canvas PaintExplosion(int side, int frame);
Canvas PaintSpider(int side, int kind, int frame);
Canvas PaintCobweb(int side);

}  // namespace tessera::tool
