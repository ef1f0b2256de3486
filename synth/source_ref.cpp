#include "synth/source_ref.h"

#include <cassert>
#include <new>

#include "synth/silence_source.h"

namespace {

// What a handle refers to when not even a SilenceSource can be allocated. It is
// never counted and never deleted, so any number of handles may share it.
SilenceSource &FallbackSilence() {
  static SilenceSource fallback;
  return fallback;
}

}  // namespace

SoundSource *SourceRef::NewSilence() {
  SoundSource *silence = new (std::nothrow) SilenceSource;
  return silence ? silence : &FallbackSilence();
}

void SourceRef::AddReference(SoundSource *source) {
  if (source == &FallbackSilence()) {
    return;
  }
  assert(source->refCount < 0xFFFF && "reference count overflow");
  ++source->refCount;
}

SourceRef::SourceRef() : source(NewSilence()) {
  AddReference(source);
}

SourceRef::SourceRef(SoundSource *source) : source(source ? source : NewSilence()) {
  AddReference(this->source);
}

SourceRef::SourceRef(const SourceRef &other) : source(other.source) {
  AddReference(source);
}

SourceRef &SourceRef::operator=(const SourceRef &other) {
  Assign(other);
  return *this;
}

SourceRef::~SourceRef() {
  Release();
}

void SourceRef::Assign(const SourceRef &other) {
  SoundSource *incoming = other.source;
  AddReference(incoming);
  Release();
  source = incoming;
}

void SourceRef::ResetToSilence() {
  Release();
  source = NewSilence();
  AddReference(source);
}

void SourceRef::Release() {
  if (source == &FallbackSilence()) {
    return;
  }
  assert(source->refCount > 0);
  if (--source->refCount == 0) {
    delete source;
  }
}
