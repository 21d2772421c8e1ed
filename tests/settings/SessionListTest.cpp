#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "RegistryTest.h"
#include "settings/SessionList.h"
#include "support/TestSession.h"

namespace {

using SessionListTest = RegistryTest;

// The scratch key as the registry writes it to disk (RegSaveKey writes the
// format of the prefix's user.reg), read back whole.
std::string KeyAsWritten(const wchar_t* path) {
    HANDLE token = nullptr;
    TOKEN_PRIVILEGES backup = {1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) {
        LookupPrivilegeValueW(nullptr, SE_BACKUP_NAME, &backup.Privileges[0].Luid);
        AdjustTokenPrivileges(token, FALSE, &backup, 0, nullptr, nullptr);
        CloseHandle(token);
    }
    wchar_t folder[MAX_PATH], file[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"reg", 0, file);
    DeleteFileW(file);
    HKEY key = nullptr;
    std::string written;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        if (RegSaveKeyW(key, file, nullptr) == ERROR_SUCCESS) {
            std::ifstream in(file, std::ios::binary);
            written.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        RegCloseKey(key);
    }
    DeleteFileW(file);
    return written;
}

}  // namespace

TEST(SessionList, NamesAreExactAndNeverShareARegistryKey) {
    SessionList list;
    EXPECT_TRUE(list.AddIfAbsent(MakeSession(L"Home")));
    // Taken; differing in case only (registry key names ignore case, so both
    // would be saved into one key); or no key name of its own.
    for (const std::wstring& refused :
         {std::wstring(L"Home"), std::wstring(L"home"), std::wstring(), std::wstring(L"dir\\sub"),
          std::wstring(256, L'x')})
        EXPECT_FALSE(list.AddIfAbsent(MakeSession(refused, L"host.example", 2121))) << refused;
    ASSERT_EQ(1u, list.GetCount());
    EXPECT_EQ(21u, list.FindByName(L"Home")->port);
    EXPECT_EQ(nullptr, list.FindByName(L"home"));
}

TEST_F(SessionListTest, RoundTripKeepsEveryFieldAndRemovalReachesTheRegistry) {
    ASSERT_TRUE(store.Open());
    key.SetDword(L"Runtime", L"hWnd", 5);
    SessionInfo work = MakeSession(L"Work", L"host.example", 2121);
    CopyText(work.user, L"user");
    CopyText(work.password, L"secret");
    work.bSaveHost = work.bAnonymous = work.bSavePassword = 1;
    work.encryption = kTlsIfAvailable;
    work.bPlainLogin = 1;
    work.serverTimeOffset = -5;
    work.protocol = kProtocolSftp;
    CopyText(work.keyFile, L"C:\\keys\\id ed25519");
    SessionInfo two = MakeSession(L"two");
    CopyText(two.password, L"not kept");    // "Save Password" off
    const std::wstring longest(255, L'n');  // the longest name a registry key takes
    SessionList list;
    for (const SessionInfo& session : {work, two, MakeSession(longest)})
        EXPECT_TRUE(list.AddIfAbsent(session));
    list.Save(store);

    SessionList loaded;
    loaded.Load(store);
    ASSERT_EQ(3u, loaded.GetCount());
    EXPECT_NE(nullptr, loaded.FindByName(longest.c_str()));
    ASSERT_NE(nullptr, loaded.FindByName(L"Work"));
    EXPECT_EQ(0, memcmp(&work, loaded.FindByName(L"Work"), sizeof(work)));
    EXPECT_STREQ(L"", loaded.FindByName(L"two")->password);
    EXPECT_TRUE(loaded.RemoveByName(L"two"));
    EXPECT_FALSE(loaded.RemoveByName(L"two"));
    // Renamed in letter case only: the old key must go before the new one is written.
    EXPECT_TRUE(loaded.RemoveByName(L"Work"));
    EXPECT_TRUE(loaded.AddIfAbsent(MakeSession(L"WORK")));
    EXPECT_TRUE(loaded.Save(store));
    EXPECT_EQ(2, key.CountSubkeys(L"Sessions"));
    EXPECT_FALSE(key.Exists(L"Sessions\\two"));
    EXPECT_EQ(5u, key.GetDword(L"Runtime", L"hWnd"));  // only the sessions are rewritten
    SessionList renamed;
    renamed.Load(store);
    EXPECT_NE(nullptr, renamed.FindByName(L"WORK"));
}

TEST_F(SessionListTest, FirstRunPartialRecordsAndAnEmptyListAreHandledSafely) {
    ASSERT_TRUE(store.Open());
    SessionList list;
    list.Load(store);  // no Sessions key yet
    EXPECT_EQ(0u, list.GetCount());
    key.SetString(L"Sessions\\bare", L"Host", L"only.host");
    key.SetDword(L"Sessions\\empty", L"unrelated", 1);
    key.SetDword(L"Sessions\\empty", L"Encryption", 7);  // no known meaning
    key.SetString(L"Sessions\\long", L"Host", std::wstring(600, L'h'));
    key.SetDword(L"Sessions\\long", L"Server Time Offset", 40);  // no zone is that far
    key.SetDword(L"Sessions\\long", L"Protocol", 7);             // no known protocol
    // A key file path too long to hold is dropped, not cut.
    key.SetString(L"Sessions\\long", L"KeyFile", std::wstring(600, L'k'));
    key.SetDword(L"Sessions\\empty", L"Protocol", kProtocolSftp);
    key.SetString(L"Sessions\\empty", L"KeyFile", L"C:\\keys\\id_rsa");
    list.Load(store);
    ASSERT_EQ(3u, list.GetCount());
    SessionInfo* bare = list.FindByName(L"bare");
    SessionInfo* empty = list.FindByName(L"empty");
    SessionInfo* longHost = list.FindByName(L"long");
    ASSERT_TRUE(bare && empty && longHost);
    EXPECT_EQ((std::vector<std::wstring>{L"only.host", L"", std::wstring(511, L'h')}),
              (std::vector<std::wstring>{bare->host, empty->host, longHost->host}));
    EXPECT_EQ(0u, bare->port);
    // Saved before the choice existed: plain FTP, as it always connected.
    EXPECT_EQ((std::vector<DWORD>{kPlainFtp, kRequireTls}),
              (std::vector<DWORD>{DWORD(bare->encryption), DWORD(empty->encryption)}));
    // No offset given: LIST times are never compared.
    EXPECT_EQ(kNoServerOffset, bare->serverTimeOffset);
    EXPECT_EQ(kNoServerOffset, longHost->serverTimeOffset);
    // Saved before SFTP existed, or with a protocol of no known meaning: FTP, no key.
    EXPECT_EQ((std::vector<DWORD>{kProtocolFtp, kProtocolSftp, kProtocolFtp}),
              (std::vector<DWORD>{bare->protocol, empty->protocol, longHost->protocol}));
    EXPECT_EQ((std::vector<std::wstring>{L"", L"C:\\keys\\id_rsa", L""}),
              (std::vector<std::wstring>{bare->keyFile, empty->keyFile, longHost->keyFile}));

    while (SessionInfo* session = list.RemoveHead()) delete session;
    EXPECT_TRUE(list.Save(store));
    EXPECT_EQ(0, key.CountSubkeys(L"Sessions"));
}

// Saved passwords are sealed for the Windows user: the registry as written to
// disk holds their text nowhere. A session saved before keeps its plain
// password, sealed at the next save; a sealed value that cannot be opened
// here (damaged, another user's) counts as no saved password.
TEST_F(SessionListTest, PasswordsAreStoredSealedNeverAsText) {
    ASSERT_TRUE(store.Open());
    const char kSecret[] = "Zq7-unlikely-Secret";
    const std::wstring secret(kSecret, kSecret + strlen(kSecret));
    key.SetString(L"Sessions\\old", L"Password", secret);
    key.SetDword(L"Sessions\\old", L"bSavePassword", 1);
    key.SetRaw(L"Sessions\\damaged", L"SealedPassword", REG_BINARY, "not sealed", 10);
    key.SetDword(L"Sessions\\damaged", L"bSavePassword", 1);
    SessionList list;
    list.Load(store);
    ASSERT_EQ(2u, list.GetCount());
    EXPECT_EQ(secret, list.FindByName(L"old")->password);
    EXPECT_STREQ(L"", list.FindByName(L"damaged")->password);
    SessionInfo fresh = MakeSession(L"fresh");
    CopyText(fresh.password, secret.c_str());
    fresh.bSavePassword = 1;
    EXPECT_TRUE(list.AddIfAbsent(fresh));
    EXPECT_TRUE(list.Save(store));

    for (const wchar_t* name : {L"Sessions\\old", L"Sessions\\fresh"}) {
        EXPECT_EQ(0u, key.GetType(name, L"Password")) << name;
        EXPECT_EQ(DWORD(REG_BINARY), key.GetType(name, L"SealedPassword")) << name;
    }
    EXPECT_EQ(0u, key.GetType(L"Sessions\\damaged", L"SealedPassword"));
    SessionList loaded;
    loaded.Load(store);
    EXPECT_EQ(secret, loaded.FindByName(L"old")->password);
    EXPECT_EQ(secret, loaded.FindByName(L"fresh")->password);

    std::string written = KeyAsWritten(L"Software\\CorvaneTest\\Store");
    ASSERT_NE(std::string::npos, written.find("fresh")) << "the key was not written out";
    const std::string wide(reinterpret_cast<const char*>(secret.c_str()),
                           secret.size() * sizeof(wchar_t));
    EXPECT_EQ(std::string::npos, written.find(kSecret));
    EXPECT_EQ(std::string::npos, written.find(wide));
}
