#include "support/TestResult.h"

#include <gtest/gtest.h>

#include <QApplication>

// Qt-side suites run headless unless a test asks for a real display.
int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return TestResult(RUN_ALL_TESTS());
}
