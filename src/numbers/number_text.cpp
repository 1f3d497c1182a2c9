#include "numbers/number_text.h"

#include <charconv>
#include <cmath>

namespace kestrum {

namespace {

// Shortest text with at most `digits` significant digits, no trailing zeros, no leading blank.
std::string shortest(double value, int digits) {
    if (value == 0) return "0";
    // The "%G" form of the C locale whatever the user's locale is: a decimal point, never a comma.
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits).ptr;
    std::string s(buf, end);
    for (char& c : s) // "e", "inf", "nan" in capitals, as "%G" writes them
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    const auto e = s.find('E');
    std::string mantissa = e == std::string::npos ? s : s.substr(0, e);
    std::string exponent = e == std::string::npos ? "" : s.substr(e);
    if (mantissa.find('.') != std::string::npos) {
        while (!mantissa.empty() && mantissa.back() == '0')
            mantissa.pop_back();
        if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
    }
    if (!exponent.empty()) {
        // "E+07" stays as the platform writes it; "E-05" likewise.
        return mantissa + exponent;
    }
    // Leading "0." forms such as ".5" are written with the zero, as the readouts expect.
    return mantissa;
}

} // namespace

std::string singleText(float value) {
    return shortest(double(value), 7);
}

std::string doubleText(double value) {
    return shortest(value, 15);
}

double roundHalfUp(float value, int16_t digits) {
    const double scale = std::pow(10.0, double(digits) - 1.0);
    return std::floor(double(value) * scale + 0.5) / scale;
}

} // namespace kestrum
