#include "platform/linux/ftp/ftp_handle.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace pacetta::linux_os {
namespace {

using platform::FtpOutcome;
using platform::FtpResult;

struct CurlFree {
  void operator()(char* text) const { curl_free(text); }
};

FtpResult Failure(std::string error) {
  return {FtpOutcome::kError, std::move(error)};
}

// libcurl sets itself up once per process, before the first handle; later calls only count.
bool CurlReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

long CurlTls(platform::FtpTls tls) {
  switch (tls) {
    case platform::FtpTls::kPrefer:
      return CURLUSESSL_TRY;
    case platform::FtpTls::kRequire:
      return CURLUSESSL_ALL;
    case platform::FtpTls::kNever:
      break;
  }
  return CURLUSESSL_NONE;
}

// `ftp://host:port/` and the escaped segments of `path`; a folder's ends with '/' so that
// libcurl lists it. Empty when a segment cannot be escaped.
std::string Url(CURL* curl, const platform::FtpServer& server, const std::string& path,
                bool folder) {
  const bool ipv6 = server.host.find(':') != std::string::npos && server.host[0] != '[';
  std::string url = "ftp://" + (ipv6 ? "[" + server.host + "]" : server.host) + ":" +
                    std::to_string(server.port) + "/";
  std::vector<std::string> segments;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    if (end > start) segments.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  for (std::size_t i = 0; i < segments.size(); ++i) {
    const std::unique_ptr<char, CurlFree> escaped(
        curl_easy_escape(curl, segments[i].data(), static_cast<int>(segments[i].size())));
    if (!escaped) return {};
    url += escaped.get();
    if (folder || i + 1 < segments.size()) url += '/';
  }
  return url;
}

// The code of a reply line ("530 Login incorrect."), 0 for anything else.
int ReplyCode(std::string_view line) {
  if (line.size() < 3) return 0;
  int code = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    if (line[i] < '0' || line[i] > '9') return 0;
    code = code * 10 + (line[i] - '0');
  }
  return code;
}

}  // namespace

FtpHandle::FtpHandle(platform::FtpServer server) : server_(std::move(server)) {
  if (CurlReady()) curl_.reset(curl_easy_init());
}

int FtpHandle::LastReplyCode() const {
  return ReplyCode(lastReply_);
}

bool FtpHandle::Prepare(const std::string& path, bool folder) {
  CURL* curl = curl_.get();
  if (!curl) return false;
  const std::string url = Url(curl, server_, path, folder);
  if (url.empty()) return false;
  // A reset keeps the cached connection; everything else is set again.
  curl_easy_reset(curl);
  receiver_ = nullptr;
  cancel_ = nullptr;
  cancelled_ = false;
  stop_ = Received::kMore;
  stopError_.clear();
  lastReply_.clear();
  curlError_[0] = '\0';

  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_USERNAME, server_.user.c_str());
  curl_easy_setopt(curl, CURLOPT_PASSWORD, server_.password.c_str());
  curl_easy_setopt(curl, CURLOPT_USE_SSL, CurlTls(server_.tls));
  // AUTH TLS first: servers that know only one of the two names know this one.
  curl_easy_setopt(curl, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
  if (!server_.caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, server_.caFile.c_str());
  // Passive only (EPSV, then PASV): the data connection goes out from here, as firewalls
  // and address translation allow.
  curl_easy_setopt(curl, CURLOPT_FTP_USE_EPSV, 1L);
  const long stall = static_cast<long>(server_.timeouts.stall.count());
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(server_.timeouts.connect.count()));
  curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, stall);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, stall);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, curlError_.data());
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &FtpHandle::OnReply);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &FtpHandle::OnData);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &FtpHandle::OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  return true;
}

FtpResult FtpHandle::Receive(const std::string& path, ListCommand list, const Receiver& receiver,
                             std::atomic<int>* cancel) {
  if (!Prepare(path, list != ListCommand::kNone)) return Unprepared(path);
  receiver_ = &receiver;
  cancel_ = cancel;
  if (list == ListCommand::kMachine) curl_easy_setopt(curl_.get(), CURLOPT_CUSTOMREQUEST, "MLSD");
  if (list == ListCommand::kNames) curl_easy_setopt(curl_.get(), CURLOPT_DIRLISTONLY, 1L);
  return Finish(curl_easy_perform(curl_.get()));
}

FtpResult FtpHandle::SizeOf(const std::string& path, std::optional<uint64_t>& size) {
  size.reset();
  if (!Prepare(path, false)) return Unprepared(path);
  curl_easy_setopt(curl_.get(), CURLOPT_NOBODY, 1L);
  const CURLcode code = curl_easy_perform(curl_.get());
  // The server's SIZE refused: a folder, or nothing of that name.
  if (code == CURLE_REMOTE_FILE_NOT_FOUND) return {};
  if (code != CURLE_OK) return Finish(code);
  curl_off_t length = -1;
  curl_easy_getinfo(curl_.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  if (length >= 0) size = static_cast<uint64_t>(length);
  return {};
}

FtpResult FtpHandle::Unprepared(const std::string& path) const {
  return Failure(curl_ ? "No address can be made of " + path : "libcurl could not be set up");
}

bool FtpHandle::Abandon() {
  if (!server_.abandon || !server_.abandon->load()) return false;
  stop_ = Received::kFailed;
  stopError_ = "The transfer was abandoned: the program is ending.";
  return true;
}

bool FtpHandle::TakeCancel() {
  if (!cancelled_ && cancel_ && cancel_->exchange(0) != 0) cancelled_ = true;
  return cancelled_;
}

FtpResult FtpHandle::Finish(CURLcode code) {
  receiver_ = nullptr;
  cancel_ = nullptr;
  // A cancel once taken ends the request as cancelled, even when the last piece was in.
  if (cancelled_) return {FtpOutcome::kCancelled, {}};
  if (code == CURLE_OK) return {};
  if (stop_ == Received::kEnough) return {};
  if (stop_ == Received::kFailed) return Failure(stopError_);
  // The server's refusal says best what went wrong. A timeout is never the server's word,
  // whatever it last said.
  if (LastReplyCode() >= 400 && code != CURLE_OPERATION_TIMEDOUT) return Failure(lastReply_);
  return Failure(curlError_[0] ? curlError_.data() : curl_easy_strerror(code));
}

size_t FtpHandle::OnData(char* data, size_t size, size_t count, void* self) {
  auto& handle = *static_cast<FtpHandle*>(self);
  const size_t bytes = size * count;
  // Returning anything but `bytes` stops the transfer.
  if (handle.TakeCancel() || handle.Abandon()) return 0;
  // Without a receiver only libcurl's own lines come (the size of a file asked for).
  if (!handle.receiver_) return bytes;
  handle.stop_ = (*handle.receiver_)(std::string_view(data, bytes), handle.stopError_);
  return handle.stop_ == Received::kMore ? bytes : 0;
}

size_t FtpHandle::OnReply(char* data, size_t size, size_t count, void* self) {
  auto& handle = *static_cast<FtpHandle*>(self);
  std::string_view line(data, size * count);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  // libcurl also passes lines of its own making here ("Content-Length: 8").
  if (ReplyCode(line)) handle.lastReply_ = line;
  return size * count;
}

int FtpHandle::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  // Called about once a second even while nothing arrives, so a cancel is seen on a
  // stalled transfer and while connecting.
  auto& handle = *static_cast<FtpHandle*>(self);
  return handle.TakeCancel() || handle.Abandon() ? 1 : 0;
}

}  // namespace pacetta::linux_os
