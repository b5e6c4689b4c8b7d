// Start-up and shutdown: the fixed order of set-up steps, the game, then the
// release of the devices.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/engine_config.h"
#include "app/files.h"
#include "app/frame_pump.h"
#include "app/input_script.h"
#include "app/input_state.h"
#include "app/log.h"
#include "game/autoplay.h"
#include "game/game_state.h"
#include "gfx/pixel_format.h"
#include "gfx/text.h"
#include "media/sound.h"
#include "platform/file_system.h"
#include "platform/headless/headless_platform.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/sdl/sdl_platform.h"

using namespace tessera;

namespace {

bool g_displayExists = false;

// A failed set-up step: say why on standard error (and in a box where a display
// exists), and end with a non-zero exit code.
int Fail(const std::string& why) {
  std::fprintf(stderr, "tessera: %s\n", why.c_str());
  if (g_displayExists) ShowMessage(why.c_str());
  return 1;
}

bool InitGame() {
  DeleteLog();
  InitTextRenderer();
  ShowFps = 0;
  ShowMousePosition = 0;
  return true;
}

int Run(const CommandLine& cl) {
  Platform& sys = Sys();
  DesktopSize desktop = sys.ReadDesktopSize();
  ReadWorkDir();
  ReadEngineConfig();
  if (cl.windowed) EngineConfig.FullScreen = *cl.windowed ? 0 : 1;

  std::string error;
  WindowPlacement place = GameWindowPosition(EngineConfig.FullScreen == 1, desktop.width, desktop.height);
  if (!sys.CreateGameWindow(EngineConfig.FullScreen == 1, place.x, place.y, error)) return Fail(error);
  if (!sys.InitDisplay(error)) return Fail(error);
  g_displayExists = true;
  InitSound();
  if (!ReadPixelFormat()) return Fail("cannot read the display's pixel format");
  if (!sys.InitInput(error)) return Fail(error);
  if (!cl.traceFile.empty() && !OpenTrace(cl.traceFile, sys.Milliseconds()))
    return Fail("cannot write the trace file " + cl.traceFile);

  std::unique_ptr<InputDriver> driver;
  if (cl.autoplay) {
    AutoplayOptions options;
    options.choice = cl.choice;
    driver = CreateAutoplay(options);
  } else if (cl.monkey) {
    driver = CreateMonkey(cl.monkeySeed);
  }
  SetInputDriver(driver.get());

  if (InitGame()) {
    if (!HaveSoundDevice()) {
      std::string line = std::string("no audio device, running without sound: ") + SoundDeviceError();
      std::fprintf(stderr, "tessera: %s\n", line.c_str());
      WriteLog(line.c_str());
    }
    GameMainLoop();
  }

  // Messages still queued are handled before the devices go.
  WindowMessage message;
  while (sys.PollMessage(message))
    if (message.kind != MessageKind::Close) HandleWindowMessage(message);
  SetInputDriver(nullptr);
  sys.ReleaseDisplay();
  ReleaseSound();
  sys.ReleaseInput();
  ReleaseTextRenderer();
  CloseTrace();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  SetUpStandardStreams();
  std::vector<std::string> arguments = CommandLineArguments(argc, argv);
  std::vector<char*> argumentPointers;
  for (std::string& argument : arguments) argumentPointers.push_back(argument.data());
  argumentPointers.push_back(nullptr);
  argc = static_cast<int>(arguments.size());
  argv = argumentPointers.data();

  CommandLine cl;
  std::string error;
  if (!ParseCommandLine(argc, argv, cl, error)) {
    std::fprintf(stderr, "tessera: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (cl.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  // Files named on the command line are relative to where the game was started.
  auto absolute = [](std::string& path) {
    if (path.empty() || HostFsPath(path).has_root_path()) return;
    const std::string cwd = HostCurrentFolder();
    if (!cwd.empty()) path = cwd + "/" + path;
  };
  CommandLine args = cl;
  absolute(args.inputFile);
  absolute(args.dumpDir);
  absolute(args.traceFile);
  if (!args.workDir.empty() && !HostChangeFolder(args.workDir)) return Fail("cannot enter the folder " + args.workDir);

  std::unique_ptr<Platform> platform;
  if (args.headless) {
    HeadlessOptions options;
    options.clockStart = args.clockStart;
    options.pixel555 = args.pixel555;
    options.maxMs = args.maxMs;
    options.dumpDir = args.dumpDir.empty() ? "." : args.dumpDir;
    if (!args.inputFile.empty()) {
      std::vector<uint8_t> bytes;
      if (!ReadFileBytes(args.inputFile, bytes)) return Fail("cannot read the input script " + args.inputFile);
      std::string text(bytes.begin(), bytes.end());
      if (!ParseInputScript(text, options.script, error)) return Fail(args.inputFile + ": " + error);
    }
    platform = std::make_unique<HeadlessPlatform>(std::move(options));
  } else {
    SdlOptions options;
    options.scale = args.scale;
    options.maxMs = args.maxMs;
    platform = CreateSdlPlatform(options);
  }
  SetPlatform(platform.get());
  int code = Run(args);
  SetPlatform(nullptr);
  return code;
}
