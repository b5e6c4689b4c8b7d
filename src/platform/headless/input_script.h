#pragma once
// Scripted input of headless runs: one event per line, "<ms> <event> [args]",
// '#' starts a comment, blank lines are ignored. "<ms> drop <path>" drops a
// file or folder onto the window (the path is the rest of the line); "<ms> text
// <utf-8>" types the rest of the line.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tessera {

struct ScriptEvent {
  enum class Kind : uint8_t { Message, Dump, Quit };
  uint32_t ms = 0;
  Kind kind = Kind::Message;
  WindowMessage message;  // for Kind::Message (button messages carry no position yet)
  bool atCurrentPosition = false;
  std::string name;  // for Kind::Dump
};

// Parses a whole script; on the first malformed line returns false with
// `error` = "line N: reason".
bool ParseInputScript(const std::string& text, std::vector<ScriptEvent>& events, std::string& error);

}  // namespace tessera
