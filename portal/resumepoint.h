#pragma once
// Where an episode, an MP3 or a video starts again, and what is kept of it
// when playback stops: plain rules over milliseconds, no player here.
#include "portal/userstate.h"

#include <QtGlobal>
#include <optional>

namespace zv {

// Back this far from where the user stopped, to pick up the thread.
constexpr qint64 ResumeBackMs = 5000;
// Stopped this early, nothing worth keeping; this close to the end, heard.
constexpr qint64 ResumeMinimumMs = 15000;
constexpr qint64 HeardLastMs = 15000;

// The position to start at, in milliseconds; 0: from the start (nothing kept,
// heard to its end, stopped in the first seconds or the last ones).
qint64 ResumeFrom(const std::optional<UserState::Playback>& kept);

// What to keep when playback of an item stops at positionMs of lengthMs (0
// when not known), or runs to its end. A "heard" mark, once given, stays.
UserState::Playback PlaybackToKeep(
    qint64 positionMs, qint64 lengthMs, bool ended, const std::optional<UserState::Playback>& before);

} // namespace zv
