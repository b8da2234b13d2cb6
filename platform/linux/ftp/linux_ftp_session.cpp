#include "platform/linux/ftp/linux_ftp_session.h"

#include <utility>

#include "platform/linux/ftp/download_file.h"

namespace pacetta::linux_os {
namespace {

using platform::FtpOutcome;
using platform::FtpResult;

// No folder of update files comes near this; a listing that does is a server gone wrong.
constexpr std::size_t kMaxListing = 1 << 20;

// The replies of a server that does not know a command (RFC 959 and 3659).
bool CommandUnknown(int reply) {
  return reply == 500 || reply == 501 || reply == 502 || reply == 504;
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "/" + name;
}

}  // namespace

FtpResult LinuxFtpSession::ListEntries(const std::string& folder,
                                       std::vector<ListedEntry>& entries) {
  std::string text;
  const Receiver collect = [&text](std::string_view piece, std::string& error) {
    if (text.size() + piece.size() > kMaxListing) {
      error = "The folder listing is too long";
      return Received::kFailed;
    }
    text.append(piece);
    return Received::kMore;
  };
  // A machine listing names each entry's type and size in one exchange, and as a base
  // name; a name listing leaves both to be asked for each file.
  FtpResult result = handle_.Receive(folder, ListCommand::kMachine, collect, nullptr);
  if (result.Ok()) {
    entries = ParseMachineListing(text);
    return result;
  }
  if (result.outcome != FtpOutcome::kError || !CommandUnknown(handle_.LastReplyCode())) {
    return result;
  }
  text.clear();
  result = handle_.Receive(folder, ListCommand::kNames, collect, nullptr);
  if (result.Ok()) entries = ParseNameListing(text);
  return result;
}

platform::FtpListing LinuxFtpSession::List(const std::string& folder, const std::string& suffix) {
  platform::FtpListing listing;
  std::vector<ListedEntry> entries;
  listing.result = ListEntries(folder, entries);
  if (!listing.result.Ok()) return listing;
  ScreenedEntries screened = ScreenEntries(std::move(entries), suffix);
  listing.rejected = std::move(screened.rejected);
  for (ListedEntry& entry : screened.accepted) {
    if (!entry.size) {
      listing.result = handle_.SizeOf(Join(folder, entry.name), entry.size);
      if (!listing.result.Ok()) {
        listing.files.clear();
        return listing;
      }
      if (!entry.size) continue;  // no plain file
    }
    listing.files.push_back({std::move(entry.name), *entry.size});
  }
  return listing;
}

platform::FtpRead LinuxFtpSession::Read(const std::string& path, std::size_t maxBytes,
                                        platform::FtpOverflow overflow) {
  platform::FtpRead read;
  const Receiver keep = [&](std::string_view piece, std::string& error) {
    const std::size_t room = maxBytes - read.bytes.size();
    if (piece.size() <= room) {
      read.bytes.append(piece);
      return Received::kMore;
    }
    if (overflow == platform::FtpOverflow::kError) {
      error = path + " is larger than " + std::to_string(maxBytes) + " bytes";
      return Received::kFailed;
    }
    read.bytes.append(piece.substr(0, room));
    read.truncated = true;
    return Received::kEnough;
  };
  read.result = handle_.Receive(path, ListCommand::kNone, keep, nullptr);
  if (!read.result.Ok()) {
    read.bytes.clear();
    read.truncated = false;
  }
  return read;
}

FtpResult LinuxFtpSession::Download(const std::string& path, const std::string& localPath,
                                    const platform::FtpProgress& progress,
                                    std::atomic<int>* cancel) {
  DownloadFile file(localPath);
  if (!file.IsOpen()) return {FtpOutcome::kError, file.Error()};
  uint64_t received = 0;
  const Receiver write = [&](std::string_view piece, std::string& error) {
    if (!file.Write(piece)) {
      error = file.Error();
      return Received::kFailed;
    }
    received += piece.size();
    if (progress) progress(received);
    return Received::kMore;
  };
  FtpResult result = handle_.Receive(path, ListCommand::kNone, write, cancel);
  if (result.Ok() && !file.Keep()) result = {FtpOutcome::kError, file.Error()};
  return result;  // the file goes unless it was kept
}

}  // namespace pacetta::linux_os
