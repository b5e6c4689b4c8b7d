// Input scripts: any text either parses into events that are all in range or
// fails naming a line; parsed scripts then drive a headless platform to the end.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/headless/input_script.h"

using namespace tessera;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<ScriptEvent> events;
  std::string error;
  if (!ParseInputScript(text, events, error)) {
    fuzz::Require(error.rfind("line ", 0) == 0, "error without its line");
    return 0;
  }
  for (const ScriptEvent& e : events) {
    if (e.kind == ScriptEvent::Kind::Dump) {
      fuzz::Require(!e.name.empty() && e.name.find_first_of("/\\") == std::string::npos, "dump name with a folder");
      continue;
    }
    if (e.kind != ScriptEvent::Kind::Message) continue;
    fuzz::Require(e.message.x >= 0 && e.message.x <= 799 && e.message.y >= 0 && e.message.y <= 599,
                  "position outside the frame");
    fuzz::Require(e.message.virtualKey <= 255, "virtual key outside 0..255");
  }

  // Play the script: every event arrives once its time has come, and a quit
  // or the end of the time limit closes the window.
  HeadlessOptions options;
  options.realFonts = false;
  options.quietMessages = true;
  options.script = events;
  options.maxMs = 1ull << 33;  // beyond every 32-bit event time
  HeadlessPlatform platform(options);
  size_t delivered = 0;
  bool closed = false;
  for (int step = 0; step < 80 && !closed; ++step) {
    WindowMessage message;
    while (platform.PollMessage(message)) {
      ++delivered;
      if (message.kind == MessageKind::Close) closed = true;
      fuzz::Require(delivered <= events.size() + 1, "more messages than events");
    }
    platform.Sleep(1u << 27);
  }
  fuzz::Require(closed, "the run never ended");
  return 0;
}
