#pragma once
// What a channel row tells beyond the roles every section's list answers
// (the address, the portal's id, the kind: ui/main/entrymodel.h, whose roles
// and kinds are plain values this library shares without its models).
#include "ui/main/entrymodel.h"

namespace zv {

enum ChannelRole {
    GroupRole = MarkRole + 1, // QString, empty when the row has none
    TvgIdRole,
    TvgNameRole,
    LogoUrlRole,
    OptionsRole, // QStringList: the row's "#EXTVLCOPT" lines
    NowRole, // QString: what is on now, empty when the guide says nothing
    NowTimesRole, // QString: "20:00 – 20:45", local time
    ProgressRole, // double: how much of it has passed, 0 to 1; -1 without a guide
    NextRole, // QString: "20:45 Météo"
};

} // namespace zv
