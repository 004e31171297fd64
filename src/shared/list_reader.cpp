#include "shared/list_reader.hpp"

#include <bit>
#include <cctype>
#include <cstdint>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <type_traits>

#include "shared/text.hpp"

namespace kova {

namespace {

bool is_sep(char c) { return c == ' ' || c == ',' || c == '/' || c == '\t'; }

// A real "[sign]digits[.digits]" of at most 15 digits, read exactly: the digits as an
// integer N and the decimals k give N / 10^k, one correctly rounded division of two exact
// doubles. None for any other form, which strtod and strtof read once normalized.
struct ShortDecimal {
    bool neg = false;       // the sign, kept apart so that "-0" stays negative
    double magnitude = 0;   // N / 10^k
};
std::optional<ShortDecimal> short_decimal(std::string_view t) {
    static constexpr double kPow10[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = 0;
    bool neg = false;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) neg = t[i++] == '-';
    std::uint64_t n = 0;
    int digits = 0, decimals = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9' || ++digits > 15) return std::nullopt;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
        if (point) ++decimals;
    }
    if (digits == 0) return std::nullopt;
    return ShortDecimal{neg, static_cast<double>(n) / kPow10[decimals]};
}

// The float nearest the double is the float nearest the decimal unless the double falls on
// a point halfway between two floats (its 29 bits below float precision 1 and zeros).
bool exact_as_float(double x) {
    return (std::bit_cast<std::uint64_t>(x) & 0x1FFFFFFFu) != 0x10000000u;
}

// A fixed field as read: its blanks do not count.
std::string without_blanks(std::string_view field) {
    std::string s;
    for (char c : field)
        if (c != ' ') s.push_back(c);
    return s;
}

}  // namespace

// Checks a real token and gives it in a form strtod and strtof read: "1-2" -> "1e-2".
bool normalize_real(std::string_view t, std::string& norm) {
    norm.clear();
    if (t.empty()) return false;
    std::size_t i = 0;
    bool neg = false;
    if (t[i] == '+' || t[i] == '-') neg = t[i++] == '-';
    if (neg) norm.push_back('-');
    std::string_view rest = t.substr(i);
    if (equal_ignoring_case(rest, "INF") || equal_ignoring_case(rest, "INFINITY")) {
        norm += "inf";
        return true;
    }
    if (rest.size() >= 3 && equal_ignoring_case(rest.substr(0, 3), "NAN")) {
        std::string_view tail = rest.substr(3);
        if (tail.empty() || (tail.size() >= 2 && tail.front() == '(' && tail.back() == ')' &&
                             tail.find(')') == tail.size() - 1)) {
            norm = "nan";
            return true;
        }
        return false;
    }
    int ndig = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        char c = t[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            norm.push_back(c);
            ++ndig;
        } else if (c == '.' && !point) {
            point = true;
            norm.push_back('.');
        } else {
            break;
        }
    }
    if (ndig == 0) {
        // "." alone reads as zero; a sign or an exponent without mantissa digits does not
        if (point && i == t.size()) {
            norm = neg ? "-0" : "0";
            return true;
        }
        return false;
    }
    if (i < t.size()) {
        char c = upper_char(t[i]);
        norm.push_back('e');
        if (c == 'E' || c == 'D' || c == 'Q') {
            ++i;
            if (i < t.size() && (t[i] == '+' || t[i] == '-')) norm.push_back(t[i++]);
        } else if (c == '+' || c == '-') {
            norm.push_back(t[i++]);
        } else {
            return false;
        }
        int edig = 0;
        for (; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])); ++i, ++edig)
            norm.push_back(t[i]);
        if (edig == 0 || i != t.size()) return false;
    }
    return true;
}

std::optional<double> parse_real(std::string_view t) {
    std::string norm;
    if (!normalize_real(t, norm)) return std::nullopt;
    return std::strtod(norm.c_str(), nullptr);
}

std::optional<int> parse_int(std::string_view t) {
    if (t.empty()) return std::nullopt;
    std::size_t i = 0;
    bool neg = false;
    if (t[i] == '+' || t[i] == '-') neg = t[i++] == '-';
    if (i == t.size()) return std::nullopt;
    long long acc = 0;
    for (; i < t.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(t[i]))) return std::nullopt;
        acc = acc * 10 + (t[i] - '0');
        if (acc > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
    }
    if (neg) acc = -acc;
    if (acc > INT_MAX || acc < INT_MIN) return std::nullopt;
    return static_cast<int>(acc);
}

std::optional<ListReader::Token> ListReader::next() {
    last_ = {};
    std::optional<Token> t = next_value();
    if (t && !t->null) last_ = t->text;
    return t;
}

std::optional<ListReader::Token> ListReader::next_value() {
    if (repeat_ > 0) {
        --repeat_;
        return Token{rep_tok_, rep_null_};
    }
    if (slash_) return Token{{}, true};
    // skip blanks; one comma after a value (or at the start) separates, a further one is null
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
    if (pos_ >= s_.size()) return std::nullopt;
    if (s_[pos_] == ',') {
        if (after_value_) {
            after_value_ = false;
            ++pos_;
            while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
            if (pos_ >= s_.size()) return std::nullopt;
            if (s_[pos_] != ',' && s_[pos_] != '/') return next_value();
        }
        if (s_[pos_] == ',') {
            ++pos_;
            after_value_ = false;
            return Token{{}, true};
        }
    }
    if (s_[pos_] == '/') {
        slash_ = true;
        return Token{{}, true};
    }
    std::size_t start = pos_;
    if (s_[pos_] == '\'' || s_[pos_] == '"') {
        char q = s_[pos_++];
        quoted_.clear();
        while (pos_ < s_.size()) {
            if (s_[pos_] == q) {
                if (pos_ + 1 < s_.size() && s_[pos_ + 1] == q) {
                    quoted_.push_back(q);
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                break;
            }
            quoted_.push_back(s_[pos_++]);
        }
        after_value_ = true;
        return Token{quoted_, false};
    }
    while (pos_ < s_.size() && !is_sep(s_[pos_])) ++pos_;
    std::string_view w = s_.substr(start, pos_ - start);
    after_value_ = true;
    std::size_t star = w.find('*');
    if (star != std::string_view::npos) {
        const std::optional<int> r = star > 0 ? parse_int(w.substr(0, star)) : std::nullopt;
        if (r && *r > 0) {
            std::string_view val = w.substr(star + 1);
            rep_null_ = val.empty();
            rep_tok_ = std::string(val);
            repeat_ = *r - 1;
            return Token{rep_tok_, rep_null_};
        }
    }
    return Token{w, false};
}

ReadStatus ListReader::get(int& v) {
    const std::optional<Token> t = next();
    if (!t) return ReadStatus::end;
    if (t->null) return ReadStatus::ok;
    const std::string_view tok = t->text;
    const std::optional<int> x = parse_int(tok);
    if (!x) return ReadStatus::error;
    v = *x;
    return ReadStatus::ok;
}

// A real value. A short decimal is read exactly, which for a float holds unless the double
// falls halfway between two floats; anything else goes through its normalized form.
template <typename T>
ReadStatus ListReader::get_real(T& v) {
    const std::optional<Token> t = next();
    if (!t) return ReadStatus::end;
    if (t->null) return ReadStatus::ok;
    const std::string_view tok = t->text;
    auto take_short = [&v](std::string_view t) {
        const std::optional<ShortDecimal> d = short_decimal(t);
        if (!d || !(std::is_same_v<T, double> || exact_as_float(d->magnitude))) return false;
        const T f = static_cast<T>(d->magnitude);
        v = d->neg ? -f : f;
        return true;
    };
    // Plain decimals, the common case, need no normalized form.
    if (take_short(tok)) return ReadStatus::ok;
    std::string norm;
    if (!normalize_real(tok, norm)) return ReadStatus::error;
    if (!take_short(norm)) {
        if constexpr (std::is_same_v<T, float>)
            v = std::strtof(norm.c_str(), nullptr);
        else
            v = std::strtod(norm.c_str(), nullptr);
    }
    return ReadStatus::ok;
}

ReadStatus ListReader::get(double& v) { return get_real(v); }

ReadStatus ListReader::get(float& v) { return get_real(v); }

ReadStatus ListReader::get(std::string& v) {
    const std::optional<Token> t = next();
    if (!t) return ReadStatus::end;
    if (t->null) return ReadStatus::ok;
    const std::string_view tok = t->text;
    v = tok;
    return ReadStatus::ok;
}

ReadStatus read_fixed_real(std::string_view field, int d, float& v) {
    const std::string s = without_blanks(field);
    if (s.empty()) {
        v = 0.0f;
        return ReadStatus::ok;
    }
    std::string norm;
    if (!normalize_real(s, norm)) return ReadStatus::error;
    if (s.find('.') == std::string::npos && norm.find_first_of("in") == std::string::npos) {
        // no point: the last d digits of the mantissa are decimals
        std::size_t i = norm[0] == '-' ? 1 : 0;
        std::size_t j = i;
        while (j < norm.size() && std::isdigit(static_cast<unsigned char>(norm[j]))) ++j;
        std::string mant = norm.substr(i, j - i);
        while (static_cast<int>(mant.size()) < d + 1) mant.insert(mant.begin(), '0');
        mant.insert(mant.size() - static_cast<std::size_t>(d), 1, '.');
        norm = norm.substr(0, i) + mant + norm.substr(j);
    }
    v = std::strtof(norm.c_str(), nullptr);
    return ReadStatus::ok;
}

ReadStatus read_fixed_int(std::string_view field, int& v) {
    const std::string s = without_blanks(field);
    if (s.empty()) {
        v = 0;
        return ReadStatus::ok;
    }
    const std::optional<int> x = parse_int(s);
    if (!x) return ReadStatus::error;
    v = *x;
    return ReadStatus::ok;
}

}  // namespace kova
