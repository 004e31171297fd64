#include "shared/text.hpp"

#include <algorithm>
#include <cctype>

#include "shared/fatal.hpp"
#include "shared/format.hpp"

namespace kova {

namespace {

bool digit(char c) { return c >= '0' && c <= '9'; }

bool is_white(char c) { return c == ' ' || c == '\0' || c == '\t'; }

}  // namespace

bool is_number_word(std::string_view w) {
    std::size_t i = 0;
    if (i < w.size() && (w[i] == '+' || w[i] == '-')) ++i;
    // A word that starts with any other letter than those of INF, NAN and the exponents is
    // text (the usual case, decided at once).
    if (i < w.size()) {
        const char c = upper_char(w[i]);
        if (c >= 'A' && c <= 'Z' && c != 'I' && c != 'N' && c != 'E' && c != 'D' && c != 'Q')
            return false;
    }
    std::string_view rest = w.substr(i);
    if (equal_ignoring_case(rest, "INF") || equal_ignoring_case(rest, "INFINITY") ||
        equal_ignoring_case(rest, "NAN"))
        return true;
    if (rest.size() > 3 && equal_ignoring_case(rest.substr(0, 3), "NAN") && rest[3] == '(' &&
        rest.back() == ')' && rest.find(')') == rest.size() - 1)
        return true;
    bool point = false;
    while (i < w.size() && (digit(w[i]) || (w[i] == '.' && !point))) {
        if (w[i] == '.') point = true;
        ++i;
    }
    if (i < w.size()) {
        char c = upper_char(w[i]);
        if (c == 'E' || c == 'D' || c == 'Q') {
            ++i;
            if (i < w.size() && (w[i] == '+' || w[i] == '-')) ++i;
        } else if (c == '+' || c == '-') {
            ++i;
        } else {
            return false;
        }
        while (i < w.size() && digit(w[i])) ++i;
    }
    return i == w.size();
}

bool read_logical_line(Records& r, int unit, std::string& line, int* first_record) {
    InFile& f = r.io.in(unit);
    line.assign(line_length, ' ');
    std::size_t ins = 0;  // insertion column, 0-based
    std::string rec;
    while (true) {
        if (!f.read(rec)) return false;
        rec = pad(rec, line_length);
        // Hand-written instructions separate their words with TABs too.
        std::replace(rec.begin(), rec.end(), '\t', ' ');
        int l = trimmed_length(rec);
        if (l == 0 || rec[0] == '!') continue;
        if (ins == 0 && first_record) *first_record = f.recno();
        std::size_t L = static_cast<std::size_t>(l);
        if (rec[L - 1] != '\\') {
            for (std::size_t k = 0; k < L && ins + k < line_length; ++k) line[ins + k] = rec[k];
            return true;
        }
        if (ins + 1 + L > line_length)
            fatal_error(r, "ReadInputLine", "Line exceeds limit of 255 characters");
        for (std::size_t k = 0; k < L; ++k) line[ins + k] = rec[k];
        // The record copied has a non-blank, so the line is not blank.
        ins = static_cast<std::size_t>(trimmed_length(line)) + 1;
    }
}

int count_blank_ended_words(std::string_view line) {
    int n = 0;
    for (std::size_t j = 0; j + 1 < line.size(); ++j)
        if (line[j] != ' ' && line[j + 1] == ' ') ++n;
    return n;
}

WordColumns find_word_columns(Records& r, std::string_view line, int n,
                              std::string_view missing) {
    int count = 0;
    if (line.size() > 1) {
        for (std::size_t j = 0; j + 1 < line.size(); ++j) {
            if (line[j] != ' ' && line[j + 1] == ' ') {
                if (++count == n) {
                    const std::size_t b = line.rfind(' ', j);
                    return {b == std::string_view::npos ? 1 : static_cast<int>(b) + 2,
                            static_cast<int>(j) + 1};
                }
            }
        }
    }
    fatal_error(r, "ReadChar", "Unexpected STOP in ReadChar..." + std::string(missing));
}

void split_text_words(Records& r, std::string& line) {
    LineWords& le = r.line_words;
    le.count = 0;
    for (int k = 1; k <= max_words; ++k) {
        le.starred[k] = 0;
        le.word[k] = std::string(8, ' ');
    }
    for_each_text_word(line, [&le](std::string_view w) {
        // More than 40 text words: the rest are blanked but not stored.
        if (le.count >= max_words) return;
        ++le.count;
        if (w[0] == '*') {
            le.starred[le.count] = 1;
            w.remove_prefix(1);
        }
        std::string t = pad(w, 8);
        for (char& c : t) c = upper_char(c);
        le.word[le.count] = t;
    });
}

void read_split_record(Records& r, int unit, std::string& line) {
    InFile& f = r.io.in(unit);
    std::size_t len = line.size();
    std::string rec;
    while (true) {
        if (!f.read(rec)) fatal_error(r, "ReadFile", " Error reading unit = " + fi(unit, 12));
        if (!rec.empty() && rec[0] == '!') continue;
        break;
    }
    line = pad(rec, len);
    upper_case(line);
    split_text_words(r, line);
}

void upper_case(std::string& s) {
    for (char& c : s) c = upper_char(c);
}

void lower_case(std::string& s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
}

void remove_blanks(Records& r, std::string& s) {
    if (s.size() > 256) fatal_error(r, "RmBlanks", "len(op).gt.len(line)");
    std::string t;
    for (char c : s)
        if (c != ' ') t.push_back(c);
    s = pad(t, s.size());
}

void split_pieces(std::string_view line, char sep, int& n, std::vector<std::string>& pieces,
           std::vector<int>& lengths, std::size_t w, int mode) {
    int most = n;
    int count = 0;
    pieces.assign(static_cast<std::size_t>(most > 0 ? most : 0) + 1, std::string(w, ' '));
    lengths.assign(pieces.size(), 0);
    bool trim = (mode & 1) != 0;
    bool white = is_white(sep);
    auto is_sep = [&](char c) { return white ? is_white(c) : c == sep; };
    std::size_t start = 0;
    std::size_t len = line.size();
    auto store = [&](std::size_t a, std::size_t b) {  // columns a..b-1
        ++count;
        std::string_view p = line.substr(a, b - a);
        pieces[count] = pad(p, w);
        lengths[count] = static_cast<int>(std::min(p.size(), w));
    };
    for (std::size_t i = 0; i < len && count < most; ++i) {
        if (is_sep(line[i])) {
            if (i == start) {
                if (!(trim && white)) {
                    ++count;
                    pieces[count] = std::string(w, ' ');
                    lengths[count] = 0;
                }
            } else {
                store(start, i);
            }
            start = i + 1;
        } else if (i == len - 1) {
            store(start, len);
        }
    }
    n = count;
    for (int k = 1; k <= count; ++k) {
        std::string& p = pieces[k];
        if (trim) {
            std::size_t L = static_cast<std::size_t>(lengths[k]);
            std::size_t a = 0;
            while (a < L && is_white(p[a])) ++a;
            std::size_t b = L;
            while (b > a && is_white(p[b - 1])) --b;
            p = pad(std::string_view(p).substr(a, b - a), w);
            lengths[k] = static_cast<int>(b - a);
        }
        if (mode & 2) upper_case(p);
        else if (mode & 4) lower_case(p);
    }
}

std::optional<std::string> search_keyed_line(Records& r, int unit, std::string_view key,
                                             bool& rewind) {
    std::string k(key.substr(0, std::min<std::size_t>(key.size(), 32)));
    upper_case(k);
    InFile& f = r.io.in(unit);
    if (rewind) {
        f.rewind();
        rewind = false;
    }
    std::string rec;
    while (f.read(rec)) {
        std::string line = pad(rec, line_length);
        std::string head = line.substr(0, k.size());
        upper_case(head);
        if (head == k) return line;
    }
    return std::nullopt;
}

int trimmed_length(std::string_view s) {
    std::size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? 0 : static_cast<int>(e) + 1;
}

int first_nonblank(std::string_view s) {
    std::size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos ? 0 : static_cast<int>(b) + 1;
}

namespace {
void left_justify(std::string& s, std::size_t n) {
    std::size_t b = s.find_first_not_of(' ');
    s = b == std::string::npos ? std::string(n, ' ') : pad(s.substr(b), n);
}
}  // namespace

void cut_at_bracket(std::string& label) {
    std::string l = pad(label, 10);
    std::size_t p = l.find('(');
    if (p != std::string::npos) l = pad(l.substr(0, p), 10);
    left_justify(l, 10);
    label = l;
}

void strip_brackets(std::string& label) {
    std::string l = pad(label, 10);
    if (std::size_t p = l.find('('); p != std::string::npos) l = pad(l.erase(p, 1), 10);
    if (std::size_t p = l.find(')'); p != std::string::npos) l = pad(l.erase(p, 1), 10);
    left_justify(l, 10);
    label = l;
}

}  // namespace kova
