#pragma once
#include <memory>

#include "app/advanced/k8_advanced.h"
#include "cpu/advanced/k8/k8_cpu_setup.h"
#include "ui/window/page.h"

class QPushButton;
class QTabWidget;

namespace pacetta::ui {

class CpuSetupTab;
class MiscControlTab;
class TransitionsTab;

// "Advanced CPU settings" on an AMD K8: the tabs "CPU setup", "P-states transitions" and
// "Misc. control". The page edits its own copy for as long as it lives; only "Apply"
// hands the values to the K8's settings, which write the "CPU setup" values to every node
// (and again, by themselves, after a power-source change or a resume) and keep the rest
// for the next start. "Refresh" reads the "CPU setup" tab from the hardware again.
class AdvancedK8Page final : public Page {
 public:
  AdvancedK8Page(PageContext context, K8Advanced& k8);

  // The tabs as edited.
  k8::CpuSetup EditedSetup();
  k8::RestartValues EditedRestartValues() const;

 private:
  void Refresh();
  void FollowEdits();
  void Apply();

  K8Advanced& k8_;
  QTabWidget* tabs_ = nullptr;
  CpuSetupTab* cpuSetup_ = nullptr;  // the tabs are owned by tabs_
  TransitionsTab* transitions_ = nullptr;
  MiscControlTab* miscControl_ = nullptr;
  QPushButton* refresh_ = nullptr;
  QPushButton* apply_ = nullptr;
  // What the hardware and the settings hold as far as the page knows: "Apply" is enabled
  // while the tabs differ from them.
  k8::CpuSetup shownSetup_;
  k8::RestartValues storedRestart_;
  bool storedRemember_ = false;
};

// The page on a model whose advanced settings are the K8's (the catalogue's test).
bool HasAdvancedK8Page(const DesktopModel& model);
std::unique_ptr<Page> MakeAdvancedK8Page(PageContext context);

}  // namespace pacetta::ui
