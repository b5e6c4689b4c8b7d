#include "puzzle_fixture.h"

#include <algorithm>
#include <cstring>

#include "app/input_state.h"
#include "game/game_state.h"
#include "game/level_definition.h"
#include "game/random.h"
#include "game/rules.h"
#include "game/settings.h"
#include "game/spiders.h"
#include "gfx/bmp_write.h"

namespace tessera::test {

uint16_t PositionValue(int x, int y) { return static_cast<uint16_t>(1 + (x * 3 + y * 7) % 65535); }

ImagePtr PositionLayer(int width, int height) {
  ImagePtr image = CreateImage(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image->At(x, y) = PositionValue(x, y);
  return image;
}

ImagePtr SolidLayer(int width, int height, uint16_t colour) {
  ImagePtr image = CreateImage(width, height);
  std::fill(image->pixels.begin(), image->pixels.end(), colour);
  return image;
}

void WriteGreyBmp(const ScratchDir& dir, const std::string& name, int width, int height, uint8_t shade) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3, shade);
  dir.Write(name, EncodeBmp24(width, height, rgb.data()));
}

PuzzleTest::PuzzleTest() : savedConfig_(EngineConfig) {
  FreeLevel();
  ResetRand();
  LevelDefinition = LevelDefinitionRecord{};
  GameSettings = GameSettingsRecord{};
  InputState = InputStateRecord{};
  GameState = STATE_PLAYING;
  LastHoveredButton = -1;
  ConfirmState = CONFIRM_CLOSED;
  ConfirmHover = CONFIRM_HOVER_NONE;
  PendingState = STATE_PLAYING;
  ElapsedSeconds = 0;
  ClockFresh = 1;
  PointerDirection = DIRECTION_NONE;
  EngineConfig.Packaged = 0;
  SecondTimer.Start(SECOND_TIMER_MS);
  ExplosionTimer.Start(EXPLOSION_TIMER_MS);
  SetBoardEffectListener([this](const char* name) { sounds_.emplace_back(name); });
}

PuzzleTest::~PuzzleTest() {
  SetBoardEffectListener({});
  FreeLevel();
  EngineConfig = savedConfig_;
}

int PuzzleTest::Build(const LevelShape& shape) {
  LevelDefinition.BlendPictureNum = shape.layers;
  LevelDefinition.SplitSize = shape.splitSize;
  LevelDefinition.StoneRation = shape.stoneRation;
  LevelDefinition.StaticSpiderNum = shape.staticSpiders;
  LevelDefinition.DynamicSpiderNum = shape.dynamicSpiders;
  LevelDefinition.LimitedTime = shape.limitedTime;
  LevelDefinition.TalkerHeadNum = 0;
  LayerSet layers;
  for (int k = 0; k < std::min(shape.layers, MAX_LAYERS); ++k)
    layers[k] = SolidLayer(BOARD_PIXELS, BOARD_PIXELS, static_cast<uint16_t>(0x1000 * (k + 1)));
  return SetUpLevel(std::move(layers));
}

void PuzzleTest::Arrange(int splitSize, std::initializer_list<int32_t> order) {
  LevelShape shape;
  shape.layers = static_cast<int>(order.size());
  shape.splitSize = splitSize;
  ASSERT_EQ(Build(shape), 1) << LoadLevelFailure();
  for (int cell = 0; cell < Board.CellCount; ++cell) SetCell(cell, order);
  std::fill(std::begin(Board.Stone), std::end(Board.Stone), 0);
  std::fill(std::begin(Board.InitialStone), std::end(Board.InitialStone), 0);
  Recount();
  Board.InitialCorrectCount = Board.CorrectCount;
}

void PuzzleTest::SetCell(int cell, std::initializer_list<int32_t> order, int position) {
  int slot = 0;
  for (int32_t layer : order) Board.LayerOrder[cell][slot++] = layer;
  Board.CellPosition[cell] = position;
  Board.CellLayer[cell] = Board.LayerOrder[cell][position];
  if (cell == Board.HoveredCell) Board.HoveredPosition = position;
  Recount();
}

void PuzzleTest::Recount() {
  Board.CorrectCount = 0;
  for (int cell = 0; cell < Board.CellCount; ++cell)
    if (Board.CellLayer[cell] == Board.TargetLayer) ++Board.CorrectCount;
}

int PuzzleTest::CellX(int cell) const {
  return BOARD_LEFT + (cell % Board.BoardSide) * Board.SplitSize + Board.SplitSize / 2;
}

int PuzzleTest::CellY(int cell) const {
  return BOARD_TOP + (cell / Board.BoardSide) * Board.SplitSize + Board.SplitSize / 2;
}

void PuzzleTest::Frame() {
  PumpFrame();
  UpdateBoardInput();
  UpdatePlayRules();
}

void PuzzleTest::MoveTo(int x, int y) {
  WindowMessage move;
  move.kind = MessageKind::MouseMove;
  move.x = x;
  move.y = y;
  platform_->Post(move);
  Frame();
}

void PuzzleTest::ClickAt(int x, int y) {
  WindowMessage message;
  message.kind = MessageKind::MouseMove;
  message.x = x;
  message.y = y;
  platform_->Post(message);
  message.kind = MessageKind::ButtonDown;
  message.button = MouseButton::Left;
  platform_->Post(message);
  message.kind = MessageKind::ButtonUp;
  platform_->Post(message);
  Frame();
}

void PuzzleTest::Wait(int ms) {
  const uint64_t until = platform_->ElapsedMs() + static_cast<uint64_t>(ms);
  while (platform_->ElapsedMs() < until) Frame();
}

int PuzzleTest::Count(const char* sound) const {
  return static_cast<int>(std::count(sounds_.begin(), sounds_.end(), std::string(sound)));
}

}  // namespace tessera::test
