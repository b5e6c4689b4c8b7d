// Runs every pair in one process and prints one table of ratios with the
// budget each must hold. Whole-process figures measured outside (launch time,
// peak memory) join the table when TESSERA_PROCESS_FIGURES names their file.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/engine_config.h"
#include "gfx/pixel_format.h"
#include "ratio_table.h"

namespace bench {

void EnterFolder(const std::string& folder) {
  if (chdir(folder.c_str()) != 0) std::fprintf(stderr, "cannot enter %s\n", folder.c_str());
  std::snprintf(tessera::WorkDir, sizeof tessera::WorkDir, "%s", folder.c_str());
}

}  // namespace bench

namespace {

using bench::Budget;
using bench::Comparison;

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    // With repetitions the median stands for the benchmark.
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const std::string name = run.run_name.function_name;
      if (run.run_type == Run::RT_Iteration && !medians.count(name)) nanoseconds[name] = run.GetAdjustedCPUTime();
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        nanoseconds[name] = run.GetAdjustedCPUTime();
        medians.insert(name);
      }
    }
  }
  std::map<std::string, double> nanoseconds;
  std::set<std::string> medians;
};

struct Tally {
  int met = 0;
  int missed = 0;
  std::vector<std::string> misses;
};

std::string BudgetText(Budget budget, double limit) {
  char text[32];
  if (budget == Budget::RatioAtMost)
    std::snprintf(text, sizeof text, "<= %g", limit);
  else if (budget == Budget::SpeedUpAtLeast)
    std::snprintf(text, sizeof text, ">= %gx", limit);
  else
    std::snprintf(text, sizeof text, "-");
  return text;
}

void PrintHeading(const std::string& group, const char* oursTitle, const char* peerTitle, const char* ratioTitle) {
  std::printf("\n%-46s %13s %13s %9s %8s\n", group.c_str(), oursTitle, peerTitle, ratioTitle, "budget");
}

// Rows of one group together, the groups in the table's order (any other
// group after them, in the order it first appears).
std::vector<Comparison> Grouped(const std::vector<Comparison>& pairs) {
  std::vector<std::string> groups(std::begin(bench::GROUP_ORDER), std::end(bench::GROUP_ORDER));
  for (const Comparison& c : pairs)
    if (std::find(groups.begin(), groups.end(), c.group) == groups.end()) groups.push_back(c.group);
  std::vector<Comparison> out;
  for (const std::string& g : groups)
    for (const Comparison& c : pairs)
      if (c.group == g) out.push_back(c);
  return out;
}

void PrintComparisons(const std::vector<Comparison>& pairs, const std::map<std::string, double>& ns, Tally& tally) {
  std::string group;
  for (const Comparison& c : Grouped(pairs)) {
    const auto o = ns.find(c.name + "/" + c.oursLabel), p = ns.find(c.name + "/" + c.peerLabel);
    if (o == ns.end() || p == ns.end()) continue;  // filtered out or skipped with an error
    if (c.group != group) {
      group = c.group;
      if (c.budget == Budget::SpeedUpAtLeast)
        PrintHeading(group, "cached ns", "first ns", "speed-up");
      else
        PrintHeading(group, "ours ns", "peer ns", "ratio");
    }
    const bool speedUp = c.budget == Budget::SpeedUpAtLeast;
    const double ratio = speedUp ? p->second / o->second : o->second / p->second;
    bool met = true;
    if (c.budget == Budget::RatioAtMost) met = ratio <= c.limit;
    if (c.budget == Budget::SpeedUpAtLeast) met = ratio >= c.limit;
    if (c.budget != Budget::None) {
      met ? ++tally.met : ++tally.missed;
      if (!met) tally.misses.push_back(c.name);
    }
    std::printf("%-46s %13.0f %13.0f %8.2f%s %8s%s\n", c.name.c_str(), o->second, p->second, ratio, speedUp ? "x" : " ",
                BudgetText(c.budget, c.limit).c_str(), met ? "" : "  MISSED");
  }
}

// Lines of "name<TAB>value<TAB>unit<TAB>budget"; the budget is an upper bound.
void PrintProcessFigures(const char* path, Tally& tally) {
  std::ifstream in(path);
  if (!in) {
    std::printf("\n(no whole-process figures: %s cannot be read)\n", path);
    return;
  }
  std::printf("\n%-46s %13s %13s %9s %8s\n", "whole process (/usr/bin/time -v)", "measured", "budget", "ratio", "budget");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name, value, unit, limit;
    if (!std::getline(fields, name, '\t') || !std::getline(fields, value, '\t') || !std::getline(fields, unit, '\t') ||
        !std::getline(fields, limit, '\t'))
      continue;
    char* end = nullptr;
    const double measured = std::strtod(value.c_str(), &end);
    if (end == value.c_str()) {
      std::printf("%-46s %13s %13s\n", name.c_str(), "failed", (limit + " " + unit).c_str());
      ++tally.missed;
      tally.misses.push_back(name);
      continue;
    }
    const double bound = std::strtod(limit.c_str(), nullptr);
    const double ratio = bound > 0 ? measured / bound : 0;
    const bool met = measured < bound;
    met ? ++tally.met : ++tally.missed;
    if (!met) tally.misses.push_back(name);
    std::printf("%-46s %13s %13s %8.2f  %8s%s\n", name.c_str(), (value + " " + unit).c_str(),
                (limit + " " + unit).c_str(), ratio, "< 1", met ? "" : "  MISSED");
  }
}

}  // namespace

int main(int argc, char** argv) {
  tessera::SetPixelFormat({0xF800, 0x07E0, 0x001F});  // the 5-6-5 layout of SDL's surfaces

  char pattern[] = "/tmp/tessera-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const std::string scratch = pattern;

  std::vector<Comparison> pairs;
  bench::AddGfxComparisons(pairs);
  bench::AddGameComparisons(pairs);
  bench::AddMakerComparisons(pairs);
  if (!bench::SetUpGfxBench(scratch + "/gfx") || !bench::SetUpGameBench(scratch + "/game") ||
      !bench::SetUpMakerBench(scratch + "/maker")) {
    std::filesystem::remove_all(scratch);
    return 1;
  }
  for (const Comparison& c : pairs) {
    benchmark::RegisterBenchmark((c.name + "/" + c.oursLabel).c_str(), c.ours)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark((c.name + "/" + c.peerLabel).c_str(), c.peer)->Unit(benchmark::kNanosecond);
  }

  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  bench::TearDownMakerBench();
  bench::TearDownGameBench();
  bench::TearDownGfxBench();
  std::filesystem::remove_all(scratch);

  std::printf("\n==== Ratios (CPU time, measured side by side in this run) ====\n");
  Tally tally;
  PrintComparisons(pairs, reporter.nanoseconds, tally);
  if (const char* figures = std::getenv("TESSERA_PROCESS_FIGURES")) PrintProcessFigures(figures, tally);
  double load[3] = {0, 0, 0};
  if (getloadavg(load, 3) == 3) std::printf("\nload average at the end: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
  std::printf("budgets met: %d of %d\n", tally.met, tally.met + tally.missed);
  for (const std::string& miss : tally.misses) std::printf("  missed: %s\n", miss.c_str());
  return 0;
}
