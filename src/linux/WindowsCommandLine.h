#pragma once
// A Windows program line's argument text, split the way a Windows program splits its own command line,
// so that a disc's program gets on Linux the very arguments it would get on Windows.
#include <string>
#include <string_view>
#include <vector>

namespace lnx {

// Splits argument text (no program name in front) by the Windows rules: blanks and tabs separate
// arguments outside quotes; a double quote opens or closes a quoted part; 2n backslashes before a
// quote give n backslashes and the quote toggles, 2n+1 give n backslashes and a literal quote;
// backslashes elsewhere are literal; inside quotes, a doubled quote gives a literal quote and ends the
// quoted part; three quotes in a row give a literal quote.
std::vector<std::string> splitWindowsCommandLine(std::string_view text);

} // namespace lnx
