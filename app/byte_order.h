#pragma once
// Explicit little- and big-endian field access for the binary layouts
// (scan records, workspaces, FITS data, metafiles). Never cast structs.
#include <cstdint>
#include <cstring>

namespace qm {

inline void putU16LE(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void putU32LE(uint8_t* p, uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i)); }
inline void putU16BE(uint8_t* p, uint16_t v) { p[0] = uint8_t(v >> 8); p[1] = uint8_t(v); }
inline void putU32BE(uint8_t* p, uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i)); }
inline void putU64BE(uint8_t* p, uint64_t v) { for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (56 - 8 * i)); }

inline uint16_t getU16LE(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t getU32LE(const uint8_t* p) { uint32_t v = 0; for (int i = 3; i >= 0; --i) v = (v << 8) | p[i]; return v; }
inline uint16_t getU16BE(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
inline uint32_t getU32BE(const uint8_t* p) { uint32_t v = 0; for (int i = 0; i < 4; ++i) v = (v << 8) | p[i]; return v; }
inline uint64_t getU64BE(const uint8_t* p) { uint64_t v = 0; for (int i = 0; i < 8; ++i) v = (v << 8) | p[i]; return v; }

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
