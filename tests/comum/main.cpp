#include <QApplication>
#include <gtest/gtest.h>

// Every test program runs with a Qt application (offscreen) so that timers,
// SQL drivers and widgets behave as in the agent.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
