#include <gtest/gtest.h>

#include <algorithm>

#include "tests/updates/test_packages.h"
#include "updates/package_signature.h"
#include "updates/update_public_key.h"

namespace pacetta::updates {
namespace {

using testing::Bytes;
using testing::TestSigner;

// A reader handing the package over in small, uneven chunks, as a file or a download does.
ChunkReader ChunksOf(const Bytes& bytes, bool failHalfway = false) {
  return [&bytes, failHalfway,
          at = size_t{0}](std::span<uint8_t> buffer) mutable -> std::optional<size_t> {
    if (failHalfway && at >= bytes.size() / 2) return std::nullopt;
    const size_t n = std::min({buffer.size(), bytes.size() - at, size_t{777}});
    std::copy_n(bytes.begin() + static_cast<ptrdiff_t>(at), n, buffer.begin());
    at += n;
    return n;
  };
}

TEST(PackageSignature, OnlyBytesSignedWithTheKeyPass) {
  const TestSigner publisher(7), stranger(8);
  Bytes package(100000);
  for (size_t i = 0; i < package.size(); ++i) package[i] = static_cast<uint8_t>(i * 31 + 5);
  const Bytes signature = publisher.Sign(package);
  Bytes flipped = package;
  flipped[54321] ^= 0x04;
  Bytes appended = package;
  appended.push_back(0);
  const Bytes shortSignature(signature.begin(), signature.end() - 1);
  Bytes longSignature = signature;
  longSignature.push_back(0);
  const Bytes noKey;
  const Bytes shortKey(publisher.PublicKey().begin(), publisher.PublicKey().end() - 1);

  struct Case {
    const char* what;
    const Bytes& key;
    const Bytes& package;
    const Bytes& signature;
    size_t limit;
    bool readFails;
    SignatureCheck expected;
  } cases[] = {
      {"signed", publisher.PublicKey(), package, signature, kMaxPackageBytes, false,
       SignatureCheck::kValid},
      {"one bit flipped", publisher.PublicKey(), flipped, signature, kMaxPackageBytes, false,
       SignatureCheck::kMismatch},
      {"a byte appended", publisher.PublicKey(), appended, signature, kMaxPackageBytes, false,
       SignatureCheck::kMismatch},
      {"another key", stranger.PublicKey(), package, signature, kMaxPackageBytes, false,
       SignatureCheck::kMismatch},
      {"63-byte signature", publisher.PublicKey(), package, shortSignature, kMaxPackageBytes, false,
       SignatureCheck::kBadSignature},
      {"65-byte signature", publisher.PublicKey(), package, longSignature, kMaxPackageBytes, false,
       SignatureCheck::kBadSignature},
      {"a build without a key", noKey, package, signature, kMaxPackageBytes, false,
       SignatureCheck::kNoKey},
      {"a 31-byte key", shortKey, package, signature, kMaxPackageBytes, false,
       SignatureCheck::kBadKey},
      {"one byte over the limit", publisher.PublicKey(), package, signature, package.size() - 1,
       false, SignatureCheck::kTooLarge},
      {"exactly the limit", publisher.PublicKey(), package, signature, package.size(), false,
       SignatureCheck::kValid},
      {"reading fails", publisher.PublicKey(), package, signature, kMaxPackageBytes, true,
       SignatureCheck::kUnreadable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CheckedPackage read =
        ReadAndCheckPackage(c.key, ChunksOf(c.package, c.readFails), c.signature, c.limit);
    EXPECT_EQ(read.check, c.expected);
    // Only bytes that passed are handed on, and they are the bytes that were signed.
    EXPECT_EQ(read.bytes, c.expected == SignatureCheck::kValid ? c.package : Bytes());
    if (c.limit == kMaxPackageBytes && !c.readFails) {
      EXPECT_EQ(CheckPackageSignature(c.key, c.package, c.signature), c.expected);
    }
  }
  EXPECT_NE(SignatureCheckText(SignatureCheck::kNoKey).find("no update key"),
            std::string_view::npos);
}

TEST(PackageSignature, TheBuiltInKeyIsAKeyOrNone) {
  // Whatever key file the build was given arrives whole, or the build refuses everything.
  const Bytes package = testing::ToBytes("package"), signature(kSignatureBytes, 0);
  EXPECT_EQ(CheckPackageSignature(UpdatePublicKey(), package, signature),
            UpdatePublicKey().empty() ? SignatureCheck::kNoKey : SignatureCheck::kMismatch);
}

}  // namespace
}  // namespace pacetta::updates
