#pragma once
// Where a server listens, as people write it ("ADDR:PORT"), and the address to give a phone.
#include <cstdint>
#include <string>

namespace ax7::server {

// "ADDR:PORT", "[V6]:PORT" or ":PORT" (the loopback address); false when it is none of them or
// the port is outside 0..65535.
bool ParseListenAddress(const std::string& text, std::string* address, uint16_t* port);
// The address as the host of a URL ("::1" gives "[::1]").
std::string UrlHost(const std::string& address);
// An address of this computer that a phone on the same network can reach, for an address that
// stands for all of them (0.0.0.0, ::); any other address as it is.
std::string ReachableAddress(const std::string& listen);
// "http://HOST:PORT/" for the page, with "#token=TOKEN" when there is one: the page keeps it.
std::string PageAddress(const std::string& listen, uint16_t port, const std::string& token);

}  // namespace ax7::server
