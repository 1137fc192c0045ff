// Texts taken from a file and quoted in a message to the user: whatever bytes the file holds, the message
// shows them all, on one line, and cannot drive the terminal it is printed on.
#pragma once

#include <string>
#include <string_view>

namespace varlen::io {

// The text with every byte that would not print as itself written as \xHH (two upper-case hex digits):
// the ASCII control characters including NUL, tab, CR and LF, DEL, the C1 controls (U+0080 to U+009F,
// which some terminals obey as ESC sequences), and bytes that are not part of well-formed UTF-8. Other
// UTF-8 (mm², "ø") and the backslash pass unchanged. The result is well-formed UTF-8 free of controls.
[[nodiscard]] std::string EscapeForMessage(std::string_view text);

} // namespace varlen::io
