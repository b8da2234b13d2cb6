#include "platform/linux/name_uuid.h"

#include <bit>
#include <vector>

namespace pacetta::linux_os {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool DashAt(size_t position) {
  return position == 8 || position == 13 || position == 18 || position == 23;
}

}  // namespace

std::array<uint8_t, 20> Sha1(std::string_view data) {
  uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  std::vector<uint8_t> message(data.begin(), data.end());
  const uint64_t bits = static_cast<uint64_t>(data.size()) * 8;
  message.push_back(0x80);
  while (message.size() % 64 != 56) message.push_back(0);
  for (int shift = 56; shift >= 0; shift -= 8)
    message.push_back(static_cast<uint8_t>(bits >> shift));

  for (size_t chunk = 0; chunk < message.size(); chunk += 64) {
    uint32_t w[80];
    for (size_t i = 0; i < 16; ++i) {
      const uint8_t* p = &message[chunk + 4 * i];
      w[i] = static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
             static_cast<uint32_t>(p[2]) << 8 | p[3];
    }
    for (size_t i = 16; i < 80; ++i)
      w[i] = std::rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (size_t i = 0; i < 80; ++i) {
      uint32_t f = 0;
      uint32_t k = 0;
      if (i < 20) {
        f = (b & c) | (~b & d);
        k = 0x5A827999;
      } else if (i < 40) {
        f = b ^ c ^ d;
        k = 0x6ED9EBA1;
      } else if (i < 60) {
        f = (b & c) | (b & d) | (c & d);
        k = 0x8F1BBCDC;
      } else {
        f = b ^ c ^ d;
        k = 0xCA62C1D6;
      }
      const uint32_t next = std::rotl(a, 5) + f + e + k + w[i];
      e = d;
      d = c;
      c = std::rotl(b, 30);
      b = a;
      a = next;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
  }
  std::array<uint8_t, 20> digest{};
  for (size_t i = 0; i < 20; ++i) digest[i] = static_cast<uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
  return digest;
}

Uuid NameUuid(const Uuid& space, std::string_view name) {
  std::string input(space.begin(), space.end());
  input.append(name);
  const auto digest = Sha1(input);
  Uuid uuid{};
  for (size_t i = 0; i < uuid.size(); ++i) uuid[i] = digest[i];
  uuid[6] = static_cast<uint8_t>((uuid[6] & 0x0F) | 0x50);  // version 5
  uuid[8] = static_cast<uint8_t>((uuid[8] & 0x3F) | 0x80);  // the standard variant
  return uuid;
}

std::string FormatUuid(const Uuid& uuid) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < uuid.size(); ++i) {
    if (DashAt(text.size())) text += '-';
    text += kDigits[uuid[i] >> 4];
    text += kDigits[uuid[i] & 0x0F];
  }
  return text;
}

std::optional<Uuid> ParseUuid(std::string_view text) {
  if (text.size() != 36) return std::nullopt;
  Uuid uuid{};
  size_t byte = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (DashAt(i)) {
      if (text[i] != '-') return std::nullopt;
      continue;
    }
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    uuid[byte++] = static_cast<uint8_t>(high << 4 | low);
    ++i;
  }
  return uuid;
}

}  // namespace pacetta::linux_os
