// TWave's playback: the image handed to the system sound player, which reads it until it is told
// to stop.

#include <algorithm>

#include "wave/system_sound_player.h"
#include "wave/wave_document.h"

void TWave::SetSoundPlayer(ISystemSoundPlayer* player) {
  StopIfPlaying();
  player_ = player;
}

bool TWave::Play() { return PlayFrames(0, int64_t{SampleCount()} - 1); }

bool TWave::PlayFrames(int64_t first, int64_t last) {
  first = std::max<int64_t>(first, 0);
  last = std::min<int64_t>(last, int64_t{SampleCount()} - 1);
  if (!player_ || image_.empty() || (last < first && SampleCount() > 0)) return false;
  handedToPlayer_ = player_->PlayAsync(image_.data(), image_.size(), first, std::max<int64_t>(last - first + 1, 0));
  return handedToPlayer_;
}

int64_t TWave::PlayingFrame() const { return handedToPlayer_ && player_ ? player_->PlayingFrame() : -1; }

bool TWave::Stop() {
  handedToPlayer_ = false;
  return player_ && player_->StopAll();
}

void TWave::StopIfPlaying() {
  if (handedToPlayer_ && player_) player_->StopAll();
  handedToPlayer_ = false;
}
