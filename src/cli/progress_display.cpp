#include "progress_display.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace vemra::cli {

namespace {

// A redraw for a new line of the module waits this long after the last one;
// a terminal that is written to for every step flickers for nothing.
constexpr auto RedrawPause = std::chrono::milliseconds(100);

std::size_t terminalColumns(int fd)
{
    winsize size{};
    if (fd >= 0 && ::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace

std::string fitToWidth(const std::string& text, std::size_t columns)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Continuation bytes of UTF-8 take no column of their own.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (characters == columns)
            return text.substr(0, i);
        ++characters;
    }
    return text;
}

ProgressDisplay::ProgressDisplay(Options options, std::ostream& out, std::ostream& err)
    : options_(options), out_(out), err_(err)
{
}

ProgressDisplay::~ProgressDisplay()
{
    std::lock_guard lock(mutex_);
    clearBlock();
}

std::string ProgressDisplay::progressLine(std::size_t index, std::size_t total, const std::string& name,
                                          const ModuleProgress& progress, int64_t seconds)
{
    const std::string what = progress.describe();
    return "[" + std::to_string(index + 1) + "/" + std::to_string(total) + "] " + name + ": "
           + (what.empty() ? std::string("Berechnung läuft") : what) + " (" + formatElapsed(seconds) + ")";
}

void ProgressDisplay::started(std::size_t index, const std::string& name)
{
    std::lock_guard lock(mutex_);
    running_[index] = {name, std::chrono::steady_clock::now(), {}};
    redraw(true);
}

void ProgressDisplay::moduleLine(std::size_t index, const std::string& line)
{
    std::lock_guard lock(mutex_);
    const auto it = running_.find(index);
    if (it == running_.end())
        return;
    it->second.progress.take(line);
    if (options_.verbose) {
        clearBlock();
        err_ << it->second.name << ": " << line << std::endl;
        redraw(true);
    } else {
        redraw(false);
    }
}

void ProgressDisplay::ended(std::size_t index)
{
    std::lock_guard lock(mutex_);
    if (running_.erase(index))
        redraw(true);
}

void ProgressDisplay::tick()
{
    std::lock_guard lock(mutex_);
    redraw(false);
}

void ProgressDisplay::print(const std::string& line, bool toErr)
{
    std::lock_guard lock(mutex_);
    clearBlock();
    (toErr ? err_ : out_) << line << std::endl;
    redraw(true);
}

std::vector<std::string> ProgressDisplay::render() const
{
    std::vector<std::string> lines;
    const auto now = std::chrono::steady_clock::now();
    const std::size_t columns = terminalColumns(options_.terminalFd);
    for (const auto& [index, run] : running_) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - run.start).count();
        // One column stays free: a line that fills the last one makes some
        // terminals wrap before the next character arrives.
        lines.push_back(fitToWidth(progressLine(index, options_.total, run.name, run.progress, seconds),
                                   columns > 1 ? columns - 1 : columns));
    }
    return lines;
}

void ProgressDisplay::clearBlock()
{
    if (!options_.terminal || drawn_.empty())
        return;
    // Back to the start of the first progress line, then erase to the end
    // of the screen.
    std::string text = "\r";
    if (drawn_.size() > 1)
        text += "\x1b[" + std::to_string(drawn_.size() - 1) + "A";
    text += "\x1b[J";
    err_ << text << std::flush;
    drawn_.clear();
}

void ProgressDisplay::redraw(bool force)
{
    if (!options_.terminal)
        return;
    std::vector<std::string> lines = render();
    const auto now = std::chrono::steady_clock::now();
    if (lines == drawn_ || (!force && now - lastDraw_ < RedrawPause && !drawn_.empty()))
        return;
    clearBlock();
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\n" : "") + lines[i];
    err_ << text << std::flush;
    drawn_ = std::move(lines);
    lastDraw_ = now;
}

} // namespace vemra::cli
