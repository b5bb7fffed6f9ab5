#pragma once
// The workspace image: a byte-for-byte snapshot of the scan set, the plot
// titles and the view and mode state, little-endian throughout.
//
//   0    14  magic "QuillmarSpace" and a zero byte
//   14   32  main title, zero-padded
//   46   16  right axis title (channel 2)
//   62   16  left axis title (channel 1)
//   78  178  state record: 89 signed 16-bit words (offsets in `wsstate`)
//   256  ...  scan entries from the head: the 524-byte record (pointer slots
//            non-zero for a present channel or Gaussian table), the channel-1
//            block, the channel-2 block (2n+2 floats each) and the Gaussian
//            table (4K+4 floats), each only when present.
//
// The compressed file is "QuillZipSpace" and a zero byte, the image length
// as a 32-bit unsigned integer and the image as one zlib stream.
#include "app/scan_record.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class Workbench;

inline constexpr std::size_t kWorkspaceMagicBytes = 14;
inline constexpr char kWorkspaceMagic[kWorkspaceMagicBytes + 1] = "QuillmarSpace";
inline constexpr char kWorkspaceZipMagic[kWorkspaceMagicBytes + 1] = "QuillZipSpace";
inline constexpr std::size_t kWorkspaceZipHeaderBytes = kWorkspaceMagicBytes + 4;
inline constexpr std::size_t kWorkspaceHeaderBytes = 256;
inline constexpr std::size_t kMainTitleOffset = 14, kMainTitleBytes = 32;
inline constexpr std::size_t kRightTitleOffset = 46, kLeftTitleOffset = 62, kAxisTitleBytes = 16;
inline constexpr std::size_t kStateOffset = 78;
inline constexpr int kStateWords = 89;
inline constexpr int kStoredGroupMembers = 58;

// Byte offsets of the state words, relative to the start of the record.
namespace wsstate {
inline constexpr std::size_t scanCount = 0, activePos = 2, viewBegin = 4, viewEnd = 6, chkDataI = 8,
                             chkDataV = 10, chkWrkI = 12, chkWrkV = 14, confirmAll = 18, setLoaded = 20,
                             gaussChoice = 22, digFrame = 24, equalScale = 26, sunCenter = 28, viewScale = 30,
                             mixedSet = 32, colour = 34, titleParts = 36, groupList = 38, listOutside = 40,
                             residual = 42, groupMode = 44, localGraph = 46, fullScanWindow = 48, groupCount = 50,
                             groupPositions = 62;
} // namespace wsstate

// The image of the workbench's set and state. A set of more than 32767 scans
// has no image (nullopt): the reader refuses such counts.
std::optional<std::vector<uint8_t>> encodeWorkspace(const Workbench& wb);
// The same into `out`, whose memory is reused when it is large enough (the
// autosave keeps one buffer from image to image); every byte is written, so
// bulk memory is never cleared first. False without an image.
template <class Bytes>
bool encodeWorkspace(const Workbench& wb, Bytes& out);
extern template bool encodeWorkspace(const Workbench&, std::vector<uint8_t>&);
extern template bool encodeWorkspace(const Workbench&, BulkBytes&);

// A decoded image, not yet applied to a workbench.
struct WorkspaceImage {
    std::string mainTitle, rightAxisTitle, leftAxisTitle;
    std::vector<int16_t> state;                     // the 89 words
    std::vector<std::unique_ptr<ScanRecord>> scans; // file order
    int activePos = -1;                             // -1: take the head
    std::vector<int> groupPositions;                // valid, without repeats
    int word(std::size_t offset) const { return state[offset / 2]; }
};

// Decodes and validates a whole uncompressed image. All or nothing: false
// for a wrong magic, a short image or any stored value out of its range
// (scan count above 1000, nPoints outside 1..16000, a scan without channels,
// K outside 0..15, group count above 58 or a member position outside the
// set, group mode outside 0..3); `out` is then left empty. Never reads past
// the image's end. The image is consumed: on a little-endian machine the
// channel blocks are lent from its memory rather than copied out of it.
bool decodeWorkspace(BulkBytes image, WorkspaceImage& out);

// Compression level of saved workspaces (libdeflate's scale, 1..12).
inline constexpr int kWorkspaceDeflateLevel = 4;

// The output room zlib gets for an n-byte image: n/1000 + n + 64.
inline std::size_t workspaceCompressBound(std::size_t n) { return n / 1000 + n + 64; }

// The file form of an image: the compressed form when its zlib stream
// fits into `bound` bytes, else the uncompressed image itself.
template <class Bytes>
Bytes packWorkspace(const Bytes& image, std::size_t bound);
extern template std::vector<uint8_t> packWorkspace(const std::vector<uint8_t>&, std::size_t);
extern template BulkBytes packWorkspace(const BulkBytes&, std::size_t);
template <class Bytes>
Bytes packWorkspace(const Bytes& image)
{
    return packWorkspace(image, workspaceCompressBound(image.size()));
}

// Turns file bytes into the uncompressed image: a compressed file is
// inflated in memory (its stored length must be plausible and match the
// inflated size exactly), an uncompressed one is kept. False for neither
// magic or a damaged compressed form.
bool unpackWorkspace(BulkBytes& bytes);

// True when the first bytes carry one of the two magics.
bool hasWorkspaceMagic(const uint8_t* data, std::size_t size);

} // namespace qm
