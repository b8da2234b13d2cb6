#include "updates/tar_fault.h"

namespace pacetta::updates {

std::string_view TarProblemText(TarProblem problem) {
  switch (problem) {
    case TarProblem::kBadCompression:
      return "the compressed data is damaged or cut short";
    case TarProblem::kNotTar:
      return "not a tar header";
    case TarProblem::kChecksum:
      return "the header checksum does not match";
    case TarProblem::kBadNumber:
      return "a header field is not a number";
    case TarProblem::kSizeOverflow:
      return "a size is too large to represent";
    case TarProblem::kTooLarge:
      return "more than an update package may hold";
    case TarProblem::kTruncated:
      return "the archive is cut short";
    case TarProblem::kTrailingGarbage:
      return "data follows the archive's end marker";
    case TarProblem::kBadExtendedHeader:
      return "a malformed extended header";
    case TarProblem::kEmptyName:
      return "an empty name";
    case TarProblem::kAbsoluteName:
      return "an absolute name";
    case TarProblem::kParentComponent:
      return "a name that climbs out with \"..\"";
    case TarProblem::kBackslash:
      return "a name with a backslash";
    case TarProblem::kControlCharacter:
      return "a name with a control character";
    case TarProblem::kNameTooLong:
      return "a name or name part longer than 255 bytes";
    case TarProblem::kSymlink:
      return "a symbolic link";
    case TarProblem::kHardLink:
      return "a hard link";
    case TarProblem::kDevice:
      return "a device";
    case TarProblem::kFifo:
      return "a FIFO";
    case TarProblem::kUnsupportedType:
      return "an entry type an update package may not hold";
    case TarProblem::kFolderWithData:
      return "a folder entry that carries data";
    case TarProblem::kDuplicateName:
      return "a name given twice, or a file where a folder must be";
  }
  return "refused";
}

namespace {

// A name from the archive as it may go into a log: control characters could forge lines.
std::string Printable(std::string_view name) {
  constexpr size_t kShown = 300;
  std::string shown;
  for (const char c : name.substr(0, kShown)) {
    const auto byte = static_cast<unsigned char>(c);
    shown += byte < 0x20 || byte == 0x7f ? '?' : c;
  }
  if (name.size() > kShown) shown += "...";
  return shown;
}

}  // namespace

std::string TarFault::Text() const {
  std::string text;
  if (!entry.empty()) text = "\"" + Printable(entry) + "\": ";
  text += TarProblemText(problem);
  if (!detail.empty()) text += " (" + detail + ")";
  return text;
}

}  // namespace pacetta::updates
