// Operating points of Intel Pentium M processors, one group per processor: a row per
// frequency, slowest first, with the VID of each voltage column (the 90 nm parts were
// sold in four voltage bins, VID #A to #D; the 130 nm parts have one column).
//
// Sources:
//  [252612] Intel Pentium M Processor Datasheet (130 nm), order number 252612, table 5
//           (voltage at each Enhanced SpeedStep frequency).
//  [302189] Intel Pentium M Processor on 90 nm Process with 2-MB L2 Cache Datasheet,
//           order number 302189, table 5 (the same, per VID bin).
// Written in millivolts; the VID code is (mV - 700) / 16, the FID the multiplier over the
// 100 MHz bus.
#include <algorithm>

#include "engine/profiles/default_sources.h"

namespace pacetta {
namespace {

constexpr size_t kMostColumns = 4;
constexpr size_t kMostRows = 8;

struct Row {
  uint16_t mhz;
  uint16_t mv[kMostColumns];
};

struct Group {
  uint32_t columns;
  uint32_t rows;
  Row row[kMostRows];
};

const Group kGroups[] = {
    // [252612] 130 nm parts, from the 1.70 GHz to the 1.00 GHz Ultra Low Voltage part.
    {1,
     6,
     {{600, {956}}, {800, {1004}}, {1000, {1116}}, {1200, {1228}}, {1400, {1308}}, {1700, {1484}}}},
    {1,
     6,
     {{600, {956}}, {800, {1036}}, {1000, {1164}}, {1200, {1276}}, {1400, {1420}}, {1600, {1484}}}},
    {1,
     6,
     {{600, {956}}, {800, {1116}}, {1000, {1228}}, {1200, {1356}}, {1400, {1452}}, {1500, {1484}}}},
    {1, 5, {{600, {956}}, {800, {1180}}, {1000, {1308}}, {1200, {1436}}, {1400, {1484}}}},
    {1, 5, {{600, {956}}, {800, {1260}}, {1000, {1292}}, {1200, {1356}}, {1300, {1388}}}},
    {1,
     7,
     {{600, {956}},
      {800, {988}},
      {900, {1004}},
      {1000, {1020}},
      {1100, {1100}},
      {1200, {1164}},
      {1300, {1180}}}},
    {1,
     6,
     {{600, {956}}, {800, {1004}}, {900, {1020}}, {1000, {1100}}, {1100, {1164}}, {1200, {1180}}}},
    {1, 5, {{600, {956}}, {800, {1020}}, {900, {1100}}, {1000, {1164}}, {1100, {1180}}}},
    {1, 5, {{600, {844}}, {800, {956}}, {900, {972}}, {1000, {988}}, {1100, {1004}}}},
    {1, 4, {{600, {844}}, {800, {972}}, {900, {988}}, {1000, {1004}}}},
    // [302189] 90 nm parts 755 (2.00 GHz), 745, 735, 725, 715, 710, 738 LV, 733 and 723 ULV.
    {4,
     8,
     {{600, {988, 988, 988, 988}},
      {800, {1052, 1036, 1036, 1036}},
      {1000, {1100, 1084, 1084, 1084}},
      {1200, {1148, 1132, 1132, 1116}},
      {1400, {1196, 1180, 1180, 1164}},
      {1600, {1244, 1228, 1228, 1196}},
      {1800, {1292, 1276, 1276, 1244}},
      {2000, {1340, 1324, 1308, 1276}}}},
    {4,
     7,
     {{600, {988, 988, 988, 988}},
      {800, {1052, 1052, 1052, 1036}},
      {1000, {1116, 1116, 1100, 1084}},
      {1200, {1164, 1164, 1148, 1132}},
      {1400, {1228, 1212, 1212, 1180}},
      {1600, {1292, 1276, 1260, 1228}},
      {1800, {1340, 1324, 1308, 1276}}}},
    {4,
     6,
     {{600, {988, 988, 988, 988}},
      {800, {1052, 1052, 1052, 1052}},
      {1000, {1116, 1116, 1116, 1100}},
      {1200, {1180, 1180, 1164, 1148}},
      {1400, {1244, 1244, 1228, 1212}},
      {1700, {1340, 1324, 1308, 1276}}}},
    {4,
     6,
     {{600, {988, 988, 988, 988}},
      {800, {1068, 1068, 1052, 1052}},
      {1000, {1132, 1132, 1116, 1116}},
      {1200, {1212, 1196, 1180, 1164}},
      {1400, {1276, 1260, 1244, 1228}},
      {1600, {1340, 1324, 1308, 1276}}}},
    {4,
     5,
     {{600, {988, 988, 988, 988}},
      {800, {1068, 1068, 1068, 1052}},
      {1000, {1148, 1148, 1132, 1116}},
      {1200, {1228, 1212, 1212, 1180}},
      {1500, {1340, 1324, 1308, 1276}}}},
    {1, 5, {{600, {988}}, {800, {1068}}, {1000, {1148}}, {1200, {1228}}, {1400, {1340}}}},
    {1,
     8,
     {{600, {988}},
      {800, {1020}},
      {900, {1036}},
      {1000, {1052}},
      {1100, {1068}},
      {1200, {1100}},
      {1300, {1116}},
      {1400, {1116}}}},
    {1, 5, {{600, {812}}, {800, {876}}, {900, {892}}, {1000, {924}}, {1100, {940}}}},
    {1, 4, {{600, {812}}, {800, {876}}, {900, {908}}, {1000, {940}}}},
};

constexpr int32_t FidOf(const Row& row) {
  return row.mhz / 100;
}
constexpr int32_t VidOf(uint16_t mv) {
  return (mv - 700) / 16;
}

bool ColumnMatches(const Group& group, uint32_t column, const CpuInfo& cpu) {
  return VidOf(group.row[0].mv[column]) == cpu.minVid &&
         VidOf(group.row[group.rows - 1].mv[column]) == cpu.maxVid;
}

}  // namespace

std::optional<std::vector<PState>> LookUpPentiumMOperatingPoints(const CpuInfo& cpu) {
  for (const Group& group : kGroups) {
    if (FidOf(group.row[0]) != cpu.minFid || FidOf(group.row[group.rows - 1]) != cpu.maxFid)
      continue;
    for (uint32_t column = 0; column < group.columns; ++column) {
      if (!ColumnMatches(group, column, cpu)) continue;
      std::vector<PState> states;
      for (uint32_t r = 0; r < group.rows; ++r) {
        states.push_back(DefaultEntry(static_cast<uint32_t>(FidOf(group.row[r])),
                                      static_cast<uint32_t>(VidOf(group.row[r].mv[column]))));
      }
      return states;
    }
  }
  return std::nullopt;
}

}  // namespace pacetta
