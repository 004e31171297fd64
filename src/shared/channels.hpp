// Channels: numbered output files written through large buffers, and input files held in
// memory as records so that readers can rewind and backspace. Channel 6 is the terminal.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kova {

constexpr int terminal = 6;

// An input file held as its text, with the place of every record; a CR right before a line
// feed, or right before the end of a file whose last record has no line feed, is not part of
// a record.
class InFile {
public:
    // The file `name` with its whole text, split into records, before its first record.
    InFile(std::string name, std::string text);
    // Next record into rec; false at end of file (rec untouched).
    bool read(std::string& rec);
    // Back before the first record.
    void rewind() { pos_ = 0; }
    // Back one record, so that the record last read is read again.
    void backspace() { if (pos_ > 0) --pos_; }
    // Number of the record last read (1-based), 0 before the first read.
    int recno() const { return static_cast<int>(pos_); }
    // True when every record has been read.
    bool at_end() const { return pos_ >= size(); }
    // The file name it was opened with.
    const std::string& name() const { return name_; }
    // Number of records.
    std::size_t size() const { return start_.size() - 1; }
    // Record n (from 0), without its line end.
    std::string_view record(std::size_t n) const;
    // The whole text, whose buffer stays in place while the file is open.
    const std::string& text() const { return text_; }

private:
    std::string name_;
    std::string text_;
    // Record n starts at start_[n] and ends before start_[n + 1] - 1, the place of its line
    // feed (or the end of the text for a last record without one).
    std::vector<std::size_t> start_;
    std::size_t pos_ = 0;
};

// How a run's output files reach their names. Written `direct`ly, a file is created under its
// own name and written as it goes. A finished run `replace`s the files of earlier runs whole:
// each file but the listing is written under a temporary name and renamed over its own name
// only when the run has finished, so that a run that ends otherwise leaves them as they were.
enum class OutputMode { direct, replace_at_end };

// Where a test makes an output file fail, as a full disk or a read-only directory would.
enum class FailurePoint { create, rename };
struct InjectedFailure {
    std::string file;  // the output file's own name
    FailurePoint at = FailurePoint::create;
};

class Io {
public:
    // No channel open; writes to the terminal go nowhere until `bind`.
    Io();
    // Writes out and closes whatever is still open.
    ~Io();
    Io(const Io&) = delete;
    Io& operator=(const Io&) = delete;

    // The run's working directory, standard streams and output mode (set once by `run`).
    void bind(std::filesystem::path dir, std::istream* in, std::ostream* out, std::ostream* err,
              OutputMode mode = OutputMode::direct);
    // Makes the creation or the rename of one output file fail (tests only).
    void inject_failure(InjectedFailure failure) { failure_ = std::move(failure); }
    // The working directory of the run.
    const std::filesystem::path& dir() const { return dir_; }
    // The run's standard error.
    std::ostream& stderr_stream() { return *err_; }

    // "unknown": creates or replaces the file (under its temporary name when the run's files
    // are replaced at the end); a file that cannot be created is a RunFault.
    void create(int ch, const std::string& name);
    // The listing: always written under its own name as the run goes, but the file is first
    // opened when its text is first written out (`open_listing`, a flush or a close), so that
    // a run that refuses its inputs before that leaves an earlier listing untouched.
    void create_listing(int ch, const std::string& name);
    // Opens the listing's file now and writes what it holds so far.
    void open_listing(int ch);
    // Drops a listing whose file was never opened, leaving the file alone.
    void discard_listing(int ch);
    // Writes one record followed by a line feed on an open output channel or the terminal.
    void write(int ch, std::string_view rec);
    // Writes fixed records in turn, as write does: the set blocks of the output files.
    void write_lines(int ch, std::initializer_list<std::string_view> recs);
    // Writes one record to each channel in turn (the listing and the terminal, in an order).
    void write_to(std::initializer_list<int> channels, std::string_view rec);
    // Writes a prompt to the terminal without ending the line, so that the answer follows it.
    void prompt(std::string_view text);
    // The answer to a prompt: the next line of standard input, a CR before its end dropped (an
    // answer typed or piped with CR LF); the end of input is a run-time error naming what was
    // asked for.
    std::string answer(std::string_view asked_for);
    // True while the output channel is open.
    bool is_open_out(int ch) const;
    // File name of an open channel (input or output), "" otherwise.
    std::string name_of(int ch) const;

    // "old": the file must exist and be readable; otherwise a RunFault.
    InFile& open_old(int ch, const std::string& name);
    // As open_old, but reports failure instead of ending the run.
    bool try_open_old(int ch, const std::string& name);
    // Why a file of that name cannot be read: "no such file", "is a directory, not a file" or
    // "cannot read the file".
    std::string why_unreadable(const std::string& name) const;
    // The open input file of a channel; a channel not open is a RunFault.
    InFile& in(int ch);
    // True while the input channel is open.
    bool is_open_in(int ch) const;

    // Closes an input or output channel (no-op when not open).
    void close(int ch);
    // Writes the buffered text of every open output file and of the terminal.
    void flush_all();
    // Closes every channel; when the run's files are replaced at the end and have not been,
    // they are dropped instead.
    void close_all();

    // A finished run: closes every output file but the listing and renames each over its own
    // name. A file that cannot
    // be written, closed or renamed is a RunFault; the files not yet renamed are then dropped.
    void replace_outputs();
    // A run that did not finish: closes every output file but the listing and removes what
    // was written under temporary names, so that the files of earlier runs stay as they were.
    void drop_outputs();
    // The name an output file is written under until the run has finished.
    static std::string temporary_name(const std::string& name);
    // The name an earlier run's file is kept under while a finished run replaces its files.
    static std::string earlier_name(const std::string& name);
    // True when the two names, resolved against the working directory, name one file.
    bool same_file(const std::string& a, const std::string& b) const;

    // Resolves a file name of the run against the working directory.
    std::filesystem::path path(const std::string& name) const;

private:
    struct OutFile;
    std::filesystem::path dir_;
    std::istream* in_ = nullptr;
    std::ostream* out_ = nullptr;
    std::ostream* err_ = nullptr;
    OutputMode mode_ = OutputMode::direct;
    std::optional<InjectedFailure> failure_;
    std::map<int, std::unique_ptr<OutFile>> outs_;
    std::vector<std::unique_ptr<OutFile>> finished_;  // closed under temporary names, to rename
    void open_file(OutFile& f);
    void write_out(OutFile& f);
    void remove_temporary(OutFile& f);
    std::map<int, std::unique_ptr<InFile>> ins_;
};

}  // namespace kova
