#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "updates/chunk_reader.h"
#include "updates/pax_records.h"
#include "updates/tar_fault.h"
#include "updates/tar_header.h"

namespace pacetta::updates {

// What an update archive may make the program hold in memory.
struct TarLimits {
  uint64_t maxArchiveBytes = uint64_t{256} << 20;  // the inflated stream, headers included
  size_t maxEntries = 10000;
  size_t maxExtendedHeader = size_t{64} << 10;  // one pax header or GNU long name
};

enum class TarEntryType { kFile, kFolder };

struct TarEntry {
  std::string name;  // normalised: relative, '/'-separated, no "." parts, no trailing '/'
  TarEntryType type = TarEntryType::kFile;
  uint64_t size = 0;
  uint32_t mode = 0;  // the permission bits the archive gives
  std::vector<uint8_t> data;

  bool Executable() const { return (mode & 0111) != 0; }
};

// Reads the entries of an uncompressed tar stream (POSIX ustar with pax headers, or GNU
// with long names) one by one, refusing whatever an update package must not hold.
class TarReader {
 public:
  TarReader(ChunkReader source, TarLimits limits);

  // The next file or folder; nullopt at the end of the archive, or at a fault (Fault()).
  // The end is only reached through the end marker with nothing but zeros after it.
  std::optional<TarEntry> Next();
  const std::optional<TarFault>& Fault() const { return fault_; }

 private:
  enum class Read { kFull, kEnd, kShort };
  Read ReadExact(std::span<uint8_t> into);
  // An entry's data and the padding to the next block; false with the fault set.
  bool ReadData(uint64_t size, std::vector<uint8_t>& data, const std::string& name);
  bool ReadExtendedData(const TarHeader& header, std::string& data);
  std::optional<TarEntry> EntryOf(const TarHeader& header, const PaxOverrides& pax,
                                  const std::optional<std::string>& longName);
  // After the first zero block: the second one, then nothing but zeros.
  void ReadEnd();
  std::nullopt_t Refuse(TarProblem problem, std::string entry, std::string detail = {});

  ChunkReader source_;
  TarLimits limits_;
  uint64_t consumed_ = 0;
  size_t entries_ = 0;
  bool sourceFailed_ = false;
  bool done_ = false;
  std::optional<TarFault> fault_;
};

}  // namespace pacetta::updates
