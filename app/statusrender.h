// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/furnacestatus.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

/// The status page's content: what the furnace windows show, as the JSON document and the HTML
/// page the console serves (docs/status-page.md describes both). Pure functions of their
/// arguments, safe on any thread.
namespace StatusRender
{

/// The JSON document's "format" and "version": the version grows when a field changes its
/// meaning or goes away; fields may be added within a version.
inline constexpr char Format[] = "zkv-console-status";
inline constexpr int Version = 1;

/// `text` fit for an HTML element's content and for a quoted attribute value: & < > " ' become
/// character references; nothing else changes.
QString escapeHtml(const QString &text);

/// The link state as the JSON names it: "closed", "answering", "silent", "reconnecting".
QString linkName(FurnaceStatus::Link link);

/// A time as ISO 8601 with its offset from UTC ("2026-12-10T14:03:22+01:00").
QString isoTime(const QDateTime &time);

/// The JSON document (UTF-8, compact) of the furnace windows' `statuses`, in the windows'
/// order, as of `generated`; `language` (0 Russian, 1 English) is the page's, named in it.
QByteArray json(const QList<FurnaceStatus> &statuses, const QDateTime &generated, quint8 language);

/// The HTML page (UTF-8): a card per furnace window, readable on a phone's 400 px, reloading
/// itself every `refreshSeconds` with no script and nothing from elsewhere. Every text from
/// the furnace windows is escaped.
QByteArray html(const QList<FurnaceStatus> &statuses, const QDateTime &generated, quint8 language,
                int refreshSeconds);

} // namespace StatusRender
