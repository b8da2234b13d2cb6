#include "platform/linux/ftp/ftp_listing.h"

#include <charconv>
#include <cstdio>

#include "platform/ftp_client.h"

namespace pacetta::linux_os {
namespace {

// The lines of `text`, without their ends; servers end them with CRLF, libcurl may have
// turned that into LF already.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7f;
}

std::optional<uint64_t> Decimal(std::string_view digits) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

}  // namespace

std::vector<ListedEntry> ParseMachineListing(std::string_view text) {
  std::vector<ListedEntry> entries;
  for (std::string_view line : Lines(text)) {
    // The facts end at the first space; the name is everything after it, spaces included.
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) continue;
    std::string_view facts = line.substr(0, space);
    std::optional<std::string_view> type;
    std::optional<uint64_t> size;
    while (!facts.empty()) {
      const std::size_t end = facts.find(';');
      const std::string_view fact = facts.substr(0, end);
      facts.remove_prefix(end == std::string_view::npos ? facts.size() : end + 1);
      const std::size_t equals = fact.find('=');
      if (equals == std::string_view::npos) continue;
      const std::string_view key = fact.substr(0, equals);
      const std::string_view value = fact.substr(equals + 1);
      if (EqualsIgnoringCase(key, "type")) type = value;
      if (EqualsIgnoringCase(key, "size")) size = Decimal(value);
    }
    // Without a type the size cannot tell a file from a folder: the server is asked.
    if (type && !EqualsIgnoringCase(*type, "file")) continue;
    entries.push_back({std::string(line.substr(space + 1)), type ? size : std::nullopt});
  }
  return entries;
}

std::vector<ListedEntry> ParseNameListing(std::string_view text) {
  std::vector<ListedEntry> entries;
  for (std::string_view line : Lines(text)) {
    if (!line.empty()) entries.push_back({std::string(line), std::nullopt});
  }
  return entries;
}

bool IsPlainBaseName(std::string_view name) {
  if (name.empty() || name == "." || name.size() > platform::kMaxFtpName) return false;
  if (name.find("..") != std::string_view::npos) return false;
  for (char c : name) {
    if (c == '/' || c == '\\' || IsControl(c)) return false;
  }
  return true;
}

std::string Printable(std::string_view name) {
  std::string shown;
  for (char c : name) {
    if (IsControl(c)) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
      shown += escaped;
    } else {
      shown += c;
    }
  }
  return shown;
}

ScreenedEntries ScreenEntries(std::vector<ListedEntry> entries, std::string_view suffix) {
  ScreenedEntries screened;
  for (ListedEntry& entry : entries) {
    if (!IsPlainBaseName(entry.name)) {
      screened.rejected.push_back(Printable(entry.name));
    } else if (entry.name.size() >= suffix.size() &&
               EqualsIgnoringCase(
                   std::string_view(entry.name).substr(entry.name.size() - suffix.size()),
                   suffix)) {
      screened.accepted.push_back(std::move(entry));
    }
  }
  return screened;
}

}  // namespace pacetta::linux_os
