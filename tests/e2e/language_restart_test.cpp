#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/startup/startup.h"
#include "platform/linux/file_registry.h"
#include "tests/e2e/lifecycle_run.h"
#include "tests/e2e/settings_seed.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

// The desktop's language settings, each given (empty = unset), so that the tester's own
// locale never leaks in.
std::vector<std::string> WithLocale(std::vector<std::string> env, const std::string& lcAll,
                                    const std::string& lcMessages, const std::string& lang) {
  env.insert(env.end(), {"LC_ALL=" + lcAll, "LC_MESSAGES=" + lcMessages, "LANG=" + lang});
  return env;
}

// The settings file of the default simulated machine under `configHome`.
std::string SettingsPath(const std::string& configHome) {
  ScopedEnv config("XDG_CONFIG_HOME", configHome);
  return linux_os::FileRegistry::DefaultPath("simulated/k8-x2-laptop.json");
}

void StoreLanguage(const std::string& settingsPath, uint32_t lcid) {
  linux_os::FileRegistry registry(settingsPath);
  auto key = registry.OpenUserKey(kSettingsKeyPath, true);
  ASSERT_TRUE(key && key->WriteDword("ResourceLocaleId", lcid) && key->Flush());
}

TEST(LanguageAtStart, TheStoredChoiceWinsElseTheDesktopsLanguage) {
  struct Case {
    const char* what;
    std::optional<uint32_t> stored;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    bool german;
  };
  const Case cases[] = {
      {"nothing stored, a German desktop", std::nullopt, "", "", "de_DE.UTF-8", true},
      {"nothing stored, a Swiss German desktop", std::nullopt, "", "", "de_CH.UTF-8", true},
      {"LC_ALL over LANG", std::nullopt, "C.UTF-8", "", "de_DE.UTF-8", false},
      {"LC_MESSAGES over LANG", std::nullopt, "", "de_AT.UTF-8", "en_US.UTF-8", true},
      {"stored English over a German desktop", 0u, "", "", "de_DE.UTF-8", false},
      {"stored German over an English desktop", 1031u, "", "", "en_US.UTF-8", true},
      {"stored user default", 1024u, "", "", "de_DE.UTF-8", true},
      {"stored language without a module", 1049u, "", "", "de_DE.UTF-8", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LifecycleRun run;
    if (c.stored) StoreLanguage(SettingsPath(run.ConfigHome()), *c.stored);
    const Finished help = RunToEnd(kPacettaProgram, {"--simulate", "--console", "-help"},
                                   WithLocale(run.Env(), c.lcAll, c.lcMessages, c.lang));
    EXPECT_EQ(help.exitCode, 0) << help.errors;
    const std::string heading =
        c.german ? "Pacetta-Befehlszeilenoptionen:" : "Pacetta command-line options:";
    EXPECT_NE(help.output.find(heading), std::string::npos) << help.output;
    // The profile names of the help follow the language too.
    const std::string profile =
        c.german ? "n = 3: Leistung nach Bedarf" : "n = 3: Performance on demand";
    EXPECT_NE(help.output.find(profile), std::string::npos) << help.output;
  }
}

// The running program's own texts: the status lines' power source and profile.
std::optional<StatusLine> RunUntilStatus(const std::vector<std::string>& env) {
  ChildProcess program(kPacettaProgram, {"--simulate", "--console"}, env);
  auto status = WaitForStatus(
      program, [](const StatusLine&) { return true; }, 60s);
  const Finished exit = RunToEnd(kPacettaProgram, {"--simulate", "-exit"}, env);
  EXPECT_EQ(exit.exitCode, 0) << exit.errors;
  EXPECT_EQ(program.WaitForExit(60s), 0) << program.Errors();
  EXPECT_TRUE(status) << program.Output() << program.Errors();
  return status;
}

TEST(LanguageAtStart, AChangedChoiceShowsAfterTheNextStart) {
  LifecycleRun run;
  const std::vector<std::string> env = WithLocale(run.Env(), "", "", "en_US.UTF-8");
  const std::string settings = SettingsPath(run.ConfigHome());

  const auto english = RunUntilStatus(env);
  ASSERT_TRUE(english);
  EXPECT_EQ(english->powerSource, "AC power");
  EXPECT_EQ(english->profile, "No management");
  // A first start keeps following the desktop's language.
  EXPECT_EQ(StoredWord(settings, "ResourceLocaleId"), 1024u);

  StoreLanguage(settings, 1031);
  const auto german = RunUntilStatus(env);
  ASSERT_TRUE(german);
  EXPECT_EQ(german->powerSource, "Netzbetrieb");
  EXPECT_EQ(german->profile, "Keine Steuerung");
  EXPECT_EQ(StoredWord(settings, "ResourceLocaleId"), 1031u);
}

}  // namespace
}  // namespace pacetta::testing
