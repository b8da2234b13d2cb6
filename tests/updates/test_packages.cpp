#include "tests/updates/test_packages.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "updates/openssl_handles.h"

namespace pacetta::updates::testing {
namespace {

Pkey PrivateKey(const Bytes& seed) {
  return Pkey(EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, seed.data(), seed.size()));
}

void PutOctal(std::string& block, size_t at, size_t width, uint64_t value) {
  std::ostringstream text;
  text.width(static_cast<std::streamsize>(width - 1));
  text.fill('0');
  text << std::oct << value;
  const std::string digits = text.str();
  std::memcpy(block.data() + at, digits.data(), std::min(digits.size(), width - 1));
}

void PutText(std::string& block, size_t at, size_t width, const std::string& text) {
  std::memcpy(block.data() + at, text.data(), std::min(text.size(), width));
}

// A deflate stream closed with the object.
class Deflater {
 public:
  Deflater() {
    if (deflateInit2(&stream_, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
      throw std::runtime_error("deflateInit2");
    }
  }
  ~Deflater() { deflateEnd(&stream_); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;
  z_stream& Stream() { return stream_; }

 private:
  z_stream stream_{};
};

}  // namespace

Bytes ToBytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

TarWriter& TarWriter::Raw(const std::string& bytes) {
  bytes_ += bytes;
  return *this;
}

TarWriter& TarWriter::Block(const Header& header) {
  std::string block(512, '\0');
  PutText(block, 0, 100, header.name);
  PutOctal(block, 100, 8, header.mode);
  PutOctal(block, 108, 8, 1000);
  PutOctal(block, 116, 8, 1000);
  if (header.sizeField != nullptr) {
    std::memcpy(block.data() + 124, header.sizeField, 12);
  } else {
    PutOctal(block, 124, 12, header.size);
  }
  PutOctal(block, 136, 12, 1700000000);
  block[156] = header.type;
  PutText(block, 157, 100, header.linkName);
  if (header.gnu) {
    PutText(block, 257, 8, std::string("ustar  \0", 8));
  } else {
    PutText(block, 257, 8,
            std::string("ustar\0"
                        "00",
                        8));
    PutText(block, 345, 155, header.prefix);
  }
  if (header.checksum != nullptr) {
    PutText(block, 148, 8, header.checksum);
  } else {
    block.replace(148, 8, 8, ' ');
    unsigned sum = 0;
    for (const char c : block) sum += static_cast<unsigned char>(c);
    PutOctal(block, 148, 7, sum);
  }
  bytes_ += block;
  return *this;
}

TarWriter& TarWriter::Entry(Header header, const std::string& data) {
  if (header.sizeField == nullptr && header.size == 0) header.size = data.size();
  Block(header);
  bytes_ += data;
  bytes_.append((512 - data.size() % 512) % 512, '\0');
  return *this;
}

TarWriter& TarWriter::File(const std::string& name, const std::string& data, uint32_t mode) {
  return Entry({.name = name, .type = '0', .mode = mode}, data);
}

TarWriter& TarWriter::Folder(const std::string& name) {
  return Entry({.name = name, .type = '5', .mode = 0755}, "");
}

TarWriter& TarWriter::Pax(const std::map<std::string, std::string>& records) {
  std::string data;
  for (const auto& [key, value] : records) {
    // The length counts its own digits: find the width that fits.
    const size_t rest = key.size() + value.size() + 3;
    size_t length = rest + 1;
    while (std::to_string(length).size() + rest != length) ++length;
    data += std::to_string(length) + " " + key + "=" + value + "\n";
  }
  return Entry({.name = "PaxHeaders/next", .type = 'x'}, data);
}

TarWriter& TarWriter::LongName(const std::string& name) {
  return Entry({.name = "././@LongLink", .type = 'L', .gnu = true}, name + '\0');
}

std::string TarWriter::Finish() const {
  std::string archive = bytes_ + std::string(1024, '\0');
  archive.append((10240 - archive.size() % 10240) % 10240, '\0');
  return archive;
}

Bytes Gzip(const std::string& data) {
  Deflater deflater;
  z_stream& stream = deflater.Stream();
  Bytes out(deflateBound(&stream, data.size()) + 64);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  if (deflate(&stream, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(stream.total_out);
  return out;
}

TestSigner::TestSigner(uint8_t seed) : seed_(32, seed) {
  const Pkey key = PrivateKey(seed_);
  size_t size = 32;
  publicKey_.resize(size);
  if (!key || EVP_PKEY_get_raw_public_key(key.get(), publicKey_.data(), &size) != 1) {
    throw std::runtime_error("test key");
  }
}

Bytes TestSigner::Sign(const Bytes& message) const {
  const Pkey key = PrivateKey(seed_);
  MdCtx context(EVP_MD_CTX_new());
  Bytes signature(64);
  size_t size = signature.size();
  if (!context || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1 ||
      EVP_DigestSign(context.get(), signature.data(), &size, message.data(), message.size()) != 1) {
    throw std::runtime_error("test signature");
  }
  return signature;
}

std::map<std::string, std::string> Snapshot(const std::string& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> snapshot;
  if (!fs::exists(fs::symlink_status(folder))) return snapshot;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(entry.path(), folder).string();
    const auto status = entry.symlink_status();
    if (fs::is_symlink(status)) {
      snapshot[name] = "-> " + fs::read_symlink(entry.path()).string();
    } else if (fs::is_directory(status)) {
      snapshot[name] = "<dir>";
    } else {
      std::ifstream in(entry.path(), std::ios::binary);
      std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      const bool executable = (status.permissions() & fs::perms::owner_exec) != fs::perms::none;
      snapshot[name] = content + (executable ? " (x)" : "");
    }
  }
  return snapshot;
}

void WriteTextFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace pacetta::updates::testing
