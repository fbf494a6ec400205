#include "audio/platform/alsa_mixer.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include <QAbstractEventDispatcher>
#include <QObject>
#include <QSocketNotifier>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "audio/platform/alsa_mixer_map.h"

namespace {

void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Mixer numbers follow the card numbers in order, skipping the gaps between them.
std::vector<int> Cards() {
  std::vector<int> cards;
  for (int card = -1; snd_card_next(&card) == 0 && card >= 0;) cards.push_back(card);
  return cards;
}

std::string CardDevice(int card) { return "hw:" + std::to_string(card); }

// ALSA asks the same of both directions through functions of the same shape.
struct SideCalls {
  int (*hasVolume)(snd_mixer_elem_t*);
  int (*hasSwitch)(snd_mixer_elem_t*);
  int (*isMono)(snd_mixer_elem_t*);
  int (*hasChannel)(snd_mixer_elem_t*, snd_mixer_selem_channel_id_t);
  int (*range)(snd_mixer_elem_t*, long*, long*);
  int (*volume)(snd_mixer_elem_t*, snd_mixer_selem_channel_id_t, long*);
  int (*switchOn)(snd_mixer_elem_t*, snd_mixer_selem_channel_id_t, int*);
};
constexpr SideCalls kPlaybackCalls{snd_mixer_selem_has_playback_volume,  snd_mixer_selem_has_playback_switch,
                                   snd_mixer_selem_is_playback_mono,     snd_mixer_selem_has_playback_channel,
                                   snd_mixer_selem_get_playback_volume_range, snd_mixer_selem_get_playback_volume,
                                   snd_mixer_selem_get_playback_switch};
constexpr SideCalls kCaptureCalls{snd_mixer_selem_has_capture_volume,  snd_mixer_selem_has_capture_switch,
                                  snd_mixer_selem_is_capture_mono,     snd_mixer_selem_has_capture_channel,
                                  snd_mixer_selem_get_capture_volume_range, snd_mixer_selem_get_capture_volume,
                                  snd_mixer_selem_get_capture_switch};

AlsaElementSide ReadSide(snd_mixer_elem_t* elem, const SideCalls& calls) {
  AlsaElementSide side;
  side.HasVolume = calls.hasVolume(elem) != 0;
  side.HasSwitch = calls.hasSwitch(elem) != 0;
  if (!side.HasVolume && !side.HasSwitch) return side;
  std::vector<snd_mixer_selem_channel_id_t> channels;
  if (calls.isMono(elem)) {
    channels.push_back(SND_MIXER_SCHN_MONO);
  } else {
    for (int id = 0; id <= SND_MIXER_SCHN_LAST; ++id) {
      const auto channel = static_cast<snd_mixer_selem_channel_id_t>(id);
      if (calls.hasChannel(elem, channel)) channels.push_back(channel);
    }
  }
  if (side.HasVolume) calls.range(elem, &side.VolumeMin, &side.VolumeMax);
  // A channel that cannot be read counts as at its lowest and sounding: no claim of silence
  // the card did not make.
  for (const snd_mixer_selem_channel_id_t channel : channels) {
    if (side.HasVolume) {
      long raw = side.VolumeMin;
      calls.volume(elem, channel, &raw);
      side.Volume.push_back(raw);
    }
    if (side.HasSwitch) {
      int on = 1;
      calls.switchOn(elem, channel, &on);
      side.Switch.push_back(on != 0);
    }
  }
  return side;
}

AlsaElement ReadElement(snd_mixer_elem_t* elem) {
  AlsaElement element;
  element.Name = snd_mixer_selem_get_name(elem);
  element.Index = snd_mixer_selem_get_index(elem);
  element.Enumerated = snd_mixer_selem_is_enumerated(elem) != 0;
  if (!element.Enumerated) {
    element.Playback = ReadSide(elem, kPlaybackCalls);
    element.Capture = ReadSide(elem, kCaptureCalls);
  }
  return element;
}

}  // namespace

struct AlsaMixer::OpenMixer {
  OpenMixer(snd_mixer_t* mixer, std::vector<snd_mixer_elem_t*> elems, AlsaMixerMap map, MixerNotify notify)
      : mixer(mixer), elems(std::move(elems)), dirty(this->elems.size()), map(std::move(map)),
        notify(std::move(notify)) {
    snd_mixer_set_callback_private(mixer, this);
    snd_mixer_set_callback(mixer, MixerEvent);
    for (snd_mixer_elem_t* elem : this->elems) Attach(elem);
  }
  ~OpenMixer() {
    // The notifiers and any delivery still posted go first, so nothing reaches a closed mixer.
    anchor.reset();
    snd_mixer_set_callback(mixer, nullptr);
    for (snd_mixer_elem_t* elem : elems) {
      if (elem) snd_mixer_elem_set_callback(elem, nullptr);
    }
    snd_mixer_close(mixer);
  }
  OpenMixer(const OpenMixer&) = delete;
  OpenMixer& operator=(const OpenMixer&) = delete;

  void Attach(snd_mixer_elem_t* elem) {
    snd_mixer_elem_set_callback_private(elem, this);
    snd_mixer_elem_set_callback(elem, ElementEvent);
  }

  // ALSA's callbacks run inside snd_mixer_handle_events, while it is still adding and removing
  // elements and before an added one has its values; they only mark the element, and Refresh
  // reads it once all the events are in.
  static int ElementEvent(snd_mixer_elem_t* elem, unsigned int mask) {
    auto* self = static_cast<OpenMixer*>(snd_mixer_elem_get_callback_private(elem));
    const auto slot = std::find(self->elems.begin(), self->elems.end(), elem);
    if (slot == self->elems.end()) return 0;
    if (mask == SND_CTL_EVENT_MASK_REMOVE) {
      *slot = nullptr;
    } else {
      self->dirty[slot - self->elems.begin()] = true;
    }
    return 0;
  }

  // An element whose controls changed shape is removed and comes back as a new one of the same
  // name; it takes over the old one's lines, so ids stay as they were.
  static int MixerEvent(snd_mixer_t* mixer, unsigned int mask, snd_mixer_elem_t* elem) {
    if (mask == SND_CTL_EVENT_MASK_REMOVE || !(mask & SND_CTL_EVENT_MASK_ADD) || !elem) return 0;
    auto* self = static_cast<OpenMixer*>(snd_mixer_get_callback_private(mixer));
    const std::string name = snd_mixer_selem_get_name(elem);
    const unsigned index = snd_mixer_selem_get_index(elem);
    const std::vector<AlsaElement>& known = self->map.Elements();
    for (size_t i = 0; i < known.size(); ++i) {
      if (self->elems[i] || known[i].Name != name || known[i].Index != index) continue;
      self->elems[i] = elem;
      self->dirty[i] = true;
      self->Attach(elem);
      break;
    }
    return 0;
  }

  void Refresh() {
    for (size_t i = 0; i < elems.size(); ++i) {
      const bool changed = dirty[i];
      dirty[i] = false;
      if (!changed || !elems[i]) continue;
      for (const uint32_t id : map.Update(i, ReadElement(elems[i]))) {
        if (notify && std::find(pending.begin(), pending.end(), id) == pending.end()) pending.push_back(id);
      }
    }
  }

  snd_mixer_t* const mixer;
  std::vector<snd_mixer_elem_t*> elems;  // as the map's elements; null while removed
  std::vector<bool> dirty;
  AlsaMixerMap map;
  const MixerNotify notify;
  // On the opening thread: parent of the notifiers and receiver of posted deliveries.
  std::unique_ptr<QObject> anchor;
  std::vector<QSocketNotifier*> notifiers;
  std::vector<uint32_t> pending;  // controls changed and not yet notified
  bool deliveryPosted = false;
};

AlsaMixer::AlsaMixer() { snd_lib_error_set_handler(SilentAlsaError); }

AlsaMixer::~AlsaMixer() = default;

unsigned AlsaMixer::DeviceCount() { return static_cast<unsigned>(Cards().size()); }

int AlsaMixer::GetCaps(unsigned mixer, MixerCaps& caps) {
  const std::vector<int> cards = Cards();
  if (mixer >= cards.size()) return kMixerNoSuchDevice;
  snd_ctl_t* ctl = nullptr;
  if (const int error = snd_ctl_open(&ctl, CardDevice(cards[mixer]).c_str(), 0); error < 0) return error;
  snd_ctl_card_info_t* info = nullptr;
  int error = snd_ctl_card_info_malloc(&info);
  if (error >= 0) error = snd_ctl_card_info(ctl, info);
  if (error >= 0) caps = MixerCaps{snd_ctl_card_info_get_name(info), kAlsaMixerDestinations};
  if (info) snd_ctl_card_info_free(info);
  snd_ctl_close(ctl);
  return error < 0 ? error : 0;
}

int AlsaMixer::Open(unsigned mixer, MixerNotify notify, MixerHandle& handle) {
  const std::vector<int> cards = Cards();
  if (mixer >= cards.size()) return kMixerNoSuchDevice;
  if (notify && !QAbstractEventDispatcher::instance()) return kMixerNoEventLoop;

  snd_mixer_t* alsa = nullptr;
  if (const int error = snd_mixer_open(&alsa, 0); error < 0) return error;
  int error = snd_mixer_attach(alsa, CardDevice(cards[mixer]).c_str());
  if (error >= 0) error = snd_mixer_selem_register(alsa, nullptr, nullptr);
  if (error >= 0) error = snd_mixer_load(alsa);
  if (error < 0) {
    snd_mixer_close(alsa);
    return error;
  }
  std::vector<snd_mixer_elem_t*> elems;
  std::vector<AlsaElement> elements;
  for (snd_mixer_elem_t* elem = snd_mixer_first_elem(alsa); elem; elem = snd_mixer_elem_next(elem)) {
    elems.push_back(elem);
    elements.push_back(ReadElement(elem));
  }
  auto open = std::make_unique<OpenMixer>(alsa, std::move(elems), AlsaMixerMap(std::move(elements)), std::move(notify));

  const MixerHandle opened = nextHandle_;
  if (open->notify) {
    int count = snd_mixer_poll_descriptors_count(alsa);
    std::vector<pollfd> fds(static_cast<size_t>(std::max(count, 0)));
    if (count > 0) count = snd_mixer_poll_descriptors(alsa, fds.data(), static_cast<unsigned>(count));
    if (count < 0) return count;
    open->anchor = std::make_unique<QObject>();
    for (const pollfd& fd : fds) {
      for (const auto& [bits, type] : {std::pair{POLLIN, QSocketNotifier::Read}, std::pair{POLLOUT, QSocketNotifier::Write},
                                       std::pair{POLLPRI, QSocketNotifier::Exception}}) {
        if (!(fd.events & bits)) continue;
        auto* notifier = new QSocketNotifier(fd.fd, type, open->anchor.get());
        QObject::connect(notifier, &QSocketNotifier::activated,
                         open->anchor.get(), [this, opened] { Poll(opened); });
        open->notifiers.push_back(notifier);
      }
    }
  }
  handle = nextHandle_++;
  open_.emplace(handle, std::move(open));
  return 0;
}

int AlsaMixer::Close(MixerHandle handle) { return open_.erase(handle) ? 0 : kMixerBadHandle; }

AlsaMixer::OpenMixer* AlsaMixer::Find(MixerHandle handle) const {
  const auto it = open_.find(handle);
  return it == open_.end() ? nullptr : it->second.get();
}

void AlsaMixer::Poll(MixerHandle handle) {
  OpenMixer* open = Find(handle);
  if (!open) return;
  if (snd_mixer_handle_events(open->mixer) < 0) {
    // The card is gone: its descriptors would report the error for ever.
    for (QSocketNotifier* notifier : open->notifiers) notifier->setEnabled(false);
  }
  open->Refresh();
  if (open->pending.empty() || open->deliveryPosted || !open->anchor) return;
  open->deliveryPosted = true;
  QMetaObject::invokeMethod(open->anchor.get(), [this, handle] { Deliver(handle); }, Qt::QueuedConnection);
}

void AlsaMixer::Deliver(MixerHandle handle) {
  OpenMixer* open = Find(handle);
  if (!open) return;
  open->deliveryPosted = false;
  const std::vector<uint32_t> changed = std::exchange(open->pending, {});
  const MixerNotify notify = open->notify;  // the call may close the mixer
  for (const uint32_t id : changed) {
    if (!Find(handle)) return;
    notify(kMixerControlChanged, handle, id);
  }
}

int AlsaMixer::GetDestination(MixerHandle handle, uint32_t destination, MixerLine& line) {
  const OpenMixer* open = Find(handle);
  return open ? open->map.Destination(destination, line) : kMixerBadHandle;
}

int AlsaMixer::GetSource(MixerHandle handle, uint32_t destination, uint32_t source, MixerLine& line) {
  const OpenMixer* open = Find(handle);
  return open ? open->map.Source(destination, source, line) : kMixerBadHandle;
}

int AlsaMixer::GetLineControls(MixerHandle handle, uint32_t lineId, std::vector<MixerControl>& controls) {
  const OpenMixer* open = Find(handle);
  return open ? open->map.LineControls(lineId, controls) : kMixerBadHandle;
}

int AlsaMixer::GetControlValues(MixerHandle handle, uint32_t controlId, uint32_t channels,
                                std::vector<uint32_t>& values) {
  if (!Find(handle)) return kMixerBadHandle;
  // The card's values as they are now, even before the event loop has come round to a change
  // (and for a caller that watches none); what changed is still notified from the event loop.
  Poll(handle);
  return Find(handle)->map.ControlValues(controlId, channels, values);
}

std::string AlsaMixer::ErrorText(int code) {
  switch (code) {
    case 0: return "";
    case kMixerNoSuchDevice: return "no such mixer: there is no sound card of that number";
    case kMixerBadHandle: return "not the handle of an open mixer";
    case kMixerNoSuchDestination: return "no such destination: the mixer has playback (0) and capture (1)";
    case kMixerNoSuchSource: return "the destination has no source of that number";
    case kMixerNoSuchLine: return "no line of the open mixer has that id";
    case kMixerNoSuchControl: return "no control of the open mixer has that id";
    case kMixerBadChannels:
      return "the number of channels asked for must be 1 to " + std::to_string(kMixerMaxAskedChannels);
    case kMixerNoEventLoop:
      return "change notifications need an event loop on the thread that opens the mixer";
  }
  if (code < 0) return std::string("ALSA: ") + snd_strerror(code);
  return "unknown mixer error " + std::to_string(code);
}
