#pragma once

#include <windows.h>

#include <mbedtls/ctr_drbg.h>
#include <mbedtls/entropy.h>
#include <mbedtls/ssl.h>

#include <string>

// What one FTP connection's TLS connections share: the random generator, the
// client settings, the host name the certificate must name, and the control
// connection's session, which every data connection resumes (servers such as
// vsftpd refuse a data connection that does not). The certificate is checked
// by the system's own store (ServerCertificate), not by the library.
class TlsContext {
  public:
    TlsContext();
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    // Zero, or ERROR_INTERNET_SECURITY_CHANNEL_ERROR when no generator could be seeded.
    DWORD Start(const std::string& host);
    const mbedtls_ssl_config* Config() const { return &config_; }
    const std::string& Host() const { return host_; }
    void KeepSession(const mbedtls_ssl_context& ssl);
    const mbedtls_ssl_session* Session() const { return hasSession_ ? &session_ : nullptr; }

  private:
    std::string host_;
    mbedtls_entropy_context entropy_;
    mbedtls_ctr_drbg_context random_;
    mbedtls_ssl_config config_;
    mbedtls_ssl_session session_;
    bool hasSession_ = false;
};
