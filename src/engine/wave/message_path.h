#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// `text` as a message may show it on a terminal or in a box: printable characters as they are,
// valid UTF-8 included; control bytes, bytes that are not UTF-8, and the characters that show
// nothing (byte-order mark, zero-width and direction marks) as \xNN for each byte. Past `most`
// bytes of `text` the rest is left out and "..." ends it.
std::string EscapedForMessage(std::string_view text, size_t most = SIZE_MAX);

// A file's path as a message names it: as it is while every byte of it shows as itself;
// otherwise whole, in single quotes and escaped as above, so that a name can neither drive the
// terminal that shows it nor hide what it holds.
std::string PathForMessage(std::string_view path);
