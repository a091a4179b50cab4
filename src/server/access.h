#pragma once
// Who may use the server: the token a non-loopback address needs, where it is kept, and the
// checks of a request's Authorization, Host and Origin headers.
#include <string>
#include <string_view>
#include <vector>

namespace ax7::server {

// True for 127.0.0.0/8, ::1 and "localhost": an address only this computer reaches.
bool IsLoopbackAddress(std::string_view address);

// $XDG_CONFIG_HOME/ax7-control/token, or $HOME/.config/ax7-control/token.
std::string DefaultTokenPath();
// 128 random bits from the kernel's generator as 32 lower-case hex digits; empty when the
// generator failed.
std::string NewToken();
// Reads the token kept at `path`, or makes one and keeps it there (mode 0600, the folder 0700)
// when there is none yet (*created then). False with a one-line reason when the file cannot be
// read or written, holds no token, or can be read by other users.
bool LoadOrCreateToken(const std::string& path, std::string* token, bool* created,
                       std::string* error);

// Equal in a time that does not depend on where they differ.
bool SameSecret(std::string_view a, std::string_view b);
// The token of "Bearer TOKEN" (empty when the header is not of that form).
std::string_view BearerToken(std::string_view authorization);
// The host[:port] of an Origin header ("http://host:port"); empty when it has none.
std::string_view OriginHost(std::string_view origin);
// The host name of a Host header, without the port ("[::1]:8744" gives "[::1]").
std::string_view HostName(std::string_view host);

// The QR code of `text` as rows of modules (true: dark), with no quiet zone; empty when it does
// not fit in a QR code.
std::vector<std::vector<bool>> QrModules(const std::string& text);
// The code drawn with half blocks for a terminal, two rows of modules per line, with its
// quiet zone.
std::string QrTerminalText(const std::string& text);

}  // namespace ax7::server
