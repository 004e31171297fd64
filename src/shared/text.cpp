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

std::optional<LogicalLine> read_logical_line(Io& io, int listing, int unit) {
    InFile& f = io.in(unit);
    LogicalLine line{std::string(line_length, ' '), 0};
    std::string& text = line.text;
    std::size_t column = 0;  // insertion column, 0-based
    std::string rec;
    while (true) {
        if (!f.read(rec)) return std::nullopt;
        rec = pad(rec, line_length);
        // Hand-written instructions separate their words with TABs too.
        std::replace(rec.begin(), rec.end(), '\t', ' ');
        const int used = trimmed_length(rec);
        if (used == 0 || rec[0] == '!') continue;
        if (column == 0) line.first_record = f.recno();
        const auto length = static_cast<std::size_t>(used);
        if (rec[length - 1] != '\\') {
            for (std::size_t k = 0; k < length && column + k < line_length; ++k)
                text[column + k] = rec[k];
            return line;
        }
        if (column + 1 + length > line_length)
            fatal_error(io, listing, "ReadInputLine", "Line exceeds limit of 255 characters");
        for (std::size_t k = 0; k < length; ++k) text[column + k] = rec[k];
        // The record copied has a non-blank, so the line is not blank.
        column = static_cast<std::size_t>(trimmed_length(text)) + 1;
    }
}

int count_blank_ended_words(std::string_view line) {
    int n = 0;
    for (std::size_t j = 0; j + 1 < line.size(); ++j)
        if (line[j] != ' ' && line[j + 1] == ' ') ++n;
    return n;
}

WordColumns find_word_columns(Io& io, int listing, std::string_view line, int n,
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
    stop_at_missing_word(io, listing, missing);
}

void stop_at_missing_word(Io& io, int listing, std::string_view missing) {
    fatal_error(io, listing, "ReadChar", "Unexpected STOP in ReadChar..." + std::string(missing));
}

bool TextWords::is(int k, std::string_view text) const {
    return k >= 1 && k <= count && same_text(word[static_cast<std::size_t>(k)], text);
}

TextWords split_text_words(std::string& line) {
    TextWords words;
    for_each_text_word(line, [&words](std::string_view w) {
        // More than 40 text words: the rest are blanked but not kept.
        if (words.count >= max_words) return;
        const auto k = static_cast<std::size_t>(++words.count);
        if (w[0] == '*') {
            words.starred[k] = true;
            w.remove_prefix(1);
        }
        std::string t = pad(w, 8);
        for (char& c : t) c = upper_char(c);
        words.word[k] = std::move(t);
    });
    return words;
}

void upper_case(std::string& s) {
    for (char& c : s) c = upper_char(c);
}

void lower_case(std::string& s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
}

void remove_blanks(Io& io, int listing, std::string& s) {
    if (s.size() > 256) fatal_error(io, listing, "RmBlanks", "len(op).gt.len(line)");
    std::string t;
    for (char c : s)
        if (c != ' ') t.push_back(c);
    s = pad(t, s.size());
}

std::vector<Piece> split_pieces(std::string_view line, char sep, int most, std::size_t width,
                                bool trim, PieceCase letters) {
    std::vector<Piece> pieces;
    const bool white = is_white(sep);
    auto is_sep = [&](char c) { return white ? is_white(c) : c == sep; };
    auto store = [&](std::string_view p) {
        pieces.push_back({pad(p, width), static_cast<int>(std::min(p.size(), width))});
    };
    std::size_t start = 0;
    const std::size_t len = line.size();
    for (std::size_t i = 0; i < len && static_cast<int>(pieces.size()) < most; ++i) {
        if (is_sep(line[i])) {
            // An empty piece between two separators counts, but for runs of white space
            // when trimming.
            if (i > start) store(line.substr(start, i - start));
            else if (!(trim && white)) store({});
            start = i + 1;
        } else if (i == len - 1) {
            store(line.substr(start));
        }
    }
    for (Piece& p : pieces) {
        if (trim) {
            const std::size_t held = static_cast<std::size_t>(p.length);
            std::size_t a = 0;
            while (a < held && is_white(p.text[a])) ++a;
            std::size_t b = held;
            while (b > a && is_white(p.text[b - 1])) --b;
            p.text = pad(std::string_view(p.text).substr(a, b - a), width);
            p.length = static_cast<int>(b - a);
        }
        if (letters == PieceCase::upper) upper_case(p.text);
        else if (letters == PieceCase::lower) lower_case(p.text);
    }
    return pieces;
}

std::optional<std::string> search_keyed_line(InFile& f, std::string_view key) {
    std::string k(key.substr(0, std::min<std::size_t>(key.size(), 32)));
    upper_case(k);
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

std::string strip_um(const std::string& label) {
    std::string s = pad(label, 10);
    for (std::size_t k = 0; k + 1 < 10; ++k)
        if (s[k] == 'U' && s[k + 1] == 'M') {
            s = s.substr(0, k) + s.substr(k + 2);
            break;
        }
    std::size_t b = s.find_first_not_of(' ');
    s = b == std::string::npos ? std::string() : s.substr(b);
    return pad(s, 10);
}

std::string mopro_element(const std::string& label) {
    std::string l = pad(label, 10);
    cut_at_bracket(l);
    return l;
}

std::string mopro_name(const std::string& label) {
    std::string l = pad(label, 10);
    strip_brackets(l);
    return l;
}

}  // namespace kova
