// Line, word and label utilities shared by every free-format reader: logical lines with
// comments and continuations, the word splitter with its number test, column finders,
// separator splitting and the keyed line search.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shared/records.hpp"

namespace kova {

constexpr std::size_t line_length = 255;  // the length of a line buffer of the readers
constexpr int max_words = 40;             // text words of one line

// A logical line: its records joined, 255 characters.
struct LogicalLine {
    std::string text;
    int first_record = 0;  // the number of its first record, for messages
};
// The next logical line of channel `unit`; nothing at end of file. A TAB of a record is read
// as a blank. A continued line that does not fit stops the run (listing channel `listing`).
std::optional<LogicalLine> read_logical_line(Io& io, int listing, int unit);

// The text words of one line, as the word splitter takes them: the first 40, each without
// its leading "*", cut to 8 characters and upper-cased. Words are numbered from 1.
struct TextWords {
    int count = 0;
    std::array<std::string, max_words + 1> word{};  // 1..count; slot 0 unused
    std::array<bool, max_words + 1> starred{};      // 1..count: the word began with "*"

    // Word k, 8 characters; blanks when the line has fewer words.
    std::string_view at(int k) const {
        return k >= 1 && k <= count ? std::string_view(word[static_cast<std::size_t>(k)])
                                    : std::string_view("        ");
    }
    // True when the line has a word k and it reads `text` (trailing blanks aside).
    bool is(int k, std::string_view text) const;
    // True when the line has a word k and it began with "*".
    bool is_starred(int k) const {
        return k >= 1 && k <= count && starred[static_cast<std::size_t>(k)];
    }
};
// The text words of `line`, which are blanked out of it: the number words stay in their
// columns for the caller's free-format read.
TextWords split_text_words(std::string& line);
// The stop of the column finder for a word a line lacks: `missing` (which word of which
// record, and how to give it) follows the stop's own text.
[[noreturn]] void stop_at_missing_word(Io& io, int listing, std::string_view missing);
// The first and last column (1-based) of a word of a line.
struct WordColumns {
    int first = 0, last = 0;
};
// The columns of word n; stops the run when there is no such word, with `missing` (which
// word of which record is missing, and how to give it) after the stop's own text.
WordColumns find_word_columns(Io& io, int listing, std::string_view line, int n,
                              std::string_view missing = {});
// The number of words of a line that a blank follows.
int count_blank_ended_words(std::string_view line);
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
// Removes every blank of a text, keeping its length; a text of more than 256 characters
// stops the run.
void remove_blanks(Io& io, int listing, std::string& s);

// How the pieces of a separator split are cased.
enum class PieceCase { as_written, upper, lower };
// One piece of a separator split: `width` characters, and the length of what it holds.
struct Piece {
    std::string text;
    int length = 0;
};
// The pieces between separators, at most `most`, each cut or padded to `width` characters.
// A white-space separator (blank, NUL, TAB) stands for all three. `trim` takes leading and
// trailing white space off each piece, and with a white-space separator makes a run of
// separators count as one.
std::vector<Piece> split_pieces(std::string_view line, char sep, int most, std::size_t width,
                                bool trim, PieceCase letters = PieceCase::as_written);
// The next record of `f` whose first characters equal the key (at most 32), ignoring case,
// padded to 255 characters; nothing at end of file.
std::optional<std::string> search_keyed_line(InFile& f, std::string_view key);
// The length without trailing blanks, 0 when all blank.
int trimmed_length(std::string_view s);
// The column of the first non-blank character, 0 when all blank.
int first_nonblank(std::string_view s);
// Cuts a label at its first "(" and left-justifies it in 10 characters.
void cut_at_bracket(std::string& label);   // 10 characters
// Removes the first "(" and ")" of a label and left-justifies it in 10 characters.
void strip_brackets(std::string& label);  // 10 characters
// The label without its first "UM", left-justified in 10 characters: the MoPro name of a dummy
// ("DUM7" gives "D7").
std::string strip_um(const std::string& label);
// The element part of a label as the MoPro records use it, in 10 characters: "C(12)" gives "C".
std::string mopro_element(const std::string& label);
// The bracket-free name of a label, in 10 characters: "C(12)" gives "C12".
std::string mopro_name(const std::string& label);

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
