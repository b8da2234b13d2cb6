#pragma once
#include <curl/curl.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ftp_client.h"

namespace pacetta::linux_os {

// What a receiver makes of a piece of a transfer.
enum class Received {
  kMore,
  kEnough,  // stop: the rest is not wanted, and that is no error
  kFailed,  // stop with the error it gives
};
using Receiver = std::function<Received(std::string_view piece, std::string& error)>;

enum class ListCommand {
  kNone,     // the path is a file
  kMachine,  // MLSD of the folder
  kNames,    // NLST of the folder
};

// One libcurl handle for a session: its cache keeps the logged-in control connection and
// the TLS session from one request to the next. Every request applies the server's
// credentials, TLS policy and bounds afresh.
class FtpHandle {
 public:
  explicit FtpHandle(platform::FtpServer server);
  FtpHandle(const FtpHandle&) = delete;
  FtpHandle& operator=(const FtpHandle&) = delete;

  // Receives the file `path`, or with a list command the listing of the folder `path`.
  // A non-zero `cancel` is taken (reset to 0) and ends the transfer as cancelled.
  platform::FtpResult Receive(const std::string& path, ListCommand list, const Receiver& receiver,
                              std::atomic<int>* cancel);
  // The size of the plain file `path`; nullopt with an ok result when the server has none
  // for it (a folder, or nothing of that name).
  platform::FtpResult SizeOf(const std::string& path, std::optional<uint64_t>& size);
  // The code of the server's last reply in the last request; 0 when it sent none.
  int LastReplyCode() const;

 private:
  struct Cleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
  };

  static size_t OnData(char* data, size_t size, size_t count, void* self);
  static size_t OnReply(char* data, size_t size, size_t count, void* self);
  static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

  // Resets the handle for a request on `path`; false when the path cannot be addressed.
  bool Prepare(const std::string& path, bool folder);
  platform::FtpResult Unprepared(const std::string& path) const;
  // Takes the cancel request, if there is one.
  bool TakeCancel();
  // Ends the request as failed once the session is abandoned.
  bool Abandon();
  platform::FtpResult Finish(CURLcode code);

  const platform::FtpServer server_;
  std::unique_ptr<CURL, Cleanup> curl_;
  // The state of the request under way, seen by the callbacks.
  const Receiver* receiver_ = nullptr;
  std::atomic<int>* cancel_ = nullptr;
  bool cancelled_ = false;
  Received stop_ = Received::kMore;
  std::string stopError_;
  std::string lastReply_;
  std::array<char, CURL_ERROR_SIZE> curlError_{};
};

}  // namespace pacetta::linux_os
