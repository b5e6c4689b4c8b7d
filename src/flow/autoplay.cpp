#include "flow/autoplay.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "app/input_state.h"
#include "app/log.h"
#include "game/board.h"
#include "game/game_state.h"
#include "game/level_definition.h"
#include "game/rules.h"
#include "gfx/text.h"
#include "platform/platform.h"
#include "screens/start_menu.h"
#include "screens/talk_scenes.h"

namespace tessera {

namespace {

WindowMessage MoveTo(int x, int y) {
  WindowMessage m;
  m.kind = MessageKind::MouseMove;
  m.x = x;
  m.y = y;
  return m;
}

WindowMessage Button(MessageKind kind, MouseButton button) {
  WindowMessage m;
  m.kind = kind;
  m.button = button;
  m.x = InputState.MouseX;
  m.y = InputState.MouseY;
  return m;
}

class Autoplay : public InputDriver {
 public:
  explicit Autoplay(const AutoplayOptions& options) : options_(options), start_(Sys().Milliseconds()) {}

  void Drive(std::vector<WindowMessage>& out) override {
    ++frame_;
    if (Sys().Milliseconds() - start_ > options_.timeLimitMs) GiveUp("the run took longer than its time limit");
    Observe();
    // A press is always followed by its release in the next frame.
    if (pressed_) {
      out.push_back(Button(MessageKind::ButtonUp, pressedButton_));
      pressed_ = false;
      return;
    }
    switch (GameState) {
      case STATE_STARTING:
        if (frame_ % 2 == 0) out.push_back(Key(MessageKind::KeyDown, VK_ESCAPE));
        break;
      case STATE_START_MENU: {
        const HitRect& b = START_MENU_BUTTONS[reachedEnd_ ? 2 : 0].area;
        ClickAt((b.left + b.right) / 2, b.top + 8, out, 4);
        break;
      }
      case STATE_PLAYING:
        Solve(out);
        break;
      case STATE_OPTION_MENU:
        if (frame_ % 4 == 0) {
          out.push_back(Button(MessageKind::ButtonDown, MouseButton::Right));
          pressed_ = true;
          pressedButton_ = MouseButton::Right;
        }
        break;
      case STATE_GAME_END:
        break;  // the end movie is watched to its end
      default: {
        // Introduction, travel screen, talks, banners, choices and closing
        // pictures all move on with a click; the pointer rests on the choice.
        int y = ChoiceTop() + 4;
        ClickAt(400, y, out, 6);
        break;
      }
    }
  }

 private:
  static WindowMessage Key(MessageKind kind, uint32_t vk) {
    WindowMessage m;
    m.kind = kind;
    m.virtualKey = vk;
    return m;
  }

  [[noreturn]] void GiveUp(const std::string& why) {
    std::fprintf(stderr, "autoplay: %s (level \"%s\")\n", why.c_str(), CurrentLevelName);
    Trace("log autoplay: %s", why.c_str());
    CloseTrace();
    std::fflush(nullptr);
    std::_Exit(2);
  }

  void Observe() {
    if (GameState == lastState_) return;
    if (GameState == STATE_LEVEL_FAILED && ++failures_[CurrentLevelName] > options_.maxFailuresPerLevel)
      GiveUp("the level could not be solved in time");
    if (GameState == STATE_GAME_END) reachedEnd_ = true;
    if (GameState == STATE_START_MENU && lastState_ == STATE_LEVEL_START)
      GiveUp("the level was refused");
    lastState_ = GameState;
  }

  // The top of the selection line the bot will take.
  int ChoiceTop() const {
    int top = TALK_TEXT_Y;
    const int count = LevelDefinition.SelectionTalkNum;
    // A choice beyond those offered takes the last one.
    const int choice = std::min(options_.choice, std::min(count, MAX_SELECTIONS) - 1);
    for (int i = 0; i < choice; ++i)
      top += TALK_LINE_PITCH *
             CountTextLines(LevelDefinition.SelectionText[i], TALK_TEXT_SIZE, TALK_WRAP, TALK_TEXT_SPACING);
    return top;
  }

  void ClickAt(int x, int y, std::vector<WindowMessage>& out, int every) {
    if (InputState.MouseX != x || InputState.MouseY != y) {
      out.push_back(MoveTo(x, y));
      return;
    }
    if (frame_ % every != 0) return;
    out.push_back(Button(MessageKind::ButtonDown, MouseButton::Left));
    pressed_ = true;
    pressedButton_ = MouseButton::Left;
  }

  int32_t PickCell() const {
    for (int c = 0; c < Board.CellCount; ++c)
      if (Board.Cobweb[c] == 1 || (Board.Stone[c] == 0 && Board.CellLayer[c] != Board.TargetLayer)) return c;
    // Every free cell is right yet stones remain: turn a neighbour of a stone
    // away and back, so that it comes right again next to the stone.
    const int side = Board.BoardSide;
    for (int c = 0; c < Board.CellCount; ++c) {
      if (Board.Stone[c] == 0) continue;
      const int r = c / side, k = c % side;
      const int around[4][2] = {{r - 1, k}, {r + 1, k}, {r, k - 1}, {r, k + 1}};
      for (const auto& n : around)
        if (n[0] >= 0 && n[0] < side && n[1] >= 0 && n[1] < side && Board.Stone[n[0] * side + n[1]] == 0 &&
            Board.LayerCount > 1)
          return n[0] * side + n[1];
    }
    return -1;
  }

  void Solve(std::vector<WindowMessage>& out) {
    if (ConfirmState == CONFIRM_ASKING) {
      ClickAt((CONFIRM_NO_BUTTON.left + CONFIRM_NO_BUTTON.right) / 2, CONFIRM_NO_BUTTON.top + 20, out, 2);
      return;
    }
    if (Board.BoardSide <= 0) return;
    const int32_t cell = PickCell();
    if (cell < 0) return;
    const int a = Board.SplitSize;
    const int x = BOARD_LEFT + (cell % Board.BoardSide) * a + a / 2;
    const int y = BOARD_TOP + (cell / Board.BoardSide) * a + a / 2;
    if (Board.TouchLatch != 0 && Board.HoveredCell == cell) {
      // A spider touched this cell: step off it so clicks count again.
      const int other = cell + (cell + 1 < Board.CellCount ? 1 : -1);
      out.push_back(MoveTo(BOARD_LEFT + (other % Board.BoardSide) * a + a / 2,
                           BOARD_TOP + (other / Board.BoardSide) * a + a / 2));
      return;
    }
    ClickAt(x, y, out, 1);
  }

  AutoplayOptions options_;
  uint32_t start_;
  uint64_t frame_ = 0;
  bool pressed_ = false;
  MouseButton pressedButton_ = MouseButton::Left;
  bool reachedEnd_ = false;
  int32_t lastState_ = STATE_STARTING;
  std::map<std::string, int> failures_;
};

// A small deterministic generator, the same on every machine.
class SplitMix {
 public:
  explicit SplitMix(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }

 private:
  uint64_t state_;
};

struct HotSpot {
  int left, top, right, bottom;
};

// Where things happen: menu buttons, the board, play buttons, slots, sliders,
// settings areas, the confirmation box, talk lines.
constexpr HotSpot kHotSpots[] = {
    {502, 419, 659, 481},  // new game and continue (quit is left out)
    {150, 50, 649, 549},   // the board
    {9, 507, 104, 594},    // play buttons
    {257, 142, 553, 496},  // save slots
    {351, 252, 471, 338},  // win rule and sliders
    {285, 376, 517, 406},  // back to game, exit game
    {324, 286, 478, 336},  // yes and no
    {175, 425, 624, 560},  // talk lines and choices
    {0, 0, 799, 599},      // anywhere
};

constexpr uint32_t kKeys[] = {VK_ESCAPE, VK_F1, VK_F2, VK_RETURN, VK_SPACE, 'A', 'Q', '1', VK_LEFT, VK_DOWN};

class Monkey : public InputDriver {
 public:
  explicit Monkey(uint64_t seed) : rng_(seed) {}

  void Drive(std::vector<WindowMessage>& out) override {
    if (rng_.Below(3) != 0) return;  // a person does not act every 5 ms
    const int kind = rng_.Below(100);
    if (kind < 35) {
      const HotSpot& s = kHotSpots[rng_.Below(static_cast<int>(std::size(kHotSpots)))];
      int x = s.left + rng_.Below(s.right - s.left + 1);
      int y = s.top + rng_.Below(s.bottom - s.top + 1);
      WindowMessage m = MoveTo(x, y);
      if (leftHeld_) m.held |= HELD_LEFT;
      if (rightHeld_) m.held |= HELD_RIGHT;
      out.push_back(m);
    } else if (kind < 80) {
      // Never release over the quit button: the soak would end there.
      if (GameState == STATE_START_MENU && START_MENU_BUTTONS[2].area.Contains(InputState.MouseX, InputState.MouseY) &&
          !START_MENU_BUTTONS[1].area.Contains(InputState.MouseX, InputState.MouseY)) {
        out.push_back(MoveTo(300, 300));
        return;
      }
      const int b = rng_.Below(10);
      MouseButton button = b < 7 ? MouseButton::Left : b < 9 ? MouseButton::Right : MouseButton::Middle;
      bool& held = button == MouseButton::Left ? leftHeld_ : button == MouseButton::Right ? rightHeld_ : middleHeld_;
      MessageKind k = held ? MessageKind::ButtonUp : (rng_.Below(8) == 0 ? MessageKind::ButtonDouble : MessageKind::ButtonDown);
      held = k != MessageKind::ButtonUp;
      out.push_back(Button(k, button));
    } else {
      const uint32_t vk = kKeys[rng_.Below(static_cast<int>(std::size(kKeys)))];
      // Escape on the start menu leaves the game for the library, whose own
      // loop the monkey does not drive.
      if (vk == VK_ESCAPE && GameState == STATE_START_MENU) {
        rng_.Below(2);  // the same draws as ever, so a seed's run stays the same
        return;
      }
      WindowMessage m;
      m.kind = rng_.Below(2) ? MessageKind::KeyDown : MessageKind::KeyUp;
      m.virtualKey = vk;
      out.push_back(m);
    }
  }

 private:
  SplitMix rng_;
  bool leftHeld_ = false, rightHeld_ = false, middleHeld_ = false;
};

}  // namespace

std::unique_ptr<InputDriver> CreateAutoplay(const AutoplayOptions& options) {
  return std::make_unique<Autoplay>(options);
}

std::unique_ptr<InputDriver> CreateMonkey(uint64_t seed) { return std::make_unique<Monkey>(seed); }

}  // namespace tessera
