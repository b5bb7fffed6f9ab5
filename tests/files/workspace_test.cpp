#include "files/autosave_worker.h"
#include "files/workspace_file.h"
#include "files/workspace_image.h"

#include "app/text_format.h"
#include "app/workbench.h"
#include "tests/support/fake_ui.h"
#include "tests/support/python_reference.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <random>
#include <tuple>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

using namespace qm;
namespace fs = std::filesystem;

namespace {

using test::TempDir;

struct Bench {
    test::FakeUi ui;
    MemorySettingsStore store;
    Workbench wb;
    explicit Bench(const std::string& dir) : wb(ui, store, dir) { registerWorkspaceCommands(wb.commands()); }
};

std::vector<uint8_t> bytesOf(const std::string& path)
{
    const std::string s = test::readTextFile(path);
    return {s.begin(), s.end()};
}

// Little-endian bytes written here by hand, independent of byte_order.h.
void le16(std::vector<uint8_t>& v, std::size_t at, int x)
{
    v[at] = uint8_t(x & 0xff);
    v[at + 1] = uint8_t((x >> 8) & 0xff);
}
void appendLeFloat(std::vector<uint8_t>& v, float f)
{
    uint32_t u;
    std::memcpy(&u, &f, 4);
    for (int i = 0; i < 4; ++i)
        v.push_back(uint8_t(u >> (8 * i)));
}

float randomFloat(std::mt19937& g)
{
    static const float specials[] = {0.0f, -0.0f, 1e-42f, -3.4e38f, std::numeric_limits<float>::infinity()};
    const unsigned pick = g() % 16;
    if (pick < 5)
        return specials[pick];
    return std::normal_distribution<float>(0.0f, 1000.0f)(g);
}

std::unique_ptr<ScanRecord> makeScan(std::mt19937& g, int n, bool hasI, bool hasV, int k)
{
    auto r = std::make_unique<ScanRecord>();
    copyField(r->dataFile, format("/data/set%u.0hd", unsigned(g() % 1000)));
    copyField(r->object, "Sun");
    copyField(r->dateObs, format("2004/05/%02u", unsigned(1 + g() % 28)));
    copyField(r->timeObs, format("%02u:%02u:%05.2f", unsigned(g() % 24), unsigned(g() % 60), (g() % 6000) / 100.0));
    copyField(r->telescop, "RATAN-600");
    copyField(r->origin, "SAO");
    r->nPoints = int16_t(n);
    for (float* f : {&r->azimuth, &r->altitude, &r->angleP, &r->radius, &r->centerPoint, &r->beamHalfsize,
                     &r->fluxCoef})
        *f = randomFloat(g);
    r->tqSun = int16_t(g());
    r->step = 1.5f;
    r->frequency = 1.0f + float(g() % 1700) / 100.0f;
    for (int16_t* f : {&r->calibData, &r->calibWrk, &r->fluxWrk, &r->fluxData, &r->flagIvData, &r->flagIvWrk,
                       &r->sampleFormat})
        *f = int16_t(g() % 2);
    for (int c : {1, 2}) {
        if (!(c == 1 ? hasI : hasV))
            continue;
        r->allocChannel(c);
        for (float& x : c == 1 ? r->chanI : r->chanV)
            x = randomFloat(g);
    }
    if (k >= 0) {
        r->gauss.assign(kGaussTableFloats, 0.0f);
        r->gauss[0] = float(k);
        r->gauss[1] = float(g() % 2);
        r->gauss[2] = -1.0f;
        for (int i = 3; i < 4 * k + 4; ++i)
            r->gauss[std::size_t(i)] = randomFloat(g);
    }
    return r;
}

// The state the image carries besides the scans, and the menu checks set
// from it.
auto stateOf(const Workbench& w, std::size_t maxGroup = 58)
{
    std::vector<int> group;
    for (const ScanRecord* r : w.groupScans)
        if (group.size() < maxGroup)
            group.push_back(w.scans.indexOf(r));
    const ViewFlags& v = w.view;
    return std::tuple(w.scans.indexOf(w.activeScan), w.viewBegin, w.viewEnd,
                      std::vector<bool>{w.chkDataI, w.chkDataV, w.chkWrkI, w.chkWrkV, w.setLoaded, w.mixedSet,
                                        v.confirmAll, v.digFrame, v.equalScale, v.sunCenter, v.viewScale, v.colour,
                                        v.groupList, v.listOutside, v.residual, v.localGraph, v.fullScanWindow},
                      std::vector<int>{w.groupMode, v.titleParts, w.isChecked(152) == v.equalScale,
                                       w.isChecked(169) == v.fullScanWindow, w.isChecked(177) == v.localGraph},
                      group, std::vector<std::string>{v.mainTitle, v.rightAxisTitle, v.leftAxisTitle});
}

template <class Floats>
bool sameBits(const Floats& a, const Floats& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), 4 * a.size()) == 0);
}

// Everything the image carries, compared field by field.
void expectSameWorkspace(const Workbench& a, const Workbench& b)
{
    ASSERT_EQ(a.scans.count(), b.scans.count());
    for (int i = 0; i < a.scans.count(); ++i) {
        const ScanRecord &x = *a.scans.at(i), &y = *b.scans.at(i);
        EXPECT_EQ(encodeRecord(x), encodeRecord(y)) << "scan " << i;
        EXPECT_TRUE(sameBits(x.chanI, y.chanI) && sameBits(x.chanV, y.chanV) && sameBits(x.gauss, y.gauss))
            << "arrays of scan " << i;
    }
    EXPECT_EQ(stateOf(a), stateOf(b));
}

// A loaded set in a random but consistent state (as the program reaches it).
void fillRandomSet(Workbench& wb, std::mt19937& g, int count, bool mixed, int groupSize)
{
    std::vector<std::unique_ptr<ScanRecord>> chain;
    const int n = 20 + int(g() % 40);
    for (int i = 0; i < count; ++i) {
        const int points = mixed ? 10 + int(g() % 60) : n;
        const unsigned channels = mixed ? 1 + g() % 3 : 3;
        const int k = g() % 3 == 0 ? -1 : int(g() % 16);
        chain.push_back(makeScan(g, points, channels & 1, channels & 2, k));
    }
    wb.scans.appendTail(std::move(chain));
    wb.afterLoad({});
    std::vector<ScanRecord*> all;
    for (const auto& r : wb.scans)
        all.push_back(r.get());
    std::shuffle(all.begin(), all.end(), g);
    wb.groupScans.assign(all.begin(), all.begin() + std::min<int>(groupSize, count));
    wb.setGroupView(int(g() % 4));
    ViewFlags& v = wb.view;
    for (bool* flag : {&v.confirmAll, &v.digFrame, &v.equalScale, &v.sunCenter, &v.viewScale, &v.colour, &v.groupList,
                       &v.listOutside, &v.residual, &v.fullScanWindow, &wb.chkDataI, &wb.chkDataV, &wb.chkWrkI,
                       &wb.chkWrkV})
        *flag = g() % 2;
    v.gaussChoice = int(g() % 3) - 1;
    v.titleParts = int(g() % 8);
    v.localGraph = !wb.mixedSet && g() % 2;
    wb.setChecked(152, v.equalScale);
    wb.setChecked(169, v.fullScanWindow);
    wb.setChecked(177, v.localGraph);
    v.mainTitle = format("Sun %u", unsigned(g()));
    v.rightAxisTitle = "V [K]";
    v.leftAxisTitle = "I [K]";
    wb.activeScan = wb.scans.at(int(g() % unsigned(count)));
    wb.viewBegin = int(g() % 10);
    wb.viewEnd = wb.viewBegin + int(g() % 10);
    wb.syncActive();
}

// A small fixed set: scan 0 with both channels and two components, scan 1
// with channel 2 only, scan 2 with channel 1 only.
void fillSample(Workbench& wb)
{
    std::mt19937 g(7);
    std::vector<std::unique_ptr<ScanRecord>> chain;
    chain.push_back(makeScan(g, 12, true, true, 2));
    chain.push_back(makeScan(g, 12, false, true, -1));
    chain.push_back(makeScan(g, 12, true, false, 0));
    for (int i = 0; i < 3; ++i)
        chain[std::size_t(i)]->frequency = 2.0f + float(i);
    wb.scans.appendTail(std::move(chain));
    wb.afterLoad({});
    wb.groupScans = {wb.scans.at(2), wb.scans.at(0)};
    wb.setGroupView(2);
    wb.setActive(wb.scans.at(1));
}

std::vector<uint8_t> fingerprint(const Workbench& wb) { return encodeWorkspace(wb).value_or(std::vector<uint8_t>{}); }

} // namespace

// Every byte of the header, the state record and the scan entries sits where
// the file format puts it.
TEST(WorkspaceImage, LayoutPinsEveryField)
{
    TempDir dir;
    Bench b(dir.path().string());
    Workbench& wb = b.wb;
    std::mt19937 g(3);
    std::vector<std::unique_ptr<ScanRecord>> chain;
    chain.push_back(makeScan(g, 5, true, true, 2));
    chain.push_back(makeScan(g, 4, false, true, -1));
    chain.push_back(makeScan(g, 3, true, false, 0));
    chain[0]->gauss[2] = 2.0f; // the editor's current component: stored as -1
    wb.scans.appendTail(std::move(chain));
    wb.setLoaded = true;
    wb.activeScan = wb.scans.at(2);
    wb.viewBegin = 1;
    wb.viewEnd = 3;
    wb.chkDataI = true; wb.chkDataV = false; wb.chkWrkI = true; wb.chkWrkV = false;
    wb.mixedSet = true;
    wb.groupMode = 2;
    ViewFlags& v = wb.view;
    v.confirmAll = true; v.gaussChoice = 1; v.digFrame = false; v.equalScale = true; v.sunCenter = false;
    v.viewScale = true; v.colour = false; v.titleParts = 5; v.groupList = true; v.listOutside = false;
    v.residual = true; v.localGraph = false; v.fullScanWindow = true;
    v.mainTitle = std::string(40, 'M'); // cut to 31 characters
    v.rightAxisTitle = "Right";
    v.leftAxisTitle = "Left axis title!"; // 16 characters: cut to 15
    wb.groupScans = {wb.scans.at(1), wb.scans.at(2), wb.scans.at(0)};

    std::vector<uint8_t> e(256, 0);
    std::memcpy(e.data(), "QuillmarSpace\0", 14);
    std::memset(e.data() + 14, 'M', 31);
    std::memcpy(e.data() + 46, "Right", 5);
    std::memcpy(e.data() + 62, "Left axis title", 15);
    const int words[][2] = {{0, 3},  {2, 2},  {4, 1},  {6, 3},  {8, 1},  {12, 1}, {18, 1}, {20, 1},
                            {22, 1}, {26, 1}, {30, 1}, {32, 1}, {36, 5}, {38, 1}, {42, 1}, {44, 2},
                            {48, 1}, {50, 3}, {62, 1}, {64, 2}};
    for (const auto& w : words)
        le16(e, 78 + std::size_t(w[0]), w[1]);
    for (int i = 0; i < 3; ++i) {
        const ScanRecord& r = *wb.scans.at(i);
        auto rec = encodeRecord(r);
        if (r.hasI())
            rec[8] = rec[20] = 1;
        if (r.hasV())
            rec[12] = rec[24] = 1;
        if (!r.gauss.empty())
            rec[16] = 1;
        e.insert(e.end(), rec.begin(), rec.end());
        for (const auto* block : {&r.chanI, &r.chanV})
            for (float f : *block)
                appendLeFloat(e, f);
        if (!r.gauss.empty())
            for (int j = 0; j < 4 * int(r.gauss[0]) + 4; ++j)
                appendLeFloat(e, j == 2 ? -1.0f : r.gauss[std::size_t(j)]);
    }
    const auto image = encodeWorkspace(wb);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(*image, e);
}

// Random sets of every shape survive a save and a load unchanged; the
// uncompressed autosave starts with its magic.
TEST(WorkspaceFile, RandomSetsRoundTrip)
{
    std::mt19937 g(20240501);
    for (int trial = 0; trial < 6; ++trial) {
        TempDir dir;
        Bench a(dir.path().string());
        const bool mixed = trial % 3 == 0;
        // Trial 1 passes the 1000 scans at which loading stops: such a set
        // must still be saved and read back whole.
        const int count = trial == 0 ? 60 : trial == 1 ? 1001 : 1 + int(g() % 70);
        const int group = trial == 0 ? 60 : int(g() % 61);
        fillRandomSet(a.wb, g, count, mixed, group);
        SCOPED_TRACE(format("trial %d: %d scans, group %d", trial, count, group));

        const std::string path = dir.file("set.wsf");
        ASSERT_TRUE(saveWorkspace(a.wb, 1, path));
        Bench b(dir.path().string());
        ASSERT_EQ(loadWorkspace(b.wb, 1, path), 1);
        expectSameWorkspace(a.wb, b.wb);
        EXPECT_EQ(b.wb.view.gaussChoice, 0); // picking on the plot is never restored
        EXPECT_EQ(b.wb.groupScans.size(), std::min<std::size_t>(a.wb.groupScans.size(), 58));

        if (trial == 0) {
            ASSERT_TRUE(saveWorkspace(a.wb, 0));
            EXPECT_EQ(test::readTextFile(a.wb.tempWorkspace).substr(0, 14), std::string("QuillmarSpace\0", 14));
        }
    }
}

// The compressed file is a plain zlib stream: an independent reader inflates
// it to exactly the image and the stored length. Files compressed by zlib
// itself, as earlier versions wrote them, load unchanged.
TEST(WorkspaceFile, CompressedFileReadsWithPythonZlib)
{
    {
        TempDir dir;
        Bench a(dir.path().string()), b(dir.path().string());
        std::mt19937 g(12);
        fillRandomSet(a.wb, g, 7, true, 3);
        const auto image = encodeWorkspace(a.wb).value();
        std::vector<uint8_t> file(18 + compressBound(uLong(image.size())));
        std::memcpy(file.data(), "QuillZipSpace\0", 14);
        for (int i = 0; i < 4; ++i)
            file[std::size_t(14 + i)] = uint8_t(image.size() >> (8 * i));
        uLongf n = uLongf(file.size() - 18);
        ASSERT_EQ(compress2(file.data() + 18, &n, image.data(), uLong(image.size()), 9), Z_OK);
        file.resize(18 + n);
        ASSERT_TRUE(restoreWorkspace(b.wb, file));
        expectSameWorkspace(a.wb, b.wb);
    }
    if (!test::pythonImports("zlib"))
        GTEST_SKIP() << "python3 with zlib is not available";
    TempDir dir;
    Bench b(dir.path().string());
    std::mt19937 g(11);
    fillRandomSet(b.wb, g, 9, false, 4);
    const std::string saved = dir.file("py.wsf"), inflated = dir.file("py.img");
    ASSERT_TRUE(saveWorkspace(b.wb, 1, saved));
    const std::string cmd = "python3 -c 'import zlib,sys\n"
                            "d=open(sys.argv[1],\"rb\").read()\n"
                            "assert d[:14]==b\"QuillZipSpace\\0\"\n"
                            "n=int.from_bytes(d[14:18],\"little\")\n"
                            "img=zlib.decompress(d[18:])\n"
                            "assert len(img)==n\n"
                            "open(sys.argv[2],\"wb\").write(img)' " +
                            saved + " " + inflated;
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(bytesOf(inflated), encodeWorkspace(b.wb).value());
}

// A save the target cannot take says why, in an error box and in the
// failure record, and leaves what was there.
TEST(WorkspaceFile, BlockedSaveSaysWhyAndKeepsWhatWasThere)
{
    TempDir dir;
    Bench b(dir.path().string());
    fillSample(b.wb);
    const std::string folder = dir.file("folder.wsf"), old = dir.file("old.wsf");
    fs::create_directory(folder);
    test::writeFile(old, "old contents");
    EXPECT_FALSE(saveWorkspace(b.wb, 1, folder));
    EXPECT_FALSE(saveWorkspace(b.wb, 1, old + "/inner.wsf"));
    EXPECT_EQ(b.wb.takeFailures(), (std::vector<std::string>{"File " + folder + " cannot be written",
                                                              "Output folder " + old + " is not a folder"}));
    ASSERT_EQ(b.ui.messages.size(), 2u);
    EXPECT_EQ(b.ui.messages[0].caption, "Error");
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(test::readTextFile(old), "old contents");
    EXPECT_EQ(test::filesIn(dir.path()), (std::set<std::string>{"folder.wsf", "old.wsf"}));
}

// Every prefix of a saved file, raw or compressed, is refused without
// touching the set already loaded; damaged values are refused likewise.
TEST(WorkspaceFile, TruncatedAndDamagedFilesLeaveTheSetUnchanged)
{
    TempDir dir;
    Bench src(dir.path().string());
    fillSample(src.wb);
    const auto raw = encodeWorkspace(src.wb).value();
    const auto zipped = packWorkspace(raw);
    ASSERT_EQ(std::memcmp(zipped.data(), "QuillZipSpace\0", 14), 0);

    Bench b(dir.path().string());
    b.wb.interactiveMode = false; // no Close before the load: the set must survive
    std::mt19937 g(9);
    fillRandomSet(b.wb, g, 4, false, 2);
    const auto before = fingerprint(b.wb);
    const int checkedBefore = b.wb.isChecked(152);
    auto refused = [&](const std::vector<uint8_t>& bytes) {
        return !restoreWorkspace(b.wb, bytes) && fingerprint(b.wb) == before && b.wb.isChecked(152) == checkedBefore;
    };
    for (const auto* file : {&raw, &zipped})
        for (std::size_t n = 0; n < file->size(); ++n)
            ASSERT_TRUE(refused(std::vector<uint8_t>(file->begin(), file->begin() + std::ptrdiff_t(n))))
                << "prefix " << n << " of " << file->size();
    auto damaged = [&](std::size_t at, std::vector<uint8_t> bytes) {
        auto img = raw;
        std::copy(bytes.begin(), bytes.end(), img.begin() + std::ptrdiff_t(at));
        return img;
    };
    const std::size_t state = 78, entry = 256;
    std::vector<uint8_t> nanK = raw;
    const std::size_t gaussAt = entry + 524 + 2 * (2 * 12 + 2) * 4;
    uint32_t nan = 0x7fc00000;
    std::memcpy(nanK.data() + gaussAt, &nan, 4);
    const std::vector<std::vector<uint8_t>> bad = {
        damaged(state + 0, {0xe9, 0x03}),  // 1001 scans stored, one present
        damaged(entry + 466, {0x81, 0x3e}), // nPoints 16001
        damaged(gaussAt, {0, 0, 0x80, 0x41}), // K = 16
        nanK,
    };
    for (std::size_t i = 0; i < bad.size(); ++i)
        EXPECT_TRUE(refused(bad[i])) << "damage " << i;

    auto zipDamaged = [&](uint32_t length) {
        auto z = zipped;
        for (int i = 0; i < 4; ++i)
            z[14 + std::size_t(i)] = uint8_t(length >> (8 * i));
        return z;
    };
    const auto len = uint32_t(raw.size());
    for (uint32_t l : {len - 1, 0xffffffffu})
        EXPECT_TRUE(refused(zipDamaged(l))) << "stored length " << l;
    auto garbage = zipped;
    for (std::size_t i = 18; i < garbage.size(); ++i)
        garbage[i] ^= 0x5a;
    EXPECT_TRUE(refused(garbage));

    // Neither magic: refused, so the batch loader can try the scan readers.
    const std::string path = dir.file("cut.wsf");
    test::writeFile(path, std::string("SIMPLE  = T\n\0\0\0\0\0", 17));
    EXPECT_EQ(loadWorkspace(b.wb, 1, path), 0);
    EXPECT_EQ(loadWorkspace(b.wb, 1, dir.file("missing.wsf")), 0);
    EXPECT_EQ(fingerprint(b.wb), before);

    // The intact files do load, after the set already there.
    EXPECT_TRUE(restoreWorkspace(b.wb, zipped));
    EXPECT_EQ(b.wb.scans.count(), 7);
}

// The autosave tick copies the set and leaves the writing to a worker
// thread: one backup at a time, a backup whose image was taken before a
// Close is still written whole (and then dropped, as Close drops backups),
// and a crash between the complete temporary file and its rename leaves the
// previous backup as the one start-up recovers.
TEST(WorkspaceFile, AutosaveWritesOnAWorkerThread)
{
    TempDir dir;
    Bench a(dir.path().string());
    a.wb.autosaveTicks = 2;
    std::mt19937 g(5);
    std::vector<std::unique_ptr<ScanRecord>> chain;
    for (int i = 0; i < 300; ++i)
        chain.push_back(makeScan(g, 4000, true, i % 2 == 0, -1));
    a.wb.scans.appendTail(std::move(chain));
    a.wb.afterLoad({});
    const auto image = fingerprint(a.wb);

    AutosaveWorker worker;
    worker.tick(a.wb);
    EXPECT_FALSE(worker.running()); // the first of two ticks
    worker.tick(a.wb);
    worker.wait();
    EXPECT_NE(worker.writerThread(), std::this_thread::get_id());
    worker.collect(a.wb);
    const std::string first = a.wb.tempWorkspace;
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(bytesOf(first), image);

    // A write held before its rename: further ticks skip, Close meanwhile
    // does not cut the backup short.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    worker.beforeRename = [released] { released.wait(); };
    worker.tick(a.wb);
    worker.tick(a.wb);
    ASSERT_TRUE(worker.running());
    worker.tick(a.wb);
    worker.tick(a.wb);
    a.wb.closeSet(false);
    EXPECT_FALSE(fs::exists(first)); // Close deletes the run's backup
    release.set_value();
    worker.wait();
    const std::string held = worker.finishedFile();
    ASSERT_FALSE(held.empty());
    EXPECT_EQ(bytesOf(held), image);
    EXPECT_EQ(test::filesIn(backupFolder(a.wb)).size(), 1u); // the skipped ticks wrote nothing
    worker.collect(a.wb);
    EXPECT_FALSE(fs::exists(held));
    EXPECT_TRUE(a.wb.tempWorkspace.empty());

    // A crash in a child process between temporary file and rename.
    Bench b(dir.path().string());
    fillSample(b.wb);
    ASSERT_TRUE(saveWorkspace(b.wb, 0));
    const auto previous = fingerprint(b.wb);
    const std::string kept = b.wb.tempWorkspace;
    b.wb.tempWorkspace.clear(); // the crashed run never deletes it
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AutosaveWorker crashing;
        std::mt19937 g2(6);
        fillRandomSet(b.wb, g2, 5, false, 2);
        b.wb.autosaveTicks = 1;
        crashing.beforeRename = [] { _exit(0); };
        crashing.tick(b.wb);
        crashing.wait();
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    Bench c(dir.path().string());
    ASSERT_EQ(recoverAutosave(c.wb), 1);
    EXPECT_EQ(c.wb.tempWorkspace, kept);
    EXPECT_EQ(fingerprint(c.wb), previous);
}
