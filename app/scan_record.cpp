#include "app/scan_record.h"

#include "app/byte_order.h"
#include "app/text_format.h"

#include <algorithm>
#include <cstring>

namespace qm {

void ScanRecord::allocChannel(int channel)
{
    const std::size_t n = nPoints > 0 ? static_cast<std::size_t>(nPoints) : 0;
    (channel == 1 ? chanI : chanV).assign(2 * n + 2, 0.0f);
}

void ScanRecord::allocChannelForOverwrite(int channel)
{
    const std::size_t n = nPoints > 0 ? static_cast<std::size_t>(nPoints) : 0;
    // A fresh block rather than a resize: the old contents are not copied.
    ChannelBlock block(2 * n + 2);
    block[2 * n] = block[2 * n + 1] = 0.0f;
    (channel == 1 ? chanI : chanV) = std::move(block);
}

void ScanRecord::freeChannel(int channel)
{
    ChannelBlock().swap(channel == 1 ? chanI : chanV);
}

void ScanRecord::copyDataToWorksheet()
{
    for (auto* block : {&chanI, &chanV})
        if (!block->empty())
            std::copy_n(block->begin(), nPoints, block->begin() + nPoints);
}

std::string ScanRecord::label() const
{
    return format("%06.3f %s %s", frequency, dateObs, timeObs);
}

namespace {
template <std::size_t N>
void putText(uint8_t* image, std::size_t offset, const char (&field)[N])
{
    std::memcpy(image + offset, field, N);
}
template <std::size_t N>
void getText(const uint8_t* image, std::size_t offset, char (&field)[N])
{
    std::memcpy(field, image + offset, N);
    field[N - 1] = '\0';
}
} // namespace

std::array<uint8_t, kRecordBytes> encodeRecord(const ScanRecord& r)
{
    std::array<uint8_t, kRecordBytes> a{};
    uint8_t* p = a.data();
    putText(p, rec::dataFile, r.dataFile);
    putText(p, rec::object, r.object);
    putText(p, rec::dateObs, r.dateObs);
    putText(p, rec::timeObs, r.timeObs);
    putText(p, rec::telescop, r.telescop);
    putText(p, rec::origin, r.origin);
    putI16LE(p + rec::nPoints, r.nPoints);
    putF32LE(p + rec::azimuth, r.azimuth);
    putF32LE(p + rec::altitude, r.altitude);
    putF32LE(p + rec::angleP, r.angleP);
    putF32LE(p + rec::radius, r.radius);
    putF32LE(p + rec::centerPoint, r.centerPoint);
    putI16LE(p + rec::tqSun, r.tqSun);
    putF32LE(p + rec::beamHalfsize, r.beamHalfsize);
    putF32LE(p + rec::step, r.step);
    putF32LE(p + rec::fluxCoef, r.fluxCoef);
    putF32LE(p + rec::frequency, r.frequency);
    putI16LE(p + rec::calibData, r.calibData);
    putI16LE(p + rec::calibWrk, r.calibWrk);
    putI16LE(p + rec::fluxWrk, r.fluxWrk);
    putI16LE(p + rec::fluxData, r.fluxData);
    putI16LE(p + rec::flagIvData, r.flagIvData);
    putI16LE(p + rec::flagIvWrk, r.flagIvWrk);
    putI16LE(p + rec::sampleFormat, r.sampleFormat);
    return a;
}

void decodeRecord(const uint8_t* p, ScanRecord& r)
{
    getText(p, rec::dataFile, r.dataFile);
    getText(p, rec::object, r.object);
    getText(p, rec::dateObs, r.dateObs);
    getText(p, rec::timeObs, r.timeObs);
    getText(p, rec::telescop, r.telescop);
    getText(p, rec::origin, r.origin);
    r.nPoints = getI16LE(p + rec::nPoints);
    r.azimuth = getF32LE(p + rec::azimuth);
    r.altitude = getF32LE(p + rec::altitude);
    r.angleP = getF32LE(p + rec::angleP);
    r.radius = getF32LE(p + rec::radius);
    r.centerPoint = getF32LE(p + rec::centerPoint);
    r.tqSun = getI16LE(p + rec::tqSun);
    r.beamHalfsize = getF32LE(p + rec::beamHalfsize);
    r.step = getF32LE(p + rec::step);
    r.fluxCoef = getF32LE(p + rec::fluxCoef);
    r.frequency = getF32LE(p + rec::frequency);
    r.calibData = getI16LE(p + rec::calibData);
    r.calibWrk = getI16LE(p + rec::calibWrk);
    r.fluxWrk = getI16LE(p + rec::fluxWrk);
    r.fluxData = getI16LE(p + rec::fluxData);
    r.flagIvData = getI16LE(p + rec::flagIvData);
    r.flagIvWrk = getI16LE(p + rec::flagIvWrk);
    r.sampleFormat = getI16LE(p + rec::sampleFormat);
}

std::string headerViewText(const ScanRecord& r)
{
    std::string t = "\tHeader of active scan\r\n";
    auto text = [&](const char* name, const char* v) { t += format("%-25s: %s\r\n", name, v); };
    auto real = [&](const char* name, double v) { t += format("%-25s: %.4f\r\n", name, v); };
    auto whole = [&](const char* name, int v) { t += format("%-25s: %d\r\n", name, v); };
    text("Object", r.object);
    t += format("%-25s: %.4f [GHz]\r\n", "Frequency of observation", r.frequency);
    text("Date of observation", r.dateObs);
    text("Time of observation", r.timeObs);
    text("Telescop", r.telescop);
    text("Origin", r.origin);
    real("Halfsize of beam", r.beamHalfsize);
    real("Azimuth of observation", r.azimuth);
    real("Altitude of source", r.altitude);
    real("Angle P", r.angleP);
    real("Radius of source", r.radius);
    real("Flux coefficient", r.fluxCoef);
    whole("Tqsun", r.tqSun);
    whole("Number of points", r.nPoints);
    real("Step between points", r.step);
    real("Central point", r.centerPoint);
    if (r.dataFile[0])
        text("Data file", r.dataFile);
    return t;
}

} // namespace qm
