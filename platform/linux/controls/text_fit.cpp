#include "platform/linux/controls/text_fit.h"

#include "platform/linux/screen/screen.h"

std::wstring_view FitText(std::wstring_view text, int columns) {
  int used = 0;
  size_t count = 0;
  for (; count < text.size(); ++count) {
    int width = CharacterColumns(text[count]);
    if (used + width > columns) break;
    used += width;
  }
  return text.substr(0, count);
}
