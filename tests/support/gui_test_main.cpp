// gtest main for the console's GUI tests: the console's own application
// object, headless.
#include <gtest/gtest.h>

#include "talveno_application.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    talveno::console::TalvenoApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
