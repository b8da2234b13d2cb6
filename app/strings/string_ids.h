#pragma once
#include <cstdint>

// Numbers of the user-visible texts. A language module overrides texts by these
// numbers, so a number never changes meaning once released.
namespace pacetta {

// Product, command line and profiles.
inline constexpr uint32_t kStrProductName = 10000;
inline constexpr uint32_t kStrHelp = 10001;
inline constexpr uint32_t kStrCurrentProfile = 10010;
inline constexpr uint32_t kStrProfileNoManagement = 10011;
inline constexpr uint32_t kStrProfilePowerSaving = 10012;
inline constexpr uint32_t kStrProfileMaxPerformance = 10013;
inline constexpr uint32_t kStrProfileOnDemand = 10014;

// Balloon event texts and balloon bodies.
inline constexpr uint32_t kStrBalloonStarted = 10020;
inline constexpr uint32_t kStrBalloonRestored = 10021;
inline constexpr uint32_t kStrBalloonResumed = 10022;
inline constexpr uint32_t kStrBalloonProfileChanged = 10023;
inline constexpr uint32_t kStrRestoringDefaults = 10024;
inline constexpr uint32_t kStrSwitchingToPowerSaving = 10025;
inline constexpr uint32_t kStrSwitchingToMaxPerformance = 10026;
inline constexpr uint32_t kStrSavingSettings = 10027;
inline constexpr uint32_t kStrBalloonLongInfo = 10028;
inline constexpr uint32_t kStrBalloonShortInfo = 10029;
inline constexpr uint32_t kStrAcPower = 10030;
inline constexpr uint32_t kStrBattery = 10031;
inline constexpr uint32_t kStrPowerSourceChanged = 10032;
inline constexpr uint32_t kStrEnteringSuspend = 10033;
inline constexpr uint32_t kStrCurrentThrottleLevel = 10034;

// Tray icon tooltips.
inline constexpr uint32_t kStrTooltipMain = 10035;
inline constexpr uint32_t kStrTooltipFrequency = 10036;
inline constexpr uint32_t kStrTooltipLoad = 10037;
inline constexpr uint32_t kStrTooltipTemperature = 10038;
inline constexpr uint32_t kStrTooltipBattery = 10039;

// Start-up and module messages.
inline constexpr uint32_t kStrDriverUninstalled = 10040;
inline constexpr uint32_t kStrErrorCaption = 10060;
inline constexpr uint32_t kStrOsTooOld = 10061;
inline constexpr uint32_t kStrProcessorsUnavailable = 10062;
inline constexpr uint32_t kStrDriverLoadFailed = 10063;
inline constexpr uint32_t kStrAlreadyRunning = 10064;
inline constexpr uint32_t kStrInitFailed = 10065;
inline constexpr uint32_t kStrDriverUninstallFailed = 10066;
inline constexpr uint32_t kStrModuleCorrupt = 10067;
inline constexpr uint32_t kStrHelperRestarting = 10068;
inline constexpr uint32_t kStrWarningCaption = 10080;
inline constexpr uint32_t kStrDriverVersionMismatch = 10081;
inline constexpr uint32_t kStrOverheatDetected = 10082;
inline constexpr uint32_t kStrAltVidWarning = 10083;
inline constexpr uint32_t kStrModuleVersionIncompatible = 10084;
inline constexpr uint32_t kStrStateRangeAltered = 10085;
inline constexpr uint32_t kStrOsProcessorPolicyWarning = 10086;
inline constexpr uint32_t kStrConfirmCaption = 10100;
inline constexpr uint32_t kStrRestartRequired = 10101;
inline constexpr uint32_t kStrProfileModified = 10102;
inline constexpr uint32_t kStrPageModified = 10103;

// Page tree.
inline constexpr uint32_t kStrPageAbout = 10120;
inline constexpr uint32_t kStrPageSettings = 10121;
inline constexpr uint32_t kStrPageCpuInfo = 10122;
inline constexpr uint32_t kStrPageMonitoring = 10123;
inline constexpr uint32_t kStrPageManagement = 10124;
inline constexpr uint32_t kStrPageProfiles = 10125;
inline constexpr uint32_t kStrProfileCaption = 10126;
inline constexpr uint32_t kStrPageAdvanced = 10127;
inline constexpr uint32_t kStrPageBatteryInfo = 10128;
inline constexpr uint32_t kStrBatteryDevice = 10129;
inline constexpr uint32_t kStrPageUpdates = 10130;
inline constexpr uint32_t kStrPageProFeatures = 10131;
inline constexpr uint32_t kStrHide = 10140;
inline constexpr uint32_t kStrCpuTab = 10141;

// Common values.
inline constexpr uint32_t kStrNotAvailableShort = 10144;
inline constexpr uint32_t kStrNotApplicable = 10145;
inline constexpr uint32_t kStrUnsupported = 10146;
inline constexpr uint32_t kStrActive = 10147;
inline constexpr uint32_t kStrInactive = 10148;
inline constexpr uint32_t kStrNever = 10149;
inline constexpr uint32_t kStrUnknown = 10150;

// Profile page columns.
inline constexpr uint32_t kStrColumnIndex = 10160;
inline constexpr uint32_t kStrColumnFid = 10161;
inline constexpr uint32_t kStrColumnVid = 10162;
inline constexpr uint32_t kStrColumnThrottle = 10163;

// LongRun table interface tree.
inline constexpr uint32_t kStrLongRunLevel = 10180;
inline constexpr uint32_t kStrLongRunPerformanceIndex = 10181;
inline constexpr uint32_t kStrLongRunFrequency = 10182;
inline constexpr uint32_t kStrLongRunVoltage = 10183;
inline constexpr uint32_t kStrLongRunSdrDivisor = 10184;
inline constexpr uint32_t kStrLongRunDdrDivisor = 10185;
inline constexpr uint32_t kStrLongRunPciDivisor = 10186;
inline constexpr uint32_t kStrLongRunGateDelay = 10187;

// Battery pages.
inline constexpr uint32_t kStrBatteryFlagHigh = 10200;
inline constexpr uint32_t kStrBatteryFlagLow = 10201;
inline constexpr uint32_t kStrBatteryCritical = 10202;
inline constexpr uint32_t kStrBatteryCharging = 10203;
inline constexpr uint32_t kStrBatteryFlagMedium = 10204;
inline constexpr uint32_t kStrNoSystemBattery = 10205;
inline constexpr uint32_t kStrUnknownBatteryStatus = 10206;
inline constexpr uint32_t kStrTimeHoursMinutesSeconds = 10209;
inline constexpr uint32_t kStrTimeMinutesSeconds = 10210;
inline constexpr uint32_t kStrTimeSeconds = 10211;
inline constexpr uint32_t kStrUnitRelativeCapacity = 10212;
inline constexpr uint32_t kStrUnitMilliwattHours = 10213;
inline constexpr uint32_t kStrUnitRelativeRate = 10214;
inline constexpr uint32_t kStrUnitMilliwatts = 10215;
inline constexpr uint32_t kStrEstimated = 10216;
inline constexpr uint32_t kStrChargeRate = 10217;
inline constexpr uint32_t kStrDischargeRate = 10218;
inline constexpr uint32_t kStrLifeTimeRemaining = 10219;
inline constexpr uint32_t kStrChargingTimeLeft = 10220;
inline constexpr uint32_t kStrBatteryOnLine = 10221;
inline constexpr uint32_t kStrBatteryDischarging = 10222;
inline constexpr uint32_t kStrYes = 10223;
inline constexpr uint32_t kStrNo = 10224;
inline constexpr uint32_t kStrBatteryNotPresent = 10225;

// Why the kernel's governor of register-steered processors could not be taken over
// (the driver, the policy number, the governor).
inline constexpr uint32_t kStrGovernorNoUserspace = 10230;
inline constexpr uint32_t kStrGovernorRefused = 10231;

// Event power sources, in list order (stored as index + 1).
inline constexpr uint32_t kStrEventSourceAc = 10240;
inline constexpr uint32_t kStrEventSourceBattery = 10241;
inline constexpr uint32_t kStrEventSourceBoth = 10242;

// AMD K7/K8 advanced pages.
inline constexpr uint32_t kStrDivideBy = 10245;
// The eight ACPI states of the K8 power-management mode bytes, in byte order.
inline constexpr uint32_t kStrAcpiStateFirst = 10246;
inline constexpr uint32_t kAcpiStateCount = 8;

// Transmeta LongRun page.
inline constexpr uint32_t kStrLongRunEconomy = 10270;
inline constexpr uint32_t kStrLongRunPerformance = 10271;
inline constexpr uint32_t kStrAtmOff = 10272;
inline constexpr uint32_t kStrAtmReduction = 10273;

// Management page choices.
inline constexpr uint32_t kStrSingleStepTransitions = 10274;
inline constexpr uint32_t kStrMultiStepTransitions = 10275;
// "CpuLoadMethod" 0..5.
inline constexpr uint32_t kStrCpuLoadMethodFirst = 10276;
inline constexpr uint32_t kCpuLoadMethodCount = 6;
// "SuspendAction" 0..2.
inline constexpr uint32_t kStrSuspendKeepProfile = 10282;
inline constexpr uint32_t kStrSuspendPowerSaving = 10283;
inline constexpr uint32_t kStrSuspendMaxPerformance = 10284;
// "DefaultsMode" 0..2.
inline constexpr uint32_t kStrDefaultsCpuDefined = 10285;
inline constexpr uint32_t kStrDefaultsFoundAtStartup = 10286;
inline constexpr uint32_t kStrDefaultsCustom = 10287;
inline constexpr uint32_t kStrCustomOsScheme = 10288;

// Settings page.
inline constexpr uint32_t kStrLanguageApplicationDefault = 10289;
inline constexpr uint32_t kStrLanguageUserDefault = 10290;
inline constexpr uint32_t kStrLanguageSystemDefault = 10291;
// Colour names, in list order.
inline constexpr uint32_t kStrColorNameFirst = 10292;
inline constexpr uint32_t kColorNameCount = 12;
inline constexpr uint32_t kStrAutoRunRegistry = 10304;
inline constexpr uint32_t kStrAutoRunStartupFolder = 10305;

// Action editor: "when the event is active / inactive".
inline constexpr uint32_t kStrEventStateActive = 10306;
inline constexpr uint32_t kStrEventStateInactive = 10307;

// Update states 0..15 are kStrUpdateStateFirst + state.
inline constexpr uint32_t kStrUpdateStateFirst = 10340;
inline constexpr uint32_t kUpdateStateCount = 16;
inline constexpr uint32_t kStrUpdateNotAvailable = 10340;
inline constexpr uint32_t kStrUpdateDownloading = 10354;
inline constexpr uint32_t kStrUpdateAskDownload = 10356;
inline constexpr uint32_t kStrUpdateAskInstall = 10357;
inline constexpr uint32_t kStrUpdateErrorCaption = 10358;
inline constexpr uint32_t kStrUpdateAvailableCaption = 10359;
inline constexpr uint32_t kStrUpdateDownloadQuestion = 10360;
inline constexpr uint32_t kStrUpdateDownloadedCaption = 10361;
inline constexpr uint32_t kStrUpdateInstallQuestion = 10362;
inline constexpr uint32_t kStrUpdateInstalled = 10363;
// A copy the system's package manager installed is updated through it, never by itself.
inline constexpr uint32_t kStrUpdatePackageManaged = 10364;
inline constexpr uint32_t kStrUpdateNoServer = 10365;

// Professional features.
inline constexpr uint32_t kStrMaxProfilesReached = 10380;
inline constexpr uint32_t kStrMaxEventsReached = 10381;
inline constexpr uint32_t kStrMaxActionsReached = 10382;
inline constexpr uint32_t kStrDeleteProfileQuestion = 10383;
inline constexpr uint32_t kStrColumnStatus = 10384;
inline constexpr uint32_t kStrEventActiveFor = 10385;
inline constexpr uint32_t kStrEventInactiveFor = 10386;
inline constexpr uint32_t kStrUndefinedEvent = 10387;
inline constexpr uint32_t kStrColumnEventId = 10388;
inline constexpr uint32_t kStrColumnEventName = 10389;
inline constexpr uint32_t kStrColumnEventType = 10390;
inline constexpr uint32_t kStrColumnPowerSource = 10391;
inline constexpr uint32_t kStrNewEventName = 10392;
inline constexpr uint32_t kStrColumnActionId = 10393;
inline constexpr uint32_t kStrColumnActionName = 10394;
inline constexpr uint32_t kStrNewActionName = 10395;
inline constexpr uint32_t kStrColumnActionType = 10396;
// Event types 0..13: list texts and the detail column's descriptions.
inline constexpr uint32_t kStrEventTypeFirst = 10397;
inline constexpr uint32_t kStrEventDescriptionFirst = 10413;
inline constexpr uint32_t kEventTypeCount = 14;
// Action types 0..4.
inline constexpr uint32_t kStrActionTypeFirst = 10429;
inline constexpr uint32_t kActionTypeCount = 5;
// An event the desktop cannot evaluate: no idle time where "No user input activity" needs
// it (the Status column and the event editor's note).
inline constexpr uint32_t kStrIdleTimeUnavailable = 10440;

// Texts of the pages' controls: 20000 + control number for the buttons several pages
// share, 20000 + 100 x dialog number + n for one dialog's own texts.
inline constexpr uint32_t kStrButtonDefaults = 21216;
inline constexpr uint32_t kStrButtonApply = 21217;
inline constexpr uint32_t kStrButtonRefresh = 21602;  // the hardware pages' "Refresh"

// Settings page (dialog 104).
inline constexpr uint32_t kStrLanguageLabel = 30400;
inline constexpr uint32_t kStrColorsLabel = 30401;
inline constexpr uint32_t kStrChangeColor = 30402;
inline constexpr uint32_t kStrShowInfoBalloons = 30403;
inline constexpr uint32_t kStrShowCriticalBalloons = 30404;
inline constexpr uint32_t kStrAlwaysOnTop = 30405;
inline constexpr uint32_t kStrTaskbarButton = 30406;
inline constexpr uint32_t kStrTempUnitsLabel = 30407;
inline constexpr uint32_t kStrCelsius = 30408;
inline constexpr uint32_t kStrFahrenheit = 30409;
inline constexpr uint32_t kStrRunMinimized = 30410;
inline constexpr uint32_t kStrAutoRun = 30411;
inline constexpr uint32_t kStrEnableLogging = 30412;
// The logged items, in "LoggingFlags" bit order.
inline constexpr uint32_t kStrLogItemFirst = 30413;
inline constexpr uint32_t kLogItemCount = 8;
inline constexpr uint32_t kStrMaxLogIntervalLabel = 30421;
inline constexpr uint32_t kStrDaysUnit = 30422;
inline constexpr uint32_t kStrHoursUnit = 30423;
inline constexpr uint32_t kStrMinutesUnit = 30424;
// What the two ways of starting at logon are on this system.
inline constexpr uint32_t kStrAutoRunRegistryTip = 30425;
inline constexpr uint32_t kStrAutoRunStartupFolderTip = 30426;

// CPU info page (dialog 105) and its processor tabs (dialog 106).
inline constexpr uint32_t kStrSaveDiagnosticInfo = 30500;
inline constexpr uint32_t kStrTextFilesFilter = 30501;
inline constexpr uint32_t kStrIdentificationGroup = 30600;
inline constexpr uint32_t kStrCpuModelLabel = 30601;
inline constexpr uint32_t kStrCpuCoreLabel = 30602;
inline constexpr uint32_t kStrRevisionLabel = 30603;
inline constexpr uint32_t kStrSignatureLabel = 30604;
inline constexpr uint32_t kStrSignatureValue = 30605;  // "%X"
inline constexpr uint32_t kStrCachesGroup = 30606;
// Rows L1 code, L1 data, L2, L3; then columns size, ways, line.
inline constexpr uint32_t kStrCacheFirst = 30607;
inline constexpr uint32_t kCacheCount = 4;
inline constexpr uint32_t kStrColumnSize = 30611;
inline constexpr uint32_t kStrColumnWays = 30612;
inline constexpr uint32_t kStrColumnLine = 30613;
// Rows code 4 KB, data 4 KB, code large, data large; then columns level 1, level 2.
inline constexpr uint32_t kStrTlbFirst = 30614;
inline constexpr uint32_t kTlbCount = 4;
inline constexpr uint32_t kStrColumnTlbLevel1 = 30618;
inline constexpr uint32_t kStrColumnTlbLevel2 = 30619;
inline constexpr uint32_t kStrCacheSizeValue = 30620;    // "%u KB"
inline constexpr uint32_t kStrWaysValue = 30621;         // "%u-way"
inline constexpr uint32_t kStrFullyAssociative = 30622;  // ways 255
inline constexpr uint32_t kStrLineSizeValue = 30623;     // "%u B"
inline constexpr uint32_t kStrTlbValue = 30624;          // entries, then the ways' text
inline constexpr uint32_t kStrPmFeaturesGroup = 30625;
inline constexpr uint32_t kStrStatusGroup = 30626;
inline constexpr uint32_t kStrCoreClockLabel = 30627;
inline constexpr uint32_t kStrThrottleLabel = 30628;
inline constexpr uint32_t kStrCpuLoadLabel = 30629;
inline constexpr uint32_t kStrOsLoadLabel = 30630;
inline constexpr uint32_t kStrCoreTempLabel = 30631;
inline constexpr uint32_t kStrColumnMultiplier = 30632;
inline constexpr uint32_t kStrColumnRequestedVcore = 30633;
// Rows current, startup, minimal, maximal.
inline constexpr uint32_t kStrStateRowFirst = 30634;
inline constexpr uint32_t kStateRowCount = 4;
inline constexpr uint32_t kStrClockValue = 30638;       // "%.2lf MHz"
inline constexpr uint32_t kStrPercentValue = 30639;     // "%.2lf%%"
inline constexpr uint32_t kStrCelsiusValue = 30640;     // "%.1f°C"
inline constexpr uint32_t kStrFahrenheitValue = 30641;  // "%.1f°F"
inline constexpr uint32_t kStrMultiplierValue = 30642;  // "%.1fx"
inline constexpr uint32_t kStrVoltageValue = 30643;     // "%.4fV"
inline constexpr uint32_t kStrPackagePowerLabel = 30644;
inline constexpr uint32_t kStrWattsValue = 30645;      // "%.1f W"
inline constexpr uint32_t kStrCacheWaysValue = 30646;  // "%u", under "Ways"

// Monitoring panel (dialog 108): the four group titles top to bottom; each group's series
// names, two per group (kStrMonitorSeriesFirst + 2 x group + series); the value texts
// ("%s: %s", name and value); the hide and show buttons' tips.
inline constexpr uint32_t kStrMonitorGroupFirst = 30800;
inline constexpr uint32_t kStrMonitorSeriesFirst = 30804;
inline constexpr uint32_t kStrMonitorValueText = 30812;
inline constexpr uint32_t kStrMonitorHide = 30813;
inline constexpr uint32_t kStrMonitorShow = 30814;

// Management page (dialog 109).
inline constexpr uint32_t kStrManagementGroup = 30900;
inline constexpr uint32_t kStrTransitionsMethodLabel = 30901;
inline constexpr uint32_t kStrCpuLoadMethodLabel = 30902;
inline constexpr uint32_t kStrSuspendActionLabel = 30903;
inline constexpr uint32_t kStrOsLoadSelect = 30904;
inline constexpr uint32_t kStrRunHltOnIdle = 30905;
inline constexpr uint32_t kStrCpuDefaultsGroup = 30906;
inline constexpr uint32_t kStrDefaultsOnDisable = 30907;
inline constexpr uint32_t kStrDefaultsOnExit = 30908;
inline constexpr uint32_t kStrDefaultsModeLabel = 30909;
inline constexpr uint32_t kStrManageOsPowerSettings = 30910;
inline constexpr uint32_t kStrOverheatAlert = 30911;

// Profiles page (dialog 110) and its performance-state rows (dialog 111).
inline constexpr uint32_t kStrProfileSelectionGroup = 31000;
inline constexpr uint32_t kStrCurrentSelectionLabel = 31001;
inline constexpr uint32_t kStrStartupSelectionLabel = 31002;
inline constexpr uint32_t kStrStatesEditorGroup = 31003;
inline constexpr uint32_t kStrColumnType = 31004;
inline constexpr uint32_t kStrAutoAdjustVid = 31005;
inline constexpr uint32_t kStrNewProfile = 31006;
inline constexpr uint32_t kStrStateTypeNormal = 31100;
inline constexpr uint32_t kStrStateTypeSuperLfm = 31101;
inline constexpr uint32_t kStrStateTypeIda = 31102;

// Profile page (dialog 112) with its CPU settings (dialog 113) and OS settings (114).
inline constexpr uint32_t kStrCpuSettingsTab = 31200;
inline constexpr uint32_t kStrOsSettingsTab = 31201;
inline constexpr uint32_t kStrRenameProfile = 31202;
inline constexpr uint32_t kStrDeleteProfile = 31203;
inline constexpr uint32_t kStrUseFidVid = 31300;
inline constexpr uint32_t kStrUseThrottle = 31301;
inline constexpr uint32_t kStrTargetLoadLabel = 31302;
inline constexpr uint32_t kStrUpIntervalLabel = 31303;
inline constexpr uint32_t kStrDownIntervalLabel = 31304;
// OS settings of the older generation (dialog 114) and of the newer (dialog 115).
inline constexpr uint32_t kStrUseOsScheme = 31400;
inline constexpr uint32_t kStrDisableOsProcessorPolicy = 31401;
inline constexpr uint32_t kStrCustomSchemeGroup = 31402;
inline constexpr uint32_t kStrMonitorTimeoutLabel = 31403;
inline constexpr uint32_t kStrDisksTimeoutLabel = 31404;
inline constexpr uint32_t kStrStandbyTimeoutLabel = 31405;
inline constexpr uint32_t kStrHibernateTimeoutLabel = 31406;
inline constexpr uint32_t kStrManageLcd = 31407;
inline constexpr uint32_t kStrLcdLevelLabel = 31408;
inline constexpr uint32_t kStrMinutesSuffix = 31409;  // after a time-out in minutes
inline constexpr uint32_t kStrUseOsPlan = 31500;
inline constexpr uint32_t kStrActiveSettingLabel = 31501;
inline constexpr uint32_t kStrDefaultSettingLabel = 31502;
inline constexpr uint32_t kStrNoPlanSettings = 31503;

// AMD K8 advanced page (dialog 116) with its tabs "CPU setup" (117), "P-states
// transitions" (118) and "Misc. control" (119).
inline constexpr uint32_t kStrK8PageTitle = 31600;
inline constexpr uint32_t kStrK8CpuSetupTab = 31601;
inline constexpr uint32_t kStrK8TransitionsTab = 31602;
inline constexpr uint32_t kStrK8MiscControlTab = 31603;
inline constexpr uint32_t kStrK8AcpiGroup = 31700;
inline constexpr uint32_t kStrK8AcpiStateLabel = 31701;
inline constexpr uint32_t kStrK8ClockDivisorLabel = 31702;
inline constexpr uint32_t kStrK8CpuLowPower = 31703;
inline constexpr uint32_t kStrK8NorthbridgeLowPower = 31704;
inline constexpr uint32_t kStrK8FidVidChange = 31705;
inline constexpr uint32_t kStrK8AltVidChange = 31706;  // ends with a blank
inline constexpr uint32_t kStrK8AltVidLabel = 31707;
inline constexpr uint32_t kStrK8VsTimeLabel = 31708;
inline constexpr uint32_t kStrK8AutoAdjust = 31709;
inline constexpr uint32_t kStrK8ClockGroup = 31710;
inline constexpr uint32_t kStrK8GoodPhaseErrorLabel = 31711;
inline constexpr uint32_t kStrK8RampHysteresisLabel = 31712;
inline constexpr uint32_t kStrK8PllLockLabel = 31713;
inline constexpr uint32_t kStrK8RememberAdvanced = 31714;
// The ACPI preset menu's six entries, then the clock preset menu's two.
inline constexpr uint32_t kStrK8AcpiPresetFirst = 31715;
inline constexpr uint32_t kStrK8ClockPresetFirst = 31721;
inline constexpr uint32_t kStrK8PresetTip = 31723;
inline constexpr uint32_t kStrK8TransitionGroup = 31800;
inline constexpr uint32_t kStrK8StopGrantLabel = 31801;
inline constexpr uint32_t kStrK8RampOffsetLabel = 31802;
inline constexpr uint32_t kStrK8FidDelayLabel = 31803;
inline constexpr uint32_t kStrK8VidDelayLabel = 31804;
inline constexpr uint32_t kStrK8SchemeGroup = 31805;
// The four scheme buttons: official whole and half FIDs, direct whole and half FIDs.
inline constexpr uint32_t kStrK8SchemeFirst = 31806;
inline constexpr uint32_t kStrK8SchemeNote = 31810;
inline constexpr uint32_t kStrK8TscGroup = 31900;
inline constexpr uint32_t kStrK8TscNote = 31901;
inline constexpr uint32_t kStrK8TscSyncEnable = 31902;
inline constexpr uint32_t kStrK8TscSourceLabel = 31903;
inline constexpr uint32_t kStrK8TscCoreFirst = 31904;  // "Core 0", "Core 1"
inline constexpr uint32_t kStrK8TscIntervalLabel = 31906;
inline constexpr uint32_t kStrK8TscRestartNote = 31907;

// AMD K7 advanced page (dialog 120).
inline constexpr uint32_t kStrK7PageTitle = 32000;
inline constexpr uint32_t kStrK7HaltDivisorLabel = 32001;
inline constexpr uint32_t kStrK7StopGrantDivisorLabel = 32002;
inline constexpr uint32_t kStrK7FullRampLabel = 32003;
inline constexpr uint32_t kStrK7RampDelaysLabel = 32004;
inline constexpr uint32_t kStrK7ApicDisconnect = 32005;
inline constexpr uint32_t kStrK7TransitionGroup = 32006;
inline constexpr uint32_t kStrK7StopGrantTimeoutLabel = 32007;
inline constexpr uint32_t kStrK7FidDelayLabel = 32008;
inline constexpr uint32_t kStrK7VidDelayLabel = 32009;
inline constexpr uint32_t kStrK7VidTableLabel = 32010;
inline constexpr uint32_t kStrK7MobileVids = 32011;
inline constexpr uint32_t kStrK7DesktopVids = 32012;
inline constexpr uint32_t kStrK7RememberAdvanced = 32013;

// Intel advanced pages (dialogs 121..125) and the VIA C7 page (dialog 127).
// The NetBurst page (121); its thermal, target and EIST texts serve every Intel-style page.
inline constexpr uint32_t kStrIntelNetBurstTitle = 32100;
inline constexpr uint32_t kStrIntelThermalGroup = 32101;
inline constexpr uint32_t kStrIntelTm1 = 32102;
inline constexpr uint32_t kStrIntelTm2 = 32103;
inline constexpr uint32_t kStrIntelTargetGroup = 32104;
inline constexpr uint32_t kStrIntelTargetFidLabel = 32105;
inline constexpr uint32_t kStrIntelTargetVidLabel = 32106;
inline constexpr uint32_t kStrIntelEistGroup = 32107;
inline constexpr uint32_t kStrIntelEist = 32108;
inline constexpr uint32_t kStrIntelFidVidDelayLabel = 32109;
inline constexpr uint32_t kStrIntelNetBurstCStateGroup = 32110;
inline constexpr uint32_t kStrIntelNetBurstC1e = 32111;
// The Centrino container (122).
inline constexpr uint32_t kStrIntelProcessorTab = 32200;
inline constexpr uint32_t kStrIntelChipsetTab = 32201;
inline constexpr uint32_t kStrIntelThrottlingTab = 32202;
inline constexpr uint32_t kStrIntelRememberAdvanced = 32203;
// Its "Processor" tab (123).
inline constexpr uint32_t kStrIntelCentrinoTitle = 32300;
inline constexpr uint32_t kStrIntelCentrinoTm1 = 32301;
inline constexpr uint32_t kStrIntelCentrinoTm2 = 32302;
inline constexpr uint32_t kStrIntelSyncTm1 = 32303;
inline constexpr uint32_t kStrIntelExtendedThrottling = 32304;
inline constexpr uint32_t kStrIntelCStateGroup = 32305;
// C1E, C2E, C3E, C4E, Hard C4E: the bits kC1e..kHardC4e in order.
inline constexpr uint32_t kStrIntelCStateFirst = 32306;
inline constexpr uint32_t kStrIntelCore2Group = 32311;
inline constexpr uint32_t kStrIntelIda = 32312;
inline constexpr uint32_t kStrIntelDffs = 32313;
inline constexpr uint32_t kStrIntelCpuTypeLabel = 32314;
// "Auto-detect", "Desktop", "Mobile": the CPU type + 1.
inline constexpr uint32_t kStrIntelCpuTypeFirst = 32315;
// Its "Chipset" tab (124).
inline constexpr uint32_t kStrIchTitle = 32400;
inline constexpr uint32_t kStrIchTypeLabel = 32401;
inline constexpr uint32_t kStrIchType = 32402;  // "%s (%04X:%04X)"
// The boxes kC4OnC3..kSlowC4Exit in IchOption order.
inline constexpr uint32_t kStrIchBoxFirst = 32403;
inline constexpr uint32_t kStrIchPllLockLabel = 32412;
inline constexpr uint32_t kStrIchCpuSlpToStpclkLabel = 32413;
inline constexpr uint32_t kStrIchDpslpLabel = 32414;
inline constexpr uint32_t kStrIchDprslpvrLabel = 32415;
inline constexpr uint32_t kStrIchSlowC4DelayLabel = 32416;
inline constexpr uint32_t kStrIchPllLockFirst = 32420;      // 4 entries
inline constexpr uint32_t kStrIchDpslpFirst = 32424;        // 4 entries
inline constexpr uint32_t kStrIchDprslpvrFirst = 32428;     // 2 or 3 entries
inline constexpr uint32_t kStrIchSlowC4DelayFirst = 32431;  // 4 entries
// Its "Throttling" tab (125).
inline constexpr uint32_t kStrIchThrottlingTitle = 32500;
inline constexpr uint32_t kStrIchForceThermal = 32501;
inline constexpr uint32_t kStrIchNormalThrottling = 32502;
inline constexpr uint32_t kStrIchThrottlingStatusLabel = 32503;
inline constexpr uint32_t kStrIchThrottleLock = 32504;
inline constexpr uint32_t kStrIchDutyDefault = 32505;  // "Default (50.0%)"
inline constexpr uint32_t kStrIchDuty = 32506;         // "%.1f"

// Transmeta advanced page (dialog 126).
inline constexpr uint32_t kStrTransmetaTitle = 32600;
inline constexpr uint32_t kStrLongRunControlGroup = 32601;
inline constexpr uint32_t kStrLongRunPresets = 32602;
inline constexpr uint32_t kStrLongRunPresetMinimal = 32603;
inline constexpr uint32_t kStrLongRunPresetMaximal = 32604;
inline constexpr uint32_t kStrLongRunPresetVariated = 32605;
inline constexpr uint32_t kStrLongRunColumnAc = 32606;
inline constexpr uint32_t kStrLongRunColumnBattery = 32607;
inline constexpr uint32_t kStrLongRunMinBoundLabel = 32608;
inline constexpr uint32_t kStrLongRunMaxBoundLabel = 32609;
inline constexpr uint32_t kStrLongRunModeLabel = 32610;
inline constexpr uint32_t kStrLongRunAtmGroup = 32611;
inline constexpr uint32_t kStrLongRunAtmLevelLabel = 32612;
inline constexpr uint32_t kStrLongRunTableGroup = 32613;
inline constexpr uint32_t kStrLongRunRememberAdvanced = 32614;
inline constexpr uint32_t kStrLongRunGateDelayFs = 32615;

// The VIA C7 page (127).
inline constexpr uint32_t kStrViaTitle = 32700;
inline constexpr uint32_t kStrViaPowerSaverGroup = 32701;
inline constexpr uint32_t kStrViaPowerSaver = 32702;

// The Battery info page (dialog 128).
inline constexpr uint32_t kStrBatteryStatusGroup = 32800;
inline constexpr uint32_t kStrBatteryPowerSourceLabel = 32801;
inline constexpr uint32_t kStrBatteryChargeLabel = 32802;
inline constexpr uint32_t kStrBatteryLifeTimeLabel = 32803;
inline constexpr uint32_t kStrBatteryFullLifeTimeLabel = 32804;
inline constexpr uint32_t kStrBatteryDevicesGroup = 32805;
inline constexpr uint32_t kStrBatteryDevNotify = 32806;
inline constexpr uint32_t kStrBatteryPollEnable = 32807;
inline constexpr uint32_t kStrBatteryPollIntervalLabel = 32808;
inline constexpr uint32_t kStrBatteryAverageLabel = 32809;
inline constexpr uint32_t kStrBatteryForceRate = 32810;
inline constexpr uint32_t kStrBatteryForceLifeTime = 32811;
inline constexpr uint32_t kStrBatteryTrayGroup = 32812;
inline constexpr uint32_t kStrBatteryTrayDischarging = 32813;
inline constexpr uint32_t kStrBatteryTrayCharging = 32814;
inline constexpr uint32_t kStrBatteryTrayOnAc = 32815;
inline constexpr uint32_t kStrBatteryRefreshList = 32816;
// A battery device page (dialog 130); its container (129) shows 10225 and "Refresh".
inline constexpr uint32_t kStrBatteryDeviceStatusGroup = 33000;
inline constexpr uint32_t kStrBatteryPowerStateLabel = 33001;
inline constexpr uint32_t kStrBatteryCapacityLabel = 33002;
inline constexpr uint32_t kStrBatteryVoltageLabel = 33003;
inline constexpr uint32_t kStrBatteryTemperatureLabel = 33004;
inline constexpr uint32_t kStrBatteryDeviceInfoGroup = 33005;
inline constexpr uint32_t kStrBatteryDeviceNameLabel = 33006;
inline constexpr uint32_t kStrBatteryManufacturerLabel = 33007;
inline constexpr uint32_t kStrBatteryUniqueIdLabel = 33008;
inline constexpr uint32_t kStrBatteryRelativeLabel = 33009;
inline constexpr uint32_t kStrBatteryShortTermLabel = 33010;
inline constexpr uint32_t kStrBatterySystemLabel = 33011;
inline constexpr uint32_t kStrBatteryRechargeableLabel = 33012;
inline constexpr uint32_t kStrBatteryChargeRequestsLabel = 33013;
inline constexpr uint32_t kStrBatteryDischargeRequestsLabel = 33014;
inline constexpr uint32_t kStrBatteryChemistryLabel = 33015;
inline constexpr uint32_t kStrBatteryDesignedLabel = 33016;
inline constexpr uint32_t kStrBatteryFullChargedLabel = 33017;
inline constexpr uint32_t kStrBatteryWarningAlertLabel = 33018;
inline constexpr uint32_t kStrBatteryLowAlertLabel = 33019;
inline constexpr uint32_t kStrBatteryCriticalBiasLabel = 33020;
inline constexpr uint32_t kStrBatteryCyclesLabel = 33021;
inline constexpr uint32_t kStrBatteryDateLabel = 33022;
inline constexpr uint32_t kStrBatteryRequestCharge = 33023;
inline constexpr uint32_t kStrBatteryRequestDischarge = 33024;

// Professional features page (dialog 143) with its events (144) and actions (145) tabs.
inline constexpr uint32_t kStrProModuleVersion = 34300;  // "%d.%d.%d.%d"
inline constexpr uint32_t kStrEventsTab = 34301;
inline constexpr uint32_t kStrActionsTab = 34302;
inline constexpr uint32_t kStrNewEvent = 34400;
inline constexpr uint32_t kStrModifyEvent = 34401;
inline constexpr uint32_t kStrDeleteEvent = 34402;
inline constexpr uint32_t kStrNewAction = 34500;
inline constexpr uint32_t kStrModifyAction = 34501;
inline constexpr uint32_t kStrMoveActionUp = 34502;
inline constexpr uint32_t kStrMoveActionDown = 34503;
inline constexpr uint32_t kStrDeleteAction = 34504;

// "Add/rename profile" box (dialog 146).
inline constexpr uint32_t kStrProfileNameCaption = 34600;
inline constexpr uint32_t kStrProfileNameLabel = 34601;

// "Add/modify event" (dialog 147).
inline constexpr uint32_t kStrEventEditorCaption = 34700;
inline constexpr uint32_t kStrEventNameLabel = 34701;
inline constexpr uint32_t kStrEventSourcesLabel = 34702;
inline constexpr uint32_t kStrEventTypeLabel = 34703;
inline constexpr uint32_t kStrEventStartLabel = 34704;
inline constexpr uint32_t kStrEventRepeatLabel = 34705;
inline constexpr uint32_t kStrEventRepeatUnit = 34706;
inline constexpr uint32_t kStrEventDaysLabel = 34707;
// "Sun" .. "Sat", bit 0 .. bit 6 of the day mask.
inline constexpr uint32_t kStrEventDayFirst = 34708;
inline constexpr uint32_t kStrEventProgramLabel = 34715;
inline constexpr uint32_t kStrEventBrowse = 34716;
inline constexpr uint32_t kStrEventProfileLabel = 34717;
inline constexpr uint32_t kStrEventLevelLabel = 34718;
inline constexpr uint32_t kStrEventTemperatureLabel = 34719;
inline constexpr uint32_t kStrEventIdleLabel = 34720;
inline constexpr uint32_t kStrEventStandbyLabel = 34721;
inline constexpr uint32_t kStrEventPowerSourceLabel = 34722;
inline constexpr uint32_t kStrEventSchemeLabel = 34723;

// "Add/modify action" (dialog 148).
inline constexpr uint32_t kStrActionEditorCaption = 34800;
inline constexpr uint32_t kStrActionNameLabel = 34801;
inline constexpr uint32_t kStrActionEventLabel = 34802;
inline constexpr uint32_t kStrActionStateLabel = 34803;
inline constexpr uint32_t kStrActionDelayLabel = 34804;
inline constexpr uint32_t kStrActionDelayUnit = 34805;
inline constexpr uint32_t kStrActionTypeLabel = 34806;
inline constexpr uint32_t kStrActionProfileLabel = 34807;
inline constexpr uint32_t kStrActionRestoreProfile = 34808;
inline constexpr uint32_t kStrActionCommandLabel = 34809;
inline constexpr uint32_t kStrActionBrowse = 34810;

}  // namespace pacetta
