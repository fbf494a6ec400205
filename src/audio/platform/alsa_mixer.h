#pragma once

#include <map>
#include <memory>

#include "audio/platform/mixer.h"

// The mixer over ALSA's simple mixer: mixer n is the n-th sound card, its lines and controls
// those AlsaMixerMap makes of the card's simple elements as they stand at Open.
//
// Several mixers may be open at once, each under its own handle (handles count up from 1 and are
// never reused). Notifications need an event loop: a caller that passes a notify function must
// open on a thread that has one, and make every call on a mixer, Close included, on the thread
// that opened it. ALSA's own messages are kept off standard error.
class AlsaMixer final : public IMixer {
 public:
  AlsaMixer();
  // Closes whatever is still open, without notifications.
  ~AlsaMixer() override;
  AlsaMixer(const AlsaMixer&) = delete;
  AlsaMixer& operator=(const AlsaMixer&) = delete;

  unsigned DeviceCount() override;
  int GetCaps(unsigned mixer, MixerCaps& caps) override;
  int Open(unsigned mixer, MixerNotify notify, MixerHandle& handle) override;
  int Close(MixerHandle handle) override;
  int GetDestination(MixerHandle handle, uint32_t destination, MixerLine& line) override;
  int GetSource(MixerHandle handle, uint32_t destination, uint32_t source, MixerLine& line) override;
  int GetLineControls(MixerHandle handle, uint32_t lineId, std::vector<MixerControl>& controls) override;
  int GetControlValues(MixerHandle handle, uint32_t controlId, uint32_t channels,
                       std::vector<uint32_t>& values) override;
  std::string ErrorText(int code) override;

 private:
  struct OpenMixer;
  OpenMixer* Find(MixerHandle handle) const;
  // Takes in the card's pending events; the controls they changed are notified from the event
  // loop, never from inside the call that found them.
  void Poll(MixerHandle handle);
  void Deliver(MixerHandle handle);

  std::map<MixerHandle, std::unique_ptr<OpenMixer>> open_;
  MixerHandle nextHandle_ = 1;
};
