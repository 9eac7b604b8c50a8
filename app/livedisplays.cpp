#include "livedisplays.h"

namespace LiveDisplay
{

quint32 RefreshedBy(quint8 replyType)
{
    switch (replyType) {
    case 3:
        return Temperature | Pressure | ChamberState | VacEconMode | Panel2 | RunStage;
    case 4:
        return Tsupport;
    case 15:
        return Time | Date;
    case 56:
        return Panel3;
    case 70:
        return RunRemaining;
    case 99:
        return Panel1;
    default:
        return 0;
    }
}

} // namespace LiveDisplay
