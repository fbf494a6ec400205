#pragma once

#include <string>

#include "processing/linear_filters.h"

// The IIR parameter file: three lines, the texts of c0, c1 and d1 in that order, each ended by
// CR LF, written and read as they stand without checking that they are numbers.

// The file of a name typed by the user: in `programDir`, with ".iir" appended whatever the name
// ends with.
std::string IIRFileName(const std::string& programDir, const std::string& typedName);

// Writes the file in one piece, replacing an existing one only once the new one is complete.
// Throws std::runtime_error "Cannot create file <name> (<reason>)".
void WriteIIRFile(const std::string& fileName, const IIRTexts& texts);

// The texts of the first three lines, each up to its line end (CR LF, CR or LF); lines that are
// missing give empty texts. Throws std::runtime_error "Cannot open file <name> (<reason>)" or
// "Cannot read file …" and then gives nothing.
IIRTexts ReadIIRFile(const std::string& fileName);
