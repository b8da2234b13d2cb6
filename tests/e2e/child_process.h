#pragma once
#include <chrono>
#include <string>
#include <vector>

namespace pacetta::testing {

// A real program started with pipes on its standard output and error. Output is
// collected as it comes; waits are bounded, never fixed sleeps.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const std::vector<std::string>& extraEnvironment);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  int Pid() const { return pid_; }
  // Waits until the standard output contains `text`; false after `timeout`.
  // Waits until `text` appears in the output at or after offset `from`.
  bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout, size_t from = 0);
  // The output's length so far: a `from` for what comes next.
  size_t Mark() const { return output_.size(); }
  // Waits for the process to end; its exit code, or -1 after `timeout`
  // (128 + signal when a signal ended it).
  int WaitForExit(std::chrono::milliseconds timeout);
  void Signal(int signal);
  // A field of the process's status in /proc ("VmRSS", "SigBlk"); "?" when it has none.
  std::string StatusField(const std::string& name) const;
  const std::string& Output();
  const std::string& Errors();

 private:
  void Pump(std::chrono::milliseconds timeout);

  int pid_ = -1;
  int out_ = -1;
  int err_ = -1;
  int exitCode_ = -1;
  bool exited_ = false;
  std::string output_;
  std::string errors_;
};

// Runs a program to its end and returns {exit code, standard output, standard error}.
struct Finished {
  int exitCode;
  std::string output;
  std::string errors;
};
Finished RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
                  const std::vector<std::string>& extraEnvironment);

}  // namespace pacetta::testing
