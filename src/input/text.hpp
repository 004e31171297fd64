// Line, word and label utilities shared by every free-format reader: logical lines with
// comments and continuations, the word splitter with its number test, column finders,
// the databank record reader, separator splitting and the keyed line search.
#pragma once

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

}  // namespace kova
