#include "platform/sim/machine/json_lines.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace pacetta::sim {
namespace {

using Json = nlohmann::json;

// What the parser has consumed so far; the line of the token just read leaves out its last
// character, which for a number is the delimiter read ahead (possibly a line end).
struct ReadPosition {
  int newlines = 0;
  bool lastWasNewline = false;

  int TokenLine() const { return 1 + newlines - (lastWasNewline ? 1 : 0); }
};

class CountingIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  CountingIterator() = default;
  CountingIterator(const char* at, ReadPosition* position) : at_(at), position_(position) {}

  reference operator*() const { return *at_; }
  CountingIterator& operator++() {
    position_->lastWasNewline = *at_ == '\n';
    if (*at_ == '\n') ++position_->newlines;
    ++at_;
    return *this;
  }
  CountingIterator operator++(int) {
    auto before = *this;
    ++*this;
    return before;
  }
  bool operator==(const CountingIterator& other) const { return at_ == other.at_; }

 private:
  const char* at_ = nullptr;
  ReadPosition* position_ = nullptr;
};

// Builds the document like nlohmann's own DOM parser and notes where each value starts.
class LineTrackingSax {
 public:
  using number_integer_t = Json::number_integer_t;
  using number_unsigned_t = Json::number_unsigned_t;
  using number_float_t = Json::number_float_t;
  using string_t = Json::string_t;
  using binary_t = Json::binary_t;

  LineTrackingSax(LinedJson& out, const ReadPosition& position, std::string_view text)
      : out_(out), position_(position), text_(text) {}

  bool null() { return Add(nullptr); }
  bool boolean(bool value) { return Add(value); }
  bool number_integer(number_integer_t value) { return Add(value); }
  bool number_unsigned(number_unsigned_t value) { return Add(value); }
  bool number_float(number_float_t value, const string_t&) { return Add(value); }
  bool string(string_t& value) { return Add(value); }
  bool binary(binary_t& value) { return Add(Json::binary(value)); }

  bool start_object(std::size_t) { return Open(Json::object()); }
  bool start_array(std::size_t) { return Open(Json::array()); }
  bool end_object() { return Close(); }
  bool end_array() { return Close(); }

  bool key(string_t& name) {
    auto& [container, pointer] = stack_.back();
    if (container->contains(name)) {
      duplicateKey_ = name;
      duplicateLine_ = position_.TokenLine();
      return false;
    }
    memberPointer_ = ChildPointer(pointer, name);
    out_.lines[memberPointer_] = position_.TokenLine();
    member_ = &(*container)[name];
    return true;
  }

  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) {
    const auto end = text_.begin() + static_cast<std::ptrdiff_t>(
                                         std::min(position > 0 ? position - 1 : 0, text_.size()));
    errorLine_ = 1 + static_cast<int>(std::count(text_.begin(), end, '\n'));
    std::string what = e.what();
    // "[json.exception.parse_error.101] parse error at line 1, column 2: <reason>"
    const auto column = what.find("column");
    const auto reason = column == std::string::npos ? column : what.find(": ", column);
    errorMessage_ = reason == std::string::npos ? what : what.substr(reason + 2);
    return false;
  }

  std::optional<MachineFileError> Error(const std::string& fileName) const {
    if (!duplicateKey_.empty())
      return MachineFileError{fileName, duplicateLine_,
                              "key '" + duplicateKey_ + "' appears twice"};
    if (!errorMessage_.empty()) return MachineFileError{fileName, errorLine_, errorMessage_};
    return std::nullopt;
  }

 private:
  // Places a value where the parser is: the root, the next array element or the member
  // whose key was just read. Returns the placed value and its pointer.
  std::pair<Json*, std::string> Place(Json value) {
    if (stack_.empty()) {
      out_.document = std::move(value);
      out_.lines[""] = position_.TokenLine();
      return {&out_.document, ""};
    }
    auto& [container, pointer] = stack_.back();
    if (container->is_array()) {
      auto elementPointer = ChildPointer(pointer, std::to_string(container->size()));
      out_.lines[elementPointer] = position_.TokenLine();
      container->push_back(std::move(value));
      return {&container->back(), elementPointer};
    }
    *member_ = std::move(value);
    return {member_, memberPointer_};
  }

  bool Add(Json value) {
    Place(std::move(value));
    return true;
  }

  bool Open(Json empty) {
    stack_.push_back(Place(std::move(empty)));
    return true;
  }

  bool Close() {
    stack_.pop_back();
    return true;
  }

  LinedJson& out_;
  const ReadPosition& position_;
  std::string_view text_;
  std::vector<std::pair<Json*, std::string>> stack_;
  Json* member_ = nullptr;
  std::string memberPointer_;
  std::string duplicateKey_;
  int duplicateLine_ = 0;
  std::string errorMessage_;
  int errorLine_ = 0;
};

}  // namespace

int LinedJson::LineOf(std::string pointer) const {
  while (true) {
    if (const auto it = lines.find(pointer); it != lines.end()) return it->second;
    if (pointer.empty()) return 1;
    pointer.erase(pointer.rfind('/'));
  }
}

std::string ChildPointer(const std::string& parent, std::string_view token) {
  std::string pointer = parent + "/";
  for (const char c : token) {
    if (c == '~') {
      pointer += "~0";
    } else if (c == '/') {
      pointer += "~1";
    } else {
      pointer += c;
    }
  }
  return pointer;
}

Parsed<LinedJson> ParseJsonWithLines(std::string_view text, const std::string& fileName) {
  LinedJson result;
  ReadPosition position;
  LineTrackingSax sax(result, position, text);
  const CountingIterator first(text.data(), &position);
  const CountingIterator last(text.data() + text.size(), &position);
  bool ok = false;
  try {
    ok = Json::sax_parse(first, last, &sax);
  } catch (const Json::exception& e) {
    return MachineFileError{fileName, position.TokenLine(), e.what()};
  }
  if (auto error = sax.Error(fileName)) return *error;
  if (!ok) return MachineFileError{fileName, position.TokenLine(), "not valid JSON"};
  return result;
}

}  // namespace pacetta::sim
