#include "shared/channels.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>
#include <system_error>

#include "shared/errors.hpp"
#include "shared/signals.hpp"

namespace kova {

void fault(const std::string& file, int record, const std::string& what) {
    throw RunFault(file + ", record " + std::to_string(record) + ": " + what);
}

void fault(const std::string& file, const std::string& what) {
    throw RunFault(file + ": " + what);
}

InFile::InFile(std::string name, std::string text)
    : name_(std::move(name)), text_(std::move(text)) {
    start_.push_back(0);
    const char* const begin = text_.data();
    const char* const end = begin + text_.size();
    for (const char* p = begin; p < end;) {
        const char* nl =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        p = nl ? nl + 1 : end;
        start_.push_back(static_cast<std::size_t>(p - begin) + (nl ? 0 : 1));
    }
}

std::string_view InFile::record(std::size_t n) const {
    const std::size_t from = start_[n];
    std::size_t to = std::min(start_[n + 1] - 1, text_.size());  // its line feed, or the end
    // A CR ends the record before a line feed and at the end of a file without a last one,
    // so that a file saved with CR LF reads the same whether its last line has one or not.
    if (to > from && text_[to - 1] == '\r') --to;
    return std::string_view(text_).substr(from, to - from);
}

bool InFile::read(std::string& rec) {
    if (pos_ >= size()) return false;
    rec.assign(record(pos_++));
    return true;
}

namespace fs = std::filesystem;

namespace {

// The file a name stands for: the name itself, or, for a symbolic link, the file its links
// lead to (which need not exist yet), so that an output replaces the file and keeps the link.
fs::path resolve_links(fs::path p) {
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(p, ec);
        if (ec || !fs::is_symlink(st)) return p;
        const fs::path to = fs::read_symlink(p, ec);
        if (ec) return p;
        p = to.is_absolute() ? to : p.parent_path() / to;
    }
    return p;
}

std::string reason() { return errno != 0 ? std::strerror(errno) : "unknown error"; }

// The earlier file at a path, when there is one.
struct Earlier {
    bool exists = false;
    bool regular = false;
    bool writable = true;  // neither made read-only by its owner nor closed to this process
    unsigned mode = 0;     // permission bits
    unsigned long long device = 0, inode = 0;
};
Earlier earlier_file(const fs::path& p) {
    Earlier e;
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) return e;
    e.exists = true;
    e.regular = S_ISREG(st.st_mode);
    e.mode = st.st_mode & 0777u;
    e.device = st.st_dev;
    e.inode = st.st_ino;
    // Root may write any file, so the owner's write bit is what says "protected".
    e.writable = !e.regular || ((st.st_mode & S_IWUSR) != 0 &&
                                ::faccessat(AT_FDCWD, p.c_str(), W_OK, AT_EACCESS) == 0);
    return e;
}

bool same_inode(const fs::path& a, const fs::path& b) {
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

constexpr std::string_view temporary_tag = ".kova-tmp";
constexpr std::string_view earlier_tag = ".kova-old";
constexpr std::string_view kept_input_tag = ".kova-input";

}  // namespace

struct Io::OutFile {
    std::string name;      // the file's own name
    fs::path target;       // the file it replaces: its name's path, or where its link points
    fs::path temporary;    // where its text goes until the run has finished
    std::string suffix;    // what makes the temporary name new to the run (".Ab12Cd")
    std::FILE* fp = nullptr;  // null while a listing has not been opened
    std::string buf;
    bool listing = false;
    bool via_temporary = false;  // written under a temporary name, renamed when the run ends
    bool is_temporary() const { return via_temporary; }
    // A name beside the file it replaces, as the user would find it: the name and the tag for
    // a file of the working directory, the whole path for the target of a link.
    std::string beside(const fs::path& dir, std::string_view tag) const {
        if (target == (dir.empty() ? fs::path(name) : dir / name)) return name + std::string(tag);
        return target.string() + std::string(tag);
    }
    std::string temporary_shown(const fs::path& dir) const {
        return beside(dir, std::string(temporary_tag) + suffix);
    }
    fs::path earlier_path() const {
        return target.string() + std::string(earlier_tag) + suffix;
    }
    ~OutFile() {
        if (fp) std::fclose(fp);
    }
};

Io::Io() = default;

Io::~Io() {
    out_ = nullptr;  // the streams may be gone already; files are closed, not the terminal
    try {
        close_all();
    } catch (...) {
    }
}

void Io::bind(fs::path dir, std::istream* in, std::ostream* out, std::ostream* err,
              OutputMode mode, int input_fd) {
    dir_ = std::move(dir);
    in_ = in;
    out_ = out;
    err_ = err;
    mode_ = mode;
    input_fd_ = input_fd;
    // The umask can only be read by setting it; it is put back at once.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    new_file_mode_ = 0666u & ~static_cast<unsigned>(mask);
}

fs::path Io::path(const std::string& name) const {
    fs::path p(name);
    if (p.is_absolute() || dir_.empty()) return p;
    return dir_ / p;
}

bool Io::same_file(const std::string& a, const std::string& b) const {
    const fs::path pa = path(a), pb = path(b);
    std::error_code ec1, ec2;
    if (fs::exists(pa, ec1) && fs::exists(pb, ec2)) {
        std::error_code ec;
        const bool same = fs::equivalent(pa, pb, ec);
        if (!ec) return same;
    }
    // One of them does not exist yet: the names are compared as absolute paths.
    auto normal = [](const fs::path& p) {
        std::error_code ec;
        fs::path q = fs::weakly_canonical(p, ec);
        return ec ? fs::absolute(p, ec).lexically_normal() : q;
    };
    return normal(pa) == normal(pb);
}

void Io::check_signal() {
    if (signal_seen_ != 0) return;  // the run is ending already
    if (const int s = caught_signal(); s != 0) {
        signal_seen_ = s;
        throw RunInterrupted{s};
    }
}

void Io::check_terminal() {
    if (!*out_) {
        const std::string why = reason();
        out_ = nullptr;  // nothing more is tried there
        fault("standard output", "cannot write the terminal output: " + why);
    }
}

void Io::open_file(OutFile& f) {
    if (failure_ && failure_->at == FailurePoint::create && failure_->file == f.name)
        fault(f.name, "cannot create the file (injected failure)");
    if (!f.is_temporary()) {
        errno = 0;
        f.fp = std::fopen(f.target.c_str(), "wb");
        if (!f.fp) fault(f.name, "cannot create the file: " + reason());
        return;
    }
    // A name made new by the system and created exclusively: never an existing file or a
    // link planted at it, never a file another run writes.
    std::string name = f.target.string() + std::string(temporary_tag) + ".XXXXXX";
    errno = 0;
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        const std::string why = reason();
        fault(f.name, "cannot create its temporary file " + f.beside(dir_, temporary_tag) +
                          ".XXXXXX: " + why);
    }
    f.temporary = name;
    f.suffix = name.substr(name.size() - 7);
    const Earlier e = earlier_file(f.target);
    const unsigned mode = e.exists && e.regular ? e.mode : new_file_mode_;
    errno = 0;
    f.fp = ::fchmod(fd, mode) == 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!f.fp) {
        const std::string why = reason();
        ::close(fd);
        ::unlink(name.c_str());
        fault(f.name, "cannot set up its temporary file " + f.temporary_shown(dir_) + ": " + why);
    }
}

void Io::write_out(OutFile& f) {
    if (!f.fp) open_file(f);  // a listing opened by its first text
    auto failed = [&] {
        const std::string why = reason();
        if (f.is_temporary())
            fault(f.name, "cannot write its temporary file " + f.temporary_shown(dir_) + ": " + why);
        fault(f.name, "cannot write the file: " + why);
    };
    errno = 0;
    if (!f.buf.empty()) {
        const bool written = std::fwrite(f.buf.data(), 1, f.buf.size(), f.fp) == f.buf.size();
        f.buf.clear();
        if (!written) failed();
    }
    if (std::fflush(f.fp) != 0) failed();
}

void Io::check_replaceable(const std::string& name) const {
    const fs::path target = resolve_links(path(name));
    const Earlier e = earlier_file(target);
    if (e.exists && !e.writable) {
        const bool linked = target != path(name);
        throw ProtectedOutput{name, linked ? target.string() : name, e.mode};
    }
}

void Io::create(int ch, const std::string& name) {
    check_signal();
    close(ch);
    // A file made again in one run replaces its earlier text.
    std::erase_if(finished_, [&](std::unique_ptr<OutFile>& f) {
        if (f->name != name) return false;
        remove_temporary(*f);
        return true;
    });
    auto f = std::make_unique<OutFile>();
    f->name = name;
    if (mode_ == OutputMode::replace_at_end) {
        check_replaceable(name);
        f->target = resolve_links(path(name));
        f->via_temporary = true;
    } else {
        f->target = path(name);
    }
    open_file(*f);
    f->buf.reserve(1 << 16);
    outs_[ch] = std::move(f);
}

void Io::create_listing(int ch, const std::string& name) {
    close(ch);
    if (mode_ == OutputMode::replace_at_end) check_replaceable(name);
    auto f = std::make_unique<OutFile>();
    f->name = name;
    f->target = path(name);  // written through a link, as the run goes
    f->listing = true;
    f->buf.reserve(1 << 16);
    outs_[ch] = std::move(f);
}

void Io::open_listing(int ch) {
    auto it = outs_.find(ch);
    if (it != outs_.end()) write_out(*it->second);
}

void Io::discard_listing(int ch) {
    auto it = outs_.find(ch);
    if (it != outs_.end() && it->second->listing && !it->second->fp) outs_.erase(it);
}

void Io::write(int ch, std::string_view rec) {
    check_signal();
    if (ch == terminal) {
        if (!out_) return;  // a records object without a terminal (unit tests)
        out_->write(rec.data(), static_cast<std::streamsize>(rec.size()));
        out_->put('\n');
        check_terminal();
        return;
    }
    auto it = outs_.find(ch);
    if (it == outs_.end())
        fault("channel " + std::to_string(ch), "write to a channel that is not open");
    OutFile& f = *it->second;
    f.buf.append(rec);
    f.buf.push_back('\n');
    if (f.buf.size() >= (1u << 20)) write_out(f);
}

void Io::write_lines(int ch, std::initializer_list<std::string_view> recs) {
    for (std::string_view rec : recs) write(ch, rec);
}

void Io::write_to(std::initializer_list<int> channels, std::string_view rec) {
    for (int ch : channels) write(ch, rec);
}

void Io::prompt(std::string_view text) {
    check_signal();
    if (!out_) return;
    out_->write(text.data(), static_cast<std::streamsize>(text.size()));
    errno = 0;
    out_->flush();
    check_terminal();
}

void Io::wait_for_input() {
    // The stream's buffer may hold the answer already; otherwise wait for the descriptor in
    // poll(), which a signal interrupts (a blocked read would be restarted and wait on).
    if (input_fd_ < 0 || in_->rdbuf()->in_avail() > 0) return;
    for (;;) {
        pollfd p{input_fd_, POLLIN, 0};
        if (::poll(&p, 1, -1) >= 0 || errno != EINTR) return;
        check_signal();
    }
}

std::string Io::answer(std::string_view asked_for) {
    check_signal();
    std::string line;
    if (in_) wait_for_input();
    if (!in_ || !std::getline(*in_, line)) {
        check_signal();
        fault("standard input", "end of input at the prompt for " + std::string(asked_for));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

bool Io::is_open_out(int ch) const { return outs_.count(ch) != 0; }
bool Io::is_open_in(int ch) const { return ins_.count(ch) != 0; }

std::string Io::name_of(int ch) const {
    if (auto it = outs_.find(ch); it != outs_.end()) return it->second->name;
    if (auto it = ins_.find(ch); it != ins_.end()) return it->second->name();
    return "";
}

bool Io::try_open_old(int ch, const std::string& name) {
    fs::path p = path(name);
    std::error_code ec;
    if (name.empty() || !fs::is_regular_file(p, ec)) return false;
    std::ifstream f(p, std::ios::binary);
    if (!f) return false;
    // Read at once into a buffer of the file's size, then whatever follows (a file that grew).
    std::string text;
    const auto size = fs::file_size(p, ec);
    if (!ec && size > 0) {
        text.resize(static_cast<std::size_t>(size));
        f.read(text.data(), static_cast<std::streamsize>(size));
        text.resize(static_cast<std::size_t>(f.gcount()));
    }
    if (f.bad()) return false;
    if (f) {
        std::ostringstream rest;
        rest << f.rdbuf();
        text += rest.str();
    }
    if (f.bad()) return false;
    const Earlier e = earlier_file(p);
    if (e.exists) inputs_.push_back({e.device, e.inode});
    close(ch);
    ins_[ch] = std::make_unique<InFile>(name, std::move(text));
    return true;
}

std::string Io::why_unreadable(const std::string& name) const {
    std::error_code ec;
    const fs::path p = path(name);
    if (fs::is_directory(p, ec)) return "is a directory, not a file";
    if (!fs::exists(p, ec)) return "no such file";
    errno = 0;
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return "cannot read the file";
    }
    return "cannot read the file (" + reason() + ")";
}

InFile& Io::open_old(int ch, const std::string& name) {
    if (!try_open_old(ch, name)) fault(name, why_unreadable(name));
    return *ins_[ch];
}

InFile& Io::in(int ch) {
    auto it = ins_.find(ch);
    if (it == ins_.end())
        fault("channel " + std::to_string(ch), "read from a channel that is not open");
    return *it->second;
}

void Io::close(int ch) {
    if (auto it = outs_.find(ch); it != outs_.end()) {
        OutFile& f = *it->second;
        // On a failed write the file stays open, so that drop_outputs still removes it.
        write_out(f);
        errno = 0;
        const bool closed = std::fclose(f.fp) == 0;
        const std::string why = closed ? "" : reason();
        f.fp = nullptr;
        std::unique_ptr<OutFile> done = std::move(it->second);
        outs_.erase(it);
        const std::string name = done->name;
        const std::string shown = done->is_temporary() ? done->temporary_shown(dir_) : "";
        if (done->is_temporary()) finished_.push_back(std::move(done));
        if (!closed) {
            if (!shown.empty()) fault(name, "cannot write its temporary file " + shown + ": " + why);
            fault(name, "cannot write the file: " + why);
        }
    }
    ins_.erase(ch);
}

void Io::flush_all() {
    for (auto& [ch, f] : outs_) write_out(*f);
    if (out_) {
        errno = 0;
        out_->flush();
        check_terminal();
    }
}

bool Io::is_input(const fs::path& p) const {
    const Earlier e = earlier_file(p);
    if (!e.exists) return false;
    return std::any_of(inputs_.begin(), inputs_.end(), [&](const InputRead& in) {
        return in.device == e.device && in.inode == e.inode;
    });
}

std::vector<KeptInput> Io::inputs_to_keep() const {
    std::vector<KeptInput> v;
    auto add = [&](const OutFile& f) {
        if (f.is_temporary() && is_input(f.target))
            v.push_back({f.name, f.beside(dir_, kept_input_tag)});
    };
    for (const auto& f : finished_) add(*f);
    for (const auto& [ch, f] : outs_) add(*f);
    return v;
}

void Io::replace_outputs() {
    check_signal();
    std::vector<int> open;
    for (const auto& [ch, f] : outs_)
        if (!f->listing) open.push_back(ch);
    for (int ch : open) close(ch);
    if (out_) {
        errno = 0;
        out_->flush();
        check_terminal();
    }
    // Every text is complete and closed before the first file of an earlier run is replaced.
    // An earlier file stays linked under a second name until every new file is in place, so
    // that a rename that fails halfway puts the earlier files back: the run's files are
    // replaced all together or not at all. Signals wait until then.
    rename_outputs();
    // A signal held back ends the run now, its files in place.
    if (const int s = caught_signal(); s != 0 && signal_seen_ == 0) {
        signal_seen_ = s;
        throw RunInterrupted{s, true};
    }
}

void Io::rename_outputs() {
    const SignalsHeld held;
    struct Replaced {
        const OutFile* file;
        bool had_earlier;
        bool keep_as_input;
    };
    std::vector<Replaced> replaced;
    try {
        for (const auto& f : finished_) {
            if (failure_ && failure_->at == FailurePoint::rename && failure_->file == f->name)
                fault(f->name, "cannot replace the file (injected failure)");
            const fs::path kept = f->earlier_path();
            const Earlier e = earlier_file(f->target);
            const bool had_earlier = e.exists && e.regular;
            const bool keep_as_input = had_earlier && is_input(f->target);
            bool moved_aside = false;
            if (had_earlier && ::link(f->target.c_str(), kept.c_str()) != 0) {
                // a file system without links: the earlier file is moved aside
                errno = 0;
                if (::rename(f->target.c_str(), kept.c_str()) != 0)
                    fault(f->name, "cannot keep the earlier file as " +
                                       f->beside(dir_, std::string(earlier_tag) + f->suffix) +
                                       ": " + reason());
                moved_aside = true;
            }
            errno = 0;
            if (::rename(f->temporary.c_str(), f->target.c_str()) != 0) {
                const std::string why = reason();
                if (moved_aside) ::rename(kept.c_str(), f->target.c_str());
                else if (had_earlier) ::unlink(kept.c_str());
                fault(f->name, "cannot replace the file by " + f->temporary_shown(dir_) + ": " + why);
            }
            replaced.push_back({f.get(), had_earlier, keep_as_input});
        }
    } catch (const RunFault&) {
        for (auto it = replaced.rbegin(); it != replaced.rend(); ++it) {
            const OutFile& f = *it->file;
            if (it->had_earlier) ::rename(f.earlier_path().c_str(), f.target.c_str());
            else ::unlink(f.target.c_str());
        }
        throw;
    }
    for (const Replaced& done : replaced) {
        if (!done.had_earlier) continue;
        const fs::path kept = done.file->earlier_path();
        if (done.keep_as_input) {
            const std::string as = done.file->target.string() + std::string(kept_input_tag);
            ::rename(kept.c_str(), as.c_str());
        } else {
            ::unlink(kept.c_str());
        }
    }
    finished_.clear();
}

void Io::remove_temporary(OutFile& f) {
    if (f.fp) std::fclose(f.fp);
    f.fp = nullptr;
    if (f.is_temporary() && !f.temporary.empty()) ::unlink(f.temporary.c_str());
}

void Io::drop_outputs() {
    for (auto it = outs_.begin(); it != outs_.end();) {
        if (it->second->listing) {
            ++it;
            continue;
        }
        remove_temporary(*it->second);
        it = outs_.erase(it);
    }
    for (auto& f : finished_) remove_temporary(*f);
    finished_.clear();
}

void Io::close_all() {
    // Files a finished run has not replaced are not the run's results.
    if (mode_ == OutputMode::replace_at_end) drop_outputs();
    while (!outs_.empty()) close(outs_.begin()->first);
    ins_.clear();
    if (out_) {
        errno = 0;
        out_->flush();
        check_terminal();
    }
}

Leftovers Io::clear_leftovers(const std::vector<std::string>& names) {
    // Per folder, the outputs whose files lie in it (a linked output's file may lie elsewhere).
    struct Output {
        std::string name;
        fs::path target;
        std::string base;  // the target's file name
    };
    std::map<fs::path, std::vector<Output>> by_folder;
    for (const std::string& name : names) {
        const fs::path target = resolve_links(path(name));
        by_folder[target.parent_path()].push_back({name, target, target.filename().string()});
    }
    Leftovers found;
    auto note = [](std::vector<std::string>& v, const std::string& name) {
        if (std::find(v.begin(), v.end(), name) == v.end()) v.push_back(name);
    };
    // A tag right after the file's name, alone or followed by a suffix of its own.
    auto tagged = [](const std::string& entry, const std::string& base, std::string_view tag) {
        const std::string head = base + std::string(tag);
        return entry == head || (entry.size() > head.size() && entry.compare(0, head.size(), head) == 0 &&
                                 entry[head.size()] == '.');
    };
    for (const auto& [folder, outputs] : by_folder) {
        std::error_code ec;
        std::vector<fs::path> entries;
        for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end;
             !ec && it != end; it.increment(ec))
            entries.push_back(it->path());
        std::sort(entries.begin(), entries.end());
        for (const fs::path& entry : entries) {
            const std::string e = entry.filename().string();
            for (const Output& out : outputs) {
                const bool temporary = tagged(e, out.base, temporary_tag);
                const bool earlier = !temporary && tagged(e, out.base, earlier_tag);
                if (!temporary && !earlier) continue;
                const std::string shown =
                    out.target == path(out.name) ? out.name + e.substr(out.base.size())
                                                 : entry.string();
                if (temporary) {
                    note(found.pending, out.name);
                } else if (!fs::exists(fs::symlink_status(out.target, ec))) {
                    // moved aside, the new file never put in its place: the earlier one returns
                    if (::rename(entry.c_str(), out.target.c_str()) == 0) {
                        found.restored.push_back(out.name);
                        break;
                    }
                } else if (!same_inode(entry, out.target)) {
                    note(found.replaced, out.name);
                }
                if (::unlink(entry.c_str()) == 0) found.removed.push_back(shown);
                break;
            }
        }
    }
    // An output both replaced and with a temporary left was made twice; it counts as replaced.
    std::erase_if(found.pending, [&](const std::string& n) {
        return std::find(found.replaced.begin(), found.replaced.end(), n) != found.replaced.end();
    });
    return found;
}

}  // namespace kova
