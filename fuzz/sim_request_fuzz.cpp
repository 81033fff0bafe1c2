// The simulator's request side on any bytes: head parsing, then up to four requests in a
// row through the router logic of the chosen family (so an upload can meet its update).
#include <string>

#include "FuzzInput.h"
#include "HttpWire.h"
#include "RouterLogic.h"

using namespace routersim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zavro::fuzz::Input in(data, size);
    RouterLogic logic;
    logic.model = 1 + in.Byte() % 8;
    std::string_view rest = in.RestText();
    for (int i = 0; i < 4 && !rest.empty(); ++i) {
        wire::Head head;
        if (wire::ParseHead(rest, head) != wire::HeadStatus::Ok) break;
        ZAVRO_FUZZ_CHECK(head.size <= rest.size() && head.size <= wire::kMaxHeadBytes);
        ZAVRO_FUZZ_CHECK(!head.target.empty() && head.target.front() == '/');
        const auto length = wire::ContentLength(head);
        if (!length) break;
        const std::size_t bodySize = std::min(*length, rest.size() - head.size);

        Request request;
        request.method = head.method;
        request.target = head.target;
        request.version = head.version;
        request.headers = head.headers;
        request.body = std::string(rest.substr(head.size, bodySize));
        request.bodySize = bodySize;
        request.raw = std::string(rest.substr(0, head.size + bodySize));
        rest.remove_prefix(head.size + bodySize);

        const Reply reply = logic.Handle(request);
        ZAVRO_FUZZ_CHECK(reply.status >= 100 && reply.status <= 599);
        const std::string answer =
            wire::ResponseHead(reply.status, reply.headers, reply.body.size(), reply.close);
        ZAVRO_FUZZ_CHECK(answer.rfind("HTTP/1.1 ", 0) == 0);
        ZAVRO_FUZZ_CHECK(answer.size() >= 4 &&
                         answer.compare(answer.size() - 4, 4, "\r\n\r\n") == 0);
    }
    return 0;
}
