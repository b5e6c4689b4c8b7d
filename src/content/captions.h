#pragma once
// Lettering on generated pictures, drawn with the game's own text renderer so
// the pictures match the texts the game draws itself.
#include <memory>
#include <string>

#include "content/common.h"

namespace tessera::content {

// Installs a headless platform and the text renderer for the language
// (0 simplified Chinese, 1 traditional Chinese, 2 English) while alive.
class CaptionFont {
 public:
  explicit CaptionFont(int language);
  ~CaptionFont();
  CaptionFont(const CaptionFont&) = delete;
  CaptionFont& operator=(const CaptionFont&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// `text` is in the language's code page. Draws with a one-pixel shadow when
// `shadow` is set. Sizes 16, 20, 24, 28, 32.
void DrawCaption(Canvas& canvas, const std::string& text, int size, int x, int y, Colour colour,
                 bool shadow = false);
// Centred on column `cx` the way the game centres its texts (size / 2 per byte).
void DrawCaptionCentred(Canvas& canvas, const std::string& text, int size, int cx, int y, Colour colour,
                        bool shadow = false);

}  // namespace tessera::content
