// recording_meter: measures a recording of a sound server's output (raw
// 16-bit little-endian stereo, as parec --raw writes it): where sound is, how
// long each piece lasts and at what pitch. Tests judge lengths, pitches, tails
// and gaps by it, since a server may alter single samples but not these.
//
// Usage: recording_meter [--rate HZ] [--threshold N] FILE
// Prints one line per piece of sound: its start and end in seconds from the
// start of the recording, its length and its frequency in Hz (0 for a piece
// without two rising zero crossings). A piece ends at a gap of at least 2 ms
// below the threshold, or where the pitch steps by more than 2 %.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

struct Piece {
  size_t begin;  // frames
  size_t end;
  std::vector<double> crossings;  // rising zero crossings of the left channel, in frames
};

int Usage() {
  std::fprintf(stderr, "usage: recording_meter [--rate HZ] [--threshold N] FILE\n");
  return 2;
}

// Rising zero crossings between frames begin and end, interpolated between
// the two samples around each.
std::vector<double> RisingCrossings(const std::vector<int16_t> &left, size_t begin, size_t end) {
  std::vector<double> crossings;
  for (size_t i = begin + 1; i < end; ++i) {
    if (left[i - 1] < 0 && left[i] >= 0) {
      const double a = left[i - 1], b = left[i];
      crossings.push_back(double(i - 1) + (-a) / (b - a));
    }
  }
  return crossings;
}

// Splits where one period differs from the mean of the eight before it by more
// than 2 %: a semitone is 6 %, and a clean tone's periods agree to far better.
void SplitAtPitchSteps(const Piece &whole, std::vector<Piece> &pieces) {
  const std::vector<double> &c = whole.crossings;
  size_t first = 0;  // index in c of the first crossing of the current piece
  size_t begin = whole.begin;
  for (size_t i = 1; i < c.size(); ++i) {
    if (i - first < 9) continue;
    const double mean = (c[i - 1] - c[i - 9]) / 8.0;
    const double period = c[i] - c[i - 1];
    if (std::fabs(period - mean) > 0.02 * mean) {
      const size_t split = static_cast<size_t>(c[i - 1]);
      pieces.push_back({begin, split, std::vector<double>(c.begin() + first, c.begin() + i)});
      begin = split;
      first = i - 1;
    }
  }
  pieces.push_back({begin, whole.end, std::vector<double>(c.begin() + first, c.end())});
}

}  // namespace

int main(int argc, char **argv) {
  double rate = 44100;
  int threshold = 100;
  const char *path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rate") == 0 && i + 1 < argc) {
      rate = std::atof(argv[++i]);
    } else if (std::strcmp(argv[i], "--threshold") == 0 && i + 1 < argc) {
      threshold = std::atoi(argv[++i]);
    } else if (path == nullptr && argv[i][0] != '-') {
      path = argv[i];
    } else {
      return Usage();
    }
  }
  if (path == nullptr || rate <= 0) return Usage();
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "recording_meter: cannot read %s\n", path);
    return 2;
  }
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                         std::istreambuf_iterator<char>());
  const size_t frames = bytes.size() / 4;
  std::vector<int16_t> left(frames);
  std::vector<bool> loud(frames);
  for (size_t i = 0; i < frames; ++i) {
    const auto sample = [&](size_t at) {
      return static_cast<int16_t>(bytes[at] | (bytes[at + 1] << 8));
    };
    left[i] = sample(4 * i);
    loud[i] = std::abs(left[i]) > threshold || std::abs(sample(4 * i + 2)) > threshold;
  }

  // Runs of sound; a sine dips below any threshold at its zero crossings, so
  // only a quiet stretch of 2 ms or more separates two pieces.
  const size_t minGap = static_cast<size_t>(rate * 0.002);
  std::vector<Piece> pieces;
  size_t i = 0;
  while (i < frames) {
    while (i < frames && !loud[i]) ++i;
    if (i == frames) break;
    const size_t begin = i;
    size_t lastLoud = i;
    while (i < frames && i - lastLoud < minGap) {
      if (loud[i]) lastLoud = i;
      ++i;
    }
    Piece whole{begin, lastLoud + 1, RisingCrossings(left, begin, lastLoud + 1)};
    SplitAtPitchSteps(whole, pieces);
  }
  for (const Piece &piece : pieces) {
    const std::vector<double> &c = piece.crossings;
    const double hz = c.size() >= 2 ? double(c.size() - 1) * rate / (c.back() - c.front()) : 0.0;
    std::printf("%.4f %.4f %.4f %.2f\n", double(piece.begin) / rate, double(piece.end) / rate,
                double(piece.end - piece.begin) / rate, hz);
  }
  return 0;
}
