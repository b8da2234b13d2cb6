#pragma once
#include <cstdio>
#include <optional>

#include "platform/message_box.h"

namespace pacetta {

// Message boxes as lines: errors and warnings on standard error, the rest on standard
// output. A question takes the answer given on the command line when that answer is one
// of its buttons; otherwise the safe choice: Cancel, or No without a Cancel button.
class ConsoleMessageBoxes final : public platform::MessageBoxes {
 public:
  explicit ConsoleMessageBoxes(std::optional<platform::MessageAnswer> answer = std::nullopt,
                               std::FILE* out = stdout, std::FILE* err = stderr)
      : answer_(answer), out_(out), err_(err) {}

  platform::MessageAnswer Show(const std::string& text, const std::string& caption,
                               platform::MessageIcon icon,
                               platform::MessageButtons buttons) override;

 private:
  std::optional<platform::MessageAnswer> answer_;
  std::FILE* out_;
  std::FILE* err_;
};

}  // namespace pacetta
