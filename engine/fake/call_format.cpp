#include "call_format.h"

#include <charconv>
#include <cstdio>

namespace orvfake::detail {

void put(std::string& out, int value) { out += std::to_string(value); }
void put(std::string& out, unsigned value) { out += std::to_string(value); }
void put(std::string& out, long value) { out += std::to_string(value); }
void put(std::string& out, unsigned long value) { out += std::to_string(value); }

void put(std::string& out, double value)
{
    // to_chars instead of printf: the application may have set a locale with
    // a decimal comma, and the log must not depend on it.
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    out.append(buffer, result.ptr);
}

void put(std::string& out, const char* text)
{
    if (!text) {
        out += "null";
        return;
    }
    out += '"';
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7f) {
                // Three octal digits, so a following digit cannot join the escape.
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\%03o", c);
                out += escape;
            } else {
                out += static_cast<char>(c); // UTF-8 stays readable
            }
        }
    }
    out += '"';
}

void put(std::string& out, Argb colour)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(colour.value));
    out += buffer;
}

void put(std::string& out, FnArg fn) { out += fn.set ? "fn" : "null"; }
void put(std::string& out, PtrArg ptr) { out += ptr.set ? "ptr" : "null"; }

} // namespace orvfake::detail
