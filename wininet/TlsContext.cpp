#include "wininet/TlsContext.h"

#include <wininet.h>

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
    return 0;
}

void TlsContext::KeepSession(const mbedtls_ssl_context& ssl) {
    mbedtls_ssl_session_free(&session_);
    mbedtls_ssl_session_init(&session_);
    hasSession_ = mbedtls_ssl_get_session(&ssl, &session_) == 0;
}
