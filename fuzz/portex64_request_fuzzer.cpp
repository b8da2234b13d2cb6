// Request frames sent to the Portex64 helper over one connection, served by the helper's
// own connection loop and request handler on a fake device tree (ordinary files in the
// private folder standing in for the MSR, port, memory, PCI and frequency policy files).
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/linux/helper_socket.h"
#include "platform/linux/helper_wire.h"
#include "tools/portex64/client_session.h"
#include "tools/portex64/hardware_files.h"
#include "tools/portex64/helper_context.h"

namespace pacetta::fuzz {
namespace {

namespace wire = linux_os::helper_wire;
using linux_os::UniqueFd;

void MakeFile(const std::string& path, off_t size) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  const UniqueFd file(open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  FUZZ_CHECK(file.Valid() && ftruncate(file.Get(), size) == 0);
}

void MakeText(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  WriteFile(path, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

// Two processors, the legacy ports, the BIOS area, the K8 northbridge and host bridge
// functions, and one frequency policy with boost.
portex::HelperOptions FakeTree() {
  const std::string root = PrivateFolder() + "/tree";
  portex::HelperOptions options;
  options.msrDir = root + "/cpu";
  options.portFile = root + "/port";
  options.memFile = root + "/mem";
  options.pciDir = root + "/pci";
  options.sysRoot = root + "/sys-root";
  for (const char* cpu : {"0", "1"}) MakeFile(options.msrDir + "/" + cpu + "/msr", off_t{1} << 32);
  MakeFile(options.portFile, 0x10000);
  MakeFile(options.memFile, 0x100000);
  for (const char* function : {"0000:00:00.0", "0000:00:18.3", "0000:00:1f.0"}) {
    MakeFile(options.pciDir + "/" + function + "/config", 256);
  }
  const std::string policy = options.sysRoot + "/sys/devices/system/cpu/cpufreq/policy0/";
  MakeText(policy + "cpuinfo_min_freq", "800000\n");
  MakeText(policy + "cpuinfo_max_freq", "2400000\n");
  MakeText(policy + "scaling_min_freq", "800000\n");
  MakeText(policy + "scaling_max_freq", "2400000\n");
  MakeText(policy + "scaling_available_governors", "performance powersave\n");
  MakeText(policy + "scaling_governor", "powersave\n");
  MakeText(policy + "energy_performance_available_preferences", "default performance power\n");
  MakeText(policy + "energy_performance_preference", "default\n");
  MakeText(options.sysRoot + "/sys/devices/system/cpu/cpufreq/boost", "1\n");
  return options;
}

struct Helper {
  portex::HelperOptions options = FakeTree();
  portex::HardwareFiles hardware{options};
  portex::UseCounter uses;
  portex::HelperContext context{hardware, uses, 0x1010, getpid(), getuid(), [] {}, {}};
};

Helper& TheHelper() {
  static Helper helper;
  return helper;
}

// The output size of each frame the helper will answer, in order, as the framing reads
// the stream: a frame that is no frame of the protocol is answered once and ends it.
std::vector<uint32_t> FrameOutSizes(const uint8_t* data, size_t size) {
  std::vector<uint32_t> sizes;
  size_t at = 0;
  while (size - at >= sizeof(wire::RequestHeader)) {
    wire::RequestHeader header;
    std::memcpy(&header, data + at, sizeof header);
    at += sizeof header;
    if (header.magic != wire::kMagic || header.inSize > wire::kMaxPayload ||
        header.outSize > wire::kMaxPayload) {
      sizes.push_back(0);
      break;
    }
    if (size - at < header.inSize) break;
    at += header.inSize;
    sizes.push_back(header.outSize);
  }
  return sizes;
}

}  // namespace
}  // namespace pacetta::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pacetta;
  namespace wire = linux_os::helper_wire;
  fuzz::Helper& helper = fuzz::TheHelper();
  int ends[2];
  FUZZ_CHECK(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) == 0);
  const linux_os::UniqueFd client(ends[0]);
  linux_os::UniqueFd served(ends[1]);
  // The whole stream fits the socket's buffer (max_len keeps it small): sent before
  // serving, then the client stops sending, as one that goes away.
  FUZZ_CHECK(linux_os::SendAll(client.Get(), data, size));
  FUZZ_CHECK(shutdown(client.Get(), SHUT_WR) == 0);
  {
    const portex::PeerCredentials peer{getpid(), getuid(), getgid(), std::nullopt};
    portex::RequestHandler handler(helper.context, peer);
    portex::ServeConnection(served.Get(), handler, std::chrono::milliseconds(0));
  }
  served.Reset();
  // A connection that ended gave back every use it took.
  FUZZ_CHECK(helper.uses.Count() == 0);

  // Each answer: failure without bytes, or success with no more bytes than were asked.
  const std::vector<uint32_t> outSizes = fuzz::FrameOutSizes(data, size);
  size_t answers = 0;
  wire::ResponseHeader answer;
  while (linux_os::ReceiveExact(client.Get(), &answer, sizeof answer, std::chrono::seconds(1))) {
    FUZZ_CHECK(answers < outSizes.size());
    FUZZ_CHECK(answer.ok <= 1);
    FUZZ_CHECK(answer.ok == 1 || answer.returned == 0);
    FUZZ_CHECK(answer.returned <= outSizes[answers]);
    uint8_t out[wire::kMaxPayload];
    if (answer.returned > 0) {
      FUZZ_CHECK(
          linux_os::ReceiveExact(client.Get(), out, answer.returned, std::chrono::seconds(1)));
    }
    ++answers;
  }
  return 0;
}
