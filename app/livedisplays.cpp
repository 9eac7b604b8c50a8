// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/livedisplays.h"

#include "link/messagetypes.h"

namespace LiveDisplay
{

quint32 RefreshedBy(quint8 replyType)
{
    switch (Msg(replyType)) {
    case Msg::Status:
        return Temperature | Pressure | ChamberState | VacEconMode | Panel2 | RunStage;
    case Msg::ReadSupportTemp:
        return Tsupport;
    case Msg::ReadClock:
        return Time | Date;
    case Msg::ZoneTime:
        return Panel3;
    case Msg::ReadRemainingTime:
        return RunRemaining;
    case Msg::ReadControllerMode:
        return Panel1;
    default:
        return 0;
    }
}

} // namespace LiveDisplay
