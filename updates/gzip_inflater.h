#pragma once
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace pacetta::updates {

// Inflates gzip data held in memory, chunk by chunk. Members written one after another
// inflate as one stream, as gzip itself reads them.
class GzipInflater {
 public:
  explicit GzipInflater(std::span<const uint8_t> compressed);
  ~GzipInflater();
  GzipInflater(const GzipInflater&) = delete;
  GzipInflater& operator=(const GzipInflater&) = delete;

  // Inflated bytes into `buffer`: how many (0 only at the end of the last member), or
  // nullopt when the data is damaged or cut short (see Problem()).
  std::optional<size_t> Read(std::span<uint8_t> buffer);
  // What went wrong, once Read failed.
  const std::string& Problem() const { return problem_; }

 private:
  std::optional<size_t> Fail(std::string problem);

  z_stream stream_{};
  bool ready_ = false;
  bool finished_ = false;
  std::string problem_;
};

}  // namespace pacetta::updates
