#pragma once

#include <cstdint>
#include <string>

// The origin of an http, https or ftp URL as moz_origins stores it.
struct UrlOrigin {
    bool valid = false;
    std::string prefix;   // scheme + "://"
    std::string host;     // authority without user information, port kept
    std::string hostname; // host without port
};

// 12 characters from the places GUID alphabet.
std::string newPlacesGuid();
// The 32-bit string hash Firefox uses for url_hash.
uint32_t placesHash32(const std::string& bytes);
// Firefox's url_hash: scheme hash (16 bits) above the URL hash (32 bits).
int64_t placesUrlHash(const std::string& url);
UrlOrigin parseUrlOrigin(const std::string& url);
// The host name reversed plus ".", or empty when the URL has no origin.
std::string reversedHost(const std::string& url);
