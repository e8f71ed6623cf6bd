// libFuzzer target: parsing never crashes, and any text that parses is a fixed point
// of the serializer after one round (write, parse, write gives the same bytes).
#include "pinvane/json/JsonParser.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    JsonDocument document;
    std::string error;
    if (!JsonParser(input).parse(document, error)) {
        if (error.empty()) {
            std::fprintf(stderr, "failure without a message\n");
            std::abort();
        }
        return 0;
    }
    if (!error.empty()) {
        std::fprintf(stderr, "success touched the error text\n");
        std::abort();
    }
    std::string first;
    writeJson(document.root, 0, first);
    JsonDocument again;
    if (!JsonParser(first).parse(again, error)) {
        std::fprintf(stderr, "serialized text does not parse: %s\n", error.c_str());
        std::abort();
    }
    std::string second;
    writeJson(again.root, 0, second);
    if (first != second) {
        std::fprintf(stderr, "second round differs\n");
        std::abort();
    }
    return 0;
}
