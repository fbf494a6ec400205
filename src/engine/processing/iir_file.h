#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "processing/linear_filters.h"

// The IIR parameter file: three lines, the texts of c0, c1 and d1 in that order, each ended by
// CR LF, written and read as they stand without checking that they are numbers.

// Three numbers never need more; a larger file is refused unread rather than read in part.
inline constexpr uint64_t kMaxIIRFileSize = 64 * 1024;

// The file of a name typed by the user: in `programDir`, with ".iir" appended whatever the name
// ends with.
std::string IIRFileName(const std::string& programDir, const std::string& typedName);

// Writes the file in one piece, replacing an existing one only once the new one is complete.
// Throws std::runtime_error "Cannot create file <name> (<reason>)".
void WriteIIRFile(const std::string& fileName, const IIRTexts& texts);

// The texts of the first three lines of a file's `content`, each up to its line end (CR LF, CR or
// LF); lines that are missing give empty texts. A UTF-8 byte-order mark at the start, which some
// text editors write, is not part of c0.
IIRTexts ParseIIRFile(std::string_view content);

// The file read whole and parsed. Throws std::runtime_error
// "Cannot open file <name> (<reason>)" (also for what is not a regular file) or "Cannot read file
// <name> (<reason>)", "larger than 64 KiB" among the reasons, and then gives nothing.
IIRTexts ReadIIRFile(const std::string& fileName);
