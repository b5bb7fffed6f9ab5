#include "files/card_reader.h"

#include "app/text_format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qm {

bool ByteSource::open(const std::string& path)
{
    file_.reset();
    owned_.reset();
    mem_ = nullptr;
    memSize_ = memPos_ = 0;
    // Non-blocking, so that opening a pipe does not wait for a writer
    // before it is refused; reads of a regular file are unaffected.
    const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    if (std::size_t(st.st_size) <= kWholeFileBytes) {
        // One byte of room past the size tells a file that grew meanwhile;
        // that one is read as it goes instead.
        const std::size_t room = std::size_t(st.st_size) + 1;
        auto bytes = std::make_unique_for_overwrite<uint8_t[]>(room);
        std::size_t used = 0;
        ssize_t n = 0;
        for (;;) {
            const std::size_t want = room - used;
            n = ::read(fd, bytes.get() + used, want);
            if (n < 0 && errno == EINTR)
                continue;
            if (n > 0)
                used += std::size_t(n);
            // A short read of a regular file is its end.
            if (n <= 0 || std::size_t(n) < want)
                break;
        }
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (used < room) {
            ::close(fd);
            owned_ = std::move(bytes);
            mem_ = owned_.get();
            memSize_ = used;
            return true;
        }
        ::lseek(fd, 0, SEEK_SET);
    }
    file_.reset(::fdopen(fd, "rb"));
    if (!file_)
        ::close(fd);
    return file_ != nullptr;
}

int ByteSource::getFromFile()
{
    if (!file_)
        return -1;
    // The FILE is this source's own: no other thread reads it, so no lock.
    const int c = getc_unlocked(file_.get());
    return c == EOF ? -1 : c;
}

std::size_t ByteSource::read(uint8_t* out, std::size_t n)
{
    if (file_)
        return std::fread(out, 1, n, file_.get());
    if (!mem_)
        return 0;
    const std::size_t k = std::min(n, memSize_ - memPos_);
    std::memcpy(out, mem_ + memPos_, k);
    memPos_ += k;
    return k;
}

const uint8_t* ByteSource::view(std::size_t n)
{
    if (!mem_ || n > memSize_ - memPos_)
        return nullptr;
    const uint8_t* p = mem_ + memPos_;
    memPos_ += n;
    return p;
}

std::size_t ByteSource::appendLine(std::string& line, std::size_t limit)
{
    if (mem_) {
        const std::size_t room = std::min(limit, memSize_ - memPos_);
        const uint8_t* p = mem_ + memPos_;
        const auto* lf = static_cast<const uint8_t*>(std::memchr(p, '\n', room));
        const std::size_t n = lf ? std::size_t(lf - p) + 1 : room;
        line.append(reinterpret_cast<const char*>(p), n);
        memPos_ += n;
        return n;
    }
    std::size_t n = 0;
    while (n < limit) {
        const int c = getFromFile();
        if (c < 0)
            break;
        line.push_back(static_cast<char>(c));
        ++n;
        if (c == '\n')
            break;
    }
    return n;
}

std::size_t ByteSource::skip(std::size_t n)
{
    std::size_t k = 0;
    while (k < n && get() >= 0)
        ++k;
    return k;
}

std::size_t readLine(ByteSource& in, std::string& line, std::size_t limit, bool keepEnd)
{
    line.clear();
    const std::size_t taken = in.appendLine(line, limit);
    if (!keepEnd && !line.empty() && line.back() == '\n') {
        line.pop_back();
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    }
    return taken;
}

std::string keywordToken(std::string_view card) { return firstWord(card); }

std::string_view cardValueText(std::string_view card)
{
    return card.size() > 9 ? card.substr(9) : std::string_view();
}

bool cardInt(std::string_view card, int& out) { return scanInt(cardValueText(card), out); }

bool cardFloat(std::string_view card, float& out) { return scanFloat(cardValueText(card), out); }

std::string quotedValue(std::string_view card, std::size_t maxChars)
{
    const auto isQuote = [](char c) { return c == '\'' || c == '"'; };
    std::size_t i = 0;
    while (i < card.size() && !isQuote(card[i]))
        ++i;
    if (i == card.size())
        return {};
    ++i;
    while (i < card.size() && card[i] == ' ')
        ++i;
    std::string value;
    for (; i < card.size() && value.size() < maxChars; ++i) {
        const char c = card[i];
        if (isQuote(c) || c == '\r' || c == '\n' || c == '\0')
            break;
        value.push_back(c);
    }
    return value;
}

bool readTextSample(ByteSource& in, int16_t& sample)
{
    sample = 0;
    char field[kTextSampleBytes];
    if (in.read(reinterpret_cast<uint8_t*>(field), sizeof field) != sizeof field)
        return false;
    float v;
    if (scanFloat(std::string_view(field, sizeof field), v))
        sample = truncToShort(v);
    return true;
}

std::string normaliseDate(std::string_view text)
{
    const std::string s(text.substr(0, text.find('\0')));
    int a = 0, b = 0, c = 0;
    char s1 = 0, s2 = 0;
    if (std::sscanf(s.c_str(), "%d%c%d%c%d", &a, &s1, &b, &s2, &c) != 5)
        return s;
    return a > 1000 ? format("%04d/%02d/%02d", a, b, c) : format("%04d/%02d/%02d", c, b, a);
}

std::optional<CalendarDate> observationDate(const std::string& dateObs)
{
    CalendarDate d;
    char s1 = 0, s2 = 0;
    if (std::sscanf(normaliseDate(dateObs).c_str(), "%d%c%d%c%d", &d.year, &s1, &d.month, &s2, &d.day) != 5)
        return std::nullopt;
    if (d.year < 0 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31)
        return std::nullopt;
    return d;
}

} // namespace qm
