#pragma once
// What a row of the channel list tells beyond its caption. The first two are
// those of TChannelListModel, so the play path reads every list the same way.
#include <Qt>

namespace zv {

enum ChannelRole {
    UrlRole = Qt::UserRole + 1, // QString: the address, whole, engine prefix included
    DataRole, // int: the portal's content id, 0 elsewhere
    GroupRole, // QString, empty when the row has none
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
