// Free-format (list-directed) reading of numbers from a line, and fixed-format Fw.d input,
// as the GNU Fortran run-time reads them. A read error and an end of input are kept apart.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kova {

enum class ReadStatus { ok, error, end };

// Reads values in order from one line. Separators are blanks and commas; "r*v" repeats v,
// "r*" gives r null values; two commas in a row give a null value (the target keeps its
// value); a "/" ends the read and leaves every later target unchanged.
class ListReader {
public:
    // A reader at the start of the line, which must outlive it.
    explicit ListReader(std::string_view line) : s_(line) {}
    // The next value into v: ok (v kept for a null value), error for a value of another
    // kind, end when the line has no more.
    ReadStatus get(int& v);
    ReadStatus get(float& v);
    ReadStatus get(double& v);
    // A text value: a word up to the next separator, or a quoted string.
    ReadStatus get(std::string& v);
    // The text of the latest value taken (empty for a null value), for messages; valid until
    // the next call.
    std::string_view last() const { return last_; }
    // Reads all targets; the first status that is not ok is returned.
    template <typename... T>
    ReadStatus read(T&... t) {
        ReadStatus st = ReadStatus::ok;
        ((st == ReadStatus::ok ? (st = get(t), 0) : 0), ...);
        return st;
    }

private:
    // A value as found: its text, or a null value (which leaves its target as it was).
    struct Token {
        std::string_view text;
        bool null = false;
    };
    // The next value, its text valid until the next call; none at the end of the input.
    std::optional<Token> next();
    // The same without noting the text for `last`.
    std::optional<Token> next_value();
    // The float and double reads, which differ only in the last rounding.
    template <typename T>
    ReadStatus get_real(T& v);
    std::string_view s_;
    std::string_view last_;
    std::size_t pos_ = 0;
    bool slash_ = false;
    bool after_value_ = false;  // a value has been taken: a comma right after it is its separator
    int repeat_ = 0;
    std::string rep_tok_;
    std::string quoted_;  // the text of the latest quoted value
    bool rep_null_ = false;
};

// Reads all targets from one line; the first status that is not ok.
template <typename... T>
ReadStatus read_list(std::string_view line, T&... t) {
    ListReader r(line);
    return r.read(t...);
}

// The value of a real token as the free-format reads accept it; none for any other token.
std::optional<double> parse_real(std::string_view tok);
// The same test, giving the token in a form strtod and strtof read ("1-2" becomes "1e-2").
bool normalize_real(std::string_view tok, std::string& norm);
// The value of an integer token (in the range of int) as the free-format reads accept it;
// nothing for any other token.
std::optional<int> parse_int(std::string_view tok);

// Fw.d on input: blanks ignored, d implied decimals when the field has no point; ok or error.
ReadStatus read_fixed_real(std::string_view field, int d, float& v);
// Iw on input: blanks ignored, an all-blank field is 0; ok or error.
ReadStatus read_fixed_int(std::string_view field, int& v);

}  // namespace kova
