#include "flow/library_flow.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>

#include "app/campaigns.h"
#include "app/engine_config.h"
#include "app/input_state.h"
#include "app/log.h"
#include "content/captions.h"
#include "content/maker.h"
#include "content/package.h"
#include "content/package_install.h"
#include "flow/file_browser_flow.h"
#include "game/game_state.h"
#include "game/save_slots.h"
#include "gfx/bmp.h"
#include "gfx/present.h"
#include "platform/file_system.h"
#include "platform/host_files.h"
#include "platform/process.h"
#include "platform/user_folders.h"
#include "platform/trash.h"
#include "screens/dialog.h"
#include "screens/maker_form.h"
#include "screens/package_card.h"

namespace tessera {

namespace fs = std::filesystem;

namespace {

LibraryOptions g_options;
fs::path g_switchTo;
// The campaign the game has open while the library is shown over it, and
// whether pictures were added to it there (it is then entered again).
fs::path g_running;
bool g_runningChanged = false;

constexpr uint32_t kFrameMs = 15;

void Say(const std::string& line) {
  std::fprintf(stderr, "tessera: %s\n", line.c_str());
  WriteLog(line.c_str());
}

// The start of the names of a campaign's thumbnails in the cache: its id and
// a hash of its folder, so that two copies of one campaign keep theirs apart.
std::string ThumbnailPrefix(const fs::path& folder, const std::string& id) {
  char hash[24];
  std::snprintf(hash, sizeof hash, "%016llx",
                static_cast<unsigned long long>(std::hash<std::string>{}(HostPathString(folder))));
  return id + "-" + hash;
}

fs::path ThumbnailFolder() {
  const fs::path cache = GetUserFolders().cache;
  return cache.empty() ? fs::path() : cache / "thumbnails";
}

// The thumbnail cache's file for a campaign as it is now: the key of what its
// first picture is made from is in the name, so a campaign whose first
// picture changed (re-made, pictures put before it) misses and is made anew.
fs::path ThumbnailFile(const fs::path& folder, const std::string& id) {
  const fs::path cache = ThumbnailFolder();
  if (cache.empty()) return {};
  return cache / (ThumbnailPrefix(folder, id) + "-" + content::CampaignThumbnailKey(HostPathString(folder)) + ".bmp");
}

// Removes a campaign's thumbnails from the cache but `keep`.
void RemoveThumbnails(const fs::path& folder, const std::string& id, const fs::path& keep) {
  const fs::path cache = ThumbnailFolder();
  if (cache.empty()) return;
  const std::string prefix = ThumbnailPrefix(folder, id);
  std::error_code ec;
  std::vector<fs::path> stale;
  for (auto it = fs::directory_iterator(cache, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = HostPathString(it->path().filename());
    if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
        (name[prefix.size()] == '-' || name[prefix.size()] == '.') && it->path() != keep)
      stale.push_back(it->path());
  }
  for (const fs::path& file : stale) fs::remove(file, ec);
}

ImagePtr DecodeThumbnail(const std::vector<uint8_t>& bmp) {
  ImagePtr image;
  if (bmp.empty() || DecodeBmp(bmp.data(), bmp.size(), image) != BmpStatus::Ok || !image ||
      image->width != content::THUMBNAIL_SIDE || image->height != content::THUMBNAIL_SIDE)
    return nullptr;
  return image;
}

// From the cache, else made from the campaign and put there (the campaign's
// picture archive is read once, not at every opening of the library).
ImagePtr Thumbnail(const fs::path& folder, const std::string& id) {
  const fs::path cached = ThumbnailFile(folder, id);
  std::error_code ec;
  if (!cached.empty() && fs::file_size(cached, ec) <= (1u << 20) && !ec) {
    std::vector<uint8_t> bytes;
    if (std::FILE* file = HostOpen(HostPathString(cached), "rb")) {
      bytes.resize(static_cast<size_t>(fs::file_size(cached, ec)));
      bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
      std::fclose(file);
    }
    if (ImagePtr image = DecodeThumbnail(bytes)) return image;
  }
  const std::vector<uint8_t> made = content::MakeCampaignThumbnail(HostPathString(folder));
  if (!cached.empty() && !made.empty()) {
    fs::create_directories(cached.parent_path(), ec);
    const std::string temporary = HostPathString(cached) + ".part";
    if (std::FILE* file = HostOpen(temporary, "wb")) {
      const bool written = std::fwrite(made.data(), 1, made.size(), file) == made.size();
      if (std::fclose(file) == 0 && written) fs::rename(HostFsPath(temporary), cached, ec);
      fs::remove(HostFsPath(temporary), ec);
    }
    // The thumbnails of the campaign's earlier first pictures.
    RemoveThumbnails(folder, id, cached);
  }
  return DecodeThumbnail(made);
}

// Levels won are noted beside the saves: in the campaign's own Save folder
// when the game can write there, else under the player's data folder. Both
// are read rather than a file made in each campaign to learn which (the
// library of 500 campaigns would make and delete 500 files at every opening).
int LevelsWon(const fs::path& folder, const std::string& id) {
  if (!g_options.saveDir.empty()) return static_cast<int>(ReadLevelsWon(g_options.saveDir).size());
  size_t won = ReadLevelsWon(HostPathString(folder / "Save")).size();
  const WritePlaces away = ChooseWritePlaces(folder, false, id, GetUserFolders(), {});
  if (!away.saves.empty()) won = std::max(won, ReadLevelsWon(HostPathString(away.saves)).size());
  return static_cast<int>(won);
}

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return !a.empty() && !b.empty() && fs::equivalent(a, b, ec);
}

// The library's screens draw their own pointer where the mouse is; the game's
// pointer, stamped where the game last saw the mouse, is put away meanwhile.
class GamePointerAway {
 public:
  GamePointerAway() : was_(CursorImage) { CursorImage = nullptr; }
  ~GamePointerAway() { CursorImage = was_; }
  GamePointerAway(const GamePointerAway&) = delete;
  GamePointerAway& operator=(const GamePointerAway&) = delete;

 private:
  const Image* was_;
};

// Runs a frame loop's pacing step: the frame shown, then a wait.
void Show(std::vector<uint16_t>& frame) {
  PresentFrame(frame.data());
  Sys().Sleep(kFrameMs);
}

// The make, off the frame loop: a worker runs the import while the window
// shows its progress. In a headless run the two take turns at every picture,
// so the virtual clock, and with it the trace and the dumps, come out the same
// at every run.
class MakeJob {
 public:
  // `frame` shows a step and takes the window's messages when the make has to
  // run on this thread (a system without threads, such as the browser's
  // page): false cancels.
  // A new campaign titled `title`, or (`appendTo` given) levels added to that one.
  MakeJob(std::string title, fs::path appendTo, content::ImportOptions options, bool lockstep,
          std::function<bool(MakeProgress)> frame)
      : lockstep_(lockstep), frame_(std::move(frame)) {
    auto work = [this, title = std::move(title), appendTo = std::move(appendTo), options = std::move(options)] {
      fs::path made = appendTo;
      content::ImportReport report;
      std::string error;
      const content::ImportStep step = [this](size_t index, size_t total, const std::string& picture) {
        return Step(index, total, picture);
      };
      const bool ok =
          appendTo.empty()
              ? content::MakeCampaign(content::PlayerCampaignsFolder(), title, options, made, report, error, step)
              : content::AppendToCampaign(appendTo, options, report, error, step);
      std::lock_guard<std::mutex> lock(mutex_);
      ok_ = ok;
      made_ = made;
      report_ = std::move(report);
      error_ = std::move(error);
      done_ = true;
      changed_.notify_all();
    };
    try {
      if (ThreadsAvailable()) worker_ = std::thread(work);
    } catch (const std::system_error&) {
    }
    if (!worker_.joinable()) {
      inline_ = true;
      work();
    }
  }
  ~MakeJob() {
    Cancel();
    if (worker_.joinable()) worker_.join();
  }
  MakeJob(const MakeJob&) = delete;
  MakeJob& operator=(const MakeJob&) = delete;

  // The progress to show this frame; in lock step, waits for the worker's next step.
  MakeProgress Progress(bool& done) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (lockstep_) changed_.wait(lock, [this] { return reached_ > allowed_ || done_; });
    done = done_;
    return progress_;
  }
  // Lets the worker on past the step shown (lock step only).
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    allowed_ = reached_;
    changed_.notify_all();
  }
  void Cancel() {
    std::lock_guard<std::mutex> lock(mutex_);
    cancel_ = true;
    progress_.cancelling = true;
    changed_.notify_all();
  }
  // After done: the outcome.
  bool Finish(fs::path& made, content::ImportReport& report, std::string& error) {
    if (worker_.joinable()) worker_.join();
    made = made_;
    report = report_;
    error = error_;
    return ok_;
  }

 private:
  bool Step(size_t index, size_t total, const std::string& picture) {
    std::unique_lock<std::mutex> lock(mutex_);
    progress_.index = index;
    progress_.total = total;
    progress_.name = picture.empty() ? std::string() : HostPathString(HostFsPath(picture).filename());
    ++reached_;
    changed_.notify_all();
    if (inline_) {
      const MakeProgress shown = progress_;
      lock.unlock();
      return frame_(shown);
    }
    if (lockstep_) changed_.wait(lock, [this] { return allowed_ >= reached_ || cancel_; });
    return !cancel_;
  }

  const bool lockstep_;
  const std::function<bool(MakeProgress)> frame_;
  bool inline_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  MakeProgress progress_;
  uint64_t reached_ = 0, allowed_ = 0;
  bool cancel_ = false, done_ = false, ok_ = false;
  fs::path made_;
  content::ImportReport report_;
  std::string error_;
  std::thread worker_;  // last: started once everything it uses exists
};

// Runs the make with its progress screen; Play with the campaign made, else
// Back to the form (whose message then says why) or Quit.
LibraryOutcome Make(MakerForm& form, const fs::path& appendTo) {
  content::ImportOptions options;
  options.images = ReadablePictures(form);
  options.pieces = form.pieces;
  options.layers = form.layers;
  options.time = form.time;
  options.stones = form.stones;
  options.spiders = form.spiders;
  std::string title = form.title;
  if (title.find_first_not_of(' ') == std::string::npos) title = "My puzzle";
  Say((appendTo.empty() ? "making " : "adding to ") + title + " from " + std::to_string(options.images.size()) +
      " pictures");
  // The window's platform, taken before the worker may set its own for a while.
  Platform& sys = Sys();
  std::vector<uint16_t> frame(static_cast<size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT);
  int mouseX = form.mouseX, mouseY = form.mouseY;
  bool quit = false, pressed = false, cancel = false;
  // One frame of the progress screen; `release` lets the worker on once it is drawn.
  auto showFrame = [&](MakeProgress progress, const std::function<void()>& release) {
    progress.title = title;
    progress.cancelling = progress.cancelling || cancel;
    // The worker's captions use the same renderer and platform: one at a time.
    std::unique_lock<std::mutex> drawing(content::CaptionLock());
    DrawMakeProgress(progress, mouseX, mouseY, frame.data());
    PresentFrame(frame.data());
    release();
    WindowMessage polled;
    std::vector<WindowMessage> messages;
    while (sys.PollMessage(polled)) messages.push_back(polled);
    drawing.unlock();
    sys.Sleep(kFrameMs);
    for (const WindowMessage& m : messages) {
      if (m.kind == MessageKind::MouseMove || m.kind == MessageKind::ButtonDown || m.kind == MessageKind::ButtonUp) {
        mouseX = m.x;
        mouseY = m.y;
      }
      const bool onCancel = ProgressCancelAt(m.x, m.y);
      if (m.kind == MessageKind::ButtonDown && m.button == MouseButton::Left) pressed = onCancel;
      const bool clicked = m.kind == MessageKind::ButtonUp && m.button == MouseButton::Left && pressed && onCancel;
      if (clicked || (m.kind == MessageKind::KeyDown && m.virtualKey == VK_ESCAPE) || m.kind == MessageKind::Close) {
        quit = quit || m.kind == MessageKind::Close;
        cancel = true;
      }
    }
    return !cancel;
  };
  MakeJob job(title, appendTo, options, g_options.headless, [&](const MakeProgress& p) { return showFrame(p, [] {}); });
  for (;;) {
    bool done = false;
    MakeProgress progress = job.Progress(done);
    if (done) break;
    if (!showFrame(progress, [&job] { job.Release(); })) job.Cancel();
  }
  fs::path made;
  content::ImportReport report;
  std::string error;
  const bool ok = job.Finish(made, report, error);
  for (const std::string& skipped : report.skipped) Say("skipped " + skipped);
  if (quit) return {LibraryOutcome::Quit, {}};
  if (!ok) {
    form.message = error == content::IMPORT_CANCELLED ? "Cancelled; nothing was made." : "Not made: " + error;
    Say(error == content::IMPORT_CANCELLED ? std::string("making cancelled, nothing left behind")
                                           : "making failed: " + error);
    return {LibraryOutcome::Back, {}};
  }
  if (appendTo.empty())
    Say("made " + HostPathString(made) + " with " + std::to_string(report.levels.size()) + " levels");
  else
    Say("added " + std::to_string(report.levels.size()) + " levels to " + HostPathString(made));
  return {LibraryOutcome::Play, made};
}

// A question over the library until it is answered: a button's index,
// kDialogCancel or kDialogQuit.
int Ask(Dialog& dialog, const LibraryState& state, std::vector<LibraryEntry>& entries,
        std::vector<uint16_t>& frame) {
  dialog.mouseX = state.mouseX;
  dialog.mouseY = state.mouseY;
  for (;;) {
    WindowMessage m;
    while (Sys().PollMessage(m)) {
      const int answer = HandleDialogMessage(dialog, m);
      if (answer != kDialogNone) return answer;
    }
    LibraryState below = state;
    below.mouseX = below.mouseY = -1;  // one pointer: the dialog's
    ReadShownThumbnails(entries, below);
    DrawLibrary(below, entries, frame.data());
    DrawDialog(dialog, frame.data());
    Show(frame);
  }
}

// Moves the player's campaign to the trash, or, where there is none, deletes
// it for good once the player said so twice. False when it stays.
bool DeleteCampaign(const LibraryEntry& entry, const LibraryState& state, std::vector<LibraryEntry>& entries,
                    std::vector<uint16_t>& frame, bool& quit) {
  if (SameFolder(entry.folder, g_running)) {
    Dialog open;
    open.heading = "\"" + entry.title + "\" is open";
    open.detail = "Play another campaign first, then delete this one.";
    open.buttons = {"OK"};
    quit = Ask(open, state, entries, frame) == kDialogQuit;
    return false;
  }
  Dialog sure;
  sure.heading = "Delete \"" + entry.title + "\"?";
  sure.detail = "It goes to the trash, from where you can bring it back.";
  sure.buttons = {"Delete", "Keep it"};
  sure.focus = 1;
  const int answer = Ask(sure, state, entries, frame);
  quit = answer == kDialogQuit;
  if (answer != 0) return false;
  const std::string folder = HostPathString(entry.folder);
  std::string why;
  if (MoveToTrash(folder, why)) {
    Say("moved " + folder + " to the trash");
  } else {
    Say(folder + ": not moved to the trash: " + why);
    Dialog forGood;
    forGood.heading = "Delete it for good?";
    forGood.detail = "It cannot go to the trash (" + why + "); deleted, it is gone.";
    forGood.buttons = {"Delete for good", "Keep it"};
    forGood.focus = 1;
    const int second = Ask(forGood, state, entries, frame);
    quit = second == kDialogQuit;
    if (second != 0) return false;
    content::RemoveFolder(folder);
    HostFilesWritten();
    std::error_code ec;
    if (fs::exists(entry.folder, ec)) {
      Say(folder + ": could not be deleted whole");
      return true;  // what is left shows in the library again
    }
    Say("deleted " + folder);
  }
  RemoveThumbnails(entry.folder, entry.id, {});
  return true;
}

// Asks for the player's campaign's new title and gives it.
void RenameCampaign(const LibraryEntry& entry, const LibraryState& state, std::vector<LibraryEntry>& entries,
                    std::vector<uint16_t>& frame, bool& quit) {
  Dialog rename;
  rename.heading = "Rename";
  rename.detail = "A new title for \"" + entry.title + "\":";
  rename.entry = true;
  rename.text = entry.title;
  rename.maxTextBytes = MAKER_TITLE_BYTES;
  rename.buttons = {"Rename", "Cancel"};
  for (;;) {
    const int answer = Ask(rename, state, entries, frame);
    quit = answer == kDialogQuit;
    if (answer != 0) return;
    std::string why;
    if (content::RetitleCampaign(entry.folder, rename.text, why)) {
      Say("renamed " + HostPathString(entry.folder) + " to " + rename.text);
      return;
    }
    rename.detail = "Not renamed: " + why;
  }
}

// A package opened in the library (chosen with "Open..." or dropped onto it)
// shown on its card and installed, or a campaign's folder copied into the
// player's campaigns. The campaign now in the player's folder, or empty with
// `message` saying why not (nothing when the player cancelled).
fs::path OpenInLibrary(const std::string& path, std::string& message) {
  fs::path installed;
  std::string why;
  // A report of several lines is shown on the library's one line.
  const auto shown = [](std::string text) {
    for (size_t at; (at = text.find("\n  ")) != std::string::npos;) text.replace(at, 3, " ");
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
  };
  if (content::IsPackagePath(path)) {
    content::PackageInfo info;
    if (!content::ReadPackage(path, info, why)) {
      message = shown(why);
      Say(why);
      return {};
    }
    const bool same = !content::PlanInstall(info.manifest, content::PlayerCampaignsFolder()).same.empty();
    const CardButton choice = ShowPackageCard(info, same);
    if (choice == CardButton::Cancel) return {};
    if (!content::InstallForPlayer(path, info.manifest, choice == CardButton::Replace, installed, why)) {
      message = shown(why);
      Say(why);
      return {};
    }
    Say("installed " + path + " into " + HostPathString(installed));
    return installed;
  }
  const fs::path folder = HostFsPath(path);
  if (!IsGameFolder(folder)) {
    message = HostPathString(folder.filename()) + " is no campaign: it has no System.ini.";
    Say(path + ": no campaign to open");
    return {};
  }
  content::Manifest manifest;
  const std::string title =
      content::ReadFolderManifest(path, manifest) && !manifest.title.empty() ? manifest.title : HostPathString(folder.filename());
  if (!content::InstallCampaignFolder(folder, title, content::PlayerCampaignsFolder(), installed, why)) {
    message = shown(why);
    Say(why);
    return {};
  }
  Say("copied " + path + " into " + HostPathString(installed));
  return installed;
}

// "Open...": the browser, then the campaign chosen opened; `quit` when the
// window was closed. Where the host chooses files (a web page), its chooser
// opens instead and the package comes as a drop onto the library.
fs::path OpenFromLibrary(std::string& message, bool& quit) {
  quit = false;
  if (ChooseFilesWithHost(HostFileKind::Package)) return {};
  const BrowserOutcome chosen = RunOpenBrowser(PicturesFolder());
  quit = chosen.kind == BrowserOutcome::Quit;
  if (chosen.kind != BrowserOutcome::Chosen || chosen.paths.empty()) return {};
  return OpenInLibrary(chosen.paths.front(), message);
}

}  // namespace

void SetLibraryOptions(const LibraryOptions& options) { g_options = options; }

std::vector<LibraryEntry> GatherLibrary() {
  std::vector<LibraryEntry> entries;
  for (const Campaign& c : FindCampaigns(SearchPlaces(CurrentSearchRoots()))) {
    LibraryEntry entry;
    entry.folder = c.folder;
    content::Manifest manifest;
    const bool described = content::ReadFolderManifest(HostPathString(c.folder), manifest);
    entry.title = described ? manifest.title : c.name;
    // Made by the player: the import's manifest, not a package's.
    entry.own = described && manifest.tool.rfind("tessera ", 0) == 0;
    // A manifest counts the levels (the import and the maker keep it up to
    // date); other campaigns' scripts are read.
    entry.levels = described && manifest.levels > 0 ? manifest.levels
                                                    : content::CampaignLevelCount(HostPathString(c.folder));
    entry.id = CampaignId(c.folder);
    entry.won = std::min(LevelsWon(c.folder, entry.id), entry.levels);
    entries.push_back(std::move(entry));
  }
  return entries;
}

void ReadShownThumbnails(std::vector<LibraryEntry>& entries, const LibraryState& state) {
  const size_t last = std::min(entries.size(), static_cast<size_t>(std::max(0, state.top + LIBRARY_ROWS_SHOWN)));
  for (size_t i = static_cast<size_t>(std::max(0, state.top)); i < last; ++i)
    if (!entries[i].thumbnailRead) {
      entries[i].thumbnail = Thumbnail(entries[i].folder, entries[i].id);
      entries[i].thumbnailRead = true;
    }
}

LibraryOutcome RunMaker(const std::vector<std::string>& pictures, const LibraryEntry* appendTo) {
  const GamePointerAway pointer;
  // Pictures the host handed over (a page's copies in memory) are freed once
  // the form closes: made into a puzzle, cancelled, or the window closed.
  const ReleaseHostFilesAtEnd release;
  MakerForm form;
  if (appendTo) {
    form.appending = true;
    form.title = appendTo->title;
    form.focus = FormField::Pieces;
  }
  for (const std::string& p : pictures) AddFormPictures(form, p);
  for (const MakerPicture& p : form.pictures)
    if (!p.problem.empty()) Say(p.path + ": skipped, " + p.problem);
  std::vector<uint16_t> frame(static_cast<size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT);
  for (;;) {
    WindowMessage m;
    while (Sys().PollMessage(m)) {
      const size_t before = form.pictures.size();
      const FormStep step = HandleFormMessage(form, m);
      for (size_t i = before; m.kind == MessageKind::Drop && i < form.pictures.size(); ++i)
        if (!form.pictures[i].problem.empty()) Say(form.pictures[i].path + ": skipped, " + form.pictures[i].problem);
      if (step == FormStep::Cancel) return {LibraryOutcome::Back, {}};
      if (step == FormStep::Quit) return {LibraryOutcome::Quit, {}};
      // Where the host chooses files (a web page), its chooser opens and the
      // pictures chosen come as drops onto the form.
      if (step == FormStep::Browse && !ChooseFilesWithHost(HostFileKind::Pictures)) {
        const BrowserOutcome picked = RunPictureBrowser(PicturesFolder());
        if (picked.kind == BrowserOutcome::Quit) return {LibraryOutcome::Quit, {}};
        const size_t first = form.pictures.size();
        for (const std::string& p : picked.paths) AddFormPictures(form, p);
        for (size_t i = first; i < form.pictures.size(); ++i)
          if (!form.pictures[i].problem.empty()) Say(form.pictures[i].path + ": skipped, " + form.pictures[i].problem);
        if (!picked.paths.empty()) Say("added " + std::to_string(form.pictures.size() - first) + " pictures");
      }
      if (step == FormStep::Make) {
        const LibraryOutcome outcome = Make(form, appendTo ? appendTo->folder : fs::path());
        if (outcome.kind != LibraryOutcome::Back) return outcome;
      }
    }
    DrawForm(form, frame.data());
    Show(frame);
  }
}

LibraryOutcome RunLibrary(const fs::path& selected) {
  const GamePointerAway pointer;
  std::vector<LibraryEntry> entries = GatherLibrary();
  LibraryState state;
  auto reset = [&](const fs::path& chosen) {
    state = LibraryState{};
    state.count = static_cast<int>(entries.size());
    for (const LibraryEntry& entry : entries) state.own.push_back(entry.own);
    for (int i = 0; i < state.count; ++i)
      if (SameFolder(entries[i].folder, chosen)) SelectLibraryRow(state, i);
  };
  reset(selected);
  std::vector<uint16_t> frame(static_cast<size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT);
  for (;;) {
    WindowMessage m;
    while (Sys().PollMessage(m)) {
      std::vector<std::string> pictures;
      LibraryStep step = HandleLibraryMessage(state, m);
      if (m.kind == MessageKind::Drop) {
        if (content::IsPackagePath(m.path)) {
          // A package dropped: its card, then installed, as "Open..." does.
          std::string message;
          const fs::path opened = OpenInLibrary(m.path, message);
          ReleaseHostFiles();  // installed or refused: the host's copy is done with
          const int wasSelected = state.selected;
          entries = GatherLibrary();
          reset(opened);
          if (opened.empty()) SelectLibraryRow(state, wasSelected);
          state.message = message;
          continue;
        }
        pictures.push_back(m.path);
        step = LibraryStep::Make;
      }
      switch (step) {
        case LibraryStep::Play:
          if (state.selected < state.count) return {LibraryOutcome::Play, entries[state.selected].folder};
          break;
        case LibraryStep::Make: {
          const LibraryOutcome made = RunMaker(pictures);
          if (made.kind != LibraryOutcome::Back) return made;
          const fs::path was = state.selected < state.count ? entries[state.selected].folder : fs::path();
          entries = GatherLibrary();
          reset(was);
          break;
        }
        case LibraryStep::AddPictures:
        case LibraryStep::Rename:
        case LibraryStep::Delete: {
          if (state.selected >= state.count || !entries[state.selected].own) break;
          const LibraryEntry& entry = entries[state.selected];
          bool quit = false;
          fs::path keep = entry.folder;
          if (step == LibraryStep::Rename) RenameCampaign(entry, state, entries, frame, quit);
          if (step == LibraryStep::Delete && DeleteCampaign(entry, state, entries, frame, quit)) {
            // The one after it takes its place.
            const int next = state.selected + 1 < state.count ? state.selected + 1 : state.selected - 1;
            keep = next >= 0 ? entries[next].folder : fs::path();
          }
          if (step == LibraryStep::AddPictures) {
            const LibraryOutcome added = RunMaker({}, &entry);
            if (added.kind == LibraryOutcome::Quit) return added;
            if (added.kind == LibraryOutcome::Play && SameFolder(entry.folder, g_running)) g_runningChanged = true;
          }
          if (quit) return {LibraryOutcome::Quit, {}};
          entries = GatherLibrary();
          reset(keep);
          break;
        }
        case LibraryStep::Open: {
          std::string message;
          bool quit = false;
          fs::path opened = OpenFromLibrary(message, quit);
          if (quit) return {LibraryOutcome::Quit, {}};
          if (opened.empty()) opened = state.selected < state.count ? entries[state.selected].folder : fs::path();
          const int wasSelected = state.selected;
          entries = GatherLibrary();
          reset(opened);
          if (opened.empty()) SelectLibraryRow(state, wasSelected);
          state.message = message;
          break;
        }
        case LibraryStep::Back: return {LibraryOutcome::Back, {}};
        case LibraryStep::Quit: return {LibraryOutcome::Quit, {}};
        case LibraryStep::None: break;
      }
    }
    ReadShownThumbnails(entries, state);
    DrawLibrary(state, entries, frame.data());
    Show(frame);
  }
}

void RunLibraryState() {
  const fs::path current = HostFsPath(WorkDir);
  g_running = current;
  g_runningChanged = false;
  const LibraryOutcome outcome = RunLibrary(current);
  g_running.clear();
  if (outcome.kind == LibraryOutcome::Quit) {
    WindowMessage close;
    close.kind = MessageKind::Close;
    HandleWindowMessage(close);  // as the game's own loop takes a closed window
  }
  // Another campaign, or this one with levels added: entered anew.
  const bool again = g_runningChanged && outcome.kind != LibraryOutcome::Quit;
  if (again || (outcome.kind == LibraryOutcome::Play && !SameFolder(outcome.folder, current))) {
    g_switchTo = outcome.kind == LibraryOutcome::Play ? outcome.folder : current;
    GameState = STATE_QUIT;
    return;
  }
  GameState = STATE_START_MENU;
}

void SetSwitchTarget(const fs::path& folder) { g_switchTo = folder; }

fs::path TakeSwitchTarget() {
  fs::path target;
  std::swap(target, g_switchTo);
  return target;
}

}  // namespace tessera
