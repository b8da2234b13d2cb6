#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "updates/chunk_reader.h"

namespace pacetta::updates {

inline constexpr size_t kPublicKeyBytes = 32;
inline constexpr size_t kSignatureBytes = 64;
// Ed25519 signs the message whole, never a digest of it, so a package is held in memory to
// be checked; this bounds what a download can make the program hold.
inline constexpr size_t kMaxPackageBytes = size_t{64} << 20;

enum class SignatureCheck {
  kValid,
  kNoKey,         // the build carries no key: every package is refused
  kBadKey,        // the key is not a 32-byte Ed25519 public key
  kBadSignature,  // the signature is not 64 bytes
  kTooLarge,      // the package exceeds kMaxPackageBytes
  kUnreadable,    // the package could not be read
  kMismatch,      // the signature does not belong to these bytes and this key
};

// What a check's result means, in English, for the log.
std::string_view SignatureCheckText(SignatureCheck check);

// Checks the detached Ed25519 `signature` over `package` against `publicKey`.
SignatureCheck CheckPackageSignature(std::span<const uint8_t> publicKey,
                                     std::span<const uint8_t> package,
                                     std::span<const uint8_t> signature);

// A package read through a reader and checked.
struct CheckedPackage {
  SignatureCheck check = SignatureCheck::kUnreadable;
  // The bytes the signature was checked over; empty unless the check is kValid, so that
  // nothing but verified bytes is ever unpacked.
  std::vector<uint8_t> bytes;
};

// Reads the package whole through `read` (refusing one over `limit` bytes) and checks
// `signature` over it. Key and signature are checked before anything is read.
CheckedPackage ReadAndCheckPackage(std::span<const uint8_t> publicKey, const ChunkReader& read,
                                   std::span<const uint8_t> signature,
                                   size_t limit = kMaxPackageBytes);

}  // namespace pacetta::updates
