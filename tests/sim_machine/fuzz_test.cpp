// Randomly damaged machine files and sidecars are read without crashing: each either
// gives a machine or an error that names the file and a line within it.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/sim/catalogue/catalogue.h"
#include "platform/sim/catalogue/embedded_files.h"
#include "platform/sim/machine/machine_file.h"
#include "platform/sim/machine/sidecar.h"
#include "tests/sim_machine/machine_test_support.h"

namespace pacetta::sim {
namespace {

// Characters that matter to the readers, so that mutations reach their branches.
constexpr std::string_view kInteresting = "\n\r\t -:[]#=_0123456789ABCDEFabcdefxhSL{}\",";

class Mutator {
 public:
  explicit Mutator(uint32_t seed) : random_(seed) {}

  std::string Mutate(std::string text) {
    const int edits = 1 + Below(4);
    for (int i = 0; i < edits; ++i) Edit(text);
    return text;
  }

 private:
  int Below(size_t bound) { return bound == 0 ? 0 : static_cast<int>(random_() % bound); }
  char AnyCharacter() {
    return Below(4) == 0 ? static_cast<char>(Below(256)) : kInteresting[Below(kInteresting.size())];
  }

  void Edit(std::string& text) {
    const size_t at = static_cast<size_t>(Below(text.size() + 1));
    switch (Below(6)) {
      case 0:  // overwrite a character
        if (at < text.size()) text[at] = AnyCharacter();
        break;
      case 1:  // insert one
        text.insert(at, 1, AnyCharacter());
        break;
      case 2:  // delete a stretch
        text.erase(at, static_cast<size_t>(Below(40)));
        break;
      case 3:  // cut the file short
        text.resize(at);
        break;
      case 4: {  // repeat a stretch (lines, sections, leaves)
        const auto piece = text.substr(at, static_cast<size_t>(Below(200)));
        text.insert(static_cast<size_t>(Below(text.size() + 1)), piece);
        break;
      }
      default:  // move a stretch elsewhere
        if (!text.empty()) {
          const auto piece = text.substr(at, static_cast<size_t>(Below(120)));
          text.erase(at, piece.size());
          text.insert(static_cast<size_t>(Below(text.size() + 1)), piece);
        }
        break;
    }
  }

  std::mt19937 random_;
};

int LineCount(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n') +
                          std::count(text.begin(), text.end(), '\r')) +
         1;
}

std::vector<std::string> Seeds() {
  std::vector<std::string> seeds;
  for (const auto& file : EmbeddedCatalogueFiles())
    seeds.emplace_back(reinterpret_cast<const char*>(file.data), file.size);
  for (const auto& path : testing::SharedDumps()) seeds.push_back(testing::ReadText(path));
  seeds.push_back(testing::OwnDumpText(*FindCatalogueMachine("k8-x2-laptop"), "\r\n"));
  seeds.push_back(testing::OwnDumpText(*FindCatalogueMachine("pentium4-ht"), "\n"));
  return seeds;
}

TEST(Fuzz, DamagedMachineFilesNeverCrashTheReader) {
  const auto seeds = Seeds();
  Mutator mutator(20240611);
  int refused = 0;
  for (int round = 0; round < 3000; ++round) {
    const auto text = mutator.Mutate(seeds[static_cast<size_t>(round) % seeds.size()]);
    const auto parsed = ParseMachineText(text, "fuzz.test");
    if (parsed.ok()) {
      EXPECT_FALSE(parsed.value().processors.empty());
      EXPECT_LE(parsed.value().processors.size(), kMaxMachineProcessors);
      continue;
    }
    ++refused;
    EXPECT_EQ(parsed.error().file, "fuzz.test");
    EXPECT_GE(parsed.error().line, 1);
    EXPECT_LE(parsed.error().line, LineCount(text)) << parsed.error().ToString();
  }
  EXPECT_GT(refused, 0);  // the mutations do reach the error paths
}

TEST(Fuzz, DamagedSidecarsNeverCrashTheReader) {
  const std::string seed = R"({
  "name": "fuzzed", "description": "d",
  "os": {"major": 5, "minor": 1, "build": 2600, "platform": "nt"},
  "system64": true, "processAffinityMask": "0x3",
  "msrStart": {"all": {"0xC0010042": "0x20A"}, "1": {"0x198": 1234}},
  "pciDevices": [{"bus": 0, "device": 24, "function": 3, "config": "22 10 03 11",
                  "dwords": {"0xE8": "0x1000"}}]
})";
  Mutator mutator(7);
  for (int round = 0; round < 3000; ++round) {
    const auto text = mutator.Mutate(seed);
    MachineSpec machine;
    machine.processors.resize(2);
    const auto error = ApplySidecar(text, "fuzz.json", machine);
    if (!error) continue;
    EXPECT_EQ(error->file, "fuzz.json");
    EXPECT_GE(error->line, 1);
    EXPECT_LE(error->line, LineCount(text)) << error->ToString();
  }
}

}  // namespace
}  // namespace pacetta::sim
