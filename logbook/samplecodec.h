// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "graph/firingtrace.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <optional>

/// The samples of a firing as the logbook stores them: one compact blob per entry (or per flushed
/// chunk of a running one). A header ("ZS", format 1, the sample count, the stage texts once
/// each), then the samples delta-encoded and compressed with zlib. Times are kept to the
/// millisecond: Seconds as furnace milliseconds, WallClock as milliseconds after `startedAt`.
/// The encoding is deterministic, so the bytes are what the logbook's hash covers.
namespace SampleCodec
{

/// The blob of `samples` of a run that started at `startedAt`.
QByteArray Encode(const QList<TraceSample> &samples, const QDateTime &startedAt);

/// The samples of `blob`; nothing when it is not a blob of this format or is damaged (never
/// reads outside it, never allocates more than its sample count allows).
std::optional<QList<TraceSample>> Decode(const QByteArray &blob, const QDateTime &startedAt);

/// The sample count a blob's header gives, without decoding it; -1 when it is no blob.
qsizetype Count(const QByteArray &blob);

} // namespace SampleCodec
