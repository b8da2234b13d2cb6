#pragma once
#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace pacetta {

// A text of at most N characters, kept in place like the fixed fields the information page
// shows. Whatever is stored or appended beyond N characters is cut off: a name can never
// run past its field, however long the processor's own numbers make it.
template <std::size_t N>
class BoundedText {
 public:
  static constexpr std::size_t kCapacity = N;

  BoundedText() = default;
  explicit BoundedText(std::string_view text) { Assign(text); }

  void Assign(std::string_view text) {
    length_ = std::min(text.size(), N);
    std::copy_n(text.begin(), length_, chars_.begin());
    chars_[length_] = '\0';
  }
  BoundedText& operator=(std::string_view text) {
    Assign(text);
    return *this;
  }

  std::string_view View() const { return {chars_.data(), length_}; }
  std::string Str() const { return std::string(View()); }
  // Always ends in a 0 byte, for callers that want a C string.
  const char* CStr() const { return chars_.data(); }
  std::size_t Size() const { return length_; }

  bool operator==(std::string_view text) const { return View() == text; }

 private:
  std::array<char, N + 1> chars_{};
  std::size_t length_ = 0;
};

}  // namespace pacetta
