// main() of test programs with windows: Qt's offscreen platform unless another one is chosen.
#include <cstdlib>

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();  // listing needs no application
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
