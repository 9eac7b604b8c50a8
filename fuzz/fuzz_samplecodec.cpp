// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the firing logbook's sample blobs. Whatever the bytes (a damaged logbook, a
// file altered by hand), decoding is safe and never allocates beyond what the blob's count
// allows; what decodes encodes and decodes back to the same samples, and encoding that gives the
// same bytes again (the hash chain relies on one encoding per content).

#include "fuzz/fuzzcheck.h"
#include "logbook/samplecodec.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray blob(reinterpret_cast<const char *>(data), qsizetype(size));
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(1765100000000);
    const std::optional<QList<TraceSample>> samples = SampleCodec::Decode(blob, start);
    Require(SampleCodec::Count(blob) >= 0 || !samples, "a blob that decodes has a header");
    if (!samples)
        return 0;
    Require(samples->size() == SampleCodec::Count(blob), "the header's count is the samples'");
    const QByteArray encoded = SampleCodec::Encode(*samples, start);
    const std::optional<QList<TraceSample>> again = SampleCodec::Decode(encoded, start);
    Require(again.has_value() && again->size() == samples->size(), "encoded samples decode");
    for (qsizetype i = 0; i < samples->size(); ++i) {
        const TraceSample &a = (*samples)[i];
        const TraceSample &b = (*again)[i];
        Require(a.Seconds == b.Seconds && a.WallClock == b.WallClock &&
                    a.CurrentZone == b.CurrentZone && a.ZoneTime == b.ZoneTime &&
                    a.StageText == b.StageText && a.ChamberTemp == b.ChamberTemp &&
                    a.Vacuum == b.Vacuum && a.ChamberStatus == b.ChamberStatus &&
                    a.ControllerMode == b.ControllerMode,
                "a sample round-trips");
    }
    Require(SampleCodec::Encode(*again, start) == encoded, "one encoding per content");
    return 0;
}
