#pragma once
// The hostile-package corpus: one package for every way a stranger's file may
// try to escape, exhaust or confuse the unpacker, each with a word its refusal
// must give. The package tests prove each refused with nothing written; the
// fuzz seed maker starts the package fuzzer from them.
#include <cstdint>
#include <string>
#include <vector>

namespace tessera::test {

struct HostilePackage {
  std::string name;    // a file name for it (no extension)
  std::string reason;  // a piece of the refusal's text
  std::vector<uint8_t> bytes;
};

// `campaign` holds a real package's bytes (a packed demo) for the cases made
// from one (truncation, an entry added that lint refuses); empty leaves them out.
std::vector<HostilePackage> HostilePackages(const std::vector<uint8_t>& campaign = {});

}  // namespace tessera::test
