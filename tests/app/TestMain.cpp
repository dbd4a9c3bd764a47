#include <QCoreApplication>
#include <gtest/gtest.h>

// Worker threads post through the application's event dispatcher.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
