// SourceRef: the never-empty handle that shares a SoundSource by its intrusive
// reference count. Its empty value is a SilenceSource. The count is not atomic:
// handles are created, copied and released on one thread only.
#pragma once

#include "synth/sound_source.h"

class SourceRef {
 public:
  // Refers to a new SilenceSource.
  SourceRef();
  // Takes one reference to source (a new source goes from 0 to 1). A null
  // source, which is what a failed allocation leaves, becomes silence.
  explicit SourceRef(SoundSource *source);
  SourceRef(const SourceRef &other);
  SourceRef &operator=(const SourceRef &other);
  ~SourceRef();

  // Counts the other handle's source before releasing its own, so assigning a
  // handle to itself, or to another handle of the same source, keeps it alive.
  void Assign(const SourceRef &other);
  // Releases the source (deleting it if this was the last handle) before the
  // new SilenceSource is made.
  void ResetToSilence();

  SoundSource *Get() const { return source; }
  SoundSource *operator->() const { return source; }
  SoundSource &operator*() const { return *source; }

 private:
  static SoundSource *NewSilence();
  static void AddReference(SoundSource *source);
  void Release();

  SoundSource *source;
};
