#include "flow/game_main_loop.h"

#include <cstdio>
#include <cstring>

#include "app/engine_config.h"
#include "app/frame_pump.h"
#include "app/input_state.h"
#include "app/log.h"
#include "app/profile.h"
#include "flow/library_flow.h"
#include "game/board.h"
#include "game/game_state.h"
#include "game/interface_images.h"
#include "game/level_definition.h"
#include "game/rules.h"
#include "game/save_slots.h"
#include "game/settings.h"
#include "gfx/bmp.h"
#include "gfx/draw.h"
#include "gfx/present.h"
#include "media/movie.h"
#include "media/sound.h"
#include "platform/platform.h"
#include "screens/option_menu.h"
#include "screens/play_screen.h"
#include "screens/start_menu.h"
#include "screens/talk_scenes.h"

namespace tessera {

namespace {

constexpr int START_LOGO_COUNT = 3;
constexpr int MAX_INTRO_PICTURES = 5;
constexpr uint32_t START_LOGO_TICK_MS = 90;

ImagePtr StartLogos[START_LOGO_COUNT];

// Each logo stays until the left button is seen held at a 90 ms tick; Escape
// ends them all.
void RunStartLogos() {
  Platform& sys = Sys();
  uint32_t last = sys.Milliseconds();
  int i = 0;
  for (;;) {
    PumpFrame();
    const uint32_t now = sys.Milliseconds();
    if (now - last <= START_LOGO_TICK_MS) continue;
    last = now;
    if (!StartLogos[i]) return;
    DrawImage(0, 0, StartLogos[i].get(), BackBuffer);
    PresentFrame(BackBuffer);
    if (InputState.LastKey == VK_ESCAPE) return;
    if (sys.LeftButtonHeld() && ++i == START_LOGO_COUNT) return;
  }
}

void StartNewGame() {
  // An empty BeginLevel is the normal start, as "GameBegin" is.
  if (EngineConfig.BeginLevel[0] != '\0' && std::strcmp(EngineConfig.BeginLevel, "GameBegin") != 0) {
    SetCurrentLevelName(EngineConfig.BeginLevel);
    GameState = STATE_LEVEL_START;
    return;
  }
  SetCurrentLevelName("GameBegin");
  char script[1024];
  LevelScriptPath(script, sizeof script);
  char value[128];
  GetPrivateProfileString("GameBegin", "TotalBeginPicture", "0", value, sizeof value, script);
  int count = ParseDecimal(value);
  if (count > MAX_INTRO_PICTURES) count = MAX_INTRO_PICTURES;
  ImagePtr pictures[MAX_INTRO_PICTURES];
  int shown = 0;
  for (int k = 0; k < count; ++k) {
    char key[32], path[512];
    std::snprintf(key, sizeof key, "BeginPicture%02d", k);
    GetPrivateProfileString("GameBegin", key, "", value, sizeof value, script);
    std::snprintf(path, sizeof path, "%s\\%s%s", EngineConfig.PicturePath, value, ".bmp");
    // A picture that did not load is left out rather than shown as nothing.
    if (LoadBmpImage(path, pictures[shown], 0) && pictures[shown]) ++shown;
  }
  for (int k = 0; k < shown;) {
    PumpFrame();
    DrawImage(0, 0, pictures[k].get(), BackBuffer);
    PresentFrame(BackBuffer);
    if (InputState.MouseEvent == MOUSE_LEFT_UP) ++k;
  }
  SetCurrentLevelName("Level00");
  GameState = STATE_LEVEL_START;
}

void StartLevel() {
  if (!LoadLevel()) {
    // A level that cannot be played is refused with its reason, back to the menu.
    ShowMessage(LoadLevelFailure());
    StopMusic();
    GameState = STATE_START_MENU;
    return;
  }
  RunLevelOpening();
  PlayMusic(LevelDefinition.MusicPath, true);
  RunBeginTalk();
  RunCountdown();
  ClockFresh = 1;
  GameState = STATE_PLAYING;
}

void PlayLevel() {
  SecondTimer.Restart();
  while (GameState == STATE_PLAYING) {
    PumpFrame();
    UpdateBoardInput();
    UpdatePlayRules();
    DrawPlayScreen(PLAY_MODE_PLAY);
    PresentFrame(BackBuffer);
  }
}

void FinishLevel() {
  RecordLevelWon(CurrentLevelName);
  PlayMusic("Music\\Success.wav", false);
  RunResultBanner();
  RunEndTalk();
  RunEndPlay();
  FreeLevel();
  if (LevelDefinition.SelectionTalkNum > 0 && ChosenSelection >= 0 && ChosenSelection < MAX_SELECTIONS)
    SetCurrentLevelName(LevelDefinition.SelectionGoto[ChosenSelection]);
  else
    SetCurrentLevelName(LevelDefinition.Goto);
  GameState = std::strcmp(CurrentLevelName, "GameEnd") == 0 ? STATE_GAME_END : STATE_LEVEL_START;
}

void FailLevel() {
  PlayMusic("Music\\Failed.wav", false);
  RunResultBanner();
  ResetLevel();
  PlayMusic(LevelDefinition.MusicPath, true);
  RunCountdown();
  ClockFresh = 1;
  GameState = STATE_PLAYING;
}

void RestartLevel() {
  ResetLevel();
  RunCountdown();
  ClockFresh = 1;
  GameState = STATE_PLAYING;
}

void EndGame() {
  PlayMovie("movie\\end.avi", true);
  GameState = STATE_START_MENU;
}

void Dispatch() {
  switch (GameState) {
    case STATE_NEW_GAME: StartNewGame(); break;
    case STATE_LEVEL_START: StartLevel(); break;
    case STATE_LEVEL_PASSED: FinishLevel(); break;
    case STATE_LEVEL_FAILED: FailLevel(); break;
    case STATE_LEVEL_RESTART: RestartLevel(); break;
    case STATE_SAVE: RunSaveState(); break;
    case STATE_LOAD: RunLoadState(); break;
    case STATE_START_MENU: RunStartMenu(); break;
    case STATE_OPTION_MENU: RunOptionMenu(); break;
    case STATE_PLAYING: PlayLevel(); break;
    case STATE_GAME_END: EndGame(); break;
    case STATE_TO_START_MENU: GameState = STATE_START_MENU; break;
    case STATE_LIBRARY: RunLibraryState(); break;
    default: break;  // a value without a handler: the loop pumps again
  }
}

}  // namespace

void GameMainLoop() {
  const char* logos[START_LOGO_COUNT] = {"begin01.bmp", "begin02.bmp", "begin03.bmp"};
  for (int i = 0; i < START_LOGO_COUNT; ++i) LoadBmpImage(logos[i], StartLogos[i], 1);
  RunStartLogos();
  PlayMovie("movie\\begin.avi", true);
  ReadGameSettings();
  LoadInterfaceImages();
  ReadSaveSlots();
  SecondTimer.Start(1000);
  ExplosionTimer.Start(100);

  int32_t seen = -1;
  auto traceChange = [&seen] {
    if (GameState != seen) {
      Trace("state %d %d %s", seen, GameState, CurrentLevelName);
      seen = GameState;
    }
  };
  GameState = STATE_START_MENU;
  do {
    traceChange();
    PumpFrame();
    LastHoveredButton = -1;
    Dispatch();
  } while (GameState != STATE_QUIT);
  traceChange();

  ReleaseInterfaceImages();
  for (ImagePtr& logo : StartLogos) logo.reset();
}

}  // namespace tessera
