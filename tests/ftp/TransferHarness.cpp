#include "TransferHarness.h"

#include "ftp/TransferWalk.h"

TransferRecorder::TransferRecorder() {
    RegisterProgramWindowClass(GetWinApp()->GetInstance(), L"TransferRecorder");
    Create(L"TransferRecorder", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
}

LRESULT TransferRecorder::OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP_DOWNLOAD_ERROR || message == WM_APP_UPLOAD_ERROR) {
        AnswerFailure(message, lParam);
        return 0;
    }
    if (prompts.Handle(message, lParam)) return 0;
    bool told = message == WM_APP_DOWNLOAD_NAME_MAPPED || message == WM_APP_UPLOAD_NAME_MAPPED ||
                message == WM_APP_DOWNLOAD_ITEM_FAILED || message == WM_APP_UPLOAD_ITEM_FAILED;
    if (!told && (message < WM_APP_DOWNLOAD_FILE || message > WM_APP_UPLOAD_ENDED))
        return BaseWnd::OnWindowMessage(handle, message, wParam, lParam);
    const auto& d = *reinterpret_cast<const DownloadCounters*>(wParam);
    const auto& u = *reinterpret_cast<const UploadCounters*>(wParam);
    bool progress = message == WM_APP_DOWNLOAD_PROGRESS || message == WM_APP_UPLOAD_PROGRESS;
    Event event = {message, L"", L"", {}};
    if (message == WM_APP_DOWNLOAD_PROGRESS)
        event.progress = {d.filesDone, d.foldersEntered,  d.totalBytes,      d.currentFileBytes,
                          d.failures,  d.run.connections, d.currentFileSize, LineBytes(d.run)};
    else if (message == WM_APP_UPLOAD_PROGRESS)
        event.progress = {u.filesDone, u.foldersCreated,  u.totalBytes,      u.currentFileBytes,
                          u.failures,  u.run.connections, u.currentFileSize, LineBytes(u.run)};
    else if (wParam)
        event.text = reinterpret_cast<const wchar_t*>(wParam);
    if (lParam) event.name = reinterpret_cast<const wchar_t*>(lParam);
    events.push_back(event);
    if (progress && onProgress) onProgress(event.progress);
    return 0;
}

std::map<std::wstring, ULONGLONG> TransferRecorder::LineBytes(const RunTotals& run) {
    std::map<std::wstring, ULONGLONG> lines;
    for (DWORD line = 0; line < run.connections && line < kMaxTransferConnections; ++line)
        lines[run.lines[line].file] = run.lines[line].fileBytes;
    return lines;
}

void TransferRecorder::AnswerFailure(UINT message, LPARAM posted) {
    PromptRequest::Shared request = PromptRequest::Take(posted);
    events.push_back({message, request->GetText(), L"", {}});
    LRESULT answer = answers.empty() ? answerIgnore : answers.front();
    if (!answers.empty()) answers.pop_front();
    request->Answer(static_cast<DWORD>(answer), false);
}

Names TransferRecorder::Collect(UINT message, std::wstring Event::*field) const {
    Names values;
    for (const Event& event : events)
        if (event.message == message) values.push_back(event.*field);
    return values;
}

const TransferRecorder::Progress& TransferRecorder::LastProgress(UINT message) const {
    static const Progress none = {};
    for (auto event = events.rbegin(); event != events.rend(); ++event)
        if (event->message == message) return event->progress;
    return none;
}

void TransferTest::SetUp() {
    TransferWalk::SetReportInterval(0);  // every file notice, in the walk's order
    ASSERT_TRUE(server.Load()) << kFixtureMissing;
    remote = WinePath(server.root) + L"\\" + TestFolderName();
    CreateDirectoryW(remote.c_str(), nullptr);
    ASSERT_EQ(S_OK, LoginInFolder(engine));
    startDir = CurrentDir();
}

std::wstring TransferTest::CurrentDir() {
    wchar_t path[512] = L"";
    DWORD length = 512;
    engine.GetCurrentDir(path, &length);
    return path;
}

HRESULT TransferTest::Start(bool upload, const Names& items, const std::wstring& target,
                            RemoteFS* through) {
    RemoteFS& engine = through ? *through : this->engine;
    TransferList list;
    for (const std::wstring& item : items)
        list.AddTail(
            new TransferItem(upload ? (item[0] + Local(item.substr(1))).c_str() : item.c_str()));
    HRESULT result = upload ? engine.StartUpload(list, recorder.GetHandle())
                            : engine.StartDownload(list, target.c_str(), recorder.GetHandle());
    ClearTransferList(list);
    return result;
}

HRESULT TransferTest::Transfer(bool upload, const Names& items, const std::wstring& target,
                               RemoteFS* through) {
    HRESULT result = Start(upload, items, target, through);
    RemoteFS& engine = through ? *through : this->engine;
    EXPECT_TRUE(PumpUntil([&engine] { return !engine.IsBusy(); }));
    return result;
}

HRESULT TransferTest::Login(FtpFS& ftp, WORD port) {
    return ftp.Connect(server.host.c_str(), server.user.c_str(), server.password.c_str(),
                       port ? port : server.port);
}

bool TransferTest::ConnectHostile(FtpFS& hostile) {
    return Login(hostile, FixturePort("CORVANE_FTP_HOSTILE_PORT")) == S_OK;
}

bool TransferTest::ConnectVsftpd(FtpFS& vsftpd, std::wstring& onServer) {
    std::string root;
    if (!FixtureVariable("CORVANE_VSFTPD_ROOT", root)) return false;
    onServer = WinePath(root) + L"\\pub\\" + TestFolderName();
    std::wstring folder = L"pub/" + TestFolderName();
    WORD port = FixturePort("CORVANE_VSFTPD_PORT");
    return vsftpd.Connect(L"127.0.0.1", L"anonymous", L"guest@", port) == S_OK &&
           vsftpd.CreateRemoteDir(folder.c_str()) && vsftpd.SetCurrentDir(folder.c_str()) == S_OK;
}
