#include "platform/cdio/cdio_device.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <vector>

#include "audio/audio_device.h"

namespace {

constexpr int32_t kFramesPerSecond = 75;
constexpr int32_t kMaxSegmentFrames = 5 * 60 * kFramesPerSecond;  // at most 50 MB of samples at once
constexpr int32_t kErrorBadCommand = 274;  // the reply of a command the device does not know
constexpr int32_t kErrorNotReady = 276;    // no disc, or a position outside it

bool EndsWith(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  return std::equal(end.rbegin(), end.rend(), text.rbegin(),
                    [](char a, char b) { return std::tolower(uint8_t(a)) == b; });
}

class CdioDevice final : public CdDevice {
 public:
  CdioDevice(std::string source, std::function<int64_t()> now) : source_(std::move(source)), now_(std::move(now)) {
    if (!now_)
      now_ = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
      };
  }
  ~CdioDevice() override {
    StopSound();
    Close();
  }

  int32_t Send(const std::string& command, std::string& reply) override {
    reply.clear();
    std::istringstream in(command);
    std::vector<std::string> w;
    for (std::string word; in >> word;) w.push_back(word);
    if (w.size() < 2 || w[1] != "cdaudio") return kErrorBadCommand;
    Advance();
    const std::string& verb = w[0];
    if (verb == "open") {
      if (!cdio_ && !doorOpen_) OpenDisc();
      return 0;
    }
    if (verb == "close") {
      StopPlaying();
      Close();
      return 0;
    }
    if (verb == "set") return Set(w);
    if (verb == "status") return Status(w, reply);
    if (!HasMedia()) return kErrorNotReady;
    if (verb == "stop") {
      StopPlaying();
      return 0;
    }
    if (verb == "pause") {
      if (state_ == State::Playing) {
        position_ = Position();
        state_ = State::Paused;
        Audio_Device().Pause(Source());
      }
      return 0;
    }
    if (verb == "seek" && w.size() >= 4 && w[2] == "to") {
      int32_t lsn;
      if (!ParsePosition(w[3], lsn)) return kErrorNotReady;
      StopPlaying();
      position_ = lsn;
      return 0;
    }
    if (verb == "play") return Play(w);
    return kErrorBadCommand;
  }

 private:
  enum class State { Stopped, Playing, Paused };
  enum class Format { Tmsf, Milliseconds };

  bool HasMedia() const { return cdio_ != nullptr && !doorOpen_; }

  void OpenDisc() {
    // libcdio's own handler ends the process on an error message (a damaged CUE sheet does it).
    cdio_log_set_handler([](cdio_log_level_t, const char*) {});
    if (source_.empty()) cdio_ = cdio_open(nullptr, DRIVER_DEVICE);
    else if (EndsWith(source_, ".cue")) cdio_ = cdio_open_cue(source_.c_str());
    else if (EndsWith(source_, ".bin")) cdio_ = cdio_open_bincue(source_.c_str());
    else cdio_ = cdio_open(source_.c_str(), DRIVER_UNKNOWN);
    if (!cdio_) return;
    const track_t first = cdio_get_first_track_num(cdio_);
    const track_t count = cdio_get_num_tracks(cdio_);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
      Close();
      return;
    }
    starts_.clear();
    for (track_t t = first; t < first + count; ++t) starts_.push_back(cdio_get_track_lsn(cdio_, t));
    starts_.push_back(cdio_get_track_lsn(cdio_, CDIO_CDROM_LEADOUT_TRACK));
    for (size_t i = 0; i + 1 < starts_.size(); ++i)
      if (starts_[i] == CDIO_INVALID_LSN || starts_[i + 1] < starts_[i]) {
        Close();
        return;
      }
    position_ = starts_.front();
  }

  void Close() {
    paranoia_.reset();
    drive_.reset();
    if (cdio_) cdio_destroy(cdio_);
    cdio_ = nullptr;
    starts_.clear();
    state_ = State::Stopped;
  }

  int32_t TrackCount() const { return int32_t(starts_.size()) - 1; }
  lsn_t DiscEnd() const { return starts_.back(); }
  // The 1-based track holding lsn (the last one at the end of the disc).
  int32_t TrackAt(lsn_t lsn) const {
    int32_t track = 1;
    for (int32_t t = 1; t < TrackCount(); ++t)
      if (lsn >= starts_[t]) track = t + 1;
    return track;
  }

  lsn_t Position() const {
    if (state_ != State::Playing) return position_;
    return std::min<lsn_t>(end_, position_ + lsn_t((now_() - startedMs_) * kFramesPerSecond / 1000));
  }

  // Ends a finished play or moves on to the next track of it.
  void Advance() {
    if (state_ != State::Playing) return;
    const lsn_t at = Position();
    if (at < segmentEnd_) return;
    if (segmentEnd_ >= end_) {
      position_ = end_;
      state_ = State::Stopped;
      StopSound();
      return;
    }
    StartSegment(segmentEnd_);
  }

  std::string Formatted(lsn_t lsn) const {
    if (format_ == Format::Milliseconds) return std::to_string(int64_t(lsn - starts_.front()) * 1000 / kFramesPerSecond);
    const int32_t track = TrackAt(lsn);
    const int32_t in = lsn - starts_[track - 1];
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", track, in / (60 * kFramesPerSecond),
                  (in / kFramesPerSecond) % 60, in % kFramesPerSecond);
    return text;
  }

  std::string FormattedLength(lsn_t frames) const {
    if (format_ == Format::Milliseconds) return std::to_string(int64_t(frames) * 1000 / kFramesPerSecond);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", frames / (60 * kFramesPerSecond), (frames / kFramesPerSecond) % 60,
                  frames % kFramesPerSecond);
    return text;
  }

  // A position in the current format: milliseconds from the start of the disc, or
  // "track[:minutes[:seconds[:frames]]]".
  bool ParsePosition(const std::string& text, lsn_t& lsn) const {
    if (!HasMedia() || text.empty()) return false;
    if (format_ == Format::Milliseconds) {
      char* end = nullptr;
      const long ms = std::strtol(text.c_str(), &end, 10);
      if (*end != '\0' || ms < 0) return false;
      lsn = starts_.front() + lsn_t(int64_t(ms) * kFramesPerSecond / 1000);
      return lsn <= DiscEnd();
    }
    int32_t f[4] = {0, 0, 0, 0};
    std::istringstream in(text);
    std::string part;
    for (int32_t i = 0; i < 4 && std::getline(in, part, ':'); ++i) {
      char* end = nullptr;
      f[i] = int32_t(std::strtol(part.c_str(), &end, 10));
      if (part.empty() || *end != '\0' || f[i] < 0 || f[i] > 100000) return false;
    }
    if (f[0] < 1 || f[0] > TrackCount()) return false;
    lsn = starts_[f[0] - 1] + (f[1] * 60 + f[2]) * kFramesPerSecond + f[3];
    return lsn <= DiscEnd();
  }

  int32_t Set(const std::vector<std::string>& w) {
    if (w.size() >= 5 && w[2] == "time" && w[3] == "format") {
      if (w[4] == "tmsf") format_ = Format::Tmsf;
      else if (w[4] == "ms" || w[4] == "milliseconds") format_ = Format::Milliseconds;
      else return kErrorBadCommand;
      return 0;
    }
    if (w.size() >= 4 && w[2] == "door") {
      // An image has no tray: the door only takes the disc away until it is closed.
      const bool drive = !EndsWith(source_, ".cue") && !EndsWith(source_, ".bin");
      if (w[3] == "open") {
        StopPlaying();
        if (cdio_ && drive) cdio_eject_media(&cdio_);
        Close();
        doorOpen_ = true;
        return 0;
      }
      if (w[3] == "closed") {
        if (doorOpen_ && drive) cdio_close_tray(source_.empty() ? nullptr : source_.c_str(), nullptr);
        doorOpen_ = false;
        return 0;
      }
    }
    return kErrorBadCommand;
  }

  int32_t Status(const std::vector<std::string>& w, std::string& reply) {
    const std::string item = w.size() >= 3 ? w[2] : "";
    if (item == "media" && w.size() >= 4 && w[3] == "present") {
      reply = HasMedia() ? "true" : "false";
      return 0;
    }
    if (item == "mode") {
      reply = doorOpen_ ? "open"
              : !HasMedia() ? "not ready"
              : state_ == State::Playing ? "playing"
              : state_ == State::Paused ? "paused"
                                        : "stopped";
      return 0;
    }
    if (!HasMedia()) return kErrorNotReady;
    if (item == "number" && w.size() >= 5 && w[3] == "of" && w[4] == "tracks") {
      reply = std::to_string(TrackCount());
      return 0;
    }
    if (item == "position") {
      reply = Formatted(Position());
      return 0;
    }
    if (item == "length") {
      if (w.size() >= 5 && w[3] == "track") {
        const int32_t t = std::atoi(w[4].c_str());
        if (t < 1 || t > TrackCount()) return kErrorNotReady;
        reply = FormattedLength(starts_[t] - starts_[t - 1]);
      } else {
        reply = FormattedLength(DiscEnd() - starts_.front());
      }
      return 0;
    }
    return kErrorBadCommand;
  }

  int32_t Play(const std::vector<std::string>& w) {
    lsn_t from = state_ == State::Stopped && position_ >= DiscEnd() ? starts_.front() : Position();
    lsn_t to = state_ == State::Stopped ? DiscEnd() : end_;
    bool hasFrom = false;
    for (size_t i = 2; i + 1 < w.size(); i += 2) {
      lsn_t lsn;
      if (!ParsePosition(w[i + 1], lsn)) return kErrorNotReady;
      if (w[i] == "from") {
        from = lsn;
        hasFrom = true;
      } else if (w[i] == "to") {
        to = lsn;
      } else {
        return kErrorBadCommand;
      }
    }
    if (hasFrom && w.size() == 4) to = DiscEnd();
    if (to <= from) return kErrorNotReady;
    if (state_ == State::Paused && !hasFrom && w.size() == 2) {  // resume
      state_ = State::Playing;
      startedMs_ = now_();
      Audio_Device().Play(Source());
      return 0;
    }
    end_ = to;
    StartSegment(from);
    return 0;
  }

  // Plays from lsn to the end of its track or of the play, whichever comes first (and at most
  // five minutes).
  void StartSegment(lsn_t from) {
    StopSound();
    const int32_t track = TrackAt(from);
    segmentEnd_ = std::min<lsn_t>({end_, starts_[track], from + kMaxSegmentFrames});
    position_ = from;
    startedMs_ = now_();
    state_ = State::Playing;
    std::vector<int16_t> pcm;
    if (!ReadAudio(from, segmentEnd_, pcm)) return;  // played silent; the position still moves
    AudioDevice& audio = Audio_Device();
    buffer_ = audio.CreateBufferFromPcm(pcm, 2, 44100);
    if (buffer_ == 0) return;
    audio.SetBuffer(Source(), buffer_);
    audio.Play(Source());
  }

  bool ReadAudio(lsn_t from, lsn_t to, std::vector<int16_t>& pcm) {
    if (track_format_t(cdio_get_track_format(cdio_, track_t(TrackAt(from)))) != TRACK_FORMAT_AUDIO) return false;
    const size_t samplesPerFrame = CDIO_CD_FRAMESIZE_RAW / sizeof(int16_t);
    pcm.resize(size_t(to - from) * samplesPerFrame);
    if (!drive_ && !triedParanoia_) {
      triedParanoia_ = true;
      if (cdrom_drive_t* d = cdio_cddap_identify_cdio(cdio_, CDDA_MESSAGE_FORGETIT, nullptr)) {
        drive_.reset(d);
        if (cdio_cddap_open(d) == 0) paranoia_.reset(cdio_paranoia_init(d));
        else drive_.reset();
      }
    }
    if (paranoia_) {
      cdio_paranoia_modeset(paranoia_.get(), PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
      cdio_paranoia_seek(paranoia_.get(), from, SEEK_SET);
      for (lsn_t lsn = from; lsn < to; ++lsn) {
        const int16_t* frame = cdio_paranoia_read(paranoia_.get(), nullptr);
        if (frame == nullptr) return false;
        std::copy(frame, frame + samplesPerFrame, pcm.begin() + size_t(lsn - from) * samplesPerFrame);
      }
      return true;
    }
    return cdio_read_audio_sectors(cdio_, pcm.data(), from, uint32_t(to - from)) == DRIVER_OP_SUCCESS;
  }

  uint32_t Source() {
    if (source_id_ == 0) {
      const auto sources = Audio_Device().GenSources(1);
      if (!sources.empty()) source_id_ = sources.front();
    }
    return source_id_;
  }

  void StopSound() {
    AudioDevice& audio = Audio_Device();
    if (source_id_ != 0) {
      audio.Stop(source_id_);
      audio.SetBuffer(source_id_, 0);
    }
    if (buffer_ != 0) audio.DeleteBuffer(buffer_);
    buffer_ = 0;
  }

  void StopPlaying() {
    if (state_ != State::Stopped) position_ = Position();
    state_ = State::Stopped;
    StopSound();
  }

  struct DriveClose {
    void operator()(cdrom_drive_t* d) const { cdio_cddap_close_no_free_cdio(d); }
  };
  struct ParanoiaFree {
    void operator()(cdrom_paranoia_t* p) const { cdio_paranoia_free(p); }
  };

  std::string source_;
  std::function<int64_t()> now_;
  CdIo_t* cdio_ = nullptr;
  std::unique_ptr<cdrom_drive_t, DriveClose> drive_;
  std::unique_ptr<cdrom_paranoia_t, ParanoiaFree> paranoia_;
  bool triedParanoia_ = false;
  std::vector<lsn_t> starts_;  // the first sector of each track, then the lead-out
  bool doorOpen_ = false;
  Format format_ = Format::Tmsf;
  State state_ = State::Stopped;
  lsn_t position_ = 0, end_ = 0, segmentEnd_ = 0;
  int64_t startedMs_ = 0;
  uint32_t source_id_ = 0, buffer_ = 0;
};

}  // namespace

std::unique_ptr<CdDevice> CdioDevice_Make(const std::string& source, std::function<int64_t()> now) {
  return std::make_unique<CdioDevice>(source, std::move(now));
}
