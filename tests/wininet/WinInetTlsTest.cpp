#include "FtpServerTest.h"

namespace {

// What the certificate question saw, and how it answers.
struct CertificateQuestion {
    int asked = 0;
    DWORD error = 0;
    std::wstring subject, sha256;
    BOOL answer = FALSE;
    bool refused = false;  // the server refused AUTH TLS
    int plainAsked = 0;    // whether to log in in the clear, asked only when TLS is not required
} question;

void CALLBACK Answer(HINTERNET, DWORD_PTR, DWORD status, LPVOID information, DWORD) {
    if (status == INTERNET_STATUS_FTP_TLS_REFUSED) question.refused = true;
    if (status == INTERNET_STATUS_FTP_TLS_REFUSED && information) {
        ++question.plainAsked;
        static_cast<FTP_PLAIN_LOGIN*>(information)->accept = FALSE;
    }
    if (status != INTERNET_STATUS_FTP_CERTIFICATE) return;
    auto* certificate = static_cast<FTP_SERVER_CERTIFICATE*>(information);
    ++question.asked;
    question.error = certificate->error;
    question.subject = certificate->subject;
    question.sha256 = certificate->sha256;
    certificate->accept = question.answer;
}

DWORD SecurityFlags(HINTERNET connection) {
    DWORD flags = 0, size = sizeof(flags);
    return InternetQueryOptionW(connection, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size) ? flags
                                                                                           : ~0u;
}

}  // namespace

class FtpTls : public FtpServerTest {
  protected:
    void SetUp() override {
        FtpServerTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(TrustTestAuthority());
        InternetSetStatusCallbackW(session_, Answer);
        question = CertificateQuestion();
    }
};

// Each certificate the system's roots do not vouch for is asked about before
// the login; refused, the connection ends with the reason and no password was
// sent (the last reply is still the one to AUTH TLS).
TEST_F(FtpTls, CertificatesAreAskedAboutUnlessTheSystemVouchesForThem) {
    struct Case {
        const char* portVariable;
        LPCWSTR host;
        DWORD reason;  // 0: trusted, no question
    } cases[] = {
        {"CORVANE_FTPS_TRUSTED_PORT", L"localhost", 0},
        {"CORVANE_FTPS_TRUSTED_PORT", L"127.0.0.1", ERROR_INTERNET_SEC_CERT_CN_INVALID},
        {"CORVANE_FTPS_SELFSIGNED_PORT", L"localhost", ERROR_INTERNET_INVALID_CA},
        {"CORVANE_FTPS_EXPIRED_PORT", L"localhost", ERROR_INTERNET_SEC_CERT_DATE_INVALID},
        // Its issuer's name is a trusted root's, its signature is not.
        {"CORVANE_FTPS_IMPOSTOR_PORT", L"localhost", ERROR_INTERNET_INVALID_CA},
    };
    for (const Case& test : cases) {
        REQUIRE_FIXTURE_VARIABLE(port, test.portVariable);
        SCOPED_TRACE(std::string(test.portVariable) + " " + std::to_string(test.reason));
        for (BOOL answer : {FALSE, TRUE}) {
            question = CertificateQuestion();
            question.answer = answer;
            HINTERNET connection =
                ConnectAs(server_.user.c_str(), server_.password.c_str(), PortFrom(port),
                          INTERNET_FLAG_PASSIVE | INTERNET_FLAG_FTP_TLS_REQUIRED, test.host);
            DWORD error = connection ? 0 : GetLastError();
            EXPECT_EQ(test.reason ? 1 : 0, question.asked);
            if (test.reason && !answer) {
                EXPECT_EQ(test.reason, error);
                EXPECT_EQ(234u, LastReplyCode());
                continue;
            }
            ASSERT_NE(nullptr, connection) << error;
            if (test.reason) {
                EXPECT_EQ(test.reason, question.error);
                EXPECT_NE(std::wstring::npos, question.subject.find(L"localhost"));
                EXPECT_EQ(95u, question.sha256.size()) << question.sha256.c_str();
            }
            EXPECT_EQ(DWORD(SECURITY_FLAG_SECURE), SecurityFlags(connection));
            EXPECT_FALSE(List(connection, L"/").empty());  // a data connection over TLS
            InternetCloseHandle(connection);
        }
    }
}

// "Required" against a server that refuses AUTH TLS fails without asking to
// go on in the clear, and a handshake that fails is never followed by a plain
// login. ("If available" against a refusing server, asked and answered either
// way, runs through ConnectTest, which counts the passwords the server took.)
TEST_F(FtpTls, ARequiredOrFailedHandshakeNeverGoesOnInTheClear) {
    EXPECT_EQ(ERROR_INTERNET_SECURITY_CHANNEL_ERROR,
              FailureOf(Connect(INTERNET_FLAG_PASSIVE | INTERNET_FLAG_FTP_TLS_REQUIRED)));
    EXPECT_TRUE(question.refused);
    EXPECT_EQ(0, question.plainAsked);
    for (DWORD mode :
         {DWORD(INTERNET_FLAG_FTP_TLS_REQUIRED), DWORD(INTERNET_FLAG_FTP_TLS_IF_AVAILABLE)}) {
        question = CertificateQuestion();
        double seconds = SecondsFor([&] {
            EXPECT_EQ(ERROR_INTERNET_SECURITY_CHANNEL_ERROR,
                      FailureOf(Connect(INTERNET_FLAG_PASSIVE | mode,
                                        FixturePort("CORVANE_FTPS_BROKEN_PORT"))));
        });
        EXPECT_FALSE(question.refused);
        EXPECT_LT(seconds, 5.0);
    }
}

// A data connection that ends without close_notify may have been cut short:
// the data that came is delivered, then the download fails, whatever the
// server's final reply claims.
TEST_F(FtpTls, DownloadCutWithoutCloseNotifyFails) {
    HINTERNET connection =
        ConnectAs(L"user", L"secret", FixturePort("CORVANE_FTPS_DROPPING_PORT"),
                  INTERNET_FLAG_PASSIVE | INTERNET_FLAG_FTP_TLS_REQUIRED, L"localhost");
    ASSERT_NE(nullptr, connection) << GetLastError();
    HINTERNET file = FtpOpenFileW(connection, L"cut", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 1);
    ASSERT_NE(nullptr, file) << GetLastError();
    char block[8192];
    DWORD read = 0, total = 0;
    BOOL ok;
    while ((ok = InternetReadFile(file, block, sizeof(block), &read)) && read > 0) total += read;
    EXPECT_FALSE(ok);
    EXPECT_EQ(DWORD(ERROR_INTERNET_CONNECTION_ABORTED), GetLastError());
    EXPECT_EQ(100000u, total + read);  // the failing call still hands over what came
    InternetCloseHandle(file);
    InternetCloseHandle(connection);
}

// Each data connection must show the control connection's certificate: one
// that shows another fails its listing or download with an error of its own,
// and the connection goes on.
TEST_F(FtpTls, DataConnectionWithAnotherCertificateFailsItsTransfer) {
    HINTERNET connection = ConnectAs(
        server_.user.c_str(), server_.password.c_str(), FixturePort("CORVANE_FTPS_OTHER_DATA_PORT"),
        INTERNET_FLAG_PASSIVE | INTERNET_FLAG_FTP_TLS_REQUIRED, L"localhost");
    ASSERT_NE(nullptr, connection) << GetLastError();
    EXPECT_EQ(0, question.asked);
    WIN32_FIND_DATAW entry = {};
    EXPECT_EQ(ERROR_FTP_DATA_CERTIFICATE_MISMATCH,
              FailureOf(FtpFindFirstFileW(connection, L"/", &entry, 0, 0)));
    EXPECT_EQ(ERROR_FTP_DATA_CERTIFICATE_MISMATCH,
              FailureOf(FtpOpenFileW(connection, (L"/" + folder_ + L"/sent").c_str(), GENERIC_WRITE,
                                     FTP_TRANSFER_TYPE_BINARY, 0)));
    EXPECT_TRUE(FtpSetCurrentDirectoryW(connection, (L"/" + folder_).c_str()));
    InternetCloseHandle(connection);
}
