#pragma once
// A batch packet file (*.pkf): the [Init] values, the [Files] list and the
// [Commands] lines.
#include <string>
#include <vector>

namespace qm {

struct Settings;

inline constexpr std::size_t kPrefixBuffer = 32; // OutPrefix: up to 31 characters
inline constexpr std::size_t kPathBuffer = 255;  // the other texts: up to 254
inline constexpr std::size_t kMaxPacketFiles = 1000;
inline constexpr const char* kDefaultLogName = "PackOut.txt";

struct PacketInit {
    int appHide = 0;       // non-zero: the main window is hidden during the run
    int appExit = 1;       // non-zero: the program ends after the run
    std::string outPrefix; // prefix of output file names
    std::string fileMask;  // not empty: every matching file of inDir, [Files] ignored
    std::string outDir;    // replaces the output folder
    std::string outFile = kDefaultLogName; // the log, in outDir
    std::string inDir;     // replaces the last folder
};

// The [Init] section; outDir and inDir default to the output folder and the
// last folder of the settings, and relative ones are taken from the
// packet's folder.
PacketInit readPacketInit(const std::string& path, const Settings& settings);

// The files to process: with a FileMask every entry of inDir that matches
// it and is not a folder (sorted by name), else the [Files] section. At most
// kMaxPacketFiles names.
std::vector<std::string> packetFiles(const std::string& path, const PacketInit& init);

// Matches a file name against a mask of '*' and '?' wildcards, without
// regard to case; "*.*" matches every name, with or without a dot.
bool matchesFileMask(std::string_view name, std::string_view mask);

// The name a loaded file gives its output files: every "." becomes "_",
// and the name ends before its first "z" ("scan.fits" -> "scan_fits",
// "data.fz" -> "data_f").
std::string packetBaseName(std::string_view fileName);

} // namespace qm
