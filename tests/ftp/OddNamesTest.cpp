#include <algorithm>

#include "TransferHarness.h"

namespace {

using OddNamesTest = TransferTest;

// Each file as the server names it and as it lies below the local folder.
const std::pair<std::wstring, std::wstring> kTree[] = {
    {L"a:b", L"a%3Ab"},     {L"<|>?*\"\t", L"%3C%7C%3E%3F%2A%22%09"},
    {L"dot.", L"dot%2E"},   {L"blank ", L"blank%20"},
    {L"CON", L"CO%4E"},     {L"nul.txt", L"nu%6C.txt"},
    {L"50%?", L"50%25%3F"}, {L"a%3Ab", L"a%253Ab"},
    {L"100%", L"100%"},     {L"sub:dir./LPT1", L"sub%3Adir%2E\\LPT%31"}};

// A different length and sequence per file; the first is empty.
std::string Content(size_t index) { return TestBytes(index * 1531, unsigned(index)); }

// The name reports of one message as "remote | local", sorted.
Names Reports(const TransferRecorder& recorder, UINT message) {
    Names reports;
    for (const auto& event : recorder.events)
        if (event.message == message) reports.push_back(event.text + L" | " + event.name);
    std::sort(reports.begin(), reports.end());
    return reports;
}

}  // namespace

// Down, up into another folder and down again: every odd name comes down under
// its mapped local name, each mapping is reported both ways, and the second
// copy matches the first name for name and byte for byte. Local names are one
// to one, so the server's second tree has the first one's names.
TEST_F(OddNamesTest, ATreeOfOddNamesComesDownMappedAndGoesBackUnderItsOwnNames) {
    ASSERT_TRUE(engine.CreateRemoteDir(L"odd") && engine.CreateRemoteDir(L"odd/sub:dir."));
    Names files;
    for (size_t i = 0; i < std::size(kTree); ++i) {
        std::string bytes = Content(i);
        RemoteFileHandle file =
            engine.OpenRemoteFile((L"odd/" + kTree[i].first).c_str(), GENERIC_WRITE,
                                  FTP_TRANSFER_TYPE_BINARY, 0, nullptr);
        ASSERT_TRUE(file && (i == 0 || file->Write(bytes.data(), DWORD(bytes.size()))));
        ASSERT_TRUE(file->Close());
        files.push_back(kTree[i].second);
    }
    std::sort(files.begin(), files.end());
    auto cameDown = [&](const std::wstring& folder) {
        EXPECT_EQ(files, FilesBelow(Local(folder)));
        for (size_t i = 0; i < std::size(kTree); ++i)
            EXPECT_EQ(Content(i), ReadBytes(Local(folder + L"\\" + kTree[i].second)));
    };
    const Names reports = {L"50%? | 50%25%3F",     L"<|>?*\"\t | %3C%7C%3E%3F%2A%22%09",
                           L"CON | CO%4E",         L"LPT1 | LPT%31",
                           L"a%3Ab | a%253Ab",     L"a:b | a%3Ab",
                           L"blank  | blank%20",   L"dot. | dot%2E",
                           L"nul.txt | nu%6C.txt", L"sub:dir. | sub%3Adir%2E"};

    EXPECT_EQ(S_OK, Download({L"Dodd"}));
    cameDown(L"odd");
    EXPECT_EQ(reports, Reports(recorder, WM_APP_DOWNLOAD_NAME_MAPPED));
    ASSERT_TRUE(engine.CreateRemoteDir(L"back") && engine.SetCurrentDir(L"back") == S_OK);
    EXPECT_EQ(S_OK, Upload({L"Dodd"}));
    EXPECT_EQ(reports, Reports(recorder, WM_APP_UPLOAD_NAME_MAPPED));
    local.MakeFolder(L"again");
    EXPECT_EQ(S_OK, Download({L"Dodd"}, L"again"));
    cameDown(L"again\\odd");
    EXPECT_EQ(Names{}, recorder.TextsOf(WM_APP_DOWNLOAD_ERROR));
    EXPECT_EQ(Names{}, recorder.TextsOf(WM_APP_UPLOAD_ERROR));
}
