#include "audio/platform/sound_system_watch.h"

#include <semaphore.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <system_error>
#include <thread>

namespace {

// One call handed to its thread: the answer, and whether it came, live as long as either side.
struct PendingCall {
  std::atomic<bool> answered{false};
  PaError result = paNoError;
};

struct SoundSystemState {
  SoundSystemState() { sem_init(&wake, 0, 0); }
  // Posted by every call that answers and by a signal that ends the program.
  sem_t wake;
  std::atomic<bool> silent{false};
  std::atomic<bool> ending{false};
  // Only the user thread that makes the calls touches this.
  std::shared_ptr<PendingCall> underWay;
};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

SoundSystemState& State() {
  // Never destroyed: an abandoned call's thread may still post its semaphore at exit.
  static SoundSystemState* const state = new SoundSystemState;
  return *state;
}

// Waits until the call under way has answered, within the bound; false (and the system silent)
// when it has not.
bool AwaitUnderWay() {
  SoundSystemState& state = State();
  if (state.silent) return false;
  if (!state.underWay) return true;
  const auto bound = state.ending ? std::chrono::duration_cast<std::chrono::nanoseconds>(kSoundSystemBoundWhenEnding)
                                  : std::chrono::duration_cast<std::chrono::nanoseconds>(kSoundSystemBound);
  timespec deadline{};
  clock_gettime(CLOCK_REALTIME, &deadline);
  const long long nanoseconds = deadline.tv_nsec + bound.count();
  deadline.tv_sec += static_cast<time_t>(nanoseconds / 1000000000);
  deadline.tv_nsec = static_cast<long>(nanoseconds % 1000000000);
  const bool endingBefore = state.ending;
  // A post may be left over from a call that answered late, or from a signal: each wake-up looks
  // at the answer itself.
  while (!state.underWay->answered) {
    if (state.ending && !endingBefore) break;
    if (sem_timedwait(&state.wake, &deadline) != 0 && errno == ETIMEDOUT) break;
  }
  if (!state.underWay->answered) {
    state.silent = true;
    return false;
  }
  return true;
}

}  // namespace

void BeginSoundSystemCall(std::function<PaError()> call) {
  SoundSystemState& state = State();
  if (!AwaitUnderWay()) return;
  auto pending = std::make_shared<PendingCall>();
  try {
    std::thread([pending, call = std::move(call)] {
      pending->result = call();
      pending->answered = true;
      sem_post(&State().wake);
    }).detach();
  } catch (const std::system_error&) {
    // Without a thread of its own the call cannot be bounded; it is not made.
    pending->result = paInsufficientMemory;
    pending->answered = true;
  }
  state.underWay = std::move(pending);
}

bool AwaitSoundSystem() { return AwaitUnderWay(); }

PaError CallSoundSystem(std::function<PaError()> call) {
  BeginSoundSystemCall(std::move(call));
  if (!AwaitUnderWay()) return kSoundSystemSilent;
  return State().underWay->result;
}

PaError CallSoundSystem(PaError (*step)(PaStream*), PaStream* stream) {
  return CallSoundSystem([step, stream] { return step(stream); });
}

bool SoundSystemBusy() {
  const SoundSystemState& state = State();
  return !state.silent && state.underWay && !state.underWay->answered;
}

bool SoundSystemAnswers() { return !State().silent; }

void EndSoundSystemWaits() {
  SoundSystemState& state = State();
  state.ending = true;
  sem_post(&state.wake);
}
