#ifndef CORVANE_GCM_ALT_H
#define CORVANE_GCM_ALT_H

/* The TLS library's AES-GCM is handed to the system's BCrypt (TlsGcm.cpp),
   whose implementation uses the processor's AES and carry-less multiply
   instructions on whole records: several times faster than the library's own
   block-by-block code. Only the one-shot calls that TLS records make work. */
typedef struct mbedtls_gcm_context {
    void* key; /* a BCRYPT_KEY_HANDLE */
} mbedtls_gcm_context;

#endif
