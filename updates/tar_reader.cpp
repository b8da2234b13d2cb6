#include "updates/tar_reader.h"

#include <algorithm>
#include <utility>

#include "updates/entry_name.h"

namespace pacetta::updates {
namespace {

bool AllZero(std::span<const uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

uint64_t PaddingOf(uint64_t size) {
  return (kTarBlock - size % kTarBlock) % kTarBlock;
}

// The problem a refused entry type stands for; nullopt for files and folders.
std::optional<TarProblem> RefusedType(char type) {
  switch (type) {
    case '0':
    case '\0':
    case '7':  // contiguous file: a regular file to every reader but its own system
    case '5':
      return std::nullopt;
    case '1':
      return TarProblem::kHardLink;
    case '2':
      return TarProblem::kSymlink;
    case '3':
    case '4':
      return TarProblem::kDevice;
    case '6':
      return TarProblem::kFifo;
    default:
      return TarProblem::kUnsupportedType;
  }
}

}  // namespace

TarReader::TarReader(ChunkReader source, TarLimits limits)
    : source_(std::move(source)), limits_(limits) {}

std::nullopt_t TarReader::Refuse(TarProblem problem, std::string entry, std::string detail) {
  // Data the decompression could not deliver is a fault of the compressed stream, not a
  // short archive.
  if (sourceFailed_) problem = TarProblem::kBadCompression;
  fault_ = TarFault{problem, std::move(entry), std::move(detail)};
  return std::nullopt;
}

TarReader::Read TarReader::ReadExact(std::span<uint8_t> into) {
  size_t got = 0;
  while (got < into.size()) {
    const std::optional<size_t> n = source_(into.subspan(got));
    if (!n || *n > into.size() - got) {
      sourceFailed_ = true;
      return Read::kShort;
    }
    if (*n == 0) break;
    got += *n;
  }
  consumed_ += got;
  if (got == into.size()) return Read::kFull;
  return got == 0 ? Read::kEnd : Read::kShort;
}

bool TarReader::ReadData(uint64_t size, std::vector<uint8_t>& data, const std::string& name) {
  // Checked before anything is held, so a header cannot make the reader allocate at will.
  const uint64_t padding = PaddingOf(size);
  if (size > limits_.maxArchiveBytes - consumed_ ||
      padding > limits_.maxArchiveBytes - consumed_ - size) {
    Refuse(TarProblem::kTooLarge, name);
    return false;
  }
  data.resize(static_cast<size_t>(size));
  if (ReadExact(data) != Read::kFull) {
    Refuse(TarProblem::kTruncated, name, "its data is cut short");
    return false;
  }
  uint8_t pad[kTarBlock];
  if (ReadExact(std::span<uint8_t>(pad, static_cast<size_t>(padding))) != Read::kFull) {
    Refuse(TarProblem::kTruncated, name, "its padding is cut short");
    return false;
  }
  return true;
}

bool TarReader::ReadExtendedData(const TarHeader& header, std::string& data) {
  if (header.size > limits_.maxExtendedHeader) {
    Refuse(TarProblem::kBadExtendedHeader, header.name, "too long");
    return false;
  }
  std::vector<uint8_t> bytes;
  if (!ReadData(header.size, bytes, header.name)) return false;
  data.assign(bytes.begin(), bytes.end());
  return true;
}

void TarReader::ReadEnd() {
  TarBlock block;
  switch (ReadExact(block)) {
    case Read::kFull:
      if (!AllZero(block)) {
        Refuse(TarProblem::kTrailingGarbage, "", "after the first zero block");
        return;
      }
      break;
    case Read::kEnd:
    case Read::kShort:
      Refuse(TarProblem::kTruncated, "", "the end marker is cut short");
      return;
  }
  // Writers pad the archive to a whole record with zeros; anything else is not theirs.
  uint8_t rest[4096];
  for (;;) {
    const std::optional<size_t> n = source_(rest);
    if (!n || *n > sizeof rest) {
      sourceFailed_ = true;
      Refuse(TarProblem::kTruncated, "");
      return;
    }
    if (*n == 0) break;
    consumed_ += *n;
    if (!AllZero(std::span<const uint8_t>(rest, *n))) {
      Refuse(TarProblem::kTrailingGarbage, "");
      return;
    }
    if (consumed_ > limits_.maxArchiveBytes) {
      Refuse(TarProblem::kTooLarge, "", "zeros after the end marker");
      return;
    }
  }
  done_ = true;
}

std::optional<TarEntry> TarReader::EntryOf(const TarHeader& header, const PaxOverrides& pax,
                                           const std::optional<std::string>& longName) {
  const std::string& rawName = pax.path ? *pax.path : longName ? *longName : header.name;
  if (const auto refused = RefusedType(header.type)) return Refuse(*refused, rawName);
  TarEntry entry;
  // Old writers mark a folder only by the slash that ends its name.
  const bool folder = header.type == '5' || (!rawName.empty() && rawName.back() == '/');
  entry.type = folder ? TarEntryType::kFolder : TarEntryType::kFile;
  entry.size = pax.size ? *pax.size : header.size;
  entry.mode = header.mode;
  TarProblem problem = TarProblem::kEmptyName;
  std::optional<std::string> name = NormaliseEntryName(rawName, problem);
  if (!name) return Refuse(problem, rawName);
  if (name->empty() && !folder) return Refuse(TarProblem::kEmptyName, rawName);
  if (folder && entry.size != 0) return Refuse(TarProblem::kFolderWithData, rawName);
  entry.name = std::move(*name);
  if (!ReadData(entry.size, entry.data, rawName)) return std::nullopt;
  return entry;
}

std::optional<TarEntry> TarReader::Next() {
  PaxOverrides pax;
  std::optional<std::string> longName;
  bool extended = false;
  while (!done_ && !fault_) {
    if (consumed_ + kTarBlock > limits_.maxArchiveBytes) {
      return Refuse(TarProblem::kTooLarge, "", "the archive");
    }
    TarBlock block;
    switch (ReadExact(block)) {
      case Read::kFull:
        break;
      case Read::kEnd:
        return Refuse(TarProblem::kTruncated, "", "no end marker");
      case Read::kShort:
        return Refuse(TarProblem::kTruncated, "", "a header is cut short");
    }
    if (AllZero(block)) {
      if (extended) return Refuse(TarProblem::kBadExtendedHeader, "", "no entry follows it");
      ReadEnd();
      return std::nullopt;
    }
    TarFault fault;
    const std::optional<TarHeader> header = ParseTarHeader(block, fault);
    if (!header) {
      fault_ = std::move(fault);
      return std::nullopt;
    }
    std::string data;
    switch (header->type) {
      case 'x':  // pax: for the next entry
        if (!ReadExtendedData(*header, data)) return std::nullopt;
        if (!ParsePaxRecords(data, pax, fault)) {
          fault.entry = header->name;
          fault_ = std::move(fault);
          return std::nullopt;
        }
        extended = true;
        continue;
      case 'g':  // pax global: nothing in it concerns an update
        if (!ReadExtendedData(*header, data)) return std::nullopt;
        continue;
      case 'L':  // GNU long name of the next entry
        if (!ReadExtendedData(*header, data)) return std::nullopt;
        data.erase(data.find_last_not_of('\0') + 1);
        longName = std::move(data);
        extended = true;
        continue;
      case 'K':  // GNU long link target: only links have one, and they are refused
        if (!ReadExtendedData(*header, data)) return std::nullopt;
        extended = true;
        continue;
      default:
        break;
    }
    std::optional<TarEntry> entry = EntryOf(*header, pax, longName);
    if (!entry) return std::nullopt;
    if (entry->name.empty()) {  // "./": the package folder itself
      pax = {};
      longName.reset();
      extended = false;
      continue;
    }
    if (++entries_ > limits_.maxEntries) {
      return Refuse(TarProblem::kTooLarge, entry->name, "too many entries");
    }
    return entry;
  }
  return std::nullopt;
}

}  // namespace pacetta::updates
