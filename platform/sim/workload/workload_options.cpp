#include "platform/sim/workload/workload_options.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

namespace pacetta::sim {
namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (true) {
    const size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

std::optional<double> Number(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> Share(std::string_view percent) {
  const auto value = Number(percent);
  if (!value || *value < 0 || *value > 100) return std::nullopt;
  return *value / 100;
}

std::optional<uint64_t> Duration(std::string_view text) {
  double scale = 0;
  if (text.ends_with("ms")) {
    scale = 1e6;
    text.remove_suffix(2);
  } else if (text.ends_with("s")) {
    scale = 1e9;
    text.remove_suffix(1);
  } else {
    return std::nullopt;
  }
  const auto value = Number(text);
  if (!value || *value < 0 || *value * scale > 1e18) return std::nullopt;
  return static_cast<uint64_t>(std::llround(*value * scale));
}

std::optional<LoadPhase> Phase(std::string_view text) {
  LoadPhase phase;
  if (const size_t at = text.find('@'); at != std::string_view::npos) {
    phase.lengthNs = Duration(text.substr(at + 1));
    if (!phase.lengthNs) return std::nullopt;
    text = text.substr(0, at);
  }
  if (const size_t colon = text.find(':'); colon != std::string_view::npos) {
    const std::string_view modifier = text.substr(colon + 1);
    if (!modifier.starts_with("kernel=")) return std::nullopt;
    const auto share = Share(modifier.substr(7));
    if (!share) return std::nullopt;
    phase.kernelShare = *share;
    text = text.substr(0, colon);
  }
  if (text == "idle") {
    phase.busy = 0;
  } else if (text == "full") {
    phase.busy = 1;
  } else if (text.starts_with("busy=")) {
    const auto share = Share(text.substr(5));
    if (!share) return std::nullopt;
    phase.busy = *share;
  } else if (text.starts_with("duty=")) {
    const auto parts = Split(text.substr(5), '/');
    if (parts.size() != 2) return std::nullopt;
    const auto share = Share(parts[0]);
    const auto period = Duration(parts[1]);
    if (!share || !period || *period == 0) return std::nullopt;
    phase.busy = *share;
    phase.periodNs = *period;
  } else {
    return std::nullopt;
  }
  return phase;
}

bool ParseLoad(const std::string& load, WorkloadOptions& options, std::string& error) {
  if (load.empty() || load == "idle") {
    options.scripts = {LoadScript{{LoadPhase{}}}};
  } else if (load == "full") {
    LoadPhase full;
    full.busy = 1;
    options.scripts = {LoadScript{{full}}};
  } else if (load == "host") {
    options.hostLoad = true;
  } else if (load.starts_with("script:")) {
    for (std::string_view processor : Split(std::string_view(load).substr(7), ';')) {
      LoadScript script;
      for (std::string_view text : Split(processor, ',')) {
        const auto phase = Phase(text);
        if (!phase) {
          error = "bad load phase '" + std::string(text) +
                  "' (idle, full, busy=PERCENT or duty=PERCENT/PERIOD, then optionally "
                  ":kernel=PERCENT and @DURATION such as 500ms or 2s)";
          return false;
        }
        script.phases.push_back(*phase);
      }
      options.scripts.push_back(std::move(script));
    }
  } else {
    error = "bad load '" + load + "' (idle, full, host or script:...)";
    return false;
  }
  return true;
}

bool ParseThermal(const std::string& thermal, WorkloadOptions& options, std::string& error) {
  if (thermal.empty()) return true;
  for (std::string_view item : Split(thermal, ',')) {
    const size_t equals = item.find('=');
    const std::string_view key = item.substr(0, equals);
    const auto value =
        equals == std::string_view::npos ? std::nullopt : Number(item.substr(equals + 1));
    bool ok = value.has_value();
    if (ok && key == "ambient") {
      ok = *value >= -50 && *value <= 150;
      options.ambientC = value;
    } else if (ok && key == "rise") {
      ok = *value >= 0 && *value <= 500;
      options.riseC = value;
    } else if (ok && key == "tau") {
      ok = *value > 0 && *value <= 3600;
      options.timeConstantS = value;
    } else {
      ok = false;
    }
    if (!ok) {
      error = "bad thermal setting '" + std::string(item) +
              "' (ambient=-50..150, rise=0..500, tau=SECONDS up to 3600)";
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<WorkloadOptions> ParseWorkloadOptions(const std::string& load,
                                                    const std::string& thermal,
                                                    std::string& error) {
  WorkloadOptions options;
  if (!ParseLoad(load, options, error) || !ParseThermal(thermal, options, error))
    return std::nullopt;
  return options;
}

}  // namespace pacetta::sim
