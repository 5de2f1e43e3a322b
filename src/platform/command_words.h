// Turning a command text that the user typed or that a desktop file holds
// (an "Open With" program such as `/opt/My Editor/edit --new`) into an
// argument vector, and back. No shell is involved at any point: quotes only
// group words, and `;`, `|`, `$(...)` and the like are plain characters of a
// word, so nothing in a command text can start a second program.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Splits at unquoted blanks and tabs. "..." and '...' group words (the quotes
// are removed); inside "..." and outside quotes a backslash makes the next
// character literal. An unterminated quote runs to the end of the text.
std::vector<std::string> SplitCommandWords(const std::string& text);

// The inverse for display and storage: words joined by blanks, each word
// that needs it put in double quotes with `"` and `\` escaped, so that
// SplitCommandWords(JoinCommandWords(w)) == w.
std::string JoinCommandWords(const std::vector<std::string>& words);

}  // namespace platform
