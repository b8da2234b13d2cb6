#pragma once

// The processor logos, by the picture numbers the information page shows them under. The
// numbers form one block: AMD 233..252, Intel 253..280, Transmeta 281..284, VIA 285..287,
// and 288 for a processor the program cannot name.
namespace pacetta::logo {

inline constexpr int kFirst = 233;
inline constexpr int kLast = 288;

inline constexpr int kAthlon = 233;
inline constexpr int kMobileAthlon4 = 234;
inline constexpr int kAthlon64 = 235;
inline constexpr int kAthlon64Fx = 236;
inline constexpr int kMobileAthlon64 = 237;
inline constexpr int kAthlon64X2 = 238;
inline constexpr int kAthlonXpPalomino = 239;
inline constexpr int kAthlonXp = 240;
inline constexpr int kMobileAthlonXpM = 241;
inline constexpr int kAthlonMpPalomino = 242;
inline constexpr int kAthlonMp = 243;
inline constexpr int kOpteron = 244;
inline constexpr int kSempron = 245;
inline constexpr int kMobileSempron = 246;
inline constexpr int kDuron = 247;
inline constexpr int kTurion64 = 248;
inline constexpr int kTurion64X2 = 249;
inline constexpr int kUnknownAmd = 250;

inline constexpr int kCeleron = 253;
inline constexpr int kCeleronM = 254;
inline constexpr int kCeleronD = 255;
inline constexpr int kPentium2 = 256;
inline constexpr int kPentium2Xeon = 257;
inline constexpr int kPentium3 = 258;
inline constexpr int kPentium3M = 259;
inline constexpr int kPentium3Xeon = 260;
inline constexpr int kPentiumM = 261;
inline constexpr int kPentium4 = 262;
inline constexpr int kPentium4Ht = 263;
inline constexpr int kPentium4ExtremeEdition = 264;
inline constexpr int kPentiumD = 265;
inline constexpr int kPentiumExtremeEdition = 266;
inline constexpr int kXeon = 267;
inline constexpr int kCoreSolo = 268;
inline constexpr int kCoreDuo = 269;
inline constexpr int kCore2Solo = 270;
inline constexpr int kCore2Duo = 271;
inline constexpr int kCore2Extreme = 272;
inline constexpr int kCore2Quad = 273;
inline constexpr int kPentiumDualCore = 274;
inline constexpr int kUnknownIntel = 275;

inline constexpr int kCrusoe = 281;
inline constexpr int kEfficeon = 282;

inline constexpr int kViaC3 = 285;
inline constexpr int kViaC7 = 286;

inline constexpr int kUnknown = 288;

}  // namespace pacetta::logo
