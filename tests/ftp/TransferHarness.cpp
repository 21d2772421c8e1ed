#include "TransferHarness.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/CWinApp.h"

namespace {

const wchar_t kRecorderClass[] = L"TransferRecorder";

bool IsProgress(UINT message) {
    return message == WM_DOWNLOAD_PROGRESS || message == WM_UPLOAD_PROGRESS;
}

bool IsError(UINT message) { return message == WM_DOWNLOAD_ERROR || message == WM_UPLOAD_ERROR; }

std::wstring TextOf(UINT message, WPARAM wParam) {
    if (IsProgress(message) || !wParam) return L"";
    return reinterpret_cast<const wchar_t*>(wParam);
}

}  // namespace

TransferRecorder::TransferRecorder() {
    RegisterProgramWindowClass(GetWinApp()->GetInstance(), kRecorderClass);
    Create(kRecorderClass, L"Transfer recorder", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
}

TransferRecorder::~TransferRecorder() { DestroyWnd(); }

LRESULT TransferRecorder::OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    bool fromWorker = (message >= WM_DOWNLOAD_FILE && message <= WM_DOWNLOAD_ERROR);
    if (!fromWorker) return BaseWnd::OnWindowMessage(handle, message, wParam, lParam);
    Event event = {message, TextOf(message, wParam), L"", {}};
    if (lParam) event.name = reinterpret_cast<const wchar_t*>(lParam);
    if (IsProgress(message)) memcpy(event.counters, reinterpret_cast<const void*>(wParam), 24);
    events.push_back(event);
    if (IsProgress(message) && onProgress) onProgress(event.counters);
    if (!IsError(message)) return 0;
    LRESULT answer = answers.empty() ? answerIgnore : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
}

std::vector<std::wstring> TransferRecorder::Texts(UINT message) const {
    std::vector<std::wstring> texts;
    for (const Event& event : events)
        if (event.message == message) texts.push_back(event.text);
    return texts;
}

std::vector<std::wstring> TransferRecorder::Names(UINT message) const {
    std::vector<std::wstring> names;
    for (const Event& event : events)
        if (event.message == message) names.push_back(event.name);
    return names;
}

int TransferRecorder::Count(UINT message) const { return static_cast<int>(Texts(message).size()); }

std::vector<DWORD> TransferRecorder::LastCounters(UINT message) const {
    std::vector<DWORD> counters(6, 0);
    for (const Event& event : events)
        if (event.message == message) counters.assign(event.counters, event.counters + 6);
    return counters;
}

bool PumpUntilIdle(FtpFS& engine, const std::vector<PromptAnswer>& prompts,
                   std::map<std::wstring, int>* answered) {
    return PumpUntil([&engine] { return !engine.IsBusy(); }, prompts, answered);
}

ItemList::ItemList(std::initializer_list<std::wstring> items) {
    for (const std::wstring& item : items) list.AddTail(new TransferItem(item.c_str()));
}

ItemList::~ItemList() { ClearTransferList(list); }

void TransferTest::SetUp() {
    if (!server.Load())
        GTEST_SKIP() << "the FTP fixture is not running: run the tests through scripts/test.sh";
    remoteFolder = WinePath(server.root) + L"\\" + TestFolderName();
    CreateDirectoryW(remoteFolder.c_str(), nullptr);
    ASSERT_EQ(S_OK, engine.Connect(server.host.c_str(), server.user.c_str(),
                                   server.password.c_str(), server.port));
    ASSERT_EQ(S_OK, engine.SetCurrentDir((L"/" + TestFolderName()).c_str()));
    startDir = CurrentDir();
}

std::wstring TransferTest::Remote(const std::wstring& relative) const {
    return remoteFolder + L"\\" + relative;
}

std::wstring TransferTest::CurrentDir() {
    wchar_t path[512] = L"";
    DWORD length = 512;
    engine.GetCurrentDir(path, &length);
    return path;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::filesystem::path file(path);
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    std::ofstream(file, std::ios::binary) << bytes;
}

std::vector<std::wstring> FilesBelow(const std::wstring& folder) {
    std::vector<std::wstring> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error))
        if (entry.is_regular_file())
            files.push_back(std::filesystem::relative(entry.path(), folder).wstring());
    return files;
}
