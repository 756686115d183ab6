// Test main shared by every test program: a QApplication on the offscreen platform, so widget
// tests run without a display, and quiet output.

#include "discovery/RecordsModule.h"

#include <QApplication>
#include <QtGlobal>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

QtMessageHandler previousHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // The offscreen platform reports every window feature it lacks; that is noise here.
    if (message.startsWith(QStringLiteral("This plugin does not support")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv) {
    // gtest_discover_tests runs this program without the test environment: set the platform
    // here so that listing the tests needs no display either.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    previousHandler = qInstallMessageHandler(quietHandler);
    // The test programs are not beside the module, as the program is.
    dk3::discovery::setRecordsModuleCandidates({DK3_RECORDS_MODULE});
    ::testing::InitGoogleMock(&argc, argv);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // as the program does
    return RUN_ALL_TESTS();
}
