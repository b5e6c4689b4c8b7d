#pragma once
// The form that makes a puzzle from pictures: a title typed with the system's
// input method, the board's options with the import's defaults, the pictures
// with their thumbnails (each removable, those that cannot be read named), and
// "Make" and "Cancel". The title has the focus; Enter makes, Escape cancels.
// Then the progress of the make: picture n of N with its name, and "Cancel".
#include <cstdint>
#include <string>
#include <vector>

#include "content/common.h"
#include "gfx/image.h"
#include "platform/platform.h"

namespace tessera {

struct MakerPicture {
  std::string path;
  std::string name;     // the file's name, shown
  ImagePtr thumbnail;   // null when it cannot be read
  std::string problem;  // why it cannot be read; empty when it can
  uint64_t look = 0;    // a hash of the thumbnail's pixels: equal for the same picture
  bool plain = false;   // nearly one colour: a level nobody could solve by looking
};

// Pictures: the thumbnails, for a player without a mouse: Left and Right
// choose one, Ctrl (or Shift) with them moves it, Delete removes it.
enum class FormField { Title, Pieces, Layers, Time, Stones, Spiders, Pictures, Count };

struct MakerForm {
  std::string title;  // UTF-8
  bool appending = false;  // adding levels to the player's campaign `title`, which is not typed
  int pieces = 50;
  int layers = 3;
  int time = 0;  // 0: as the import reckons it
  int stones = 20;
  int spiders = 0;
  std::vector<MakerPicture> pictures;
  std::string message;  // what stops the make, or went wrong
  FormField focus = FormField::Title;
  int hovered = -1;  // a hit of FormHitAt
  int pressed = -1;
  int dragging = -1;  // a picture dragged to another place in the order
  int chosen = 0;      // the picture the keys act on while the pictures have the focus
  int firstShown = 0;  // the first picture whose thumbnail is shown (a row's first)
  uint32_t modifiers = 0;  // kShiftHeld, kControlHeld: key messages carry no modifiers
  int mouseX = -1, mouseY = -1;
};

constexpr uint32_t kShiftHeld = 1, kControlHeld = 2;
constexpr size_t MAKER_TITLE_BYTES = 100;
constexpr int THUMBNAIL_SHOWN = 56;

// Browse: "Add pictures..." was pressed, for the flow to open the file browser.
enum class FormStep { None, Make, Cancel, Quit, Browse };

// A picture decoded by the import, as the screens draw it (a thumbnail).
ImagePtr ImageOfCanvas(const content::Canvas& canvas);

// Adds the pictures at `path` (a picture, or the pictures of a folder), reading
// each one's thumbnail; files that are no picture are named, not added.
void AddFormPictures(MakerForm& form, const std::string& path);
// The pictures that can be read.
std::vector<std::string> ReadablePictures(const MakerForm& form);
// What the player should know about pictures that can be read: "b.png is the
// same picture as a.png", "c.png is nearly one colour...".
std::vector<std::string> PictureNotes(const MakerForm& form);
// True for a picture whose pixels nearly all lie close to one colour.
bool NearlyOneColour(const std::vector<uint8_t>& rgb);

// What is at a frame position: one of the hits below, or the place among the
// shown thumbnails (0 for the first shown) of a picture's remove box plus
// kHitPicture, or of a picture plus kHitThumbnail (pressed, dragged and let go
// over another, it moves there), or -1.
enum FormHit {
  kHitTitle = 0,
  kHitLess = 1,
  kHitMore = 7,
  kHitMake = 13,
  kHitCancel = 14,
  kHitAddPictures = 15,
  kHitPicture = 100,
  kHitThumbnail = 1000
};
int FormHitAt(const MakerForm& form, int x, int y);

// One message: typing, options, removals; Make only when a picture can be read
// (else `message` says why).
FormStep HandleFormMessage(MakerForm& form, const WindowMessage& message);
void DrawForm(const MakerForm& form, uint16_t* frame);

struct MakeProgress {
  std::string title;
  size_t index = 0, total = 0;  // index == total: writing the campaign
  std::string name;
  bool cancelling = false;
};
bool ProgressCancelAt(int x, int y);
void DrawMakeProgress(const MakeProgress& progress, int mouseX, int mouseY, uint16_t* frame);

}  // namespace tessera
