#pragma once
#include <cstdint>
#include <span>

namespace pacetta::updates {

// The Ed25519 public key of the publisher, compiled in from the build's key file; empty
// in a build made without one, which must refuse every update package.
std::span<const uint8_t> UpdatePublicKey();

}  // namespace pacetta::updates
