#include "gui/views/journal/JournalCells.h"

#ifndef Q_MOC_RUN
#include "core/report/MultiDateFormatter.h"
#endif

#include <QDateTime>
#include <QLocale>
#include <cmath>

namespace brivel::gui::journal {

using store::Value;

namespace {
const report::MultiDateFormatter& dateFormatter() {
    // Made on first use, on the main thread, like every cell.
    static const report::MultiDateFormatter formatter;
    return formatter;
}
} // namespace

QString mediumDate(const Value& value) {
    if (value.type() != Value::Type::Date)
        return {};
    return QString::fromStdString(dateFormatter().stringFromDate(value.toDate()));
}

QString mediumDateTime(const Value& value) {
    if (value.type() != Value::Type::Date)
        return {};
    const auto ms = static_cast<qint64>(value.toDate().secondsSince1970 * 1000.0);
    return mediumDate(value) + QStringLiteral(", ") +
           QLocale().toString(QDateTime::fromMSecsSinceEpoch(ms).time(), QLocale::ShortFormat);
}

std::optional<Value> readDate(const QString& text, const Value& old,
                              QString (*shown)(const Value&)) {
    const QString trimmed = text.trimmed();
    if (old.type() == Value::Type::Date && trimmed == shown(old).trimmed())
        return old;
    if (auto date = dateFormatter().dateFromString(trimmed.toStdString()))
        return Value::date(*date);
    return std::nullopt;
}

QString level(const Value& value) {
    if (!value.isNumber())
        return {};
    const double v = value.toDouble();
    return QLocale().toString(v, 'f', std::floor(v) == v ? 0 : 2);
}

std::optional<Value> readLevel(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return Value();
    bool ok = false;
    double v = QLocale().toDouble(trimmed, &ok);
    if (!ok)
        v = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return Value::real(v);
}

} // namespace brivel::gui::journal
