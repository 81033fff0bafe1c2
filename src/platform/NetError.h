// Why a transport step failed, as the network adapters report it. The router client turns
// it into its own failure cause; the pages explain it to the user.
#pragma once

namespace zavro {

enum class NetError {
    None,            // no transport failure
    Unresolved,      // the host name did not resolve
    Unreachable,     // no route to the host (cable, wrong network)
    Refused,         // the host refused the connection
    ConnectTimeout,  // the connection attempt timed out
    NoAnswer,        // connected, but no answer came in time (or the wait was cancelled)
    Closed,          // the peer closed or reset the connection
    Garbled,         // an answer came that is not HTTP
};

}  // namespace zavro
