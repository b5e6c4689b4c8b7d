#pragma once
// Where the screens draw the campaign's texts: the renderer's size, extra
// spacing and wrap width of each kind of text. The screens draw with them and
// the content code lays texts out for them, so both read them here.
#include <cstdint>

namespace tessera {

// Talk lines, and the choices after the end talk.
constexpr int32_t TALK_TEXT_SIZE = 20, TALK_TEXT_SPACING = 2, TALK_WRAP = 440;

// Captions are drawn with no extra spacing and wrap this many pixels after
// their left edge.
constexpr int CAPTION_SPACING = 0;
constexpr int CAPTION_WRAP = 800;

// The level's title on the plate at the top left.
constexpr int LEVEL_TITLE_SIZE = 20;
// The question in the confirmation box ("Confirm") and a play button's hint
// (its hintKey).
constexpr int CONFIRM_TEXT_SIZE = 24;
constexpr int PLAY_HINT_SIZE = 24;
// The option menu pages' captions: "Save", "Load", "Setting", "RestartGame",
// "ExitGame".
constexpr int OPTION_CAPTION_SIZE = 20;
// A save slot's texts: "Empty", or the level and the time it was saved.
constexpr int SLOT_TEXT_SIZE = 24;

}  // namespace tessera
