// GoogleTest over a QApplication on the offscreen platform: the windows are
// real widgets, painted into images that the tests read back. Settings go to
// a folder of the test's own, never the user's configuration.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const QTemporaryDir configuration;
    setenv("XDG_CONFIG_HOME", configuration.path().toLocal8Bit().constData(), 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
