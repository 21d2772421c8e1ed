#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "TransferHarness.h"

namespace {

using OddNamesTest = TransferTest;
using Tree = std::map<std::wstring, std::string>;  // path ("/" between folders) to bytes

// A file of the tree as the server names it and as it lies on the local disk.
struct OddFile {
    std::wstring remote, local;
};

const OddFile kTree[] = {
    {L"a:b", L"a%3Ab"},
    {L"what?", L"what%3F"},
    {L"star*", L"star%2A"},
    {L"pipe|", L"pipe%7C"},
    {L"<angle>", L"%3Cangle%3E"},
    {L"say \"hi\"", L"say %22hi%22"},
    {L"tab\tname", L"tab%09name"},
    {L"dot.", L"dot%2E"},
    {L"blank ", L"blank%20"},
    {L"CON", L"CO%4E"},
    {L"nul.txt", L"nu%6C.txt"},
    {L"com1.tar.gz", L"com%31.tar.gz"},
    {L"50% off?", L"50%25 off%3F"},
    {L"a%3Ab", L"a%253Ab"},
    {L"plain 100%", L"plain 100%"},
    {L"sub:dir./LPT1", L"sub%3Adir%2E/LPT%31"},
    {L"sub:dir./in?side", L"sub%3Adir%2E/in%3Fside"},
    {L"AUX/fine.txt", L"AU%58/fine.txt"},
};
// The mapped folders, as the workers report them: remote name, then local name.
const wchar_t* const kFolderReports[] = {L"sub:dir. | sub%3Adir%2E", L"AUX | AU%58"};

// Bytes of every value, a different length per file; the first is empty.
std::string Content(size_t index) {
    std::string bytes(index * 1531, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31 + index);
    return bytes;
}

std::wstring Leaf(const std::wstring& path) { return path.substr(path.rfind(L'/') + 1); }

std::wstring WithBackslashes(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

void Store(FtpFS& ftp, const std::wstring& name, const std::string& bytes) {
    HINTERNET file = ftp.OpenRemoteFile(name.c_str(), GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY);
    ASSERT_NE(nullptr, file) << name;
    DWORD written = 0;
    EXPECT_TRUE(bytes.empty() ||
                InternetWriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written));
    EXPECT_TRUE(InternetCloseHandle(file)) << name;
}

std::string Fetch(FtpFS& ftp, const std::wstring& name) {
    HINTERNET file = ftp.OpenRemoteFile(name.c_str(), GENERIC_READ, FTP_TRANSFER_TYPE_BINARY);
    EXPECT_NE(nullptr, file) << name;
    std::string bytes;
    char block[4096];
    DWORD count = 0;
    while (file && InternetReadFile(file, block, sizeof block, &count) && count)
        bytes.append(block, count);
    if (file) {
        EXPECT_TRUE(InternetCloseHandle(file)) << name;
    }
    return bytes;
}

// Every file below the engine's current folder, read through the engine itself:
// the test's own file functions could not name these files.
void ReadTree(FtpFS& ftp, const std::wstring& prefix, Tree& tree) {
    std::vector<std::wstring> files, folders;
    WIN32_FIND_DATAW data;
    HRESULT found = ftp.FindFirst(&data, nullptr, INTERNET_FLAG_NO_CACHE_WRITE);
    for (; SUCCEEDED(found); found = ftp.FindNext(&data))
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? folders : files)
            .push_back(data.cFileName);
    ftp.FindClose();
    for (const std::wstring& file : files) tree[prefix + file] = Fetch(ftp, file);
    for (const std::wstring& folder : folders) {
        ASSERT_EQ(S_OK, ftp.SetCurrentDir(folder.c_str())) << folder;
        ReadTree(ftp, prefix + folder + L"/", tree);
        ASSERT_EQ(S_OK, ftp.SetCurrentDir(L".."));
    }
}

Tree ReadRemoteFolder(FtpFS& ftp, const std::wstring& folder) {
    Tree tree;
    EXPECT_EQ(S_OK, ftp.SetCurrentDir(folder.c_str()));
    ReadTree(ftp, L"", tree);
    EXPECT_EQ(S_OK, ftp.SetCurrentDir(L".."));
    return tree;
}

// The name reports of one message as "remote | local", sorted.
Names Reports(const TransferRecorder& recorder, UINT message) {
    Names reports;
    for (const auto& event : recorder.events)
        if (event.message == message) reports.push_back(event.text + L" | " + event.name);
    std::sort(reports.begin(), reports.end());
    return reports;
}

}  // namespace

// Down and up again into another folder: every odd name comes down under its
// mapped local name, is reported once, and goes back up as it was, every byte kept.
TEST_F(OddNamesTest, ATreeOfOddNamesComesDownMappedAndGoesBackUnderItsOwnNames) {
    Tree tree;
    Names localFiles, reports(std::begin(kFolderReports), std::end(kFolderReports));
    for (const wchar_t* folder : {L"odd", L"odd/sub:dir.", L"odd/AUX"})
        ASSERT_TRUE(engine.CreateRemoteDir(folder)) << folder;
    for (size_t i = 0; i < std::size(kTree); ++i) {
        const OddFile& file = kTree[i];
        tree[file.remote] = Content(i);
        Store(engine, L"odd/" + file.remote, tree[file.remote]);
        localFiles.push_back(WithBackslashes(file.local));
        if (Leaf(file.remote) != Leaf(file.local))
            reports.push_back(Leaf(file.remote) + L" | " + Leaf(file.local));
    }
    std::sort(localFiles.begin(), localFiles.end());
    std::sort(reports.begin(), reports.end());
    ASSERT_EQ(tree, ReadRemoteFolder(engine, L"odd"));  // the server holds the names as given

    EXPECT_EQ(S_OK, Download({L"Dodd"}));
    EXPECT_EQ(Names{}, recorder.TextsOf(WM_APP_DOWNLOAD_ERROR));
    EXPECT_EQ(localFiles, FilesBelow(Local(L"odd")));
    for (size_t i = 0; i < std::size(kTree); ++i)
        EXPECT_EQ(tree[kTree[i].remote],
                  ReadBytes(Local(L"odd\\" + WithBackslashes(kTree[i].local))))
            << kTree[i].local;
    EXPECT_EQ(reports, Reports(recorder, WM_APP_DOWNLOAD_NAME_MAPPED));

    ASSERT_TRUE(engine.CreateRemoteDir(L"back"));
    ASSERT_EQ(S_OK, engine.SetCurrentDir(L"back"));
    EXPECT_EQ(S_OK, Upload({L"Dodd"}));
    EXPECT_EQ(Names{}, recorder.TextsOf(WM_APP_UPLOAD_ERROR));
    EXPECT_EQ(tree, ReadRemoteFolder(engine, L"odd"));
    EXPECT_EQ(reports, Reports(recorder, WM_APP_UPLOAD_NAME_MAPPED));
}
