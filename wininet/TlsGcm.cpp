// AES-GCM for the TLS library (see mbedtls_alt/gcm_alt.h), through BCrypt.
#include <windows.h>
#include <bcrypt.h>

#include <mbedtls/gcm.h>

namespace {

constexpr NTSTATUS kAuthTagMismatch = static_cast<NTSTATUS>(0xC000A002L);

BCRYPT_ALG_HANDLE AesGcm() {
    static const BCRYPT_ALG_HANDLE algorithm = [] {
        BCRYPT_ALG_HANDLE handle = nullptr;
        if (BCryptOpenAlgorithmProvider(&handle, BCRYPT_AES_ALGORITHM, nullptr, 0) < 0)
            return BCRYPT_ALG_HANDLE(nullptr);
        if (BCryptSetProperty(handle, BCRYPT_CHAINING_MODE,
                              reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_GCM)),
                              sizeof(BCRYPT_CHAIN_MODE_GCM), 0) < 0) {
            BCryptCloseAlgorithmProvider(handle, 0);
            return BCRYPT_ALG_HANDLE(nullptr);
        }
        return handle;
    }();
    return algorithm;
}

int Crypt(mbedtls_gcm_context* ctx, bool encrypt, size_t length, const unsigned char* iv,
          size_t iv_len, const unsigned char* add, size_t add_len, const unsigned char* input,
          unsigned char* output, unsigned char* tag, size_t tag_len) {
    if (!ctx->key || length > 0xFFFFFFFFu) return MBEDTLS_ERR_GCM_BAD_INPUT;
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
    BCRYPT_INIT_AUTH_MODE_INFO(info);
    info.pbNonce = const_cast<PUCHAR>(iv);
    info.cbNonce = static_cast<ULONG>(iv_len);
    info.pbAuthData = const_cast<PUCHAR>(add);
    info.cbAuthData = static_cast<ULONG>(add_len);
    info.pbTag = tag;
    info.cbTag = static_cast<ULONG>(tag_len);
    ULONG done = 0;
    auto key = static_cast<BCRYPT_KEY_HANDLE>(ctx->key);
    PUCHAR in = const_cast<PUCHAR>(input);
    ULONG size = static_cast<ULONG>(length);
    NTSTATUS status = encrypt
                          ? BCryptEncrypt(key, in, size, &info, nullptr, 0, output, size, &done, 0)
                          : BCryptDecrypt(key, in, size, &info, nullptr, 0, output, size, &done, 0);
    if (status == kAuthTagMismatch) return MBEDTLS_ERR_GCM_AUTH_FAILED;
    return status < 0 || done != size ? MBEDTLS_ERR_GCM_BAD_INPUT : 0;
}

}  // namespace

extern "C" {

void mbedtls_gcm_init(mbedtls_gcm_context* ctx) { ctx->key = nullptr; }

void mbedtls_gcm_free(mbedtls_gcm_context* ctx) {
    if (ctx && ctx->key) BCryptDestroyKey(static_cast<BCRYPT_KEY_HANDLE>(ctx->key));
    if (ctx) ctx->key = nullptr;
}

int mbedtls_gcm_setkey(mbedtls_gcm_context* ctx, mbedtls_cipher_id_t cipher,
                       const unsigned char* key, unsigned int keybits) {
    if (cipher != MBEDTLS_CIPHER_ID_AES || !AesGcm()) return MBEDTLS_ERR_GCM_BAD_INPUT;
    mbedtls_gcm_free(ctx);
    BCRYPT_KEY_HANDLE handle = nullptr;
    if (BCryptGenerateSymmetricKey(AesGcm(), &handle, nullptr, 0, const_cast<PUCHAR>(key),
                                   keybits / 8, 0) < 0)
        return MBEDTLS_ERR_GCM_BAD_INPUT;
    ctx->key = handle;
    return 0;
}

// Decryption checks a tag it is given, which this call would have to compute.
int mbedtls_gcm_crypt_and_tag(mbedtls_gcm_context* ctx, int mode, size_t length,
                              const unsigned char* iv, size_t iv_len, const unsigned char* add,
                              size_t add_len, const unsigned char* input, unsigned char* output,
                              size_t tag_len, unsigned char* tag) {
    if (mode != MBEDTLS_GCM_ENCRYPT) return MBEDTLS_ERR_GCM_BAD_INPUT;
    return Crypt(ctx, true, length, iv, iv_len, add, add_len, input, output, tag, tag_len);
}

int mbedtls_gcm_auth_decrypt(mbedtls_gcm_context* ctx, size_t length, const unsigned char* iv,
                             size_t iv_len, const unsigned char* add, size_t add_len,
                             const unsigned char* tag, size_t tag_len, const unsigned char* input,
                             unsigned char* output) {
    return Crypt(ctx, false, length, iv, iv_len, add, add_len, input, output,
                 const_cast<unsigned char*>(tag), tag_len);
}

// The piecewise calls: TLS records never use them.
int mbedtls_gcm_starts(mbedtls_gcm_context*, int, const unsigned char*, size_t,
                       const unsigned char*, size_t) {
    return MBEDTLS_ERR_GCM_BAD_INPUT;
}

int mbedtls_gcm_update(mbedtls_gcm_context*, size_t, const unsigned char*, unsigned char*) {
    return MBEDTLS_ERR_GCM_BAD_INPUT;
}

int mbedtls_gcm_finish(mbedtls_gcm_context*, unsigned char*, size_t) {
    return MBEDTLS_ERR_GCM_BAD_INPUT;
}

}  // extern "C"
