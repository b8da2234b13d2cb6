#include "cpu/pstate/amd_fid_vid_write.h"

#include "cpu/pstate/pstate_registers.h"

namespace pacetta {

namespace {

FidVidWriteResult WriteInKernel(CPortexDriver& driver, uint32_t low, uint32_t high) {
  driver::KernelCallBlock block;
  block.eax = low;
  block.edx = high;
  block.routine = static_cast<uint32_t>(driver::KernelRoutine::kK7Transition);
  FidVidWriteResult result;
  if (!driver.RunKernelRoutine(block)) return result;
  result.written = true;
  result.completed = true;
  result.statusReads = block.ebx;
  return result;
}

FidVidWriteResult WriteAndPoll(CPortexDriver& driver, uint32_t low, uint32_t high) {
  FidVidWriteResult result;
  MsrRequest request;
  if (!driver.WriteMsrValue(request, msr::kFidVidControl, low, high)) return result;
  result.written = true;
  while (result.statusReads < kMaxFidVidStatusReads) {
    const bool read = driver.ReadMsrValue(request, msr::kFidVidStatus);
    ++result.statusReads;
    if (!read) break;
    if (!pstate::Bit(request.low, msr::kFidVidPendingBit)) {
      result.completed = true;
      break;
    }
  }
  return result;
}

}  // namespace

FidVidWriteResult WriteFidVidControl(CPortexDriver& driver, uint32_t low, uint32_t high) {
  return driver.Is64BitSystem() ? WriteAndPoll(driver, low, high)
                                : WriteInKernel(driver, low, high);
}

}  // namespace pacetta
