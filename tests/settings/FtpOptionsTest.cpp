#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "RegTestKey.h"
#include "settings/FtpOptions.h"
#include "settings/RegStore.h"

namespace {

const wchar_t config[] = L"FtpConfig";

class FtpOptionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store.SetMakerKey(RegTestKey::Maker());
        store.SetProductKey(key.Product());
        ASSERT_TRUE(store.Open());
    }

    RegTestKey key;
    RegStore store;
};

}  // namespace

TEST_F(FtpOptionsTest, FirstRunKeepsDefaultsAndSavesAllSevenTyped) {
    FtpOptions options;
    options.Load(store);
    EXPECT_EQ(21u, wcslen(options.GetAnonymousPassword()));
    EXPECT_STREQ(L"", options.GetProxyServer());
    EXPECT_EQ(static_cast<DWORD>(transferBinary), options.GetTransferType());
    EXPECT_EQ(static_cast<DWORD>(existingPrompt), options.GetExistingFileOption());
    EXPECT_FALSE(options.GetUseProxy() || options.GetUsePassive() || options.GetProxyPort());
    options.Save(store);
    for (const wchar_t* name : {L"Anonymous Password", L"Proxy Server"})
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), key.GetType(config, name)) << name;
    for (const wchar_t* name : {L"Use Proxy", L"Transfer Type", L"Use Passive Semantics",
                                L"Proxy Port", L"Existing File Option"})
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), key.GetType(config, name)) << name;
}

TEST_F(FtpOptionsTest, OddStoredValuesAreNormalisedOrKept) {
    key.SetDword(config, L"Use Proxy", 5);
    key.SetDword(config, L"Use Passive Semantics", 0x100);
    key.SetDword(config, L"Transfer Type", 7);
    key.SetDword(config, L"Proxy Port", 8021);
    key.SetString(config, L"Anonymous Password", std::wstring(200, L'p'));
    FtpOptions options;
    options.Load(store);
    EXPECT_TRUE(options.GetUseProxy());
    EXPECT_TRUE(options.GetUsePassive());
    EXPECT_EQ(7u, options.GetTransferType());
    EXPECT_EQ(8021u, options.GetProxyPort());
    EXPECT_EQ(std::wstring(127, L'p'), options.GetAnonymousPassword());
    options.Save(store);
    EXPECT_EQ(1u, key.GetDword(config, L"Use Proxy"));
    EXPECT_EQ(1u, key.GetDword(config, L"Use Passive Semantics"));
    EXPECT_EQ(7u, key.GetDword(config, L"Transfer Type"));
}

TEST_F(FtpOptionsTest, MissingOrBrokenValuesLeaveOnlyTheirOwnField) {
    FtpOptions saved;
    saved.SetProxyServer(std::wstring(300, L's').c_str());
    EXPECT_EQ(127u, wcslen(saved.GetProxyServer()));
    saved.SetTransferType(transferPrompt);
    saved.SetExistingFileOption(existingSkip);
    saved.Save(store);
    key.DeleteValue(config, L"Proxy Server");
    key.SetString(config, L"Proxy Port", L"3128");  // wrong type
    FtpOptions loaded;
    loaded.Load(store);
    EXPECT_STREQ(L"", loaded.GetProxyServer());
    EXPECT_EQ(0u, loaded.GetProxyPort());
    EXPECT_EQ(static_cast<DWORD>(transferPrompt), loaded.GetTransferType());
    EXPECT_EQ(static_cast<DWORD>(existingSkip), loaded.GetExistingFileOption());
}
