#include "tests/platform_linux/ftp_server_rig.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <utility>
#include <vector>

namespace pacetta::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kPython[] = "/usr/bin/python3";

// A self-signed certificate for 127.0.0.1, made with the openssl tool.
bool MakeCertificate(const std::string& certificate, const std::string& key,
                     const std::string& log) {
  const std::string command = "openssl req -x509 -newkey ed25519 -nodes -days 2 -subj /CN=test" +
                              std::string(" -addext subjectAltName=IP:127.0.0.1 -keyout ") + key +
                              " -out " + certificate + " >" + log + " 2>&1";
  return std::system(command.c_str()) == 0;
}

}  // namespace

bool FtpServerRig::Available() {
  return fs::exists(kPython) &&
         std::system(
             (std::string(kPython) + " -c 'import pyftpdlib, OpenSSL' 2>/dev/null").c_str()) == 0;
}

FtpServerRig::FtpServerRig(const std::string& mode, std::string user, std::string password)
    : user_(std::move(user)), password_(std::move(password)) {
  fs::create_directories(folder_.File("root"));
  std::vector<std::string> arguments{kPython,
                                     PACETTA_SOURCE_DIR "/tests/platform_linux/ftp_test_server.py",
                                     folder_.File("root"),
                                     user_,
                                     password_,
                                     mode};
  if (mode == "tls") {
    certificate_ = folder_.File("certificate.pem");
    const std::string key = folder_.File("key.pem");
    if (!MakeCertificate(certificate_, key, folder_.File("openssl.log"))) return;
    arguments.push_back(certificate_);
    arguments.push_back(key);
  }
  daemon_.emplace(arguments, folder_.File("server.log"));
}

platform::FtpServer FtpServerRig::Server(platform::FtpTls tls) const {
  platform::FtpServer server;
  server.host = "127.0.0.1";
  server.port = static_cast<uint16_t>(Running() ? std::stoi(daemon_->Report()) : 0);
  server.user = user_;
  server.password = password_;
  server.tls = tls;
  server.caFile = certificate_;
  // Generous for a loaded machine; the bounds themselves are tested on their own.
  server.timeouts.connect = std::chrono::seconds(30);
  server.timeouts.stall = std::chrono::seconds(30);
  return server;
}

void FtpServerRig::Put(const std::string& path, const std::string& bytes) const {
  const fs::path file = folder_.File("root/" + path);
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

void FtpServerRig::MakeFolder(const std::string& path) const {
  fs::create_directories(folder_.File("root/" + path));
}

std::string FtpServerRig::Log() const {
  std::ostringstream text;
  text << std::ifstream(folder_.File("server.log")).rdbuf();
  return text.str();
}

std::string VariedBytes(std::size_t size) {
  std::mt19937 generator(20240611);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator() & 0xff);
  return bytes;
}

}  // namespace pacetta::testing
