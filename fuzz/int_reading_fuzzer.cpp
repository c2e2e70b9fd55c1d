// Fuzzes the integer reading (the lenient ReadInteger and the strict
// StrToInt) on any bytes, against an independent model of the grammar; for
// each accepted value also checks that its decimal and hexadecimal spellings
// read back and that a trailing blank is refused.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_check.h"
#include "int_model.h"
#include "rtl/int_reading.h"
#include "rtl/sysutils.h"

namespace {

// "-$1F", "$7FFFFFFF": the value's hexadecimal spelling, sign first.
std::string HexSpelling(std::int32_t value) {
    const long long wide = value;
    char text[16];
    std::snprintf(text, sizeof text, "%s$%llX", wide < 0 ? "-" : "", wide < 0 ? -wide : wide);
    return text;
}

void CheckStrict(const std::string& text, bool valid, std::int32_t value) {
    try {
        const std::int32_t strict = StrToInt(text);
        fuzz::Check(valid, "StrToInt took a text the grammar refuses", fuzz::Shown(text));
        fuzz::CheckEqual(strict, value, "StrToInt's value");
    } catch (const EConvertError& e) {
        fuzz::Check(!valid, "StrToInt refused a valid text", fuzz::Shown(text));
        fuzz::CheckEqual(e.Message(), "'" + text + "' is not a valid integer value",
                         "StrToInt's message");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::int32_t want = 0;
    const bool valid = fuzz::ModelReadInteger(text, want);

    bool ok = !valid;
    const std::int32_t got = ReadInteger(text, &ok);
    fuzz::Check(ok == valid, valid ? "a valid text was refused" : "an invalid text was taken",
                fuzz::Shown(text));
    fuzz::CheckEqual(got, valid ? want : 0, "ReadInteger's value");
    fuzz::CheckEqual(ReadInteger(text), got, "ReadInteger without the flag");
    CheckStrict(text, valid, want);

    if (valid) {
        fuzz::CheckEqual(ReadInteger(std::to_string(want)), want, "the decimal spelling");
        fuzz::CheckEqual(ReadInteger("  " + HexSpelling(want)), want, "the hexadecimal spelling");
        bool trailing = true;
        ReadInteger(text + " ", &trailing);
        fuzz::Check(!trailing, "a blank after the digits was taken", fuzz::Shown(text));
    }
    return 0;
}
