#pragma once
// Every figure is a pair timed in the same run: our operation and its peer (an
// SDL equivalent, the bare byte copy or read underneath, or the same work done
// cold). The table prints each pair's ratio next to the budget it must hold.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace bench {

enum class Budget {
  None,            // shown for information
  RatioAtMost,     // ours / peer must not exceed the limit
  SpeedUpAtLeast,  // peer / ours must reach the limit (a cache against no cache)
};

// The table's headings, in the order they are printed.
inline constexpr const char* GROUP_FRAME = "Frame, against a plain copy of 960000 bytes";
inline constexpr const char* GROUP_DRAWING = "Drawing, against SDL2's software blitter";
inline constexpr const char* GROUP_LOADING = "Loading, against SDL2 and the bare read";
inline constexpr const char* GROUP_CACHES = "Caches, warm against the first use";
inline constexpr const char* GROUP_MAKING = "Making puzzles and the library";
inline constexpr const char* GROUP_ORDER[] = {GROUP_FRAME, GROUP_DRAWING, GROUP_LOADING, GROUP_CACHES, GROUP_MAKING};

struct Comparison {
  std::string group;  // the heading the row is printed under
  std::string name;
  std::string oursLabel;  // the two benchmark names are name + "/" + label
  std::string peerLabel;
  void (*ours)(benchmark::State&);
  void (*peer)(benchmark::State&);
  Budget budget;
  double limit;
};

// Drawing, picture loading and text, against SDL and the cold cache.
void AddGfxComparisons(std::vector<Comparison>& out);
// The play frame, presentation, level loading, sound files and texts.
void AddGameComparisons(std::vector<Comparison>& out);

// A level made by the maker and by the tool's import; the library opened.
void AddMakerComparisons(std::vector<Comparison>& out);
// The heaviest play frame (after SetUpGameBench), the peer of whole screens.
void HeaviestPlayFrame(benchmark::State& s);

// Scratch folders and shared services the pairs need, made before any pair
// runs and removed after the last one. False when one cannot be made.
bool SetUpGfxBench(const std::string& scratch);
void TearDownGfxBench();
bool SetUpGameBench(const std::string& scratch);
void TearDownGameBench();
bool SetUpMakerBench(const std::string& scratch);
void TearDownMakerBench();

// Makes `folder` the process's working folder and the game's WorkDir.
void EnterFolder(const std::string& folder);

}  // namespace bench
