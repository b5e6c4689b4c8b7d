#include "flow/startup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/campaigns.h"
#include "app/command_line.h"
#include "app/engine_config.h"
#include "app/files.h"
#include "app/frame_pump.h"
#include "app/input_state.h"
#include "app/log.h"
#include "app/user_config.h"
#include "app/version.h"
#include "content/package.h"
#include "content/maker.h"
#include "content/package_install.h"
#include "flow/library_flow.h"
#include "flow/autoplay.h"
#include "flow/game_main_loop.h"
#include "game/game_state.h"
#include "game/save_slots.h"
#include "gfx/pixel_format.h"
#include "gfx/text.h"
#include "media/sound.h"
#include "platform/file_system.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/input_script.h"
#include "platform/host_files.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/user_folders.h"
#include "screens/package_card.h"

namespace tessera {

namespace fs = std::filesystem;

namespace {

bool g_displayExists = false;
int g_exitCode = 0;  // a failure after the window exists (an install refused)

// A failed set-up step: say why on standard error (and in a box where a display
// exists), and end with a non-zero exit code.
int Fail(const std::string& why) {
  std::fprintf(stderr, "tessera: %s\n", why.c_str());
  if (g_displayExists) ShowMessage(why.c_str());
  return 1;
}

// A campaign in the player's campaigns folder that the player made (its
// manifest written by the import, not by a package).
bool HasCampaignOfTheirOwn(const std::vector<Campaign>& campaigns) {
  const fs::path own = content::PlayerCampaignsFolder();
  std::error_code ec;
  for (const Campaign& c : campaigns) {
    content::Manifest manifest;
    if (!own.empty() && fs::equivalent(c.folder.parent_path(), own, ec) &&
        content::ReadFolderManifest(HostPathString(c.folder), manifest) && manifest.tool.rfind("tessera ", 0) == 0)
      return true;
  }
  return false;
}

// Without --workdir: enters the current folder's game, or the campaign chosen
// from those found; when the player is to pick one of several, `choices` holds
// them and the first is entered for now (its System.ini sets up the window).
// False with `why` when there is nothing to play.
bool EnterGameFolder(const CommandLine& cl, const UserConfig& user, std::vector<Campaign>& choices, std::string& why) {
  std::error_code ec;
  const fs::path current = fs::current_path(ec);
  if (cl.game.empty() && IsGameFolder(current)) return true;
  const std::vector<fs::path> places = SearchPlaces(CurrentSearchRoots());
  const std::vector<Campaign> campaigns = FindCampaigns(places);
  const bool canAsk = !cl.headless && !cl.autoplay && !cl.monkey;
  const CampaignChoice choice = ChooseCampaign(campaigns, cl.game, user.lastGame, canAsk);
  if (choice.kind == CampaignChoice::NoneFound) {
    why = NoGameMessage(current, places);
    return false;
  }
  if (choice.kind == CampaignChoice::UnknownName) {
    why = "no campaign is named " + cl.game + " (tessera --list-games lists them)";
    return false;
  }
  if (choice.kind == CampaignChoice::Ask) choices = campaigns;
  // A player who has made a campaign of their own starts in the library.
  if (choice.kind == CampaignChoice::Play && canAsk && cl.game.empty() && HasCampaignOfTheirOwn(campaigns))
    choices = campaigns;
  fs::current_path(campaigns[choice.index].folder, ec);
  if (ec) why = "cannot enter the folder " + HostPathString(campaigns[choice.index].folder);
  return !ec;
}

// Reads the configuration of the campaign whose folder was just entered; the
// window stays as it was made (full screen or not).
void ReadCampaignConfig() {
  const int32_t fullScreen = EngineConfig.FullScreen;
  ReadWorkDir();
  ReadEngineConfig();
  EngineConfig.FullScreen = fullScreen;
}

// Enters a campaign's folder and reads its configuration; the window stays as it was made.
bool EnterCampaign(const fs::path& folder) {
  if (!HostChangeFolder(HostPathString(folder))) {
    std::fprintf(stderr, "tessera: cannot enter the folder %s\n", HostPathString(folder).c_str());
    return false;
  }
  ReadCampaignConfig();
  return true;
}

// The library shown before a game, or the maker with the pictures of the
// command line (then the library when cancelled); false when the player
// leaves without choosing a campaign.
bool ChooseInLibrary(const std::vector<std::string>& pictures, const fs::path& lastPlayed) {
  InitTextRenderer();
  LibraryOutcome outcome;
  if (!pictures.empty()) outcome = RunMaker(pictures);
  if (outcome.kind == LibraryOutcome::Back) outcome = RunLibrary(lastPlayed);
  ReleaseTextRenderer();
  return outcome.kind == LibraryOutcome::Play && EnterCampaign(outcome.folder);
}

// Pictures dropped onto a running game open the maker over it; a campaign
// made there is started in place of the one played.
bool OpenDroppedPictures(const std::string& path) {
  std::error_code ec;
  if (!fs::is_directory(HostFsPath(path), ec) && !content::IsPictureName(path)) return false;
  const LibraryOutcome outcome = RunMaker({path});
  if (outcome.kind == LibraryOutcome::Quit) {
    WindowMessage close;
    close.kind = MessageKind::Close;
    HandleWindowMessage(close);
  }
  if (outcome.kind == LibraryOutcome::Play) {
    SetSwitchTarget(outcome.folder);
    GameState = STATE_QUIT;
  }
  return true;
}

// Installs a package into the player's campaigns folder and enters it; an
// installed copy of the same campaign is replaced (its saves kept) when
// `replace`, else kept beside the new one.
bool InstallAndEnter(const std::string& package, const content::PackageInfo& info, bool replace, std::string& why) {
  fs::path installed;
  if (!content::InstallForPlayer(package, info.manifest, replace, installed, why)) return false;
  std::fprintf(stderr, "tessera: installed %s into %s\n", package.c_str(), HostPathString(installed).c_str());
  if (!HostChangeFolder(HostPathString(installed))) {
    why = "cannot enter the folder " + HostPathString(installed);
    return false;
  }
  return true;
}

// The card for a package opened in the window: false when the player cancels
// or the install fails (then said in a box). The window stays as it was made.
bool OfferPackage(const std::string& package, const content::PackageInfo& info) {
  const bool installed = !content::PlanInstall(info.manifest, content::PlayerCampaignsFolder()).same.empty();
  InitTextRenderer();
  const CardButton choice = ShowPackageCard(info, installed);
  ReleaseTextRenderer();
  if (choice == CardButton::Cancel) return false;
  std::string why;
  if (!InstallAndEnter(package, info, choice == CardButton::Replace, why)) {
    g_exitCode = Fail(why);
    return false;
  }
  ReadCampaignConfig();
  return true;
}

// A file dropped onto the window while a game runs: a campaign package shows
// its card over the game; installed, the game starts again in it. Headless
// runs install it at once and play on. Other files are left alone.
void OpenDroppedFile(const std::string& path, bool headless) {
  // The host's copy of the file (a page's, in memory) is freed once it was
  // made into a puzzle, installed or left alone.
  const ReleaseHostFilesAtEnd release;
  if (!content::IsPackagePath(path)) {
    OpenDroppedPictures(path);
    return;
  }
  content::PackageInfo info;
  std::string why;
  if (!content::ReadPackage(path, info, why)) {
    std::fprintf(stderr, "tessera: %s\n", why.c_str());
    WriteLog(why.c_str());
    if (!headless) ShowMessage(why.c_str());
    return;
  }
  const fs::path campaigns = content::PlayerCampaignsFolder();
  const content::InstallTarget target = content::PlanInstall(info.manifest, campaigns);
  CardButton choice = CardButton::Replace;
  if (!headless) choice = ShowPackageCard(info, !target.same.empty());
  if (choice == CardButton::Cancel) return;
  fs::path installed;
  if (campaigns.empty() || !content::InstallPackage(path, target, choice == CardButton::Replace, installed, why)) {
    if (campaigns.empty()) why = "no user data folder to install " + path + " into";
    std::fprintf(stderr, "tessera: %s\n", why.c_str());
    WriteLog(why.c_str());
    if (!headless) ShowMessage(why.c_str());
    return;
  }
  const std::string line = "installed " + path + " into " + HostPathString(installed);
  std::fprintf(stderr, "tessera: %s\n", line.c_str());
  WriteLog(line.c_str());
  if (headless) return;
  CloseTrace();
  RestartProgram({"--workdir", HostPathString(installed)});
  ShowMessage(("cannot start the game again in " + HostPathString(installed)).c_str());
}

// The game played is remembered for the next start that finds several.
void RememberGame(UserConfig& user) {
  if (!IsGameFolder(HostFsPath(WorkDir)) || user.lastGame == WorkDir) return;
  user.lastGame = WorkDir;
  if (!SaveUserConfig(user)) std::fprintf(stderr, "tessera: cannot write %s\n", HostPathString(UserConfigPath()).c_str());
}

// Saves and log in the game folder when it is writable, else in the user's
// folders (or where --save-dir says); returns the log's first line.
std::string SetUpWritePlaces(const CommandLine& cl) {
  const fs::path folder = HostFsPath(WorkDir);
  const bool writable = !IsInstalledFolder(folder, CurrentSearchRoots()) && CanCreateFileIn(folder);
  const WritePlaces places = ChooseWritePlaces(folder, writable, CampaignId(folder), GetUserFolders(), HostFsPath(cl.saveDir));
  SetSaveFolders(HostPathString(places.saves), HostPathString(places.readThrough));
  SetLogFile(HostPathString(places.log));
  return "game folder " + HostPathString(folder) + ", saves in " + HostPathString(places.saves.empty() ? folder / "Save" : places.saves);
}

bool InitGame(const std::string& firstLogLine) {
  DeleteLog();
  WriteLogOnly(firstLogLine.c_str());
  if (!IsGameFolder(HostFsPath(WorkDir))) {
    const std::string warning = std::string("no game files found in ") + WorkDir;
    std::fprintf(stderr, "tessera: warning: %s\n", warning.c_str());
    WriteLogOnly(warning.c_str());
  }
  InitTextRenderer();
  ShowFps = 0;
  ShowMousePosition = 0;
  return true;
}

int Run(const CommandLine& cl, UserConfig& user, const std::vector<Campaign>& choices,
        const std::optional<content::PackageInfo>& offered) {
  Platform& sys = Sys();
  DesktopSize desktop = sys.ReadDesktopSize();
  ReadWorkDir();
  ReadEngineConfig();
  const std::optional<bool> fullScreen = cl.windowed ? std::optional<bool>(!*cl.windowed) : std::nullopt;
  EngineConfig.FullScreen = ChooseFullScreen(fullScreen, user, EngineConfig.FullScreen == 1) ? 1 : 0;

  std::string error;
  WindowPlacement place = GameWindowPosition(EngineConfig.FullScreen == 1, desktop.width, desktop.height);
  if (!sys.CreateGameWindow(EngineConfig.FullScreen == 1, place.x, place.y, error)) return Fail(error);
  if (!sys.InitDisplay(error)) return Fail(error);
  g_displayExists = true;
  InitSound();
  if (!ReadPixelFormat()) return Fail("cannot read the display's pixel format");
  if (!sys.InitInput(error)) return Fail(error);
  SetLibraryOptions({cl.saveDir, cl.headless});
  // A run that makes a puzzle traces the make too.
  const bool traceEarly = !cl.pictures.empty();
  if (traceEarly && !cl.traceFile.empty() && !OpenTrace(cl.traceFile, sys.Milliseconds()))
    return Fail("cannot write the trace file " + cl.traceFile);
  const bool play = offered                                    ? OfferPackage(cl.package, *offered)
                    : !cl.pictures.empty() || !choices.empty() ? ChooseInLibrary(cl.pictures, HostFsPath(user.lastGame))
                                                               : true;
  if (play && !traceEarly && !cl.traceFile.empty() && !OpenTrace(cl.traceFile, sys.Milliseconds()))
    return Fail("cannot write the trace file " + cl.traceFile);
  if (play && !cl.headless) RememberGame(user);  // headless runs leave the player's config alone

  std::unique_ptr<InputDriver> driver;
  if (cl.autoplay) {
    AutoplayOptions options;
    options.choice = cl.choice;
    driver = CreateAutoplay(options);
  } else if (cl.monkey) {
    driver = CreateMonkey(cl.monkeySeed);
  }
  SetInputDriver(driver.get());

  SetDropHandler([headless = cl.headless](const std::string& path) { OpenDroppedFile(path, headless); });
  if (play && InitGame(SetUpWritePlaces(cl))) {
    if (!HaveSoundDevice()) {
      std::string line = std::string("no audio device, running without sound: ") + SoundDeviceError();
      std::fprintf(stderr, "tessera: %s\n", line.c_str());
      WriteLog(line.c_str());
    }
    GameMainLoop();
    // A campaign picked in the library, or made, is played next in the same window.
    for (fs::path next = TakeSwitchTarget(); !next.empty(); next = TakeSwitchTarget()) {
      StopMusic();
      if (!EnterCampaign(next) || !InitGame(SetUpWritePlaces(cl))) break;
      if (!cl.headless) RememberGame(user);
      GameMainLoop();
    }
  }

  // Messages still queued are handled before the devices go (a picker that was
  // closed has taken the last one).
  WindowMessage message;
  while (play && sys.PollMessage(message))
    if (message.kind != MessageKind::Close) HandleWindowMessage(message);
  SetInputDriver(nullptr);
  SetDropHandler(nullptr);
  sys.ReleaseDisplay();
  ReleaseSound();
  sys.ReleaseInput();
  ReleaseTextRenderer();
  CloseTrace();
  return g_exitCode;
}

}  // namespace

int RunTessera(int argc, char** argv) {
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
  if (cl.version) {
    std::printf("tessera %s\n", VersionText());
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
  absolute(args.saveDir);
  absolute(args.package);
  for (std::string& picture : args.pictures) absolute(picture);
  if (args.listGames) {
    for (const Campaign& c : FindCampaigns(SearchPlaces(CurrentSearchRoots())))
      std::printf("%s\t%s\n", c.name.c_str(), HostPathString(c.folder).c_str());
    return 0;
  }
  UserConfig user = args.headless ? UserConfig{} : LoadUserConfig();
  std::vector<Campaign> choices;
  std::string noGame;
  if (!args.workDir.empty() && !HostChangeFolder(args.workDir)) return Fail("cannot enter the folder " + args.workDir);
  // A package (a double-click, a drop on the program) is checked first; an
  // unattended run installs it at once, a player sees its card in the window.
  std::optional<content::PackageInfo> offered;
  if (!args.package.empty()) {
    content::PackageInfo info;
    if (!content::ReadPackage(args.package, info, noGame) && args.headless) return Fail(noGame);
    if (noGame.empty() && (args.headless || args.yes) && !InstallAndEnter(args.package, info, true, noGame) &&
        args.headless)
      return Fail(noGame);
    if (noGame.empty() && !args.headless && !args.yes) offered = info;
  }
  if (args.workDir.empty() && args.package.empty() && !EnterGameFolder(args, user, choices, noGame) && args.headless &&
      args.pictures.empty())
    return Fail(noGame);
  if (!args.pictures.empty()) noGame.clear();  // the game is yet to be made

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
    options.scale = ChooseScale(args.scale, user);
    options.maxMs = args.maxMs;
    options.smooth = args.smooth || user.smooth.value_or(false);
    options.windowWidth = user.windowWidth;
    options.windowHeight = user.windowHeight;
    if (const fs::path data = GetUserFolders().data; !data.empty()) options.screenshotDir = data / "screenshots";
    // The window as the player left it is remembered; automated runs leave it alone.
    if (!args.autoplay && !args.monkey)
      options.remember = [&user](const WindowChoice& left) {
        user.windowWidth = left.width;
        user.windowHeight = left.height;
        user.fullScreen = left.fullScreen;
        SaveUserConfig(user);
      };
    options.log = [](const std::string& line) { WriteLog(line.c_str()); };
    platform = CreateSdlPlatform(options);
  }
  SetPlatform(platform.get());
  if (!noGame.empty()) {
    platform->ReadDesktopSize();  // brings up the display for the message box
    g_displayExists = true;
  }
  int code = noGame.empty() ? Run(args, user, choices, offered) : Fail(noGame);
  SetPlatform(nullptr);
  return code;
}

}  // namespace tessera
