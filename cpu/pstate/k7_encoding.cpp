#include "cpu/pstate/k7_encoding.h"

#include <array>

namespace pacetta::k7 {

namespace {

// Multiplier of FID 0..31 (AMD Athlon/Duron mobile datasheets, FID code table).
constexpr std::array<double, kCodeCount> kMultipliers = {
    11.0, 11.5, 12.0, 12.5, 5.0,  5.5,  6.0,  6.5,  7.0,  7.5,  8.0,  8.5,  9.0,  9.5,  10.0, 10.5,
    3.0,  19.0, 4.0,  20.0, 13.0, 13.5, 14.0, 21.0, 15.0, 22.0, 16.0, 16.5, 17.0, 18.0, 23.0, 24.0};

// FID codes in order of rising multiplier.
constexpr std::array<int32_t, kCodeCount> kFidsByRank = {16, 18, 4,  5,  6,  7,  8,  9,  10, 11, 12,
                                                         13, 14, 15, 0,  1,  2,  3,  20, 21, 22, 24,
                                                         26, 27, 28, 29, 17, 19, 23, 25, 30, 31};

// Mobile VID codes in order of rising voltage: the off codes, then 0.925 V (VID 30) up
// to 1.275 V (VID 16), then 1.300 V (VID 14) up to 2.000 V (VID 0).
constexpr std::array<int32_t, kCodeCount> kMobileVidsByRank = {
    31, 15, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17,
    16, 14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4,  3,  2,  1,  0};

bool IsCode(int32_t value) {
  return value >= 0 && value < kCodeCount;
}

int32_t RankIn(const std::array<int32_t, kCodeCount>& byRank, int32_t code) {
  if (!IsCode(code)) return -1;
  for (int32_t rank = 0; rank < kCodeCount; ++rank) {
    if (byRank[rank] == code) return rank;
  }
  return -1;
}

}  // namespace

double FidMultiplier(int32_t fid) {
  return IsCode(fid) ? kMultipliers[fid] : 0.0;
}

int32_t FidRank(int32_t fid) {
  return RankIn(kFidsByRank, fid);
}

int32_t FidOfRank(int32_t rank) {
  return IsCode(rank) ? kFidsByRank[rank] : -1;
}

int32_t MobileVidRank(int32_t vid) {
  return RankIn(kMobileVidsByRank, vid);
}

int32_t MobileVidOfRank(int32_t rank) {
  return IsCode(rank) ? kMobileVidsByRank[rank] : -1;
}

double MobileVidVoltage(int32_t vid) {
  if (vid >= 0 && vid <= 14) return 2.000 - 0.050 * vid;
  if (vid >= 16 && vid <= 30) return 1.275 - 0.025 * (vid - 16);
  return 0.0;  // 15 and 31 switch the core off; anything else is no code
}

double DesktopVidVoltage(int32_t vid) {
  if (vid >= 0 && vid <= 30) return 1.850 - 0.025 * vid;
  return 0.0;  // 31 = off
}

}  // namespace pacetta::k7
