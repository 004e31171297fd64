// Free-format (list-directed) reading of numbers from a line, and fixed-format Fw.d input,
// as the GNU Fortran run-time reads them. A read error and an end of input are kept apart.
#pragma once

#include <string>
#include <string_view>

namespace kova {

enum class ReadStatus { ok, error, end };

// Reads values in order from one line. Separators are blanks and commas; "r*v" repeats v,
// "r*" gives r null values; two commas in a row give a null value (the target keeps its
// value); a "/" ends the read and leaves every later target unchanged.
class ListReader {
public:
    explicit ListReader(std::string_view line) : s_(line) {}
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
    // Next value token, valid until the next call; false at end of input. null set for a
    // null value.
    bool next(std::string_view& tok, bool& null);
    bool next_value(std::string_view& tok, bool& null);
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

template <typename... T>
ReadStatus read_list(std::string_view line, T&... t) {
    ListReader r(line);
    return r.read(t...);
}

// Number tests of the free-format reads (what a real or an integer field accepts).
bool parse_real(std::string_view tok, double& v);
// The same test, giving the token in a form strtod and strtof read ("1-2" becomes "1e-2").
bool normalize_real(std::string_view tok, std::string& norm);
bool parse_int(std::string_view tok, long long& v);

// Fw.d on input: blanks ignored, d implied decimals when the field has no point.
ReadStatus read_fixed_real(std::string_view field, int d, float& v);
ReadStatus read_fixed_int(std::string_view field, int& v);

}  // namespace kova
