#include "app/strings/builtin_strings.h"

#include "app/strings/string_ids.h"

namespace pacetta {
namespace {

// The English texts. Printf-style directives are filled by FormatText; a translation
// keeps the same directives in the same order (or numbers them, "%2$s").
constexpr BuiltinString kEnglish[] = {
    {kStrProductName, "Tarvello"},
    {kStrHelp,
     "%s command-line options:\n\n\n"
     "-?, -help - Display list of the command-line options\n\n"
     "-profile n - Set profile (AC or DC, based on the current power source)\n"
     "of the currently running application to n:\n"
     "\tn = 0: %s\n"
     "\tn = 1: %s\n"
     "\tn = 2: %s\n"
     "\tn = 3: %s\n"
     "\tn = 4..31: Custom profile (PRO version only)\n\n"
     "-nextprofile - Set next profile, relative to current profile\n\n"
     "-prevprofile - Set previous profile, relative to current profile\n\n"
     "-resume - Simulate a \"resume\" event\n\n"
     "-exit - Exit currently running instance of the application\n\n"
     "-unload - Attempt to uninstall currently loaded %s driver\n"
     "(must be specified at the program startup)\n\n"},
    {kStrCurrentProfile, "Current profile"},
    {kStrProfileNoManagement, "No management"},
    {kStrProfilePowerSaving, "Power saving"},
    {kStrProfileMaxPerformance, "Maximal performance"},
    {kStrProfileOnDemand, "Performance on demand"},

    {kStrBalloonStarted, "started"},
    {kStrBalloonRestored, "restored"},
    {kStrBalloonResumed, "resumed"},
    {kStrBalloonProfileChanged, "profile changed"},
    {kStrRestoringDefaults, "Restoring default values..."},
    {kStrSwitchingToPowerSaving, "Switching to power saving mode..."},
    {kStrSwitchingToMaxPerformance, "Switching to maximal performance mode..."},
    {kStrSavingSettings, "Saving settings..."},
    {kStrBalloonLongInfo, "CPU: %s (%s) rev. %s\nPerformance profile: %s\nPower source: %s"},
    {kStrBalloonShortInfo, "Performance profile: %s\nPower source: %s"},
    {kStrAcPower, "AC power"},
    {kStrBattery, "Battery"},
    {kStrPowerSourceChanged, "Power source changed"},
    {kStrEnteringSuspend, "Entering suspend mode"},
    {kStrCurrentThrottleLevel, "Current CPU throttle level: %s"},
    {kStrTooltipMain,
     "Profile: %s\nPower source: %s\nCPU clock: %.2lf MHz\nFID: %s, VID: %s\nCore temp.: %s"},
    {kStrTooltipFrequency,
     "CPU clock: %.2lf MHz\nCPU throttle: %s\nMultiplier (FID): %s\nReq. voltage (VID): %s"},
    {kStrTooltipLoad, "CPU load: %s\nOS load: %.2lf%%"},
    {kStrTooltipTemperature, "CPU core temperature: %s"},
    {kStrTooltipBattery, "Power source: %s\nPower remaining: %s"},

    {kStrDriverUninstalled, "Currently loaded instance of %s driver was uninstalled successfully."},
    {kStrErrorCaption, "Error"},
    {kStrOsTooOld, "This application requires Windows 2000 or higher OS version."},
    {kStrProcessorsUnavailable,
     "Not all system processors are available to the process.\n"
     "The application cannot continue."},
    {kStrDriverLoadFailed,
     "Cannot install or load %s driver. Make sure you're loading this\n"
     "application from not a read-only medium and/or a network drive, and\n"
     "that you're logged on with Administrator rights."},
    {kStrAlreadyRunning, "Another instance of the application is already running."},
    {kStrInitFailed, "The application failed to initialize properly."},
    {kStrDriverUninstallFailed,
     "An error has occured while attempting to uninstall currently loaded instance of %s "
     "driver."},
    {kStrModuleCorrupt, "Cannot load %s: the module is corrupt."},
    {kStrHelperRestarting, "%s was terminated unexpectedly, restarting..."},
    {kStrWarningCaption, "Warning"},
    {kStrDriverVersionMismatch,
     "This application is designed to use %s driver v%d.%d.\n"
     "Different version of %s is installed and in use now.\n"
     "It is strongly recommended to close all applications using this\n"
     "driver and restart this application to allow correct driver\n"
     "version usage, otherwise it may not function properly.\n\n"
     "Attempt to uninstall currently loaded driver?\n\n"
     "Click \"Yes\" to proceed with uninstall.\n"
     "Click \"No\" to continue without uninstall (not recommended).\n"
     "Click \"Cancel\" to exit this application."},
    {kStrOverheatDetected, "CPU core overheat detected"},
    {kStrAltVidWarning,
     "This mode should never be set for FID/VID\n"
     "changes or when UMA graphics is used.\n\n"
     "Are you sure you want to enable this setting?"},
    {kStrModuleVersionIncompatible,
     "Cannot load %s: incompatible module version %d.%d.%d.%d.\n"
     "Please contact the vendor for the updated module."},
    {kStrStateRangeAltered,
     "Performance states range has been altered.\n"
     "P-states settings of all profiles will be invalidated."},
    {kStrOsProcessorPolicyWarning,
     "Enabling this option will permanently modify the processor\n"
     "power policy of the selected Windows power scheme.\n\n"
     "Are you sure you want to do this?"},
    {kStrConfirmCaption, "Confirm"},
    {kStrRestartRequired,
     "Changes made to one or more of these settings\n"
     "require the application to be restarted.\n\n"
     "Do you want to restart it now?"},
    {kStrProfileModified,
     "One or more settings of this profile have been modified.\n"
     "Do you want to apply these changes now?"},
    {kStrPageModified,
     "One or more settings on this page have been modified.\n"
     "Do you want to apply these changes now?"},

    {kStrPageAbout, "About..."},
    {kStrPageSettings, "Settings"},
    {kStrPageCpuInfo, "CPU info"},
    {kStrPageMonitoring, "Monitoring"},
    {kStrPageManagement, "Management"},
    {kStrPageProfiles, "Profiles"},
    {kStrProfileCaption, "Profile: %s"},
    {kStrPageAdvanced, "Advanced CPU settings"},
    {kStrPageBatteryInfo, "Battery info"},
    {kStrBatteryDevice, "Battery device: %s"},
    {kStrPageUpdates, "Updates"},
    {kStrPageProFeatures, "Professional features"},
    {kStrHide, "Hide"},
    {kStrCpuTab, "CPU %d"},

    {kStrNotAvailableShort, "N/A"},
    {kStrNotApplicable, "Not applicable"},
    {kStrUnsupported, "Unsupported"},
    {kStrActive, "Active"},
    {kStrInactive, "Inactive"},
    {kStrNever, "Never"},
    {kStrUnknown, "Unknown"},

    {kStrColumnIndex, "Index"},
    {kStrColumnFid, "FID"},
    {kStrColumnVid, "VID"},
    {kStrColumnThrottle, "Throttle"},

    {kStrLongRunLevel, "LongRun level: %d"},
    {kStrLongRunPerformanceIndex, "Performance index: %d"},
    {kStrLongRunFrequency, "Frequency: %d MHz"},
    {kStrLongRunVoltage, "Voltage: %.3fV"},
    {kStrLongRunSdrDivisor, "SDR divisor: %d"},
    {kStrLongRunDdrDivisor, "DDR divisor: %d"},
    {kStrLongRunPciDivisor, "PCI divisor: %d"},
    {kStrLongRunGateDelay, "Gate delay: %s"},

    {kStrNoSystemBattery, "No system battery"},
    {kStrUnknownBatteryStatus, "Unknown status"},
    {kStrTimeHoursMinutesSeconds, "%d hr, %d min, %d sec"},
    {kStrTimeMinutesSeconds, "%d min, %d sec"},
    {kStrTimeSeconds, "%d sec"},
    {kStrUnitRelativeCapacity, "units"},
    {kStrUnitMilliwattHours, "mWh"},
    {kStrUnitRelativeRate, "units/hr"},
    {kStrUnitMilliwatts, "mW"},
    {kStrEstimated, "estimated"},
    {kStrChargeRate, "Charge rate:"},
    {kStrDischargeRate, "Discharge rate:"},
    {kStrLifeTimeRemaining, "Life time remaining:"},
    {kStrChargingTimeLeft, "Charging time left:"},

    {kStrEventSourceAc, "AC power"},
    {kStrEventSourceBattery, "Battery"},
    {kStrEventSourceBoth, "Both AC power and battery"},

    {kStrDivideBy, "Divide by %d"},
    {kStrAcpiStateFirst + 0, "C2 (Stop Grant)"},
    {kStrAcpiStateFirst + 1, "C3 (Sleep)"},
    {kStrAcpiStateFirst + 2, "C0, FID/VID change"},
    {kStrAcpiStateFirst + 3, "S1 (POS)"},
    {kStrAcpiStateFirst + 4, "S3 (STR)"},
    {kStrAcpiStateFirst + 5, "C0, Throttling"},
    {kStrAcpiStateFirst + 6, "S4/S5 (STD/SOFF)"},
    {kStrAcpiStateFirst + 7, "C1 (Halt)"},

    {kStrLongRunEconomy, "Economy"},
    {kStrLongRunPerformance, "Performance"},
    {kStrAtmOff, "Off"},
    {kStrAtmReduction, "%.1f reduction"},

    {kStrSingleStepTransitions, "Perform single-step transitions only"},
    {kStrMultiStepTransitions, "Allow direct multi-step transitions"},
    {kStrCpuLoadMethodFirst + 0, "Maximum of CPU core loads"},
    {kStrCpuLoadMethodFirst + 1, "Average of CPU core loads"},
    {kStrCpuLoadMethodFirst + 2, "Sum of CPU core loads"},
    {kStrCpuLoadMethodFirst + 3, "Maximum of all CPU loads"},
    {kStrCpuLoadMethodFirst + 4, "Average of all CPU loads"},
    {kStrCpuLoadMethodFirst + 5, "Sum of all CPU loads"},
    {kStrSuspendKeepProfile, "Keep current profile"},
    {kStrSuspendPowerSaving, "Set \"Power saving\" profile"},
    {kStrSuspendMaxPerformance, "Set \"Maximal performance\" profile"},
    {kStrDefaultsCpuDefined, "CPU-defined default FID/VID"},
    {kStrDefaultsFoundAtStartup, "FID/VID found at startup"},
    {kStrDefaultsCustom, "Custom FID/VID"},
    {kStrCustomOsScheme, "Custom"},

    {kStrLanguageApplicationDefault, "Application default: %s [%u]"},
    {kStrLanguageUserDefault, "User default: %s [%u]"},
    {kStrLanguageSystemDefault, "System default: %s [%u]"},
    {kStrColorNameFirst + 0, "Graphs background"},
    {kStrColorNameFirst + 1, "Graphs grid"},
    {kStrColorNameFirst + 2, "CPU frequency graph"},
    {kStrColorNameFirst + 3, "CPU throttle graph"},
    {kStrColorNameFirst + 4, "CPU load graph"},
    {kStrColorNameFirst + 5, "OS load graph"},
    {kStrColorNameFirst + 6, "CPU FID graph"},
    {kStrColorNameFirst + 7, "CPU VID graph"},
    {kStrColorNameFirst + 8, "CPU core temperature graph"},
    {kStrColorNameFirst + 9, "Frequency tray icon text"},
    {kStrColorNameFirst + 10, "Temperature tray icon text"},
    {kStrColorNameFirst + 11, "Battery tray icon text"},
    {kStrAutoRunRegistry, "via Startup registry key"},
    {kStrAutoRunStartupFolder, "via Startup folder"},
    {kStrEventStateActive, "active"},
    {kStrEventStateInactive, "inactive"},

    {kStrUpdateStateFirst + 0, "Not available"},
    {kStrUpdateStateFirst + 1, "No Internet connection is available"},
    {kStrUpdateStateFirst + 2, "Error connecting to the server"},
    {kStrUpdateStateFirst + 3, "No new update is available"},
    {kStrUpdateStateFirst + 4, "New update is available"},
    {kStrUpdateStateFirst + 5, "Error retreiving update info"},
    {kStrUpdateStateFirst + 6, "Download cancelled by user"},
    {kStrUpdateStateFirst + 7, "Error downloading update"},
    {kStrUpdateStateFirst + 8, "New update downloaded"},
    {kStrUpdateStateFirst + 9, "Error installing update"},
    {kStrUpdateStateFirst + 10, "Update successful"},
    {kStrUpdateStateFirst + 11, "Connecting to the server..."},
    {kStrUpdateStateFirst + 12, "Looking for available update..."},
    {kStrUpdateStateFirst + 13, "Retreiving update info..."},
    {kStrUpdateStateFirst + 14, "Downloading update... %d%%"},
    {kStrUpdateStateFirst + 15, "Installing update..."},
    {kStrUpdateAskDownload,
     "New update is available and ready for download.\n\nDo you want to download it now?"},
    {kStrUpdateAskInstall,
     "New update has been downloaded and is ready for install.\n\nDo you want to install it now?"},
    {kStrUpdateErrorCaption, "Extended error information"},
    {kStrUpdateAvailableCaption, "New update is available"},
    {kStrUpdateDownloadQuestion, "%s\n\nDo you want to download this update now?"},
    {kStrUpdateDownloadedCaption, "New update downloaded"},
    {kStrUpdateInstallQuestion, "%s\n\nDo you want to install this update now?"},
    {kStrUpdateInstalled,
     "New update has been installed successfully.\n\nClick OK to restart the application"},

    {kStrMaxProfilesReached, "Maximum number of profiles has been reached."},
    {kStrMaxEventsReached, "Maximum number of events has been reached."},
    {kStrMaxActionsReached, "Maximum number of actions has been reached."},
    {kStrDeleteProfileQuestion, "Are you sure you want to delete this profile?"},
    {kStrColumnStatus, "Status"},
    {kStrEventActiveFor, "Active (%s)"},
    {kStrEventInactiveFor, "Inactive (%s)"},
    {kStrUndefinedEvent, "<Undefined>"},
    {kStrColumnEventId, "Event ID"},
    {kStrColumnEventName, "Event name"},
    {kStrColumnEventType, "Event type"},
    {kStrColumnPowerSource, "Power source"},
    {kStrNewEventName, "Event %d"},
    {kStrColumnActionId, "Action ID"},
    {kStrColumnActionName, "Action name"},
    {kStrNewActionName, "Action %d"},
    {kStrColumnActionType, "Action type"},

    {kStrEventTypeFirst + 0, "Calendar: one time only"},
    {kStrEventTypeFirst + 1, "Calendar: daily"},
    {kStrEventTypeFirst + 2, "Calendar: weekly"},
    {kStrEventTypeFirst + 3, "Application running"},
    {kStrEventTypeFirst + 4, "Internal profile changes"},
    {kStrEventTypeFirst + 5, "Battery level drops below"},
    {kStrEventTypeFirst + 6, "Battery level rises above"},
    {kStrEventTypeFirst + 7, "CPU core temperature drops below"},
    {kStrEventTypeFirst + 8, "CPU core temperature rises above"},
    {kStrEventTypeFirst + 9, "No user input activity"},
    {kStrEventTypeFirst + 10, "System enters into Standby/Hibernate"},
    {kStrEventTypeFirst + 11, "System resumes from Standby/Hibernate"},
    {kStrEventTypeFirst + 12, "System power source changes"},
    {kStrEventTypeFirst + 13, "OS power scheme changes"},
    {kStrEventDescriptionFirst + 0, "Calendar: one time only"},
    {kStrEventDescriptionFirst + 1, "Calendar: daily"},
    {kStrEventDescriptionFirst + 2, "Calendar: weekly"},
    {kStrEventDescriptionFirst + 3, "Application running: \"%s\""},
    {kStrEventDescriptionFirst + 4, "Internal profile changes to \"%s\""},
    {kStrEventDescriptionFirst + 5, "Battery level drops below %d%%"},
    {kStrEventDescriptionFirst + 6, "Battery level rises above %d%%"},
    {kStrEventDescriptionFirst + 7, "CPU core temperature drops below %d°C"},
    {kStrEventDescriptionFirst + 8, "CPU core temperature rises above %d°C"},
    {kStrEventDescriptionFirst + 9, "No user input activity for %d sec"},
    {kStrEventDescriptionFirst + 10, "System enters into Standby/Hibernate"},
    {kStrEventDescriptionFirst + 11, "System resumes from Standby/Hibernate"},
    {kStrEventDescriptionFirst + 12, "System power source changes to \"%s\""},
    {kStrEventDescriptionFirst + 13, "OS power scheme changes to \"%s\""},
    {kStrActionTypeFirst + 0, "Change profile"},
    {kStrActionTypeFirst + 1, "Run application"},
    {kStrActionTypeFirst + 2, "Stand-by system"},
    {kStrActionTypeFirst + 3, "Hibernate system"},
    {kStrActionTypeFirst + 4, "Shutdown system"},

    {kStrButtonDefaults, "Defaults"},
    {kStrButtonApply, "Apply"},

    {kStrManagementGroup, "Performance management"},
    {kStrTransitionsMethodLabel, "P-states transitions method:"},
    {kStrCpuLoadMethodLabel, "Multi-CPU load calculation:"},
    {kStrSuspendActionLabel, "Standby/hibernate action:"},
    {kStrOsLoadSelect, "Use OS load-based management"},
    {kStrRunHltOnIdle, "Run HLT command when OS is idle (restart required)"},
    {kStrCpuDefaultsGroup, "CPU defaults"},
    {kStrDefaultsOnDisable, "Restore CPU defaults on management turning off"},
    {kStrDefaultsOnExit, "Restore CPU defaults on application exit"},
    {kStrDefaultsModeLabel, "CPU defaults selection:"},
    {kStrManageOsPowerSettings, "Enable OS power management integration (restart required)"},
    {kStrOverheatAlert, "Alert when CPU core overheats"},

    {kStrProfileSelectionGroup, "Profile selection"},
    {kStrCurrentSelectionLabel, "Current:"},
    {kStrStartupSelectionLabel, "Startup:"},
    {kStrStatesEditorGroup, "CPU performance states editor"},
    {kStrColumnType, "Type"},
    {kStrAutoAdjustVid, "Auto-adjust intermediate states VIDs"},
    {kStrNewProfile, "New Profile"},
    {kStrStateTypeNormal, "Normal"},
    {kStrStateTypeSuperLfm, "SuperLFM"},
    {kStrStateTypeIda, "IDA"},

    {kStrCpuSettingsTab, "CPU settings"},
    {kStrOsSettingsTab, "OS settings"},
    {kStrRenameProfile, "Rename"},
    {kStrDeleteProfile, "Delete"},
    {kStrUseFidVid, "Use P-state transitions (PST)"},
    {kStrUseThrottle, "Use throttling (ODCM)"},
    {kStrTargetLoadLabel, "Target CPU usage level (%%):"},
    {kStrUpIntervalLabel, "Up transition interval (msec):"},
    {kStrDownIntervalLabel, "Down transition interval (msec):"},
    {kStrOsSettingsUnavailable,
     "The operating system's power settings of a profile are not managed by this version."},

    {kStrProfileNameCaption, "Add/rename profile"},
    {kStrProfileNameLabel, "New profile name:"},
};

}  // namespace

std::span<const BuiltinString> BuiltinStrings() {
  return kEnglish;
}

}  // namespace pacetta
