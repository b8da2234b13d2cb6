#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace pacetta::sim {

// One kind of simulated battery: a laptop's 11.1 V lithium-ion pack by default.
struct SimBatterySpec {
  uint32_t designedMwh = 48000;
  uint32_t fullMwh = 46000;
  uint32_t idleMw = 9000;   // what the machine draws with idle processors
  uint32_t busyMw = 27000;  // ... with every processor busy
  uint32_t chargeMw = 30000;
};

struct SimBatteryCell {
  unsigned serial = 0;  // names the battery for as long as it is inserted
  SimBatterySpec spec;
  double nowMwh = 0;
  int32_t rateMw = 0;  // at the last advance; negative while discharging
  bool dischargeRequested = false;
};

// The machine's batteries. On battery power the machine's draw, between its idle and
// busy power by the processors' busy share, empties one battery after another; on AC
// power the first battery that is not full takes charge. A battery asked to discharge
// runs the machine even on AC power until it is asked to charge.
class SimBatteryPack {
 public:
  // Room for more batteries than the program lists, so that the limit shows.
  static constexpr size_t kMostBatteries = 12;

  explicit SimBatteryPack(std::vector<SimBatterySpec> batteries = {SimBatterySpec{}});

  // Moves the charge on to `nowNs` at the draw of `busyShare` (0..1); a machine that is
  // not `running` (asleep) draws nothing, though it still charges on AC power.
  void Advance(uint64_t nowNs, bool acOnline, double busyShare, bool running = true);
  // Every battery to `percent` of its full charge.
  void SetPercent(unsigned percent);
  // Nullopt without batteries.
  std::optional<unsigned> Percent() const;
  bool Charging() const;
  // Total discharge in mW (0 when none).
  double DrainMw() const;

  // A new battery, full; nullopt when there is no room.
  std::optional<unsigned> Insert(const SimBatterySpec& spec);
  // Takes out the battery inserted last; false when there is none.
  bool RemoveLast();

  const std::vector<SimBatteryCell>& Cells() const { return cells_; }
  SimBatteryCell* Find(unsigned serial);

 private:
  std::vector<SimBatteryCell> cells_;
  unsigned nextSerial_ = 0;
  std::optional<uint64_t> lastNs_;
};

}  // namespace pacetta::sim
