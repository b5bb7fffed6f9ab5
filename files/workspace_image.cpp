#include "files/workspace_image.h"

#include "app/byte_order.h"
#include "app/workbench.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <libdeflate.h>
#include <memory>
#include <zlib.h>

namespace qm {

namespace {

constexpr std::size_t kChannelBytesMax = (2 * std::size_t(kMaxPoints) + 2) * 4;
constexpr std::size_t kGaussBytesMax = (4 * std::size_t(kMaxGaussComponents) + 4) * 4;
// The scan count is a signed 16-bit word. A set may pass the 1000 scans
// at which loading stops (the last load is not cut), so every count the
// word holds is saved and read back.
constexpr int kMaxWorkspaceScans = 32767;
// The largest image the reader accepts; a stored length above it is damage.
// Room for four times the largest set of full-length scans a load allows.
constexpr std::size_t kMaxImageBytes =
    kWorkspaceHeaderBytes + 4 * std::size_t(kMaxScans) * (kRecordBytes + 2 * kChannelBytesMax + kGaussBytesMax);
// Deflate cannot expand by more than 1032:1; allow a little more.
constexpr std::size_t kMaxInflateRatio = 1040;

void putTitle(uint8_t* p, std::size_t size, const std::string& text)
{
    std::memcpy(p, text.data(), std::min(text.size(), size - 1));
}

std::string getTitle(const uint8_t* p, std::size_t size)
{
    const auto* c = reinterpret_cast<const char*>(p);
    return std::string(c, strnlen(c, size - 1));
}

// Little-endian floats to and from the image. On a little-endian machine
// the bytes are the floats themselves, so the arrays move with one copy.
void copyFloatsLE(uint8_t* out, const float* v, std::size_t n)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (n != 0)
            std::memcpy(out, v, 4 * n);
    } else {
        for (std::size_t i = 0; i < n; ++i)
            putF32LE(out + 4 * i, v[i]);
    }
}

void copyFloatsFromLE(float* out, const uint8_t* p, std::size_t n)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (n != 0)
            std::memcpy(out, p, 4 * n);
    } else {
        for (std::size_t i = 0; i < n; ++i)
            out[i] = getF32LE(p + 4 * i);
    }
}

// Number of components of a Gaussian table that can be stored, or -1 when
// the table is absent or unusable (a reader would refuse its K).
int storableComponents(const std::vector<float>& g)
{
    if (g.size() < 3 || !(g[0] >= 0.0f && g[0] < float(kMaxGaussComponents + 1)))
        return -1;
    return static_cast<int>(g[0]);
}

// Bounds-checked cursor over the image.
class Reader {
public:
    Reader(const uint8_t* p, std::size_t n) : p_(p), n_(n) {}
    bool has(std::size_t bytes) const { return bytes <= n_ - at_; }
    const uint8_t* at() const { return p_ + at_; }
    const uint8_t* take(std::size_t bytes)
    {
        const uint8_t* q = p_ + at_;
        at_ += bytes;
        return q;
    }
    bool floats(float* out, std::size_t count)
    {
        if (count > (n_ - at_) / 4)
            return false;
        copyFloatsFromLE(out, take(4 * count), count);
        return true;
    }

private:
    const uint8_t* p_;
    std::size_t n_, at_ = 0;
};

// Reads a Gaussian table: element 0 is K; a negative element 2 marks the
// four-floats-per-component layout (4K+1 floats follow), otherwise the older
// layout of amplitude, half-width and position (3K+1 floats) is widened with
// Y position 0 and element 2 becomes -1.
bool readGauss(Reader& in, std::vector<float>& g)
{
    float head[3];
    if (!in.floats(head, 3))
        return false;
    if (!(head[0] >= 0.0f && head[0] < float(kMaxGaussComponents + 1)))
        return false;
    const int k = static_cast<int>(head[0]);
    g.assign(std::max<std::size_t>(kGaussTableFloats, 4 * std::size_t(k) + 4), 0.0f);
    std::copy_n(head, 3, g.begin());
    if (head[2] < 0.0f)
        return in.floats(g.data() + 3, 4 * std::size_t(k) + 1);
    float old[3 * kMaxGaussComponents + 1];
    if (!in.floats(old, 3 * std::size_t(k) + 1))
        return false;
    for (int c = 0; c < k; ++c)
        std::copy_n(old + 3 * c, 3, g.begin() + 3 + 4 * c);
    g[3 + 4 * std::size_t(k)] = old[3 * k];
    g[2] = -1.0f;
    return true;
}

bool readScan(Reader& in, ScanRecord& r)
{
    if (!in.has(kRecordBytes))
        return false;
    const uint8_t* rec = in.take(kRecordBytes);
    decodeRecord(rec, r);
    const bool hasI = getU32LE(rec + rec::dataI) != 0;
    const bool hasV = getU32LE(rec + rec::dataV) != 0;
    const bool hasGauss = getU32LE(rec + rec::gauss) != 0;
    if (r.nPoints < 1 || r.nPoints > kMaxPoints || (!hasI && !hasV))
        return false;
    const std::size_t blockFloats = 2 * std::size_t(r.nPoints) + 2;
    for (int channel : {1, 2}) {
        if (!(channel == 1 ? hasI : hasV))
            continue;
        // Check the bytes are there before allocating, so a damaged count
        // cannot make the reader allocate what the file does not hold.
        if (blockFloats > kChannelBytesMax / 4 || !in.has(4 * blockFloats))
            return false;
        ChannelBlock& block = channel == 1 ? r.chanI : r.chanV;
        if constexpr (std::endian::native == std::endian::little) {
            // The stored block is the array itself: it stays where it is.
            if (auto lent = borrow<float>(in.at(), blockFloats)) {
                in.take(4 * blockFloats);
                block = std::move(*lent);
                continue;
            }
        }
        r.allocChannelForOverwrite(channel);
        in.floats(block.data(), blockFloats);
    }
    return !hasGauss || readGauss(in, r.gauss);
}

} // namespace

std::optional<std::vector<uint8_t>> encodeWorkspace(const Workbench& wb)
{
    std::vector<uint8_t> out;
    if (!encodeWorkspace(wb, out))
        return std::nullopt;
    return out;
}

template <class Bytes>
bool encodeWorkspace(const Workbench& wb, Bytes& out)
{
    const ScanList& list = wb.scans;
    if (list.count() > kMaxWorkspaceScans)
        return false;
    // Every byte below is written, so a buffer kept from an earlier image is
    // reused as it is: no clearing, no fresh pages.
    if (out.size() < kWorkspaceHeaderBytes)
        out.resize(kWorkspaceHeaderBytes);
    std::fill_n(out.begin(), kWorkspaceHeaderBytes, uint8_t(0));
    uint8_t* h = out.data();
    std::memcpy(h, kWorkspaceMagic, kWorkspaceMagicBytes);
    putTitle(h + kMainTitleOffset, kMainTitleBytes, wb.view.mainTitle);
    putTitle(h + kRightTitleOffset, kAxisTitleBytes, wb.view.rightAxisTitle);
    putTitle(h + kLeftTitleOffset, kAxisTitleBytes, wb.view.leftAxisTitle);

    uint8_t* s = h + kStateOffset;
    auto put = [s](std::size_t offset, int v) { putI16LE(s + offset, static_cast<int16_t>(v)); };
    const ViewFlags& v = wb.view;
    put(wsstate::scanCount, list.count());
    put(wsstate::activePos, wb.activeScan ? list.indexOf(wb.activeScan) : -1);
    put(wsstate::viewBegin, wb.viewBegin);
    put(wsstate::viewEnd, wb.viewEnd);
    put(wsstate::chkDataI, wb.chkDataI);
    put(wsstate::chkDataV, wb.chkDataV);
    put(wsstate::chkWrkI, wb.chkWrkI);
    put(wsstate::chkWrkV, wb.chkWrkV);
    put(wsstate::confirmAll, v.confirmAll);
    put(wsstate::setLoaded, wb.setLoaded);
    put(wsstate::gaussChoice, v.gaussChoice);
    put(wsstate::digFrame, v.digFrame);
    put(wsstate::equalScale, v.equalScale);
    put(wsstate::sunCenter, v.sunCenter);
    put(wsstate::viewScale, v.viewScale);
    put(wsstate::mixedSet, wb.mixedSet);
    put(wsstate::colour, v.colour);
    put(wsstate::titleParts, v.titleParts);
    put(wsstate::groupList, v.groupList);
    put(wsstate::listOutside, v.listOutside);
    put(wsstate::residual, v.residual);
    put(wsstate::groupMode, wb.groupMode);
    put(wsstate::localGraph, v.localGraph);
    put(wsstate::fullScanWindow, v.fullScanWindow);
    int members = 0;
    for (const ScanRecord* g : wb.groupScans) {
        const int pos = list.indexOf(g);
        if (pos < 0)
            continue;
        if (members == kStoredGroupMembers)
            break;
        put(wsstate::groupPositions + 2 * std::size_t(members++), pos);
    }
    put(wsstate::groupCount, members);

    // The entries' size is known up front, so the image is allocated once
    // and every array goes into place with one copy.
    auto blockFloats = [](const ScanRecord& r) { return 2 * std::size_t(std::max<int16_t>(r.nPoints, 0)) + 2; };
    std::size_t total = kWorkspaceHeaderBytes;
    for (const auto& r : list) {
        const int k = storableComponents(r->gauss);
        total += kRecordBytes + 4 * blockFloats(*r) * (std::size_t(r->hasI()) + std::size_t(r->hasV()));
        if (k >= 0)
            total += 4 * (4 * std::size_t(k) + 4);
    }
    out.resize(total);
    uint8_t* at = out.data() + kWorkspaceHeaderBytes;
    for (const auto& r : list) {
        const int k = storableComponents(r->gauss);
        auto rec = encodeRecord(*r);
        // Pointer slots only mark presence on reading.
        if (r->hasI()) {
            putU32LE(rec.data() + rec::dataI, 1);
            putU32LE(rec.data() + rec::wrkI, 1);
        }
        if (r->hasV()) {
            putU32LE(rec.data() + rec::dataV, 1);
            putU32LE(rec.data() + rec::wrkV, 1);
        }
        if (k >= 0)
            putU32LE(rec.data() + rec::gauss, 1);
        at = std::copy(rec.begin(), rec.end(), at);
        const std::size_t n = blockFloats(*r);
        for (const ChannelBlock* block : {&r->chanI, &r->chanV}) {
            if (block->empty())
                continue;
            // A block shorter than the record says is padded with zeros.
            const std::size_t have = std::min(block->size(), n);
            copyFloatsLE(at, block->data(), have);
            std::fill(at + 4 * have, at + 4 * n, uint8_t(0));
            at += 4 * n;
        }
        if (k >= 0) {
            std::vector<float> g(4 * std::size_t(k) + 4, 0.0f);
            std::copy_n(r->gauss.begin(), std::min(r->gauss.size(), g.size()), g.begin());
            // Element 2 is the editor's current component; a non-negative
            // value would make the reader take the table for the older
            // three-float layout and scramble it, so it is stored as -1.
            if (!(g[2] < 0.0f))
                g[2] = -1.0f;
            copyFloatsLE(at, g.data(), g.size());
            at += 4 * g.size();
        }
    }
    return true;
}

bool decodeWorkspace(BulkBytes image, WorkspaceImage& out)
{
    const uint8_t* data = image.data();
    const std::size_t size = image.size();
    out = WorkspaceImage{};
    if (size < kWorkspaceHeaderBytes || std::memcmp(data, kWorkspaceMagic, kWorkspaceMagicBytes) != 0)
        return false;
    WorkspaceImage img;
    img.mainTitle = getTitle(data + kMainTitleOffset, kMainTitleBytes);
    img.rightAxisTitle = getTitle(data + kRightTitleOffset, kAxisTitleBytes);
    img.leftAxisTitle = getTitle(data + kLeftTitleOffset, kAxisTitleBytes);
    img.state.resize(kStateWords);
    for (int i = 0; i < kStateWords; ++i)
        img.state[std::size_t(i)] = getI16LE(data + kStateOffset + 2 * std::size_t(i));

    const int count = img.word(wsstate::scanCount);
    const int members = img.word(wsstate::groupCount);
    const int groupMode = img.word(wsstate::groupMode);
    if (count < 0 || count > kMaxWorkspaceScans || members < 0 || members > kStoredGroupMembers || groupMode < 0 ||
        groupMode > 3)
        return false;
    for (int i = 0; i < members; ++i) {
        const int pos = img.word(wsstate::groupPositions + 2 * std::size_t(i));
        if (pos < 0 || pos >= count)
            return false;
        if (std::find(img.groupPositions.begin(), img.groupPositions.end(), pos) == img.groupPositions.end())
            img.groupPositions.push_back(pos);
    }
    const int active = img.word(wsstate::activePos);
    img.activePos = active >= 0 && active < count ? active : -1;

    Reader in(data + kWorkspaceHeaderBytes, size - kWorkspaceHeaderBytes);
    img.scans.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        auto r = std::make_unique<ScanRecord>();
        if (!readScan(in, *r))
            return false;
        img.scans.push_back(std::move(r));
    }
    out = std::move(img);
    return true;
}

template bool encodeWorkspace(const Workbench&, std::vector<uint8_t>&);
template bool encodeWorkspace(const Workbench&, BulkBytes&);

template <class Bytes>
Bytes packWorkspace(const Bytes& image, std::size_t bound)
{
    // libdeflate writes the same zlib stream format as zlib's compress(), in
    // a fraction of the time at this level and within a few percent of its
    // size, so older readers and plain zlib read the files unchanged.
    std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> z(
        libdeflate_alloc_compressor(kWorkspaceDeflateLevel), libdeflate_free_compressor);
    if (!z || image.size() > 0xFFFFFFFFu)
        return image;
    Bytes out(kWorkspaceZipHeaderBytes + bound);
    const std::size_t streamBytes =
        libdeflate_zlib_compress(z.get(), image.data(), image.size(), out.data() + kWorkspaceZipHeaderBytes, bound);
    if (streamBytes == 0)
        return image; // does not fit into the bound
    std::memcpy(out.data(), kWorkspaceZipMagic, kWorkspaceMagicBytes);
    putU32LE(out.data() + kWorkspaceMagicBytes, static_cast<uint32_t>(image.size()));
    out.resize(kWorkspaceZipHeaderBytes + streamBytes);
    return out;
}
template std::vector<uint8_t> packWorkspace(const std::vector<uint8_t>&, std::size_t);
template BulkBytes packWorkspace(const BulkBytes&, std::size_t);

bool hasWorkspaceMagic(const uint8_t* data, std::size_t size)
{
    return size >= kWorkspaceMagicBytes && (std::memcmp(data, kWorkspaceMagic, kWorkspaceMagicBytes) == 0 ||
                                            std::memcmp(data, kWorkspaceZipMagic, kWorkspaceMagicBytes) == 0);
}

bool unpackWorkspace(BulkBytes& bytes)
{
    if (!hasWorkspaceMagic(bytes.data(), bytes.size()))
        return false;
    if (std::memcmp(bytes.data(), kWorkspaceMagic, kWorkspaceMagicBytes) == 0)
        return true;
    if (bytes.size() < kWorkspaceZipHeaderBytes)
        return false;
    const std::size_t stored = getU32LE(bytes.data() + kWorkspaceMagicBytes);
    const std::size_t streamBytes = bytes.size() - kWorkspaceZipHeaderBytes;
    if (stored < kWorkspaceHeaderBytes || stored > kMaxImageBytes || stored / kMaxInflateRatio > streamBytes)
        return false;
    BulkBytes image(stored + 12); // not zeroed: the size check below refuses a stream that falls short
    const uint8_t* stream = bytes.data() + kWorkspaceZipHeaderBytes;
    std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> z(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    std::size_t used = 0, got = 0;
    // Bytes after the end of the stream are ignored, as zlib's uncompress()
    // ignores them.
    const bool inflated = z && libdeflate_zlib_decompress_ex(z.get(), stream, streamBytes, image.data(), image.size(),
                                                             &used, &got) == LIBDEFLATE_SUCCESS;
    if (!inflated) {
        // A stream libdeflate refuses gets a second reading by zlib, the
        // library the files were first written with.
        uLongf n = static_cast<uLongf>(image.size());
        if (uncompress(image.data(), &n, stream, static_cast<uLong>(streamBytes)) != Z_OK)
            return false;
        got = n;
    }
    if (got != stored)
        return false;
    image.resize(stored);
    bytes = std::move(image);
    return true;
}

} // namespace qm
