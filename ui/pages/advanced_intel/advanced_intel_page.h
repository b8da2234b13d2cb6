#pragma once
#include <memory>

#include "app/advanced/intel_advanced.h"
#include "ui/window/page.h"

class QCheckBox;
class QPushButton;
class QTabWidget;

namespace pacetta::ui {

class ChipsetTab;
class IntelProcessorTab;
class ThrottlingTab;

// "Advanced CPU settings" on Intel processors and the VIA C7. The NetBurst and VIA pages
// are the processor settings alone; on the Centrino class they are the "Processor" tab of
// a container whose "Chipset" and "Throttling" tabs set the I/O controller hub. The page
// edits its own copy; "Apply" hands every tab's values to the settings, which write them
// (and again, by themselves, after a power-source change or a resume) and keep the
// restart-required ones for the next start. "Refresh" reads the hardware again, the
// throttling fields only while they are not locked.
class AdvancedIntelPage final : public Page {
 public:
  AdvancedIntelPage(PageContext context, IntelAdvanced& intel);

  // Shown again: the hardware as it is now and the stored values; unapplied edits go.
  void Reload() override;
  // The running program writes the applied values again itself: an edit not applied
  // must not reach the hardware.
  void ApplyWithoutAsking() override {}
  void StoreState() override;

  IntelProcessorValues EditedValues() const;
  IntelRestartValues EditedRestartValues() const;
  // The chipset and throttling tabs as edited; what the page read where there are none.
  ChipsetValues EditedChipset() const;

 private:
  void Refresh();
  void FollowEdits();
  void Apply();

  IntelAdvanced& intel_;
  CentrinoChipset* chipset_ = nullptr;      // the Centrino container's only
  QTabWidget* tabs_ = nullptr;              // the Centrino container's only
  IntelProcessorTab* processor_ = nullptr;  // owned by the page or by tabs_
  ChipsetTab* chipsetTab_ = nullptr;
  ThrottlingTab* throttlingTab_ = nullptr;
  QCheckBox* remember_ = nullptr;
  QPushButton* refresh_ = nullptr;
  QPushButton* apply_ = nullptr;
  // What the hardware and the settings hold as far as the page knows: "Apply" is enabled
  // while the page differs from them.
  IntelProcessorValues shownValues_;
  ChipsetValues shownChipset_;
  IntelRestartValues storedRestart_;
  bool storedRemember_ = false;
  bool showing_ = false;  // controls are being set, not edited
  // The throttling tab showed the hardware once: from then on the lock keeps its values.
  bool throttlingShown_ = false;
};

// The settings of a model whose advanced settings are the Intel-style ones; null otherwise.
IntelAdvanced* IntelAdvancedOf(const DesktopModel& model);
// Registered in the page catalogue: present when processor 0 gets the NetBurst or the
// Centrino page and the program has the Intel settings.
bool HasAdvancedIntelPage(const DesktopModel& model);
std::unique_ptr<Page> MakeAdvancedIntelPage(PageContext context);

}  // namespace pacetta::ui
