// Test main: every suite runs with the network adapters' loopback guard on.
#include <gtest/gtest.h>

#include "platform/posix/NetGuard.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    zavro::netguard::SetLoopbackOnly(true, [](const std::string& host) {
        ADD_FAILURE() << "connection to non-loopback address refused: " << host;
    });
    return RUN_ALL_TESTS();
}
