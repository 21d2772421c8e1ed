#include <gtest/gtest.h>

#include "framework/ProcessEnd.h"

// A test program ends as the program does, once every result is printed.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    EndProcessNow(RUN_ALL_TESTS());
}
