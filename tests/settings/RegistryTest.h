#pragma once

#include <gtest/gtest.h>

#include "settings/RegStore.h"
#include "support/ScratchKey.h"

// A store on a scratch product key, HKCU\Software\CorvaneTest\Store, not yet opened.
class RegistryTest : public ::testing::Test {
  protected:
    RegistryTest() {
        store.SetMakerKey(L"CorvaneTest");
        store.SetProductKey(L"Store");
    }

    ScratchKey key{L"Software\\CorvaneTest\\Store"};
    RegStore store;
};
