#include "flow/file_browser_flow.h"

#include <system_error>

#include "app/log.h"
#include "gfx/present.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "screens/file_browser.h"

namespace tessera {

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kFrameMs = 15;
// Thumbnails made a frame: a folder of hundreds of photos fills in over a few
// frames instead of holding up the first.
constexpr int kThumbnailsPerFrame = 2;

fs::path g_lastPictures, g_lastOpen;

BrowserOutcome Run(BrowserMode mode, const fs::path& start) {
  fs::path& last = mode == BrowserMode::Pictures ? g_lastPictures : g_lastOpen;
  std::error_code ec;
  fs::path folder = !last.empty() && fs::is_directory(last, ec) ? last : start;
  if (folder.empty()) folder = HostFsPath(HostCurrentFolder());
  FileBrowserState state;
  state.mode = mode;
  ShowListing(state, ListFolder(folder, mode));
  last = state.listing.folder;
  WriteLog(("browsing " + HostPathString(last)).c_str());
  std::vector<uint16_t> frame(static_cast<size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT);
  for (;;) {
    WindowMessage m;
    while (Sys().PollMessage(m)) {
      fs::path target;
      switch (HandleBrowserMessage(state, m, target)) {
        case BrowserStep::Go:
          ShowListing(state, ListFolder(target, mode));
          last = state.listing.folder;
          WriteLog(("browsing " + HostPathString(last)).c_str());
          break;
        case BrowserStep::Confirm: {
          BrowserOutcome chosen{BrowserOutcome::Chosen, {}};
          if (mode == BrowserMode::Pictures)
            chosen.paths = state.ticked;
          else
            chosen.paths = {HostPathString(target)};
          return chosen;
        }
        case BrowserStep::Cancel: return {BrowserOutcome::Cancelled, {}};
        case BrowserStep::Quit: return {BrowserOutcome::Quit, {}};
        case BrowserStep::None: break;
      }
    }
    DrawFileBrowser(state, frame.data());
    PresentFrame(frame.data());
    Sys().Sleep(kFrameMs);
    // After the frame is shown: a folder just entered shows its names at once.
    MakeVisibleThumbnails(state, kThumbnailsPerFrame);
  }
}

}  // namespace

BrowserOutcome RunPictureBrowser(const fs::path& start) { return Run(BrowserMode::Pictures, start); }
BrowserOutcome RunOpenBrowser(const fs::path& start) { return Run(BrowserMode::Open, start); }

}  // namespace tessera
