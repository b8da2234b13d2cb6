#include "updates/package_signature.h"

#include <openssl/err.h>
#include <openssl/evp.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "updates/openssl_handles.h"

namespace pacetta::updates {
namespace {

// The checks that need no package bytes.
SignatureCheck CheckKeyAndSignature(std::span<const uint8_t> publicKey,
                                    std::span<const uint8_t> signature) {
  if (publicKey.empty()) return SignatureCheck::kNoKey;
  if (publicKey.size() != kPublicKeyBytes) return SignatureCheck::kBadKey;
  if (signature.size() != kSignatureBytes) return SignatureCheck::kBadSignature;
  return SignatureCheck::kValid;
}

SignatureCheck Verify(std::span<const uint8_t> publicKey, std::span<const uint8_t> package,
                      std::span<const uint8_t> signature) {
  Pkey key(
      EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, publicKey.data(), publicKey.size()));
  if (!key) return SignatureCheck::kBadKey;
  MdCtx context(EVP_MD_CTX_new());
  if (!context) return SignatureCheck::kMismatch;
  // Ed25519 hashes internally: no digest is named, and the message goes in one call.
  if (EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1) {
    return SignatureCheck::kBadKey;
  }
  const int verified = EVP_DigestVerify(context.get(), signature.data(), signature.size(),
                                        package.data(), package.size());
  return verified == 1 ? SignatureCheck::kValid : SignatureCheck::kMismatch;
}

}  // namespace

std::string_view SignatureCheckText(SignatureCheck check) {
  switch (check) {
    case SignatureCheck::kValid:
      return "the package carries the publisher's signature";
    case SignatureCheck::kNoKey:
      return "this build carries no update key, so it refuses every update package";
    case SignatureCheck::kBadKey:
      return "the update key is not an Ed25519 public key";
    case SignatureCheck::kBadSignature:
      return "the signature file is not a 64-byte Ed25519 signature";
    case SignatureCheck::kTooLarge:
      return "the package is larger than any update package may be";
    case SignatureCheck::kUnreadable:
      return "the package could not be read";
    case SignatureCheck::kMismatch:
      return "the signature does not match the package: it was altered or not signed by the "
             "publisher";
  }
  return "unknown signature check";
}

SignatureCheck CheckPackageSignature(std::span<const uint8_t> publicKey,
                                     std::span<const uint8_t> package,
                                     std::span<const uint8_t> signature) {
  SignatureCheck check = CheckKeyAndSignature(publicKey, signature);
  if (check == SignatureCheck::kValid && package.size() > kMaxPackageBytes) {
    check = SignatureCheck::kTooLarge;
  }
  if (check == SignatureCheck::kValid) check = Verify(publicKey, package, signature);
  // A refusal leaves reasons in OpenSSL's per-thread queue, where the next user of the
  // library (the downloads) would find them.
  ERR_clear_error();
  return check;
}

CheckedPackage ReadAndCheckPackage(std::span<const uint8_t> publicKey, const ChunkReader& read,
                                   std::span<const uint8_t> signature, size_t limit) {
  CheckedPackage result;
  result.check = CheckKeyAndSignature(publicKey, signature);
  if (result.check != SignatureCheck::kValid) return result;
  limit = std::min(limit, kMaxPackageBytes);
  std::vector<uint8_t> bytes;
  constexpr size_t kChunk = size_t{64} << 10;
  for (;;) {
    // One byte past the limit is enough to know the package is too large.
    const size_t room = std::min(kChunk, limit + 1 - bytes.size());
    const size_t old = bytes.size();
    bytes.resize(old + room);
    const std::optional<size_t> got = read(std::span<uint8_t>(bytes).subspan(old, room));
    if (!got || *got > room) {
      result.check = SignatureCheck::kUnreadable;
      return result;
    }
    bytes.resize(old + *got);
    if (bytes.size() > limit) {
      result.check = SignatureCheck::kTooLarge;
      return result;
    }
    if (*got == 0) break;
  }
  result.check = CheckPackageSignature(publicKey, bytes, signature);
  if (result.check == SignatureCheck::kValid) result.bytes = std::move(bytes);
  return result;
}

}  // namespace pacetta::updates
