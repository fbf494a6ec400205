#pragma once

#include <string>
#include <string_view>

// `text` in single quotes, fit to be shown in a message on a terminal or in a box: printable
// characters as they are, valid UTF-8 included; control bytes, bytes that are not UTF-8, and the
// characters that show nothing (byte-order mark, zero-width and direction marks) as \xNN for each
// byte. A text of more than 80 bytes is cut there and ends in "...", so that a whole file's worth
// of junk never fills the message.
std::string QuotedForMessage(std::string_view text);
