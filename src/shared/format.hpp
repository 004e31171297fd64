// Record formatting: the edit descriptors Iw, Fw.d, SP Fw.d, Ew.d, Aw and nX, fixed-length
// texts, and free-format (list-directed) lines, as the GNU Fortran run-time writes them.
#pragma once

#include <string>
#include <string_view>

namespace kova {

std::string fi(long long v, int w);              // Iw
// Iw for the few fields whose readers take free format (MoPro numbers and counts, the atom
// count of the !LATEN line): a number too wide for w columns is written in full instead of
// as w "*", so the field grows only when the number needs it.
std::string fi_grown(long long v, int w);
std::string ff(float v, int w, int d);           // Fw.d
std::string ffd(double v, int w, int d);         // Fw.d of a double value
std::string fsp(float v, int w, int d);          // SP,Fw.d
std::string fe(float v, int w, int d);           // Ew.d
std::string fa(std::string_view s, int w);       // Aw
std::string fx(int n);                           // nX
std::string logical_text(bool b);                // L1: "T" or "F"

// The same fields appended to a record under construction, so that a record is built in one
// buffer: Iw, Fw.d, Aw, a fixed-length text, and a text without its trailing blanks.
void put_fi(std::string& out, long long v, int w);                // appends Iw
void put_fi_grown(std::string& out, long long v, int w);          // appends Iw, grown to fit
void put_ff(std::string& out, float v, int w, int d);             // appends Fw.d
void put_fa(std::string& out, std::string_view s, int w);         // appends Aw
void put_pad(std::string& out, std::string_view s, std::size_t n);  // appends s in n columns
void put_trim(std::string& out, std::string_view s);              // appends s untrailed

// Fixed-length text: cut to n characters or padded with blanks.
std::string pad(std::string_view s, std::size_t n);
// A name in a listing field of n columns: blank-padded to n, a longer name kept whole.
std::string pad_uncut(std::string_view s, std::size_t n);
// Without trailing blanks.
std::string trim(std::string_view s);
// Fortran text comparison: the shorter is padded with blanks.
bool same_text(std::string_view a, std::string_view b);

// A free-format output line: starts with one blank; texts as they are; integers in 12
// columns; logical values as a blank and T or F; reals as gfortran writes a default real;
// a text that follows a number or a logical gets one separating blank.
class FreeLine {
public:
    // Each item appended in its free-format form; the line itself for the next one.
    FreeLine& operator<<(std::string_view s);
    FreeLine& operator<<(const char* s) { return *this << std::string_view(s); }
    FreeLine& operator<<(const std::string& s) { return *this << std::string_view(s); }
    FreeLine& operator<<(int v);
    FreeLine& operator<<(long long v);
    FreeLine& operator<<(bool v);
    FreeLine& operator<<(float v);
    const std::string& str() const { return s_; }
    operator const std::string&() const { return s_; }
    operator std::string_view() const { return s_; }

private:
    enum class Last { none, text, value };
    std::string s_ = " ";
    Last last_ = Last::none;
};

// The gfortran list-directed form of a default real (16 columns, 9 significant digits).
std::string free_real(float v);

}  // namespace kova
