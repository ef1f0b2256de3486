#include <gtest/gtest.h>

#include <vector>

#include "allocation_failure.h"
#include "synth/filter_source.h"
#include "synth/silence_source.h"
#include "synth/source_ref.h"

namespace {

// A source that records its own destruction, and what the allocator had done
// by then, so tests can see when and in which order handles delete it.
struct DeathLog {
  int deaths = 0;
  uint64_t nothrowAllocationsAtDeath = 0;
};

class CountingSource : public SoundSource {
 public:
  explicit CountingSource(DeathLog &log, int32_t rate = 44100, uint8_t channels = 1)
      : SoundSource(rate, channels, 0x200000), log(log) {}
  ~CountingSource() override {
    ++log.deaths;
    log.nothrowAllocationsAtDeath = allocation_failure::NothrowCount();
  }
  void Render(int32_t *buffer, int32_t frames) override {
    for (int32_t i = 0; i < frames * channels; ++i) {
      buffer[i] = 7;
    }
  }
  int32_t GetPosition() override { return 11; }
  int32_t GetLength() override { return 99; }
  void Seek(int32_t frame) override { seeks.push_back(frame); }

  std::vector<int32_t> seeks;

 private:
  DeathLog &log;
};

class PassThrough : public FilterSource {
 public:
  explicit PassThrough(const SourceRef &source) : FilterSource(source) {}
  void Render(int32_t *buffer, int32_t frames) override { inner->Render(buffer, frames); }
};

TEST(SoundSourceTest, UnusableParametersAreReplacedAndMarkInvalid) {
  struct Case {
    int32_t rate;
    uint8_t channels;
    int32_t wantRate;
    uint8_t wantChannels;
    bool invalid;
  };
  const Case cases[] = {
      {44100, 1, 44100, 1, false}, {11025, 2, 11025, 2, false}, {0, 1, 44100, 1, true},
      {-1, 2, 44100, 2, true},     {44100, 0, 44100, 1, true},  {INT32_MIN, 0, 44100, 1, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases));
    DeathLog log;
    CountingSource source(log, c.rate, c.channels);
    EXPECT_EQ(source.sampleRate, c.wantRate) << c.rate;
    EXPECT_EQ(source.channels, c.wantChannels) << c.rate;
    EXPECT_EQ(source.IsInvalid(), c.invalid) << c.rate << " " << int(c.channels);
    EXPECT_EQ(source.peakValue, 0x200000);
    EXPECT_EQ(source.refCount, 0);
  }
}

TEST(SourceRefTest, DefaultHandleHoldsInvalidSilence) {
  SourceRef ref;
  EXPECT_EQ(ref->refCount, 1);
  EXPECT_TRUE(ref->IsInvalid());
  EXPECT_EQ(ref->sampleRate, 11025);
  EXPECT_EQ(ref->channels, 1);
  EXPECT_EQ(ref->peakValue, 0x200000);
  EXPECT_EQ(ref->GetPosition(), 0);
  EXPECT_EQ(ref->GetLength(), 0);
  int32_t block[5] = {1, 2, 3, 4, 5};
  ref->Render(block, 4);
  EXPECT_EQ(std::vector<int32_t>(block, block + 5), (std::vector<int32_t>{0, 0, 0, 0, 5}));
}

TEST(SourceRefTest, CountsHandlesAndDeletesOnLastRelease) {
  DeathLog log;
  {
    SourceRef first(new CountingSource(log));
    EXPECT_EQ(first->refCount, 1);
    {
      SourceRef second(first);
      EXPECT_EQ(first->refCount, 2);
      SourceRef third;
      third = second;
      EXPECT_EQ(first->refCount, 3);
      EXPECT_EQ(third.Get(), first.Get());
    }
    EXPECT_EQ(first->refCount, 1);
    EXPECT_EQ(log.deaths, 0);
  }
  EXPECT_EQ(log.deaths, 1);
}

TEST(SourceRefTest, SelfAssignmentKeepsSourceAndCount) {
  DeathLog log;
  SourceRef ref(new CountingSource(log));
  SoundSource *before = ref.Get();
  ref.Assign(ref);
  const SourceRef &alias = ref;
  ref = alias;
  EXPECT_EQ(ref.Get(), before);
  EXPECT_EQ(ref->refCount, 1);
  EXPECT_EQ(log.deaths, 0);
}

TEST(SourceRefTest, AssignReleasesOldSourceAndCountsNewOne) {
  DeathLog oldLog, newLog;
  SourceRef target(new CountingSource(oldLog));
  SourceRef other(new CountingSource(newLog));
  target.Assign(other);
  EXPECT_EQ(oldLog.deaths, 1);
  EXPECT_EQ(newLog.deaths, 0);
  EXPECT_EQ(other->refCount, 2);
  other.ResetToSilence();
  EXPECT_EQ(target->refCount, 1);
  EXPECT_EQ(newLog.deaths, 0);
}

TEST(SourceRefTest, ResetOfLastHandleDeletesBeforeMakingSilence) {
  DeathLog log;
  SourceRef ref(new CountingSource(log));
  const uint64_t allocationsBefore = allocation_failure::NothrowCount();
  ref.ResetToSilence();
  EXPECT_EQ(log.deaths, 1);
  // The source was gone before the silence was allocated.
  EXPECT_EQ(log.nothrowAllocationsAtDeath, allocationsBefore);
  EXPECT_EQ(allocation_failure::NothrowCount(), allocationsBefore + 1);
  EXPECT_TRUE(ref->IsInvalid());
  EXPECT_EQ(ref->refCount, 1);
}

TEST(SourceRefTest, NullSourceBecomesSilence) {
  SourceRef ref(nullptr);
  EXPECT_TRUE(ref->IsInvalid());
  EXPECT_EQ(ref->GetLength(), 0);
}

TEST(SourceRefTest, UnallocatableSilenceFallsBackToSharedSilence) {
  DeathLog log;
  SourceRef keep(new CountingSource(log));
  {
    allocation_failure::Scope failAll;
    SourceRef a;
    SourceRef b;
    SourceRef c(nullptr);
    EXPECT_EQ(a.Get(), b.Get());
    EXPECT_EQ(a.Get(), c.Get());
    EXPECT_TRUE(a->IsInvalid());
    int32_t block[3] = {9, 9, 9};
    a->Render(block, 3);
    EXPECT_EQ(block[2], 0);
    a = keep;
    EXPECT_EQ(keep->refCount, 2);
    keep.ResetToSilence();  // cannot allocate: the shared silence again
    EXPECT_EQ(keep.Get(), b.Get());
    EXPECT_EQ(a->refCount, 1);
  }
  EXPECT_EQ(log.deaths, 1);
}

TEST(FilterSourceTest, TakesInnerFormatAndForwardsQueries) {
  struct Case {
    int32_t rate;
    uint8_t channels;
    bool invalid;
  };
  const Case cases[] = {{44100, 2, false}, {22050, 1, false}, {0, 2, true}, {8000, 0, true}};
  for (const Case &c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases));
    DeathLog log;
    auto *inner = new CountingSource(log, c.rate, c.channels);
    SourceRef innerRef(inner);
    {
      PassThrough filter(innerRef);
      EXPECT_EQ(innerRef->refCount, 2);
      EXPECT_EQ(filter.IsInvalid(), c.invalid);
      EXPECT_EQ(filter.sampleRate, inner->sampleRate);
      EXPECT_EQ(filter.channels, inner->channels);
      EXPECT_EQ(filter.peakValue, 0x200000);
      EXPECT_EQ(filter.GetPosition(), 11);
      EXPECT_EQ(filter.GetLength(), 99);
      filter.Seek(1234);
      EXPECT_EQ(inner->seeks, std::vector<int32_t>{1234});
    }
    EXPECT_EQ(innerRef->refCount, 1);
  }
}

}  // namespace
