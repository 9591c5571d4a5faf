// Runs the framework tests with the settings store in a temporary folder, so
// no test reads or writes the user's own settings.

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/TempFolder.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    TempFolder configHome;
    setenv("XDG_CONFIG_HOME", configHome.Path().c_str(), 1);
    return RUN_ALL_TESTS();
}
