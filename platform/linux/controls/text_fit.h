// Cutting a text to a number of terminal columns, for controls that draw into
// fixed-width fields.
#pragma once

#include <string_view>

// The longest prefix of text that takes at most `columns` display columns.
std::wstring_view FitText(std::wstring_view text, int columns);
