#pragma once
#include <sys/types.h>

#include <atomic>
#include <list>
#include <memory>
#include <string>
#include <thread>

#include "tools/portex64/helper_context.h"
#include "tools/portex64/helper_options.h"
#include "tools/portex64/refusal_log.h"

namespace pacetta::portex {

// The helper's socket: accepts the connections of allowed users, serves each on its own
// thread (at most options.maxClients at once, one of them kept for root, and at most
// options.maxPerUser of any other user) and ends on a stop request or a signal.
class Server {
 public:
  Server(const HelperOptions& options, HelperContext& context);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Creates the socket, reachable only by root, the allowed users and the group, in a
  // folder that only root or the helper's own user can change.
  bool Bind(std::string& error);
  // Starts accepting. Called by the process that serves: clients see it as the listener.
  bool Listen(std::string& error);
  // Serves until a stop request, or until `signalFd` (a signalfd) becomes readable.
  void Run(int signalFd);

 private:
  struct Connection {
    UniqueFd fd;
    uid_t uid = 0;
    std::thread thread;
    std::atomic<bool> done{false};
  };

  void RequestStop();
  void Wake();
  void Accept();
  bool SlotFree(uid_t uid) const;
  void Reap();
  void ShutDown();

  HelperOptions options_;
  HelperContext& context_;
  uid_t self_;
  UniqueFd folder_;
  std::string socketName_;
  UniqueFd listener_;
  UniqueFd wake_;
  ino_t socketInode_ = 0;
  RefusalLog refusals_;
  std::atomic<bool> stopping_{false};
  std::list<std::unique_ptr<Connection>> connections_;  // the serving thread's alone
};

}  // namespace pacetta::portex
