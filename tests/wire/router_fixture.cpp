#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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

std::uint16_t UnusedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

}  // namespace zavro::test
#endif
