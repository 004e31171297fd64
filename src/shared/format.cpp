#include "shared/format.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace kova {

namespace {

std::string stars(int w) { return std::string(static_cast<std::size_t>(w > 0 ? w : 0), '*'); }

std::string right(std::string s, int w) {
    if (static_cast<int>(s.size()) > w) return stars(w);
    return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

std::string nonfinite(double v, int w, bool plus) {
    if (std::isnan(v)) return w >= 3 ? right("NaN", w) : stars(w);
    std::string sign = v < 0 ? "-" : (plus ? "+" : "");
    if (w >= static_cast<int>(8 + sign.size())) return right(sign + "Infinity", w);
    if (w >= static_cast<int>(3 + sign.size())) return right(sign + "Inf", w);
    return stars(w);
}

// |v| 10^d rounded to an integer as printf's %.*f rounds it (the exact binary value, an exact
// tie to the even digit): v = m 2^e exactly, so v 10^d = m 5^d 2^(e+d), worked in 64-bit
// integers where they hold it (any float with up to 17 decimals) and in 128-bit ones else.
// Nothing when the result needs more than 64 bits.
std::optional<std::uint64_t> scaled(double v, int d) {
    static constexpr std::uint64_t kPow5[19] = {
        1ull, 5ull, 25ull, 125ull, 625ull, 3125ull, 15625ull, 78125ull, 390625ull, 1953125ull,
        9765625ull, 48828125ull, 244140625ull, 1220703125ull, 6103515625ull, 30517578125ull,
        152587890625ull, 762939453125ull, 3814697265625ull};
    if (d > 18) return std::nullopt;
    const auto bits = std::bit_cast<std::uint64_t>(v);
    const int be = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t frac = bits & ((std::uint64_t{1} << 52) - 1);
    // |v| = m 2^e with m below 2^53 (a subnormal value has no hidden bit)
    std::uint64_t m = be == 0 ? frac : frac | (std::uint64_t{1} << 52);
    int e = be == 0 ? -1074 : be - 1075;
    std::uint64_t q = 0;
    if (m == 0) return q;
    const int tz = std::countr_zero(m);  // a float widened to double keeps 24 bits of m
    m >>= tz;
    e += tz;
    const int s = e + d;
    std::uint64_t p = 0;
    if (!__builtin_mul_overflow(m, kPow5[d], &p)) {
        if (s >= 0) {
            if (s >= 64 || (p >> (63 - s) >> 1) != 0) return std::nullopt;
            q = p << s;
        } else if (-s < 64) {
            const int k = -s;
            q = p >> k;
            const std::uint64_t rest = p & ((std::uint64_t{1} << k) - 1);
            const std::uint64_t half = std::uint64_t{1} << (k - 1);
            if (rest > half || (rest == half && (q & 1) != 0)) ++q;
        } else if (-s == 64) {
            q = p > (std::uint64_t{1} << 63) ? 1 : 0;  // half is 2^63; a tie goes to 0
        }  // else p < 2^64 < half: q stays 0
        return q;
    }
    using u128 = unsigned __int128;
    const u128 pw = static_cast<u128>(m) * kPow5[d];  // below 2^95
    u128 n = 0;
    if (s >= 0) {
        if (s > 10) return std::nullopt;  // keeps pw 2^s below 2^105
        n = pw << s;
    } else if (-s < 127) {
        const int k = -s;
        n = pw >> k;
        const u128 rest = pw & ((u128{1} << k) - 1);
        const u128 half = u128{1} << (k - 1);
        if (rest > half || (rest == half && (n & 1) != 0)) ++n;
    }  // else pw < 2^95 < half: n stays 0
    if (n >> 64 != 0) return std::nullopt;
    return static_cast<std::uint64_t>(n);
}

// Fw.d through the C library's %.*f, for what `scaled` cannot hold.
std::string printf_fixed(double v, int w, int d, bool plus) {
    constexpr int kLimit = 512;  // longer numbers are written as asterisks
    char buf[kLimit + 1];
    int n = std::snprintf(buf, kLimit, "%.*f", d, v);
    if (n < 0 || n >= kLimit) return stars(w);
    if (d == 0) buf[n++] = '.';
    const bool neg = buf[0] == '-';
    const char* body = buf + (neg ? 1 : 0);
    std::size_t blen = static_cast<std::size_t>(n) - (neg ? 1 : 0);
    const std::size_t slen = neg || plus ? 1 : 0;
    if (static_cast<long long>(slen + blen) > w && blen > 1 && body[0] == '0' && body[1] == '.') {
        ++body;
        --blen;
    }
    if (static_cast<long long>(slen + blen) > w) return stars(w);
    std::string out(static_cast<std::size_t>(w), ' ');
    std::size_t at = static_cast<std::size_t>(w) - blen - slen;
    if (slen) out[at++] = neg ? '-' : '+';
    out.replace(at, blen, body, blen);
    return out;
}

// "[-]iii.fff" right-justified in w columns, appended to out; a leading "0" before the point
// goes when the field is too narrow for it, and a field still too narrow is all asterisks.
void put_fixed(std::string& out, double v, int w, int d, bool plus) {
    if (!std::isfinite(v)) {
        out += nonfinite(v, w, plus);
        return;
    }
    if (d < 0) d = 0;
    const std::optional<std::uint64_t> magnitude = scaled(v, d);
    if (!magnitude) {
        out += printf_fixed(v, w, d, plus);
        return;
    }
    std::uint64_t q = *magnitude;
    // the digits of q, at least d + 1 of them, so that a zero integer part reads "0"
    static constexpr auto kPairs = [] {
        std::array<char, 200> a{};
        for (int k = 0; k < 100; ++k) {
            a[static_cast<std::size_t>(2 * k)] = static_cast<char>('0' + k / 10);
            a[static_cast<std::size_t>(2 * k + 1)] = static_cast<char>('0' + k % 10);
        }
        return a;
    }();
    char digits[48];
    char* const end = digits + sizeof digits;
    char* first = end;
    while (q >= 100) {
        first -= 2;
        std::copy_n(kPairs.data() + 2 * (q % 100), 2, first);
        q /= 100;
    }
    if (q >= 10) {
        first -= 2;
        std::copy_n(kPairs.data() + 2 * q, 2, first);
    } else {
        *--first = static_cast<char>('0' + q);
    }
    int n = static_cast<int>(end - first);
    for (; n <= d; ++n) *--first = '0';
    const bool zero_int = n == d + 1 && *first == '0';
    int intdigits = n - d;
    const int slen = std::signbit(v) || plus ? 1 : 0;
    if (slen + intdigits + 1 + d > w && zero_int) {
        intdigits = 0;
        ++first;
    }
    const int len = slen + intdigits + 1 + d;
    if (len > w) {
        out.append(static_cast<std::size_t>(w > 0 ? w : 0), '*');
        return;
    }
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(w), ' ');
    char* p = out.data() + at + (w - len);
    if (slen) *p++ = std::signbit(v) ? '-' : '+';
    p = std::copy(first, first + intdigits, p);
    *p++ = '.';
    std::copy(first + intdigits, end, p);
}

}  // namespace

void put_fi(std::string& out, long long v, int w) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    const auto n = static_cast<std::size_t>(res.ptr - buf);
    if (static_cast<long long>(n) > w) {
        out.append(static_cast<std::size_t>(w > 0 ? w : 0), '*');
        return;
    }
    out.append(static_cast<std::size_t>(w) - n, ' ');
    out.append(buf, n);
}

void put_fi_grown(std::string& out, long long v, int w) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    const auto n = static_cast<long long>(res.ptr - buf);
    if (n < w) out.append(static_cast<std::size_t>(w - n), ' ');
    out.append(buf, static_cast<std::size_t>(n));
}

void put_ff(std::string& out, float v, int w, int d) {
    put_fixed(out, static_cast<double>(v), w, d, false);
}

void put_fa(std::string& out, std::string_view s, int w) {
    if (static_cast<int>(s.size()) >= w) {
        out.append(s.substr(0, static_cast<std::size_t>(w)));
    } else {
        out.append(static_cast<std::size_t>(w) - s.size(), ' ');
        out.append(s);
    }
}

void put_pad(std::string& out, std::string_view s, std::size_t n) {
    const std::size_t k = std::min(n, s.size());
    out.append(s.substr(0, k));
    out.append(n - k, ' ');
}

void put_trim(std::string& out, std::string_view s) {
    const std::size_t e = s.find_last_not_of(' ');
    if (e != std::string_view::npos) out.append(s.substr(0, e + 1));
}

std::string fi(long long v, int w) {
    std::string out;
    put_fi(out, v, w);
    return out;
}

std::string fi_grown(long long v, int w) {
    std::string out;
    put_fi_grown(out, v, w);
    return out;
}

namespace {

// The text of one Fw.d field, with a "+" on positive values when asked.
std::string fixed_text(double v, int w, int d, bool plus) {
    std::string out;
    put_fixed(out, v, w, d, plus);
    return out;
}

}  // namespace

std::string ff(float v, int w, int d) { return fixed_text(static_cast<double>(v), w, d, false); }

std::string ffd(double v, int w, int d) { return fixed_text(v, w, d, false); }

std::string fsp(float v, int w, int d) { return fixed_text(static_cast<double>(v), w, d, true); }

std::string fe(float vf, int w, int d) {
    double v = vf;
    if (!std::isfinite(v)) return nonfinite(v, w, false);
    if (d < 1) d = 1;
    std::string digits;
    int exp = 0;
    bool neg = std::signbit(v);
    if (v == 0.0) {
        digits.assign(static_cast<std::size_t>(d), '0');
        exp = 0;
    } else {
        char buf[128];
        std::snprintf(buf, sizeof buf, "%.*e", d - 1, std::fabs(v));
        std::string s(buf);
        std::size_t epos = s.find('e');
        std::string mant = s.substr(0, epos);
        for (char c : mant)
            if (c != '.') digits.push_back(c);
        exp = std::atoi(s.c_str() + epos + 1) + 1;
    }
    std::string e;
    int ae = std::abs(exp);
    char eb[16];
    if (ae <= 99)
        std::snprintf(eb, sizeof eb, "E%c%02d", exp < 0 ? '-' : '+', ae);
    else
        std::snprintf(eb, sizeof eb, "%c%03d", exp < 0 ? '-' : '+', ae);
    e = eb;
    std::string body = "." + digits + e;
    std::string sign = neg ? "-" : "";  // gfortran keeps the sign of a negative zero
    if (static_cast<int>(sign.size() + body.size() + 1) <= w) body = "0" + body;
    return right(sign + body, w);
}

std::string fa(std::string_view s, int w) {
    std::string out;
    put_fa(out, s, w);
    return out;
}

std::string fx(int n) { return std::string(static_cast<std::size_t>(n > 0 ? n : 0), ' '); }

std::string pad(std::string_view s, std::size_t n) {
    std::string out;
    out.reserve(n);
    put_pad(out, s, n);
    return out;
}

std::string pad_uncut(std::string_view s, std::size_t n) {
    return s.size() >= n ? std::string(s) : pad(s, n);
}

std::string trim(std::string_view s) {
    std::size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

std::string logical_text(bool b) { return b ? "T" : "F"; }

bool same_text(std::string_view a, std::string_view b) {
    std::size_t n = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        char ca = i < a.size() ? a[i] : ' ';
        char cb = i < b.size() ? b[i] : ' ';
        if (ca != cb) return false;
    }
    return true;
}

std::string free_real(float vf) {
    double v = vf;
    if (!std::isfinite(v)) return nonfinite(v, 16, false);
    char buf[64];
    if (v == 0.0) return right(std::signbit(v) ? "-0.00000000" : "0.00000000", 12) + "    ";
    std::snprintf(buf, sizeof buf, "%.8e", v);
    std::string s(buf);
    int x = std::atoi(s.c_str() + s.find('e') + 1);
    if (x >= -1 && x <= 8) {
        int dec = 8 - x;
        std::snprintf(buf, sizeof buf, "%.*f", dec, v);
        std::string f(buf);
        if (dec == 0) f += '.';
        return right(f, 12) + "    ";
    }
    std::string mant = s.substr(0, s.find('e'));
    char eb[16];
    std::snprintf(eb, sizeof eb, "E%c%02d", x < 0 ? '-' : '+', std::abs(x));
    return right(mant + eb, 16);
}

FreeLine& FreeLine::operator<<(std::string_view s) {
    if (last_ == Last::value) s_ += ' ';
    s_ += s;
    last_ = Last::text;
    return *this;
}

FreeLine& FreeLine::operator<<(int v) { return *this << static_cast<long long>(v); }

FreeLine& FreeLine::operator<<(long long v) {
    // gfortran: a blank separator and I11; the record's own leading blank serves the first item
    if (last_ != Last::none) s_ += ' ';
    s_ += fi(v, 11);
    last_ = Last::value;
    return *this;
}

FreeLine& FreeLine::operator<<(bool v) {
    if (last_ != Last::none) s_ += ' ';
    s_ += v ? 'T' : 'F';
    last_ = Last::value;
    return *this;
}

FreeLine& FreeLine::operator<<(float v) {
    if (last_ != Last::none) s_ += ' ';
    s_ += free_real(v);
    last_ = Last::value;
    return *this;
}

}  // namespace kova
