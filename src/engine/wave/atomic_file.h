#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes `size` bytes to `fileName` so that the file afterwards holds either all of them or what
// it held before, even when the program is killed or the machine stops half way: the bytes go to a
// temporary file in the same folder (unnamed where the file system allows it), reach the disk,
// and then take the old file's place in one rename, after which the folder is flushed too.
// Links are followed, up to 40 of them, each relative one from its own folder, and the file at the
// end written: replaced, or made anew where a link points at nothing, so the links stay links.
// A new file gets 0666 less the umask and the user's owner and group; a replaced one keeps its
// mode, and its owner and group as far as the process may set them. Only a regular file is
// replaced: a folder, a device or a FIFO at the end of the links is refused before anything is
// written (a node put there after that check is still replaced), and so is a file that an open
// for writing would refuse (a read-only one, or another user's), though the folder may be written.
// Throws std::runtime_error
// "Cannot create file <fileName> (<reason>)", with the reason of the step that failed, and then
// leaves no temporary file behind.
void WriteFileAtomically(const std::string& fileName, const uint8_t* data, size_t size);
