#include "cli/clsRunWatcher.h"

#include "util/Console.h"
#include "verify/CheckProgress.h"
#include "verify/clsCheckRun.h"

namespace {

constexpr auto kTick = std::chrono::milliseconds(100);
constexpr std::size_t kWidth = 79; // columns: a line that never wraps on an 80-column terminal

// Columns `text` takes on a terminal: two for East Asian wide characters, one for the rest.
std::size_t Columns(const std::string& text, std::size_t* cut = nullptr, std::size_t limit = 0) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const std::size_t width = length >= 3 ? 2 : 1;
        if (cut != nullptr && columns + width > limit) {
            *cut = i;
            return columns;
        }
        columns += width;
        i += length;
    }
    if (cut != nullptr) {
        *cut = text.size();
    }
    return columns;
}

} // namespace

clsRunWatcher::clsRunWatcher(clsCheckRun& run, std::FILE* progressTo) : m_Run(run), m_Progress(progressTo) {
    CatchInterrupts();
    m_Thread = std::thread([this] { Watch(); });
}

clsRunWatcher::~clsRunWatcher() {
    {
        std::lock_guard lock(m_Mutex);
        m_Stop = true;
        ClearLocked();
    }
    m_Wake.notify_all();
    m_Thread.join();
}

void clsRunWatcher::WithLineCleared(const std::function<void()>& write) {
    std::lock_guard lock(m_Mutex);
    ClearLocked();
    write();
}

void clsRunWatcher::CancelIfInterrupted() {
    if (InterruptRequested()) {
        m_Run.Cancel();
    }
}

void clsRunWatcher::Watch() {
    std::unique_lock lock(m_Mutex);
    int ticks = 0;
    while (!m_Wake.wait_for(lock, kTick, [this] { return m_Stop; })) {
        // Also while the run waits for a long file's digest, which the pool stops within a chunk.
        CancelIfInterrupted();
        // The first line a second in: a quick check shows none.
        if (m_Progress != nullptr && ++ticks >= 10 && ticks % 2 == 0) {
            Draw();
        }
    }
}

void clsRunWatcher::Draw() {
    const CheckProgress progress = m_Run.Progress();
    if (progress.listNumber != m_MeterList) {
        m_MeterList = progress.listNumber;
        m_Meter.Reset();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_Start).count();
    m_Meter.Sample(seconds, progress.listBytesDone, progress.listBytes);
    const std::optional<double> left = m_Meter.SecondsLeft();
    const std::string line =
        ProgressLine(progress, m_Meter.Percent(), m_Meter.BytesPerSecond(), left ? FormatDuration(*left) : "", kWidth);
    const std::size_t columns = Columns(line);
    std::string text(1, '\r');
    text += line;
    text.append(m_Shown > columns ? m_Shown - columns : 0, ' '); // over what is left of a longer line
    WriteText(m_Progress, text);
    m_Shown = columns;
}

void clsRunWatcher::ClearLocked() {
    if (m_Shown > 0) {
        std::string blank(m_Shown + 2, ' ');
        blank.front() = '\r';
        blank.back() = '\r';
        WriteText(m_Progress, blank);
        m_Shown = 0;
    }
}

std::string clsRunWatcher::ProgressLine(const CheckProgress& progress, int percent, double bytesPerSecond,
                                        const std::string& timeLeft, std::size_t width) {
    std::string line;
    line += '[';
    line += std::to_string(progress.listNumber);
    line += '/';
    line += std::to_string(progress.listCount);
    line += "] ";
    line += std::to_string(percent);
    line += "% ";
    line += FormatBytes(static_cast<double>(progress.listBytesDone));
    line += " / ";
    line += FormatBytes(static_cast<double>(progress.listBytes));
    if (bytesPerSecond > 0.0) {
        line += "  ";
        line += FormatBytes(bytesPerSecond);
        line += "/s";
    }
    if (!timeLeft.empty()) {
        line += "  ";
        line += timeLeft;
        line += " left";
    }
    if (!progress.currentFile.empty()) {
        const std::size_t used = Columns(line) + 2;
        if (used + 4 <= width) {
            std::size_t cut = 0;
            Columns(progress.currentFile, &cut, width - used);
            line += "  ";
            line.append(progress.currentFile, 0, cut);
        }
    }
    return line;
}
