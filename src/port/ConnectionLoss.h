// Errors after which a port is gone for good rather than busy for a while: retrying them only
// blocks the caller, so the port layer reports the connection as lost instead.
#pragma once

namespace kestrel {

// A device that has gone (unplugged, hung up, closed under the port), or for a TCP/IP port
// (`tcp`) a connection the printer dropped.
bool IsConnectionGone(bool tcp, int error);

}  // namespace kestrel
