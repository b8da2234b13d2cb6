#include "tests/ui_icons/png_file.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <vector>

namespace pacetta::icons {
namespace {

using Bytes = std::vector<unsigned char>;

uint32_t Crc32(const unsigned char* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBigEndian(Bytes& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back((value >> shift) & 0xFF);
}

void PutChunk(Bytes& out, const char* type, const Bytes& data) {
  PutBigEndian(out, uint32_t(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of "stored" (uncompressed) deflate blocks: no library needed, and the
// sheets are small.
Bytes StoredZlib(const Bytes& raw) {
  Bytes out = {0x78, 0x01};
  size_t at = 0;
  do {
    const size_t length = std::min<size_t>(raw.size() - at, 65535);
    const bool last = at + length == raw.size();
    out.insert(out.end(),
               {static_cast<unsigned char>(last ? 1 : 0), static_cast<unsigned char>(length & 0xFF),
                static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(~length & 0xFF),
                static_cast<unsigned char>((~length >> 8) & 0xFF)});
    out.insert(out.end(), raw.begin() + long(at), raw.begin() + long(at + length));
    at += length;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;  // Adler-32
  for (unsigned char byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
  PutBigEndian(out, b << 16 | a);
  return out;
}

}  // namespace

bool WritePng(const IconImage& image, const std::string& path) {
  Bytes raw;
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < image.width; ++x) {
      const uint32_t argb = image.At(x, y);
      raw.insert(raw.end(),
                 {static_cast<unsigned char>(argb >> 16), static_cast<unsigned char>(argb >> 8),
                  static_cast<unsigned char>(argb), static_cast<unsigned char>(argb >> 24)});
    }
  }
  Bytes header;
  PutBigEndian(header, uint32_t(image.width));
  PutBigEndian(header, uint32_t(image.height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
  Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", StoredZlib(raw));
  PutChunk(file, "IEND", {});
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  return bool(out);
}

}  // namespace pacetta::icons
