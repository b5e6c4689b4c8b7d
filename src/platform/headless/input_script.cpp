#include "platform/headless/input_script.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace tessera {

namespace {

bool ParseNumber(const std::string& word, long long low, long long high, long long& value) {
  if (word.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(word.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < low || v > high) return false;
  value = v;
  return true;
}

struct ButtonWord {
  const char* word;
  MouseButton button;
  MessageKind kind;
};

constexpr ButtonWord kButtons[] = {
    {"ldown", MouseButton::Left, MessageKind::ButtonDown},     {"lup", MouseButton::Left, MessageKind::ButtonUp},
    {"ldouble", MouseButton::Left, MessageKind::ButtonDouble}, {"rdown", MouseButton::Right, MessageKind::ButtonDown},
    {"rup", MouseButton::Right, MessageKind::ButtonUp},        {"rdouble", MouseButton::Right, MessageKind::ButtonDouble},
    {"mdown", MouseButton::Middle, MessageKind::ButtonDown},   {"mup", MouseButton::Middle, MessageKind::ButtonUp},
    {"mdouble", MouseButton::Middle, MessageKind::ButtonDouble},
};

}  // namespace

bool ParseInputScript(const std::string& text, std::vector<ScriptEvent>& events, std::string& error) {
  events.clear();
  std::istringstream in(text);
  std::string line;
  int lineNumber = 0;
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(lineNumber) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNumber;
    if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty()) continue;
    long long ms = 0;
    if (!ParseNumber(w[0], 0, UINT32_MAX, ms)) return fail("bad time '" + w[0] + "'");
    if (w.size() < 2) return fail("missing event");
    ScriptEvent e;
    e.ms = static_cast<uint32_t>(ms);
    const std::string& verb = w[1];
    auto expectArgs = [&](size_t n) { return w.size() == n + 2; };
    if (verb == "move") {
      long long x, y;
      if (!expectArgs(2) || !ParseNumber(w[2], 0, 799, x) || !ParseNumber(w[3], 0, 599, y))
        return fail("move takes x (0-799) and y (0-599)");
      e.message.kind = MessageKind::MouseMove;
      e.message.x = static_cast<int32_t>(x);
      e.message.y = static_cast<int32_t>(y);
    } else if (verb == "keydown" || verb == "keyup") {
      long long vk;
      if (!expectArgs(1) || !ParseNumber(w[2], 0, 255, vk)) return fail(verb + " takes a virtual-key code 0-255");
      e.message.kind = verb == "keydown" ? MessageKind::KeyDown : MessageKind::KeyUp;
      e.message.virtualKey = static_cast<uint32_t>(vk);
    } else if (verb == "dump") {
      if (!expectArgs(1)) return fail("dump takes a name");
      for (char c : w[2])
        if (c == '/' || c == '\\') return fail("dump name must not contain a folder");
      e.kind = ScriptEvent::Kind::Dump;
      e.name = w[2];
    } else if (verb == "drop") {
      // The path is the rest of the line, spaces and all.
      const size_t at = line.find("drop");
      std::string path = line.substr(at + 4);
      path.erase(0, path.find_first_not_of(" \t"));
      path.erase(path.find_last_not_of(" \t\r") + 1);
      if (path.empty()) return fail("drop takes a path");
      e.message.kind = MessageKind::Drop;
      e.message.path = path;
    } else if (verb == "text") {
      // Typed text, UTF-8: the rest of the line after one space.
      const size_t at = line.find("text");
      std::string typed = line.substr(at + 4);
      if (!typed.empty() && (typed[0] == ' ' || typed[0] == '\t')) typed.erase(0, 1);
      typed.erase(typed.find_last_not_of(" \t\r") + 1);
      if (typed.empty()) return fail("text takes the text typed");
      e.message.kind = MessageKind::Text;
      e.message.text = typed;
    } else if (verb == "quit") {
      if (!expectArgs(0)) return fail("quit takes no arguments");
      e.kind = ScriptEvent::Kind::Quit;
    } else {
      bool found = false;
      for (const ButtonWord& b : kButtons)
        if (verb == b.word) {
          if (!expectArgs(0)) return fail(verb + " takes no arguments");
          e.message.kind = b.kind;
          e.message.button = b.button;
          e.atCurrentPosition = true;
          found = true;
        }
      if (!found) return fail("unknown event '" + verb + "'");
    }
    events.push_back(std::move(e));
  }
  return true;
}

}  // namespace tessera
