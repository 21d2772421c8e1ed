#include <cwchar>
#include <functional>

#include "RegistryTest.h"
#include "settings/FtpOptions.h"

namespace {

using FtpOptionsTest = RegistryTest;

const wchar_t config[] = L"FtpConfig";

}  // namespace

TEST_F(FtpOptionsTest, DefaultsOnFirstRunAndStoredValuesNormalisedKeptOrCut) {
    ASSERT_TRUE(store.Open());
    FtpOptions options;
    options.Load(store);
    EXPECT_EQ(21u, wcslen(options.GetAnonymousPassword()));
    EXPECT_STREQ(L"", options.GetProxyServer());
    EXPECT_EQ(static_cast<DWORD>(transferBinary), options.GetTransferType());
    EXPECT_EQ(static_cast<DWORD>(existingPrompt), options.GetExistingFileOption());
    EXPECT_FALSE(options.GetUseProxy() || options.GetUsePassive() || options.GetProxyPort());
    EXPECT_TRUE(options.GetKeepTimes());
    options.Save(store);
    for (const wchar_t* name : {L"Anonymous Password", L"Proxy Server"})
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), key.GetType(config, name)) << name;
    for (const wchar_t* name : {L"Use Proxy", L"Transfer Type", L"Use Passive Semantics",
                                L"Proxy Port", L"Existing File Option", L"Keep Times"})
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), key.GetType(config, name)) << name;

    // Values stored by hand or by another version.
    key.SetString(config, L"Anonymous Password", std::wstring(200, L'p'));
    key.SetDword(config, L"Use Proxy", 5);
    key.SetDword(config, L"Transfer Type", 7);
    key.SetDword(config, L"Use Passive Semantics", 0x100);  // nothing in the low byte
    key.SetDword(config, L"Proxy Port", 8021);
    key.SetString(config, L"Proxy Server", L"proxy.example");
    key.SetDword(config, L"Keep Times", 0);
    key.SetDword(config, L"Existing File Option", existingIfNewer);
    FtpOptions stored;
    stored.Load(store);
    EXPECT_EQ(std::wstring(127, L'p'), stored.GetAnonymousPassword());
    EXPECT_TRUE(stored.GetUseProxy() && stored.GetUsePassive());
    EXPECT_EQ(7u, stored.GetTransferType());
    EXPECT_EQ(8021u, stored.GetProxyPort());
    EXPECT_STREQ(L"proxy.example", stored.GetProxyServer());
    EXPECT_FALSE(stored.GetKeepTimes());
    EXPECT_EQ(4u, stored.GetTransferRules().existingFile);  // the stored number of "if newer"
    stored.Save(store);
    EXPECT_EQ(0u, key.GetDword(config, L"Keep Times"));
    EXPECT_EQ(1u, key.GetDword(config, L"Use Proxy"));
    EXPECT_EQ(1u, key.GetDword(config, L"Use Passive Semantics"));
    EXPECT_EQ(7u, key.GetDword(config, L"Transfer Type"));
}

// A count of simultaneous transfers outside 1-10, whoever stored it, reads as
// the default and is saved back so.
TEST_F(FtpOptionsTest, SimultaneousTransfersOutsideOneToTenReadAsTheDefault) {
    const wchar_t name[] = L"Simultaneous Transfers";
    const BYTE twoBytes[2] = {7, 0};
    ASSERT_TRUE(store.Open());
    struct {
        std::function<void()> store;
        DWORD loaded;
    } const rows[] = {
        // clang-format off
        {[] {}, 4},  // the first run
        {[&] { key.SetDword(config, name, 1); }, 1}, {[&] { key.SetDword(config, name, 10); }, 10},
        {[&] { key.SetDword(config, name, 0); }, 4}, {[&] { key.SetDword(config, name, 11); }, 4},
        {[&] { key.SetString(config, name, L"7"); }, 4},
        {[&] { key.SetRaw(config, name, REG_BINARY, twoBytes, 2); }, 4},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        row.store();
        FtpOptions options;
        options.Load(store);
        EXPECT_EQ(row.loaded, options.GetTransferRules().connections);
        options.Save(store);
        EXPECT_EQ(row.loaded, key.GetDword(config, name));
    }
}
