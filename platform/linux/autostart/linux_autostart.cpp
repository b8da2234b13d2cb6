#include "platform/linux/autostart/linux_autostart.h"

#include <sys/stat.h>

#include "platform/linux/autostart/autostart_entries.h"
#include "platform/linux/autostart/config_files.h"

namespace pacetta::linux_os {
namespace {

constexpr const char* kEntryName = "pacetta.desktop";
constexpr const char* kUnitName = "pacetta.service";
constexpr const char* kSessionTarget = "graphical-session.target";

bool Exists(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0;
}

}  // namespace

LinuxAutostart::LinuxAutostart(std::string configFolder) : configFolder_(std::move(configFolder)) {
  if (configFolder_.empty()) return;
  entryPath_ = configFolder_ + "/autostart/" + kEntryName;
  unitPath_ = configFolder_ + "/systemd/user/" + kUnitName;
  wantsLink_ = configFolder_ + "/systemd/user/" + kSessionTarget + ".wants/" + kUnitName;
}

bool LinuxAutostart::Set(platform::AutostartWay way, const platform::AutostartProgram& program) {
  if (configFolder_.empty()) return false;
  // The way left goes first, so that the program does not start twice at a logon.
  switch (way) {
    case platform::AutostartWay::kOff: {
      const bool entry = RemoveEntry();
      return RemoveService() && entry;
    }
    case platform::AutostartWay::kLoginEntry: {
      const bool service = RemoveService();
      return WriteEntry(program) && service;
    }
    case platform::AutostartWay::kSessionService: {
      const bool entry = RemoveEntry();
      return WriteService(program) && entry;
    }
  }
  return false;
}

bool LinuxAutostart::SwitchedOff(platform::AutostartWay way) {
  if (configFolder_.empty()) return false;
  switch (way) {
    case platform::AutostartWay::kOff:
      return false;
    case platform::AutostartWay::kLoginEntry: {
      std::string text;
      return ReadRegularFile(entryPath_, text) && EntrySwitchedOff(text);
    }
    case platform::AutostartWay::kSessionService:
      // `systemctl --user disable` removes the link, `mask` replaces the unit.
      return UnitMasked() || (Exists(unitPath_) && !Exists(wantsLink_));
  }
  return false;
}

bool LinuxAutostart::WriteEntry(const platform::AutostartProgram& program) {
  return MakeFolders(configFolder_ + "/autostart") &&
         ReplaceFile(entryPath_, LoginEntryText(program));
}

bool LinuxAutostart::WriteService(const platform::AutostartProgram& program) {
  const std::string units = configFolder_ + "/systemd/user";
  return MakeFolders(units + "/" + kSessionTarget + ".wants") &&
         ReplaceFile(unitPath_, SessionServiceText(program)) && ReplaceLink(wantsLink_, unitPath_);
}

bool LinuxAutostart::RemoveEntry() {
  return linux_os::RemoveEntry(entryPath_);
}

bool LinuxAutostart::RemoveService() {
  const bool link = linux_os::RemoveEntry(wantsLink_);
  // A masked unit is the user's: it starts nothing and stays.
  if (UnitMasked()) return link;
  return linux_os::RemoveEntry(unitPath_) && link;
}

bool LinuxAutostart::UnitMasked() const {
  return LinkTarget(unitPath_) == "/dev/null";
}

}  // namespace pacetta::linux_os
