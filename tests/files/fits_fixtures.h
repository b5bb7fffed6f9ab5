#pragma once
// Builders of FITS bytes for the FITS-layer and scan-set tests and the fuzz
// drivers, written without the program's own header code.
#include <cstdint>
#include <string>
#include <vector>

namespace qm::test {

// One 80-character card.
inline std::string fitsCard(const std::string& text)
{
    std::string c = text.substr(0, 80);
    c.resize(80, ' ');
    return c;
}

// Pads with `fill` to a whole number of 2880-byte blocks.
inline std::string fitsPad(std::string bytes, char fill = '\0')
{
    bytes.resize((bytes.size() + 2879) / 2880 * 2880, fill);
    return bytes;
}

// The cards, an END card and blank cards up to a whole block.
inline std::string fitsHeader(const std::vector<std::string>& cards)
{
    std::string h;
    for (const auto& c : cards)
        h += fitsCard(c);
    h += fitsCard("END");
    return fitsPad(h, ' ');
}

inline std::vector<uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

} // namespace qm::test
