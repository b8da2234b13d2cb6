// The add-in host against the real modules built with the program and against modules
// made to be refused, put in a program folder under the real modules' names.
#include "app/addins/addin_host.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/strings/string_table.h"
#include "platform/linux/linux_system.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta {
namespace {

using platform::MessageIcon;

struct ShownBox {
  std::string text;
  std::string caption;
  MessageIcon icon;
};

class RecordingBoxes final : public platform::MessageBoxes {
 public:
  std::vector<ShownBox> shown;
  platform::MessageAnswer Show(const std::string& text, const std::string& caption,
                               MessageIcon icon, platform::MessageButtons) override {
    shown.push_back({text, caption, icon});
    return platform::MessageAnswer::kOk;
  }
};

// A program folder holding `tollund` and `vireon` (built file names; empty: none) as
// Tollund.so and Vireon.so.
class ProgramFolder {
 public:
  ProgramFolder(const std::string& tollund, const std::string& vireon) {
    Put(tollund, "Tollund.so");
    Put(vireon, "Vireon.so");
  }
  const std::string& Path() const { return folder_.Path(); }

 private:
  void Put(const std::string& built, const std::string& name) {
    if (built.empty()) return;
    const bool real = built == "Tollund.so" || built == "Vireon.so";
    const std::string from =
        (real ? std::string(PACETTA_BIN_DIR) : std::string(PACETTA_FAKE_ADDINS)) + "/" + built;
    std::filesystem::copy_file(from, folder_.File(name));
  }
  testing::TempFolder folder_;
};

constexpr char kContact[] = ".\nPlease contact the vendor for the updated module.";

// Each module is judged on its own, the updates module first: accepted, absent (no word
// of it), of a version not accepted (a warning naming the version), or without a usable
// object of its kind (an error). What is not accepted is never available.
TEST(AddinHost, EachModuleIsAcceptedOrRefusedWithItsMessage) {
  struct Case {
    const char* tollund;
    const char* vireon;
    bool tollundAvailable, vireonAvailable;
    std::vector<ShownBox> boxes;
  };
  const ShownBox corruptVireon{"Cannot load Vireon.so: the module is corrupt.", "Error",
                               MessageIcon::kError};
  const auto incompatible = [](const char* file, const char* version) {
    return ShownBox{
        std::string("Cannot load ") + file + ": incompatible module version " + version + kContact,
        "Warning", MessageIcon::kExclamation};
  };
  const Case cases[] = {
      {"Tollund.so", "Vireon.so", true, true, {}},
      {"", "", false, false, {}},
      {"", "vireon-2.3.0.0.so", false, true, {}},
      {"Tollund.so", "vireon-2.3.0.2.so", true, false, {incompatible("Vireon.so", "2.3.0.2")}},
      {"", "vireon-2.2.0.0.so", false, false, {incompatible("Vireon.so", "2.2.0.0")}},
      {"", "no-export.so", false, false, {corruptVireon}},
      // The right version on an object of the other module's kind is no usable object.
      {"", "wrong-kind.so", false, false, {corruptVireon}},
      {"null-object.so",
       "Vireon.so",
       false,
       true,
       {{"Cannot load Tollund.so: the module is corrupt.", "Error", MessageIcon::kError}}},
      // Both refused: the updates module's word comes first.
      {"tollund-2.3.5.1.so",
       "no-export.so",
       false,
       false,
       {incompatible("Tollund.so", "2.3.5.1"), corruptVireon}},
  };
  StringTable strings;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.tollund) + " / " + c.vireon);
    ProgramFolder folder(c.tollund, c.vireon);
    linux_os::LinuxSystem system;
    AddinHost host(system, folder.Path());
    RecordingBoxes boxes;
    LoadAddins(host, strings, boxes);
    EXPECT_EQ(host.Available(AddinId::kTollund), c.tollundAvailable);
    EXPECT_EQ(host.Available(AddinId::kVireon), c.vireonAvailable);
    ASSERT_EQ(boxes.shown.size(), c.boxes.size());
    for (size_t i = 0; i < c.boxes.size(); ++i) {
      EXPECT_EQ(boxes.shown[i].text, c.boxes[i].text);
      EXPECT_EQ(boxes.shown[i].caption, c.boxes[i].caption);
      EXPECT_EQ(boxes.shown[i].icon, c.boxes[i].icon);
    }
    if (c.vireonAvailable) {
      EXPECT_EQ(host.Vireon()->GetVersion() >> 8, 0x020300u);
    }
    // Unloading answers whether there was a module; a refused one is gone already.
    EXPECT_EQ(host.Unload(AddinId::kTollund), c.tollundAvailable ? 0 : 1);
    EXPECT_EQ(host.Unload(AddinId::kVireon), c.vireonAvailable ? 0 : 1);
    EXPECT_FALSE(host.Available(AddinId::kVireon));
  }
}

// A module is looked for in the program's folder only: one of the same name in the
// working folder is not taken, and the system loads no module by a bare or relative name.
TEST(AddinHost, ModulesComeFromTheProgramsFolderOnly) {
  ProgramFolder elsewhere("Tollund.so", "Vireon.so");
  ProgramFolder program("", "");
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.Path());
  linux_os::LinuxSystem system;
  EXPECT_EQ(system.LoadModule("Vireon.so"), nullptr);
  EXPECT_EQ(system.LoadModule("./Vireon.so"), nullptr);
  EXPECT_NE(system.LoadModule(elsewhere.Path() + "/Vireon.so"), nullptr);
  AddinHost host(system, program.Path());
  uint32_t version = 0;
  EXPECT_EQ(host.Load(AddinId::kVireon, version), kAddinNotLoadable);
  std::filesystem::current_path(before);
}

}  // namespace
}  // namespace pacetta
