// Line, word and label utilities shared by every free-format reader: logical lines with
// comments and continuations, the word splitter with its number test, column finders,
// the databank record reader, separator splitting and the keyed line search.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "shared/records.hpp"

namespace kova {

constexpr std::size_t linelen = 255;

// 0: `line` (255 characters) holds the next logical line; 1: end of file.
int readinputline(Records& r, int unit, std::string& line);
// Fills `line_extract` and blanks the text words out of `line`.
void readline(Records& r, std::string& line);
// First and last column (1-based) of word n; stops the run when there is no such word.
void readchar(Records& r, std::string_view line, int n, int& first, int& last);
int dnumline(std::string_view line);
// Next record not beginning with "!", upper-cased and split; `line` keeps its length.
void readfile(Records& r, int unit, std::string& line);
void upcase(std::string& s);
void locase(std::string& s);
void rmblanks(Records& r, std::string& s);
// Pieces (1-based, each of width w) between separators; n in: most wanted, out: stored.
void split(std::string_view line, char sep, int& n, std::vector<std::string>& pieces,
           std::vector<int>& lengths, std::size_t w, int mode);
// Reads up to the first record whose first characters equal the key, ignoring case.
// `line` holds 255 characters; status 0 found, -1 end of file.
void srchl(Records& r, int unit, std::string_view key, bool& rewind, std::string& line,
           int& status);
int ils(std::string_view s);
int lenstr(std::string_view s);
int ifs(std::string_view s);
void ernum(std::string& label);   // 10 characters
void erbras(std::string& label);  // 10 characters
void izero(std::vector<int>& a, int n);
void rzero(std::vector<float>& a, int n);

// The number test of the word splitter.
bool is_number_word(std::string_view w);

// The word splitter: calls f(word) for every text word of `line` in order (a run of
// non-blanks followed by a blank that is no number, with its leading "*" if it has one) and
// blanks it out of `line`. The words passed are views into `line` before the blanking.
template <typename F>
void for_each_text_word(std::string& line, F&& f) {
    std::size_t first = 0;  // start of the current run of non-blanks
    for (std::size_t j = 0; j + 1 < line.size(); ++j) {
        if (line[j] == ' ') {
            first = j + 1;
            continue;
        }
        if (line[j + 1] != ' ') continue;
        const std::string_view w(line.data() + first, j + 1 - first);
        if (is_number_word(w)) continue;
        f(w);
        // Blanking the word leaves the rest of the scan as it was: the scan looks ahead one
        // column only, and back to the start of the run it is in.
        std::fill_n(line.begin() + static_cast<std::ptrdiff_t>(first), j + 1 - first, ' ');
    }
}

}  // namespace kova
