#pragma once
#include <QWidget>
#include <functional>

#include "app/desktop/profile_os.h"
#include "engine/profiles/profile.h"

namespace pacetta::ui {

// A profile's OS settings as the system's power generation shapes them: numbered schemes
// with time-outs and the panel (OsSettingsTab), or plans with their settings (OsPlanTab).
class OsTab : public QWidget {
 public:
  using QWidget::QWidget;

  virtual void Show(const Profile& profile, const OsSettingsOffer& offer) = 0;
  // The shown OS data over `profile`'s.
  virtual void Take(Profile& profile) const = 0;
  void SetOnEdited(std::function<void()> edited) { edited_ = std::move(edited); }

 protected:
  // A change by the user, not by Show.
  void Edited() {
    if (!showing_ && edited_) edited_();
  }

  bool showing_ = false;

 private:
  std::function<void()> edited_;
};

}  // namespace pacetta::ui
