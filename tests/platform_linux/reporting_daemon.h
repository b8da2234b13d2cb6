#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace pacetta::testing {

// A server program run in the background that names where it can be reached on the first
// line of its output (a bus address, a display number). It ends with the object, or with
// the thread that made it.
class ReportingDaemon {
 public:
  // `arguments` start with the program, looked for in PATH; its complaints go to `log`.
  ReportingDaemon(const std::vector<std::string>& arguments, const std::string& log);
  ~ReportingDaemon();
  ReportingDaemon(const ReportingDaemon&) = delete;
  ReportingDaemon& operator=(const ReportingDaemon&) = delete;

  // The first line, without its end; empty when the program did not start or did not
  // tell within a generous bound.
  const std::string& Report() const { return report_; }
  // Ends it now.
  void Stop();

 private:
  pid_t pid_ = -1;
  std::string report_;
};

}  // namespace pacetta::testing
