#include "wininet/TlsContext.h"

#include <wininet.h>

#include <mbedtls/gcm.h>
#include <mbedtls/ssl_ciphersuites.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Whether the system offers the AES-GCM the library hands to it (TlsGcm.cpp).
bool HasAesGcm() {
    static const bool available = [] {
        const unsigned char key[16] = {};
        mbedtls_gcm_context context;
        mbedtls_gcm_init(&context);
        bool works = mbedtls_gcm_setkey(&context, MBEDTLS_CIPHER_ID_AES, key, 128) == 0;
        mbedtls_gcm_free(&context);
        return works;
    }();
    return available;
}

// AES-GCM first where the system provides it, being the fastest the processor
// offers, then the library's other suites in its own order; the GCM suites of
// other ciphers never, nor AES-GCM without the system's.
const std::vector<int>& PreferredSuites() {
    static const std::vector<int> suites = [] {
        std::vector<int> list;
        if (HasAesGcm())
            list = {MBEDTLS_TLS_ECDHE_ECDSA_WITH_AES_128_GCM_SHA256,
                    MBEDTLS_TLS_ECDHE_RSA_WITH_AES_128_GCM_SHA256,
                    MBEDTLS_TLS_ECDHE_ECDSA_WITH_AES_256_GCM_SHA384,
                    MBEDTLS_TLS_ECDHE_RSA_WITH_AES_256_GCM_SHA384};
        for (const int* suite = mbedtls_ssl_list_ciphersuites(); *suite; ++suite) {
            const char* name = mbedtls_ssl_get_ciphersuite_name(*suite);
            bool gcm = strstr(name, "GCM") != nullptr;
            if (gcm && (!HasAesGcm() || !strstr(name, "AES"))) continue;
            if (std::find(list.begin(), list.end(), *suite) == list.end()) list.push_back(*suite);
        }
        list.push_back(0);
        return list;
    }();
    return suites;
}

}  // namespace

TlsContext::TlsContext() {
    mbedtls_entropy_init(&entropy_);
    mbedtls_ctr_drbg_init(&random_);
    mbedtls_ssl_config_init(&config_);
    mbedtls_ssl_session_init(&session_);
}

TlsContext::~TlsContext() {
    mbedtls_ssl_session_free(&session_);
    mbedtls_ssl_config_free(&config_);
    mbedtls_ctr_drbg_free(&random_);
    mbedtls_entropy_free(&entropy_);
}

DWORD TlsContext::Start(const std::string& host) {
    host_ = host;
    static const unsigned char kPersonal[] = "corvane ftp tls";
    if (mbedtls_ctr_drbg_seed(&random_, mbedtls_entropy_func, &entropy_, kPersonal,
                              sizeof(kPersonal)) != 0 ||
        mbedtls_ssl_config_defaults(&config_, MBEDTLS_SSL_IS_CLIENT, MBEDTLS_SSL_TRANSPORT_STREAM,
                                    MBEDTLS_SSL_PRESET_DEFAULT) != 0)
        return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    mbedtls_ssl_conf_rng(&config_, mbedtls_ctr_drbg_random, &random_);
    mbedtls_ssl_conf_min_version(&config_, MBEDTLS_SSL_MAJOR_VERSION_3,
                                 MBEDTLS_SSL_MINOR_VERSION_3);
    // The chain is judged afterwards against the system's roots, where the
    // user can also be asked; the library only keeps it.
    mbedtls_ssl_conf_authmode(&config_, MBEDTLS_SSL_VERIFY_NONE);
    mbedtls_ssl_conf_ciphersuites(&config_, PreferredSuites().data());
    return 0;
}

void TlsContext::KeepSession(const mbedtls_ssl_context& ssl) {
    mbedtls_ssl_session_free(&session_);
    mbedtls_ssl_session_init(&session_);
    hasSession_ = mbedtls_ssl_get_session(&ssl, &session_) == 0;
}
