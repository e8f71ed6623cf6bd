// libFuzzer target: parsing never crashes; it succeeds or fails exactly as the former
// implementation did, with the same message and the same written bytes; and any text that
// parses is a fixed point of the serializer after one round (write, parse, write gives the
// same bytes).
#include "pinvane/json/JsonParser.h"
#include "tests/json/fuzz/reference_json.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void stop(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string expected;
    const bool expectedOk = reference::roundTrip(input, expected);

    JsonDocument document;
    std::string error;
    if (!JsonParser(input).parse(document, error)) {
        if (error.empty())
            stop("failure without a message");
        if (expectedOk || error != expected)
            stop("failure differs from the former parser");
        return 0;
    }
    if (!error.empty())
        stop("success touched the error text");
    if (!expectedOk)
        stop("success where the former parser failed");
    std::string first;
    writeJson(document.root, 0, first);
    if (first != expected)
        stop("written text differs from the former serializer");
    JsonDocument again;
    if (!JsonParser(first).parse(again, error)) {
        std::fprintf(stderr, "serialized text does not parse: %s\n", error.c_str());
        std::abort();
    }
    std::string second;
    writeJson(again.root, 0, second);
    if (first != second)
        stop("second round differs");
    return 0;
}
