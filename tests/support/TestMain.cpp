#ifdef SONVELLE_TEST_WIDGETS
#include "platform/ProgramFolder.h"

#include <QApplication>
#else
#include <QCoreApplication>
#endif
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Worker threads post through the application's dispatcher, so it exists
// before any test; widget tests never need a desktop, nor the user's settings or log.
int main(int argc, char** argv)
{
#ifdef SONVELLE_TEST_WIDGETS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
    QApplication app(argc, argv);
    sonvelle::SetProgramFolderForTesting(home.path());
#else
    QCoreApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
