// The instruction file kova.inp: keyword lines set the option records; then the options are
// brought to the form the later stages read, and listed. Positional switches (KEYGEN, DISORD,
// CHEMCON, RINGS) count the star of the word in a given place, whatever the word says; FORMAT
// and SCALE name their choices. A choice line not read as it is written is said so. The
// fragment lines of the rescaling have rules of their own: keyword in column 1, own numbers.
#include "input/instructions.hpp"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/list_reader.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

const char* const instructions_name = "kova.inp";

// The number of the record of kova.inp last read, for messages.
int current_record(Io& io) { return io.in(Files::instructions).recno(); }

[[noreturn]] void unreadable(Io& io, int listing) {
    fatal_error(io, listing, "ReadInp", "Error while reading file kova.inp");
}

void rule(Io& io, int listing) {
    io.write(listing, "");
    io.write(listing, " " + std::string(71, '-'));
}

// A logical line being applied: as written (TABs read as blanks), its text words, and what is
// left of it once they are blanked out: the number words, in their columns. `as_written`
// holds the text words as written (star and case kept, not cut), for messages.
struct SplitLine {
    LogicalLine written;
    TextWords words;
    std::string numbers;
    std::vector<std::string> as_written;  // 1..words.count; slot 0 unused
};

// One choice of a choice line: the word that selects it, as the word splitter keeps it (upper
// case, at most 8 characters), and its name in messages, as the sample writes it.
struct Choice {
    std::string_view word, name;
};

// The choices of the positional lines, in their places from text word 2 on.
constexpr Choice keygen_choices[] = {{"XYZUIJ", "XYZUIJ"}, {"ALL", "XYZUIJ all"},
                                     {"ORDERED", "XYZUIJ ordered"}, {"MULT", "MULT"},
                                     {"ALL", "MULT all"},   {"ORDERED", "MULT ordered"},
                                     {"KAPPAS", "kappas"}};
constexpr Choice disord_choices[] = {{"EXTENDH", "extendH"}, {"DB", "db"}};
constexpr Choice chemcon_choices[] = {{"HYDROGEN", "hydrogen"}, {"OTHER", "other"}};
constexpr Choice rings_choices[] = {{"SPECIAL", "special"}};
// The named choices, anywhere on their line (INPUT: among its last two text words).
constexpr Choice input_choices[] = {{"RENAME", "rename"}, {"TOXD", "toxd"}};
constexpr Choice format_choices[] = {
    {"SHELX", "shelx"}, {"XD", "xd"}, {"AIM2TAB", "aim2tab"}, {"PLATON", "platon"}};
constexpr Choice scale_choices[] = {{"SIGMA", "sigma"}, {"DIFF", "diff"}, {"FRAC", "frac"}};

std::string joined(const std::vector<std::string>& parts, std::string_view last_sep = ", ") {
    std::string s;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        if (k > 0) s += k + 1 == parts.size() ? last_sep : std::string_view(", ");
        s += parts[k];
    }
    return s;
}

// The names of the choices that are on.
std::vector<std::string> names_on(std::span<const Choice> choices, std::span<const bool> on) {
    std::vector<std::string> v;
    for (std::size_t k = 0; k < choices.size(); ++k)
        if (on[k]) v.emplace_back(choices[k].name);
    return v;
}

// The one line, listing then terminal, for a choice line whose words are not all read as
// they are written: the record, the rule of the line, what those words are read as, and the
// choices on after the line. Nothing when every word is read as written.
void report_choices(Io& io, int listing, const SplitLine& line, std::string_view keyword,
                    std::string_view rule, const std::vector<std::string>& items,
                    const std::vector<std::string>& on) {
    if (items.empty()) return;
    const std::string msg = " kova.inp, record " + std::to_string(line.written.first_record) +
                            ": " + std::string(keyword) + " " + std::string(rule) + ": " +
                            joined(items) + "; on: " + (on.empty() ? "none" : joined(on));
    io.write(listing, msg);
    io.write(terminal, msg);
}

std::string in_quotes(std::string_view s) { return "\"" + std::string(s) + "\""; }

// A positional line (KEYGEN, DISORD, CHEMCON, RINGS) whose words, read by their places, are
// not what they say: a word in a choice's place that is not that choice's word, a word past
// the last place, and, where a missing word switches its choice off (CHEMCON), the words
// missing at the end. `on` holds the choices' switches after the line.
void check_places(Io& io, int listing, const SplitLine& line, std::string_view keyword,
                  std::span<const Choice> choices, std::span<const bool> on,
                  bool missing_switches_off) {
    const TextWords& words = line.words;
    std::vector<std::string> items;
    for (int k = 2; k <= words.count; ++k) {
        const std::string& w = line.as_written[static_cast<std::size_t>(k)];
        const auto place = static_cast<std::size_t>(k - 2);
        if (place >= choices.size())
            items.push_back(in_quotes(w) + " stands past the last choice and is ignored");
        else if (!words.is(k, choices[place].word))
            items.push_back(in_quotes(w) + " is read as " + std::string(choices[place].name));
    }
    if (missing_switches_off) {
        std::vector<std::string> missing;
        for (auto place = static_cast<std::size_t>(std::max(words.count - 1, 0));
             place < choices.size(); ++place)
            missing.emplace_back(choices[place].name);
        if (missing.size() == 1) items.push_back(missing[0] + " is missing, which switches it off");
        if (missing.size() > 1)
            items.push_back(joined(missing, " and ") + " are missing, which switches them off");
    }
    report_choices(io, listing, line, keyword, "reads its choices by place, not by name", items,
                   names_on(choices, on));
}

// True when text word k of the line is the word of one of the choices.
bool is_a_choice(const TextWords& words, int k, std::span<const Choice> choices) {
    return std::any_of(choices.begin(), choices.end(),
                       [&](const Choice& c) { return words.is(k, c.word); });
}

// A line of named choices (FORMAT, SCALE) with a starred word that is none of them.
void check_names(Io& io, int listing, const SplitLine& line, std::string_view keyword,
                 std::span<const Choice> choices, std::string_view chosen) {
    std::vector<std::string> names;
    for (const Choice& c : choices) names.emplace_back(c.name);
    std::vector<std::string> items;
    for (int k = 2; k <= line.words.count; ++k)
        if (line.words.is_starred(k) && !is_a_choice(line.words, k, choices))
            items.push_back(in_quotes(line.as_written[static_cast<std::size_t>(k)]) +
                            " is none of " + joined(names) + " and selects nothing");
    std::vector<std::string> on;
    if (!chosen.empty()) on.emplace_back(chosen);
    report_choices(io, listing, line, keyword, "selects only the choices it names", items, on);
}

// Reads the numbers left in the line; a value of the wrong type stops through fatal_error,
// too few values are an unguarded end of input.
template <typename... T>
void read_numbers(Io& io, int listing, const std::string& numbers, const char* what, T&... t) {
    ReadStatus st = read_list(numbers, t...);
    if (st == ReadStatus::error) unreadable(io, listing);
    if (st == ReadStatus::end)
        fault(instructions_name, current_record(io),
              std::string("expected ") + what + ", found \"" + trim(numbers) + "\"");
}

// The raw line of the record just read, again, unsplit; nothing at end of file.
std::optional<std::string> reread_raw(Io& io, int listing) {
    io.in(Files::instructions).backspace();
    std::optional<LogicalLine> raw = read_logical_line(io, listing, Files::instructions);
    if (!raw) return std::nullopt;
    return std::move(raw->text);
}

// A tolerance or a radius that is no finite number would bond every atom or none without a
// word: it stops the run as an unreadable number does, naming the record and the value.
void check_finite(Io& io, int listing, std::string_view keyword, std::string_view what, float v,
                  std::string_view word) {
    if (std::isfinite(v)) return;
    fatal_error(io, listing, "ReadInp",
                "Error while reading file kova.inp, record " +
                    std::to_string(current_record(io)) + ": " + std::string(keyword) + " " +
                    std::string(what) + " \"" + std::string(word) + "\" is not a finite number");
}

// The three tolerances of a TOLS line: read as the other numbers of the file, then each
// checked with the word it came from.
void tols_line(Io& io, int listing, const std::string& numbers, Tolerances& tolerances) {
    static const char* const names[] = {"bond tolerance", "ring tolerance", "group tolerance"};
    float* const tol[] = {&tolerances.bond, &tolerances.ring, &tolerances.group};
    std::string words[3];
    ListReader lr(numbers);
    for (int k = 0; k < 3; ++k) {
        const ReadStatus st = lr.get(*tol[k]);
        if (st == ReadStatus::error) unreadable(io, listing);
        if (st == ReadStatus::end)
            fault(instructions_name, current_record(io),
                  "expected three tolerances, found \"" + trim(numbers) + "\"");
        words[k] = lr.last();
    }
    for (int k = 0; k < 3; ++k) check_finite(io, listing, "TOLS", names[k], *tol[k], words[k]);
}

// Word n of a raw line as written; a missing word stops the run with `missing` after the
// stop's text.
std::string raw_word(Io& io, int listing, const std::string& raw, int n,
                     const std::string& missing = {}) {
    const auto [a, b] = find_word_columns(io, listing, raw, n, missing);
    return raw.substr(static_cast<std::size_t>(a - 1), static_cast<std::size_t>(b - a + 1));
}

// What the stop for a missing INPUT name adds: the record, the name missing and how the line
// gives its names. `which` is the name missing, as the reader of the format calls it, `word`
// the word of the record it is read from, and `last_record` the line's last record.
std::string missing_input_name(int record, const LogicalLine& written, InputFormat format,
                               const char* which, int word, std::string_view last_record) {
    std::string s = ": kova.inp, record " + std::to_string(record) + ": ";
    // The names are read again from the line's last record only, which may hold them all.
    if (record != written.first_record) {
        const std::size_t a = last_record.find_first_not_of(' ');
        s += "the INPUT line is continued, and its last record, " +
             in_quotes(trim(last_record.substr(a == std::string_view::npos ? 0 : a))) +
             ", has no word " + std::to_string(word) + " for the " + which +
             ": the names are read from the line's last record only, from its second word on";
    } else {
        s += std::string("the INPUT line names no ") + which;
    }
    if (format == InputFormat::none || format == InputFormat::xd)
        s += "; " + std::string(xd_names_hint);
    return s;
}

// The first word of a raw line from word `from` on that nothing of the line reads: no number
// and, on the INPUT line, no RENAME or TOXD. "" when there is none.
std::string first_unread_word(Io& io, int listing, const std::string& raw, int from,
                              bool input_line) {
    const int n = count_blank_ended_words(raw);
    for (int m = from; m <= n; ++m) {
        const std::string w = raw_word(io, listing, raw, m);
        if (is_number_word(w)) continue;
        const std::string_view bare = std::string_view(w).substr(w[0] == '*' ? 1 : 0, 8);
        if (input_line &&
            (equal_ignoring_case(bare, "RENAME") || equal_ignoring_case(bare, "TOXD")))
            continue;
        return w;
    }
    return "";
}

// INPUT reads RENAME and TOXD among its last two text words only: a starred one before them,
// and a starred word among them that is neither, are not read as written.
void check_input_choices(Io& io, int listing, const SplitLine& line, const Options& options) {
    const TextWords& words = line.words;
    std::vector<std::string> items;
    for (int k = 2; k <= words.count; ++k) {
        if (!words.is_starred(k)) continue;
        const std::string w = in_quotes(line.as_written[static_cast<std::size_t>(k)]);
        const bool choice = is_a_choice(words, k, input_choices);
        if (k < words.count - 1 && choice) items.push_back(w + " is not among them and is ignored");
        if (k >= words.count - 1 && !choice)
            items.push_back(w + " is neither rename nor toxd and selects nothing");
    }
    const bool on[] = {options.rename_atoms, options.to_xd};
    report_choices(io, listing, line, "INPUT", "reads rename and toxd only as its last two words",
                   items, names_on(input_choices, on));
}

// RENAME's mode is the last number of the line: 0 numbers all atoms in one run, any other
// mode numbers them per type.
void read_rename_mode(Io& io, int listing, const std::string& numbers, Options& options) {
    const int count = count_blank_ended_words(numbers);
    io.write(terminal, FreeLine() << " inum = " << count);
    if (count == 0) return;
    const std::string w = raw_word(io, listing, numbers, count);
    const std::optional<int> v = parse_int(w);
    if (!v)
        fault(instructions_name, current_record(io),
              "expected an integer renaming mode, found \"" + w + "\"");
    options.rename_mode = *v == 0 ? RenameMode::all_atoms : RenameMode::per_type;
}

void input_line(Io& io, int listing, const SplitLine& line, Options& options) {
    const TextWords& words = line.words;
    for (int k : {words.count - 1, words.count}) {
        if (words.is(k, "RENAME") && words.is_starred(k)) options.rename_atoms = true;
        if (words.is(k, "TOXD") && words.is_starred(k)) options.to_xd = true;
    }
    check_input_choices(io, listing, line, options);
    if (options.rename_atoms) read_rename_mode(io, listing, line.numbers, options);
    const std::optional<std::string> raw = reread_raw(io, listing);
    if (!raw) return;
    const bool xd = options.input_format == InputFormat::xd;
    auto missing = [&](const char* which, int word) {
        return missing_input_name(current_record(io), line.written, options.input_format, which,
                                  word, *raw);
    };
    const std::string first =
        raw_word(io, listing, *raw, 2,
                 missing(xd ? "XD master file (first name)" : "structure file", 2));
    options.word_after_input_names = first_unread_word(io, listing, *raw, xd ? 4 : 3, true);
    if (xd) {
        options.structure_file =
            raw_word(io, listing, *raw, 3, missing("XD parameter file (second name)", 3));
        options.xd_master_file = first;
        refuse_the_listing_as_input(io, listing, options.xd_master_file, "XD master file");
        refuse_the_listing_as_input(io, listing, options.structure_file, "XD parameter file");
    } else {
        options.structure_file = first;
        refuse_the_listing_as_input(io, listing, options.structure_file, "Structure file");
    }
}

void radii_line(Io& io, int listing, const SplitLine& line, Elements& elements) {
    const TextWords& words = line.words;
    int count = count_blank_ended_words(line.numbers);
    if (count != words.count - 1) unreadable(io, listing);
    std::vector<float> rad(static_cast<std::size_t>(count) + 1, 0.0f);
    std::vector<std::string> read_as(rad.size());
    ListReader lr(line.numbers);
    for (int k = 1; k <= count; ++k) {
        if (lr.get(rad[static_cast<std::size_t>(k)]) != ReadStatus::ok)
            fault(instructions_name, current_record(io),
                  "expected a covalent radius, found \"" + trim(line.numbers) + "\"");
        read_as[static_cast<std::size_t>(k)] = lr.last();
    }
    // Every radius of the line, also one paired with a symbol that changes nothing.
    for (int k = 1; k <= count; ++k)
        check_finite(io, listing, "RADII", "radius for " + trim(words.at(k + 1)),
                     rad[static_cast<std::size_t>(k)], read_as[static_cast<std::size_t>(k)]);
    for (int k = 2; k <= words.count; ++k) {
        std::string sym(words.at(k).substr(0, 2));
        if (sym[1] >= 'A' && sym[1] <= 'Z') sym[1] = static_cast<char>(sym[1] + 32);
        for (int z = 1; z <= 54; ++z) {
            if (sym != elements.symbol[z]) continue;
            float v = rad[static_cast<std::size_t>(k - 1)];
            io.write(listing,
                     " Changing covalent radius of " + sym + " to " + ff(v, 8, 3) + " Angstroms");
            elements.covalent_radius[z] = v;
        }
    }
}

// The FORMAT lines read, for the stop when none of them chose a format.
using FormatLines = std::vector<LogicalLine>;

// The formats in the order of `format_choices`.
constexpr InputFormat formats_chosen[] = {InputFormat::shelx, InputFormat::xd,
                                          InputFormat::aim2tab, InputFormat::platon};

void format_line(Io& io, int listing, const SplitLine& line, Options& options,
                 FormatLines& formats) {
    formats.push_back(line.written);
    const TextWords& words = line.words;
    for (int k = 2; k <= words.count; ++k) {
        if (!words.is_starred(k)) continue;
        for (std::size_t c = 0; c < std::size(format_choices); ++c)
            if (words.is(k, format_choices[c].word)) options.input_format = formats_chosen[c];
    }
    if (options.input_format == InputFormat::aim2tab ||
        options.input_format == InputFormat::platon)
        options.crystal_input = false;
    std::string_view chosen;
    for (std::size_t c = 0; c < std::size(format_choices); ++c)
        if (options.input_format == formats_chosen[c]) chosen = format_choices[c].name;
    check_names(io, listing, line, "FORMAT", format_choices, chosen);
}

// KEYGEN: the star of word k+1 switches key k on, in the order of `Keys`.
void keygen_line(Io& io, int listing, const SplitLine& line, Keys& keys) {
    const TextWords& words = line.words;
    bool* const key[7] = {&keys.xyz,        &keys.xyz_all,        &keys.xyz_ordered,
                          &keys.multipoles, &keys.multipoles_all, &keys.multipoles_ordered,
                          &keys.kappa};
    for (int k = 1; k <= words.count - 1 && k <= 7; ++k)
        if (words.is_starred(k + 1)) *key[k - 1] = true;
    bool on[7];
    for (int k = 0; k < 7; ++k) on[k] = *key[k];
    check_places(io, listing, line, "KEYGEN", keygen_choices, on, false);
}

void disord_line(Io& io, int listing, const SplitLine& line, Options& options) {
    if (line.words.is_starred(2)) options.disorder_extend_h = true;
    if (line.words.is_starred(3)) options.disorder_databank = true;
    const bool on[] = {options.disorder_extend_h, options.disorder_databank};
    check_places(io, listing, line, "DISORD", disord_choices, on, false);
}

// CHEMCON: a word not starred, or missing, switches its constraints off; nothing switches
// them on again.
void chemcon_line(Io& io, int listing, const SplitLine& line, Options& options) {
    if (!line.words.is_starred(2)) options.chem_constraints_h = false;
    if (!line.words.is_starred(3)) options.chem_constraints_other = false;
    const bool on[] = {options.chem_constraints_h, options.chem_constraints_other};
    check_places(io, listing, line, "CHEMCON", chemcon_choices, on, true);
}

void rings_line(Io& io, int listing, const SplitLine& line, Options& options) {
    options.search_rings = true;
    read_numbers(io, listing, line.numbers, "the smallest and largest ring size",
                 options.rings.min_size, options.rings.max_size);
    if (line.words.is_starred(2)) options.rings.special = true;
    const bool on[] = {options.rings.special};
    check_places(io, listing, line, "RINGS", rings_choices, on, false);
}

// The databank's name: the line's second word as written, else KOVA_DB. False at end of file
// on the re-read, which ends the reading.
bool databank_line(Io& io, int listing, Options& options) {
    options.databank = true;
    const std::optional<std::string> raw = reread_raw(io, listing);
    if (!raw) return false;
    options.word_after_databank_name.clear();
    if (count_blank_ended_words(*raw) >= 2) {
        options.databank_file = raw_word(io, listing, *raw, 2);
        options.word_after_databank_name = first_unread_word(io, listing, *raw, 3, false);
    } else {
        const char* env = std::getenv("KOVA_DB");
        options.databank_file = trim(env ? env : "");
    }
    refuse_the_listing_as_input(io, listing, options.databank_file, "Databank file");
    return true;
}

// The methods in the order of `scale_choices`.
constexpr PvScaling methods_chosen[] = {PvScaling::sigma, PvScaling::difference,
                                        PvScaling::fraction};

void scale_line(Io& io, int listing, const SplitLine& line, Options& options) {
    const TextWords& words = line.words;
    for (int k = 2; k <= words.count; ++k) {
        if (!words.is_starred(k)) continue;
        for (std::size_t c = 0; c < std::size(scale_choices); ++c)
            if (words.is(k, scale_choices[c].word)) options.pv_scaling = methods_chosen[c];
    }
    std::string_view chosen;
    for (std::size_t c = 0; c < std::size(scale_choices); ++c)
        if (options.pv_scaling == methods_chosen[c]) chosen = scale_choices[c].name;
    check_names(io, listing, line, "SCALE", scale_choices, chosen);
}

// The fragment lines begin with NFRAG, FRAG or CHFRAG in column 1, in any case; their own
// reader below takes them, not the keyword table.
bool is_fragment_line(const SplitLine& line) {
    for (std::string_view key : {"NFRAG", "FRAG", "CHFRAG"})
        if (equal_ignoring_case(std::string_view(line.written.text).substr(0, key.size()), key))
            return true;
    return false;
}

// A line whose keyword is no instruction is passed over, and said so: a misspelt keyword
// would otherwise leave its option at the default without a word. The word shown is the
// keyword as written (a line of numbers only: its first word).
void report_unknown_keyword(Io& io, int listing, const LogicalLine& written,
                            std::string_view why = "is no instruction") {
    std::string text = written.text;
    std::string word;
    for_each_text_word(text, [&word](std::string_view w) {
        if (word.empty()) word = std::string(w);
    });
    if (word.empty()) {
        const std::size_t a = written.text.find_first_not_of(' ');
        word = written.text.substr(a, written.text.find(' ', a) - a);
    }
    const std::string msg = " kova.inp, record " + std::to_string(written.first_record) +
                            ": \"" + word + "\" " + std::string(why) + "; the line is ignored";
    io.write(listing, msg);
    io.write(terminal, msg);
}

// Applies one line; false when reading must end (end of file on a re-read).
bool apply_line(Io& io, int listing, const SplitLine& line, Options& options, Elements& elements,
                FormatLines& formats) {
    const TextWords& words = line.words;
    if (words.count == 0) {
        report_unknown_keyword(io, listing, line.written);
        return true;
    }
    auto is = [&](std::string_view keyword) { return words.is(1, keyword); };
    if (is("FORMAT")) {
        format_line(io, listing, line, options, formats);
    } else if (is("INPUT")) {
        input_line(io, listing, line, options);
    } else if (is("VERBOSE")) {
        read_numbers(io, listing, line.numbers, "the VERBOSE level", options.verbosity);
    } else if (is("TOLS")) {
        tols_line(io, listing, line.numbers, options.tolerances);
    } else if (is("RADII")) {
        radii_line(io, listing, line, elements);
    } else if (is("NCELLS")) {
        read_numbers(io, listing, line.numbers, "the number of cells", options.ncells);
    } else if (is("DISORD")) {
        disord_line(io, listing, line, options);
    } else if (is("KEYGEN")) {
        keygen_line(io, listing, line, options.keys);
    } else if (is("EXTEND_H")) {
        options.extend_h = true;
    } else if (is("CHEMCON")) {
        chemcon_line(io, listing, line, options);
    } else if (is("SIMPLE")) {
        options.simple = true;
    } else if (is("DATABANK")) {
        return databank_line(io, listing, options);
    } else if (is("RINGS")) {
        rings_line(io, listing, line, options);
    } else if (is("SCALE")) {
        scale_line(io, listing, line, options);
    } else if (is("NFRAG") || is("FRAG") || is("CHFRAG")) {
        // a fragment line the rescaling will not find
        if (!is_fragment_line(line))
            report_unknown_keyword(io, listing, line.written, "is read only from column 1");
    } else if (!is_fragment_line(line)) {
        report_unknown_keyword(io, listing, line.written);
    }
    return true;
}

// A line's text as messages quote it: from its first non-blank, without trailing blanks.
std::string shown(const LogicalLine& line) {
    const std::size_t a = line.text.find_first_not_of(' ');
    return in_quotes(trim(std::string_view(line.text).substr(a == std::string::npos ? 0 : a)));
}

// The last line of the file when it ends in "\" with no record after it, which the
// logical-line reader drops at the end of the file: its records after record `after`, joined
// as that reader joins them. Nothing when the file ends with a whole line.
std::optional<LogicalLine> line_cut_off_at_end(const InFile& f, int after) {
    std::optional<LogicalLine> cut;
    for (auto n = static_cast<std::size_t>(after); n < f.size(); ++n) {
        std::string rec = pad(f.record(n), line_length);
        std::replace(rec.begin(), rec.end(), '\t', ' ');
        const int used = trimmed_length(rec);
        if (used == 0 || rec[0] == '!') continue;
        if (!cut) {
            cut = LogicalLine{"", static_cast<int>(n) + 1};
        } else {
            cut->text += ' ';
        }
        cut->text += rec.substr(0, static_cast<std::size_t>(used));
    }
    return cut;
}

// The FORMAT lines read, and a last line dropped for its final "\" when it is a FORMAT line.
struct FormatsRead {
    FormatLines lines;
    std::optional<LogicalLine> cut_off;
};

// Says that the last line is dropped (listing, then terminal); gives it back when it is a
// FORMAT line, for the stop when no format was chosen.
std::optional<LogicalLine> report_cut_off(Io& io, int listing, const LogicalLine& cut) {
    const std::string msg = " kova.inp, record " + std::to_string(cut.first_record) + ": " +
                            shown(cut) +
                            " ends in \"\\\" and no record follows to continue it; the line is "
                            "ignored";
    io.write(listing, msg);
    io.write(terminal, msg);
    std::string text = cut.text;
    if (split_text_words(text).is(1, "FORMAT")) return cut;
    return std::nullopt;
}

// Every line of the file in turn; the FORMAT lines read.
FormatsRead apply_lines(Io& io, int listing, Options& options, Elements& elements) {
    FormatsRead formats;
    for (;;) {
        const int before = current_record(io);
        std::optional<LogicalLine> written = read_logical_line(io, listing, Files::instructions);
        if (!written) {
            if (auto cut = line_cut_off_at_end(io.in(Files::instructions), before))
                formats.cut_off = report_cut_off(io, listing, *cut);
            break;
        }
        read_fragment_line(written->text, current_record(io), options.fragments);
        SplitLine line{std::move(*written), {}, {}, {""}};
        line.numbers = line.written.text;
        line.words = split_text_words(line.numbers);
        std::string copy = line.written.text;
        for_each_text_word(copy, [&line](std::string_view w) {
            if (line.as_written.size() <= static_cast<std::size_t>(line.words.count))
                line.as_written.emplace_back(w);
        });
        if (!apply_line(io, listing, line, options, elements, formats.lines)) break;
    }
    return formats;
}

// The text of the stop when no format was chosen: what the FORMAT lines said, and the forms
// that choose one.
std::string unknown_format_message(const FormatsRead& formats) {
    const FormatLines& lines = formats.lines;
    std::string s = "Unknown input file format: ";
    if (lines.empty() && !formats.cut_off) {
        s += "kova.inp has no FORMAT line";
    } else {
        s += "kova.inp, ";
        for (std::size_t k = 0; k < lines.size(); ++k) {
            if (k > 0) s += ", ";
            s += "record " + std::to_string(lines[k].first_record) + ": " + shown(lines[k]);
        }
        if (!lines.empty()) s += lines.size() == 1 ? " selects none" : " select none";
        if (!lines.empty() && formats.cut_off) s += "; ";
        if (formats.cut_off)
            s += "record " + std::to_string(formats.cut_off->first_record) + ": " +
                 shown(*formats.cut_off) +
                 " ends in \"\\\" and no record follows to continue it, so the line is not read";
    }
    return s + "; give FORMAT *shelx, *xd, *aim2tab or *platon (the star selects)";
}

// The options as the later stages read them. The plain conversion of TOXD keeps NCELLS and
// KEYGEN as read (its listing stops before them), but switches off the stages it skips.
void normalise_options(Options& options) {
    if (options.to_xd) {
        options.extend_h = false;
        options.databank = false;
        options.search_rings = false;
        return;
    }
    // The most negative integer has no positive counterpart: it stands for the largest.
    if (options.ncells != -1)
        options.ncells = static_cast<int>(std::min<long long>(std::llabs(options.ncells), INT_MAX));
    Keys& k = options.keys;
    if (!k.xyz) k.xyz_all = k.xyz_ordered = false;
    if (!k.multipoles) k.multipoles_all = k.multipoles_ordered = k.kappa = false;
    if (k.xyz_all && k.xyz_ordered) k.xyz_all = false;
    if (k.multipoles_all && k.multipoles_ordered) k.multipoles_all = false;
}

// SP,Iw: the sign always shown; a value too wide for the field fills it with "*".
std::string fi_signed(long long v, int w) {
    std::string s = (v < 0 ? "-" : "+") + std::to_string(v < 0 ? -v : v);
    return static_cast<int>(s.size()) > w ? std::string(static_cast<std::size_t>(w), '*')
                                          : fa(s, w);
}

const char* format_name(InputFormat format) {
    switch (format) {
        case InputFormat::shelx: return "SHELX";
        case InputFormat::xd: return "XD";
        case InputFormat::aim2tab: return "AIM2TAB";
        case InputFormat::platon: return "PLATON";
        case InputFormat::none: break;
    }
    return "";
}

// Verbosity, format and files, and the renaming.
void list_input(Io& io, int listing, const Options& options) {
    io.write(listing, " Verbosity level = " + fi(options.verbosity, 2));
    std::string files = trim(options.structure_file);
    if (options.input_format == InputFormat::xd)
        files = trim(options.xd_master_file) + " " + trim(options.structure_file);
    io.write(listing, std::string(" Input file format = ") +
                          format_name(options.input_format) +
                          "    file(s) = " + files);
    if (options.rename_atoms) {
        const bool all = options.rename_mode == RenameMode::all_atoms;
        io.write(listing, std::string(" Change SHELX atom names ( irs=") + (all ? "0" : "1") +
                              " : " + (all ? "straightforward counting" : "counting atoms types") +
                              " ) ");
    }
}

void list_completion_and_disorder(Io& io, int listing, const Options& options) {
    if (options.ncells == -1) {
        io.write(listing, " Do not search for complete fragments");
    } else {
        const long long n = options.ncells;
        io.write(listing, " Search for complete fragments within " + fi(-n, 3) + " ... " +
                              fi_signed(n, 3) + " unit cells");
    }
    list_tolerances(io, listing, options.tolerances);
    io.write(listing, " Treatment of disorder :");
    io.write(listing, options.disorder_extend_h ? "   apply Extend_H option"
                                                : "   do NOT apply Extend_H option");
    io.write(listing, options.disorder_databank ? "   apply DB" : "   do NOT apply DB");
    if (options.databank && options.disorder_databank && !options.disorder_extend_h) {
        io.write(listing, "   WARNING!!! Applying DB to disordered H-atoms");
        io.write(listing, std::string(14, ' ') + "w/o extending distances is CRAZY !!!");
    }
}

void list_keys(Io& io, int listing, const Keys& k) {
    io.write(listing, " Instructions for KEY table generation:");
    io.write(listing, "   XYZUIJ=." + logical_text(k.xyz) + ". all=." + logical_text(k.xyz_all) +
                          ". ordered=." + logical_text(k.xyz_ordered) + ".");
    io.write(listing, "     MULT=." + logical_text(k.multipoles) + ". all=." +
                          logical_text(k.multipoles_all) + ". ordered=." +
                          logical_text(k.multipoles_ordered) + ". kappas=." +
                          logical_text(k.kappa) + ".");
}

// The databank, chemical equivalence, rings and Extend_H.
void list_stages(Io& io, int listing, const Options& options) {
    auto w = [&](const std::string& s) { io.write(listing, s); };
    if (options.databank) {
        w(" Read pseudoatom parameters from databank file :");
        w("   " + trim(options.databank_file));
    }
    if (options.simple) w(" Use simple model for determination of chemical equivalency");
    w(std::string(" ") + (options.chem_constraints_h ? "U" : "Do NOT u") +
      "se chemical/kappa constraints for H-atoms");
    w(std::string(" ") + (options.chem_constraints_other ? "U" : "Do NOT u") +
      "se chemical/kappa constraints for non-H atoms");
    if (options.search_rings)
        w(" Find rings with " + fi(options.rings.min_size, 3) + " - " +
          fi(options.rings.max_size, 3) + " atoms");
    w(" Treatment of atoms that belong to 1 planar ring :");
    w(options.rings.special ? "   always m-symmetry : X - towards center, Y - neighbor in the ring"
                            : "   as other atoms (only mark with iring=1)");
    if (options.extend_h) {
        w(" Extend H-atoms to standard/neutron distances and create files : ");
        w("   'reset.bond' with RESET BOND instructions");
        w("   'const.bond' with CONSTRAINTS instructions");
    }
    if (options.databank) {
        w(std::string(" Scale total population using ") + pv_scaling_name(options.pv_scaling) +
          " method");
    }
}

// The covalent radii of Z 1..54, seven a line, between rules.
void list_covalent_radii(Io& io, int listing, const Elements& elements) {
    rule(io, listing);
    io.write(listing, "");
    io.write(listing, " Atomic covalent radii (Angstroms) : ");
    io.write(listing, "");
    std::string row;
    for (int z = 1; z <= 54; ++z) {
        row += "   " + elements.symbol[z] + ff(elements.covalent_radius[z], 5, 2);
        if (z % 7 == 0 || z == 54) {
            io.write(listing, row);
            row.clear();
        }
    }
    rule(io, listing);
}

void list_options(Io& io, int listing, const Options& options, const Elements& elements) {
    list_input(io, listing, options);
    if (options.to_xd) {
        io.write(listing, "");
        io.write(listing, " SIMPLE CONVERSION OF SHELX FILE TO XD FILES WAS REQUESTED");
        io.write(listing, " ALL OTHER OPTIONS WILL BE IGNORED !!!!!!");
        rule(io, listing);
        return;
    }
    list_completion_and_disorder(io, listing, options);
    list_keys(io, listing, options.keys);
    list_stages(io, listing, options);
    list_covalent_radii(io, listing, elements);
}

// A value of a fragment line that does not read ends the run only when the rescaling comes to
// it; the first such NFRAG or CHFRAG line is the one it meets.
void note_unreadable(FragmentLines& lines, int record, std::string expected) {
    if (!lines.unreadable) lines.unreadable = FragmentLineFault{record, std::move(expected)};
}

// CHFRAG: the numbers of the line are the charges of fragments 1, 2, ... (its text words are
// no charges); a fragment after the last number keeps what an earlier line gave it.
void read_charge_line(const std::string& line, int record, FragmentLines& lines) {
    lines.any_charge_line = true;
    std::string numbers = line;
    for_each_text_word(numbers, [](std::string_view) {});
    const int n = count_blank_ended_words(numbers);
    if (static_cast<int>(lines.charge.size()) < n + 1)
        lines.charge.resize(static_cast<std::size_t>(n) + 1, 0.0f);
    ListReader in(numbers);
    for (int k = 1; k <= n; ++k)
        if (in.get(lines.charge[static_cast<std::size_t>(k)]) != ReadStatus::ok) {
            note_unreadable(lines, record,
                            "expected the net charges of the fragments on the CHFRAG line, "
                            "found \"" + trim(line) + "\"");
            return;
        }
}

// FRAG: columns 1-4 blanked, every word left must be an integer: the fragment, then atoms.
void read_atom_line(std::string line, FragmentLines& lines) {
    lines.any_atom_line = true;
    line.replace(0, 4, "    ");
    const int n = count_blank_ended_words(line);
    std::vector<int> numbers(static_cast<std::size_t>(n), 0);
    ListReader in(line);
    for (int& x : numbers)
        if (in.get(x) != ReadStatus::ok) {
            lines.unreadable_atom_line = true;
            return;
        }
    if (n > 0) lines.atom_lines.push_back(std::move(numbers));
}

}  // namespace

void read_fragment_line(std::string_view text, int record, FragmentLines& lines) {
    std::string line(text);
    upper_case(line);
    if (line.starts_with("NFRAG")) {
        if (ListReader(std::string_view(line).substr(5)).get(lines.count) != ReadStatus::ok)
            note_unreadable(lines, record,
                            "expected the number of fragments after NFRAG, found \"" +
                                trim(line) + "\"");
    } else if (line.starts_with("FRAG")) {
        read_atom_line(std::move(line), lines);
    } else if (line.starts_with("CHFRAG")) {
        read_charge_line(line, record, lines);
    }
}

void list_tolerances(Io& io, int channel, const Tolerances& tolerances) {
    io.write(channel, " Threshold / Tolerance parameters : ");
    io.write(channel, "   bond criterion (tol1) : d(i-j) < covR(i) + covR(j) + " +
                          ff(tolerances.bond, 6, 3) + " Angstroms");
    io.write(channel, "   ring  planarity criterion (tol2) : sigpln < " +
                          ff(tolerances.ring, 7, 3) + " Angstroms");
    io.write(channel, "   group planarity criterion (tol3) : sigpln < " +
                          ff(tolerances.group, 7, 3) + " Angstroms");
}

void read_instructions(Io& io, int listing, Options& options, Elements& elements) {
    options.xd_master_file.clear();
    options.fragments = FragmentLines{};
    if (!io.try_open_old(Files::instructions, instructions_name))
        fatal_error(io, listing, "ReadInp",
                    "Unable to open KOVA input file kova.inp: " +
                        io.why_unreadable(instructions_name));
    rule(io, listing);
    io.write(listing, "");
    io.write(listing, " KOVA options : ");
    io.write(listing, "");
    options.pv_scaling = PvScaling::difference;
    const FormatsRead formats = apply_lines(io, listing, options, elements);
    io.close(Files::instructions);
    if (options.input_format == InputFormat::none)
        fatal_error(io, listing, "ReadInp", unknown_format_message(formats));
    normalise_options(options);
    list_options(io, listing, options, elements);
}

}  // namespace kova
