#pragma once

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include "common/shared_library.h"

namespace vt::jet {

// The functions of OpenSSL's libcrypto that Office decryption calls.
//
// The library is loaded the first time an encrypted file needs it
// (common/shared_library.h): relocating it was about 2 ms of every run, and
// most databases are not encrypted.
#define VT_LIBCRYPTO_FUNCTIONS(X) \
    X(EVP_MD_fetch)               \
    X(EVP_MD_free)                \
    X(EVP_MD_get_size)            \
    X(EVP_MD_CTX_new)             \
    X(EVP_MD_CTX_free)            \
    X(EVP_DigestInit_ex2)         \
    X(EVP_DigestUpdate)           \
    X(EVP_DigestFinal_ex)         \
    X(EVP_CIPHER_fetch)           \
    X(EVP_CIPHER_free)            \
    X(EVP_CIPHER_CTX_new)         \
    X(EVP_CIPHER_CTX_free)        \
    X(EVP_CIPHER_CTX_set_padding) \
    X(EVP_DecryptInit_ex2)        \
    X(EVP_DecryptUpdate)          \
    X(EVP_DecryptFinal_ex)        \
    X(EVP_DecodeBlock)            \
    X(CRYPTO_memcmp)

// The soname the headers were written for: another major version may not
// keep these functions' signatures.
VT_LIBRARY_FUNCTIONS(Libcrypto, "libcrypto.so.3", "cryptography library", VT_LIBCRYPTO_FUNCTIONS);

// Loaded once for the whole program; throws an ErrorException naming the
// library when it or a function is missing.
inline const Libcrypto& Crypto() { return LoadedFunctions<Libcrypto>(); }

}  // namespace vt::jet
