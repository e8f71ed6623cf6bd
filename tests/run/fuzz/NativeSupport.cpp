// Native stand-ins for the Windows-only support functions that the settings
// reader links against, so the reader itself can be fuzzed on Linux.
#include "NativeSupport.h"

#include "pinvane/support/Files.h"
#include "pinvane/support/RunLog.h"
#include "pinvane/support/Text.h"

std::wstring RunLog::logPath;

namespace {
std::vector<std::wstring> lines;
}

std::vector<std::wstring>& fuzzLogLines() {
    return lines;
}

void RunLog::open(const std::wstring& path) {
    logPath = path;
    lines.clear();
}

void RunLog::writeLine(const std::wstring& message) {
    lines.push_back(message);
}

const std::wstring& RunLog::path() {
    return logPath;
}

// Like MultiByteToWideChar with flags 0: what does not decode becomes U+FFFD.
std::wstring utf8ToWide(const std::string& bytes) {
    std::wstring out;
    size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        const int extra = lead < 0x80                   ? 0
                          : lead >= 0xC2 && lead < 0xE0 ? 1
                          : lead >= 0xE0 && lead < 0xF0 ? 2
                          : lead >= 0xF0 && lead < 0xF5 ? 3
                                                        : -1;
        if (extra < 0 || i + extra >= bytes.size()) {
            out += L'\xFFFD';
            ++i;
            continue;
        }
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            code = code << 6 | (next & 0x3F);
        }
        if (!valid || (extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000) ||
            code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            out += L'\xFFFD';
            ++i;
            continue;
        }
        out += static_cast<wchar_t>(code);
        i += extra + 1;
    }
    return out;
}

bool readFileBytes(const std::wstring&, std::string& out) {
    out.clear();
    return false; // the fuzzer hands the reader bytes, never a file
}
