// TMemStream: a whole file or block of bytes with a read position.
#include "files/fits_layer.h"

#include "app/atomic_file.h"

#include <cstring>

namespace qm {

std::size_t TMemStream::load(const std::string& path)
{
    clear();
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes) || bytes.empty())
        return 0;
    size_ = bytes.size();
    buf_ = std::move(bytes);
    buf_.push_back(0);
    return size_;
}

void TMemStream::set(const void* bytes, std::size_t n)
{
    clear();
    buf_.resize(n + 1, 0);
    if (n > 0)
        std::memcpy(buf_.data(), bytes, n);
    size_ = n;
}

std::size_t TMemStream::read(void* target, std::size_t n)
{
    const std::size_t k = n < remaining() ? n : remaining();
    if (k > 0)
        std::memcpy(target, buf_.data() + pos_, k);
    pos_ += k;
    return k;
}

const uint8_t* TMemStream::card(std::size_t k) const
{
    if (k >= remaining() / kFitsCard)
        return nullptr;
    return buf_.data() + pos_ + k * kFitsCard;
}

const uint8_t* TMemStream::seek(std::size_t p)
{
    if (p >= size_)
        return nullptr;
    pos_ = p;
    return buf_.data() + pos_;
}

const uint8_t* TMemStream::advance(std::size_t n)
{
    if (n >= remaining())
        return nullptr;
    pos_ += n;
    return buf_.data() + pos_;
}

const uint8_t* TMemStream::current() const
{
    return buf_.empty() ? nullptr : buf_.data() + pos_;
}

void TMemStream::clear()
{
    buf_.clear();
    buf_.shrink_to_fit();
    size_ = pos_ = 0;
}

} // namespace qm
