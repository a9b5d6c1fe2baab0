#include "portal/resumepoint.h"

#include <algorithm>

namespace zv {

qint64 ResumeFrom(const std::optional<UserState::Playback>& kept)
{
    if (!kept || kept->positionMs < ResumeMinimumMs)
        return 0;
    if (kept->lengthMs > 0 && kept->positionMs > kept->lengthMs - HeardLastMs)
        return 0;
    return std::max<qint64>(0, kept->positionMs - ResumeBackMs);
}

UserState::Playback PlaybackToKeep(
    qint64 positionMs, qint64 lengthMs, bool ended, const std::optional<UserState::Playback>& before)
{
    UserState::Playback keep;
    keep.lengthMs = std::max<qint64>(0, lengthMs);
    keep.heard = before && before->heard;
    const bool nearEnd = lengthMs > 0 && positionMs >= lengthMs - HeardLastMs;
    if (ended || nearEnd) {
        keep.heard = true;
        return keep; // heard: the next time starts from the beginning
    }
    keep.positionMs = positionMs >= ResumeMinimumMs ? positionMs : 0;
    return keep;
}

} // namespace zv
