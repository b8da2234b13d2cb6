// What the fuzz targets share: a private folder for the loaders that take a path, and a
// check that stops the run (libFuzzer then keeps the input) when a loader breaks a promise.
#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace pacetta::fuzz {

// A folder of this process's own, made at first use and removed when the process ends:
// below TMPDIR when that is set, else in /dev/shm where there is one, else in /tmp.
const std::string& PrivateFolder();

// Writes `bytes` to `path`, replacing what was there; aborts when it cannot.
void WriteFile(const std::string& path, std::span<const uint8_t> bytes);

[[noreturn]] void Fail(const char* condition, const char* file, int line);

}  // namespace pacetta::fuzz

// A macro, so that the report names the condition and where it is checked.
#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::pacetta::fuzz::Fail(#condition, __FILE__, __LINE__))
