#include "RouterSim.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <list>
#include <mutex>
#include <thread>

#include "HttpWire.h"
#include "RouterLogic.h"

namespace routersim {

std::string Request::Header(std::string_view name) const {
    return wire::FindHeader(headers, name);
}

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxBodyBytes = 128u << 20;  // firmware images of 64 MiB and more
constexpr std::size_t kRawBodyMax = 1u << 20;      // above this raw keeps the head only
constexpr int kBacklog = 64;

struct Address {
    sockaddr_storage storage{};
    socklen_t length = 0;
    bool v6 = false;
};

// Numeric loopback addresses only (127.0.0.0/8, ::1); "localhost" means 127.0.0.1.
bool LoopbackAddress(const std::string& host, Address& out) {
    std::string h = host == "localhost" ? "127.0.0.1" : host;
    if (h.size() > 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);
    in_addr v4{};
    if (inet_pton(AF_INET, h.c_str(), &v4) == 1) {
        if ((ntohl(v4.s_addr) >> 24) != 127) return false;
        auto* sin = reinterpret_cast<sockaddr_in*>(&out.storage);
        sin->sin_family = AF_INET;
        sin->sin_addr = v4;
        out.length = sizeof(sockaddr_in);
        out.v6 = false;
        return true;
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, h.c_str(), &v6) == 1) {
        if (!IN6_IS_ADDR_LOOPBACK(&v6)) return false;
        auto* sin6 = reinterpret_cast<sockaddr_in6*>(&out.storage);
        sin6->sin6_family = AF_INET6;
        sin6->sin6_addr = v6;
        out.length = sizeof(sockaddr_in6);
        out.v6 = true;
        return true;
    }
    return false;
}

void SetPort(Address& a, std::uint16_t port) {
    if (a.v6) {
        reinterpret_cast<sockaddr_in6*>(&a.storage)->sin6_port = htons(port);
    } else {
        reinterpret_cast<sockaddr_in*>(&a.storage)->sin_port = htons(port);
    }
}

int NewSocket(const Address& a) {
    int fd = ::socket(a.v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    return fd;
}

// Binds to an explicit port even for an ephemeral one: a socket bound to port 0 loses
// its port when it stops listening, and the router must come back on the same port.
int BindExplicit(Address a, std::uint16_t wanted, std::uint16_t& bound) {
    int probe = -1;
    std::uint16_t port = wanted;
    if (port == 0) {
        probe = NewSocket(a);
        if (probe < 0) return -1;
        SetPort(a, 0);
        sockaddr_storage got{};
        socklen_t len = sizeof got;
        if (::bind(probe, reinterpret_cast<sockaddr*>(&a.storage), a.length) != 0 ||
            ::getsockname(probe, reinterpret_cast<sockaddr*>(&got), &len) != 0) {
            ::close(probe);
            return -1;
        }
        port = a.v6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&got)->sin6_port)
                    : ntohs(reinterpret_cast<sockaddr_in*>(&got)->sin_port);
    }
    int fd = NewSocket(a);
    SetPort(a, port);
    // Both sockets carry SO_REUSEADDR and neither listens, so the port is never free.
    bool ok = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&a.storage), a.length) == 0;
    if (probe >= 0) ::close(probe);
    if (!ok) {
        if (fd >= 0) ::close(fd);
        return -1;
    }
    bound = port;
    return fd;
}

bool SendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Appends what one receive gives; false when the peer closed or the socket failed.
bool ReadMore(int fd, std::string& buf) {
    char chunk[16384];
    for (;;) {
        ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        buf.append(chunk, static_cast<std::size_t>(n));
        return true;
    }
}

std::string PathOf(std::string_view target) {
    return std::string(target.substr(0, target.find('?')));
}

}  // namespace

struct Listener {
    int fd = -1;
    std::uint16_t port = 0;
    bool listening = false;
    bool downTimed = false;  // comes back at upAt
    Clock::time_point upAt;
};

struct Conn {
    int fd = -1;
    bool internet = false;
    bool reset = false;  // close with SO_LINGER 0
    std::thread thread;
    std::atomic<bool> done{false};
};

struct Simulator::Impl {
    Options options;
    mutable std::mutex mu;
    mutable std::condition_variable cv;  // requests recorded, stop
    RouterLogic logic;
    Fault fault;
    bool internetUp = true;
    bool internetResolves = true;
    int internetStatus = 0;
    std::vector<Request> requests, internetRequests;
    std::size_t recordedTotal = 0;
    Listener router, internet;
    int wakeRead = -1, wakeWrite = -1;
    bool running = false, stopping = false;
    std::thread acceptThread;
    std::list<std::unique_ptr<Conn>> conns;
    std::mutex fileMu;

    explicit Impl(Options o) : options(std::move(o)) {
        logic.model = options.model;
        internetUp = options.internetUp;
    }

    void Wake() const {
        if (wakeWrite >= 0) {
            char c = 1;
            [[maybe_unused]] ssize_t n = ::write(wakeWrite, &c, 1);
        }
    }

    // Caller holds mu.
    void ShutdownConns(const Conn* except, bool internetSide) {
        for (auto& c : conns) {
            if (c.get() != except && c->internet == internetSide && c->fd >= 0) {
                ::shutdown(c->fd, SHUT_RDWR);
            }
        }
    }

    // Caller holds mu. The router restarts: it refuses connections for rebootDownMs and
    // drops every other connection at once.
    void Restart(const Conn* self) {
        if (options.rebootDownMs > 0 && router.listening) {
            ::shutdown(router.fd, SHUT_RD);
            router.listening = false;
            router.downTimed = true;
            router.upAt = Clock::now() + std::chrono::milliseconds(options.rebootDownMs);
            Wake();
        }
        ShutdownConns(self, false);
    }

    // Caller holds mu. Opens or closes a port the way switching it on or off would: a
    // closed port refuses connections and drops the ones it had.
    void SetListening(Listener& l, bool up) {
        if (up && !l.listening) {
            Listen(l);
        } else if (!up && l.listening) {
            ::shutdown(l.fd, SHUT_RD);
            l.listening = false;
            l.downTimed = false;
            ShutdownConns(nullptr, &l == &internet);
        }
        Wake();
    }

    // Caller holds mu.
    void Listen(Listener& l) {
        l.downTimed = false;
        if (::listen(l.fd, kBacklog) == 0) {
            l.listening = true;
        } else if (options.log) {
            options.log("listen on port " + std::to_string(l.port) +
                        " failed: " + std::strerror(errno));
        }
    }

    Fault TakeFault(std::string_view path) {
        std::lock_guard lock(mu);
        if (!fault.Applies(path)) return Fault{};
        Fault f = fault;
        if (fault.kind != FaultKind::None && fault.count > 0 && --fault.count == 0) fault = Fault{};
        return f;
    }

    // Caller holds mu.
    void Record(Request r, bool internetSide) {
        if (r.body.size() > options.recordBodyLimit) {
            r.body.clear();
            r.body.shrink_to_fit();
            r.bodyOmitted = true;
        }
        auto& list = internetSide ? internetRequests : requests;
        list.push_back(std::move(r));
        if (options.maxRecorded > 0 && list.size() > options.maxRecorded) list.erase(list.begin());
        if (!internetSide) ++recordedTotal;
        cv.notify_all();
    }

    void WriteStateFile() {
        if (options.stateFile.empty()) return;
        std::string text;
        {
            std::lock_guard lock(mu);
            text = logic.StatusText(internetUp, recordedTotal);
        }
        std::lock_guard lock(fileMu);
        std::string tmp = options.stateFile + ".tmp";
        if (FILE* f = std::fopen(tmp.c_str(), "wb")) {
            bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
            ok = std::fclose(f) == 0 && ok;
            if (ok) std::rename(tmp.c_str(), options.stateFile.c_str());
        }
    }

    void Log(const Request& r, int status) {
        if (options.log)
            options.log(r.method + " " + PathOf(r.target) + " -> " + std::to_string(status));
    }

    // Sleeps for ms unless the simulator stops first; false when it stops.
    bool Pause(unsigned ms) {
        std::unique_lock lock(mu);
        return !cv.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stopping; });
    }

    bool IsStopping() {
        std::lock_guard lock(mu);
        return stopping;
    }

    // Waits, without answering, until the client closes or the simulator stops.
    void Hang(int fd) {
        char scratch[4096];
        while (!IsStopping()) {
            pollfd p{fd, POLLIN, 0};
            int r = ::poll(&p, 1, 200);
            if (r < 0 && errno != EINTR) return;
            if (r > 0) {
                ssize_t n = ::recv(fd, scratch, sizeof scratch, 0);
                if (n == 0 || (n < 0 && errno != EINTR)) return;
            }
        }
    }

    // A stalling router takes the connection and then reads nothing: a sender blocks once
    // the socket buffers are full. Ends when the client goes or the simulator stops.
    bool TakeStall() {
        std::lock_guard lock(mu);
        if (fault.kind != FaultKind::Stall) return false;
        if (fault.count > 0 && --fault.count == 0) fault = Fault{};
        return true;
    }
    void Stall(int fd) {
        while (!IsStopping()) {
            pollfd p{fd, POLLRDHUP, 0};
            int r = ::poll(&p, 1, 200);
            if (r < 0 && errno != EINTR) return;
            if (r > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR))) return;
        }
    }

    bool SendAnswer(int fd, const std::string& head, std::string_view body, const Fault& f) {
        if (f.kind == FaultKind::Slow) {
            std::string all = head + std::string(body);
            std::size_t step = std::max<std::size_t>(1, f.slowChunkBytes);
            for (std::size_t pos = 0; pos < all.size(); pos += step) {
                if (pos > 0 && !Pause(f.slowDelayMs)) return false;
                if (!SendAll(fd, std::string_view(all).substr(pos, step))) return false;
            }
            return true;
        }
        if (f.kind == FaultKind::Oversized) {
            if (!SendAll(fd, head)) return false;
            std::string filler(64 * 1024, 'x');
            for (std::size_t i = 127; i < filler.size(); i += 128) filler[i] = '\n';
            for (std::size_t sent = 0; sent < f.oversizedBytes;) {
                std::size_t n = std::min(filler.size(), f.oversizedBytes - sent);
                if (!SendAll(fd, std::string_view(filler).substr(0, n))) return false;
                sent += n;
            }
            return true;
        }
        if (head.size() + body.size() <= 64 * 1024) return SendAll(fd, head + std::string(body));
        return SendAll(fd, head) && SendAll(fd, body);
    }

    void Serve(Conn& c);
    void AcceptLoop();
    void Reap();
};

void Simulator::Impl::Serve(Conn& c) {
    const int fd = c.fd;
    if (!c.internet && TakeStall()) {
        if (options.log) options.log("connection stalled");
        return Stall(fd);
    }
    std::string buf;
    for (;;) {
        wire::Head head;
        wire::HeadStatus hs;
        while ((hs = wire::ParseHead(buf, head)) == wire::HeadStatus::Incomplete) {
            if (!ReadMore(fd, buf)) return;
        }
        if (hs == wire::HeadStatus::Bad) {
            Request r;
            std::size_t end = buf.find("\r\n\r\n");
            r.raw = buf.substr(
                0, std::min(buf.size(), end == std::string::npos ? wire::kMaxHeadBytes : end + 4));
            std::string_view line = std::string_view(r.raw).substr(0, r.raw.find("\r\n"));
            r.method = std::string(line.substr(0, line.find(' ')));
            r.status = 400;
            Log(r, 400);
            {
                std::lock_guard lock(mu);
                Record(std::move(r), c.internet);
            }
            std::string body = "<html><body>Bad request</body></html>\n";
            SendAll(
                fd,
                wire::ResponseHead(400, {{"Content-Type", "text/html"}}, body.size(), true) + body);
            return;
        }

        Request req;
        req.method = head.method;
        req.target = head.target;
        req.version = head.version;
        req.headers = head.headers;
        const std::string rawHead = buf.substr(0, head.size);
        buf.erase(0, head.size);
        const std::string path = PathOf(req.target);
        const bool statusPage = !c.internet && path == "/sim/status";
        const Fault f = c.internet || statusPage ? Fault{} : TakeFault(path);

        auto refuse = [&](int status) {
            req.raw = rawHead;
            req.status = status;
            Log(req, status);
            {
                std::lock_guard lock(mu);
                Record(std::move(req), c.internet);
            }
            SendAll(fd, wire::ResponseHead(status, {}, 0, true));
        };
        auto length = wire::ContentLength(head);
        if (!length) return refuse(400);
        if (!req.Header("Transfer-Encoding").empty()) return refuse(501);
        if (*length > kMaxBodyBytes) return refuse(413);
        const std::size_t cl = *length;

        if (f.kind == FaultKind::ResetMidTransfer && cl > 0) {
            // Take part of the body, then reset the connection under the sender.
            std::size_t want = cl / 2;
            while (buf.size() < want && ReadMore(fd, buf)) {
            }
            req.raw = rawHead + buf.substr(0, std::min(buf.size(), want));
            Log(req, 0);
            {
                std::lock_guard lock(mu);
                Record(std::move(req), c.internet);
            }
            c.reset = true;
            return;
        }

        if (wire::EqualsNoCase(req.Header("Expect"), "100-continue") && buf.size() < cl) {
            if (!SendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n")) return;
        }
        std::string body;
        bool complete = true;
        if (buf.size() >= cl) {
            body = buf.substr(0, cl);
            buf.erase(0, cl);
        } else {
            // Read the rest straight into the body: one copy of a large image only.
            std::size_t have = buf.size();
            body = std::move(buf);
            buf.clear();
            body.resize(cl);
            while (have < cl) {
                ssize_t n = ::recv(fd, body.data() + have, cl - have, 0);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                have += static_cast<std::size_t>(n);
            }
            if (have < cl) {
                body.resize(have);
                complete = false;
            }
        }
        req.bodySize = body.size();
        req.body = std::move(body);
        if (req.bodySize <= kRawBodyMax) {
            req.raw = rawHead + req.body;
        } else {
            req.raw = rawHead;
            req.rawWithoutBody = true;
        }
        if (!complete) {  // the client gave up mid-body
            Log(req, 0);
            std::lock_guard lock(mu);
            Record(std::move(req), c.internet);
            return;
        }

        std::string connection = req.Header("Connection");
        bool keepAlive = req.version == "HTTP/1.1" ? !wire::EqualsNoCase(connection, "close")
                                                   : wire::EqualsNoCase(connection, "keep-alive");

        switch (f.kind) {
            case FaultKind::NoAnswer:
            case FaultKind::CloseWithoutAnswer:
            case FaultKind::ResetMidTransfer:
            case FaultKind::GarbageStatus: {
                Log(req, 0);
                {
                    std::lock_guard lock(mu);
                    Record(std::move(req), c.internet);
                }
                if (f.kind == FaultKind::NoAnswer) {
                    Hang(fd);
                } else if (f.kind == FaultKind::ResetMidTransfer) {
                    std::string partial =
                        "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1024\r\n\r\n"
                        "<html><head><title>Zavro</title></head><body>";
                    SendAll(fd, partial);
                    c.reset = true;
                } else if (f.kind == FaultKind::GarbageStatus) {
                    SendAll(fd, "ZAVRO#GARBAGE \x01\x02 status\r\nContent-Length: 0\r\n\r\n");
                }
                return;
            }
            default:
                break;
        }

        Reply reply;
        bool changed = false;
        {
            std::lock_guard lock(mu);
            if (c.internet) {
                if (req.method != "GET" && req.method != "HEAD") {
                    reply.status = 405;
                } else if (internetStatus != 0) {
                    reply.status = internetStatus;
                } else if (path == "/" || path == "/index.html") {
                    reply.headers.emplace_back("Content-Type", "text/html");
                    if (req.method == "GET") {
                        reply.body =
                            "<html><head><title>Zavro</title></head><body>"
                            "<h1>Welcome to Zavro</h1><p>You are connected to the Internet.</p>"
                            "</body></html>\n";
                    }
                } else {
                    reply.status = 404;
                }
            } else if (statusPage) {
                reply.headers.emplace_back("Content-Type", "application/json");
                reply.body = logic.StatusText(internetUp, recordedTotal);
            } else if (f.kind == FaultKind::Status) {
                reply.status = f.status;
                reply.headers.emplace_back("Content-Type", "text/html");
                reply.body = "<html><body>Status " + std::to_string(f.status) + "</body></html>\n";
                if (f.status == 401) {
                    reply.headers.emplace_back("WWW-Authenticate",
                                               "Basic realm=\"" + std::string(kRealm) + "\"");
                }
            } else {
                reply = logic.Handle(req);
                changed = reply.stateChanged;
            }
            if (reply.after != Reply::After::None) Restart(&c);
            if (!statusPage) {
                req.status = reply.status;
                Log(req, reply.status);
                Record(std::move(req), c.internet);
            }
        }
        if (changed) WriteStateFile();

        const bool close = reply.close || !keepAlive;
        bool sent;
        if (!reply.rawAnswer.empty()) {
            sent = SendAnswer(fd, reply.rawAnswer, {}, f);
        } else {
            std::size_t size =
                f.kind == FaultKind::Oversized ? f.oversizedBytes : reply.body.size();
            sent = SendAnswer(fd, wire::ResponseHead(reply.status, reply.headers, size, close),
                              reply.body, f);
        }
        if (!sent || close) return;
    }
}

void Simulator::Impl::AcceptLoop() {
    for (;;) {
        pollfd fds[3];
        nfds_t n = 0;
        int timeout = -1;
        int routerFd = -1, internetFd = -1;
        {
            std::lock_guard lock(mu);
            if (stopping) return;
            if (!router.listening && router.downTimed) {
                auto now = Clock::now();
                if (now >= router.upAt) {
                    Listen(router);
                } else {
                    auto left =
                        std::chrono::duration_cast<std::chrono::milliseconds>(router.upAt - now);
                    timeout = static_cast<int>(left.count()) + 1;
                }
            }
            fds[n++] = {wakeRead, POLLIN, 0};
            if (router.listening) {
                routerFd = router.fd;
                fds[n++] = {routerFd, POLLIN, 0};
            }
            if (internet.listening) {
                internetFd = internet.fd;
                fds[n++] = {internetFd, POLLIN, 0};
            }
        }
        int r = ::poll(fds, n, timeout);
        if (r < 0 && errno != EINTR) return;
        if (r <= 0) continue;
        if (fds[0].revents) {
            char drain[64];
            while (::read(wakeRead, drain, sizeof drain) > 0) {
            }
        }
        for (nfds_t i = 1; i < n; ++i) {
            if (!fds[i].revents) continue;
            int s = ::accept4(fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (s < 0) continue;
            int one = 1;
            ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            std::lock_guard lock(mu);
            // A listener that went down since poll() must not let this one in.
            Listener& l = fds[i].fd == routerFd ? router : internet;
            if (stopping || !l.listening) {
                linger lg{1, 0};
                ::setsockopt(s, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
                ::close(s);
                continue;
            }
            auto conn = std::make_unique<Conn>();
            conn->fd = s;
            conn->internet = fds[i].fd == internetFd;
            Conn* raw = conn.get();
            conns.push_back(std::move(conn));
            raw->thread = std::thread([this, raw] {
                Serve(*raw);
                int fd;
                {
                    std::lock_guard lock(mu);
                    fd = raw->fd;
                    raw->fd = -1;
                }
                if (raw->reset) {
                    linger lg{1, 0};
                    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
                }
                ::close(fd);
                raw->done = true;
            });
        }
        Reap();
    }
}

void Simulator::Impl::Reap() {
    std::vector<std::thread> finished;
    {
        std::lock_guard lock(mu);
        for (auto it = conns.begin(); it != conns.end();) {
            if ((*it)->done) {
                finished.push_back(std::move((*it)->thread));
                it = conns.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& t : finished) t.join();
}

Simulator::Simulator(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

std::size_t Simulator::OpenConnections() const {
    std::lock_guard lock(impl_->mu);
    std::size_t n = 0;
    for (const auto& c : impl_->conns) n += c->fd >= 0 ? 1 : 0;
    return n;
}

Simulator::~Simulator() {
    Stop();
}

bool Simulator::Start() {
    if (!StartListening()) return false;
    impl_->WriteStateFile();
    return true;
}

bool Simulator::StartListening() {
    Impl& m = *impl_;
    std::lock_guard lock(m.mu);
    if (m.running || m.logic.model < 1 || m.logic.model > 8) return false;
    Address addr;
    if (!LoopbackAddress(m.options.host, addr)) return false;
    auto fail = [&] {
        for (Listener* l : {&m.router, &m.internet}) {
            if (l->fd >= 0) ::close(l->fd);
            *l = Listener{};
        }
        return false;
    };
    m.router.fd = BindExplicit(addr, m.options.port, m.router.port);
    if (m.router.fd < 0) return fail();
    m.internet.fd = BindExplicit(addr, m.options.internetPort, m.internet.port);
    if (m.internet.fd < 0) return fail();
    m.Listen(m.router);
    if (!m.router.listening) return fail();
    // Bound but not listening while the Internet is down: connections are refused.
    if (m.internetUp) {
        m.Listen(m.internet);
        if (!m.internet.listening) return fail();
    }
    int p[2];
    if (::pipe2(p, O_CLOEXEC | O_NONBLOCK) != 0) return fail();
    m.wakeRead = p[0];
    m.wakeWrite = p[1];
    m.running = true;
    m.stopping = false;
    m.acceptThread = std::thread([&m] { m.AcceptLoop(); });
    return true;
}

void Simulator::Stop() {
    Impl& m = *impl_;
    {
        std::lock_guard lock(m.mu);
        if (!m.running) return;
        m.stopping = true;
        m.Wake();
    }
    m.cv.notify_all();
    if (m.acceptThread.joinable()) m.acceptThread.join();
    std::list<std::unique_ptr<Conn>> conns;
    {
        std::lock_guard lock(m.mu);
        m.ShutdownConns(nullptr, false);
        m.ShutdownConns(nullptr, true);
        conns.swap(m.conns);
    }
    m.cv.notify_all();
    for (auto& c : conns) {
        if (c->thread.joinable()) c->thread.join();
    }
    std::lock_guard lock(m.mu);
    for (Listener* l : {&m.router, &m.internet}) {
        if (l->fd >= 0) ::close(l->fd);
        *l = Listener{};
    }
    ::close(m.wakeRead);
    ::close(m.wakeWrite);
    m.wakeRead = m.wakeWrite = -1;
    m.running = false;
}

std::uint16_t Simulator::Port() const {
    std::lock_guard lock(impl_->mu);
    return impl_->router.port;
}

std::uint16_t Simulator::InternetPort() const {
    std::lock_guard lock(impl_->mu);
    return impl_->internet.port;
}

std::vector<Request> Simulator::Requests() const {
    std::lock_guard lock(impl_->mu);
    return impl_->requests;
}

void Simulator::ClearRequests() {
    std::lock_guard lock(impl_->mu);
    impl_->requests.clear();
    impl_->internetRequests.clear();
    impl_->recordedTotal = 0;
}

std::vector<Request> Simulator::InternetRequests() const {
    std::lock_guard lock(impl_->mu);
    return impl_->internetRequests;
}

State Simulator::GetState() const {
    std::lock_guard lock(impl_->mu);
    return impl_->logic.state;
}

void Simulator::SetState(const State& state) {
    {
        std::lock_guard lock(impl_->mu);
        impl_->logic.state = state;
    }
    impl_->WriteStateFile();
}

void Simulator::SetFault(const Fault& fault) {
    std::lock_guard lock(impl_->mu);
    impl_->fault = fault.count == 0 ? Fault{} : fault;
}

Fault Simulator::GetFault() const {
    std::lock_guard lock(impl_->mu);
    return impl_->fault;
}

void Simulator::SetModel(int model) {
    if (model < 1 || model > 8) return;
    {
        std::lock_guard lock(impl_->mu);
        impl_->logic.model = model;
    }
    impl_->WriteStateFile();
}

int Simulator::Model() const {
    std::lock_guard lock(impl_->mu);
    return impl_->logic.model;
}

void Simulator::SetInternetUp(bool up) {
    Impl& m = *impl_;
    {
        std::lock_guard lock(m.mu);
        m.internetUp = up;
        if (m.running && !m.stopping) m.SetListening(m.internet, up);
    }
    m.WriteStateFile();
}

void Simulator::SetRouterDown(bool down) {
    Impl& m = *impl_;
    std::lock_guard lock(m.mu);
    if (m.running && !m.stopping) m.SetListening(m.router, !down);
}

void Simulator::SetInternetStatus(int status) {
    std::lock_guard lock(impl_->mu);
    impl_->internetStatus = status;
}

void Simulator::SetInternetResolves(bool resolves) {
    std::lock_guard lock(impl_->mu);
    impl_->internetResolves = resolves;
}

std::optional<std::string> Simulator::Resolve(const std::string& name) const {
    std::lock_guard lock(impl_->mu);
    if (name == kInternetHost)
        return impl_->internetResolves ? std::optional(impl_->options.host) : std::nullopt;
    Address numeric;
    if (LoopbackAddress(name, numeric)) return name;
    return std::nullopt;
}

std::string Simulator::InternetUrl() const {
    return std::string("http://") + kInternetHost + ":" + std::to_string(InternetPort()) + "/";
}

bool Simulator::WaitForRequests(std::size_t n, unsigned realTimeoutMs) const {
    std::unique_lock lock(impl_->mu);
    return impl_->cv.wait_for(lock, std::chrono::milliseconds(realTimeoutMs),
                              [&] { return impl_->recordedTotal >= n; });
}

std::string Simulator::StatusText() const {
    std::lock_guard lock(impl_->mu);
    return impl_->logic.StatusText(impl_->internetUp, impl_->recordedTotal);
}

bool Fault::Applies(std::string_view requestPath) const {
    if (path.empty()) return true;
    if (path.front() == '!') return requestPath.substr(0, path.size() - 1) != path.substr(1);
    return requestPath.substr(0, path.size()) == path;
}

bool ParseFault(std::string_view text, Fault& fault) {
    std::string_view pathText;
    if (const std::size_t at = text.find('@'); at != std::string_view::npos) {
        pathText = text.substr(at + 1);
        if (pathText.empty()) return false;
        text = text.substr(0, at);
    }
    std::vector<std::string_view> parts;
    std::size_t pos = 0;
    for (;;) {
        std::size_t colon = text.find(':', pos);
        parts.push_back(text.substr(pos, colon == std::string_view::npos ? colon : colon - pos));
        if (colon == std::string_view::npos) break;
        pos = colon + 1;
    }
    if (parts.size() > 3) return false;
    static const std::pair<std::string_view, FaultKind> kinds[] = {
        {"none", FaultKind::None},
        {"no-answer", FaultKind::NoAnswer},
        {"noanswer", FaultKind::NoAnswer},
        {"close", FaultKind::CloseWithoutAnswer},
        {"reset", FaultKind::ResetMidTransfer},
        {"slow", FaultKind::Slow},
        {"status", FaultKind::Status},
        {"oversized", FaultKind::Oversized},
        {"garbage", FaultKind::GarbageStatus},
        {"stall", FaultKind::Stall},
    };
    Fault f;
    bool known = false;
    for (const auto& [name, kind] : kinds) {
        if (parts[0] == name) {
            f.kind = kind;
            known = true;
        }
    }
    if (!known) return false;
    auto number = [](std::string_view s, int& out) {
        if (s.empty() || s.size() > 9) return false;
        int n = 0;
        for (char c : s) {
            if (c < '0' || c > '9') return false;
            n = n * 10 + (c - '0');
        }
        out = n;
        return true;
    };
    std::string_view statusText = parts.size() > 1 ? parts[1] : std::string_view();
    std::string_view countText = parts.size() > 2 ? parts[2] : std::string_view();
    if (f.kind != FaultKind::Status && parts.size() == 2) {
        countText = statusText;
        statusText = {};
    }
    if (!statusText.empty()) {
        if (!number(statusText, f.status) || f.status < 100 || f.status > 999) return false;
    }
    if (!countText.empty() && !number(countText, f.count)) return false;
    f.path = std::string(pathText);
    fault = f;
    return true;
}

}  // namespace routersim
