// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/samplecodec.h"

#include <QHash>

#include <cmath>
#include <limits>

namespace
{

constexpr char Magic0 = 'Z';
constexpr char Magic1 = 'S';
constexpr quint8 FormatVersion = 1;
/// The most a stage text table holds, and the longest text: far above what a firing has (20
/// steps, two languages), low enough that a damaged header cannot make us allocate much.
constexpr quint64 MaxStageTexts = 4096;
constexpr quint64 MaxStageTextBytes = 4096;
/// The most bytes one sample takes before compression: three 10-byte varints, two of 3 bytes,
/// four single bytes.
constexpr qsizetype MaxSampleBytes = 40;

void putVarint(QByteArray &out, quint64 v)
{
    while (v >= 0x80) {
        out.append(char(quint8(v) | 0x80));
        v >>= 7;
    }
    out.append(char(v));
}

quint64 zigzag(qint64 v)
{
    return (quint64(v) << 1) ^ quint64(v >> 63);
}

qint64 unzigzag(quint64 v)
{
    return qint64(v >> 1) ^ -qint64(v & 1);
}

/// Reads from a byte range; every read checks the end, and a failed read makes the reader bad.
class Reader
{
public:
    Reader(const char *data, qsizetype size)
        : m_p(data)
        , m_end(data + size)
    {
    }
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_p == m_end; }
    const char *position() const { return m_p; }
    qsizetype left() const { return m_end - m_p; }

    quint8 byte()
    {
        if (!m_ok || m_p >= m_end) {
            m_ok = false;
            return 0;
        }
        return quint8(*m_p++);
    }
    quint64 varint()
    {
        quint64 v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const quint8 b = byte();
            if (!m_ok)
                return 0;
            v |= quint64(b & 0x7F) << shift;
            if (!(b & 0x80))
                return v;
        }
        m_ok = false; // longer than 10 bytes
        return 0;
    }
    QByteArray bytes(quint64 n)
    {
        if (!m_ok || n > quint64(left())) {
            m_ok = false;
            return {};
        }
        QByteArray b(m_p, qsizetype(n));
        m_p += n;
        return b;
    }

private:
    const char *m_p;
    const char *m_end;
    bool m_ok = true;
};

qint64 roundedMs(double seconds)
{
    const double ms = std::round(seconds * 1000.0);
    if (!std::isfinite(ms) || ms < 0)
        return 0;
    return ms > double(std::numeric_limits<qint64>::max() / 2)
               ? std::numeric_limits<qint64>::max() / 2
               : qint64(ms);
}

/// The header: magic, version, count, stage texts; the reader stands after it.
struct Header {
    quint64 count = 0;
    QList<QString> stageTexts;
};

std::optional<Header> readHeader(Reader &in)
{
    if (in.byte() != quint8(Magic0) || in.byte() != quint8(Magic1) || in.byte() != FormatVersion)
        return std::nullopt;
    Header h;
    h.count = in.varint();
    const quint64 texts = in.varint();
    if (!in.ok() || h.count > quint64(FiringTrace::MaxSamples) || texts > MaxStageTexts)
        return std::nullopt;
    h.stageTexts.reserve(qsizetype(texts));
    for (quint64 i = 0; i < texts; ++i) {
        const quint64 length = in.varint();
        if (length > MaxStageTextBytes)
            return std::nullopt;
        const QByteArray utf8 = in.bytes(length);
        if (!in.ok())
            return std::nullopt;
        h.stageTexts.append(QString::fromUtf8(utf8));
    }
    return h;
}

} // namespace

namespace SampleCodec
{

QByteArray Encode(const QList<TraceSample> &samples, const QDateTime &startedAt)
{
    QHash<QString, quint64> textIndex;
    QList<QString> texts;
    for (const TraceSample &s : samples) {
        if (!textIndex.contains(s.StageText)) {
            textIndex.insert(s.StageText, quint64(texts.size()));
            texts.append(s.StageText);
        }
    }

    QByteArray out;
    out.append(Magic0);
    out.append(Magic1);
    out.append(char(FormatVersion));
    putVarint(out, quint64(samples.size()));
    putVarint(out, quint64(texts.size()));
    for (const QString &t : texts) {
        const QByteArray utf8 = t.toUtf8().left(qsizetype(MaxStageTextBytes));
        putVarint(out, quint64(utf8.size()));
        out.append(utf8);
    }

    // Each field as the change from the sample before: a firing's readings change little from
    // one tick to the next, which is what makes the compressed form small.
    QByteArray body;
    body.reserve(samples.size() * 12);
    const qint64 start = startedAt.isValid() ? startedAt.toMSecsSinceEpoch() : 0;
    qint64 lastSeconds = 0;
    qint64 lastWall = 0;
    qint64 lastTemp = 0;
    for (const TraceSample &s : samples) {
        const qint64 seconds = roundedMs(s.Seconds);
        const qint64 wall = s.WallClock.isValid() ? s.WallClock.toMSecsSinceEpoch() - start : 0;
        putVarint(body, zigzag(seconds - lastSeconds));
        putVarint(body, zigzag(wall - lastWall));
        body.append(char(s.CurrentZone));
        putVarint(body, s.ZoneTime);
        putVarint(body, textIndex.value(s.StageText));
        putVarint(body, zigzag(qint64(s.ChamberTemp) - lastTemp));
        body.append(char(s.Vacuum));
        body.append(char(s.ChamberStatus));
        body.append(char(s.ControllerMode));
        lastSeconds = seconds;
        lastWall = wall;
        lastTemp = s.ChamberTemp;
    }
    out.append(qCompress(body, 6));
    return out;
}

qsizetype Count(const QByteArray &blob)
{
    Reader in(blob.constData(), blob.size());
    const std::optional<Header> h = readHeader(in);
    return h ? qsizetype(h->count) : -1;
}

std::optional<QList<TraceSample>> Decode(const QByteArray &blob, const QDateTime &startedAt)
{
    Reader in(blob.constData(), blob.size());
    const std::optional<Header> h = readHeader(in);
    if (!h)
        return std::nullopt;
    // qUncompress trusts the length its first four bytes claim; check it against what the
    // samples can take before it allocates anything.
    const QByteArray packed = in.bytes(quint64(in.left()));
    if (packed.size() < 4)
        return std::nullopt;
    const quint32 claimed = (quint32(quint8(packed[0])) << 24) |
                            (quint32(quint8(packed[1])) << 16) | (quint32(quint8(packed[2])) << 8) |
                            quint32(quint8(packed[3]));
    if (qint64(claimed) > qint64(h->count) * MaxSampleBytes)
        return std::nullopt;
    const QByteArray body = claimed == 0 ? QByteArray() : qUncompress(packed);
    if (body.size() != qsizetype(claimed))
        return std::nullopt;

    Reader b(body.constData(), body.size());
    QList<TraceSample> samples;
    samples.reserve(qsizetype(h->count));
    const qint64 start = startedAt.isValid() ? startedAt.toMSecsSinceEpoch() : 0;
    qint64 seconds = 0;
    qint64 wall = 0;
    qint64 temp = 0;
    for (quint64 i = 0; i < h->count; ++i) {
        // Wrapping sums: a damaged blob gives odd values, never undefined behaviour.
        seconds = qint64(quint64(seconds) + quint64(unzigzag(b.varint())));
        wall = qint64(quint64(wall) + quint64(unzigzag(b.varint())));
        TraceSample s;
        s.CurrentZone = b.byte();
        const quint64 zoneTime = b.varint();
        const quint64 text = b.varint();
        temp = qint64(quint64(temp) + quint64(unzigzag(b.varint())));
        s.Vacuum = b.byte();
        s.ChamberStatus = b.byte();
        s.ControllerMode = b.byte();
        if (!b.ok() || zoneTime > 0xFFFF || text >= quint64(h->stageTexts.size()) || temp < 0 ||
            temp > 0xFFFF || seconds < 0)
            return std::nullopt;
        s.ZoneTime = quint16(zoneTime);
        s.StageText = h->stageTexts[qsizetype(text)];
        s.ChamberTemp = quint16(temp);
        s.Seconds = double(seconds) / 1000.0;
        s.WallClock = QDateTime::fromMSecsSinceEpoch(qint64(quint64(start) + quint64(wall)));
        samples.append(s);
    }
    if (!b.atEnd())
        return std::nullopt;
    return samples;
}

} // namespace SampleCodec
