#pragma once

// How the Wine helpers write bytes into their reports: printable ASCII as it
// is, every other byte and '%' as %XX, so that a value holds no blank or line
// break. tools/wine_lab.py undoes it.

#include <cstdio>
#include <string>
#include <string_view>

inline std::string Escaped(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if (c > 32 && c < 127 && c != '%') {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}
