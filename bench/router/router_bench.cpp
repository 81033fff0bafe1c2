// Router client figures, printed (not judged):
//   1. a 32 MiB firmware upload to the simulated router: wall time of UploadFirmware and of
//      `curl --data-binary @file` posting the same message body, and this process's peak
//      resident memory against image size + 16 MiB;
//   2. a configuration exchange (connect, login, one WAN request) through CFunction and
//      through the curl command line.
// The simulator runs in a child process so its own buffers do not count here.
//
// Usage: zavro_router_bench [image MiB (32)] [configuration rounds (20)]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "RouterSim.h"
#include "platform/Platform.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/NetGuard.h"
#include "platform/posix/PosixTcp.h"
#include "router/Function.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

class SteadyClock final : public zavro::IClock {
public:
    std::uint64_t NowMs() override {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
                .count());
    }
    void SleepMs(std::uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    bool Wait(zavro::ManualResetEvent& event, std::uint32_t ms) override {
        std::unique_lock lock(event.Mutex());
        return event.Cv().wait_for(lock, std::chrono::milliseconds(ms),
                                   [&] { return event.SetLocked(); });
    }
};

long StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t n = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, n, field) == 0) return std::atol(line.c_str() + n);
    return -1;
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Runs a command line program; its wall time in ms, or -1 when it could not run or failed.
double RunTimed(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const auto end = Clock::now();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Ms(end - start) : -1;
}

bool HaveCurl() {
    return RunTimed({"sh", "-c", "command -v curl >/dev/null 2>&1"}) >= 0;
}

// The simulator in a child: it reports its port on a pipe and stops when the pipe to it
// closes.
struct SimProcess {
    pid_t pid = -1;
    int stop = -1;
    std::uint16_t port = 0;

    bool Start() {
        int up[2], down[2];
        if (pipe(up) != 0 || pipe(down) != 0) return false;
        pid = fork();
        if (pid == 0) {
            close(up[0]);
            close(down[1]);
            routersim::Options options;
            options.model = 8;
            routersim::Simulator sim(options);
            std::uint16_t p = sim.Start() ? sim.Port() : 0;
            if (write(up[1], &p, sizeof p) != sizeof p) _exit(1);
            char c;
            while (read(down[0], &c, 1) > 0) {
            }
            sim.Stop();
            _exit(0);
        }
        close(up[1]);
        close(down[0]);
        stop = down[1];
        const bool ok = read(up[0], &port, sizeof port) == sizeof port && port != 0;
        close(up[0]);
        return ok;
    }
    ~SimProcess() {
        if (stop >= 0) close(stop);
        if (pid > 0) waitpid(pid, nullptr, 0);
    }
};

}  // namespace

int main(int argc, char** argv) {
    const std::size_t imageMiB = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 32;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 20;
    zavro::netguard::SetLoopbackOnly(true, [](const std::string& host) {
        std::fprintf(stderr, "refused non-loopback address %s\n", host.c_str());
        std::abort();
    });

    SimProcess sim;
    if (!sim.Start()) {
        std::fprintf(stderr, "simulator did not start\n");
        return 1;
    }
    zavro::posix::CurlHttpClient http;
    zavro::posix::PosixTcpFactory tcp;
    SteadyClock clock;
    zavro::Platform& ports = zavro::Ports();
    ports.http = &http;
    ports.tcp = &tcp;
    ports.clock = &clock;
    ports.routerHost = "127.0.0.1";
    ports.routerPort = sim.port;
    const std::string base = "http://127.0.0.1:" + std::to_string(sim.port);
    const bool curl = HaveCurl();

    // ---- 1. firmware upload
    char dir[] = "/tmp/zavro-bench-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    const std::string imagePath = std::string(dir) + "/Firmware.bin";
    const std::string bodyPath = std::string(dir) + "/body.bin";
    const std::size_t imageBytes = imageMiB << 20;
    {
        std::vector<char> chunk(1 << 20);
        std::ofstream image(imagePath, std::ios::binary);
        for (std::size_t i = 0; i < imageMiB; ++i) {
            for (std::size_t j = 0; j < chunk.size(); ++j)
                chunk[j] = static_cast<char>((i * 131 + j * 7) & 0xFF);
            image.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        }
    }
    const long hwmBefore = StatusKiB("VmHWM:");
    double uploadMs = -1;
    int uploadResult = 0;
    {
        zavro::CFunction f;
        zavro::CClientSocket first, second;
        zavro::ConnectClientSocket("192.168.2.1", 80, &first);
        zavro::ConnectClientSocket("192.168.2.1", 80, &second);
        f.m_pSocket = &first;
        f.m_pSocket2 = &second;
        f.m_strAuthPassword = "5820";
        std::ifstream image(imagePath, std::ios::binary);
        const auto start = Clock::now();
        uploadResult = f.UploadFirmware(imagePath, image, 8);
        uploadMs = Ms(Clock::now() - start);
    }
    const long hwmAfter = StatusKiB("VmHWM:");
    std::printf("upload %zu MiB: UploadFirmware %.1f ms (result %d)\n", imageMiB, uploadMs,
                uploadResult);
    std::printf(
        "  peak resident memory: %ld KiB before, %ld KiB after (+%ld KiB); bound "
        "image + 16 MiB above the start = %ld KiB -> %s\n",
        hwmBefore, hwmAfter, hwmAfter - hwmBefore,
        hwmBefore + static_cast<long>((imageBytes >> 10) + 16 * 1024),
        hwmAfter <= hwmBefore + static_cast<long>((imageBytes >> 10) + 16 * 1024) ? "within"
                                                                                  : "ABOVE");
    if (curl) {
        // The same message body the client sends, posted by the curl program.
        {
            const std::string head =
                "-----------------------------7da31c3b3304bc\r\nContent-Disposition: "
                "form-data;name=\"binary\"; filename=\"" +
                imagePath + "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
            const std::string tail =
                "\r\n-----------------------------7da31c3b3304bc\r\nContent-Disposition: "
                "form-data; name=\"submit-url\"\r\n\r\n/tools.asp\r\n"
                "-----------------------------7da31c3b3304bc--\r\n";
            std::ofstream body(bodyPath, std::ios::binary);
            std::ifstream image(imagePath, std::ios::binary);
            body << head << image.rdbuf() << tail;
        }
        const double curlMs =
            RunTimed({"curl", "-s", "-o", "/dev/null", "-u", "admin:5820", "-H", "Expect:", "-H",
                      "Content-Type: multipart/form-data; "
                      "boundary=---------------------------7da31c3b3304bc",
                      "--data-binary", "@" + bodyPath, base + "/goform/formUpload"});
        std::printf("  curl --data-binary @file: %.1f ms\n", curlMs);
    } else {
        std::printf("  curl command not found: curl side skipped\n");
    }
    std::remove(imagePath.c_str());
    std::remove(bodyPath.c_str());
    rmdir(dir);

    // ---- 2. configuration exchange
    double clientMs = 0;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        zavro::CFunction f;
        if (f.ConnectRouter("192.168.2.1", "admin", "5820", 8) != 0) ++failures;
        if (f.SetPppoe("user", "secret", "", "1492", 0, "5") != 0) ++failures;
        clientMs += Ms(Clock::now() - start);
    }
    std::printf(
        "configuration (connect, login, SetPppoe), %d rounds: CFunction %.2f ms each "
        "(%d failures)\n",
        rounds, clientMs / rounds, failures);
    if (curl) {
        double curlMs = 0;
        int curlFailures = 0;
        for (int i = 0; i < rounds; ++i) {
            const double ms = RunTimed(
                {"curl",
                 "-s",
                 "-o",
                 "/dev/null",
                 "-f",
                 "--anyauth",
                 "-u",
                 "admin:5820",
                 base + "/index.asp",
                 "--next",
                 "-s",
                 "-o",
                 "/dev/null",
                 "-f",
                 "--anyauth",
                 "-u",
                 "admin:5820",
                 "--data-binary",
                 "pppUserName=user&pppPassword=secret&pppServName=&pppMTU=1492&pppConnectType=0"
                 "&submit-url=%2Fwanpppoe.asp&wanMode=2&ipMode=ppp",
                 base + "/goform/formWanTcpipSetup"});
            if (ms < 0)
                ++curlFailures;
            else
                curlMs += ms;
        }
        std::printf(
            "  curl command line (same two requests, one process): %.2f ms each (%d "
            "failures)\n",
            rounds > curlFailures ? curlMs / (rounds - curlFailures) : -1.0, curlFailures);
    }
    return 0;
}
