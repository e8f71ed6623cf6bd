#include "pinvane/firefox/PlacesIdentifiers.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>

namespace {

// Firefox hashes no more than this much of a URL...
constexpr size_t maxHashedLength = 1500;
// ...and looks for the scheme's colon only this far in.
constexpr size_t maxSchemeSearch = 50;

uint32_t hashBytes(const char* bytes, size_t length) {
    uint32_t h = 0;
    for (size_t i = 0; i < length; ++i) {
        const uint32_t b = static_cast<unsigned char>(bytes[i]);
        h = (((h << 5) | (h >> 27)) ^ b) * 0x9E3779B9u;
    }
    return h;
}

} // namespace

std::string newPlacesGuid() {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    unsigned char random[12] = {};
    // A failing generator leaves zeros; the unique index then decides.
    BCryptGenRandom(nullptr, random, sizeof random, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    std::string guid;
    for (unsigned char byte : random)
        guid += alphabet[byte & 0x3F];
    return guid;
}

uint32_t placesHash32(const std::string& bytes) {
    return hashBytes(bytes.data(), bytes.size());
}

int64_t placesUrlHash(const std::string& url) {
    const uint64_t low = hashBytes(url.data(), std::min(url.size(), maxHashedLength));
    const size_t colon = url.substr(0, maxSchemeSearch).find(':');
    if (colon == std::string::npos)
        return static_cast<int64_t>(low);
    const uint64_t scheme = hashBytes(url.data(), colon) & 0xFFFFu;
    return static_cast<int64_t>((scheme << 32) | low);
}

UrlOrigin parseUrlOrigin(const std::string& url) {
    UrlOrigin origin;
    if (url.size() < 3)
        return origin;
    const size_t separator = url.find("://");
    if (separator == std::string::npos)
        return origin;
    const std::string scheme = url.substr(0, separator);
    if (scheme != "http" && scheme != "https" && scheme != "ftp")
        return origin;
    const size_t start = separator + 3;
    const size_t end = std::min(url.find_first_of("/?#", start), url.size());
    std::string host = url.substr(start, end - start);
    const size_t at = host.rfind('@');
    if (at != std::string::npos)
        host.erase(0, at + 1);
    if (host.empty())
        return origin;
    origin.valid = true;
    origin.prefix = scheme + "://";
    origin.host = host;
    const size_t colon = host.rfind(':');
    // A colon before "]" is inside a bracketed IPv6 address, not a port.
    if (colon == std::string::npos || host.find(']', colon) != std::string::npos)
        origin.hostname = host;
    else
        origin.hostname = host.substr(0, colon);
    return origin;
}

std::string reversedHost(const std::string& url) {
    const UrlOrigin origin = parseUrlOrigin(url);
    if (!origin.valid)
        return {};
    std::string reversed(origin.hostname.rbegin(), origin.hostname.rend());
    return reversed + ".";
}
