#include <atomic>
#include <random>
#include <thread>

#include "FtpServerTest.h"
#include "support/ScratchFolder.h"

class FtpCancel : public FtpServerTest {};

namespace {

// Reads the file to its end or its failure, checking every byte against the
// original, and closes it at once, as a worker does.
void ReadToEnd(HINTERNET file, const std::string& original, std::vector<char>& buffer,
               std::atomic<size_t>& got) {
    DWORD read = 0;
    while (InternetReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read) &&
           read > 0) {
        ASSERT_LE(got + read, original.size());
        ASSERT_EQ(0, memcmp(buffer.data(), original.data() + got, read)) << got;
        got += read;
    }
    InternetCloseHandle(file);  // fails when the canceller closed it first
}

}  // namespace

// Downloads just past the first megabyte, where the pump's thread takes over,
// each cancelled from another thread (FtpAbortFile, or closing the handle) at a
// random instant around the file's end while the reader finishes and closes:
// thousands of times without a crash, and only the file's own bytes read.
TEST_F(FtpCancel, CancelsAroundTheEndOfAFileNeverBreakTheProgram) {
    const size_t size = (1 << 20) + (96 << 10);
    ASSERT_TRUE(WriteTestFile(LocalPath(L"pumped"), size, 11));
    const std::string original = ReadBytes(LocalPath(L"pumped"));
    std::mt19937 random(20240521);
    std::vector<char> buffer;
    int rounds = 0, reconnections = 0;
    const ULONGLONG stopAt = GetTickCount64() + 50000;  // a bound on the test's length only
    for (; rounds < 3000 && GetTickCount64() < stopAt; ++rounds) {
        HINTERNET file = FtpOpenFileW(connection_, L"pumped", GENERIC_READ, 2, 1);
        if (!file) {  // an abort the server did not answer in time costs the connection
            ++reconnections;
            InternetCloseHandle(connection_);
            connection_ = Connect();
            ASSERT_NE(nullptr, connection_) << GetLastError();
            EnterOwnFolder(connection_);
            continue;
        }
        buffer.resize(random() % 2 ? kEngineBlock : 64 << 10);
        const size_t trigger = size - random() % (384 << 10);
        const unsigned spin = random() % 20000;
        const bool byClose = random() % 2;
        std::atomic<size_t> got{0};
        std::atomic<bool> finished{false};
        std::thread canceller([&] {
            while (got < trigger && !finished) SwitchToThread();
            for (volatile unsigned i = 0; i < spin; i = i + 1) {
            }
            byClose ? InternetCloseHandle(file) : FtpAbortFile(file);
        });
        ReadToEnd(file, original, buffer, got);
        finished = true;
        canceller.join();
        if (HasFatalFailure()) return;
    }
    printf("%d cancels, %d reconnections\n", rounds, reconnections);
}

// Closing a file or connection handle, or aborting a file, from another thread
// while a read is blocked on it only signals: it returns at once, and a close
// of the file returns before the blocked read, which then waits in vain for
// the server's answer to ABOR. (A close under a reply that never ends: the
// download worker's cancel on the dripping server.)
TEST_F(FtpCancel, ACloseFromAnotherThreadReturnsAtOnce) {
    ASSERT_TRUE(WriteTestFile(LocalPath(L"file"), 1000, 1));
    enum Closer { kCloseFile, kAbortFile, kCloseConnection };
    for (Closer closer : {kCloseFile, kAbortFile, kCloseConnection}) {
        SCOPED_TRACE(closer);
        HINTERNET connection =
            Connect(INTERNET_FLAG_PASSIVE, FixturePort("CORVANE_FTP_FALLING_SILENT_PORT"));
        ASSERT_NE(nullptr, connection) << GetLastError();
        EnterOwnFolder(connection);
        HINTERNET file = FtpOpenFileW(connection, L"file", GENERIC_READ, 2, 1);
        ASSERT_NE(nullptr, file);
        std::atomic<ULONGLONG> returnedAt{0};
        long error = NO_ERROR;
        std::thread caller([&] {
            char block[512];
            DWORD count = 0;
            error = FailureOf(InternetReadFile(file, block, sizeof(block), &count));
            returnedAt = GetTickCount64();
        });
        Sleep(300);  // for the call to block; the outcome does not depend on it
        ULONGLONG closedAt = 0;
        double seconds = SecondsFor([&] {
            if (closer == kAbortFile)
                FtpAbortFile(file);
            else
                InternetCloseHandle(closer == kCloseFile ? file : connection);
            closedAt = GetTickCount64();
        });
        caller.join();
        EXPECT_EQ(ERROR_INTERNET_OPERATION_CANCELLED, error);
        EXPECT_LT(seconds, 2.0);
        EXPECT_TRUE(closer != kCloseFile || closedAt <= returnedAt) << "the close waited";
        if (closer == kAbortFile) InternetCloseHandle(file);
        if (closer != kCloseConnection) InternetCloseHandle(connection);
    }
}
