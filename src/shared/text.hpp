// Line, word and label utilities shared by every free-format reader: logical lines with
// comments and continuations, the word splitter with its number test, column finders,
// the databank record reader, separator splitting and the keyed line search.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shared/records.hpp"

namespace kova {

constexpr std::size_t line_length = 255;  // the length of a line buffer of the readers

// True when `line` (255 characters) holds the next logical line; false at end of file. A TAB
// of a record is read as a blank. `first_record`, when given, takes the number of the line's
// first record.
bool read_logical_line(Records& r, int unit, std::string& line, int* first_record = nullptr);
// Fills `line_words` and blanks the text words out of `line`.
void split_text_words(Records& r, std::string& line);
// The first and last column (1-based) of a word of a line.
struct WordColumns {
    int first = 0, last = 0;
};
// The columns of word n; stops the run when there is no such word, with `missing` (which
// word of which record is missing, and how to give it) after the stop's own text.
WordColumns find_word_columns(Records& r, std::string_view line, int n,
                              std::string_view missing = {});
// The number of words of a line that a blank follows.
int count_blank_ended_words(std::string_view line);
// Next record not beginning with "!", upper-cased and split; `line` keeps its length.
void read_split_record(Records& r, int unit, std::string& line);
// A-Z for a-z; any other character as it is.
inline char upper_char(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
// True when two texts are equal but for the case of their letters a-z.
inline bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper_char(a[i]) != upper_char(b[i])) return false;
    return true;
}
// Upper-cases a-z in place.
void upper_case(std::string& s);
// Lower-cases A-Z in place.
void lower_case(std::string& s);
// Removes every blank of a text, keeping its length.
void remove_blanks(Records& r, std::string& s);
// Pieces (1-based, each of width w) between separators; n in: most wanted, out: stored.
void split_pieces(std::string_view line, char sep, int& n, std::vector<std::string>& pieces,
           std::vector<int>& lengths, std::size_t w, int mode);
// Reads up to the first record whose first characters equal the key, ignoring case, and
// gives it padded to 255 characters; nothing at end of file.
std::optional<std::string> search_keyed_line(Records& r, int unit, std::string_view key,
                                             bool& rewind);
// The length without trailing blanks, 0 when all blank.
int trimmed_length(std::string_view s);
// The column of the first non-blank character, 0 when all blank.
int first_nonblank(std::string_view s);
// Cuts a label at its first "(" and left-justifies it in 10 characters.
void cut_at_bracket(std::string& label);   // 10 characters
// Removes the first "(" and ")" of a label and left-justifies it in 10 characters.
void strip_brackets(std::string& label);  // 10 characters

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
