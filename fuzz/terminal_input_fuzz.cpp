// The terminal input decoder, the one parser of outside input at run time: any
// bytes, arriving in reads at any times. The input is a mode byte (bit 0:
// UTF-8) and then reads, each a time step, a length, a split point and that
// many bytes. The same reads are decoded three ways, as they came, cut in two
// at the split point and one byte at a time, all at the read's time: where a
// read is cut must not change the events. Every run must end with nothing
// held once the time-out has passed, and no run may give more events than
// bytes, or a key without a code or a character, or a mouse report off the
// screen's first cell.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "platform/linux/screen/terminal_input_parser.h"

namespace {

struct Read {
  uint64_t atMs;
  std::string_view bytes;
  size_t split;
};

// Time steps from 0 to about a second, dense near 0 so that the 50 ms escape
// time-out is met exactly as often as it is passed.
uint64_t StepMs(uint8_t code) { return uint64_t(code) * code / 64; }

std::vector<Read> Reads(const uint8_t *data, size_t size) {
  std::vector<Read> reads;
  uint64_t now = 1000;
  size_t at = 0;
  while (at + 3 <= size) {
    now += StepMs(data[at]);
    size_t length = std::min<size_t>(data[at + 1], size - at - 3);
    size_t split = length == 0 ? 0 : data[at + 2] % (length + 1);
    reads.push_back({now, std::string_view(reinterpret_cast<const char *>(data + at + 3), length), split});
    at += 3 + length;
  }
  return reads;
}

enum class Cut { AsRead, InTwo, ByByte };

struct Decoded {
  std::vector<InputEvent> events;
  size_t bytes = 0;
};

Decoded Decode(const std::vector<Read> &reads, bool utf8, Cut cut) {
  TerminalInputParser parser(utf8);
  Decoded decoded;
  uint64_t now = 0;
  for (const Read &read : reads) {
    now = read.atMs;
    // What the message loop does when its poll times out before the read.
    int wait = parser.TimeoutMs(now);
    FUZZ_CHECK(wait >= -1 && wait <= int(TerminalInputParser::kEscapeTimeoutMs));
    if (wait == 0) parser.Expire(now, decoded.events);
    switch (cut) {
      case Cut::AsRead:
        parser.Feed(read.bytes, now, decoded.events);
        break;
      case Cut::InTwo:
        parser.Feed(read.bytes.substr(0, read.split), now, decoded.events);
        parser.Feed(read.bytes.substr(read.split), now, decoded.events);
        break;
      case Cut::ByByte:
        for (size_t i = 0; i < read.bytes.size(); ++i) parser.Feed(read.bytes.substr(i, 1), now, decoded.events);
        break;
    }
    decoded.bytes += read.bytes.size();
  }
  now += TerminalInputParser::kEscapeTimeoutMs;
  parser.Expire(now, decoded.events);
  FUZZ_CHECK(parser.TimeoutMs(now) == -1);
  return decoded;
}

void CheckEvents(const Decoded &decoded, bool utf8) {
  FUZZ_CHECK(decoded.events.size() <= decoded.bytes);
  for (const InputEvent &event : decoded.events) {
    if (event.type == InputEvent::Type::Key) {
      const KeyEvent &key = event.key;
      FUZZ_CHECK(key.vk != 0 || key.ch != 0);
      const uint32_t ch = static_cast<uint32_t>(key.ch);
      FUZZ_CHECK(ch <= (utf8 ? 0x10FFFFu : 0xFFu));
      FUZZ_CHECK(ch < 0xD800 || ch > 0xDFFF);
    } else {
      FUZZ_CHECK(event.type == InputEvent::Type::Mouse);
      FUZZ_CHECK(event.mouse.column >= 0 && event.mouse.row >= 0);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  const bool utf8 = (data[0] & 1) != 0;
  const std::vector<Read> reads = Reads(data + 1, size - 1);

  const Decoded asRead = Decode(reads, utf8, Cut::AsRead);
  CheckEvents(asRead, utf8);
  FUZZ_CHECK(Decode(reads, utf8, Cut::InTwo).events == asRead.events);
  FUZZ_CHECK(Decode(reads, utf8, Cut::ByByte).events == asRead.events);
  return 0;
}
