#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "updates/package_signature.h"

// Update packages made in the test: tar archives written header by header, gzip through
// zlib, and a signing key of the test's own.
namespace pacetta::updates::testing {

using Bytes = std::vector<uint8_t>;

Bytes ToBytes(const std::string& text);

// A tar stream built entry by entry; Finish() adds the end marker.
class TarWriter {
 public:
  // One header block, POSIX ustar unless `gnu`; the checksum is computed unless given.
  struct Header {
    std::string name{};
    char type = '0';
    uint64_t size = 0;
    uint32_t mode = 0644;
    std::string prefix{};
    bool gnu = false;
    const char* checksum = nullptr;   // a field to write instead of the right one
    const char* sizeField = nullptr;  // raw bytes for the size field (12 bytes)
    std::string linkName{};           // a link's target
  };

  TarWriter& Raw(const std::string& bytes);
  TarWriter& Block(const Header& header);
  // A header and `data`, padded to a whole block.
  TarWriter& Entry(Header header, const std::string& data);
  TarWriter& File(const std::string& name, const std::string& data, uint32_t mode = 0644);
  TarWriter& Folder(const std::string& name);
  // A pax extended header with these records for the next entry.
  TarWriter& Pax(const std::map<std::string, std::string>& records);
  // A GNU long name for the next entry.
  TarWriter& LongName(const std::string& name);
  // The end marker and padding to a 10240-byte record, as tar writes them.
  std::string Finish() const;
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// `data` gzip-compressed, as one member.
Bytes Gzip(const std::string& data);

// An Ed25519 key pair made from a fixed seed, so every run signs alike.
class TestSigner {
 public:
  explicit TestSigner(uint8_t seed);
  const Bytes& PublicKey() const { return publicKey_; }
  Bytes Sign(const Bytes& message) const;

 private:
  Bytes seed_;
  Bytes publicKey_;
};

// Every file, folder and link below `folder`: relative name -> content ("<dir>" for a
// folder, "-> target" for a link), with " (x)" after an executable file's content.
std::map<std::string, std::string> Snapshot(const std::string& folder);

void WriteTextFile(const std::string& path, const std::string& content);

}  // namespace pacetta::updates::testing
