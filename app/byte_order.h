#pragma once
// Explicit little- and big-endian field access for the binary layouts
// (scan records, workspaces, FITS data, metafiles). Never cast structs.
#include <bit>
#include <cstdint>
#include <cstring>

namespace qm {

// Whole words through memcpy, byte-swapped where the machine's order
// differs: each access compiles to one load or store (and a swap), also
// inside the bulk conversion loops, where the per-byte form did not.
namespace byte_order_detail {
template <class U>
U swapped(U v)
{
    if constexpr (sizeof(U) == 2)
        return __builtin_bswap16(v);
    else if constexpr (sizeof(U) == 4)
        return __builtin_bswap32(v);
    else
        return __builtin_bswap64(v);
}
template <class U, std::endian E>
U load(const uint8_t* p)
{
    U v;
    std::memcpy(&v, p, sizeof v);
    return std::endian::native == E ? v : swapped(v);
}
template <class U, std::endian E>
void store(uint8_t* p, U v)
{
    if constexpr (std::endian::native != E)
        v = swapped(v);
    std::memcpy(p, &v, sizeof v);
}
} // namespace byte_order_detail

inline void putU16LE(uint8_t* p, uint16_t v) { byte_order_detail::store<uint16_t, std::endian::little>(p, v); }
inline void putU32LE(uint8_t* p, uint32_t v) { byte_order_detail::store<uint32_t, std::endian::little>(p, v); }
inline void putU16BE(uint8_t* p, uint16_t v) { byte_order_detail::store<uint16_t, std::endian::big>(p, v); }
inline void putU32BE(uint8_t* p, uint32_t v) { byte_order_detail::store<uint32_t, std::endian::big>(p, v); }
inline void putU64BE(uint8_t* p, uint64_t v) { byte_order_detail::store<uint64_t, std::endian::big>(p, v); }

inline uint16_t getU16LE(const uint8_t* p) { return byte_order_detail::load<uint16_t, std::endian::little>(p); }
inline uint32_t getU32LE(const uint8_t* p) { return byte_order_detail::load<uint32_t, std::endian::little>(p); }
inline uint16_t getU16BE(const uint8_t* p) { return byte_order_detail::load<uint16_t, std::endian::big>(p); }
inline uint32_t getU32BE(const uint8_t* p) { return byte_order_detail::load<uint32_t, std::endian::big>(p); }
inline uint64_t getU64BE(const uint8_t* p) { return byte_order_detail::load<uint64_t, std::endian::big>(p); }

inline void putI16LE(uint8_t* p, int16_t v) { putU16LE(p, uint16_t(v)); }
inline int16_t getI16LE(const uint8_t* p) { return int16_t(getU16LE(p)); }
inline void putI16BE(uint8_t* p, int16_t v) { putU16BE(p, uint16_t(v)); }
inline int16_t getI16BE(const uint8_t* p) { return int16_t(getU16BE(p)); }

inline uint32_t floatBits(float f) { uint32_t u; std::memcpy(&u, &f, 4); return u; }
inline float bitsFloat(uint32_t u) { float f; std::memcpy(&f, &u, 4); return f; }
inline uint64_t doubleBits(double d) { uint64_t u; std::memcpy(&u, &d, 8); return u; }
inline double bitsDouble(uint64_t u) { double d; std::memcpy(&d, &u, 8); return d; }

inline void putF32LE(uint8_t* p, float v) { putU32LE(p, floatBits(v)); }
inline float getF32LE(const uint8_t* p) { return bitsFloat(getU32LE(p)); }
inline void putF32BE(uint8_t* p, float v) { putU32BE(p, floatBits(v)); }
inline float getF32BE(const uint8_t* p) { return bitsFloat(getU32BE(p)); }
inline void putF64BE(uint8_t* p, double v) { putU64BE(p, doubleBits(v)); }
inline double getF64BE(const uint8_t* p) { return bitsDouble(getU64BE(p)); }

} // namespace qm
