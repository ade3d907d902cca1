#pragma once

#include <openssl/crypto.h>
#include <openssl/evp.h>

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

struct Libcrypto {
#define VT_LIBCRYPTO_MEMBER(name) decltype(&::name) name = nullptr;
    VT_LIBCRYPTO_FUNCTIONS(VT_LIBCRYPTO_MEMBER)
#undef VT_LIBCRYPTO_MEMBER
};

// The library's functions, loaded once for the whole program. Throws an
// ErrorException naming the library when it or a function is missing.
const Libcrypto& Crypto();

// Loads the library of that soname, as Crypto() does with libcrypto.so.3.
Libcrypto LoadLibcrypto(const char* soname);

}  // namespace vt::jet
