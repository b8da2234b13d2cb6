#include "updates/gzip_inflater.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace pacetta::updates {
namespace {

// Window bits for gzip framing only: a raw or zlib-framed stream is not a package.
constexpr int kGzipOnly = 16 + MAX_WBITS;

}  // namespace

GzipInflater::GzipInflater(std::span<const uint8_t> compressed) {
  // zlib counts input in 32-bit units; packages are far smaller (see kMaxPackageBytes).
  if (compressed.size() > std::numeric_limits<uInt>::max()) {
    problem_ = "too large";
    return;
  }
  stream_.next_in = const_cast<Bytef*>(compressed.data());
  stream_.avail_in = static_cast<uInt>(compressed.size());
  ready_ = inflateInit2(&stream_, kGzipOnly) == Z_OK;
  if (!ready_) problem_ = "zlib could not start";
}

GzipInflater::~GzipInflater() {
  if (ready_) inflateEnd(&stream_);
}

std::optional<size_t> GzipInflater::Fail(std::string problem) {
  problem_ = std::move(problem);
  finished_ = true;
  return std::nullopt;
}

std::optional<size_t> GzipInflater::Read(std::span<uint8_t> buffer) {
  if (!ready_) return std::nullopt;
  if (!problem_.empty()) return std::nullopt;
  if (finished_ || buffer.empty()) return 0;
  const size_t room = std::min<size_t>(buffer.size(), std::numeric_limits<uInt>::max());
  stream_.next_out = buffer.data();
  stream_.avail_out = static_cast<uInt>(room);
  while (stream_.avail_out == room) {
    const int status = inflate(&stream_, Z_NO_FLUSH);
    if (status == Z_STREAM_END) {
      if (stream_.avail_in == 0) {
        finished_ = true;
        break;
      }
      // Another member follows.
      if (inflateReset(&stream_) != Z_OK) return Fail("zlib could not restart");
      continue;
    }
    if (status == Z_BUF_ERROR && stream_.avail_in == 0) return Fail("cut short");
    if (status != Z_OK) {
      return Fail(stream_.msg != nullptr ? stream_.msg : "damaged");
    }
  }
  return room - stream_.avail_out;
}

}  // namespace pacetta::updates
