#include "shell/file_digest.hpp"

#include <openssl/evp.h>

#include <cstdio>
#include <memory>

namespace quorel {

bool DigestFile(const std::string& path, std::string& sha256, std::uint64_t& bytes) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), &std::fclose);
  std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  if (in == nullptr || context == nullptr || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
    return false;
  }
  unsigned char buffer[65536];
  std::uint64_t read = 0;
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) {
    if (EVP_DigestUpdate(context.get(), buffer, got) != 1) return false;
    read += got;
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (std::ferror(in.get()) != 0 || EVP_DigestFinal_ex(context.get(), digest, &length) != 1) return false;
  static const char kHex[] = "0123456789abcdef";
  sha256.clear();
  for (unsigned int k = 0; k < length; ++k) {
    sha256 += kHex[digest[k] >> 4];
    sha256 += kHex[digest[k] & 15];
  }
  bytes = read;
  return true;
}

}  // namespace quorel
