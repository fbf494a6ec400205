#pragma once

#include <portaudio.h>

#include <chrono>
#include <functional>
#include <memory>

// PortAudio calls that may wait on the sound system without end (the probe of the cards in
// Pa_Initialize, a stream's open, start, stop and close) run on a thread of their own while the
// caller waits a bounded time for their answer. A call that has not answered by then is
// abandoned where it blocks, and the sound system counts as not answering for the rest of the
// process: PortAudio may not be called again while one of its calls is under way, so every later
// call fails at once, and Pa_Terminate is never called.
//
// PortAudio is one per process, and so is what is known of it: the state behind these functions
// is the sound platform's one global.

// The text for a call that was abandoned, or refused because an earlier one was.
inline constexpr char kSoundSystemSilentText[] = "The sound system does not answer";
// The code such a call answers with: PortAudio's own codes lie between −10000 and 0.
inline constexpr PaError kSoundSystemSilent = -20000;
// How long a call may take before it is abandoned.
inline constexpr std::chrono::seconds kSoundSystemBound{5};
// How long, once the program was asked to end, a call may take (a stop that keeps what was
// recorded).
inline constexpr std::chrono::milliseconds kSoundSystemBoundWhenEnding{500};

// Runs `call` (which must own everything it uses: it may outlive the caller's frame) through the
// sound system's thread, waiting for it, and for a call still under way before it, at most the
// bound. kSoundSystemSilent when it did not answer in time, or the system had stopped answering.
PaError CallSoundSystem(std::function<PaError()> call);
// `step` (Pa_StopStream, Pa_CloseStream, ...) on `stream`, as CallSoundSystem runs it.
PaError CallSoundSystem(PaError (*step)(PaStream*), PaStream* stream);
// Begins `call` as CallSoundSystem would, but returns at once: what it answers is waited for by
// the next call (or AwaitSoundSystem), each within its own bound.
void BeginSoundSystemCall(std::function<PaError()> call);
// Waits, within the bound, for the call under way; false when it did not answer in time.
bool AwaitSoundSystem();
// Whether a call is under way that has not answered yet (the probe, while the program starts).
bool SoundSystemBusy();
// Whether no call has been abandoned.
bool SoundSystemAnswers();
// Called from a signal handler that asks the program to end (only async-signal-safe steps): the
// wait under way gives up at once, and from now on no call waits longer than
// kSoundSystemBoundWhenEnding.
void EndSoundSystemWaits();
