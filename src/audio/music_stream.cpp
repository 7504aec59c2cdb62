#include "audio/music_stream.h"

#include "audio/audio_device.h"

CMusicStream::CMusicStream(std::string path) : path_(std::move(path)) {
  AudioDevice& audio = Audio_Device();
  // Without a sound device nothing is decoded: the music is silent and reads as stopped.
  if (audio.IsNull()) return;
  std::vector<uint32_t> sources = audio.GenSources(1);
  if (sources.empty()) return;
  source_ = sources[0];
  audio.SetRelative(source_, true);
  allBuffers_ = audio.GenBuffers(kDeviceBuffers);
  freeBuffers_ = allBuffers_;
  thread_ = std::thread([this] { DecoderLoop(); });
}

CMusicStream::~CMusicStream() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  if (source_ == 0) return;  // nothing was made on the device
  AudioDevice& audio = Audio_Device();
  audio.DeleteSources({source_});
  for (uint32_t buffer : allBuffers_) audio.DeleteBuffer(buffer);
}

void CMusicStream::DecoderLoop() {
  std::unique_ptr<MusicDecoder> decoder = MusicDecoder_Open(path_);
  std::unique_lock lock(mutex_);
  opened_ = decoder != nullptr;
  failed_ = decoder == nullptr;
  if (failed_) return;
  while (true) {
    wake_.wait(lock, [this] {
      return quit_ || rewind_ || (!finished_ && blocks_.size() < static_cast<size_t>(kBlocksAhead));
    });
    if (quit_) return;
    if (rewind_) {
      rewind_ = false;
      blocks_.clear();
      framesDecoded_ = 0;
      finished_ = !decoder->Rewind();
      continue;
    }
    const bool repeat = repeat_;
    lock.unlock();
    Block block;
    block.channels = decoder->Channels();
    block.rate = decoder->Rate();
    decoder->Read(block.samples, kBlockFrames);
    bool ended = block.samples.empty();
    // At the end a repeating piece starts again; one that cannot rewind ends.
    if (ended && repeat) ended = !decoder->Rewind();
    lock.lock();
    if (rewind_) continue;  // a stop came in while decoding: this block is stale
    if (!block.samples.empty()) {
      framesDecoded_ += static_cast<int64_t>(block.samples.size()) / block.channels;
      blocks_.push_back(std::move(block));
    }
    if (ended) finished_ = true;
  }
}

bool CMusicStream::TakeBlock(Block& block) {
  std::lock_guard lock(mutex_);
  if (blocks_.empty()) return false;
  block = std::move(blocks_.front());
  blocks_.pop_front();
  wake_.notify_all();
  return true;
}

void CMusicStream::Rewind() {
  AudioDevice& audio = Audio_Device();
  audio.Stop(source_);
  audio.SetBuffer(source_, 0);  // drops the whole queue
  freeBuffers_ = allBuffers_;
  std::lock_guard lock(mutex_);
  rewind_ = true;
  finished_ = false;
  blocks_.clear();
  wake_.notify_all();
}

void CMusicStream::Play(bool repeat) {
  if (source_ == 0) return;
  {
    std::lock_guard lock(mutex_);
    // A piece that had ended and now repeats must start over to keep going.
    if (repeat && !repeat_ && finished_ && blocks_.empty()) rewind_ = true;
    repeat_ = repeat;
  }
  wake_.notify_all();
  mode_ = PlayMode::Playing;
  Service();
}

void CMusicStream::Pause() {
  if (source_ == 0 || mode_ != PlayMode::Playing) return;
  Audio_Device().Pause(source_);
  mode_ = PlayMode::Paused;
}

void CMusicStream::Stop() {
  if (source_ == 0) return;
  mode_ = PlayMode::Stopped;
  Rewind();
}

void CMusicStream::SetGain(float gain) {
  if (source_ != 0) Audio_Device().SetParam(source_, SourceParam::Gain, gain);
}

const char* CMusicStream::Mode() const {
  switch (mode_) {
    case PlayMode::Playing: return "playing";
    case PlayMode::Paused: return "paused";
    case PlayMode::Stopped: break;
  }
  return "stopped";
}

void CMusicStream::Service() {
  if (source_ == 0 || mode_ == PlayMode::Stopped) return;
  AudioDevice& audio = Audio_Device();
  for (uint32_t buffer : audio.UnqueueProcessed(source_)) freeBuffers_.push_back(buffer);
  Block block;
  while (!freeBuffers_.empty() && TakeBlock(block)) {
    const uint32_t buffer = freeBuffers_.back();
    freeBuffers_.pop_back();
    audio.FillBuffer(buffer, block.samples, block.channels, block.rate);
    audio.QueueBuffer(source_, buffer);
  }
  if (mode_ != PlayMode::Playing) return;
  const int32_t queued = audio.QueuedCount(source_);
  // Started, or starved for a moment: the source plays again once it has music.
  if (queued > 0 && audio.GetState(source_) != SourceState::Playing) audio.Play(source_);
  bool done = false;
  {
    std::lock_guard lock(mutex_);
    done = (finished_ || failed_) && blocks_.empty() && queued == 0;
  }
  if (done) {
    mode_ = PlayMode::Stopped;
    Rewind();
  }
}

MusicStreamInfo CMusicStream::Info() {
  MusicStreamInfo info;
  info.buffersQueued = source_ != 0 ? Audio_Device().QueuedCount(source_) : 0;
  std::lock_guard lock(mutex_);
  info.opened = opened_;
  info.finished = finished_;
  info.failed = failed_;
  info.framesDecoded = framesDecoded_;
  return info;
}
