#pragma once
// Lettering on generated pictures, drawn with the game's own text renderer so
// the pictures match the texts the game draws itself.
#include <memory>
#include <mutex>
#include <string>

#include "content/common.h"

namespace tessera::content {

// While alive, the captions this thread draws are in the language (0 simplified
// Chinese, 1 traditional Chinese, 2 English), drawn with a text renderer of
// their own: the process's platform, language and renderer (a game's own, when
// the maker runs in it) are left as they are, and each caption holds
// CaptionLock() only while it is drawn, so a window drawing beside a campaign
// being made waits a caption's time at most.
class CaptionFont {
 public:
  explicit CaptionFont(int language);
  ~CaptionFont();
  CaptionFont(const CaptionFont&) = delete;
  CaptionFont& operator=(const CaptionFont&) = delete;

  struct State;  // its renderer, and the caption font it hides

 private:
  std::unique_ptr<State> state_;
};

// The process's text renderer is swapped for a caption's while the caption is
// drawn: a thread that draws with it while another may draw captions (the
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
