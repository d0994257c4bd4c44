// Test main for cases that use windows: one QApplication for the process, then the cases.
// The cases run on the offscreen platform unless QT_QPA_PLATFORM says otherwise, and on the
// simulated port unless a case installs another backend: a test never reaches real hardware.
#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

#include "backend.h"
#include "win32_qt.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Win32_SetHelpPath({QCoreApplication::applicationDirPath().toStdString()});
    portio::install(portio::simulatedChoice("test run"));
    return RUN_ALL_TESTS();
}
