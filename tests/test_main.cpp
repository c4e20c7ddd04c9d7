// Runs the tests that need no windows, in a test environment of their own,
// with an event loop for what watches files.
#include "test_environment.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new TestEnvironment);
    const QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
