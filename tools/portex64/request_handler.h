#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/linux/helper_wire.h"
#include "tools/portex64/helper_context.h"
#include "tools/portex64/peer_credentials.h"

namespace pacetta::portex {

struct Answer {
  bool ok = false;
  std::array<uint8_t, linux_os::helper_wire::kMaxPayload> out{};
  uint32_t size = 0;
  UniqueFd memory;         // passed with the answer of a map request
  bool endHelper = false;  // an accepted stop: the helper ends once this is sent
};

// The requests of one connection, answered in order. Each is checked against the
// access policy before anything touches the hardware; a request the policy or the
// layout does not allow fails as the driver's request would.
class RequestHandler {
 public:
  // `authorizeChange`, when given, is asked once, at the first request that would change
  // hardware state, whether this connection may change it; without it, it may.
  RequestHandler(HelperContext& context, const PeerCredentials& peer,
                 std::function<bool()> authorizeChange = {})
      : context_(context), peer_(peer), authorizeChange_(std::move(authorizeChange)) {}
  // A connection that ends gives back every use it took.
  ~RequestHandler() { context_.uses.ReleaseAll(uses_); }
  RequestHandler(const RequestHandler&) = delete;
  RequestHandler& operator=(const RequestHandler&) = delete;

  Answer Handle(const linux_os::helper_wire::RequestHeader& header, const uint8_t* in);
  // The uses of the driver this connection holds.
  uint32_t UsesHeld() const { return uses_; }
  // Ends the helper; called after the answer that accepted the stop has gone out, so
  // that the shutdown cannot cut it off.
  void EndHelper();

 private:
  Answer MapMemory(const uint32_t* words);
  Answer ReadPort(unsigned width, const uint32_t* words);
  Answer WritePort(unsigned width, const uint32_t* words);
  Answer ChangeUseCount(const uint32_t* words);
  Answer ReadMsr(unsigned processor, const uint32_t* words);
  Answer WriteMsr(unsigned processor, const uint32_t* words);
  Answer SetPolicyName(uint32_t code, const uint8_t* in);
  Answer Cpufreq(const std::string& refusal);
  Answer Stop();
  bool ConfigData(uint32_t port, unsigned width, bool write, uint32_t& value);
  bool MayChange();

  HelperContext& context_;
  PeerCredentials peer_;
  uint32_t configAddress_ = 0;  // this connection's 0xCF8, so clients never mix them
  uint32_t uses_ = 0;
  std::function<bool()> authorizeChange_;
  std::optional<bool> mayChange_;  // the connection's answer, asked for once
};

}  // namespace pacetta::portex
