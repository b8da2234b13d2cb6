#pragma once
#include <string>
#include <string_view>

namespace pacetta::updates {

// Why an update archive is refused. Any of these refuses the whole archive.
enum class TarProblem {
  kBadCompression,     // the gzip stream is damaged or cut short
  kNotTar,             // a header without the ustar magic
  kChecksum,           // a header whose checksum does not add up
  kBadNumber,          // a numeric header field that is not a number
  kSizeOverflow,       // a size too large to represent
  kTooLarge,           // more data or entries than an update package may hold
  kTruncated,          // a header or an entry's data cut short, or no end marker
  kTrailingGarbage,    // something other than zero blocks after the end marker
  kBadExtendedHeader,  // a malformed pax record or GNU long name, or one with no entry
  kEmptyName,
  kAbsoluteName,
  kParentComponent,  // a ".." component
  kBackslash,
  kControlCharacter,
  kNameTooLong,  // over 255 bytes, or a component over 255 bytes
  kSymlink,
  kHardLink,
  kDevice,
  kFifo,
  kUnsupportedType,
  kFolderWithData,  // a folder entry with a size
  kDuplicateName,   // the same name twice, or a file where a folder must be
};

// English for a problem, for the log.
std::string_view TarProblemText(TarProblem problem);

struct TarFault {
  TarProblem problem = TarProblem::kNotTar;
  std::string entry;   // the entry's name as the archive gives it, when known
  std::string detail;  // more about it, when there is more to say

  // "<entry>: <problem> (<detail>)"
  std::string Text() const;
};

}  // namespace pacetta::updates
