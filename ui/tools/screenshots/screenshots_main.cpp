// Renders the main window with every item of its page tree selected, and once collapsed,
// to PNG files: the program runs on a simulated machine as `pacetta --simulate=NAME`
// does, on Qt's offscreen platform, and ends in order afterwards. With the events module
// loaded, empty events and actions lists show a few samples, and the event and action
// editors are rendered as well ("event-editor.png", "action-editor.png"); with the updates
// module loaded, the update notification window in its two forms
// ("update-notice-question.png", "update-notice-information.png").
//
//   pacetta_screenshots --simulate=NAME --out=FOLDER
//   pacetta_screenshots --simulate=NAME --out=FOLDER --monitor-ms=N [--sim-load=SPEC]
//                        (only the Monitoring page, "monitoring.png", after N ms of
//                         refreshes under the simulated load SPEC: its graphs filled)
//   pacetta_screenshots --list-machines      (the catalogue's names, one a line)
//
// scripts/screenshots.sh runs it for every machine of the catalogue.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/console/console_message_boxes.h"
#include "app/desktop/pro_feature_edits.h"
#include "app/lifecycle/program_flow.h"
#include "app/strings/string_ids.h"
#include "platform/sim/simulated_pc.h"
#include "ui/desktop_front_end.h"
#include "ui/icons/tray_icons.h"
#include "ui/pages/pro_features/editor_choices.h"
#include "ui/pages/updates/update_notice_window.h"
#include "ui/pages/updates/updates_page.h"
#include "ui/tray/icon_pixmaps.h"
#include "ui/tray/tray.h"

namespace pacetta::ui {
namespace {

struct Options {
  std::string machine;
  QString folder;
  bool listMachines = false;
  std::string load;
  int monitorMs = -1;
};

bool Parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind("--simulate=", 0) == 0) {
      options.machine = argument.substr(11);
    } else if (argument == "--list-machines") {
      options.listMachines = true;
    } else if (argument.rfind("--out=", 0) == 0) {
      options.folder = QString::fromStdString(argument.substr(6));
    } else if (argument.rfind("--sim-load=", 0) == 0) {
      options.load = argument.substr(11);
    } else if (argument.rfind("--monitor-ms=", 0) == 0) {
      options.monitorMs = std::max(0, std::atoi(argument.c_str() + 13));
    } else {
      return false;
    }
  }
  return options.listMachines || !options.folder.isEmpty();
}

int ListMachines() {
  // The catalogue's lines are "name  description".
  const std::string catalogue = sim::DescribeCatalogue();
  size_t at = 0;
  while (at < catalogue.size()) {
    const size_t end = catalogue.find('\n', at);
    const std::string line = catalogue.substr(at, end - at);
    const size_t space = line.find(' ');
    if (!line.empty()) std::printf("%s\n", line.substr(0, space).c_str());
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return 0;
}

// "03 Profile Power saving" from an item's place and text: a file name that sorts in
// tree order and says what it shows.
QString FileName(int number, const QString& text) {
  QString name;
  for (const QChar c : text) {
    if (c.isLetterOrNumber()) {
      name += c;
    } else if (!name.isEmpty() && !name.endsWith('-')) {
      name += '-';
    }
  }
  while (name.endsWith('-')) name.chop(1);
  return QStringLiteral("%1-%2.png").arg(number, 2, 10, QChar('0')).arg(name);
}

std::vector<QTreeWidgetItem*> ItemsInTreeOrder(QTreeWidget& tree) {
  std::vector<QTreeWidgetItem*> items;
  for (int i = 0; i < tree.topLevelItemCount(); ++i) {
    QTreeWidgetItem* root = tree.topLevelItem(i);
    items.push_back(root);
    for (int j = 0; j < root->childCount(); ++j) items.push_back(root->child(j));
  }
  return items;
}

bool Save(MainDialog& window, const QString& path) {
  QApplication::processEvents();
  const bool saved = window.grab().save(path, "PNG");
  std::printf("%s %s\n", saved ? "wrote" : "could not write", path.toLocal8Bit().constData());
  return saved;
}

// A tabbed page (its tabs named "AdvancedTabs", "ProfileTabs" or "ProFeaturesTabs"): its
// further tabs, one picture each under the item's number; the first tab is back in front
// afterwards.
bool CaptureOtherTabs(MainDialog& window, const QString& folder, int number,
                      const QString& caption) {
  QTabWidget* tabs = nullptr;
  if (QWidget* page = window.ShownPage()) {
    tabs = page->findChild<QTabWidget*>("AdvancedTabs");
    if (tabs == nullptr) tabs = page->findChild<QTabWidget*>("ProfileTabs");
    if (tabs == nullptr) tabs = page->findChild<QTabWidget*>("ProFeaturesTabs");
  }
  if (tabs == nullptr) return true;
  bool ok = true;
  for (int tab = 1; tab < tabs->count(); ++tab) {
    tabs->setCurrentIndex(tab);
    const QString name = FileName(number, caption + ' ' + tabs->tabText(tab));
    ok = Save(window, QDir(folder).filePath(name)) && ok;
  }
  tabs->setCurrentIndex(0);
  return ok;
}

// Every item selected in turn, then the collapsed window with the first item.
bool Capture(MainDialog& window, const QString& folder) {
  bool ok = true;
  int number = 0;
  for (QTreeWidgetItem* item : ItemsInTreeOrder(window.Tree())) {
    window.Tree().setCurrentItem(item);
    const QString caption = window.CaptionText().isEmpty() ? item->text(0) : window.CaptionText();
    ok = Save(window, QDir(folder).filePath(FileName(++number, caption))) && ok;
    ok = CaptureOtherTabs(window, folder, number, caption) && ok;
  }
  if (window.Tree().topLevelItemCount() > 0) {
    window.Tree().setCurrentItem(window.Tree().topLevelItem(0));
  }
  window.Collapse();
  ok = Save(window, QDir(folder).filePath(FileName(++number, QStringLiteral("collapsed")))) && ok;
  window.Expand();
  return ok;
}

// Events and actions to show on the professional features page, added to empty lists
// only and deleted again by RemoveSamples, so that the stored lists stay as found.
bool AddSamples(ProFeatures& lists) {
  if (lists.EventCount() > 0 || lists.ActionCount() > 0) return false;
  using addins::EventType;
  const auto event = [&](const char* name, EventType type, int32_t sources, auto fill) {
    addins::EventRecord record = addins::BlankEvent();
    record.enabled = 1;
    addins::SetFieldText(record.name, name);
    record.type = static_cast<int32_t>(type);
    record.sources = sources;
    fill(record.parameters);
    lists.AddEvent(record);
  };
  const auto number = [](int32_t value) {
    return [value](auto& area) { addins::WriteParameter(area, 0, value); };
  };
  event("Unplugged", EventType::kPowerSourceIs, addins::kOnAc | addins::kOnBattery, number(0));
  event("Rendering", EventType::kApplicationRunning, addins::kOnAc,
        [](auto& area) { addins::SetFieldText(area, "blender"); });
  event("Hot core", EventType::kTemperatureAbove, addins::kOnAc | addins::kOnBattery, number(75));
  event("Workdays", EventType::kWeekly, addins::kOnAc, [](auto& area) {
    addins::WriteParameter(area, addins::kStartTimeAt, CalendarTimeOf(2024, 3, 1, 8, 30, 0));
    addins::WriteParameter<int32_t>(area, addins::kRepeatOrDaysAt, 0x3E);  // Monday to Friday
  });
  event("Away", EventType::kNoInput, addins::kOnBattery, number(600));
  event("On mains", EventType::kPowerSourceIs, addins::kOnAc | addins::kOnBattery, number(1));

  const auto action = [&](const char* name, addins::ActionType type, int32_t eventIndex,
                          uint32_t delayMs, auto fill) {
    addins::ActionRecord record = addins::BlankAction(type);
    record.enabled = 1;
    addins::SetFieldText(record.name, name);
    record.eventIndex = eventIndex;
    record.delayMs = delayMs;
    fill(record);
    lists.AddAction(record);
  };
  const auto profile = [](int32_t index) {
    return [index](addins::ActionRecord& record) {
      addins::WriteParameter(record.parameters, addins::kProfileIndexAt, index);
      addins::WriteParameter<int32_t>(record.parameters, addins::kRestoreProfileAt, 1);
    };
  };
  action("Save power", addins::ActionType::kChangeProfile, 0, 0, profile(1));
  action("Full speed", addins::ActionType::kChangeProfile, 1, 5000, profile(2));
  action("Backup", addins::ActionType::kRunApplication, 3, 0, [](addins::ActionRecord& record) {
    addins::SetFieldText(record.parameters, "/usr/local/bin/backup --quiet");
  });
  action("Sleep when away", addins::ActionType::kStandby, 4, 60000, [](auto&) {});
  lists.SetActionEnabled(3, false);
  lists.Evaluate();
  return true;
}

void RemoveSamples(ProFeatures& lists) {
  while (lists.ActionCount() > 0) lists.DeleteAction(lists.ActionCount() - 1);
  while (lists.EventCount() > 0) lists.DeleteEvent(lists.EventCount() - 1);
}

// The event and action editors, opened on the first calendar event and the first action.
bool CaptureEditors(MainDialog& window, DesktopModel& model, const QString& folder) {
  const ProFeatures* lists = model.ProFeaturesLists();
  if (lists == nullptr) return true;
  bool ok = true;
  const auto save = [&](QDialog& editor, const char* name) {
    editor.show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(QString::fromUtf8(name));
    const bool saved = editor.grab().save(path, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", path.toLocal8Bit().constData());
    editor.hide();
    ok = saved && ok;
  };
  EventEditor events(model.Strings(), EventChoicesOf(model), AskForProgram, &window);
  for (int32_t i = 0; i < lists->EventCount(); ++i) {
    if (!addins::IsCalendar(lists->Event(i).type)) continue;
    events.Load(lists->Event(i));
    break;
  }
  save(events, "event-editor.png");
  ActionEditor actions(model.Strings(), ActionChoicesOf(model, *lists), AskForProgram, &window);
  if (lists->ActionCount() > 0) actions.Load(lists->Action(0));
  save(actions, "action-editor.png");
  return ok;
}

// The Updates page's notification window, asking to download and telling of an install,
// at rest over the main window; put away again afterwards.
bool CaptureUpdateNotices(MainDialog& window, DesktopModel& model, const QString& folder) {
  auto* page = dynamic_cast<UpdatesPage*>(window.findChild<QWidget*>("UpdatesPage"));
  if (page == nullptr) return true;
  const StringTable& strings = model.Strings();
  const std::pair<UpdateNotice, const char*> notices[] = {
      {{UpdateNotice::Form::kQuestion, strings.Get(kStrUpdateAskDownload)},
       "update-notice-question.png"},
      {{UpdateNotice::Form::kInformation, strings.Get(kStrUpdateInstalled)},
       "update-notice-information.png"},
  };
  bool ok = true;
  for (const auto& [notice, name] : notices) {
    page->Notify(notice);
    page->NoticeWindow()->Settle();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(QString::fromUtf8(name));
    const bool saved = page->NoticeWindow()->grab().save(path, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", path.toLocal8Bit().constData());
    ok = saved && ok;
  }
  page->NoticeWindow()->Withdraw();
  return ok;
}

// The tray's icons as they are now, from the left as the tray shows them, each pixel
// four times on a dark panel; then each menu as it opens.
bool CaptureTray(Tray& tray, const QString& folder) {
  constexpr int kScale = 4;
  constexpr int kCell = (icons::kIconSize + 4) * kScale;
  const TrayIconId shown[] = {TrayIconId::kTemperature, TrayIconId::kLoad, TrayIconId::kFrequency,
                              TrayIconId::kMain};
  QImage panel(kCell * 4, kCell, QImage::Format_ARGB32);
  panel.fill(QColor(0x30, 0x30, 0x30));
  {
    QPainter painter(&panel);
    int x = 0;
    for (const TrayIconId id : shown) {
      const QImage picture = ToQImage(icons::ScaleWhole(tray.Picture(id), kScale));
      painter.drawImage(x + 2 * kScale, 2 * kScale, picture);
      x += kCell;
    }
  }
  const QString path = QDir(folder).filePath(QStringLiteral("tray-icons.png"));
  bool ok = panel.save(path, "PNG");
  std::printf("%s %s\n", ok ? "wrote" : "could not write", path.toLocal8Bit().constData());
  const std::pair<const char*, QMenu*> menus[] = {{"tray-menu-main.png", &tray.Menus().Main()},
                                                  {"tray-menu-load.png", &tray.Menus().Load()}};
  for (const auto& [name, menu] : menus) {
    emit menu->aboutToShow();
    menu->adjustSize();
    const QString menuPath = QDir(folder).filePath(QString::fromUtf8(name));
    const bool saved = menu->grab().save(menuPath, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", menuPath.toLocal8Bit().constData());
    ok = saved && ok;
  }
  return ok;
}

int Run(const Options& options, int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  if (!QDir().mkpath(options.folder)) {
    std::fprintf(stderr, "pacetta_screenshots: cannot create %s\n",
                 options.folder.toLocal8Bit().constData());
    return 2;
  }
  sim::SimulationOptions simulation;
  simulation.machine = options.machine;
  simulation.load = options.load;
  std::string error;
  auto pc = sim::SimulatedPc::Create(simulation, error);
  if (!pc) {
    std::fprintf(stderr, "pacetta_screenshots: %s\n", error.c_str());
    return 2;
  }
  ConsoleMessageBoxes boxes;
  DesktopFrontEnd frontEnd;
  bool captured = false;
  frontEnd.OnWindowBuilt([&](MainDialog& window, DesktopModel& model) {
    if (options.monitorMs >= 0) {
      // The Monitoring page, shown while the refreshes fill its graphs.
      QTimer::singleShot(0, &frontEnd, [&] {
        window.SelectRootItem(3);
        window.ShowWindow();
      });
      QTimer::singleShot(options.monitorMs, &frontEnd, [&] {
        captured = Save(window, QDir(options.folder).filePath(QStringLiteral("monitoring.png")));
        frontEnd.RequestClose();
      });
      return;
    }
    // Once the loop runs and the start-up has shown the window.
    QTimer::singleShot(0, &frontEnd, [&] {
      ProFeatures* lists = model.ProFeaturesLists();
      const bool samples = lists != nullptr && AddSamples(*lists);
      captured = Capture(window, options.folder);
      captured = CaptureEditors(window, model, options.folder) && captured;
      captured = CaptureUpdateNotices(window, model, options.folder) && captured;
      if (samples) RemoveSamples(*lists);
      captured = CaptureTray(*frontEnd.TrayIcons(), options.folder) && captured;
      frontEnd.RequestClose();
    });
  });
  const int code = RunProgramFlow(pc->View(), boxes, frontEnd, {}, {}, [&](MainWindow& window) {
    if (!frontEnd.Window()) {
      std::fprintf(stderr, "pacetta_screenshots: the program built no window\n");
      return;
    }
    frontEnd.Attach(&window);
    QApplication::exec();
    frontEnd.Attach(nullptr);
  });
  if (code != 0) return code;
  return captured ? 0 : 1;
}

}  // namespace
}  // namespace pacetta::ui

int main(int argc, char** argv) {
  pacetta::ui::Options options;
  if (!pacetta::ui::Parse(argc, argv, options)) {
    std::fputs(
        "usage: pacetta_screenshots --simulate=NAME --out=FOLDER"
        " [--monitor-ms=N [--sim-load=SPEC]] | --list-machines\n",
        stderr);
    return 2;
  }
  if (options.listMachines) return pacetta::ui::ListMachines();
  return pacetta::ui::Run(options, argc, argv);
}
