// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/statusrender.h"

#include "app/furnacestatustexts.h"
#include "common/textpair.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace
{

using namespace FurnaceStatusTexts;

constexpr TextPair Title{"Печи", "Furnaces"};
constexpr TextPair MinutesUnit{"мин осталось", "min left"};
constexpr TextPair Updated{"Обновлено в %1 · страница обновляется каждые %2 с",
                           "Updated %1 · the page reloads every %2 s"};

/// Light-weight styles for a phone held at arm's length: the figures a technician looks for
/// (temperature, minutes left, a fault) the largest.
constexpr char Style[] = R"(*{box-sizing:border-box}
body{margin:0;padding:8px;font-family:"DejaVu Sans",Arial,sans-serif;background:#eceff2;color:#111}
h1{font-size:20px;margin:4px 4px 10px}
main{display:grid;grid-template-columns:repeat(auto-fill,minmax(300px,1fr));gap:10px}
section{background:#fff;border:1px solid #c3c8cd;border-radius:8px;padding:10px 12px}
section.faulted{border:3px solid #b00000}
h2{font-size:18px;margin:0;overflow-wrap:anywhere}
p{margin:3px 0}
.link{font-size:15px;font-weight:bold}
.ok{color:#1a7f1a}.warn{color:#b06000}.off{color:#707070}
.figures{display:flex;flex-wrap:wrap;align-items:baseline;column-gap:18px}
.temp{font-size:46px;font-weight:bold;line-height:1.15}
.vac{font-size:22px;font-weight:bold}
.chamber,.stage,.step,.end{font-size:15px}
.program{font-size:18px;font-weight:bold;margin-top:8px;overflow-wrap:anywhere}
.time{display:flex;flex-wrap:wrap;align-items:baseline;column-gap:10px;margin:4px 0}
.left{font-size:42px;font-weight:bold;line-height:1.15}
.unit{font-size:18px;font-weight:bold}
.bar{position:relative;height:24px;margin:6px 0 2px;background:#dde2e7;border-radius:4px;overflow:hidden}
.bar div{height:100%;background:#3a74c9}
.bar span{position:absolute;left:0;right:0;top:2px;text-align:center;font-size:14px;font-weight:bold}
.fault{margin-top:8px;padding:6px 8px;border-radius:4px;background:#b00000;color:#fff;font-size:18px;font-weight:bold;overflow-wrap:anywhere}
.checks{color:#9a5b00;font-size:15px;font-weight:bold}
footer{margin:10px 4px;font-size:13px;color:#444}
)";

QJsonValue orNull(const std::optional<int> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonObject furnaceJson(const FurnaceStatus &s, int window)
{
    QJsonObject o;
    o[QStringLiteral("window")] = window;
    o[QStringLiteral("port")] = s.port;
    o[QStringLiteral("furnace")] = s.furnace;
    o[QStringLiteral("link")] = StatusRender::linkName(s.link);
    o[QStringLiteral("chamber")] = s.chamber;
    o[QStringLiteral("temperature")] = orNull(s.temperature);
    o[QStringLiteral("vacuum")] = orNull(s.vacuum);
    o[QStringLiteral("running")] = s.running;
    o[QStringLiteral("mass")] = s.mass;
    o[QStringLiteral("layer")] = s.layer;
    o[QStringLiteral("stage")] = s.stage;
    o[QStringLiteral("step")] = s.step;
    o[QStringLiteral("minutesLeft")] = orNull(s.minutesLeft);
    o[QStringLiteral("expectedEnd")] = s.expectedEnd.isValid()
                                           ? QJsonValue(StatusRender::isoTime(s.expectedEnd))
                                           : QJsonValue(QJsonValue::Null);
    o[QStringLiteral("progress")] =
        s.progress >= 0 ? QJsonValue(s.progress) : QJsonValue(QJsonValue::Null);
    o[QStringLiteral("fault")] = s.fault;
    o[QStringLiteral("checksDue")] = s.checksDue;
    return o;
}

/// One furnace window's card, as of `now`.
QString furnaceCard(const FurnaceStatus &s, int window, const QDateTime &now, quint8 language)
{
    using StatusRender::escapeHtml;
    auto t = [language](const TextPair &pair) { return pair.text(language); };
    QString h;
    h += s.fault.isEmpty() ? QStringLiteral("<section>")
                           : QStringLiteral("<section class=\"faulted\">");
    h += QStringLiteral("<h2>%1. %2</h2>").arg(window).arg(escapeHtml(TitleOf(s, language)));

    const char *look = "warn";
    if (s.link == FurnaceStatus::Link::Closed)
        look = "off";
    else if (s.link == FurnaceStatus::Link::Answering)
        look = "ok";
    const QString link = t(LinkText(s.link));
    h += QStringLiteral("<p class=\"link %1\">%2</p>").arg(QLatin1String(look), escapeHtml(link));

    h += QStringLiteral("<div class=\"figures\"><span class=\"temp\">%1 °C</span>"
                        "<span class=\"vac\">%2</span></div>")
             .arg(s.temperature ? QString::number(*s.temperature) : QStringLiteral("—"),
                  escapeHtml(
                      t(Vacuum).arg(s.vacuum ? QString::number(*s.vacuum) : QStringLiteral("—"))));
    if (!s.chamber.isEmpty())
        h += QStringLiteral("<p class=\"chamber\">%1</p>").arg(escapeHtml(s.chamber));

    const bool ran = !s.mass.isEmpty();
    if (ran)
        h += QStringLiteral("<p class=\"program\">%1 / %2</p>")
                 .arg(escapeHtml(s.mass), escapeHtml(s.layer));
    const QString stage = s.running || ran ? s.stage : t(NoProgram);
    if (!stage.isEmpty())
        h += QStringLiteral("<p class=\"stage\">%1</p>").arg(escapeHtml(stage));
    if (s.running) {
        h += QStringLiteral("<div class=\"time\">");
        if (s.minutesLeft)
            h += QStringLiteral("<span class=\"left\">%1</span><span class=\"unit\">%2</span>")
                     .arg(*s.minutesLeft)
                     .arg(escapeHtml(t(MinutesUnit)));
        h += QStringLiteral("</div><p class=\"step\">%1").arg(escapeHtml(t(Step).arg(s.step)));
        if (s.expectedEnd.isValid()) {
            // A firing that ends on another day says which.
            const QString format = s.expectedEnd.date() == now.date()
                                       ? QStringLiteral("HH:mm")
                                       : QStringLiteral("dd.MM. HH:mm");
            h += QStringLiteral(" · ") + escapeHtml(t(EndsAt).arg(s.expectedEnd.toString(format)));
        }
        h += QStringLiteral("</p>");
    }
    if (s.running || s.progress >= 0) {
        const int perMille = std::clamp(s.progress, 0, 1000);
        h += QStringLiteral("<div class=\"bar\" role=\"progressbar\" aria-label=\"%1\" "
                            "aria-valuemin=\"0\" aria-valuemax=\"100\" aria-valuenow=\"%2\">"
                            "<div style=\"width:%3%\"></div>")
                 .arg(escapeHtml(t(Progress)))
                 .arg(perMille / 10)
                 .arg(perMille / 10.0, 0, 'f', 1);
        if (s.progress >= 0)
            h += QStringLiteral("<span>%1 %</span>").arg(perMille / 10);
        h += QStringLiteral("</div>");
    }
    if (!s.fault.isEmpty())
        h += QStringLiteral("<p class=\"fault\" role=\"alert\">%1</p>")
                 .arg(escapeHtml(t(Fault).arg(s.fault)));
    if (!s.checksDue.isEmpty())
        h += QStringLiteral("<p class=\"checks\">%1</p>").arg(escapeHtml(s.checksDue));
    h += QStringLiteral("</section>\n");
    return h;
}

} // namespace

namespace StatusRender
{

QString escapeHtml(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&#39;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString linkName(FurnaceStatus::Link link)
{
    switch (link) {
    case FurnaceStatus::Link::Closed:
        return QStringLiteral("closed");
    case FurnaceStatus::Link::Answering:
        return QStringLiteral("answering");
    case FurnaceStatus::Link::Silent:
        return QStringLiteral("silent");
    case FurnaceStatus::Link::Reconnecting:
        return QStringLiteral("reconnecting");
    }
    return QStringLiteral("closed");
}

QString isoTime(const QDateTime &time)
{
    // Qt writes a local time without its offset; one fixed at the time's own offset says it.
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

QByteArray json(const QList<FurnaceStatus> &statuses, const QDateTime &generated, quint8 language)
{
    QJsonArray furnaces;
    for (qsizetype i = 0; i < statuses.size(); ++i)
        furnaces.append(furnaceJson(statuses[i], int(i) + 1));
    QJsonObject doc;
    doc[QStringLiteral("format")] = QLatin1String(Format);
    doc[QStringLiteral("version")] = Version;
    doc[QStringLiteral("generated")] = isoTime(generated);
    doc[QStringLiteral("language")] = language == 0 ? QStringLiteral("ru") : QStringLiteral("en");
    doc[QStringLiteral("furnaces")] = furnaces;
    return QJsonDocument(doc).toJson(QJsonDocument::Compact);
}

QByteArray html(const QList<FurnaceStatus> &statuses, const QDateTime &generated, quint8 language,
                int refreshSeconds)
{
    auto t = [language](const TextPair &pair) { return pair.text(language); };
    QString h;
    h.reserve(4096 + 1536 * statuses.size());
    h += QStringLiteral("<!DOCTYPE html>\n<html lang=\"%1\"><head><meta charset=\"utf-8\">\n"
                        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                        "<meta http-equiv=\"refresh\" content=\"%2\">\n"
                        "<title>%3 — ZKV4.6</title>\n<style>%4</style></head>\n<body>\n"
                        "<h1>%3</h1>\n<main>\n")
             .arg(language == 0 ? QStringLiteral("ru") : QStringLiteral("en"))
             .arg(refreshSeconds)
             .arg(escapeHtml(t(Title)), QString::fromUtf8(Style));
    if (statuses.isEmpty())
        h += QStringLiteral("<p>%1</p>\n").arg(escapeHtml(t(NoWindows)));
    for (qsizetype i = 0; i < statuses.size(); ++i)
        h += furnaceCard(statuses[i], int(i) + 1, generated, language);
    h += QStringLiteral("</main>\n<footer>%1</footer>\n</body></html>\n")
             .arg(escapeHtml(t(Updated)
                                 .arg(generated.toString(QStringLiteral("HH:mm:ss")))
                                 .arg(refreshSeconds)));
    return h.toUtf8();
}

} // namespace StatusRender
