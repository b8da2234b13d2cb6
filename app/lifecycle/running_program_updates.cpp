// The running program's side of the updates module: the service behind the Updates page,
// its server, and what the console shows of it while no page does.
#include <charconv>

#include "app/lifecycle/running_program.h"
#include "app/updates/update_service.h"
#include "updates/update_public_key.h"

#ifndef PACETTA_UPDATE_SERVER
#define PACETTA_UPDATE_SERVER ""
#endif

namespace pacetta {

namespace {

constexpr char kNoticeCaption[] = "Tarvello Updates";

// HOST, HOST:PORT or [ADDRESS]:PORT; nullopt for a port that is no number from 1 to 65535.
std::optional<UpdateServerConfig> ParseServer(const std::string& text) {
  UpdateServerConfig server;
  std::string host = text;
  std::string port;
  if (text.starts_with('[')) {
    const auto close = text.find(']');
    if (close == std::string::npos) return std::nullopt;
    host = text.substr(1, close - 1);
    if (close + 1 < text.size()) {
      if (text[close + 1] != ':') return std::nullopt;
      port = text.substr(close + 2);
    }
  } else if (const auto colon = text.find(':');
             colon != std::string::npos && text.find(':', colon + 1) == std::string::npos) {
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  if (!port.empty()) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (error != std::errc() || end != port.data() + port.size() || value == 0 || value > 65535)
      return std::nullopt;
    server.port = static_cast<uint16_t>(value);
  }
  server.host = host;
  return server;
}

// The console's view: every new state as a line, the notices as questions answered the
// console's way (the `--answer` option, or the answer that commits to nothing).
class ConsoleUpdates final : public UpdateViewer {
 public:
  ConsoleUpdates(UpdateService& service, FrontEnd& frontEnd, platform::MessageBoxes& boxes)
      : service_(service), frontEnd_(frontEnd), boxes_(boxes), shown_(service.View().lastStatus) {}

  void ViewChanged() override {
    const UpdatePageView& view = service_.View();
    if (view.lastStatus == shown_) return;
    shown_ = view.lastStatus;
    frontEnd_.Notice("Updates: " + view.statusText);
  }

  void Notify(const UpdateNotice& notice) override {
    const bool question = notice.form == UpdateNotice::Form::kQuestion;
    const platform::MessageAnswer answer = boxes_.Show(
        notice.text, kNoticeCaption,
        question ? platform::MessageIcon::kQuestion : platform::MessageIcon::kInformation,
        question ? platform::MessageButtons::kYesNo : platform::MessageButtons::kOk);
    if (!question) {
      if (answer == platform::MessageAnswer::kOk) service_.Answer(NoticeButton::kOk);
      return;
    }
    service_.Answer(answer == platform::MessageAnswer::kYes ? NoticeButton::kYes
                                                            : NoticeButton::kNo);
  }

 private:
  UpdateService& service_;
  FrontEnd& frontEnd_;
  platform::MessageBoxes& boxes_;
  int32_t shown_;  // the state last shown; the one restored at start is not news
};

}  // namespace

void RunningProgram::StartUpdates() {
  addins::TollundObject* module = application_.Addins().Tollund();
  if (module == nullptr || platform_.ftp == nullptr || platform_.updateFiles == nullptr) return;
  const std::string named =
      options_.updateServer.empty() ? std::string(PACETTA_UPDATE_SERVER) : options_.updateServer;
  std::optional<UpdateServerConfig> server = ParseServer(named);
  if (!server) {
    frontEnd_.Notice("The update server \"" + named + "\" is no HOST[:PORT]; updates are off.");
    server = UpdateServerConfig{};
  }
  UpdateEnvironment environment{
      platform_.registry,
      platform_.localClock,
      platform_.system,
      *platform_.ftp,
      *platform_.updateFiles,
      application_.Strings(),
      *server,
      ProgramFolder(),
      updates::UpdatePublicKey(),
      [this](std::function<void()> work) { window_.Post(std::move(work)); },
      [this] { RequestRestart(); }};
  updates_ = std::make_unique<UpdateService>(*module, std::move(environment));
  // The start-up check's messages reach the loop later, when the viewer is in place.
  updates_->Start();
  consoleUpdates_ = std::make_unique<ConsoleUpdates>(*updates_, frontEnd_, application_.Boxes());
  updates_->SetViewer(consoleUpdates_.get());
}

void RunningProgram::EndUpdates() {
  if (!updates_) return;
  if (!updates_->Save()) frontEnd_.Notice("The update settings could not be stored.");
}

}  // namespace pacetta
