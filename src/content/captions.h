#pragma once
// Lettering on generated pictures, drawn with the game's own text renderer so
// the pictures match the texts the game draws itself.
#include <memory>
#include <mutex>
#include <string>

#include "content/common.h"

namespace tessera::content {

// Installs a headless platform and the text renderer for the language
// (0 simplified Chinese, 1 traditional Chinese, 2 English) while alive, holding
// CaptionLock(); then puts back the platform, pixel layout, language and text
// renderer there were before (a game's own, when the maker runs in it).
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

// The platform, pixel layout, language and text renderer are the process's
// own: a thread that draws with them while another may make captions (the
// maker's progress screen while its worker makes a game) holds this lock
// around its drawing.
std::mutex& CaptionLock();

// `text` is in the language's code page. Draws with a one-pixel shadow when
// `shadow` is set. Sizes 16, 20, 24, 28, 32.
void DrawCaption(Canvas& canvas, const std::string& text, int size, int x, int y, Colour colour,
                 bool shadow = false);
// Centred on column `cx` the way the game centres its texts (size / 2 per byte).
void DrawCaptionCentred(Canvas& canvas, const std::string& text, int size, int cx, int y, Colour colour,
                        bool shadow = false);

}  // namespace tessera::content
