// OpenSSL's key and digest contexts as owned handles, freed with OpenSSL's own calls.
#pragma once
#include <openssl/evp.h>

#include <memory>

namespace pacetta::updates {

struct PkeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct MdCtxFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;

}  // namespace pacetta::updates
