#pragma once
#include <string>
#include <utility>
#include <variant>

namespace pacetta::sim {

// Where and why a machine file could not be read (or, for a notice, what reading it
// passed over). Lines count from 1; line 0 stands for the file as a whole (it cannot be
// opened or read).
struct MachineFileError {
  std::string file;
  int line = 0;
  std::string message;

  // One terminal line: "file:line: message", or "file: message" for the file as a whole.
  // Control characters (from a file name, or text quoted from the file) show as '?', so
  // that the line stays one line.
  std::string ToString() const;
};

// The value a reader produced, or the error that stopped it.
template <typename T>
class Parsed {
 public:
  Parsed(T value) : state_(std::move(value)) {}
  Parsed(MachineFileError error) : state_(std::move(error)) {}

  bool ok() const { return std::holds_alternative<T>(state_); }
  const T& value() const& { return std::get<T>(state_); }
  T& value() & { return std::get<T>(state_); }
  T&& value() && { return std::get<T>(std::move(state_)); }
  const MachineFileError& error() const { return std::get<MachineFileError>(state_); }

 private:
  std::variant<T, MachineFileError> state_;
};

}  // namespace pacetta::sim
