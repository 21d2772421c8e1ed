#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "RegistryTest.h"
#include "settings/FtpOptions.h"

namespace {

const wchar_t config[] = L"FtpConfig";

class FtpOptionsTest : public RegistryTest {
  protected:
    void SetUp() override {
        RegistryTest::SetUp();
        ASSERT_TRUE(store.Open());
    }
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
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), GetType(config, name)) << name;
    for (const wchar_t* name : {L"Use Proxy", L"Transfer Type", L"Use Passive Semantics",
                                L"Proxy Port", L"Existing File Option"})
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), GetType(config, name)) << name;
}

TEST_F(FtpOptionsTest, OddStoredValuesAreNormalisedOrKept) {
    SetDword(config, L"Use Proxy", 5);
    SetDword(config, L"Use Passive Semantics", 0x100);
    SetDword(config, L"Transfer Type", 7);
    SetDword(config, L"Proxy Port", 8021);
    SetString(config, L"Anonymous Password", std::wstring(200, L'p'));
    FtpOptions options;
    options.Load(store);
    EXPECT_TRUE(options.GetUseProxy());
    EXPECT_TRUE(options.GetUsePassive());
    EXPECT_EQ(7u, options.GetTransferType());
    EXPECT_EQ(8021u, options.GetProxyPort());
    EXPECT_EQ(std::wstring(127, L'p'), options.GetAnonymousPassword());
    options.Save(store);
    EXPECT_EQ(1u, GetDword(config, L"Use Proxy"));
    EXPECT_EQ(1u, GetDword(config, L"Use Passive Semantics"));
    EXPECT_EQ(7u, GetDword(config, L"Transfer Type"));
}

TEST_F(FtpOptionsTest, MissingOrBrokenValuesLeaveOnlyTheirOwnField) {
    FtpOptions saved;
    saved.SetProxyServer(std::wstring(300, L's').c_str());
    EXPECT_EQ(127u, wcslen(saved.GetProxyServer()));
    saved.SetTransferType(transferPrompt);
    saved.SetExistingFileOption(existingSkip);
    saved.Save(store);
    DeleteValue(config, L"Proxy Server");
    SetString(config, L"Proxy Port", L"3128");  // wrong type
    FtpOptions loaded;
    loaded.Load(store);
    EXPECT_STREQ(L"", loaded.GetProxyServer());
    EXPECT_EQ(0u, loaded.GetProxyPort());
    EXPECT_EQ(static_cast<DWORD>(transferPrompt), loaded.GetTransferType());
    EXPECT_EQ(static_cast<DWORD>(existingSkip), loaded.GetExistingFileOption());
}
