// Times one download and one upload through the program's own path: the FTP
// view's Download command and its upload entry, the worker threads, and the
// progress panels they report to, shown in a frame on the display.
//
// usage: program_transfer_bench host port user password remote-entry local-folder upload-entry
//        [remote-folder [authority.pem]]
// The remote file or folder lands in local-folder; the local file or folder upload-entry goes
// to the server's start folder, or to remote-folder when given (the view opens it first).
// With an authority, the connection requires FTP over TLS and certificates that authority
// issued are trusted, as a public authority's would be. With CORVANE_BENCH_SFTP_KEY set
// (bench/BenchFrame.h), the view talks SFTP and logs in with that key; password is unused.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// After windows.h, which brings the types it needs.
#include <wincrypt.h>

#include <cstdio>
#include <string>
#include <functional>

#include "bench/BenchFrame.h"

namespace {

const DWORD kTimeoutMs = 30 * 60 * 1000;

double SecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER end, frequency;
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

// Serves the user-interface thread, as the program's loop would, until the panel shows Done.
bool ServeUntilDone(ProgressPanel& panel) {
    DWORD start = GetTickCount();
    while (!(panel.GetHandle() && IsWindowVisible(panel.GetItem(IDOK)))) {
        if (GetTickCount() - start > kTimeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}

bool Time(const char* what, ProgressPanel& panel, const std::function<void()>& start) {
    LARGE_INTEGER begin;
    QueryPerformanceCounter(&begin);
    start();
    if (!ServeUntilDone(panel)) {
        fprintf(stderr, "%s did not end\n", what);
        return false;
    }
    printf("%s %.3f s\n", what, SecondsSince(begin));
    fflush(stdout);  // a trace taken beside the run splits at this line
    // Done, as the user would press it: the panel goes and the list is read again.
    SendMessageW(panel.GetHandle(), WM_COMMAND, IDOK, 0);
    return true;
}

// False when the list has no row of that name.
bool SelectOnly(ListViewCtl& list, const wchar_t* name) {
    bool found = false;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        wchar_t text[512] = L"";
        ListView_GetItemText(list.GetHandle(), row, 0, text, 512);
        bool match = wcscmp(text, name) == 0;
        found = found || match;
        list.SetItemState(row, match ? LVIS_SELECTED : 0, LVIS_SELECTED);
    }
    return found;
}

bool TrustAuthority(const wchar_t* path) {
    FILE* file = _wfopen(path, L"rb");
    if (!file) return false;
    std::string pem(64 * 1024, '\0');
    pem.resize(fread(&pem[0], 1, pem.size(), file));
    fclose(file);
    BYTE der[8192];
    DWORD size = sizeof(der);
    return CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()),
                                CRYPT_STRING_BASE64HEADER, der, &size, nullptr, nullptr) &&
           CertAddEncodedCertificateToSystemStoreW(L"Root", der, size);
}

}  // namespace

int main() {
    // Each line as it is printed: a run that never ends still shows how far it came.
    setvbuf(stdout, nullptr, _IONBF, 0);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 8 || argc > 10) {
        fprintf(stderr,
                "usage: program_transfer_bench host port user password remote-entry "
                "local-folder upload-entry [remote-folder [authority.pem]]\n");
        return 2;
    }
    bool tls = argc == 10;
    if (tls && !TrustAuthority(argv[9])) {
        fprintf(stderr, "cannot trust the authority\n");
        return 2;
    }
    FtpClientApp app;
    // The stored options, as the program reads them at start-up: the number of
    // simultaneous transfers among them.
    app.registry.SetMakerKey(L"Ostrel");
    app.registry.SetProductKey(L"Corvane");
    if (app.registry.Open()) app.options.Load(app.registry);
    printf("connections %lu\n", static_cast<unsigned long>(app.options.GetConnections()));
    app.options.SetExistingFileOption(2);         // overwrite: no prompt between rounds
    app.options.SetTransferType(transferBinary);  // nor one per file
    // Passive data connections, as lftp and curl use them: in active mode every
    // file waits for the server to connect back, which costs vsftpd some 2 ms a
    // file whichever client asks.
    app.options.SetUsePassive(true);
    if (!StartBenchFrame(app, 480, 640)) return 1;
    app.frame.GetLocalView()->SetCurrentPath(argv[6]);

    FtpBrowseWnd* view =
        OpenBenchView(app, argv[1], argv[2], argv[3], argv[4], tls ? kRequireTls : kPlainFtp);
    if (!view) return 1;
    if (argc >= 9) view->OpenFolder(argv[8]);
    WaitForView(*view);
    DWORD uploadAttributes = GetFileAttributesW(argv[7]);
    wchar_t uploadType =
        uploadAttributes != INVALID_FILE_ATTRIBUTES && (uploadAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ? L'D'
            : L'F';

    bool ok = Time("download", view->GetDownloadPanel(), [&] {
        if (!SelectOnly(view->GetFileList(), argv[5])) {
            fprintf(stderr, "the FTP view lists no %ls\n", argv[5]);
            exit(1);
        }
        view->OnContextCommand(0, 0, IDM_DOWNLOAD);
    });
    ok = ok && Time("upload", view->GetUploadPanel(), [&] {
             PtrList<WString*> items;
             WString item = MakeTransferItem(uploadType, argv[7]);
             items.AddTail(&item);
             view->StartUpload(items);
         });
    // File > Quit, as a user ends the program: the views and their threads go
    // before the application object does.
    app.frame.HandleCommand(IDM_QUIT, 0, 0);
    return ok ? 0 : 1;
}
