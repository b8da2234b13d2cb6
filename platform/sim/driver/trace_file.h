#pragma once
#include <memory>
#include <string>
#include <string_view>

namespace pacetta::sim {

// The file a register trace (or another record of the simulated PC) goes to: created or
// emptied at open, readable and writable by its owner only, each line handed to the
// operating system as it comes so that a crash or a kill leaves every line before it.
class TraceFile {
 public:
  // Null with `error` set when the file cannot be opened; `what` names the record there.
  static std::unique_ptr<TraceFile> Open(const std::string& path, std::string& error,
                                         std::string_view what = "register trace");
  // Adopts an open descriptor; `pipe`: a pipe or socket, whose writes can raise SIGPIPE.
  TraceFile(int fd, bool pipe) : fd_(fd), pipe_(pipe) {}
  ~TraceFile();
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  // False with `error` set when the text could not all be written (a full disk, a pipe
  // whose reader has gone). Never raises a signal.
  bool Append(std::string_view text, std::string& error);

 private:
  const int fd_;
  const bool pipe_;
};

}  // namespace pacetta::sim
