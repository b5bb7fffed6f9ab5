#pragma once
// Builders of FITS bytes for the FITS-layer and scan-set tests and the fuzz
// drivers, written without the program's own header code.
#include <cstdint>
#include <stdexcept>
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

// A card's keyword: its first eight characters without trailing blanks.
inline std::string keywordOf(const std::string& card)
{
    std::string k = card.substr(0, 8);
    while (!k.empty() && k.back() == ' ')
        k.pop_back();
    return k;
}

// The 80-byte cards of the header starting at `from`, up to and with END.
inline std::vector<std::string> headerCards(const std::string& bytes, std::size_t from = 0)
{
    std::vector<std::string> cards;
    for (std::size_t at = from; at + 80 <= bytes.size(); at += 80) {
        cards.push_back(bytes.substr(at, 80));
        if (keywordOf(cards.back()) == "END")
            break;
    }
    return cards;
}

inline std::vector<std::string> keywordsOf(const std::vector<std::string>& cards)
{
    std::vector<std::string> k;
    for (const auto& c : cards)
        k.push_back(keywordOf(c));
    return k;
}

// Offset of the first card at or after `from` whose keyword is `key`.
inline std::size_t findCard(const std::string& bytes, const std::string& key, std::size_t from = 0)
{
    for (std::size_t at = from; at + 80 <= bytes.size(); at += 80)
        if (keywordOf(bytes.substr(at, 8)) == key)
            return at;
    return std::string::npos;
}

// That card, or "" when there is none.
inline std::string cardOf(const std::string& bytes, const std::string& key, std::size_t from = 0)
{
    const std::size_t at = findCard(bytes, key, from);
    return at == std::string::npos ? std::string() : bytes.substr(at, 80);
}

// The bytes with the first card of `key` (by default the keyword of `text`)
// at or after `from` replaced by `text`; throws when there is none.
inline std::string withCard(std::string bytes, const std::string& text, std::size_t from = 0, std::string key = {})
{
    const std::size_t at = findCard(bytes, key.empty() ? keywordOf(text) : key, from);
    if (at == std::string::npos)
        throw std::logic_error("no card for " + text);
    return bytes.replace(at, 80, fitsCard(text));
}

} // namespace qm::test
