// Runs widget tests inside a QApplication on Qt's offscreen platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and the thumbnail cache of the tests go to a folder of their
    // own, never to the user's.
    std::string settings = "/tmp/lumo-widget-tests-XXXXXX";
    if (mkdtemp(settings.data()) != nullptr) {
        qputenv("XDG_CONFIG_HOME", settings.c_str());
        qputenv("XDG_CACHE_HOME", settings.c_str());
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
