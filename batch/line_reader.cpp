#include "batch/line_reader.h"

#include <cstring>

namespace qm {

LineReader::LineReader(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}

LineReader::LineReader(std::string_view text) : memory_(true), text_(text) {}

LineReader::~LineReader()
{
    if (file_)
        std::fclose(file_);
}

int LineReader::get()
{
    if (file_)
        return std::getc(file_);
    if (memory_ && pos_ < text_.size())
        return static_cast<unsigned char>(text_[pos_++]);
    return EOF;
}

bool LineReader::next(std::string& line)
{
    line.clear();
    cut_ = false;
    bool any = false;
    for (int c = get(); c != EOF; c = get()) {
        any = true;
        if (c == '\n')
            break;
        if (line.size() < kLineKeep)
            line.push_back(static_cast<char>(c));
        else
            cut_ = true;
    }
    // What a C string of the line holds.
    line.resize(std::strlen(line.c_str()));
    return any;
}

} // namespace qm
