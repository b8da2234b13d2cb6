#include "cpu/dump/dump_file.h"

namespace pacetta {

using platform::FileFault;

ReplacingFile::ReplacingFile(platform::LogFiles& files, std::string path)
    : files_(files), path_(std::move(path)), partial_(path_ + ".partial") {}

FileFault ReplacingFile::Open() {
  // Opening `path` itself tells whether it may be written at all; nothing is written to it.
  if (files_.OpenForAppend(path_, fault_) == nullptr) return fault_;
  // A sibling left by an interrupted dump would be appended to: it goes over `path`,
  // which is replaced anyway.
  if (files_.Exists(partial_) && !files_.MoveReplacing(partial_, path_))
    return fault_ = FileFault::kNotWritable;
  file_ = files_.OpenForAppend(partial_, fault_);
  return fault_;
}

void ReplacingFile::Write(std::string_view text) {
  if (file_ != nullptr && fault_ == FileFault::kNone) fault_ = file_->Append(text);
}

FileFault ReplacingFile::Finish() {
  if (file_ == nullptr) return fault_;
  file_.reset();
  // Moved even after a failed write, as a dump written in place would have stopped there;
  // the fault tells the caller.
  if (!files_.MoveReplacing(partial_, path_) && fault_ == FileFault::kNone)
    fault_ = FileFault::kTransient;
  return fault_;
}

}  // namespace pacetta
