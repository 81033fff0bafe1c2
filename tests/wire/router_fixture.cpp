#include "RouterWireFixture.h"

#ifndef ZAVRO_HAVE_ROUTERSIM
TEST(RouterWireSetup, SimulatorAvailable) {
    GTEST_SKIP() << "router simulator not built";
}
#else
namespace zavro::test {

std::string RouterWireTest::Basic(const std::string& user, const std::string& password) {
    // Written out independently of the client's encoder.
    static const char* kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string in = user + ":" + password;
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (unsigned char c : in) {
        bits = (bits << 8) | c;
        count += 8;
        while (count >= 6) {
            out += kAlphabet[(bits >> (count - 6)) & 63];
            count -= 6;
        }
    }
    if (count > 0) out += kAlphabet[(bits << (6 - count)) & 63];
    while (out.size() % 4) out += '=';
    return "Basic " + out;
}

}  // namespace zavro::test
#endif
