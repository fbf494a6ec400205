#include "processing/message_text.h"

#include "wave/message_path.h"

namespace {

constexpr size_t kShownBytes = 80;

}  // namespace

std::string QuotedForMessage(std::string_view text) { return "'" + EscapedForMessage(text, kShownBytes) + "'"; }
