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

TEST_F(FtpOptionsTest, FirstRunKeepsDefaultsAndSavesAllSeven) {
    FtpOptions options;
    options.Load(store);
    EXPECT_EQ(21u, wcslen(options.GetAnonymousPassword()));
    EXPECT_NE(nullptr, wcschr(options.GetAnonymousPassword(), L'@'));
    EXPECT_STREQ(L"", options.GetProxyServer());
    EXPECT_EQ(0u, options.GetProxyPort());
    EXPECT_FALSE(options.GetUseProxy());
    EXPECT_EQ(static_cast<DWORD>(transferBinary), options.GetTransferType());
    EXPECT_FALSE(options.GetUsePassive());
    EXPECT_EQ(static_cast<DWORD>(existingPrompt), options.GetExistingFileOption());

    options.Save(store);
    DWORD type;
    for (const wchar_t* name : {L"Anonymous Password", L"Proxy Server"}) {
        EXPECT_TRUE(key.GetRaw(config, name, &type, nullptr, nullptr)) << name;
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type) << name;
    }
    for (const wchar_t* name : {L"Use Proxy", L"Transfer Type", L"Use Passive Semantics",
                                L"Proxy Port", L"Existing File Option"}) {
        EXPECT_TRUE(key.GetRaw(config, name, &type, nullptr, nullptr)) << name;
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type) << name;
    }
}

TEST_F(FtpOptionsTest, ValuesRoundTripThroughTheRegistry) {
    FtpOptions options;
    options.SetAnonymousPassword(L"me@example.net");
    options.SetProxyServer(L"proxy.example.net");
    options.SetProxyPort(8021);
    options.SetUseProxy(true);
    options.SetTransferType(transferAscii);
    options.SetUsePassive(true);
    options.SetExistingFileOption(existingSkip);
    options.Save(store);

    FtpOptions loaded;
    loaded.Load(store);
    EXPECT_STREQ(L"me@example.net", loaded.GetAnonymousPassword());
    EXPECT_STREQ(L"proxy.example.net", loaded.GetProxyServer());
    EXPECT_EQ(8021u, loaded.GetProxyPort());
    EXPECT_TRUE(loaded.GetUseProxy());
    EXPECT_EQ(static_cast<DWORD>(transferAscii), loaded.GetTransferType());
    EXPECT_TRUE(loaded.GetUsePassive());
    EXPECT_EQ(static_cast<DWORD>(existingSkip), loaded.GetExistingFileOption());
}

TEST_F(FtpOptionsTest, OddStoredValuesAreNormalisedOrKept) {
    key.SetDword(config, L"Use Proxy", 5);
    key.SetDword(config, L"Use Passive Semantics", 0x100);
    key.SetDword(config, L"Transfer Type", 7);
    key.SetDword(config, L"Existing File Option", 9);
    key.SetString(config, L"Anonymous Password", std::wstring(200, L'p'));
    FtpOptions options;
    options.Load(store);
    EXPECT_TRUE(options.GetUseProxy());
    EXPECT_TRUE(options.GetUsePassive());
    EXPECT_EQ(7u, options.GetTransferType());
    EXPECT_EQ(std::wstring(127, L'p'), options.GetAnonymousPassword());

    options.Save(store);
    EXPECT_EQ(1u, key.GetDword(config, L"Use Proxy"));
    EXPECT_EQ(1u, key.GetDword(config, L"Use Passive Semantics"));
    EXPECT_EQ(7u, key.GetDword(config, L"Transfer Type"));
    EXPECT_EQ(9u, key.GetDword(config, L"Existing File Option"));
}

TEST_F(FtpOptionsTest, MissingOrBrokenValuesLeaveTheirFieldAndNotTheOthers) {
    FtpOptions saved;
    saved.SetProxyServer(L"proxy");
    saved.SetProxyPort(3128);
    saved.SetTransferType(transferPrompt);
    saved.Save(store);
    key.DeleteValue(config, L"Proxy Server");
    key.SetString(config, L"Proxy Port", L"3128");  // wrong type: the default stays

    FtpOptions loaded;
    loaded.Load(store);
    EXPECT_STREQ(L"", loaded.GetProxyServer());
    EXPECT_EQ(0u, loaded.GetProxyPort());
    EXPECT_EQ(static_cast<DWORD>(transferPrompt), loaded.GetTransferType());
    EXPECT_STREQ(saved.GetAnonymousPassword(), loaded.GetAnonymousPassword());
}

TEST(FtpOptions, SettersCutLongTextAt127Characters) {
    FtpOptions options;
    std::wstring longText(300, L's');
    options.SetProxyServer(longText.c_str());
    options.SetAnonymousPassword(longText.c_str());
    EXPECT_EQ(std::wstring(127, L's'), options.GetProxyServer());
    EXPECT_EQ(std::wstring(127, L's'), options.GetAnonymousPassword());
    options.SetProxyServer(nullptr);
    EXPECT_STREQ(L"", options.GetProxyServer());
}
